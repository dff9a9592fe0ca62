// without_background_test.cpp -- linked with an archive that lacks the background picture
#include "app/display.h"
#include "app/startup.h"
#include "resources/bitmap.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(load_images, stops_at_the_first_missing_bitmap_and_keeps_what_came_before)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
    // No stand-in on disk either: an empty working directory.
    std::filesystem::path old_dir = std::filesystem::current_path();
    std::string dir = make_scratch_dir("no-background");
    std::filesystem::current_path(dir);

    EXPECT_EQ(load_images(), 0);
    EXPECT_NE(checker_overlay, nullptr);
    EXPECT_NE(checker_layer, nullptr);
    EXPECT_EQ(background, nullptr);
    EXPECT_EQ(mini_font, nullptr);
    EXPECT_EQ(big_font, nullptr);
    EXPECT_EQ(sprite_sheet, nullptr);

    std::filesystem::current_path(old_dir);
    std::filesystem::remove_all(dir);
    free_surfaces();
    SDL_Quit();
}
