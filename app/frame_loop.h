// frame_loop.h -- the intro's only loop: one frame of every effect, input, present and pacing
#pragma once

#include <SDL.h>
#include <cstdint>

constexpr int FRAME_BUDGET_MS = 20; // a window runs at 50 frames per second at most

struct frame_clock {
    int32_t seconds;
    int32_t microseconds;
};

// Set by a key release or a left/right button press; never cleared.
extern int quit_request;

// Runs frames until quit_request is set; the frame in which it is set is drawn and presented.
void run_frames();

// The work before the loop: prepares the first page.
void begin_frames();
// One frame up to (not including) the present: page cycle, layer motion, events and every effect's drawing.
void draw_frame();
// The work after the present: advances the backdrop's motion.
void finish_frame();

// Sets quit_request for the events that end the show; ignores every other event.
void handle_event(const SDL_Event* event);

void clock_now(frame_clock* clock);
// Milliseconds left of budget_ms since start at now; 0 when the frame is late.
int frame_rest_ms(const frame_clock* start, const frame_clock* now, int budget_ms);
// Sleeps out what is left of budget_ms since start.
void wait_frame_rest(const frame_clock* start, int budget_ms);
