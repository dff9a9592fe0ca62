// png_file.cpp -- writes a picture as an 8-bit RGB PNG file (same picture, same bytes)
#include "tools/common/png_file.h"

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

int write_png(const char* path, const picture* image)
{
    return write_pixels(path, image->width, image->height, PNG_FORMAT_RGB, image->rgb.data());
}

int write_png_rgba(const char* path, int width, int height, const uint8_t* rgba)
{
    return write_pixels(path, width, height, PNG_FORMAT_RGBA, rgba);
}
