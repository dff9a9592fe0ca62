// bmp_file.h -- 24-bit bottom-up BMP files in the one layout the intro reads, to and from pictures
#pragma once

#include "tools/common/picture.h"

#include <cstdint>
#include <vector>

// Bytes of a row in the file: 3 * width rounded up to a multiple of four.
int bmp_stride(int width);

// The whole file: 54-byte header ("BM", size, pixel offset 54, 40-byte info
// header, 24 bits, no compression, 2834 pixels per metre), rows bottom first,
// each row padded to the stride with pad_byte, then two zero bytes.
std::vector<uint8_t> encode_bmp(const picture* image, uint8_t pad_byte);

// Writes encode_bmp's bytes to path; 1 on success, 0 on failure.
int write_bmp(const char* path, const picture* image, uint8_t pad_byte);

// Reads a 24-bit bottom-up BMP in that layout; 1 on success, 0 on failure.
int read_bmp(const char* path, picture* out);
