// video_windows.cpp -- the display on Windows: classic SDL's own window or full-screen mode
#include "platform/video.h"

constexpr Uint32 FULLSCREEN_VIDEO_FLAGS = SDL_FULLSCREEN | SDL_DOUBLEBUF | SDL_HWSURFACE;
constexpr Uint32 WINDOW_VIDEO_FLAGS = SDL_HWSURFACE;

void prepare_video(int)
{
}

SDL_Surface* open_video(int width, int height, int full)
{
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
