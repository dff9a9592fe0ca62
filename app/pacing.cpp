// pacing.cpp -- the frame clock, the rest of a frame's budget, and the rule that holds full screen to 50 frames a second
#include "app/pacing.h"

#include "platform/os.h"

void clock_now(frame_clock* clock)
{
    int32_t seconds, milliseconds;
    clock_ms(&seconds, &milliseconds);
    clock->seconds = seconds;
    clock->microseconds = milliseconds * 1000;
}

int elapsed_ms(const frame_clock* start, const frame_clock* now)
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

// The show counts frames, and was made for displays of 50 to 60 Hz. In full screen it
// follows the flip, which on such a display waits for the next refresh. Where the flip
// comes back faster -- a display above about 75 Hz, or a flip that waits for nothing --
// following it would run the whole show too fast, so the loop is held to the window's
// 20 ms budget instead.
//
// Following: flip_ms is the refresh period (start is taken just after the previous flip).
// Each fast flip adds one to a score and each slow one takes one away; at
// FAST_FLIPS_TO_HOLD the loop is held. A burst of fast flips shorter than that on a 60 Hz
// display, or a slow frame among many fast ones, does not change the decision.
//
// Holding: flip_ms is the drawing plus the wait for the next refresh, and that wait is
// shorter than one refresh period. On a fast display it stays under FAST_FLIP_MS; on a
// display of 75 Hz or less the wait drifts against our 20 ms, and a sixth of the flips
// (at 72 Hz) to a third (at 60 Hz) come back late. So the flips are counted in blocks of HOLD_BLOCK_FRAMES, and
// SLOW_FLIPS_TO_FOLLOW slow ones in a block go back to following the flip: a single slow
// frame never does. At exactly 50 Hz the wait may stay short; holding then gives the same
// 50 frames per second anyway.
int pace_step(flip_pacing* pacing, int flip_ms)
{
    int fast = flip_ms < FAST_FLIP_MS;
    if (!pacing->hold) {
        if (fast)
            pacing->fast_score++;
        else if (pacing->fast_score > 0)
            pacing->fast_score--;
        if (pacing->fast_score >= FAST_FLIPS_TO_HOLD) {
            pacing->hold = 1;
            pacing->block_frames = 0;
            pacing->slow_flips = 0;
        }
        return pacing->hold;
    }
    pacing->block_frames++;
    pacing->slow_flips += !fast;
    if (pacing->slow_flips >= SLOW_FLIPS_TO_FOLLOW) {
        pacing->hold = 0;
        pacing->fast_score = 0;
    } else if (pacing->block_frames >= HOLD_BLOCK_FRAMES) {
        pacing->block_frames = 0;
        pacing->slow_flips = 0;
    }
    return pacing->hold;
}
