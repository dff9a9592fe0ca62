// picture.cpp -- RGB pictures for the data tools: pixels, colour arithmetic, copying and scaling
#include "tools/common/picture.h"

#include <cmath>

picture make_picture(int width, int height, uint32_t fill)
{
    picture image{width, height, std::vector<uint8_t>(size_t(width) * size_t(height) * 3)};
    fill_rect(&image, 0, 0, width, height, fill);
    return image;
}

uint32_t pixel_at(const picture* image, int x, int y)
{
    if (x < 0 || y < 0 || x >= image->width || y >= image->height)
        return 0;
    const uint8_t* p = &image->rgb[(size_t(y) * size_t(image->width) + size_t(x)) * 3];
    return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | uint32_t(p[2]);
}

void set_pixel(picture* image, int x, int y, uint32_t colour)
{
    if (x < 0 || y < 0 || x >= image->width || y >= image->height)
        return;
    uint8_t* p = &image->rgb[(size_t(y) * size_t(image->width) + size_t(x)) * 3];
    p[0] = uint8_t(colour >> 16);
    p[1] = uint8_t(colour >> 8);
    p[2] = uint8_t(colour);
}

void fill_rect(picture* image, int x, int y, int w, int h, uint32_t colour)
{
    for (int row = y; row < y + h; row++)
        for (int column = x; column < x + w; column++)
            set_pixel(image, column, row, colour);
}

static int clamp_byte(int value)
{
    return value < 0 ? 0 : value > 255 ? 255 : value;
}

uint32_t make_rgb(int r, int g, int b)
{
    return uint32_t(clamp_byte(r)) << 16 | uint32_t(clamp_byte(g)) << 8 | uint32_t(clamp_byte(b));
}

static int channel(uint32_t colour, int shift)
{
    return int(colour >> shift & 0xFF);
}

// Rounds num / den to the nearest integer for den > 0, halves away from zero.
static int rounded_div(int num, int den)
{
    return num >= 0 ? (num + den / 2) / den : -((-num + den / 2) / den);
}

uint32_t mix_rgb(uint32_t from, uint32_t to, int t, int scale)
{
    if (t <= 0)
        return from;
    if (t >= scale)
        return to;
    int out[3];
    for (int i = 0; i < 3; i++) {
        int a = channel(from, 16 - 8 * i);
        int b = channel(to, 16 - 8 * i);
        out[i] = a + rounded_div((b - a) * t, scale);
    }
    return make_rgb(out[0], out[1], out[2]);
}

uint32_t mix_rgb(uint32_t from, uint32_t to, double t)
{
    auto mixed = [&](int shift) {
        const double a = channel(from, shift);
        const double b = channel(to, shift);
        return int(std::lround(a + (b - a) * t));
    };
    return make_rgb(mixed(16), mixed(8), mixed(0));
}

uint32_t scale_rgb(uint32_t colour, int num, int den)
{
    return make_rgb(rounded_div(channel(colour, 16) * num, den),
                    rounded_div(channel(colour, 8) * num, den),
                    rounded_div(channel(colour, 0) * num, den));
}

uint32_t ramp_rgb(const uint32_t* stops, int count, int t, int scale)
{
    if (t <= 0)
        return stops[0];
    if (t >= scale)
        return stops[count - 1];
    // Position along the ramp in units of scale: segment = floor(t * (count - 1) / scale).
    int along = t * (count - 1);
    int segment = along / scale;
    return mix_rgb(stops[segment], stops[segment + 1], along - segment * scale, scale);
}

void copy_rect(picture* target, const picture* source, int sx, int sy, int w, int h,
               int dx, int dy, int keyed)
{
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            int from_x = sx + x, from_y = sy + y;
            if (from_x < 0 || from_y < 0 || from_x >= source->width || from_y >= source->height)
                continue;
            uint32_t colour = pixel_at(source, from_x, from_y);
            if (keyed && colour == MAGENTA)
                continue;
            set_pixel(target, dx + x, dy + y, colour);
        }
    }
}

picture enlarge(const picture* source, int factor)
{
    picture image = make_picture(source->width * factor, source->height * factor, 0);
    for (int y = 0; y < image.height; y++)
        for (int x = 0; x < image.width; x++)
            set_pixel(&image, x, y, pixel_at(source, x / factor, y / factor));
    return image;
}

picture halve(const picture* source)
{
    picture image = make_picture(source->width / 2, source->height / 2, 0);
    for (int y = 0; y < image.height; y++) {
        for (int x = 0; x < image.width; x++) {
            int sum[3] = {0, 0, 0};
            for (int i = 0; i < 4; i++) {
                uint32_t c = pixel_at(source, 2 * x + (i & 1), 2 * y + (i >> 1));
                for (int k = 0; k < 3; k++)
                    sum[k] += channel(c, 16 - 8 * k);
            }
            set_pixel(&image, x, y, make_rgb((sum[0] + 2) / 4, (sum[1] + 2) / 4, (sum[2] + 2) / 4));
        }
    }
    return image;
}

uint32_t next_noise(uint32_t* state)
{
    // xorshift32: never reaches 0 from a non-zero seed.
    uint32_t x = *state;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    *state = x;
    return x;
}
