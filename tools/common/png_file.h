// png_file.h -- writes a picture as an 8-bit RGB PNG file
#pragma once

#include "tools/common/picture.h"

// 1 on success, 0 if the file cannot be written.
int write_png(const char* path, const picture* image);
