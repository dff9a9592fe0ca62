// png_file.cpp -- writes 8-bit RGB or RGBA pixels as a PNG file (same pixels, same bytes)
#include "common/png_file.h"

#include <png.h>

static int write_pixels(const char* path, int width, int height, png_uint_32 format, const void* pixels)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = png_uint_32(width);
    png.height = png_uint_32(height);
    png.format = format;
    return png_image_write_to_file(&png, path, 0, pixels, 0, nullptr) != 0;
}

int write_png_rgb(const char* path, int width, int height, const uint8_t* rgb)
{
    return write_pixels(path, width, height, PNG_FORMAT_RGB, rgb);
}

int write_png_rgba(const char* path, int width, int height, const uint8_t* rgba)
{
    return write_pixels(path, width, height, PNG_FORMAT_RGBA, rgba);
}
