// display.h -- the video mode and its scaling, and the shell's calls that make and free the surfaces
#pragma once

#include "effects/surfaces.h"

#include <SDL.h>

// 1 for full screen (double-buffered), 0 for a window; fixed at start-up.
extern int fullscreen;

// Sets the video mode and makes the work surfaces and keys; 1 on success, 0 on failure.
// The display is magnified to suit the desktop first (see choose_scaling).
// NOTE: the six bitmaps must already be loaded, since their colour keys are set here.
int open_display(int width, int height, int fullscreen);

// The largest whole scale (1, 2, 3...) at which a width x height window fits within about
// 90 % of the desktop's width and height; 1 where even that does not fit.
int window_scale(int width, int height, int desktop_width, int desktop_height);
// 1 when full screen magnifies width x height by a whole factor above 1 on this desktop:
// the picture is scaled by the smaller of the two ratios and centred.
int fullscreen_whole_scale(int width, int height, int desktop_width, int desktop_height);
// Called before the video subsystem starts. A window is only ever magnified by a whole
// factor, so it asks for nearest-neighbour scaling now, while the library still reads that
// setting, and choose_scaling need not restart the subsystem for it.
void prepare_video(int fullscreen);
// Asks the video library for a window at window_scale, and for nearest-neighbour scaling
// wherever the show is magnified by a whole factor. The user's own settings of these win.
// Needs the video subsystem up; 0 if it could not be brought up again.
int choose_scaling(int width, int height, int fullscreen);

// Frees every surface but screen and nulls each pointer.
void free_surfaces();

// Creates a surface in the intro's pixel format; null on failure.
SDL_Surface* create_surface(Uint32 flags, int width, int height);
