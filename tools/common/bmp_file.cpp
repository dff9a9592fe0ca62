// bmp_file.cpp -- 24-bit bottom-up BMP files in the one layout the intro reads, to and from pictures
#include "tools/common/bmp_file.h"

#include "common/little_endian.h"
#include "tools/common/file_bytes.h"

#include <cstddef>

int bmp_stride(int width)
{
    return (3 * width + 3) & ~3;
}

std::vector<uint8_t> encode_bmp(const picture* image, uint8_t pad_byte)
{
    const int w = image->width;
    const int h = image->height;
    const int stride = bmp_stride(w);
    const size_t file_size = 54 + static_cast<size_t>(stride) * h + 2;
    std::vector<uint8_t> out(file_size, 0);

    out[0] = 'B';
    out[1] = 'M';
    write_le32(&out[2], static_cast<uint32_t>(file_size));
    write_le32(&out[10], 54);
    write_le32(&out[14], 40);
    write_le32(&out[18], static_cast<uint32_t>(w));
    write_le32(&out[22], static_cast<uint32_t>(h));
    write_le16(&out[26], 1);
    write_le16(&out[28], 24);
    write_le32(&out[38], 2834);
    write_le32(&out[42], 2834);

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

int write_bmp(const char* path, const picture* image, uint8_t pad_byte)
{
    return write_bytes(path, encode_bmp(image, pad_byte));
}

int read_bmp(const char* path, picture* out)
{
    std::vector<uint8_t> bytes;
    if (!read_bytes(path, &bytes) || bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M' || read_le16(&bytes[28]) != 24)
        return 0;
    int width = int(read_le32(&bytes[18]));
    int height = int(read_le32(&bytes[22]));
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192)
        return 0;
    const int stride = bmp_stride(width);
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
