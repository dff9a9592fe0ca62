// display.h -- the shell's display: it opens the video (platform/video.h) and makes and frees the surfaces
#pragma once

#include "effects/surfaces.h"

#include <SDL.h>

// 1 for full screen (double-buffered), 0 for a window; fixed at start-up.
extern int fullscreen;

// Opens the platform's display (magnified to suit it) and makes the work surfaces and keys;
// 1 on success, 0 on failure.
// NOTE: the six bitmaps must already be loaded, since their colour keys are set here.
int open_display(int width, int height, int fullscreen);

// Frees every surface but screen and nulls each pointer.
void free_surfaces();

// Creates a surface in the intro's pixel format; null on failure.
SDL_Surface* create_surface(Uint32 flags, int width, int height);
