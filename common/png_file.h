// png_file.h -- writes 8-bit RGB or RGBA pixels as a PNG file, for the recorder and the data tools alike
#pragma once

#include <cstdint>

// Rows top first, three bytes red, green, blue per pixel. 1 on success, 0 if the file cannot be written.
int write_png_rgb(const char* path, int width, int height, const uint8_t* rgb);
// Rows top first, four bytes red, green, blue, alpha (straight, not premultiplied) per pixel.
int write_png_rgba(const char* path, int width, int height, const uint8_t* rgba);  // 1 on success
