// glyphs_test.cpp -- the cell each font draws for a byte: capitals, the Nordic letters, and bytes without a cell
#include "effects/glyphs.h"

#include <gtest/gtest.h>

TEST(glyphs, each_font_maps_bytes_to_its_own_cells)
{
    struct {
        unsigned char ch;
        int mini, big;
    } cases[] = {
        {' ', 0, 0},          // the first cell of both strips
        {'A', 33, 33},
        {'a', 33, 33},        // lower case draws as the capital
        {'z', 58, 58},
        {'^', 62, 62},        // the last cell of the page font
        {'_', -1, 63},        // past the page font's strip
        {'e', 37, 37},
        {'{', -1, -1},        // past both strips: not folded, unlike a-z
        {0xC5, 59, 65},       // Å: '[' in the page font, 'a' in the scroller font
        {0xE5, 59, 65},       // å
        {0xC4, 60, 63},       // Ä: '\' and '_'
        {0xE4, 60, 63},
        {0xD6, 61, 64},       // Ö: ']' and the grave accent
        {0xF6, 61, 64},
        {0xA3, 62, -1},       // £ only in the page font
        {'~', -1, 61},        // ~ only in the scroller font, on ']'
        {0xE9, -1, -1},       // other high bytes have no cell
        {0xA4, -1, -1},       // the page mark draws nothing
        {0x1F, -1, -1},       // nor does a control byte
        {0x7F, -1, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(mini_glyph_cell(c.ch), c.mini) << "byte " << int(c.ch);
        EXPECT_EQ(big_glyph_cell(c.ch), c.big) << "byte " << int(c.ch);
    }
}

TEST(glyphs, only_a_to_z_change_case)
{
    for (int ch = 0; ch < 256; ch++) {
        int expected = ch >= 'a' && ch <= 'z' ? ch - 32 : ch;
        EXPECT_EQ(fold_case(static_cast<unsigned char>(ch)), expected) << ch;
    }
}
