// surface_png.h -- writes a 32-bit surface as an 8-bit RGB PNG file
#pragma once

#include <SDL.h>

// 1 on success, 0 if the file cannot be written.
int write_png(const char* path, SDL_Surface* surface);
