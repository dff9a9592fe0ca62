// image_canvas.cpp -- RGB pictures for the image generator: pixels, mixing, BMP and PNG files
#include "tools/image_canvas.h"

#include <png.h>
#include <cstdio>

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

int row_stride(int width)
{
    return (3 * width + 3) & ~3;
}

static void put_le(std::vector<uint8_t>* bytes, size_t at, uint32_t value, int size)
{
    for (int i = 0; i < size; i++)
        (*bytes)[at + size_t(i)] = uint8_t(value >> (8 * i));
}

std::vector<uint8_t> bmp_bytes(const picture* image)
{
    const int stride = row_stride(image->width);
    const size_t total = 54 + size_t(stride) * size_t(image->height) + 2;
    std::vector<uint8_t> bytes(total, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    put_le(&bytes, 2, uint32_t(total), 4);
    put_le(&bytes, 10, 54, 4);
    put_le(&bytes, 14, 40, 4);
    put_le(&bytes, 18, uint32_t(image->width), 4);
    put_le(&bytes, 22, uint32_t(image->height), 4);
    put_le(&bytes, 26, 1, 2);
    put_le(&bytes, 28, 24, 2);
    put_le(&bytes, 38, 2834, 4);
    put_le(&bytes, 42, 2834, 4);
    // Compression, image size and both colour counts stay 0.
    for (int row = 0; row < image->height; row++) {
        size_t at = 54 + size_t(stride) * size_t(image->height - 1 - row);
        for (int x = 0; x < image->width; x++) {
            uint32_t colour = pixel_at(image, x, row);
            bytes[at + 3 * size_t(x)] = uint8_t(colour);
            bytes[at + 3 * size_t(x) + 1] = uint8_t(colour >> 8);
            bytes[at + 3 * size_t(x) + 2] = uint8_t(colour >> 16);
        }
    }
    return bytes;
}

static uint32_t get_le(const std::vector<uint8_t>& bytes, size_t at, int size)
{
    uint32_t value = 0;
    for (int i = 0; i < size; i++)
        value |= uint32_t(bytes[at + size_t(i)]) << (8 * i);
    return value;
}

int read_bmp(const char* path, picture* out)
{
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return 0;
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(file);
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M' || get_le(bytes, 28, 2) != 24)
        return 0;
    int width = int(get_le(bytes, 18, 4));
    int height = int(get_le(bytes, 22, 4));
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192)
        return 0;
    const int stride = row_stride(width);
    if (bytes.size() < 54 + size_t(stride) * size_t(height))
        return 0;
    *out = make_picture(width, height, 0);
    for (int row = 0; row < height; row++) {
        size_t at = 54 + size_t(stride) * size_t(height - 1 - row);
        for (int x = 0; x < width; x++) {
            const uint8_t* p = &bytes[at + 3 * size_t(x)];
            set_pixel(out, x, row, make_rgb(p[2], p[1], p[0]));
        }
    }
    return 1;
}

int write_bytes(const char* path, const std::vector<uint8_t>& bytes)
{
    FILE* file = std::fopen(path, "wb");
    if (!file)
        return 0;
    size_t written = std::fwrite(bytes.data(), 1, bytes.size(), file);
    int closed = std::fclose(file) == 0;
    return written == bytes.size() && closed;
}

int write_png(const char* path, const picture* image)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = png_uint_32(image->width);
    png.height = png_uint_32(image->height);
    png.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&png, path, 0, image->rgb.data(), 0, nullptr) != 0;
}

int write_png_rgba(const char* path, int width, int height, const uint8_t* rgba)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = png_uint_32(width);
    png.height = png_uint_32(height);
    png.format = PNG_FORMAT_RGBA;
    return png_image_write_to_file(&png, path, 0, rgba, 0, nullptr) != 0;
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
