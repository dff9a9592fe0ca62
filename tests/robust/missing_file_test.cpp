// missing_file_test.cpp -- the intro linked with an archive that lacks one file, with and without a stand-in on disk
//
// Compiled once and linked once per catalogued file, each time with an archive that lacks
// it and with missing_name.cpp naming it: the working directory then decides what the
// store finds. Each stand-in is run as a whole show in a child process.
#include "app/display.h"
#include "app/startup.h"
#include "effects/page_cycle.h"
#include "effects/page_writer.h"
#include "effects/scroller.h"
#include "tests/robust/fault_harness.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// The file this executable's archive lacks (missing_name.cpp).
extern const char robust_missing_name[];

namespace fs = std::filesystem;

constexpr int WINDOW_ARGC = 2;

enum file_kind { USED_BITMAP, UNUSED_BITMAP, TEXT, MODULE };

static file_kind kind_of(const std::string& name)
{
    if (name == "ristikko.bmp")
        return UNUSED_BITMAP;
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".bmp") == 0)
        return USED_BITMAP;
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".txt") == 0)
        return TEXT;
    return MODULE;
}

static std::string real_bytes(const std::string& name)
{
    std::ifstream in(std::string(SWAYBOARD_SOURCE_DIR) + "/resources/data/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A valid 24-bit BMP of w x h pixels, all one colour, with the two trailing bytes the archived ones carry.
static std::string small_bitmap(int w, int h)
{
    int stride = (3 * w + 3) & ~3;
    int size = 54 + stride * h + 2;
    std::string bmp(size, '\0');
    auto put32 = [&](int at, uint32_t v) {
        for (int i = 0; i < 4; i++)
            bmp[at + i] = char((v >> (8 * i)) & 0xFF);
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, size);
    put32(10, 54);
    put32(14, 40);
    put32(18, w);
    put32(22, h);
    bmp[26] = 1;
    bmp[28] = 24;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            bmp[54 + y * stride + 3 * x + 0] = char(0x40);
            bmp[54 + y * stride + 3 * x + 1] = char(0x80);
            bmp[54 + y * stride + 3 * x + 2] = char(0xC0);
        }
    return bmp;
}

struct stand_in {
    const char* label;
    bool on_disk;
    std::string bytes;
    bool show_runs; // the frames run (else start-up ends before them)
    bool music;     // a module is loaded while they run
};

static std::vector<stand_in> stand_ins(const std::string& name)
{
    std::string real = real_bytes(name);
    std::string half = real.substr(0, real.size() / 2);
    std::string prose = "This is not what the name promises.\r\nIt is a line of prose, repeated.\r\n";
    while (prose.size() < 4000)
        prose += prose;
    std::string picture = real_bytes("bub.bmp");
    switch (kind_of(name)) {
    case USED_BITMAP:
        return {{"no file", false, "", false, true},
                {"empty", true, "", false, true},
                {"truncated", true, half, false, true},
                {"header only", true, real.substr(0, 54), false, true},
                {"prose", true, prose, false, true},
                {"1x1 bitmap", true, small_bitmap(1, 1), true, true},
                {"3x5 bitmap", true, small_bitmap(3, 5), true, true},
                {"the real file", true, real, true, true}};
    case UNUSED_BITMAP:
        return {{"no file", false, "", true, true},
                {"empty", true, "", true, true},
                {"prose", true, prose, true, true}};
    case TEXT:
        return {{"no file", false, "", false, false},
                {"empty", true, "", true, true},
                {"truncated", true, half, true, true},
                {"a picture's bytes", true, picture, true, true},
                {"one CR", true, "\r", true, true},
                {"the real file", true, real, true, true}};
    case MODULE:
        return {{"no file", false, "", true, false},
                {"prose", true, prose, true, false},
                {"a picture's bytes", true, picture, true, false},
                // The library is handed a module with no length and reads as far as its
                // headers say: these three must be turned away before it sees them.
                {"empty", true, "", true, false},
                {"header only", true, real.substr(0, 336), true, false},
                {"truncated", true, half, true, false},
                {"the real file", true, real, true, true}};
    }
    return {};
}

TEST(missing_file, start_up_copes_with_every_stand_in_on_disk)
{
    const std::string name = robust_missing_name;
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    // A device that opens (and plays nothing aloud), so that a module is really loaded.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::string dir = make_scratch_dir(("missing-" + name).c_str());

    for (const stand_in& with : stand_ins(name)) {
        SCOPED_TRACE(name + " from disk: " + with.label);
        fs::remove(fs::path(dir) / name);
        if (with.on_disk) {
            std::ofstream out(fs::path(dir) / name, std::ios::binary);
            out.write(with.bytes.data(), std::streamsize(with.bytes.size()));
        }
        fault_reset();
        // Every buffer read from disk ends at an unreadable page: a read past it kills the show.
        faults.guard_allocations = 1;
        int status = run_show_in_child(WINDOW_ARGC, dir.c_str());
        EXPECT_TRUE(exited_cleanly(status)) << describe_status(status);
        if (!exited_cleanly(status))
            continue;
        if (with.show_runs) {
            EXPECT_EQ(fault_seen->frames, faults.quit_after_frames);
            EXPECT_EQ(fault_seen->windows_opened, 1);
            EXPECT_EQ(fault_seen->music_loaded, with.music ? 1 : 0);
        } else {
            EXPECT_EQ(fault_seen->frames, 0);
            EXPECT_EQ(fault_seen->windows_opened, 0) << "no window for a show that cannot run";
            if (kind_of(name) == TEXT) {
                EXPECT_EQ(fault_seen->sdl_inits, 0) << "a missing text ends start-up before the video library";
            }
        }
        EXPECT_EQ(fault_seen->guarded_blocks, with.on_disk && kind_of(name) != UNUSED_BITMAP ? 1 : 0)
            << "the stand-in was read from disk, once";
    }
    fs::remove_all(dir);
}

// The loaders on their own, in this process, with no stand-in on disk: an empty working directory.
struct in_empty_dir {
    fs::path old_dir = fs::current_path();
    std::string dir = make_scratch_dir(("loaders-without-" + std::string(robust_missing_name)).c_str());
    in_empty_dir() { fs::current_path(dir); }
    ~in_empty_dir()
    {
        fs::current_path(old_dir);
        fs::remove_all(dir);
    }
};

TEST(missing_file, load_images_stops_at_a_missing_bitmap_and_keeps_what_came_before)
{
    static const char* const LOAD_ORDER[] = {"ruudut_alpha.bmp", "ruudut_layer.bmp", "tausta.bmp",
                                             "minifontti.bmp",   "font.bmp",         "bub.bmp"};
    SDL_Surface** loaded[] = {&checker_overlay, &checker_layer, &background, &mini_font, &big_font, &sprite_sheet};
    int missing_at = -1;
    for (int i = 0; i < 6; i++)
        if (std::string(robust_missing_name) == LOAD_ORDER[i])
            missing_at = i;

    fault_reset();
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
    {
        in_empty_dir empty;
        EXPECT_EQ(load_images(), missing_at < 0 ? 1 : 0);
        for (int i = 0; i < 6; i++)
            EXPECT_EQ(*loaded[i] != nullptr, missing_at < 0 || i < missing_at) << LOAD_ORDER[i];
    }
    free_surfaces();
    SDL_Quit();
}

TEST(missing_file, load_texts_looks_up_both_texts_and_a_stand_in_on_disk_serves_a_missing_one)
{
    const std::string name = robust_missing_name;
    const bool page_missing = name == "text1.txt", scroll_missing = name == "text2.txt";
    fault_reset();
    in_empty_dir empty;
    page_timer = 0;
    EXPECT_EQ(load_texts(), page_missing || scroll_missing ? 0 : 1);
    EXPECT_EQ(page_text.data == nullptr, page_missing);
    EXPECT_EQ(scroll_text.data == nullptr, scroll_missing);
    if (!page_missing && !scroll_missing)
        return;
    EXPECT_EQ(page_timer, 0) << "the page cycle is left untouched";

    {
        std::ofstream out(name, std::ios::binary);
        out << "FROM DISK\r\n\xa4";
    }
    EXPECT_EQ(load_texts(), 1);
    const text_buffer& served = page_missing ? page_text : scroll_text;
    ASSERT_NE(served.data, nullptr);
    EXPECT_EQ(served.length, 12u);
    EXPECT_EQ(page_timer, 1);
}
