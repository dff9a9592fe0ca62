// xm_module_test.cpp -- the committed music module: its header, its extent, its loop and how it renders
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "resources/xm_extent.h"
#include "tools/common/file_bytes.h"
#include "tools/music/xm_reader.h"
#include "tools/music/xm_playback.h"
#include "tools/music/xm_synth.h"

static const char* MODULE_PATH = SWAYBOARD_SOURCE_DIR "/resources/data/ormivaara.xm";

static const std::vector<uint8_t>& module()
{
    static std::vector<uint8_t> data = file_bytes(MODULE_PATH);
    return data;
}

static void put32(std::vector<uint8_t>& d, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; i++) d[at + i] = uint8_t(v >> (8 * i));
}

TEST(xm_module, header_holds_the_fixed_fields)
{
    const std::vector<uint8_t>& d = module();
    xm_header h;
    ASSERT_EQ(xm_read_header(d.data(), d.size(), &h), 1) << MODULE_PATH;
    EXPECT_STREQ(h.signature, "Extended Module: ");
    EXPECT_GT(strlen(h.title), 0u);
    EXPECT_EQ(strstr(h.title, "ormivaara"), nullptr);
    for (size_t i = strlen(h.title); i < 20; i++) EXPECT_EQ(d[17 + i], 0) << "title not zero-filled at " << i;
    EXPECT_EQ(h.marker, 0x1A);
    EXPECT_STREQ(h.tracker, "FastTracker v2.00   ");
    EXPECT_EQ(h.version, 0x0104);
    EXPECT_EQ(h.header_size, 276u);
    EXPECT_EQ(h.song_length, 17);
    EXPECT_EQ(h.restart, 0);
    EXPECT_EQ(h.channels, 4);
    EXPECT_EQ(h.patterns, 15);
    EXPECT_EQ(h.instruments, 31);
    EXPECT_EQ(h.flags, 0);
    EXPECT_EQ(h.speed, 6);
    EXPECT_EQ(h.tempo, 125);
    for (int i = 0; i < 256; i++) {
        if (i < 17) EXPECT_LT(h.orders[i], 15) << "order " << i;
        else EXPECT_EQ(h.orders[i], 0) << "unused order " << i;
    }
    EXPECT_GE(d.size(), 25u * 1024);
    EXPECT_LE(d.size(), 64u * 1024);
}

TEST(xm_module, headers_account_for_every_byte)
{
    const std::vector<uint8_t>& d = module();
    ASSERT_FALSE(d.empty());
    EXPECT_EQ(xm_extent(d.data(), d.size()), d.size());
}

// Every instrument carries exactly one sample with a 40-byte header, and its loop stays inside it.
TEST(xm_module, instruments_have_one_sample_each)
{
    const std::vector<uint8_t>& d = module();
    xm_header h;
    ASSERT_EQ(xm_read_header(d.data(), d.size(), &h), 1);
    size_t at = 60 + h.header_size;
    for (int p = 0; p < h.patterns; p++) at += (d[at] | d[at + 1] << 8) + (d[at + 7] | d[at + 8] << 8);
    for (int i = 0; i < h.instruments; i++) {
        ASSERT_LT(at + 33, d.size());
        uint32_t size = d[at] | d[at + 1] << 8 | d[at + 2] << 16 | uint32_t(d[at + 3]) << 24;
        EXPECT_EQ(d[at + 27] | d[at + 28] << 8, 1) << "instrument " << i + 1;
        EXPECT_EQ(d[at + 29], 40) << "instrument " << i + 1;
        const uint8_t* s = &d[at + size];
        uint32_t length = s[0] | s[1] << 8 | s[2] << 16 | uint32_t(s[3]) << 24;
        uint32_t loop_start = s[4] | s[5] << 8 | s[6] << 16 | uint32_t(s[7]) << 24;
        uint32_t loop_length = s[8] | s[9] << 8 | s[10] << 16 | uint32_t(s[11]) << 24;
        EXPECT_GT(length, 0u) << "instrument " << i + 1;
        EXPECT_LE(uint64_t(loop_start) + loop_length, length) << "instrument " << i + 1;
        EXPECT_EQ((s[14] & 3) != 0, loop_length != 0) << "instrument " << i + 1;
        at += size + 40 + length;
    }
}

// Rows, the single position jump that closes the loop, and that every instrument is played.
TEST(xm_module, patterns_loop_back_to_order_one_and_use_every_instrument)
{
    const std::vector<uint8_t>& d = module();
    xm_header h;
    ASSERT_EQ(xm_read_header(d.data(), d.size(), &h), 1);
    const int last = h.orders[h.song_length - 1];
    std::vector<int> played(h.instruments + 1, 0);
    int jumps = 0;
    for (int p = 0; p < h.patterns; p++) {
        std::vector<xm_cell> cells;
        ASSERT_EQ(xm_read_pattern(d.data(), d.size(), p, cells), 64) << "pattern " << p;
        for (size_t i = 0; i < cells.size(); i++) {
            const xm_cell& c = cells[i];
            if (c.note && c.note != XM_KEY_OFF && c.instrument <= h.instruments) played[c.instrument]++;
            if (c.effect == 0xB || c.effect == 0xD) {
                jumps++;
                EXPECT_EQ(p, last) << "jump or break in pattern " << p << " cell " << i;
                EXPECT_EQ(c.effect, 0xB);
                EXPECT_EQ(c.param, 1);
                EXPECT_EQ(int(i) / h.channels, 63);
            }
        }
    }
    EXPECT_EQ(jumps, 1);
    int last_uses = 0;
    for (int i = 0; i < h.song_length; i++) last_uses += h.orders[i] == last;
    EXPECT_EQ(last_uses, 1) << "the pattern with the jump must play only at the end";
    for (int i = 1; i <= h.instruments; i++) EXPECT_GT(played[i], 0) << "instrument " << i << " never plays";
}

// The extent walk must refuse a module whose headers point past the data it is given.
TEST(xm_module, extent_refuses_damaged_modules)
{
    const std::vector<uint8_t>& good = module();
    ASSERT_GT(good.size(), 400u);
    xm_header h;
    ASSERT_EQ(xm_read_header(good.data(), good.size(), &h), 1);
    const size_t first_pattern = 60 + h.header_size;

    struct damage {
        const char* what;
        size_t keep;        // bytes kept
        size_t poke_at;     // 0: no poke
        uint32_t poke;
    } cases[] = {
        {"header only", 336, 0, 0},
        {"cut inside the header", 200, 0, 0},
        {"last sample byte missing", good.size() - 1, 0, 0},
        {"cut in the middle", good.size() / 2, 0, 0},
        {"header size far too large", good.size(), 60, 0x7FFFFFF0u},
        {"pattern header size too small", good.size(), first_pattern, 3},
        {"pattern header size huge", good.size(), first_pattern, 0xFFFFFFFFu},
    };
    for (const damage& c : cases) {
        std::vector<uint8_t> d(good.begin(), good.begin() + c.keep);
        if (c.poke_at) put32(d, c.poke_at, c.poke);
        EXPECT_EQ(xm_extent(d.data(), d.size()), 0u) << c.what;
    }
    std::vector<uint8_t> longer(good);
    longer.resize(good.size() + 100, 0xAA);
    EXPECT_EQ(xm_extent(longer.data(), longer.size()), good.size()) << "trailing bytes are not the module's";
}

// The largest step between neighbouring samples of either channel, frames [from, to).
static float largest_step(const std::vector<float>& frames, size_t from, size_t to)
{
    float step = 0;
    for (size_t i = from + 1; i < to; i++)
        for (int c = 0; c < 2; c++) step = fmaxf(step, fabsf(frames[2 * i + c] - frames[2 * i - 2 + c]));
    return step;
}

TEST(xm_module, libopenmpt_plays_a_clean_pass_that_loops_without_a_click)
{
    const std::vector<uint8_t>& d = module();
    xm_render r;
    ASSERT_EQ(xm_render_module(d.data(), d.size(), 2, &r), 1);
    EXPECT_EQ(r.channels, 4);
    EXPECT_EQ(r.orders, 17);
    EXPECT_EQ(r.patterns, 15);
    EXPECT_EQ(r.instruments, 31);
    EXPECT_NEAR(r.duration_seconds, 130.56, 1.0);
    // The second pass starts at order 1: the intro's 64 rows are not played again.
    const double intro_seconds = 64 * 6 * 0.02;
    EXPECT_NEAR(r.frames.size() / 2.0 / XM_RENDER_RATE, 2 * r.duration_seconds - intro_seconds, 0.15);

    const size_t pass = size_t(r.duration_seconds * XM_RENDER_RATE);
    ASSERT_GT(r.frames.size() / 2, pass + XM_RENDER_RATE);
    std::vector<float> first(r.frames.begin(), r.frames.begin() + 2 * pass);
    xm_levels levels;
    xm_measure(first, -60.0, &levels);
    EXPECT_LE(levels.peak_dbfs, -1.0);
    // Mastered: the unmastered tune measured -20.4 dBFS here.
    EXPECT_GT(levels.rms_dbfs, -18.0) << "the pass is quieter than it was mastered";
    EXPECT_LT(levels.longest_quiet_seconds, 0.48) << "at " << levels.quiet_starts_at << " s";
    EXPECT_LT(fabs(levels.dc_left), 0.001);
    EXPECT_LT(fabs(levels.dc_right), 0.001);

    // The last second of the pass into the first of the next is no sharper than the tune.
    float join = largest_step(r.frames, pass - XM_RENDER_RATE, pass + XM_RENDER_RATE);
    EXPECT_LE(join, largest_step(r.frames, 0, pass)) << "a click where the song loops";
}

TEST(xm_module, composer_writes_the_committed_bytes_again)
{
    char dir[] = "/tmp/xm_module_test_XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string out = std::string(dir) + "/module.xm";
    std::string command = std::string("'") + COMPOSE_XM_PATH + "' '" + out + "' > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::vector<uint8_t> fresh = file_bytes(out.c_str());
    remove(out.c_str());
    rmdir(dir);
    ASSERT_FALSE(fresh.empty());
    EXPECT_EQ(fresh.size(), module().size());
    EXPECT_TRUE(fresh == module()) << "regenerate with: compose_xm resources/data/ormivaara.xm";
}

// ---------------------------------------------------------------------------------
// The writer, reader, synthesis and measurement that the module is made and checked with
// ---------------------------------------------------------------------------------

static xm_song tiny_song()
{
    xm_song s{};
    strcpy(s.title, "tiny");
    s.speed = 6;
    s.tempo = 125;
    s.orders = {0, 1, 0};
    s.patterns.assign(2, xm_pattern{});
    s.instruments.assign(1, xm_instrument{});
    xm_sample& sample = s.instruments[0].sample;
    for (int i = 0; i < 100; i++) sample.data.push_back(int8_t((i * 37) % 256 - 128));
    sample.loop_start = 20;
    sample.loop_length = 60;
    sample.volume = 64;
    return s;
}

TEST(xm_writer, cells_come_back_from_the_packed_pattern)
{
    struct placed {
        int row, ch;
        xm_cell cell;
    } cases[] = {
        {0, 0, {49, 1, 0x50, 0x0F, 0x06}},   // all five fields: written unpacked
        {0, 1, {97, 0, 0, 0, 0}},            // key off alone
        {5, 2, {0, 0, 0, 0x00, 0x37}},       // arpeggio: effect 0 with a parameter
        {17, 3, {60, 1, 0, 0x04, 0x63}},
        {63, 0, {0, 0, 0, 0x0B, 0x01}},
        {63, 3, {0, 0, 0x20, 0, 0}},
    };
    xm_song s = tiny_song();
    for (const placed& p : cases) s.patterns[1].cells[p.row][p.ch] = p.cell;
    std::vector<uint8_t> bytes;
    ASSERT_EQ(xm_serialise(s, bytes), 1);

    std::vector<xm_cell> cells;
    ASSERT_EQ(xm_read_pattern(bytes.data(), bytes.size(), 1, cells), 64);
    int filled = 0;
    for (const xm_cell& c : cells) filled += c.note || c.instrument || c.volume || c.effect || c.param;
    EXPECT_EQ(filled, int(sizeof(cases) / sizeof(cases[0])));
    for (const placed& p : cases) {
        const xm_cell& c = cells[p.row * XM_CHANNELS + p.ch];
        EXPECT_EQ(0, memcmp(&c, &p.cell, sizeof(c))) << "row " << p.row << " channel " << p.ch;
    }
    ASSERT_EQ(xm_read_pattern(bytes.data(), bytes.size(), 0, cells), 64);
    for (const xm_cell& c : cells) EXPECT_EQ(c.note | c.instrument | c.volume | c.effect | c.param, 0);
    EXPECT_EQ(xm_read_pattern(bytes.data(), bytes.size(), 2, cells), 0) << "there is no third pattern";
}

TEST(xm_writer, samples_are_delta_coded_at_the_end_of_the_file)
{
    xm_song s = tiny_song();
    std::vector<uint8_t> bytes;
    ASSERT_EQ(xm_serialise(s, bytes), 1);
    EXPECT_EQ(xm_extent(bytes.data(), bytes.size()), bytes.size());
    const std::vector<int8_t>& original = s.instruments[0].sample.data;
    const uint8_t* stored = bytes.data() + bytes.size() - original.size();
    int8_t value = 0;
    for (size_t i = 0; i < original.size(); i++) {
        value = int8_t(value + int8_t(stored[i]));
        ASSERT_EQ(value, original[i]) << "sample byte " << i;
    }
}

TEST(xm_writer, refuses_songs_the_format_cannot_hold)
{
    std::vector<uint8_t> bytes;
    xm_song s = tiny_song();
    s.orders.push_back(2);
    EXPECT_EQ(xm_serialise(s, bytes), 0) << "order names a missing pattern";
    s = tiny_song();
    s.orders.assign(257, 0);
    EXPECT_EQ(xm_serialise(s, bytes), 0) << "too many orders";
    s = tiny_song();
    s.instruments[0].sample.loop_length = 81;
    EXPECT_EQ(xm_serialise(s, bytes), 0) << "loop beyond the sample";
    s = tiny_song();
    s.instruments[0].envelope.count = 13;
    EXPECT_EQ(xm_serialise(s, bytes), 0) << "too many envelope points";
}

TEST(xm_reader, a_pattern_stored_without_data_reads_as_blank)
{
    xm_song s = tiny_song();
    s.orders = {0};
    s.patterns.resize(1);
    s.instruments.clear();
    std::vector<uint8_t> bytes;
    ASSERT_EQ(xm_serialise(s, bytes), 1);
    bytes.resize(336 + 9);  // keep the pattern header, drop its 256 packed cells
    bytes[336 + 7] = bytes[336 + 8] = 0;
    EXPECT_EQ(xm_extent(bytes.data(), bytes.size()), bytes.size());
    std::vector<xm_cell> cells;
    EXPECT_EQ(xm_read_pattern(bytes.data(), bytes.size(), 0, cells), 64);
    EXPECT_EQ(cells.size(), 64u * XM_CHANNELS);
}

// The largest step between neighbouring samples inside the loop.
static float largest_step(const synth_voice& v)
{
    float step = 0;
    for (size_t i = v.loop_start + 1; i < v.loop_start + v.loop_length; i++)
        step = fmaxf(step, fabsf(v.wave[i] - v.wave[i - 1]));
    return step;
}

TEST(xm_synth, loops_join_as_smoothly_as_their_own_samples)
{
    synth_seed(7);
    synth_filter chain[2] = {synth_highpass(3000, 0.7, 16726), synth_bandpass(6000, 0.8, 16726)};
    static const int voices[3] = {63, 64, 65};
    struct named {
        const char* what;
        synth_voice v;
    } cases[] = {
        {"saw with a closing filter", synth_tone({1, SHAPE_SAW, 0, 30, 6, 0.05f, 0, 0, nullptr, 0})},
        {"bass square", synth_tone({2, SHAPE_SQUARE, 0, 24, 9, 0.03f, 0, 0, nullptr, 0})},
        {"pulse with breath noise", synth_tone({1, SHAPE_PULSE, 0.25f, 12, 12, 0.05f, 0.4f, 3000, nullptr, 0})},
        {"falling sine", synth_drop(167, 3, 2, 0.3f)},
        {"squashed falling sine", synth_drop(160, 12, 40, 2.0f)},
        {"filtered noise", synth_noise_loop(2048, chain, 2)},
        {"detuned ensemble", synth_ensemble(SHAPE_SAW, 5, 64, voices, 3)},
    };
    for (const named& c : cases) {
        const synth_voice& v = c.v;
        ASSERT_GT(v.loop_length, 0u) << c.what;
        ASSERT_EQ(v.loop_start + v.loop_length, v.wave.size()) << c.what;
        float step = largest_step(v);
        float wrap = fabsf(v.wave[v.loop_start] - v.wave[v.wave.size() - 1]);
        EXPECT_LE(wrap, step * 1.05f) << c.what << ": seam at the loop's wrap";
        if (v.loop_start > 0) {
            float entry = fabsf(v.wave[v.loop_start] - v.wave[v.loop_start - 1]);
            EXPECT_LE(entry, step * 1.5f) << c.what << ": step into the loop";
        }
        double sum = 0, peak = 0;
        for (size_t i = v.loop_start; i < v.wave.size(); i++) sum += v.wave[i], peak = fmax(peak, fabs(v.wave[i]));
        EXPECT_LT(fabs(sum / v.loop_length), 0.02 * peak) << c.what << ": loop off centre";
    }
}

TEST(xm_synth, tones_are_tuned_to_c4_at_relative_note_twelve_per_octave)
{
    for (int shift = 0; shift <= 2; shift++) {
        synth_voice v = synth_tone({shift, SHAPE_SAW, 0, 10, 10, 0.01f, 0, 0, nullptr, 0});
        EXPECT_EQ(v.loop_length, size_t(32 << shift));
        double hz = synth_rate(shift) / double(v.loop_length);
        EXPECT_NEAR(1200 * log2(hz / 261.6256), 0.0, 3.0) << "shift " << shift << " (cents)";
    }
}

TEST(xm_synth, store_uses_the_full_eight_bits_and_keeps_the_loop)
{
    synth_voice v = synth_drop(100, 2, 1, 0.0f);
    for (float& x : v.wave) x *= 0.01f;
    xm_sample s{};
    synth_store(v, &s);
    ASSERT_EQ(s.data.size(), v.wave.size());
    int peak = 0;
    for (int8_t x : s.data) peak = std::max(peak, std::abs(int(x)));
    EXPECT_EQ(peak, 127);
    EXPECT_EQ(s.loop_start, 200u);
    EXPECT_EQ(s.loop_length, 100u);
}

static double rms_over_peak(const std::vector<float>& w)
{
    double sum = 0, peak = 0;
    for (float x : w) sum += double(x) * x, peak = fmax(peak, fabs(x));
    return sqrt(sum / double(w.size())) / peak;
}

TEST(xm_synth, limit_lifts_the_body_by_the_gain_asked_and_says_when_it_falls_short)
{
    synth_seed(11);
    synth_filter chain[1] = {synth_bandpass(2000, 1.0, 16726)};
    struct named {
        const char* what;
        synth_voice v;
        double gain, max_drive;
        int reaches;
    } cases[] = {
        {"decaying noise", synth_noise_loop(2000, chain, 1), 1.5, 64, 1},
        {"decaying sine", synth_drop(100, 1, 0, 0.0f), 1.2, 64, 1},
        {"decaying sine, gently", synth_drop(100, 1, 0, 0.0f), 1.6, 1.6, 0},
    };
    for (named& c : cases) {
        for (size_t i = 0; i < c.v.wave.size(); i++) c.v.wave[i] *= float(exp(-double(i) / 800));
        double before = rms_over_peak(c.v.wave);
        double reached = synth_limit(&c.v, c.gain, c.max_drive);
        double after = rms_over_peak(c.v.wave);
        EXPECT_NEAR(after / before, reached, 0.001) << c.what;
        if (c.reaches) EXPECT_NEAR(reached, c.gain, 0.001) << c.what;
        else EXPECT_LT(reached, c.gain - 0.05) << c.what;
    }
}

TEST(xm_measure, finds_the_peak_and_the_longest_quiet_stretch)
{
    struct gap {
        double at, length;
    } cases[] = {{0.3, 0.5}, {1.0, 0.2}, {0.0, 0.6}};
    for (const gap& g : cases) {
        std::vector<float> frames(size_t(2.0 * XM_RENDER_RATE) * 2);
        for (size_t i = 0; i < frames.size() / 2; i++) {
            double t = double(i) / XM_RENDER_RATE;
            float x = (t >= g.at && t < g.at + g.length) ? 0.0f : float(0.5 * sin(2 * M_PI * 440 * t));
            frames[2 * i] = frames[2 * i + 1] = x;
        }
        xm_levels l;
        xm_measure(frames, -60.0, &l);
        EXPECT_NEAR(l.peak_dbfs, -6.02, 0.05);
        EXPECT_NEAR(l.longest_quiet_seconds, g.length, 0.021) << "gap at " << g.at;
        EXPECT_NEAR(l.quiet_starts_at, g.at, 0.011) << "gap at " << g.at;
        EXPECT_LT(fabs(l.dc_left), 0.001);
    }
}
