// bmp_file.h -- encodes pictures as 24-bit bottom-up BMP files in the one layout the intro reads
#pragma once

#include <cstdint>
#include <vector>

// A picture being drawn by a data tool: width x height pixels, rows top first,
// each pixel three bytes red, green, blue.
struct rgb_image {
    int width;
    int height;
    std::vector<uint8_t> rgb;
};

// A new picture of the given size, every pixel (r, g, b).
rgb_image make_rgb_image(int width, int height, uint8_t r, uint8_t g, uint8_t b);
void set_rgb(rgb_image* image, int x, int y, uint32_t rgb);   // 0xRRGGBB; ignored outside
uint32_t rgb_at(const rgb_image* image, int x, int y);         // 0xRRGGBB; 0 outside

// Bytes of a row in the file: 3 * width rounded up to a multiple of four.
int bmp_stride(int width);

// The whole file: 54-byte header ("BM", size, pixel offset 54, 40-byte info
// header, 24 bits, no compression, 2834 pixels per metre), rows bottom first,
// each row padded to the stride with pad_byte, then two zero bytes.
std::vector<uint8_t> encode_bmp(const rgb_image* image, uint8_t pad_byte);

// Writes encode_bmp's bytes to path; 1 on success, 0 on failure.
int write_bmp(const char* path, const rgb_image* image, uint8_t pad_byte);
