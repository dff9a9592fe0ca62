// video_web.cpp -- the display in a web page: the page's input into SDL events, each frame onto its canvas
//
// SDL's dummy video driver draws in plain memory and reads no input. The page queues its
// key and mouse events (Module.nextEvent) and shows frames (Module.showFrame); it also lays
// the canvas out and makes it full screen, so the show always runs as in a window here.
#include "platform/video.h"

#include "platform/os.h"
#include "platform/os_web.h"

#include <SDL.h>
#include <emscripten.h>

// A frame that finds the browser kept waiting this long gives it its turn: a late frame
// never sleeps, and without a turn the page would neither draw nor deliver input.
constexpr double YIELD_AFTER_MS = 50;

// The page's event codes: the kind times 16 plus the button (SDL's numbering).
constexpr int PAGE_KEY_DOWN = 1, PAGE_KEY_UP = 2, PAGE_BUTTON_DOWN = 3, PAGE_BUTTON_UP = 4;
constexpr int PAGE_KIND_SHIFT = 4, PAGE_BUTTON_MASK = 15;

// The canvas's byte order is red, green, blue, then alpha, which must be opaque. Our build
// of the video library (tools/deps/patches/libsdl1.2) gives the screen that very layout,
// the intro's own, so the canvas takes each frame from the screen's memory as it stands.
constexpr Uint32 CANVAS_OPAQUE = 0xFF000000;

// clang-format off
EM_JS(int, page_next_event, (), {
    return Module.nextEvent ? Module.nextEvent() : 0;
});
EM_JS(void, page_show_frame, (const uint32_t* pixels, int width, int height), {
    Module.showFrame(HEAPU8.buffer, pixels, width, height);
});
// clang-format on

void prepare_video(int)
{
}

SDL_Surface* open_video(int width, int height, int)
{
    return SDL_SetVideoMode(width, height, 32, SDL_HWSURFACE);
}

void close_video()
{
}

void video_events()
{
    for (int code; (code = page_next_event()) != 0;) {
        int kind = code >> PAGE_KIND_SHIFT;
        SDL_Event event = {};
        if (kind == PAGE_KEY_DOWN || kind == PAGE_KEY_UP) {
            event.type = kind == PAGE_KEY_DOWN ? SDL_KEYDOWN : SDL_KEYUP;
            event.key.state = kind == PAGE_KEY_DOWN ? SDL_PRESSED : SDL_RELEASED;
        } else if (kind == PAGE_BUTTON_DOWN || kind == PAGE_BUTTON_UP) {
            event.type = kind == PAGE_BUTTON_DOWN ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
            event.button.state = kind == PAGE_BUTTON_DOWN ? SDL_PRESSED : SDL_RELEASED;
            event.button.button = static_cast<Uint8>(code & PAGE_BUTTON_MASK);
        } else {
            continue;
        }
        SDL_PushEvent(&event);
    }
}

// Only the unused fourth byte is touched: nothing reads the screen back, and every frame
// draws it whole before it is shown.
static void show_frame(SDL_Surface* screen)
{
    for (int y = 0; y < screen->h; y++) {
        Uint32* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(screen->pixels) + y * screen->pitch);
        for (int x = 0; x < screen->w; x++)
            row[x] |= CANVAS_OPAQUE;
    }
    page_show_frame(static_cast<const uint32_t*>(screen->pixels), screen->w, screen->h);
    if (ms_since_yield() >= YIELD_AFTER_MS)
        Sleep(0);
}

void video_update(SDL_Surface* show, const SDL_Rect*, int)
{
    show_frame(show);
}

void video_flip(SDL_Surface* show)
{
    show_frame(show);
}
