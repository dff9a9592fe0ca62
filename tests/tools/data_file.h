// data_file.h -- a committed data file as the tools' tests read it: its bytes, its fields, its BMP rows
#pragma once

#include "tools/common/file_bytes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The little-endian field of `size` bytes at `at`.
uint32_t le(const std::vector<uint8_t>& bytes, size_t at, int size);

// A bitmap read the way the intro's decoder reads it: width and height from the
// header, rows from offset 54, bottom row first, each padded to the stride.
struct bmp_view {
    std::vector<uint8_t> bytes;
    int width = 0;
    int height = 0;
    int stride = 0;
};

// The file at path; width, height and stride stay 0 when it is shorter than a header.
bmp_view load_bmp_view(const std::string& path);

// 0xRRGGBB of the pixel at (x, y), y counted from the top.
uint32_t bmp_pixel(const bmp_view& view, int x, int y);
