// startup_test.cpp -- the whole start-up and shutdown, with the recording audio stand-in in place
#include "app/display.h"
#include "app/frame_loop.h"
#include "app/startup.h"
#include "effects/page_cycle.h"
#include "effects/page_writer.h"
#include "effects/scroller.h"
#include "platform/bass_record.h"
#include "resources/store.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

static std::vector<std::string> calls()
{
    std::vector<std::string> lines;
    for (int i = 0; i < bass_record_count && i < BASS_RECORD_CAPACITY; ++i)
        lines.push_back(bass_record_log[i]);
    return lines;
}

static std::string line_with_pointer(const char* format, const void* pointer)
{
    char line[BASS_RECORD_TEXT];
    snprintf(line, sizeof(line), format, pointer);
    return line;
}

// A show that ends as soon as it starts: the quit request is already set, so the
// frame loop returns after preparing the first page.
static int run_short_show()
{
    setenv("SDL_VIDEODRIVER", "dummy", 1); // named explicitly, so it is trusted
    quit_request = 1;
    return intro_main(2);
}

TEST(startup, plays_the_archived_module_once_the_display_is_open_and_closes_it_before_the_surfaces)
{
    bass_record_reset();
    EXPECT_EQ(run_short_show(), 0);
    std::vector<std::string> expected = {
        line_with_pointer("BASS_Init(-1, 44100, 16, %p)", nullptr),
        "BASS_Start()",
        line_with_pointer("BASS_MusicLoad(1, %p, 0, 0, 4)", load_resource("ormivaara.xm", nullptr)),
        "BASS_MusicPlay(7)",
        "BASS_Stop()",
        "BASS_MusicFree(7)",
        "BASS_Free()",
    };
    EXPECT_EQ(calls(), expected);
    EXPECT_EQ(fullscreen, 0);
    EXPECT_EQ(background, nullptr) << "surfaces are freed at shutdown";
    EXPECT_EQ(line_layer[0], nullptr);
}

TEST(startup, without_an_audio_device_the_show_runs_silent_and_nothing_else_is_asked_of_the_library)
{
    bass_record_reset();
    bass_record_init_result = 0;
    EXPECT_EQ(run_short_show(), 0);
    std::vector<std::string> expected = {line_with_pointer("BASS_Init(-1, 44100, 16, %p)", nullptr)};
    EXPECT_EQ(calls(), expected);
}

TEST(startup, a_module_the_library_rejects_leaves_the_show_silent_and_shutdown_calls_nothing)
{
    bass_record_reset();
    bass_record_load_result = 0;
    EXPECT_EQ(run_short_show(), 0);
    std::vector<std::string> calls_made = calls();
    ASSERT_EQ(calls_made.size(), 3u);
    EXPECT_EQ(calls_made[1], "BASS_Start()");
    EXPECT_EQ(calls_made[2].rfind("BASS_MusicLoad(1, ", 0), 0u);
}

TEST(loaders, load_texts_fills_both_texts_and_starts_the_page_cycle)
{
    page_timer = 0;
    layer_motion[0].state = layer_motion[1].state = 0;
    ASSERT_EQ(load_texts(), 1);
    uint32_t size = 0;
    EXPECT_EQ(page_text.data, load_resource("text1.txt", &size));
    EXPECT_EQ(page_text.length, size);
    EXPECT_EQ(scroll_text.data, load_resource("text2.txt", &size));
    EXPECT_EQ(scroll_text.length, size);
    EXPECT_EQ(page_timer, 1);
    EXPECT_EQ(layer_motion[0].state, MOTION_READY);
    EXPECT_EQ(layer_motion[1].state, MOTION_READY);
}

TEST(loaders, load_images_fills_the_six_surfaces_from_their_files)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
    ASSERT_EQ(load_images(), 1);
    struct {
        SDL_Surface* surface;
        int w, h;
    } expected[] = {{checker_overlay, 700, 500}, {checker_layer, 700, 500}, {background, 800, 600},
                    {mini_font, 630, 15},        {big_font, 640, 480},      {sprite_sheet, 136, 34}};
    for (const auto& e : expected) {
        ASSERT_NE(e.surface, nullptr);
        EXPECT_EQ(e.surface->w, e.w);
        EXPECT_EQ(e.surface->h, e.h);
    }
    free_surfaces();
    EXPECT_EQ(background, nullptr);
    EXPECT_EQ(sprite_sheet, nullptr);
    SDL_Quit();
}
