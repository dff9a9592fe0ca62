// pacing.h -- how long a frame lasts: the frame clock, the window's budget and the full-screen flip rule
#pragma once

#include <cstdint>

constexpr int FRAME_BUDGET_MS = 20; // a window runs at 50 frames per second at most

struct frame_clock {
    int32_t seconds;
    int32_t microseconds;
};

void clock_now(frame_clock* clock);
// Milliseconds from start to now, rounded towards zero.
int elapsed_ms(const frame_clock* start, const frame_clock* now);
// Milliseconds left of budget_ms since start at now; 0 when the frame is late.
int frame_rest_ms(const frame_clock* start, const frame_clock* now, int budget_ms);
// Sleeps out what is left of budget_ms since start.
void wait_frame_rest(const frame_clock* start, int budget_ms);

// Full screen follows the flip while the flip waits for a display of 75 Hz or less,
// and is held to FRAME_BUDGET_MS where the flip comes back faster (see pace_step).
constexpr int FAST_FLIP_MS = 13;          // a flip period below this is a display above about 75 Hz
constexpr int FAST_FLIPS_TO_HOLD = 25;    // net fast flips, while following, that start holding
constexpr int HOLD_BLOCK_FRAMES = 100;    // while holding, flips are judged in blocks of this many
constexpr int SLOW_FLIPS_TO_FOLLOW = 10;  // slow flips in one block that go back to following

struct flip_pacing {
    int hold;         // 1: hold the loop to FRAME_BUDGET_MS; 0: follow the flip
    int fast_score;   // while following: fast flips less slow ones, never below 0
    int block_frames; // while holding: frames judged so far in the current block
    int slow_flips;   // while holding: slow flips in the current block
};

// One full-screen frame's step, frame-exact and without a display. flip_ms is the time
// from the frame's start to the return of its flip, with no sleep of ours in it. Returns 1
// when the loop is held (the rest of FRAME_BUDGET_MS is slept out now), 0 when it follows the flip.
int pace_step(flip_pacing* pacing, int flip_ms);
