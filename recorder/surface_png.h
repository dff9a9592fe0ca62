// surface_png.h -- writes a 32-bit surface as an 8-bit RGB PNG file
#pragma once

#include "tools/common/picture.h"

#include <SDL.h>

// The surface's pixels as a picture (resized to fit); out is reused from call to call.
void surface_to_picture(SDL_Surface* surface, picture* out);

// 1 on success, 0 if the file cannot be written.
int write_png(const char* path, SDL_Surface* surface);
