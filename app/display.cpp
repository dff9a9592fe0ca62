// display.cpp -- opens the display, makes the work surfaces and colour key, and frees every surface at the end
#include "app/display.h"

#include "effects/layout.h"
#include "platform/video.h"

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
constexpr int LINE_LAYER_WIDTH = 600, LINE_LAYER_HEIGHT = 400;
constexpr int SCROLL_BUFFER_WIDTH = 841, SCROLL_BUFFER_HEIGHT = 41;

SDL_Surface* create_surface(Uint32 flags, int width, int height)
{
    return SDL_CreateRGBSurface(flags, width, height, 32, PIXEL_RED_MASK, PIXEL_GREEN_MASK, PIXEL_BLUE_MASK,
                                PIXEL_ALPHA_MASK);
}

int open_display(int width, int height, int full)
{
    screen = open_video(width, height, full);
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
