// video.h -- the display the show is seen on: its mode and magnification, its input, and each frame onto it
//
// One sibling file per platform, picked at link time: video_linux.cpp (the maintained SDL 1.2,
// which magnifies by itself), video_windows.cpp and video_web.cpp. Whatever the display, the
// show draws width x height on the surface open_video returns; how that reaches the screen,
// at which size and with which filter, is this layer's business alone.
#pragma once

#include <SDL.h>

// Before the video subsystem starts: settings the video library reads only then.
void prepare_video(int fullscreen);
// Sets up the display for a width x height show, full screen or in a window, and returns the
// surface the show draws on (32 bits, the intro's layout where the platform allows); null on
// failure. Needs the video subsystem up; may restart it.
SDL_Surface* open_video(int width, int height, int fullscreen);
// Before the frame's events are read: input that does not reach the video library by itself
// is handed to it here.
void video_events();
// Shows these rectangles of the show's surface: a window's frame, where only they changed.
void video_update(SDL_Surface* show, const SDL_Rect* rects, int count);
// Shows the whole of the show's surface: full screen's flip, which waits for the display
// where the platform can.
void video_flip(SDL_Surface* show);
// Releases what open_video made beyond what the video library frees at shutdown; before SDL_Quit.
void close_video();
