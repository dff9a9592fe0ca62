// fault_test.cpp -- the whole intro under injected faults: surfaces refused, no audio device, a wall clock that jumps
//
// Each case runs intro_main in a child process, so that a crash or a hang is a failed
// test and not a dead test runner; the wrappers in fault_harness.cpp inject the faults.
#include "tests/robust/fault_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

constexpr int WINDOW_ARGC = 2;     // any argument: a window
constexpr int FULLSCREEN_ARGC = 1;
constexpr int BITMAPS = 6;         // decoded before the display opens
constexpr int WORK_SURFACES = 4;   // two line layers, two scroll buffers

static void use_drivers(const char* audio)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", audio, 1);
}

TEST(faults, an_undisturbed_show_makes_ten_surfaces_and_runs_to_the_quit)
{
    use_drivers("dummy");
    fault_reset();
    int status = run_show_in_child(WINDOW_ARGC, nullptr);
    ASSERT_TRUE(exited_cleanly(status)) << describe_status(status);
    EXPECT_EQ(fault_seen->surface_calls, BITMAPS + WORK_SURFACES);
    EXPECT_EQ(fault_seen->windows_opened, 1);
    EXPECT_EQ(fault_seen->frames, faults.quit_after_frames);
    EXPECT_EQ(fault_seen->skipped_sleep_us, 1000000) << "the one-second pause after the display opens";
}

// Every surface the start-up creates, refused in turn: the bitmaps before the display
// opens, the work surfaces after. Each ends quietly with status 0 and no frame drawn.
TEST(faults, each_refused_surface_ends_start_up_quietly)
{
    use_drivers("dummy");
    for (int call = 1; call <= BITMAPS + WORK_SURFACES; call++) {
        for (int argc : {WINDOW_ARGC, FULLSCREEN_ARGC}) {
            SCOPED_TRACE("surface call " + std::to_string(call) + ", argc " + std::to_string(argc));
            fault_reset();
            faults.fail_surface_call = call;
            int status = run_show_in_child(argc, nullptr);
            ASSERT_TRUE(exited_cleanly(status)) << describe_status(status);
            EXPECT_EQ(fault_seen->surface_calls, call) << "nothing is attempted after the refusal";
            EXPECT_EQ(fault_seen->frames, 0);
            EXPECT_EQ(fault_seen->windows_opened, call <= BITMAPS ? 0 : 1)
                << "a bitmap's failure comes before the display opens";
        }
    }
}

TEST(faults, a_bitmap_surface_that_cannot_be_locked_ends_start_up_before_the_window)
{
    use_drivers("dummy");
    for (int call = 1; call <= BITMAPS; call++) {
        SCOPED_TRACE("lock call " + std::to_string(call));
        fault_reset();
        faults.fail_lock_call = call;
        int status = run_show_in_child(WINDOW_ARGC, nullptr);
        ASSERT_TRUE(exited_cleanly(status)) << describe_status(status);
        EXPECT_EQ(fault_seen->video_modes, 0);
        EXPECT_EQ(fault_seen->frames, 0);
    }
}

TEST(faults, a_refused_video_mode_ends_start_up_quietly)
{
    use_drivers("dummy");
    for (int argc : {WINDOW_ARGC, FULLSCREEN_ARGC}) {
        fault_reset();
        faults.fail_video_mode = 1;
        int status = run_show_in_child(argc, nullptr);
        ASSERT_TRUE(exited_cleanly(status)) << describe_status(status);
        EXPECT_EQ(fault_seen->video_modes, 1);
        EXPECT_EQ(fault_seen->surface_calls, BITMAPS) << "no work surface after a refused mode";
        EXPECT_EQ(fault_seen->frames, 0);
        EXPECT_EQ(fault_seen->skipped_sleep_us, 0) << "no opening pause without a display";
    }
}

TEST(faults, without_an_audio_device_the_whole_show_runs_silent)
{
    // A driver that does not exist: opening the audio device fails as on a machine without one.
    use_drivers("no-such-audio-driver");
    fault_reset();
    faults.quit_after_frames = 40;
    int status = run_show_in_child(WINDOW_ARGC, nullptr);
    ASSERT_TRUE(exited_cleanly(status)) << describe_status(status);
    EXPECT_EQ(fault_seen->frames, 40);
    EXPECT_EQ(fault_seen->music_loaded, 0);

    // The same show with a (silent) device plays the module: the case above is not vacuous.
    use_drivers("dummy");
    fault_reset();
    status = run_show_in_child(WINDOW_ARGC, nullptr);
    ASSERT_TRUE(exited_cleanly(status)) << describe_status(status);
    EXPECT_EQ(fault_seen->music_loaded, 1);
}

// The wall clock jumps an hour back, then an hour forward, every few frames while the
// window's loop runs. Pacing reads a monotonic clock, so every frame still lasts 20 ms:
// a jump forward would make frames run unpaced, a jump back would sleep far too long.
TEST(faults, frame_pacing_stays_twenty_ms_while_the_wall_clock_jumps)
{
    constexpr int FRAMES = 150;
    constexpr int JUMP_S = 3600;
    use_drivers("dummy");
    fault_reset();
    faults.quit_after_frames = FRAMES;
    faults.clock_jump_seconds = JUMP_S;
    faults.clock_jump_frames = 7;
    int status = run_show_in_child(WINDOW_ARGC, nullptr);
    ASSERT_TRUE(exited_cleanly(status)) << describe_status(status);
    ASSERT_EQ(fault_seen->frames, FRAMES);
    EXPECT_GE(fault_seen->wall_clock_reads, 1) << "the start-up seeds from the wall clock";

    std::vector<double> periods_ms;
    for (int frame = 2; frame <= FRAMES; frame++)
        periods_ms.push_back((fault_seen->frame_start_us[frame] - fault_seen->frame_start_us[frame - 1]) / 1000.0);
    std::vector<double> sorted = periods_ms;
    std::sort(sorted.begin(), sorted.end());
    double median = sorted[sorted.size() / 2];
    double shortest = sorted.front();
    double total_ms = (fault_seen->frame_start_us[FRAMES] - fault_seen->frame_start_us[1]) / 1000.0;
    printf("frame periods over %zu frames: shortest %.2f ms, median %.2f ms, longest %.2f ms, mean %.2f ms\n",
           periods_ms.size(), shortest, median, sorted.back(), total_ms / periods_ms.size());

    // Millisecond readings can make a frame up to 1 ms short; nothing can make it shorter:
    // frames are timed by the loop's own clock readings, so a busy machine only ever makes
    // them longer, and how much longer is not checked. That no frame asks to sleep beyond
    // its budget is what rules out a jump back.
    EXPECT_GE(shortest, 18.9) << "a frame ran unpaced";
    EXPECT_GE(median, 19.5);
    EXPECT_LE(fault_seen->longest_sleep_us, 20000) << "no frame sleeps more than its whole budget";
}

// The clock stand-in really does move the wall clock: the jumps are seen by time() itself.
TEST(faults, the_clock_stand_in_jumps_the_wall_clock_and_not_the_monotonic_one)
{
    fault_reset();
    faults.clock_jump_seconds = 3600;
    faults.clock_jump_frames = 1;
    fault_seen->frames = 0;
    time_t back = time(nullptr);
    timespec mono_before{}, mono_after{};
    clock_gettime(CLOCK_MONOTONIC, &mono_before);
    fault_seen->frames = 1;
    time_t ahead = time(nullptr);
    clock_gettime(CLOCK_MONOTONIC, &mono_after);
    EXPECT_GE(ahead - back, 2 * 3600 - 1);
    EXPECT_LT(mono_after.tv_sec - mono_before.tv_sec, 2);
    fault_reset();
}
