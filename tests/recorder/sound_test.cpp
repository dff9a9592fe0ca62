// sound_test.cpp -- the offline mix: the intro's player, whole frames of sound, the tune's length, WAV files
#include "recorder/sound.h"

#include "common/little_endian.h"
#include "music/music.h"
#include "platform/bass.h"
#include "resources/store.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

constexpr long long FRAMES = 300;

static std::vector<int16_t> frames_of_sound(long long frames)
{
    std::vector<int16_t> sound;
    for (long long n = 0; n < frames; n++) {
        const int16_t* next = sound_next_frame();
        EXPECT_NE(next, nullptr) << "frame " << n + 1;
        if (!next)
            break;
        sound.insert(sound.end(), next, next + SAMPLES_PER_FRAME * SOUND_CHANNELS);
    }
    return sound;
}

// The intro's own start of the tune, mixed chunk frames at a time.
static std::vector<int16_t> intro_mix(long long frames, size_t chunk)
{
    std::vector<int16_t> sound(static_cast<size_t>(frames) * SAMPLES_PER_FRAME * SOUND_CHANNELS);
    EXPECT_EQ(music_start(load_resource("ormivaara.xm", nullptr)), 1);
    for (size_t at = 0; at < sound.size() / 2; at += chunk)
        bass_mix(sound.data() + at * 2, std::min(chunk, sound.size() / 2 - at));
    music_close();
    return sound;
}

TEST(sound, each_frame_carries_882_sample_frames_of_exactly_what_the_intro_plays)
{
    ASSERT_EQ(SAMPLES_PER_FRAME, 882);
    ASSERT_EQ(sound_open(FRAMES, nullptr), 1);
    std::vector<int16_t> recorded = frames_of_sound(FRAMES);
    EXPECT_EQ(sound_next_frame(), nullptr); // no sound past the last frame
    ASSERT_EQ(sound_finish(), 1);
    EXPECT_EQ(music_handle, 0u); // the tune is released

    // Mixed a frame at a time from the intro's start: the same samples, from sample 0 on.
    std::vector<int16_t> played = intro_mix(FRAMES, SAMPLES_PER_FRAME);
    ASSERT_EQ(recorded.size(), played.size());
    size_t first_difference = 0;
    while (first_difference < played.size() && recorded[first_difference] == played[first_difference])
        first_difference++;
    EXPECT_EQ(first_difference, played.size()) << "sample frame " << first_difference / 2;

    // A device asks in sizes of its own; the mixer rounds a ramp differently at each chunk's
    // edge, so the samples may differ by one step, never more.
    std::vector<int16_t> device = intro_mix(FRAMES, 1021);
    int worst = 0, loudest = 0;
    for (size_t i = 0; i < device.size(); i++) {
        worst = std::max(worst, std::abs(recorded[i] - device[i]));
        loudest = std::max(loudest, std::abs(static_cast<int>(recorded[i])));
    }
    EXPECT_LE(worst, 1);
    // Not silence that would match anything: the tune sounds within these six seconds.
    EXPECT_GT(loudest, 1000);
}

TEST(sound, the_default_length_is_one_pass_of_the_tune)
{
    // 17 orders of 64 rows, 6 ticks a row at 20 ms a tick (tempo 125): 130.56 s.
    EXPECT_EQ(sound_pass_frames(), 6528);
}

TEST(sound, wav_headers_count_the_sound_that_follows)
{
    struct row {
        long long frames;
        uint32_t riff_size, data_size;
    };
    const row rows[] = {
        {0, 36, 0},
        {1, 36 + 3528, 3528},
        {6530, 36 + 6530u * 3528, 6530u * 3528},
        {MAX_WAV_FRAMES, 36 + uint32_t(MAX_WAV_FRAMES) * 3528, uint32_t(MAX_WAV_FRAMES) * 3528}, // the largest that fits
    };
    for (const row& r : rows) {
        unsigned char header[WAV_HEADER_BYTES];
        wav_header(header, r.frames);
        auto u32 = [&](int at) { return read_le32(header + at); };
        auto u16 = [&](int at) { return read_le16(header + at); };
        EXPECT_EQ(memcmp(header, "RIFF", 4), 0);
        EXPECT_EQ(u32(4), r.riff_size) << r.frames;
        EXPECT_EQ(memcmp(header + 8, "WAVEfmt ", 8), 0);
        EXPECT_EQ(u32(16), 16u);
        EXPECT_EQ(u16(20), 1u);          // PCM
        EXPECT_EQ(u16(22), 2u);          // stereo
        EXPECT_EQ(u32(24), 44100u);      // sample rate
        EXPECT_EQ(u32(28), 44100u * 4);  // bytes per second
        EXPECT_EQ(u16(32), 4u);          // bytes per sample frame
        EXPECT_EQ(u16(34), 16u);         // bits per sample
        EXPECT_EQ(memcmp(header + 36, "data", 4), 0);
        EXPECT_EQ(u32(40), r.data_size) << r.frames;
    }
    EXPECT_LT(double(MAX_WAV_FRAMES + 1) * 3528 + 36, 4294967296.0 + 3528); // one more would not fit
    EXPECT_GT(double(MAX_WAV_FRAMES + 1) * 3528 + 36, 4294967295.0);
}

TEST(sound, a_wav_file_appears_only_when_complete)
{
    std::string dir = make_scratch_dir("sound_wav");
    std::string path = dir + "/tune.wav";
    ASSERT_EQ(sound_open(50, path.c_str()), 1);
    std::vector<int16_t> first = frames_of_sound(20);
    EXPECT_FALSE(std::filesystem::exists(path)); // only the part file while it is written
    ASSERT_EQ(sound_finish(), 1);                // mixes the other 30 frames itself
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    ASSERT_EQ(bytes.size(), WAV_HEADER_BYTES + 50 * SOUND_FRAME_BYTES);
    std::vector<int16_t> played = intro_mix(50, SAMPLES_PER_FRAME);
    EXPECT_EQ(memcmp(bytes.data() + WAV_HEADER_BYTES, played.data(), 50 * SOUND_FRAME_BYTES), 0);
    EXPECT_EQ(std::vector<int16_t>(played.begin(), played.begin() + first.size()), first);

    // Abandoned half-way: nothing is left, under either name.
    std::string other = dir + "/other.wav";
    ASSERT_EQ(sound_open(50, other.c_str()), 1);
    frames_of_sound(10);
    sound_abort();
    EXPECT_EQ(music_handle, 0u);
    EXPECT_FALSE(std::filesystem::exists(other));
    EXPECT_FALSE(std::filesystem::exists(other + ".part"));
    std::filesystem::remove_all(dir);
}
