// backdrop_test.cpp -- the checkerboards' source offsets frame by frame, their bounds, and the pixels they leave
#include "effects/backdrop.h"

#include "app/display.h"
#include "effects/layout.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void reset_motion()
{
    backdrop_motion = {0.0, 0.0, 0.0, 0.0, 0.0};
}

// The offsets straight from the formula, truncating in 64 bits so that the
// reference itself stays defined for the large values below.
int64_t formula_offset(double value, int64_t period)
{
    return 2 * (static_cast<int64_t>(std::trunc(value)) % period);
}

// The same motion, stepped here independently of backdrop_step.
struct reference_motion {
    double phase = 0.0, layer_x = 0.0, layer_y = 0.0, overlay_x = 0.0, overlay_y = 0.0;
    void step()
    {
        double s = std::sin(phase);
        overlay_x += 5.0 * s;
        overlay_y += 2.0;
        layer_x += 2.5 * s;
        layer_y += 1.0;
        phase += 0.01;
    }
};

} // namespace

TEST(backdrop, offsets_follow_the_motion_formula_for_two_thousand_frames)
{
    reset_motion();
    reference_motion ref;
    for (int frame = 1; frame <= 2000; frame++) {
        backdrop_source_offsets got = backdrop_offsets(backdrop_motion);
        ASSERT_EQ(got.layer_x, formula_offset(ref.layer_x, 25)) << "frame " << frame;
        ASSERT_EQ(got.layer_y, formula_offset(ref.layer_y, 25)) << "frame " << frame;
        ASSERT_EQ(got.overlay_x, formula_offset(ref.overlay_x, 50)) << "frame " << frame;
        ASSERT_EQ(got.overlay_y, formula_offset(ref.overlay_y, 50)) << "frame " << frame;
        backdrop_step();
        ref.step();
        ASSERT_EQ(backdrop_motion.phase, ref.phase);
        ASSERT_EQ(backdrop_motion.layer_x, ref.layer_x);
        ASSERT_EQ(backdrop_motion.overlay_x, ref.overlay_x);
    }
}

TEST(backdrop, vertical_offsets_start_at_zero_and_wrap_after_twenty_five_frames)
{
    reset_motion();
    for (int frame = 1; frame <= 26; frame++) {
        backdrop_source_offsets got = backdrop_offsets(backdrop_motion);
        int k = (frame - 1) % 25;
        EXPECT_EQ(got.layer_y, 2 * k) << "frame " << frame;   // 0, 2, ..., 48, 0
        EXPECT_EQ(got.overlay_y, 4 * k) << "frame " << frame; // 0, 4, ..., 96, 0
        if (frame == 1) {
            EXPECT_EQ(got.layer_x, 0);
            EXPECT_EQ(got.overlay_x, 0);
        }
        backdrop_step();
    }
}

TEST(backdrop, sway_starts_leftwards)
{
    // A growing source x moves the picture left; the first sideways move of either
    // board must therefore be 0 -> 2, never 0 -> the top of the range.
    reset_motion();
    int first_layer_move = -1, first_overlay_move = -1;
    for (int frame = 1; frame <= 200 && (first_layer_move < 0 || first_overlay_move < 0); frame++) {
        backdrop_source_offsets got = backdrop_offsets(backdrop_motion);
        if (first_layer_move < 0 && got.layer_x != 0)
            first_layer_move = got.layer_x;
        if (first_overlay_move < 0 && got.overlay_x != 0)
            first_overlay_move = got.overlay_x;
        backdrop_step();
    }
    EXPECT_EQ(first_layer_move, 2);
    EXPECT_EQ(first_overlay_move, 2);
}

TEST(backdrop, sway_stays_in_bounds_and_moves_in_small_even_steps_over_ten_thousand_frames)
{
    reset_motion();
    double layer_min = 0, layer_max = 0, overlay_min = 0, overlay_max = 0;
    backdrop_source_offsets before = backdrop_offsets(backdrop_motion);
    for (int frame = 1; frame <= 10000; frame++) {
        backdrop_step();
        layer_min = std::fmin(layer_min, backdrop_motion.layer_x);
        layer_max = std::fmax(layer_max, backdrop_motion.layer_x);
        overlay_min = std::fmin(overlay_min, backdrop_motion.overlay_x);
        overlay_max = std::fmax(overlay_max, backdrop_motion.overlay_x);

        backdrop_source_offsets now = backdrop_offsets(backdrop_motion);
        ASSERT_TRUE(now.layer_x >= 0 && now.layer_x <= 48 && now.layer_x % 2 == 0) << now.layer_x;
        ASSERT_TRUE(now.layer_y >= 0 && now.layer_y <= 48 && now.layer_y % 2 == 0) << now.layer_y;
        ASSERT_TRUE(now.overlay_x >= 0 && now.overlay_x <= 98 && now.overlay_x % 2 == 0) << now.overlay_x;
        ASSERT_TRUE(now.overlay_y >= 0 && now.overlay_y <= 96 && now.overlay_y % 4 == 0) << now.overlay_y;

        // Displacement on screen, folded into the boards' repeat.
        int layer_dx = ((now.layer_x - before.layer_x) % 50 + 75) % 50 - 25;
        int overlay_dx = ((now.overlay_x - before.overlay_x) % 100 + 150) % 100 - 50;
        ASSERT_LE(std::abs(layer_dx), 6) << "frame " << frame;
        ASSERT_LE(std::abs(overlay_dx), 10) << "frame " << frame;
        before = now;
    }
    std::printf("layer_x %.6f .. %.6f, overlay_x %.6f .. %.6f\n", layer_min, layer_max, overlay_min,
                overlay_max);
    EXPECT_GT(layer_min, -1.0);
    EXPECT_LT(layer_max, 501.0);
    EXPECT_GT(overlay_min, -1.0);
    EXPECT_LT(overlay_max, 1001.0);
    // The sway really does cover its range.
    EXPECT_GT(layer_max, 490.0);
    EXPECT_GT(overlay_max, 980.0);
}

TEST(backdrop, drift_far_beyond_the_int_range_keeps_the_formulas_offsets)
{
    struct drift_case {
        double value;
    };
    const drift_case cases[] = {
        {2147483646.0},           // 2^31 - 2
        {2147483647.0},           // 2^31 - 1, the last value an int holds
        {2147483647.75},          // truncates to 2^31 - 1
        {2147483648.0},           // 2^31
        {2147483649.5},           // 2^31 + 1.5
        {4294967296.0 + 3.0},     // 2^32 + 3
        {6442450941.0},           // 3 * 2^31 - 3
        {1.0e15 + 7.0},
        {9007199254740992.0},     // 2^53: from here on adding 1.0 no longer changes the value
        {-2147483649.0},          // below the int range: the remainder keeps the dividend's sign
    };
    for (const drift_case& c : cases) {
        backdrop_motion_state motion{0.0, c.value, c.value, c.value, c.value};
        backdrop_source_offsets got = backdrop_offsets(motion);
        EXPECT_EQ(got.layer_x, formula_offset(c.value, 25)) << c.value;
        EXPECT_EQ(got.layer_y, formula_offset(c.value, 25)) << c.value;
        EXPECT_EQ(got.overlay_x, formula_offset(c.value, 50)) << c.value;
        EXPECT_EQ(got.overlay_y, formula_offset(c.value, 50)) << c.value;
    }
}

TEST(backdrop, scrolling_carries_on_smoothly_across_two_to_the_thirty_first)
{
    reset_motion();
    backdrop_motion.layer_y = 2147483648.0 - 5.0;
    backdrop_motion.overlay_y = 2147483648.0 - 10.0;
    backdrop_source_offsets before = backdrop_offsets(backdrop_motion);
    for (int frame = 0; frame < 20; frame++) {
        backdrop_step();
        backdrop_source_offsets now = backdrop_offsets(backdrop_motion);
        EXPECT_EQ(now.layer_y, (before.layer_y + 2) % 50) << "step " << frame;
        EXPECT_EQ(now.overlay_y, (before.overlay_y + 4) % 100) << "step " << frame;
        before = now;
    }
}

// ---------------------------------------------------------------- pixels on real surfaces

class backdrop_pixels : public test_display_suite {};

namespace {

constexpr Uint32 SENTINEL = 0x00123456;

// Counts the text-window pixels that differ from the overlay over the layer at
// the given offsets, and the pixels outside the window that lost the sentinel.
void count_mismatches(const backdrop_source_offsets& o, int* inside, int* outside)
{
    *inside = 0;
    *outside = 0;
    SDL_LockSurface(screen);
    SDL_LockSurface(checker_layer);
    SDL_LockSurface(checker_overlay);
    // The screen's format is the video driver's, not necessarily the bitmaps': compare colours.
    auto at = [](SDL_Surface* s, int x, int y) {
        return rgb_of(s, reinterpret_cast<Uint32*>(static_cast<Uint8*>(s->pixels) + y * s->pitch)[x]);
    };
    const Uint32 sentinel_rgb = rgb_of(screen, SENTINEL);
    const Uint32 magenta = 0xFF00FF;
    for (int y = 0; y < SCREEN_HEIGHT; y++)
        for (int x = 0; x < SCREEN_WIDTH; x++) {
            Uint32 got = at(screen, x, y);
            int wx = x - text_window.x, wy = y - text_window.y;
            if (wx < 0 || wy < 0 || wx >= text_window.w || wy >= text_window.h) {
                if (got != sentinel_rgb)
                    ++*outside;
                continue;
            }
            Uint32 want = at(checker_overlay, o.overlay_x + wx, o.overlay_y + wy);
            if (want == magenta)
                want = at(checker_layer, o.layer_x + wx, o.layer_y + wy);
            if (got != want)
                ++*inside;
        }
    SDL_UnlockSurface(checker_overlay);
    SDL_UnlockSurface(checker_layer);
    SDL_UnlockSurface(screen);
}

} // namespace

TEST_F(backdrop_pixels, boards_are_the_bitmaps_at_the_offsets_and_nothing_else_changes)
{
    // The shipped overlay must actually have holes, or the keyed blit proves nothing.
    int holes = 0;
    for (int x = 0; x < 100; x++)
        holes += get_pixel(checker_overlay, x, 0) == color_key;
    ASSERT_GT(holes, 0);
    ASSERT_LT(holes, 100);

    reset_motion();
    const int checked[] = {1, 2, 14, 26, 160, 777, 2000};
    int next = 0;
    for (int frame = 1; frame <= 2000; frame++) {
        if (frame == checked[next]) {
            SDL_FillRect(screen, nullptr, SENTINEL);
            draw_backdrop();
            backdrop_source_offsets o = backdrop_offsets(backdrop_motion);
            int inside, outside;
            count_mismatches(o, &inside, &outside);
            EXPECT_EQ(inside, 0) << "frame " << frame;
            EXPECT_EQ(outside, 0) << "frame " << frame;
            next++;
        }
        backdrop_step();
    }
    EXPECT_EQ(next, 7);
}

TEST_F(backdrop_pixels, first_frame_copies_both_bitmaps_from_their_corner)
{
    reset_motion();
    draw_backdrop();
    // Spot checks against the bitmaps directly, independent of backdrop_offsets.
    for (int y = 0; y < text_window.h; y += 37)
        for (int x = 0; x < text_window.w; x += 41) {
            Uint32 over = get_pixel(checker_overlay, x, y);
            SDL_Surface* from = over == color_key ? checker_layer : checker_overlay;
            ASSERT_EQ(get_rgb(screen, text_window.x + x, text_window.y + y), get_rgb(from, x, y))
                << x << "," << y;
        }
}

TEST_F(backdrop_pixels, whatever_was_drawn_into_the_window_is_gone_next_frame)
{
    reset_motion();
    draw_backdrop();
    backdrop_step();
    // Draw "text" everywhere in the window, including its corners and edges.
    SDL_Rect window{static_cast<Sint16>(text_window.x), static_cast<Sint16>(text_window.y),
                    static_cast<Uint16>(text_window.w), static_cast<Uint16>(text_window.h)};
    SDL_FillRect(screen, &window, SENTINEL);
    draw_backdrop();
    int left = 0;
    for (int y = text_window.y; y < text_window.y + text_window.h; y++)
        for (int x = text_window.x; x < text_window.x + text_window.w; x++)
            left += get_pixel(screen, x, y) == SENTINEL;
    EXPECT_EQ(left, 0);
}
