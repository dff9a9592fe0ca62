// page_cycle_test.cpp -- the page cycle's timeline frame by frame, the layers' motion and the pages' order
#include "effects/page_cycle.h"

#include "app/display.h"
#include "effects/page_writer.h"
#include "tests/effects/page_text_fixture.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr uint32_t MAGENTA = 0xFF00FF;
constexpr int CYCLE_FRAMES = 686;

enum frame_phase { RESET, ACCELERATE, BRAKE, SETTLE, HOLD, DROP, PAUSE, IDLE };

const char* phase_name(frame_phase phase)
{
    static const char* names[] = {"reset", "accelerate", "brake", "settle", "hold", "drop", "pause", "idle"};
    return names[phase];
}

class page_cycle : public page_text_fixture {
protected:
    void SetUp() override
    {
        page_text_fixture::SetUp();
        page_timer = 0;
        drop_step = 0;
        drop_offset = 0;
        layer_motion[0] = {};
        layer_motion[1] = {};
        use_text("HELLO\r\nWORLD\r\n\xA4");
    }
    // What the texts' loading and the call before the frame loop do.
    void begin()
    {
        start_page_cycle();
        page_cycle_step();
    }
    // One frame's share of the cycle, in the frame loop's order; says which phase the frame was in.
    frame_phase run_frame()
    {
        int timer = page_timer;
        page_cycle_step();
        int state = layer_motion[0].state;
        move_line_layer(0);
        move_line_layer(1);
        if (timer == 1)
            return RESET;
        if (timer == 10)
            return DROP;
        if (timer >= 2 && timer <= 9)
            return PAUSE;
        if (timer >= 11 || state == MOTION_PLACED)
            return HOLD;
        if (state == MOTION_ACCELERATE)
            return ACCELERATE;
        if (state == MOTION_BRAKE)
            return BRAKE;
        if (state == MOTION_SETTLE)
            return SETTLE;
        return IDLE;
    }
    // Runs frames and gives the phases as (phase, frames) runs.
    std::vector<std::pair<frame_phase, int>> run_phases(int frames)
    {
        std::vector<std::pair<frame_phase, int>> runs;
        for (int f = 0; f < frames; f++) {
            frame_phase phase = run_frame();
            if (runs.empty() || runs.back().first != phase)
                runs.push_back({phase, 0});
            runs.back().second++;
        }
        return runs;
    }
    // Draws both layers onto a plain screen as the frame loop does; counts the window pixels changed.
    int composite_changes()
    {
        Uint32 ground = SDL_MapRGB(screen->format, 0x20, 0x21, 0x22);
        SDL_FillRect(screen, nullptr, ground);
        composite_line_layer(line_layer[0], line_layer_x(0), drop_offset);
        composite_line_layer(line_layer[1], line_layer_x(1), drop_offset);
        int changed = 0;
        for (int y = 0; y < 600; y++)
            for (int x = 0; x < 800; x++)
                if (get_pixel(screen, x, y) != ground) {
                    EXPECT_TRUE(x >= 100 && x < 700 && y >= 95 && y < 495) << x << "," << y;
                    changed++;
                }
        return changed;
    }
};

TEST_F(page_cycle, the_call_before_the_loop_clears_and_measures_and_the_first_frame_typesets)
{
    SDL_FillRect(line_layer[0], nullptr, SDL_MapRGB(line_layer[0]->format, 1, 2, 3));
    SDL_FillRect(line_layer[1], nullptr, SDL_MapRGB(line_layer[1]->format, 1, 2, 3));
    start_page_cycle();
    EXPECT_EQ(page_timer, 1);
    EXPECT_EQ(layer_motion[0].state, MOTION_READY);
    EXPECT_EQ(layer_motion[1].state, MOTION_READY);

    page_cycle_step();
    EXPECT_EQ(page_timer, 0);
    EXPECT_TRUE(layers_blank());
    EXPECT_EQ(page_lines, 3);
    EXPECT_EQ(origin_x, 275);
    EXPECT_EQ(origin_y, 177);
    EXPECT_EQ(page_text.position, 0); // measured, not yet typeset

    page_cycle_step();
    EXPECT_EQ(page_text.position, 0); // the only page, so the next one is the first again
    EXPECT_EQ(get_rgb(line_layer[0], 280, 184), cell_rgb('H' - 32));
    EXPECT_EQ(get_rgb(line_layer[1], 280, 199), cell_rgb('W' - 32));
    for (const line_motion& motion : layer_motion) {
        EXPECT_EQ(motion.state, MOTION_ACCELERATE);
        EXPECT_EQ(motion.countdown, 42);
        EXPECT_EQ(motion.velocity, 0);
    }
    EXPECT_EQ(layer_motion[0].position, 166400);
    EXPECT_EQ(layer_motion[1].position, -166400);

    // The first motion step runs in the same frame: speed, but no distance yet.
    move_line_layer(0);
    move_line_layer(1);
    EXPECT_EQ(layer_motion[0].position, 166400);
    EXPECT_EQ(layer_motion[0].velocity, 100);
    EXPECT_EQ(layer_motion[1].velocity, 100);
    // Still 650 pixels off to either side: nothing shows.
    EXPECT_EQ(composite_changes(), 0);
}

TEST_F(page_cycle, one_page_takes_686_frames_in_seven_phases)
{
    begin();
    const std::vector<std::pair<frame_phase, int>> one_cycle = {
        {ACCELERATE, 43}, {BRAKE, 49}, {SETTLE, 35}, {HOLD, 491}, {DROP, 59}, {PAUSE, 8}, {RESET, 1},
    };
    std::vector<std::pair<frame_phase, int>> expected = one_cycle;
    expected.insert(expected.end(), one_cycle.begin(), one_cycle.end());
    std::vector<std::pair<frame_phase, int>> seen = run_phases(2 * CYCLE_FRAMES);
    ASSERT_EQ(seen.size(), expected.size());
    for (size_t i = 0; i < seen.size(); i++) {
        EXPECT_EQ(seen[i].first, expected[i].first) << "run " << i << ": " << phase_name(seen[i].first);
        EXPECT_EQ(seen[i].second, expected[i].second) << "run " << i << ": " << phase_name(seen[i].first);
    }
}

TEST_F(page_cycle, layers_overshoot_and_lock_in_mirror_image)
{
    begin();
    int lowest = 0;
    for (int frame = 1; frame <= 127; frame++) {
        run_frame();
        // The two layers are exact mirrors and change state together.
        EXPECT_EQ(layer_motion[1].position, -layer_motion[0].position) << "frame " << frame;
        EXPECT_EQ(layer_motion[1].state, layer_motion[0].state) << "frame " << frame;
        if (layer_motion[0].position < lowest)
            lowest = layer_motion[0].position;
        if (frame == 43) {
            EXPECT_EQ(layer_motion[0].state, MOTION_BRAKE);
            EXPECT_EQ(layer_motion[0].velocity, 4300);
            EXPECT_EQ(line_layer_x(0), 297);
            EXPECT_EQ(line_layer_x(1), -298);
        }
        if (frame == 92) {
            EXPECT_EQ(layer_motion[0].state, MOTION_SETTLE);
            EXPECT_EQ(layer_motion[0].velocity, -600);
        }
        if (frame == 126) {
            EXPECT_EQ(layer_motion[0].state, MOTION_SETTLE);
        }
    }
    EXPECT_EQ(std::lround(lowest * 100 / 256.0), -7227);
    EXPECT_EQ(layer_motion[0].state, MOTION_PLACED);
    EXPECT_EQ(layer_motion[0].position, 0);
    EXPECT_EQ(layer_motion[1].position, 0);
    EXPECT_EQ(page_timer, 0);
    run_frame();
    EXPECT_EQ(page_timer, 500);
}

TEST(line_layer_x, gives_whole_pixels_rounded_toward_minus_infinity)
{
    struct {
        int position, pixels;
    } cases[] = {
        {0, 0},
        {255, 0},             // just short of a pixel to the right: still at rest
        {256, 1},
        {-1, -1},             // any part of a pixel to the left counts as the whole pixel
        {-256, -1},
        {-257, -2},
        {650 * 256, 650},     // the launch position
        {-650 * 256 - 1, -651},
    };
    line_motion saved = layer_motion[1];
    for (const auto& c : cases) {
        layer_motion[1].position = c.position;
        EXPECT_EQ(line_layer_x(1), c.pixels) << c.position;
    }
    layer_motion[1] = saved;
}

TEST_F(page_cycle, the_lock_within_two_pixels_is_inclusive)
{
    struct lock_case {
        int index, position, velocity;
        int state, end_position;
    };
    // Each layer steps by its own direction: layer 0 subtracts the velocity, layer 1 adds it.
    const std::vector<lock_case> cases = {
        {0, 612, 100, MOTION_PLACED, 0},  {0, 613, 100, MOTION_SETTLE, 513},
        {0, -412, 100, MOTION_PLACED, 0}, {0, -413, 100, MOTION_SETTLE, -513},
        {1, -612, 100, MOTION_PLACED, 0}, {1, -613, 100, MOTION_SETTLE, -513},
        {1, 612, -100, MOTION_PLACED, 0}, {0, -612, -100, MOTION_PLACED, 0},
        {0, -613, -100, MOTION_SETTLE, -513},
    };
    for (const lock_case& c : cases) {
        layer_motion[c.index] = {0, MOTION_SETTLE, c.velocity, c.position};
        move_line_layer(c.index);
        EXPECT_EQ(layer_motion[c.index].state, c.state) << c.index << " from " << c.position;
        EXPECT_EQ(layer_motion[c.index].position, c.end_position) << c.index << " from " << c.position;
        EXPECT_EQ(layer_motion[c.index].velocity, c.velocity + 7);
    }
    // Ready, placed and unstarted layers stay where they are.
    for (int state : {0, MOTION_READY, MOTION_PLACED}) {
        layer_motion[0] = {5, state, 300, 1000};
        move_line_layer(0);
        EXPECT_EQ(layer_motion[0].position, 1000);
        EXPECT_EQ(layer_motion[0].velocity, 300);
        EXPECT_EQ(layer_motion[0].countdown, 4);
    }
}

TEST_F(page_cycle, the_drop_eases_in_cubically_and_ends_at_802)
{
    begin();
    for (int frame = 0; frame < 43 + 49 + 35 + 491; frame++)
        run_frame();
    ASSERT_EQ(page_timer, 10);
    ASSERT_EQ(drop_offset, 0);
    for (int n = 1; n <= 59; n++) {
        ASSERT_EQ(page_timer, 10) << "step " << n;
        run_frame();
        EXPECT_EQ(drop_step, n);
        EXPECT_EQ(drop_offset, n * n * n / 256) << "step " << n;
    }
    EXPECT_EQ(drop_offset, 802);
    EXPECT_EQ(page_timer, 9);
}

TEST_F(page_cycle, the_page_shows_at_the_hold_and_is_gone_in_the_pause)
{
    begin();
    for (int frame = 0; frame < 43 + 49 + 35 + 100; frame++)
        run_frame();
    // HELLO / WORLD at rest: ten glyphs' worth of coloured pixels in the window, less
    // each cell's keyed corner.
    EXPECT_EQ(composite_changes(), 10 * (10 * 15 - 1));
    EXPECT_EQ(get_rgb(screen, 100 + 275 + 5, 95 + 177 + 7), cell_rgb('H' - 32));
    EXPECT_EQ(get_rgb(screen, 100 + 275 + 5, 95 + 192 + 7), cell_rgb('W' - 32));

    for (int frame = 0; frame < 391 + 20; frame++)
        run_frame();
    // Drop step 20: 31 pixels down, the bottom line still inside the window.
    ASSERT_EQ(drop_offset, 31);
    EXPECT_EQ(composite_changes(), 10 * (10 * 15 - 1));
    EXPECT_EQ(get_rgb(screen, 100 + 275 + 5, 95 + 177 + 31 + 7), cell_rgb('H' - 32));

    for (int frame = 0; frame < 39 + 4; frame++)
        run_frame();
    ASSERT_EQ(page_timer, 5);
    EXPECT_EQ(composite_changes(), 0);
}

TEST_F(page_cycle, pages_follow_in_order_and_the_first_follows_the_last)
{
    // Three pages; the text ends in its mark, straight after the text, or in a line end.
    for (const char* ending : {"\xA4", "", "\r\n"}) {
        use_text(std::string("A\xA4" "BB\r\nB\xA4" "C") + ending);
        page_timer = 0;
        layer_motion[0] = {};
        layer_motion[1] = {};
        begin();
        const int expected_start[] = {0, 2, 8, 0, 2};
        const char expected_letter[] = {'A', 'B', 'C', 'A', 'B'};
        for (int page = 0; page < 5; page++) {
            EXPECT_EQ(page_text.position, expected_start[page]) << "page " << page << ", ending " << ending;
            ASSERT_EQ(run_frame(), ACCELERATE);
            EXPECT_EQ(get_rgb(line_layer[0], origin_x + 5, origin_y + 7), cell_rgb(expected_letter[page] - 32))
                << "page " << page << ", ending " << ending;
            run_phases(CYCLE_FRAMES - 1);
        }
    }
}

TEST_F(page_cycle, an_empty_text_keeps_the_cycle_running)
{
    unsigned char byte = 'A';
    const text_buffer empties[] = {{nullptr, 0, 0}, {&byte, 0, 0}};
    for (const text_buffer& empty : empties) {
        page_text = empty;
        page_timer = 0;
        layer_motion[0] = {};
        layer_motion[1] = {};
        begin();
        std::vector<std::pair<frame_phase, int>> seen = run_phases(CYCLE_FRAMES * 2);
        ASSERT_EQ(seen.size(), 14u);
        EXPECT_EQ(seen[3].first, HOLD);
        EXPECT_EQ(seen[3].second, 491);
        EXPECT_EQ(seen[13].first, RESET);
        EXPECT_TRUE(layers_blank());
        EXPECT_EQ(page_text.position, 0);
    }
}

} // namespace
