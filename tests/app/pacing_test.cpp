// pacing_test.cpp -- the frame clock's arithmetic and the full-screen pacing rule on simulated displays
#include "app/pacing.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(frame_pacing, sleeps_only_what_is_left_of_the_budget)
{
    struct {
        frame_clock start, now;
        int expected_rest;
    } cases[] = {
        {{100, 0}, {100, 25000}, 0},        // a 25 ms frame: the next one follows at once
        {{100, 0}, {100, 5000}, 15},        // a 5 ms frame sleeps 15 ms
        {{100, 998000}, {101, 3000}, 15},   // 5 ms across a change of second
        {{100, 990000}, {101, 15000}, 0},   // 25 ms across a change of second
        {{100, 0}, {100, 0}, 20},           // no time at all: the whole budget
        {{100, 0}, {100, 20000}, 0},        // exactly on budget
        {{100, 0}, {100, 19999}, 1},        // whole milliseconds, rounded toward zero
        {{100, 0}, {160, 0}, 0},            // a long stall is not made up later
        {{100, 500000}, {100, 0}, 20},      // a reading before the start never sleeps beyond the budget
    };
    for (const auto& c : cases)
        EXPECT_EQ(frame_rest_ms(&c.start, &c.now, FRAME_BUDGET_MS), c.expected_rest)
            << c.start.seconds << "." << c.start.microseconds << " -> " << c.now.seconds << "."
            << c.now.microseconds;
}

TEST(frame_pacing, the_clock_moves_forward_in_milliseconds)
{
    frame_clock a, b;
    clock_now(&a);
    wait_frame_rest(&a, 30);
    clock_now(&b);
    int elapsed = (b.seconds - a.seconds) * 1000 + (b.microseconds - a.microseconds) / 1000;
    EXPECT_GE(elapsed, 29);
    EXPECT_LT(elapsed, 500);
    EXPECT_EQ(a.microseconds % 1000, 0);
}

// A full-screen loop on a simulated display: the flip returns at the first refresh after
// the frame is drawn (or at once where it waits for nothing), the clock reads whole
// milliseconds, and a held frame sleeps out the rest of its budget as wait_frame_rest does.
struct simulated_display {
    double refresh_ms;   // one refresh period
    double now = 0;      // simulated time in milliseconds
    flip_pacing pacing{};
    int frames = 0;

    // One frame that takes draw_ms to draw; waits = 0 makes its flip return at once.
    void frame(double draw_ms, int waits = 1)
    {
        double start = now;
        double drawn = start + draw_ms;
        double flipped = waits ? std::ceil(drawn / refresh_ms) * refresh_ms : drawn + 0.2;
        int flip_ms = int(std::floor(flipped)) - int(std::floor(start));
        now = flipped;
        if (pace_step(&pacing, flip_ms) && flip_ms < FRAME_BUDGET_MS)
            now += FRAME_BUDGET_MS - flip_ms + 0.1; // a sleep ends a little late, never early
        now += 0.05;                                // the work after the present
        frames++;
    }
    // Frames per second over seconds of frames drawn in draw_ms each.
    double run(double seconds, double draw_ms = 1.5, int waits = 1)
    {
        double from = now;
        int counted = frames;
        while (now - from < seconds * 1000)
            frame(draw_ms, waits);
        return (frames - counted) * 1000.0 / (now - from);
    }
};

TEST(fullscreen_pacing, follows_displays_up_to_75_hz_and_holds_faster_ones_to_50_frames_a_second)
{
    struct {
        double hz;
        int held;
        double fps;
    } cases[] = {
        {50, 0, 50},   // the show's own rates: the flip is followed
        {60, 0, 60},
        {72, 0, 72},   // still within what the show tolerates
        {100, 1, 50},  // every faster display is held to the budget
        {120, 1, 50},
        {144, 1, 50},
        {240, 1, 50},
    };
    for (const auto& c : cases) {
        simulated_display d{1000.0 / c.hz};
        d.run(2); // settle: the decision is made within the first second
        double fps = d.run(10);
        EXPECT_EQ(d.pacing.hold, c.held) << c.hz << " Hz";
        EXPECT_NEAR(fps, c.fps, 1.0) << c.hz << " Hz";
    }

    // A flip that waits for nothing at all (a virtual display) is held too.
    simulated_display none{1000.0 / 60};
    none.run(2, 1.5, 0);
    EXPECT_EQ(none.pacing.hold, 1);
    EXPECT_NEAR(none.run(10, 1.5, 0), 50, 1.0);

    // A machine too slow to draw within one refresh of a fast display follows every
    // second refresh instead (72 frames a second at 144 Hz), which is not too fast.
    simulated_display slow{1000.0 / 144};
    slow.run(2, 8.0);
    EXPECT_EQ(slow.pacing.hold, 0);
}

TEST(fullscreen_pacing, one_slow_frame_or_a_burst_of_fast_flips_does_not_change_the_decision)
{
    // Held at 144 Hz, a frame that takes 40 ms (or a run of nine of them) keeps it held.
    simulated_display fast{1000.0 / 144};
    fast.run(2);
    ASSERT_EQ(fast.pacing.hold, 1);
    for (int slow_frames : {1, SLOW_FLIPS_TO_FOLLOW - 1}) {
        for (int i = 0; i < slow_frames; i++)
            fast.frame(40);
        for (int i = 0; i < HOLD_BLOCK_FRAMES * 3; i++) {
            fast.frame(1.5);
            ASSERT_EQ(fast.pacing.hold, 1) << slow_frames << " slow frames, then frame " << i;
        }
    }

    // While the decision is still open at 144 Hz, slow frames among the first ones delay it only a little.
    simulated_display starting{1000.0 / 144};
    for (int i = 0; i < 60 && !starting.pacing.hold; i++)
        starting.frame(i % 5 == 2 ? 30 : 1.5);
    EXPECT_EQ(starting.pacing.hold, 1);

    // Following at 60 Hz, bursts of flips that wait for nothing (a window manager briefly
    // not syncing), each well short of FAST_FLIPS_TO_HOLD and a second apart, are not taken
    // for a fast display. (The first flip after a burst may wait less than a refresh too.)
    simulated_display sixty{1000.0 / 60};
    sixty.run(2);
    for (int burst = 0; burst < 3; burst++) {
        for (int i = 0; i < FAST_FLIPS_TO_HOLD / 2; i++) {
            sixty.frame(1.5, 0);
            ASSERT_EQ(sixty.pacing.hold, 0) << "burst " << burst << ", fast flip " << i;
        }
        for (int i = 0; i < 60; i++) {
            sixty.frame(1.5);
            ASSERT_EQ(sixty.pacing.hold, 0) << "burst " << burst << ", then frame " << i;
        }
    }
    EXPECT_NEAR(sixty.run(5), 60, 1.0);
    EXPECT_EQ(sixty.pacing.hold, 0);
}

TEST(fullscreen_pacing, a_display_that_slows_down_is_followed_again)
{
    // Flips that stop waiting for a while (a hidden window, say) are held to the budget;
    // once they wait for a 60 or 72 Hz refresh again the loop follows them within a few blocks.
    for (double hz : {60.0, 72.0}) {
        simulated_display d{1000.0 / hz};
        d.run(2);
        d.run(3, 1.5, 0);
        ASSERT_EQ(d.pacing.hold, 1) << hz << " Hz";
        int frames_to_follow = 0;
        while (d.pacing.hold && frames_to_follow < HOLD_BLOCK_FRAMES * 5) {
            d.frame(1.5);
            frames_to_follow++;
        }
        EXPECT_EQ(d.pacing.hold, 0) << hz << " Hz";
        EXPECT_LE(frames_to_follow, HOLD_BLOCK_FRAMES * 2) << hz << " Hz";
        EXPECT_NEAR(d.run(5), hz, 1.0) << hz << " Hz";
    }
    simulated_display d{1000.0 / 60};
    d.run(2);

    // The same display moved to 144 Hz is held again.
    d.refresh_ms = 1000.0 / 144;
    d.run(2);
    EXPECT_EQ(d.pacing.hold, 1);
    EXPECT_NEAR(d.run(5), 50, 1.0);
}
