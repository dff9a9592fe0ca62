// backdrop.cpp -- the two swaying checkerboards behind the page text
#include "effects/backdrop.h"

#include "effects/layout.h"
#include "effects/surfaces.h"

#include <SDL.h>
#include <cmath>

backdrop_motion_state backdrop_motion = {0.0, 0.0, 0.0, 0.0, 0.0};

// The lower board repeats every 50 pixels, the upper every 100; one motion unit is 2 pixels.
constexpr int LAYER_PERIOD_UNITS = 25;
constexpr int OVERLAY_PERIOD_UNITS = 50;

// 2 * (trunc(value) mod period), the remainder taking the dividend's sign.
// NOTE: the drift variables grow without bound, and converting a double outside
// the int range is undefined, so the remainder is taken in double first (fmod is
// exact) and only the small result is converted.
static int wrapped_offset(double value, int period)
{
    return 2 * static_cast<int>(std::fmod(std::trunc(value), static_cast<double>(period)));
}

backdrop_source_offsets backdrop_offsets(const backdrop_motion_state& motion)
{
    backdrop_source_offsets offsets;
    offsets.layer_x = wrapped_offset(motion.layer_x, LAYER_PERIOD_UNITS);
    offsets.layer_y = wrapped_offset(motion.layer_y, LAYER_PERIOD_UNITS);
    offsets.overlay_x = wrapped_offset(motion.overlay_x, OVERLAY_PERIOD_UNITS);
    offsets.overlay_y = wrapped_offset(motion.overlay_y, OVERLAY_PERIOD_UNITS);
    return offsets;
}

static void blit_board(SDL_Surface* board, int source_x, int source_y)
{
    blit_to_screen(board, source_x, source_y, text_window.w, text_window.h, text_window.x, text_window.y);
}

void draw_backdrop()
{
    backdrop_source_offsets offsets = backdrop_offsets(backdrop_motion);
    // The opaque board first: it is what erases last frame's text.
    blit_board(checker_layer, offsets.layer_x, offsets.layer_y);
    blit_board(checker_overlay, offsets.overlay_x, offsets.overlay_y);
}

void backdrop_step()
{
    double s = std::sin(backdrop_motion.phase);
    backdrop_motion.overlay_x += 5.0 * s;
    backdrop_motion.overlay_y += 2.0;
    backdrop_motion.layer_x += 2.5 * s;
    backdrop_motion.layer_y += 1.0;
    backdrop_motion.phase += 0.01;
}
