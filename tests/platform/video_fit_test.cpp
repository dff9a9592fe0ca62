// video_fit_test.cpp -- the window's whole factor, full screen's picture and where it stays sharp
#include "platform/video_fit.h"

#include <gtest/gtest.h>

TEST(video_fit, a_window_takes_the_largest_whole_scale_within_nine_tenths_of_the_desktop)
{
    struct {
        int desktop_w, desktop_h, scale;
    } cases[] = {
        {640, 480, 1},    // smaller than the show: never below 1
        {1024, 768, 1},
        {1920, 1080, 1},  // 1600 fits 90 % of the width, 1200 not of the height
        {1600, 1200, 1},  // twice fills it exactly: no room for a frame or panel
        {1800, 1334, 2},  // 1600 x 1200 is just within 90 % of both
        {1800, 1333, 1},  // and here just not
        {2560, 1440, 2},
        {2560, 1600, 2},
        {3840, 2160, 3},
        {5120, 2880, 4},
        {7680, 4320, 6},
        {3440, 1440, 2},  // a wide desktop is bounded by its height
        {1080, 1920, 1},  // a portrait one by its width
    };
    for (const auto& c : cases)
        EXPECT_EQ(window_scale(800, 600, c.desktop_w, c.desktop_h), c.scale) << c.desktop_w << "x" << c.desktop_h;
}

TEST(video_fit, full_screen_is_sharp_only_where_the_desktop_magnifies_by_a_whole_factor)
{
    struct {
        int desktop_w, desktop_h, whole;
    } cases[] = {
        {800, 600, 0},   // not magnified at all
        {1600, 1200, 1},
        {2400, 1800, 1},
        {1920, 1200, 1}, // by the height, twice, with bars at the sides
        {3200, 1800, 1}, // three times by the height
        {1920, 1080, 0}, // 1.8
        {2560, 1440, 0}, // 2.4
        {3840, 2160, 0}, // 3.6
        {1600, 1600, 1}, // by the width, twice, with bars above and below
        {1600, 1300, 1},
        {1700, 1200, 1}, // by the height, twice: the width left over makes bars
        {1700, 1300, 0}, // by the width, 2.125
        {1024, 768, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fullscreen_whole_scale(800, 600, c.desktop_w, c.desktop_h), c.whole)
            << c.desktop_w << "x" << c.desktop_h;
}

TEST(video_fit, full_screen_fills_the_limiting_side_at_the_shows_shape_centred)
{
    struct {
        int display_w, display_h;
        fit_rect picture;
    } cases[] = {
        {2560, 1440, {320, 0, 1920, 1440}},  // black bars at the sides
        {1920, 1080, {240, 0, 1440, 1080}},
        {3840, 2160, {480, 0, 2880, 2160}},
        {1600, 1200, {0, 0, 1600, 1200}},    // exactly twice
        {1024, 768, {0, 0, 1024, 768}},
        {1280, 1024, {0, 32, 1280, 960}},    // taller than 4:3: bars above and below
        {1080, 1920, {0, 555, 1080, 810}},   // portrait
        {1366, 768, {171, 0, 1024, 768}},    // odd leftover: the extra pixel on the right
    };
    for (const auto& c : cases) {
        fit_rect p = fullscreen_picture(800, 600, c.display_w, c.display_h);
        EXPECT_EQ(p.x, c.picture.x) << c.display_w << "x" << c.display_h;
        EXPECT_EQ(p.y, c.picture.y) << c.display_w << "x" << c.display_h;
        EXPECT_EQ(p.w, c.picture.w) << c.display_w << "x" << c.display_h;
        EXPECT_EQ(p.h, c.picture.h) << c.display_w << "x" << c.display_h;
    }
}
