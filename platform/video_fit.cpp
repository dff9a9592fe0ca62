// video_fit.cpp -- how the show is magnified on a display: a window's whole factor, full screen's picture and filter
#include "platform/video_fit.h"

constexpr int FIT_PERCENT = 90; // a window this much of the area still leaves room for its frame and panels

int window_scale(int width, int height, int area_width, int area_height)
{
    int scale = 1;
    while (width * (scale + 1) * 100 <= area_width * FIT_PERCENT &&
           height * (scale + 1) * 100 <= area_height * FIT_PERCENT)
        scale++;
    return scale;
}

fit_rect fullscreen_picture(int width, int height, int display_width, int display_height)
{
    fit_rect picture = {0, 0, display_width, display_height};
    // Scaled by the smaller ratio: by height where the display is relatively wider.
    // NOTE: 64-bit products, since a display's size times the show's can pass 2^31.
    if (static_cast<long long>(display_width) * height >= static_cast<long long>(display_height) * width)
        picture.w = static_cast<int>(static_cast<long long>(display_height) * width / height);
    else
        picture.h = static_cast<int>(static_cast<long long>(display_width) * height / width);
    picture.x = (display_width - picture.w) / 2;
    picture.y = (display_height - picture.h) / 2;
    return picture;
}

int fullscreen_whole_scale(int width, int height, int display_width, int display_height)
{
    fit_rect picture = fullscreen_picture(width, height, display_width, display_height);
    return picture.w % width == 0 && picture.h % height == 0 && picture.w / width > 1 &&
           picture.w / width == picture.h / height;
}
