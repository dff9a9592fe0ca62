// bass_sdl_test.cpp -- the real audio stand-in: device open and close, loading, and mixing offline and through a device
#include "platform/bass.h"

#include "resources/xm_extent.h"
#include "resources/store.h"
#include "tests/test_support.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

typedef std::vector<unsigned char> bytes;

constexpr int RATE = 44100;
constexpr unsigned char NOTE_C4 = 49;
constexpr unsigned char EMPTY_CELL = 0x80;
constexpr double ROW_SECONDS = 6 * 2.5 / 125; // speed 6, tempo 125
constexpr int SOUND_PEAK = 1000;              // a window with a louder sample is taken as sounding

// A one-channel module: the orders, and for each pattern of 16 rows whether row 0 plays the
// note and to which order (if any, else -1) row 15 jumps. One instrument: a short,
// unlooped 8-bit square wave, so that sound follows each note for about a quarter second.
struct pattern_plan {
    bool note;
    int jump_to;
};

static bytes build_module(const std::vector<unsigned char>& orders, const std::vector<pattern_plan>& patterns)
{
    bytes out(60, 0);
    memcpy(out.data(), "Extended Module: ", 17);
    out[37] = 0x1A;
    memcpy(out.data() + 38, "FastTracker v2.00   ", 20);
    out[58] = 0x04;
    out[59] = 0x01;
    put_le32(out, 276);
    put_le16(out, static_cast<uint32_t>(orders.size()));
    put_le16(out, 0);
    put_le16(out, 1);
    put_le16(out, static_cast<uint32_t>(patterns.size()));
    put_le16(out, 1);
    put_le16(out, 0);
    put_le16(out, 6);
    put_le16(out, 125);
    bytes order_table(256, 0);
    std::copy(orders.begin(), orders.end(), order_table.begin());
    out.insert(out.end(), order_table.begin(), order_table.end());

    for (const pattern_plan& plan : patterns) {
        bytes cells;
        for (int row = 0; row < 16; ++row) {
            if (row == 0 && plan.note)
                cells.insert(cells.end(), {0x83, NOTE_C4, 1});
            else if (row == 15 && plan.jump_to >= 0)
                cells.insert(cells.end(), {0x98, 0x0B, static_cast<unsigned char>(plan.jump_to)});
            else
                cells.push_back(EMPTY_CELL);
        }
        put_le32(out, 9);
        out.push_back(0);
        put_le16(out, 16);
        put_le16(out, static_cast<uint32_t>(cells.size()));
        out.insert(out.end(), cells.begin(), cells.end());
    }

    const uint32_t sample_length = 2000;
    size_t instrument = out.size();
    put_le32(out, 263);
    out.resize(out.size() + 23, 0);
    put_le16(out, 1);
    put_le32(out, 40);
    out.resize(instrument + 263, 0);
    size_t sample = out.size();
    put_le32(out, sample_length);
    out.resize(sample + 40, 0);
    out[sample + 12] = 64;  // volume
    out[sample + 15] = 128; // panning: centre
    // Delta-coded: a square wave of +-64 with a 40-sample period.
    for (uint32_t i = 0; i < sample_length; ++i)
        out.push_back(i == 0 ? 64 : i % 20 == 0 ? static_cast<unsigned char>(i % 40 == 0 ? 128 : -128) : 0);
    return out;
}

// One pass of two patterns: silence, then a note; the last row jumps back to order 1.
static const bytes JUMP_MODULE = build_module({0, 1}, {{false, -1}, {true, 1}});
// One pattern with a note, and no jump: the song simply ends after 16 rows.
static const bytes SHORT_MODULE = build_module({0}, {{true, -1}});

static std::vector<int16_t> render(double seconds)
{
    std::vector<int16_t> out(static_cast<size_t>(seconds * RATE) * 2);
    const size_t chunk = 1000; // frames, as a device callback would ask for them
    for (size_t frame = 0; frame < out.size() / 2; frame += chunk) {
        size_t frames = std::min(chunk, out.size() / 2 - frame);
        bass_mix(out.data() + frame * 2, frames);
    }
    return out;
}

static int peak(const std::vector<int16_t>& audio, double from, double to)
{
    int loudest = 0;
    size_t end = std::min(audio.size(), static_cast<size_t>(to * RATE) * 2);
    for (size_t i = static_cast<size_t>(from * RATE) * 2; i < end; ++i)
        loudest = std::max(loudest, std::abs(static_cast<int>(audio[i])));
    return loudest;
}

static std::vector<int16_t> play_offline(const bytes& module, DWORD flags, double seconds)
{
    std::vector<int16_t> audio;
    HMUSIC handle = BASS_MusicLoad(1, module.data(), 0, 0, flags);
    EXPECT_NE(handle, 0u);
    if (!handle)
        return audio;
    EXPECT_NE(BASS_MusicPlay(handle), 0);
    audio = render(seconds);
    EXPECT_NE(BASS_MusicFree(handle), 0);
    return audio;
}

TEST(bass_sdl, the_hand_made_modules_are_what_the_tests_below_assume)
{
    ASSERT_EQ(xm_extent(JUMP_MODULE.data(), JUMP_MODULE.size()), JUMP_MODULE.size());
    openmpt_module* module = openmpt_module_create_from_memory2(JUMP_MODULE.data(), JUMP_MODULE.size(), nullptr,
                                                                nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(module, nullptr);
    // One pass: both patterns once, then the jump back counts as the song's end.
    EXPECT_NEAR(openmpt_module_get_duration_seconds(module), 32 * ROW_SECONDS, 0.01);
    openmpt_module_destroy(module);
}

TEST(bass_sdl, a_looped_module_plays_on_past_its_end)
{
    const double pass = 16 * ROW_SECONDS;
    std::vector<int16_t> looped = play_offline(SHORT_MODULE, BASS_SAMPLE_LOOP, 3 * pass);
    EXPECT_GT(peak(looped, 0, 0.1), SOUND_PEAK);
    EXPECT_LT(peak(looped, 0.5, pass - 0.05), SOUND_PEAK); // the note has died away before the end
    EXPECT_GT(peak(looped, pass, pass + 0.1), SOUND_PEAK);
    EXPECT_GT(peak(looped, 2 * pass, 2 * pass + 0.1), SOUND_PEAK);

    std::vector<int16_t> once = play_offline(SHORT_MODULE, 0, 2 * pass);
    EXPECT_GT(peak(once, 0, 0.1), SOUND_PEAK);
    EXPECT_LT(peak(once, pass, 2 * pass), SOUND_PEAK);
}

TEST(bass_sdl, a_looped_module_plays_on_past_its_position_jump)
{
    const double pattern = 16 * ROW_SECONDS;
    std::vector<int16_t> looped = play_offline(JUMP_MODULE, BASS_SAMPLE_LOOP, 5 * pattern);
    EXPECT_LT(peak(looped, 0, pattern - 0.05), SOUND_PEAK); // order 0 is silent
    for (int pass = 1; pass <= 4; ++pass)
        EXPECT_GT(peak(looped, pass * pattern, pass * pattern + 0.1), SOUND_PEAK) << "order 1, pass " << pass;

    std::vector<int16_t> once = play_offline(JUMP_MODULE, 0, 4 * pattern);
    EXPECT_GT(peak(once, pattern, pattern + 0.1), SOUND_PEAK);
    EXPECT_LT(peak(once, 2 * pattern, 4 * pattern), SOUND_PEAK);
}

TEST(bass_sdl, nothing_playing_mixes_silence)
{
    HMUSIC handle = BASS_MusicLoad(1, SHORT_MODULE.data(), 0, 0, BASS_SAMPLE_LOOP);
    ASSERT_NE(handle, 0u);
    EXPECT_EQ(peak(render(0.2), 0, 0.2), 0); // loaded, not yet played
    EXPECT_NE(BASS_MusicFree(handle), 0);
    EXPECT_EQ(BASS_MusicFree(handle), 0); // a handle is good once
    EXPECT_EQ(BASS_MusicPlay(handle), 0);
}

TEST(bass_sdl, loading_rejects_what_is_not_a_whole_module_in_memory)
{
    bytes bad_pattern = SHORT_MODULE;
    bad_pattern[336 + 4] = 1; // the first pattern's packing type
    const unsigned char text[64] = "Extended Module? no, only text";
    bytes module_after_padding(100, 0);
    module_after_padding.insert(module_after_padding.end(), SHORT_MODULE.begin(), SHORT_MODULE.end());

    EXPECT_EQ(BASS_MusicLoad(1, nullptr, 0, 0, BASS_SAMPLE_LOOP), 0u);
    EXPECT_EQ(BASS_MusicLoad(1, text, 0, 0, BASS_SAMPLE_LOOP), 0u);
    EXPECT_EQ(BASS_MusicLoad(0, SHORT_MODULE.data(), 0, 0, BASS_SAMPLE_LOOP), 0u); // files are not read
    // Headers that contradict themselves; the sample data behind them is never read.
    EXPECT_EQ(BASS_MusicLoad(1, bad_pattern.data(), 0, 0, BASS_SAMPLE_LOOP), 0u);

    HMUSIC handle = BASS_MusicLoad(1, module_after_padding.data(), 100, 0, BASS_SAMPLE_LOOP);
    EXPECT_NE(handle, 0u);
    EXPECT_NE(BASS_MusicFree(handle), 0);
}

TEST(bass_sdl, without_an_audio_driver_init_fails_and_nothing_else_acts)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_EQ(BASS_Init(-1, 44100, 16, nullptr), 0);
    EXPECT_EQ(BASS_Start(), 0);
    EXPECT_EQ(BASS_Stop(), 0);
    EXPECT_EQ(BASS_Free(), 0);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
}

TEST(bass_sdl, the_device_opens_once_and_closes_once)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_NE(BASS_Init(-1, 44100, 16, nullptr), 0);
    EXPECT_EQ(bass_mix_rate(), 44100);
    EXPECT_EQ(BASS_Init(-1, 44100, 16, nullptr), 0);
    EXPECT_NE(BASS_Start(), 0);
    EXPECT_NE(BASS_Stop(), 0);
    EXPECT_NE(BASS_Free(), 0);
    EXPECT_EQ(BASS_Free(), 0);
    EXPECT_EQ(BASS_Init(7, 44100, 16, nullptr), 0); // only the default device exists here
}

// The bytes the disk device has written so far (it may be mid-write; a partial sample is ignored).
static std::vector<int16_t> read_device_file(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    bytes raw((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<int16_t> audio(raw.size() / 2);
    memcpy(audio.data(), raw.data(), audio.size() * 2);
    return audio;
}

TEST(bass_sdl, a_playing_module_reaches_the_device_without_further_calls)
{
    const std::string dir = make_scratch_dir("bass_sdl_device");
    const std::string path = dir + "/out.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
    ASSERT_NE(BASS_Init(-1, 44100, 16, nullptr), 0);
    BASS_Start();
    HMUSIC handle = BASS_MusicLoad(1, SHORT_MODULE.data(), 0, 0, BASS_SAMPLE_LOOP);
    ASSERT_NE(handle, 0u);
    EXPECT_NE(BASS_MusicPlay(handle), 0);

    // NOTE: the device writes silence from BASS_Start on, and a busy machine may keep the
    // loading above from finishing for a while: how much silence comes first says nothing.
    // What counts is that the note arrives while this thread only watches the file.
    // The module loops, so a note sounds every 0.8 s for as long as the device runs.
    const Uint32 BOUND_MS = 60000;
    const Uint32 started = SDL_GetTicks();
    int loudest = 0;
    size_t samples = 0;
    while (loudest <= SOUND_PEAK && SDL_GetTicks() - started < BOUND_MS) {
        SDL_Delay(20);
        std::vector<int16_t> audio = read_device_file(path);
        samples = audio.size();
        loudest = peak(audio, 0, static_cast<double>(samples) / 2 / RATE);
    }
    BASS_Stop();
    BASS_MusicFree(handle);
    BASS_Free();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    EXPECT_GT(loudest, SOUND_PEAK) << samples << " samples written in " << BOUND_MS / 1000 << " s";
}

TEST(bass_sdl, the_shipped_module_sounds_and_plays_on_past_its_first_pass)
{
    uint32_t size = 0;
    const unsigned char* data = load_resource("ormivaara.xm", &size);
    ASSERT_NE(data, nullptr);
    ASSERT_GT(size, 0u);

    openmpt_module* probe = openmpt_module_create_from_memory2(data, size, nullptr, nullptr, nullptr, nullptr,
                                                               nullptr, nullptr, nullptr);
    ASSERT_NE(probe, nullptr);
    const double first_pass = openmpt_module_get_duration_seconds(probe);
    openmpt_module_destroy(probe);
    ASSERT_GT(first_pass, 1.0);

    HMUSIC handle = BASS_MusicLoad(1, data, 0, 0, BASS_SAMPLE_LOOP);
    ASSERT_NE(handle, 0u);
    ASSERT_NE(BASS_MusicPlay(handle), 0);
    std::vector<int16_t> audio = render(first_pass + 8);
    BASS_MusicFree(handle);

    EXPECT_GT(peak(audio, 0, first_pass), SOUND_PEAK);
    // Past the first pass and its jump back, every two seconds still sound.
    for (double at = first_pass; at + 2 <= first_pass + 8; at += 2)
        EXPECT_GT(peak(audio, at, at + 2), SOUND_PEAK) << "at " << at << " s";
}
