// video_fit.h -- how the show is magnified on a display: a window's whole factor, full screen's picture and filter
//
// Plain arithmetic, shared by every platform's video file and tested once.
#pragma once

struct fit_rect {
    int x, y, w, h;
};

// The largest whole scale (1, 2, 3...) at which a width x height window fits within about
// 90 % of the area's width and height (room for its frame and the panels); 1 where even that
// does not fit.
int window_scale(int width, int height, int area_width, int area_height);
// Full screen: the largest picture of the show's shape that fills the display's height (or,
// on a display relatively taller, its width), centred; the rest is black.
fit_rect fullscreen_picture(int width, int height, int display_width, int display_height);
// 1 when full screen magnifies width x height by a whole factor above 1 on this display, where
// nearest-neighbour keeps every pixel an even square; 0 where smooth filtering is kinder.
int fullscreen_whole_scale(int width, int height, int display_width, int display_height);
