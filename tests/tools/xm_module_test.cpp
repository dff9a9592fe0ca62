// xm_module_test.cpp -- the committed music module: its header, its extent, its loop and how it renders
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "tools/xm_reader.h"
#include "tools/xm_render.h"

static const char* MODULE_PATH = SWAYBOARD_SOURCE_DIR "/resources/data/ormivaara.xm";

static std::vector<uint8_t> read_file(const std::string& path)
{
    std::vector<uint8_t> data;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return data;
    for (int c; (c = fgetc(f)) != EOF;) data.push_back(uint8_t(c));
    fclose(f);
    return data;
}

static const std::vector<uint8_t>& module()
{
    static std::vector<uint8_t> data = read_file(MODULE_PATH);
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

TEST(xm_module, libopenmpt_plays_one_clean_pass)
{
    const std::vector<uint8_t>& d = module();
    xm_render r;
    ASSERT_EQ(xm_render_module(d.data(), d.size(), 1, &r), 1);
    EXPECT_EQ(r.channels, 4);
    EXPECT_EQ(r.orders, 17);
    EXPECT_EQ(r.patterns, 15);
    EXPECT_EQ(r.instruments, 31);
    EXPECT_NEAR(r.duration_seconds, 130.56, 1.0);
    EXPECT_NEAR(r.frames.size() / 2.0 / XM_RENDER_RATE, r.duration_seconds, 0.15);

    xm_levels levels;
    xm_measure(r.frames, -60.0, &levels);
    EXPECT_LE(levels.peak_dbfs, -1.0);
    EXPECT_GT(levels.rms_dbfs, -30.0) << "the pass is far too quiet";
    EXPECT_LT(levels.longest_quiet_seconds, 0.48) << "at " << levels.quiet_starts_at << " s";
    EXPECT_LT(fabs(levels.dc_left), 0.001);
    EXPECT_LT(fabs(levels.dc_right), 0.001);
}

TEST(xm_module, composer_writes_the_committed_bytes_again)
{
    char dir[] = "/tmp/xm_module_test_XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string out = std::string(dir) + "/module.xm";
    std::string command = std::string("'") + COMPOSE_XM_PATH + "' '" + out + "' > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::vector<uint8_t> fresh = read_file(out);
    remove(out.c_str());
    rmdir(dir);
    ASSERT_FALSE(fresh.empty());
    EXPECT_EQ(fresh.size(), module().size());
    EXPECT_TRUE(fresh == module()) << "regenerate with: compose_xm resources/data/ormivaara.xm";
}
