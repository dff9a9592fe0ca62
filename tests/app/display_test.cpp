// display_test.cpp -- the work surfaces, their format and colour keys, and releasing them
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
