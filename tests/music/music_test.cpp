// music_test.cpp -- the audio library calls that music playback makes, checked against the recording stand-in
#include "music/music.h"

#include "platform/bass_record.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#include <vector>

static const unsigned char fake_module[4] = {'X', 'M', 0, 0}; // the recorder never reads it

static std::vector<std::string> calls()
{
    std::vector<std::string> lines;
    for (int i = 0; i < bass_record_count && i < BASS_RECORD_CAPACITY; ++i)
        lines.push_back(bass_record_log[i]);
    return lines;
}

static std::string load_line(const void* module)
{
    char line[BASS_RECORD_TEXT];
    snprintf(line, sizeof(line), "BASS_MusicLoad(1, %p, 0, 0, 4)", module);
    return line;
}

static const std::string INIT_LINE = [] {
    char line[BASS_RECORD_TEXT];
    snprintf(line, sizeof(line), "BASS_Init(-1, 44100, 16, %p)", static_cast<void*>(nullptr));
    return std::string(line);
}();

// Each test starts from the closed state with a recorder that answers success.
static void fresh_start()
{
    music_handle = 0;
    bass_record_reset();
}

TEST(music, without_a_device_nothing_follows_the_failed_init_and_shutdown_calls_nothing)
{
    fresh_start();
    bass_record_init_result = 0;
    EXPECT_EQ(music_open(), 0);
    music_close();
    EXPECT_EQ(calls(), std::vector<std::string>{INIT_LINE});
}

TEST(music, a_rejected_module_leaves_no_handle_and_shutdown_calls_nothing)
{
    fresh_start();
    bass_record_load_result = 0;
    ASSERT_EQ(music_open(), 1);
    EXPECT_EQ(music_start(fake_module), 0);
    EXPECT_EQ(music_handle, 0u);
    music_close();
    EXPECT_EQ(calls(), (std::vector<std::string>{INIT_LINE, "BASS_Start()", load_line(fake_module)}));
}

TEST(music, a_null_module_makes_no_library_call)
{
    fresh_start();
    EXPECT_EQ(music_start(nullptr), 0);
    EXPECT_EQ(music_handle, 0u);
    music_close();
    EXPECT_EQ(bass_record_count, 0);
}

TEST(music, a_full_run_makes_the_seven_calls_in_order_and_a_second_close_calls_nothing)
{
    fresh_start();
    bass_record_load_result = 0x2A;
    ASSERT_EQ(music_open(), 1);
    ASSERT_EQ(music_start(fake_module), 1);
    EXPECT_EQ(music_handle, 0x2Au);
    music_close();
    EXPECT_EQ(music_handle, 0u);
    const std::vector<std::string> expected = {
        INIT_LINE,          "BASS_Start()", load_line(fake_module), "BASS_MusicPlay(42)",
        "BASS_Stop()", "BASS_MusicFree(42)", "BASS_Free()",
    };
    EXPECT_EQ(calls(), expected);

    music_close();
    EXPECT_EQ(bass_record_count, 7);
}

TEST(music, the_results_of_start_play_and_the_closing_calls_are_ignored)
{
    fresh_start();
    bass_record_other_result = 0;
    EXPECT_EQ(music_open(), 1);
    EXPECT_EQ(music_start(fake_module), 1);
    music_close();
    EXPECT_EQ(music_handle, 0u);
    EXPECT_EQ(bass_record_count, 7);
}
