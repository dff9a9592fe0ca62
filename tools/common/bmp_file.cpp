// bmp_file.cpp -- encodes pictures as 24-bit bottom-up BMP files in the one layout the intro reads
#include "tools/common/bmp_file.h"

#include <cstdio>

rgb_image make_rgb_image(int width, int height, uint8_t r, uint8_t g, uint8_t b)
{
    rgb_image image{width, height, {}};
    image.rgb.resize(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < image.rgb.size(); i += 3) {
        image.rgb[i] = r;
        image.rgb[i + 1] = g;
        image.rgb[i + 2] = b;
    }
    return image;
}

void set_rgb(rgb_image* image, int x, int y, uint32_t rgb)
{
    if (x < 0 || y < 0 || x >= image->width || y >= image->height)
        return;
    uint8_t* p = &image->rgb[(static_cast<size_t>(y) * image->width + x) * 3];
    p[0] = static_cast<uint8_t>(rgb >> 16);
    p[1] = static_cast<uint8_t>(rgb >> 8);
    p[2] = static_cast<uint8_t>(rgb);
}

uint32_t rgb_at(const rgb_image* image, int x, int y)
{
    if (x < 0 || y < 0 || x >= image->width || y >= image->height)
        return 0;
    const uint8_t* p = &image->rgb[(static_cast<size_t>(y) * image->width + x) * 3];
    return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
}

int bmp_stride(int width)
{
    return (3 * width + 3) & ~3;
}

static void put_le(std::vector<uint8_t>* out, size_t at, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; i++)
        (*out)[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

std::vector<uint8_t> encode_bmp(const rgb_image* image, uint8_t pad_byte)
{
    const int w = image->width;
    const int h = image->height;
    const int stride = bmp_stride(w);
    const size_t file_size = 54 + static_cast<size_t>(stride) * h + 2;
    std::vector<uint8_t> out(file_size, 0);

    out[0] = 'B';
    out[1] = 'M';
    put_le(&out, 2, static_cast<uint32_t>(file_size), 4);
    put_le(&out, 10, 54, 4);
    put_le(&out, 14, 40, 4);
    put_le(&out, 18, static_cast<uint32_t>(w), 4);
    put_le(&out, 22, static_cast<uint32_t>(h), 4);
    put_le(&out, 26, 1, 2);
    put_le(&out, 28, 24, 2);
    put_le(&out, 38, 2834, 4);
    put_le(&out, 42, 2834, 4);

    // Bottom row first; the two bytes after the last row stay zero.
    for (int k = 0; k < h; k++) {
        const int y = h - 1 - k;
        uint8_t* row = &out[54 + static_cast<size_t>(k) * stride];
        const uint8_t* src = &image->rgb[static_cast<size_t>(y) * w * 3];
        for (int x = 0; x < w; x++) {
            row[3 * x] = src[3 * x + 2];
            row[3 * x + 1] = src[3 * x + 1];
            row[3 * x + 2] = src[3 * x];
        }
        for (int i = 3 * w; i < stride; i++)
            row[i] = pad_byte;
    }
    return out;
}

int write_bmp(const char* path, const rgb_image* image, uint8_t pad_byte)
{
    const std::vector<uint8_t> bytes = encode_bmp(image, pad_byte);
    FILE* file = std::fopen(path, "wb");
    if (!file)
        return 0;
    const size_t written = std::fwrite(bytes.data(), 1, bytes.size(), file);
    const int closed = std::fclose(file) == 0;
    return written == bytes.size() && closed ? 1 : 0;
}
