// without_page_text_test.cpp -- linked with an archive that lacks the page text
#include "app/startup.h"
#include "effects/page_cycle.h"
#include "effects/page_writer.h"
#include "effects/scroller.h"
#include "resources/store.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

TEST(load_texts, fails_without_the_page_text_but_still_looks_up_the_scroll_text)
{
    std::filesystem::path old_dir = std::filesystem::current_path();
    std::string dir = make_scratch_dir("no-page-text");
    std::filesystem::current_path(dir);

    page_timer = 0;
    EXPECT_EQ(load_texts(), 0);
    EXPECT_EQ(page_text.data, nullptr);
    EXPECT_NE(scroll_text.data, nullptr);
    EXPECT_EQ(page_timer, 0) << "the page cycle is left untouched";

    // A stand-in on disk serves the missing name.
    {
        std::ofstream out("text1.txt", std::ios::binary);
        out << "FROM DISK\r\n\xa4";
    }
    EXPECT_EQ(load_texts(), 1);
    ASSERT_NE(page_text.data, nullptr);
    EXPECT_EQ(page_text.length, 12u);
    EXPECT_EQ(page_timer, 1);

    std::filesystem::current_path(old_dir);
    std::filesystem::remove_all(dir);
}
