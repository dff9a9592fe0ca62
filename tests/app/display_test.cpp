// display_test.cpp -- the work surfaces, their format and colour keys, releasing them, and the scale chosen for the desktop
#include "app/display.h"

#include "effects/layout.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

TEST(display, opens_with_every_work_surface_in_the_intro_format_and_keyed_as_drawn)
{
    ASSERT_EQ(open_test_display(), 1);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->w, 800);
    EXPECT_EQ(screen->h, 600);
    EXPECT_EQ(screen->format->BitsPerPixel, 32);
    EXPECT_EQ(color_key, SDL_MapRGB(screen->format, 255, 0, 255));

    struct {
        const char* what;
        SDL_Surface* surface;
        int w, h;
        bool keyed;
    } surfaces[] = {
        {"line layer 0", line_layer[0], 600, 400, true},       {"line layer 1", line_layer[1], 600, 400, true},
        {"scroll buffer 0", scroll_buffer[0], 841, 41, false}, {"scroll buffer 1", scroll_buffer[1], 841, 41, false},
        {"mini font", mini_font, 630, 15, true},               {"big font", big_font, 640, 480, true},
        {"checker overlay", checker_overlay, 700, 500, true},  {"sprite sheet", sprite_sheet, 136, 34, true},
        {"background", background, 800, 600, false},           {"checker layer", checker_layer, 700, 500, false},
    };
    for (const auto& s : surfaces) {
        ASSERT_NE(s.surface, nullptr) << s.what;
        EXPECT_EQ(s.surface->w, s.w) << s.what;
        EXPECT_EQ(s.surface->h, s.h) << s.what;
        EXPECT_EQ(s.surface->format->BitsPerPixel, 32) << s.what;
        EXPECT_EQ(s.surface->format->Rmask, PIXEL_RED_MASK) << s.what;
        EXPECT_EQ(s.surface->format->Bmask, PIXEL_BLUE_MASK) << s.what;
        EXPECT_EQ((s.surface->flags & SDL_SRCCOLORKEY) != 0, s.keyed) << s.what;
        if (s.keyed)
            EXPECT_EQ(s.surface->format->colorkey, color_key) << s.what;
    }

    // The scroll buffers start entirely transparent.
    for (SDL_Surface* buffer : scroll_buffer)
        for (int y = 0; y < 41; y += 5)
            for (int x = 0; x < 841; x += 7)
                ASSERT_EQ(get_rgb(buffer, x, y), 0xFF00FFu);

    close_test_display();
    SDL_Surface* all[] = {background, checker_layer, checker_overlay, mini_font,        big_font,
                          sprite_sheet, line_layer[0], line_layer[1], scroll_buffer[0], scroll_buffer[1]};
    for (SDL_Surface* s : all)
        EXPECT_EQ(s, nullptr);
}

TEST(display_scale, a_window_takes_the_largest_whole_scale_within_nine_tenths_of_the_desktop)
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

TEST(display_scale, full_screen_is_sharp_only_where_the_desktop_magnifies_by_a_whole_factor)
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
