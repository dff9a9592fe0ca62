// display.cpp -- sets the video mode, makes the work surfaces and colour key, and frees every surface at the end
#include "app/display.h"

#include "effects/layout.h"
#include "platform/os.h"

#include <cstdio>
#include <cstdlib>

int fullscreen = 1;

// The surfaces of effects/surfaces.h: owned here, drawn on and from by the effects.
SDL_Surface* screen = nullptr;

SDL_Surface* background = nullptr;
SDL_Surface* checker_layer = nullptr;
SDL_Surface* checker_overlay = nullptr;
SDL_Surface* mini_font = nullptr;
SDL_Surface* big_font = nullptr;
SDL_Surface* sprite_sheet = nullptr;

SDL_Surface* line_layer[2] = {nullptr, nullptr};
SDL_Surface* scroll_buffer[2] = {nullptr, nullptr};

Uint32 color_key = 0;

constexpr Uint32 WORK_SURFACE_FLAGS = SDL_HWSURFACE | SDL_SRCCOLORKEY;
constexpr Uint32 FULLSCREEN_VIDEO_FLAGS = SDL_FULLSCREEN | SDL_DOUBLEBUF | SDL_HWSURFACE;
constexpr Uint32 WINDOW_VIDEO_FLAGS = SDL_HWSURFACE;
constexpr int LINE_LAYER_WIDTH = 600, LINE_LAYER_HEIGHT = 400;
constexpr int SCROLL_BUFFER_WIDTH = 841, SCROLL_BUFFER_HEIGHT = 41;

SDL_Surface* create_surface(Uint32 flags, int width, int height)
{
    return SDL_CreateRGBSurface(flags, width, height, 32, PIXEL_RED_MASK, PIXEL_GREEN_MASK, PIXEL_BLUE_MASK,
                                PIXEL_ALPHA_MASK);
}

// The video library magnifies the show itself; these are its settings, read from the
// environment. The window scale is read when the video mode is set; the scale method only
// when the video subsystem starts, which is why choose_scaling may have to restart it.
static const char WINDOW_SCALING_VARIABLE[] = "SDL12COMPAT_WINDOW_SCALING";
static const char SCALE_METHOD_VARIABLE[] = "SDL12COMPAT_SCALE_METHOD";
constexpr int FIT_PERCENT = 90; // a window this much of the desktop still leaves room for its frame and panels

int window_scale(int width, int height, int desktop_width, int desktop_height)
{
    int scale = 1;
    while (width * (scale + 1) * 100 <= desktop_width * FIT_PERCENT &&
           height * (scale + 1) * 100 <= desktop_height * FIT_PERCENT)
        scale++;
    return scale;
}

int fullscreen_whole_scale(int width, int height, int desktop_width, int desktop_height)
{
    // Scaled by the smaller ratio: by height where the desktop is relatively wider.
    if (desktop_width * height >= desktop_height * width)
        return desktop_height % height == 0 && desktop_height / height > 1;
    return desktop_width % width == 0 && desktop_width / width > 1;
}

void prepare_video(int full)
{
    // A user's own window scale may be fractional, where nearest-neighbour would be uneven.
    if (!full && !getenv(WINDOW_SCALING_VARIABLE))
        setenv(SCALE_METHOD_VARIABLE, "nearest", 0);
}

int choose_scaling(int width, int height, int full)
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

int open_display(int width, int height, int full)
{
    if (!choose_scaling(width, height, full))
        return 0;
    screen = SDL_SetVideoMode(width, height, 32, full ? FULLSCREEN_VIDEO_FLAGS : WINDOW_VIDEO_FLAGS);
    if (!screen)
        return 0;

    // NOTE: a failure here leaves the surfaces already made; the intro is ending anyway.
    if (!(line_layer[0] = create_surface(WORK_SURFACE_FLAGS, LINE_LAYER_WIDTH, LINE_LAYER_HEIGHT)))
        return 0;
    if (!(line_layer[1] = create_surface(WORK_SURFACE_FLAGS, LINE_LAYER_WIDTH, LINE_LAYER_HEIGHT)))
        return 0;
    if (!(scroll_buffer[0] = create_surface(WORK_SURFACE_FLAGS, SCROLL_BUFFER_WIDTH, SCROLL_BUFFER_HEIGHT)))
        return 0;
    if (!(scroll_buffer[1] = create_surface(WORK_SURFACE_FLAGS, SCROLL_BUFFER_WIDTH, SCROLL_BUFFER_HEIGHT)))
        return 0;

    // Magenta has the same value whichever byte red sits in, so this key also fits our own surfaces.
    color_key = SDL_MapRGB(screen->format, 255, 0, 255);

    SDL_Surface* keyed[] = {mini_font, big_font, checker_overlay, line_layer[0], line_layer[1], sprite_sheet};
    for (SDL_Surface* surface : keyed)
        SDL_SetColorKey(surface, SDL_SRCCOLORKEY, color_key);

    // The scroll buffers start transparent and unkeyed: the scroller keys them itself, frame by frame.
    SDL_FillRect(scroll_buffer[0], nullptr, color_key);
    SDL_FillRect(scroll_buffer[1], nullptr, color_key);
    return 1;
}

static void free_surface(SDL_Surface*& surface)
{
    if (surface)
        SDL_FreeSurface(surface);
    surface = nullptr;
}

void free_surfaces()
{
    free_surface(checker_overlay);
    free_surface(checker_layer);
    free_surface(background);
    free_surface(mini_font);
    free_surface(big_font);
    free_surface(line_layer[0]);
    free_surface(scroll_buffer[0]);
    free_surface(line_layer[1]);
    free_surface(scroll_buffer[1]);
    free_surface(sprite_sheet);
}
