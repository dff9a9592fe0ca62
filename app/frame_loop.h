// frame_loop.h -- the intro's only loop, each frame in a fixed order: the effects, input, present, wait
#pragma once

#include "app/pacing.h"

#include <SDL.h>

// Set by a key release, a left/right button press or the system's request to end; never cleared.
extern int quit_request;

// Runs frames until quit_request is set; the frame in which it is set is drawn and presented.
void run_frames();

// The work before the loop: prepares the first page.
void begin_frames();
// One frame up to (not including) the present: page cycle, layer motion, events and every effect's drawing.
void draw_frame();
// Presents the frame: a flip in full screen, the three changing regions in a window.
void present_frame();
// Paces the loop after the present: a window sleeps out the rest of FRAME_BUDGET_MS since
// start; full screen steps pace_step and does so only while the rule holds it.
void pace_frame(const frame_clock* start);
// The work after the present: advances the backdrop's motion.
void finish_frame();

// Sets quit_request for the events that end the show; ignores every other event.
void handle_event(const SDL_Event* event);
