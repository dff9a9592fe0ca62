// png_file.cpp -- writes a picture as an 8-bit RGB PNG file (same picture, same bytes)
#include "tools/common/png_file.h"

#include <png.h>

int write_png(const char* path, const picture* image)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = png_uint_32(image->width);
    png.height = png_uint_32(image->height);
    png.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&png, path, 0, image->rgb.data(), 0, nullptr) != 0;
}
