// frame_loop.cpp -- calls every effect once per frame in a fixed order, turns input into the quit request, paces
#include "app/frame_loop.h"

#include "app/display.h"
#include "effects/backdrop.h"
#include "effects/layout.h"
#include "effects/page_cycle.h"
#include "effects/page_writer.h"
#include "effects/scroller.h"
#include "effects/sprite.h"
#include "platform/os.h"

int quit_request = 0;

// Full screen is paced by the flip alone, as long as the flip waits for the display. A
// flip that returns this fast three times running cannot be waiting for any real
// refresh, so from then on the full-screen loop is held to the window's budget too.
constexpr int FLIP_MIN_VSYNC_MS = 3;
constexpr int FAST_FLIPS_TO_PACE = 3;
static int fast_flips = 0;
static int pace_fullscreen = 0;

void clock_now(frame_clock* clock)
{
    int32_t seconds, milliseconds;
    clock_ms(&seconds, &milliseconds);
    clock->seconds = seconds;
    clock->microseconds = milliseconds * 1000;
}

static int elapsed_ms(const frame_clock* start, const frame_clock* now)
{
    // A negative microsecond difference is balanced by the borrow already in the seconds.
    return (now->seconds - start->seconds) * 1000 + (now->microseconds - start->microseconds) / 1000;
}

int frame_rest_ms(const frame_clock* start, const frame_clock* now, int budget_ms)
{
    int elapsed = elapsed_ms(start, now);
    // A clock reading before the start cannot happen with a monotonic clock; never sleep beyond the budget.
    if (elapsed < 0)
        elapsed = 0;
    int rest = budget_ms - elapsed;
    return rest > 0 ? rest : 0;
}

void wait_frame_rest(const frame_clock* start, int budget_ms)
{
    frame_clock now;
    clock_now(&now);
    int rest = frame_rest_ms(start, &now, budget_ms);
    if (rest > 0)
        Sleep(static_cast<uint32_t>(rest));
}

void handle_event(const SDL_Event* event)
{
    // Only a key's release counts (its press does not), and only the left or right button.
    // The window's close request is deliberately ignored.
    if (event->type == SDL_KEYUP)
        quit_request = 1;
    else if (event->type == SDL_MOUSEBUTTONDOWN && event->button.state == SDL_PRESSED &&
             (event->button.button == SDL_BUTTON_LEFT || event->button.button == SDL_BUTTON_RIGHT))
        quit_request = 1;
}

void begin_frames()
{
    page_cycle_step();
}

void draw_frame()
{
    page_cycle_step();
    move_line_layer(0);
    move_line_layer(1);

    SDL_Event event;
    while (SDL_PollEvent(&event))
        handle_event(&event);

    draw_backdrop();
    // Positions are 24.8 fixed point; the shift keeps the sign (rounds toward minus infinity).
    composite_line_layer(line_layer[0], layer_motion[0].position >> 8, drop_offset);
    composite_line_layer(line_layer[1], layer_motion[1].position >> 8, drop_offset);
    scroller_step();
    sprite_step();
}

void finish_frame()
{
    backdrop_step();
}

static void present_window(const frame_clock* start)
{
    SDL_UpdateRect(screen, text_window.x, text_window.y, text_window.w, text_window.h);
    SDL_UpdateRect(screen, scroll_band.x, scroll_band.y, scroll_band.w, scroll_band.h);
    SDL_UpdateRect(screen, sprite_column.x, sprite_column.y, sprite_column.w, sprite_column.h);
    wait_frame_rest(start, FRAME_BUDGET_MS);
}

static void present_fullscreen(const frame_clock* start)
{
    SDL_Flip(screen);
    if (pace_fullscreen) {
        wait_frame_rest(start, FRAME_BUDGET_MS);
        return;
    }
    frame_clock now;
    clock_now(&now);
    if (elapsed_ms(start, &now) < FLIP_MIN_VSYNC_MS) {
        if (++fast_flips >= FAST_FLIPS_TO_PACE)
            pace_fullscreen = 1;
    } else {
        fast_flips = 0;
    }
}

void run_frames()
{
    begin_frames();
    if (quit_request)
        return;
    for (;;) {
        // The start time is taken in full screen too: it tells whether the flip waits for the display.
        frame_clock start;
        clock_now(&start);
        draw_frame();
        if (fullscreen)
            present_fullscreen(&start);
        else
            present_window(&start);
        finish_frame();
        if (quit_request)
            return;
    }
}
