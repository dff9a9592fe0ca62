// video_web.cpp -- the display in a web page: the page's input into SDL events, each frame's changed regions onto its canvas
//
// SDL's dummy video driver draws in plain memory and reads no input. The page queues its
// key, mouse and touch events (Module.nextEvent) and shows regions of the screen's memory
// (Module.showRegion, Module.frameShown); it also lays the canvas out and makes it full
// screen, so the show always runs as in a window here.
#include "platform/video.h"

#include "platform/os.h"
#include "platform/os_web.h"

#include <SDL.h>
#include <emscripten.h>

// A frame that finds the browser kept waiting this long gives it its turn: a late frame
// never sleeps, and without a turn the page would neither draw nor deliver input.
constexpr double YIELD_AFTER_MS = 50;

// The page hands each event over as { down, button }: button 0 for a key, else the
// mouse button in SDL's numbering (a tap is the left one). page_next_event packs it
// into these codes, which are known on this side only: PAGE_PRESSED or PAGE_RELEASED,
// plus the button times PAGE_BUTTON_STEP. 0 means the queue is empty.
constexpr int PAGE_PRESSED = 1, PAGE_RELEASED = 2, PAGE_STATE_MASK = 3;
constexpr int PAGE_BUTTON_STEP = 4;

// The canvas's byte order is red, green, blue, then alpha, which must be opaque. Our build
// of the video library (tools/deps/patches/libsdl1.2) gives the screen that very layout,
// the intro's own, so the canvas takes each region from the screen's memory as it stands.
constexpr Uint32 CANVAS_OPAQUE = 0xFF000000;

// clang-format off
EM_JS(int, page_next_event, (int pressed, int released, int button_step), {
    const event = Module.nextEvent ? Module.nextEvent() : null;
    return event ? (event.down ? pressed : released) + event.button * button_step : 0;
});
EM_JS(void, page_show_region, (const uint32_t* pixels, int width, int height, int x, int y, int w, int h), {
    Module.showRegion(HEAPU8.buffer, pixels, width, height, x, y, w, h);
});
EM_JS(void, page_frame_shown, (), {
    Module.frameShown();
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
    for (int code; (code = page_next_event(PAGE_PRESSED, PAGE_RELEASED, PAGE_BUTTON_STEP)) != 0;) {
        int pressed = (code & PAGE_STATE_MASK) == PAGE_PRESSED;
        int button = code / PAGE_BUTTON_STEP;
        SDL_Event event = {};
        if (button == 0) {
            event.type = pressed ? SDL_KEYDOWN : SDL_KEYUP;
            event.key.state = pressed ? SDL_PRESSED : SDL_RELEASED;
        } else {
            event.type = pressed ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
            event.button.state = pressed ? SDL_PRESSED : SDL_RELEASED;
            event.button.button = static_cast<Uint8>(button);
        }
        SDL_PushEvent(&event);
    }
}

// Makes the region opaque and hands it to the canvas, clipped to the screen. Only the
// unused fourth byte is touched: nothing reads the screen back.
// NOTE: the rest of the canvas keeps what it was last given, so every pixel drawn must
// lie in a region shown; the screen's memory stays opaque wherever it was shown.
static void show_region(SDL_Surface* screen, const SDL_Rect* rect)
{
    int x0 = rect->x > 0 ? rect->x : 0, y0 = rect->y > 0 ? rect->y : 0;
    int x1 = rect->x + rect->w < screen->w ? rect->x + rect->w : screen->w;
    int y1 = rect->y + rect->h < screen->h ? rect->y + rect->h : screen->h;
    if (x0 >= x1 || y0 >= y1)
        return;
    for (int y = y0; y < y1; y++) {
        Uint32* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(screen->pixels) + y * screen->pitch);
        for (int x = x0; x < x1; x++)
            row[x] |= CANVAS_OPAQUE;
    }
    page_show_region(static_cast<const uint32_t*>(screen->pixels), screen->w, screen->h, x0, y0, x1 - x0, y1 - y0);
}

static void frame_shown()
{
    page_frame_shown();
    if (ms_since_yield() >= YIELD_AFTER_MS)
        Sleep(0);
}

void video_update(SDL_Surface* show, const SDL_Rect* rects, int count)
{
    for (int i = 0; i < count; i++)
        show_region(show, &rects[i]);
    frame_shown();
}

void video_flip(SDL_Surface* show)
{
    SDL_Rect whole = {0, 0, Uint16(show->w), Uint16(show->h)};
    video_update(show, &whole, 1);
}
