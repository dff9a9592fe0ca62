// png_file.h -- writes a picture as an 8-bit RGB PNG file, or RGBA pixels with transparency
#pragma once

#include "tools/common/picture.h"

// 1 on success, 0 if the file cannot be written.
int write_png(const char* path, const picture* image);
// Rows top first, four bytes red, green, blue, alpha (straight, not premultiplied) per pixel.
int write_png_rgba(const char* path, int width, int height, const uint8_t* rgba);  // 1 on success
