// video_magnify.h -- the show's pixels magnified into a larger picture: nearest-neighbour by a whole factor, or smooth
//
// Plain memory, no video library: the platform file that keeps its own show surface hands
// both sides in as planes. Both magnifiers take a rectangle of the show and redraw exactly
// the picture's pixels it reaches, each computed as a magnification of the whole frame
// would compute it, so updating only what changed leaves no seams. 32-bit pixels; the
// fourth byte is carried along like a colour.
#pragma once

#include "platform/video_fit.h"

#include <cstdint>

struct pixel_plane {
    uint32_t* pixels;
    int stride; // pixels from one row to the next
    int width, height;
};

// What happens to the bytes of each pixel on the way: kept, or the first and third exchanged
// (the intro's red, green, blue order into a display that wants blue, green, red).
constexpr int KEEP_BYTE_ORDER = 0, SWAP_RED_BLUE = 1;

// Nearest-neighbour: each pixel of part (show coordinates) becomes a scale x scale block of
// to, the show's top left corner at (at_x, at_y). The blocks must lie inside to.
void magnify_whole(const pixel_plane* show, fit_rect part, int scale, pixel_plane* to, int at_x, int at_y,
                   int byte_order);

// Smooth (bilinear) from a show_width x show_height show into picture, a rectangle of the
// destination: sets up its tables, once per picture; 0 when they cannot be had.
int prepare_smooth(int show_width, int show_height, fit_rect picture);
// Redraws the picture's pixels that part of the show reaches, and says which they are
// (destination coordinates) in drawn, for the caller to put on the screen.
void magnify_smooth(const pixel_plane* show, fit_rect part, pixel_plane* to, int byte_order, fit_rect* drawn);
// Frees what prepare_smooth took.
void release_smooth();
