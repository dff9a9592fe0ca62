// capture_test.cpp -- the headless capture tool: its frames, its determinism and its arguments
//
// The tool's path comes in SWAYBOARD_CAPTURE.
#include "effects/layout.h"
#include "resources/bitmap.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <vector>

// Runs the tool with its standard error going to err_path.
static int run_capture(const std::string& args, const std::string& err_path = "/dev/null")
{
    std::string command = std::string(getenv("SWAYBOARD_CAPTURE")) + " " + args + " 2>" + err_path;
    int status = system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

static std::vector<char> file_bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

class capture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(getenv("SWAYBOARD_CAPTURE"), nullptr);
        dir = make_scratch_dir("capture");
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string dir;
};

TEST_F(capture, frame_one_is_the_background_outside_the_three_changing_regions)
{
    ASSERT_EQ(run_capture("--frames 1 --seed 7 --png " + dir), 0);
    rgb_image frame = read_png(dir + "/frame-000001.png");
    ASSERT_EQ(frame.w, 800);
    ASSERT_EQ(frame.h, 600);

    setenv("SDL_VIDEODRIVER", "dummy", 1);
    SDL_Surface* picture = load_bitmap("tausta.bmp");
    ASSERT_NE(picture, nullptr);
    auto inside = [](const screen_region& r, int x, int y) {
        return x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
    };
    int wrong = 0, band_wrong = 0;
    for (int y = 0; y < 600; y++)
        for (int x = 0; x < 800; x++) {
            const unsigned char* shown = &frame.rgb[(size_t(y) * 800 + x) * 3];
            const Uint8* p = static_cast<const Uint8*>(picture->pixels) + y * picture->pitch + 4 * x;
            bool same = shown[0] == p[0] && shown[1] == p[1] && shown[2] == p[2];
            if (inside(scroll_band, x, y))
                band_wrong += !same; // nothing is scrolled into view before frame 7
            else if (!inside(text_window, x, y) && !inside(sprite_column, x, y))
                wrong += !same;
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(band_wrong, 0);
    SDL_FreeSurface(picture);
}

TEST_F(capture, the_same_arguments_give_the_same_bytes_and_only_the_chosen_frames)
{
    std::string a = dir + "/a", b = dir + "/b";
    ASSERT_EQ(run_capture("--frames 40 --seed 3 --from 10 --every 15 --png " + a), 0);
    ASSERT_EQ(run_capture("--frames 40 --seed 3 --from 10 --every 15 --png " + b), 0);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(a))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"frame-000010.png", "frame-000025.png", "frame-000040.png"}));
    for (const std::string& name : names)
        EXPECT_EQ(file_bytes(a + "/" + name), file_bytes(b + "/" + name)) << name;
    // Successive frames differ: the show moves.
    EXPECT_NE(file_bytes(a + "/frame-000010.png"), file_bytes(a + "/frame-000025.png"));
}

TEST_F(capture, bad_arguments_print_the_usage_and_exit_with_status_2)
{
    const char* cases[] = {
        "",
        "--frames 5",
        "--png DIR",
        "--frames --png DIR",
        "--frames 0 --png DIR",
        "--frames -3 --png DIR",
        "--frames 5x --png DIR",
        "--frames 5 --every 0 --png DIR",
        "--frames 5 --from 0 --png DIR",
        "--frames 5 --seed -1 --png DIR",
        "--frames 5 --png DIR --colour",
        "--frames 5 --png",
    };
    for (const char* args : cases) {
        std::string line = args;
        for (size_t at; (at = line.find("DIR")) != std::string::npos;)
            line.replace(at, 3, dir + "/unused");
        EXPECT_EQ(run_capture(line, dir + "/err"), 2) << args;
        std::vector<char> err = file_bytes(dir + "/err");
        EXPECT_EQ(std::string(err.begin(), err.end()).rfind("usage: swayboard-capture", 0), 0u) << args;
    }
    EXPECT_FALSE(std::filesystem::exists(dir + "/unused"));
}
