// frame_loop.cpp -- the intro's only loop: every effect once a frame in a fixed order, then the present and the wait
#include "app/frame_loop.h"

#include "app/display.h"
#include "effects/backdrop.h"
#include "effects/layout.h"
#include "effects/page_cycle.h"
#include "effects/page_writer.h"
#include "effects/scroller.h"
#include "effects/sprite.h"
#include "platform/os.h"
#include "platform/video.h"

int quit_request = 0;

// The full-screen pacing, stepped once a frame by pace_frame.
static flip_pacing fullscreen_pacing = {0, 0, 0, 0};

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

    video_events();
    SDL_Event event;
    while (SDL_PollEvent(&event))
        handle_event(&event);
    // The system asking the process to end (Ctrl+C, kill, a logout) ends it as a key release does.
    if (end_signal_received())
        quit_request = 1;

    draw_backdrop();
    composite_line_layer(line_layer[0], line_layer_x(0), drop_offset);
    composite_line_layer(line_layer[1], line_layer_x(1), drop_offset);
    scroller_step();
    sprite_step();
}

void finish_frame()
{
    backdrop_step();
}

static SDL_Rect sdl_rect(screen_region region)
{
    return {Sint16(region.x), Sint16(region.y), Uint16(region.w), Uint16(region.h)};
}

// A window's frame: the three regions that change, in this order.
static const SDL_Rect CHANGED_REGIONS[] = {sdl_rect(text_window), sdl_rect(scroll_band), sdl_rect(sprite_column)};

void present_frame()
{
    if (fullscreen)
        video_flip(screen);
    else
        video_update(screen, CHANGED_REGIONS, sizeof(CHANGED_REGIONS) / sizeof(CHANGED_REGIONS[0]));
}

void pace_frame(const frame_clock* start)
{
    if (!fullscreen) {
        wait_frame_rest(start, FRAME_BUDGET_MS);
        return;
    }
    frame_clock now;
    clock_now(&now);
    // The step judges this flip; the sleep that may follow is not part of what it sees.
    if (pace_step(&fullscreen_pacing, elapsed_ms(start, &now)))
        wait_frame_rest(start, FRAME_BUDGET_MS);
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
        present_frame();
        pace_frame(&start);
        finish_frame();
        if (quit_request)
            return;
    }
}
