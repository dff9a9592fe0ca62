// video_linux.cpp -- the display through the maintained SDL 1.2, which magnifies the show by itself
//
// sdl12-compat scales the 800x600 screen to the window or the desktop; these are its
// settings, read from the environment. The window scale is read when the video mode is set;
// the scale method only when the video subsystem starts, which is why open_video may have
// to restart it. The user's own settings of either always win.
#include "platform/video.h"

#include "platform/video_fit.h"

#include <cstdio>
#include <cstdlib>

static const char WINDOW_SCALING_VARIABLE[] = "SDL12COMPAT_WINDOW_SCALING";
static const char SCALE_METHOD_VARIABLE[] = "SDL12COMPAT_SCALE_METHOD";

constexpr Uint32 FULLSCREEN_VIDEO_FLAGS = SDL_FULLSCREEN | SDL_DOUBLEBUF | SDL_HWSURFACE;
constexpr Uint32 WINDOW_VIDEO_FLAGS = SDL_HWSURFACE;

void prepare_video(int full)
{
    // A window is only ever magnified by a whole factor, so it asks for nearest-neighbour
    // now, while the library still reads that setting, and open_video need not restart the
    // subsystem for it. A user's own window scale may be fractional, where nearest-neighbour
    // would be uneven.
    if (!full && !getenv(WINDOW_SCALING_VARIABLE))
        setenv(SCALE_METHOD_VARIABLE, "nearest", 0);
}

// Asks the library for a window at window_scale, and for nearest-neighbour scaling wherever
// the show is magnified by a whole factor. 0 if the subsystem could not be brought up again.
static int choose_scaling(int width, int height, int full)
{
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    // Before a mode is set, the current size is the desktop's; a library that does not say leaves us unscaled.
    if (!info || info->current_w <= 0 || info->current_h <= 0)
        return 1;
    int sharp = 0;
    if (full) {
        // Where the factor is not whole, nearest-neighbour would make the show's pixels
        // uneven, one or two screen pixels wide at 1.8x, and that unevenness crawls along
        // the scroller and the swaying boards as they move. The library's smooth filter is
        // soft but even and still, so it is left to it there.
        sharp = fullscreen_whole_scale(width, height, info->current_w, info->current_h);
    } else if (!getenv(WINDOW_SCALING_VARIABLE)) {
        int scale = window_scale(width, height, info->current_w, info->current_h);
        if (scale > 1) {
            char text[16];
            snprintf(text, sizeof(text), "%d", scale);
            setenv(WINDOW_SCALING_VARIABLE, text, 1);
            sharp = 1;
        }
    }
    if (!sharp || getenv(SCALE_METHOD_VARIABLE))
        return 1;
    setenv(SCALE_METHOD_VARIABLE, "nearest", 1);
    // Full screen, or a window whose start skipped prepare_video. The restart costs a few
    // hundred milliseconds; the surfaces already loaded are plain memory and outlive it.
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

SDL_Surface* open_video(int width, int height, int full)
{
    if (!choose_scaling(width, height, full))
        return nullptr;
    return SDL_SetVideoMode(width, height, 32, full ? FULLSCREEN_VIDEO_FLAGS : WINDOW_VIDEO_FLAGS);
}

void video_events()
{
}

void video_update(SDL_Surface* show, const SDL_Rect* rects, int count)
{
    SDL_UpdateRects(show, count, const_cast<SDL_Rect*>(rects));
}

void video_flip(SDL_Surface* show)
{
    SDL_Flip(show);
}

void close_video()
{
}
