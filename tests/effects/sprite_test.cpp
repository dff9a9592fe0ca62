// sprite_test.cpp -- the sprite's jumps, timers and random draws frame by frame, and the pixels it leaves
#include "effects/sprite.h"

#include "app/display.h"
#include "effects/layout.h"
#include "platform/random.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

void reset_sprite()
{
    sprite_state = SPRITE_IDLE_A;
    blink_timer = -1;
    jump_timer = 0;
    jump_time = 0.0;
    launch_speed = 0.0;
    previous_y = 0;
}

// Puts the sprite into the frame after a launch at the given speed.
void launch_at(int speed, int blink, int wait)
{
    sprite_state = SPRITE_RISING;
    launch_speed = speed;
    jump_time = 0.0;
    previous_y = SPRITE_FLOOR_Y;
    blink_timer = blink;
    jump_timer = wait;
}

struct jump_record {
    int rising = 0, falling = 0, landing = 0;
    int smallest_y = 10000, largest_y = -10000, landing_y = -1;
    int first_frame = -1, first_y = -1;
    bool timers_untouched = true;
};

// Steps one whole jump from the frame after the launch up to and including the landing frame.
jump_record run_jump(int speed)
{
    const int blink = 17, wait = 200;
    launch_at(speed, blink, wait);
    jump_record r;
    for (int guard = 0; guard < 1000; guard++) {
        sprite_frame f = sprite_advance();
        if (r.first_frame < 0) {
            r.first_frame = f.frame;
            r.first_y = f.y;
        }
        r.smallest_y = std::min(r.smallest_y, f.y);
        r.largest_y = std::max(r.largest_y, f.y);
        if (f.frame == SPRITE_RISING)
            r.rising++;
        else if (f.frame == SPRITE_FALLING)
            r.falling++;
        else {
            r.landing++;
            r.landing_y = f.y;
            break;
        }
        if (blink_timer != blink || jump_timer != wait)
            r.timers_untouched = false;
    }
    return r;
}

} // namespace

TEST(sprite, every_launch_speed_jumps_within_the_column_and_lands)
{
    struct telling_row {
        int speed, rising, falling, smallest_y, landing_y;
    };
    const telling_row rows[] = {
        {30, 24, 16, 452, 494},
        {31, 22, 20, 448, 497},
        {62, 44, 40, 301, 494},
        {94, 67, 60, 47, 485},
    };
    int shortest = 1000, longest = 0;
    for (int speed = 30; speed <= 94; speed++) {
        reset_sprite();
        jump_record r = run_jump(speed);
        int length = r.rising + r.falling + r.landing;
        SCOPED_TRACE(speed);
        EXPECT_EQ(r.landing, 1);
        EXPECT_EQ(r.first_frame, SPRITE_RISING);
        EXPECT_EQ(r.first_y, SPRITE_FLOOR_Y);
        EXPECT_GE(length, 41);
        EXPECT_LE(length, 128);
        EXPECT_GE(r.smallest_y, 47);
        EXPECT_LE(r.largest_y, 497);
        EXPECT_GE(r.landing_y, 485);
        EXPECT_LE(r.landing_y, 497);
        EXPECT_TRUE(r.timers_untouched);
        // The landing frame already counts as a standing frame for both timers.
        EXPECT_EQ(blink_timer, 16);
        EXPECT_EQ(jump_timer, 199);
        EXPECT_EQ(sprite_state, SPRITE_IDLE_B);
        // The frame after the landing stands on the floor.
        sprite_frame next = sprite_advance();
        EXPECT_EQ(next.y, SPRITE_FLOOR_Y);
        EXPECT_EQ(next.frame, SPRITE_IDLE_B);
        shortest = std::min(shortest, length);
        longest = std::max(longest, length);
        for (const telling_row& row : rows)
            if (row.speed == speed) {
                EXPECT_EQ(r.rising, row.rising);
                EXPECT_EQ(r.falling, row.falling);
                EXPECT_EQ(r.smallest_y, row.smallest_y);
                EXPECT_EQ(r.landing_y, row.landing_y);
            }
    }
    EXPECT_EQ(shortest, 41);
    EXPECT_EQ(longest, 128);
}

TEST(sprite, rising_lasts_while_y_does_not_increase)
{
    for (int speed = 30; speed <= 94; speed++) {
        reset_sprite();
        launch_at(speed, 10, 300);
        int before = SPRITE_FLOOR_Y;
        bool fell = false;
        for (;;) {
            sprite_frame f = sprite_advance();
            if (f.frame < SPRITE_RISING)
                break;
            if (f.y > before)
                fell = true;
            // Falling is drawn from the first frame in which y grows, and only from then on.
            ASSERT_EQ(f.frame, fell ? SPRITE_FALLING : SPRITE_RISING) << speed << " at y " << f.y;
            before = f.y;
        }
    }
}

TEST(sprite, lands_when_one_more_step_of_the_same_size_reaches_the_floor)
{
    // Speed 12.4 at t = 1 gives a height of 7.5, so this frame computes y = 490.
    struct landing_case {
        int state_before, previous, state_after;
    };
    const landing_case cases[] = {
        {SPRITE_FALLING, 483, SPRITE_IDLE_B},  // a step of 7 lands exactly on the floor
        {SPRITE_FALLING, 482, SPRITE_IDLE_B},  // a step of 8 would pass it
        {SPRITE_FALLING, 484, SPRITE_FALLING}, // a step of 6 stops one short
        {SPRITE_RISING, 484, SPRITE_FALLING},
        {SPRITE_RISING, 490, SPRITE_RISING},   // y unchanged: no test at all
        {SPRITE_FALLING, 490, SPRITE_FALLING},
        {SPRITE_RISING, 495, SPRITE_RISING},   // still going up
    };
    for (const landing_case& c : cases) {
        reset_sprite();
        sprite_state = c.state_before;
        launch_speed = 12.4;
        jump_time = 1.0;
        previous_y = c.previous;
        blink_timer = 10;
        jump_timer = 100;
        sprite_frame f = sprite_advance();
        EXPECT_EQ(f.y, 490) << c.previous;
        EXPECT_EQ(f.frame, c.state_after) << c.previous;
        EXPECT_EQ(previous_y, 490);
        EXPECT_EQ(jump_time, 1.0 + 0.15);
    }
}

TEST(sprite, jump_time_grows_by_repeated_addition)
{
    reset_sprite();
    launch_at(94, 10, 300);
    double t = 0.0;
    for (int frame = 0; frame < 100; frame++) {
        ASSERT_EQ(jump_time, t) << frame;
        sprite_advance();
        t += 0.15;
    }
    // Repeated addition drifts away from the product; the jump follows the sum.
    EXPECT_NE(t, 100 * 0.15);
}

TEST(sprite, first_call_starts_the_timers_and_stands_at_the_floor)
{
    seed_random(4242);
    int wait = random_below(500) + 75;
    seed_random(4242);
    reset_sprite();
    sprite_frame f = sprite_advance();
    EXPECT_EQ(f.frame, SPRITE_IDLE_A);
    EXPECT_EQ(f.y, SPRITE_FLOOR_Y);
    EXPECT_EQ(blink_timer, 29);
    EXPECT_EQ(jump_timer, wait - 1);
}

TEST(sprite, standing_frames_blink_every_thirty_frames_until_the_first_jump)
{
    // Any seed whose first wait is long enough to see several blinks.
    unsigned seed = 1;
    int wait = 0;
    for (;; seed++) {
        seed_random(seed);
        wait = random_below(500) + 75;
        if (wait >= 200)
            break;
    }
    seed_random(seed);
    reset_sprite();
    for (int call = 1; call <= wait; call++) {
        sprite_frame f = sprite_advance();
        ASSERT_EQ(f.frame, ((call - 1) / 30) % 2) << "call " << call;
        ASSERT_EQ(f.y, SPRITE_FLOOR_Y);
    }
    // Call `wait` was the launch frame, drawn standing; the next one is the first airborne frame.
    EXPECT_EQ(sprite_state, SPRITE_RISING);
    sprite_frame first = sprite_advance();
    EXPECT_EQ(first.frame, SPRITE_RISING);
    EXPECT_EQ(first.y, SPRITE_FLOOR_Y);
    sprite_frame second = sprite_advance();
    EXPECT_EQ(second.frame, SPRITE_RISING);
    EXPECT_LT(second.y, SPRITE_FLOOR_Y);
}

TEST(sprite, launch_wins_when_both_timers_run_out_together)
{
    reset_sprite();
    seed_random(7);
    sprite_state = SPRITE_IDLE_A;
    blink_timer = 1;
    jump_timer = 1;
    sprite_frame f = sprite_advance();
    EXPECT_EQ(f.frame, SPRITE_IDLE_A);
    EXPECT_EQ(f.y, SPRITE_FLOOR_Y);
    EXPECT_EQ(sprite_state, SPRITE_RISING);
    EXPECT_EQ(blink_timer, 30);
    EXPECT_EQ(previous_y, SPRITE_FLOOR_Y);
    EXPECT_EQ(jump_time, 0.0);
}

TEST(sprite, a_blink_due_in_the_landing_frame_swaps_on_to_the_first_standing_frame)
{
    struct blink_case {
        int blink_at_launch, state_after_landing, blink_after_landing;
    };
    const blink_case cases[] = {{1, SPRITE_IDLE_A, 30}, {2, SPRITE_IDLE_B, 1}, {30, SPRITE_IDLE_B, 29}};
    for (const blink_case& c : cases) {
        reset_sprite();
        launch_at(50, c.blink_at_launch, 100);
        sprite_frame f;
        do
            f = sprite_advance();
        while (f.frame >= SPRITE_RISING);
        EXPECT_EQ(f.frame, SPRITE_IDLE_B) << c.blink_at_launch;
        EXPECT_EQ(sprite_state, c.state_after_landing) << c.blink_at_launch;
        EXPECT_EQ(blink_timer, c.blink_after_landing) << c.blink_at_launch;
    }
}

TEST(sprite, random_draws_and_standing_spans_over_many_jumps)
{
    const unsigned seed = 20240613;
    const int jumps = 40;
    // The draws the sprite must make: one wait at the start, then a wait and a speed per launch.
    seed_random(seed);
    std::vector<int> waits, speeds;
    waits.push_back(random_below(500) + 75);
    for (int i = 0; i < jumps; i++) {
        waits.push_back(random_below(500) + 75);
        speeds.push_back(random_below(65) + 30);
    }

    seed_random(seed);
    reset_sprite();
    int standing = 0, launches = 0;
    bool airborne = false;
    int blink_at_launch = 0;
    for (int frame = 0; launches < jumps && frame < 100000; frame++) {
        sprite_frame f = sprite_advance();
        if (f.frame < SPRITE_RISING) {
            standing++;
            ASSERT_TRUE(f.y == SPRITE_FLOOR_Y || airborne) << "frame " << frame;
            airborne = false;
        } else {
            if (!airborne) {
                // First airborne frame: exactly the drawn wait of standing frames came before it.
                ASSERT_EQ(standing, waits[launches]) << "jump " << launches;
                ASSERT_EQ(f.y, SPRITE_FLOOR_Y);
                standing = 0;
                launches++;
            }
            airborne = true;
            ASSERT_EQ(blink_timer, blink_at_launch) << "frame " << frame;
        }
        if (sprite_state == SPRITE_RISING && jump_time == 0.0) {
            // This frame launched: the wait is drawn first, then the speed.
            ASSERT_EQ(jump_timer, waits[launches + 1]);
            ASSERT_EQ(launch_speed, speeds[launches]);
            ASSERT_EQ(previous_y, SPRITE_FLOOR_Y);
            blink_at_launch = blink_timer;
        }
    }
    EXPECT_EQ(launches, jumps);
}

// ---------------------------------------------------------------- pixels on real surfaces

class sprite_pixels : public test_display_suite {};

namespace {

constexpr Uint32 SENTINEL = 0x00123456;
constexpr Uint32 MAGENTA = 0xFF00FF;

// The pixel's colour as 0xRRGGBB; the screen's format is the video driver's, not the bitmaps'.
Uint32 rgb_at(SDL_Surface* s, int x, int y)
{
    return rgb_of(s, reinterpret_cast<Uint32*>(static_cast<Uint8*>(s->pixels) + y * s->pitch)[x]);
}

// Counts the pixels that differ from: the background in the sprite column with the
// sheet frame over it at (32, y) without its magenta, and the sentinel everywhere else.
int count_mismatches(int frame, int y)
{
    int wrong = 0;
    SDL_LockSurface(screen);
    SDL_LockSurface(background);
    SDL_LockSurface(sprite_sheet);
    for (int sy = 0; sy < SCREEN_HEIGHT; sy++)
        for (int sx = 0; sx < SCREEN_WIDTH; sx++) {
            bool in_column = sx >= sprite_column.x && sx < sprite_column.x + sprite_column.w &&
                             sy >= sprite_column.y && sy < sprite_column.y + sprite_column.h;
            if (!in_column) {
                // Same surface, same format: the raw value must still be the sentinel.
                if (reinterpret_cast<Uint32*>(static_cast<Uint8*>(screen->pixels) + sy * screen->pitch)[sx] !=
                    SENTINEL)
                    wrong++;
                continue;
            }
            Uint32 want = rgb_at(background, sx, sy);
            int fx = sx - sprite_column.x, fy = sy - y;
            if (fx >= 0 && fx < 34 && fy >= 0 && fy < 34) {
                Uint32 ink = rgb_at(sprite_sheet, 34 * frame + fx, fy);
                if (ink != MAGENTA)
                    want = ink;
            }
            if (rgb_at(screen, sx, sy) != want)
                wrong++;
        }
    SDL_UnlockSurface(sprite_sheet);
    SDL_UnlockSurface(background);
    SDL_UnlockSurface(screen);
    return wrong;
}

} // namespace

TEST_F(sprite_pixels, sheet_has_a_magenta_ground_and_four_different_frames)
{
    // Without holes and without four distinct pictures the pixel checks below could
    // not tell transparency or the choice of frame.
    for (int frame = 0; frame < 4; frame++) {
        int ground = 0;
        for (int y = 0; y < 34; y++)
            for (int x = 0; x < 34; x++)
                ground += get_pixel(sprite_sheet, 34 * frame + x, y) == color_key;
        EXPECT_GT(ground, 0) << frame;
        EXPECT_LT(ground, 34 * 34) << frame;
    }
    for (int a = 0; a < 4; a++)
        for (int b = a + 1; b < 4; b++) {
            int differ = 0;
            for (int y = 0; y < 34; y++)
                for (int x = 0; x < 34; x++)
                    differ += get_pixel(sprite_sheet, 34 * a + x, y) != get_pixel(sprite_sheet, 34 * b + x, y);
            EXPECT_GT(differ, 0) << a << " and " << b;
        }
}

TEST_F(sprite_pixels, first_call_draws_frame_zero_at_the_floor_over_a_repainted_column)
{
    seed_random(99);
    reset_sprite();
    SDL_FillRect(screen, nullptr, SENTINEL);
    sprite_step();
    EXPECT_EQ(count_mismatches(SPRITE_IDLE_A, SPRITE_FLOOR_Y), 0);
}

TEST_F(sprite_pixels, each_frame_erases_the_last_and_draws_the_state_the_jump_left)
{
    // Run the drawing step and the display-free step side by side from the same seed;
    // each drawn frame must show exactly what sprite_advance says, over a clean column.
    const unsigned seed = 31337;
    seed_random(seed);
    reset_sprite();
    std::vector<sprite_frame> expected;
    for (int i = 0; i < 1500; i++)
        expected.push_back(sprite_advance());
    int launch_speed_seen = static_cast<int>(launch_speed);

    seed_random(seed);
    reset_sprite();
    SDL_FillRect(screen, nullptr, SENTINEL);
    int checked = 0, airborne_checked = 0;
    for (int i = 0; i < 1500; i++) {
        sprite_step();
        const sprite_frame& e = expected[i];
        // Every airborne frame, every frame next to a change of the drawn frame (blinks,
        // launches, landings: where drawing before or after the timers differs), and a sample.
        bool change = (i > 0 && expected[i - 1].frame != e.frame) ||
                      (i + 1 < int(expected.size()) && expected[i + 1].frame != e.frame);
        if (e.frame >= SPRITE_RISING || change || i % 50 == 0) {
            ASSERT_EQ(count_mismatches(e.frame, e.y), 0) << "call " << i + 1;
            checked++;
            airborne_checked += e.frame >= SPRITE_RISING;
        }
    }
    EXPECT_EQ(static_cast<int>(launch_speed), launch_speed_seen);
    EXPECT_GT(airborne_checked, 40);
    std::printf("checked %d frames by pixels, %d of them airborne\n", checked, airborne_checked);
}
