// fonts_texts_test.cpp -- checks the committed font sheets and texts against the layouts the intro reads
#include "effects/glyphs.h"
#include "tests/tools/data_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const std::string DATA_DIR = std::string(SWAYBOARD_SOURCE_DIR) + "/resources/data";
constexpr uint32_t MAGENTA = 0xFF00FF;

using sheet = bmp_view;

sheet load_sheet(const char* name)
{
    return load_bmp_view(DATA_DIR + "/" + name);
}

uint32_t pixel(const sheet& s, int x, int y)
{
    return bmp_pixel(s, x, y);
}

bool cell_is_empty(const sheet& s, int x0, int y0, int w, int h)
{
    for (int y = y0; y < y0 + h; y++)
        for (int x = x0; x < x0 + w; x++)
            if (pixel(s, x, y) != MAGENTA)
                return false;
    return true;
}

std::vector<uint32_t> cell_pixels(const sheet& s, int x0, int y0, int w, int h)
{
    std::vector<uint32_t> out;
    for (int y = y0; y < y0 + h; y++)
        for (int x = x0; x < x0 + w; x++)
            out.push_back(pixel(s, x, y));
    return out;
}

bool mini_cell_empty(const sheet& s, int cell)
{
    return cell_is_empty(s, cell * 10, 0, 10, 15);
}

bool big_cell_empty(const sheet& s, int cell)
{
    return cell_is_empty(s, (cell % 14) * 41, (cell / 14) * 41, 41, 41);
}

// Splits a text at LF, dropping the CR before it; fails the test on a lone CR or LF.
std::vector<std::string> crlf_lines(const std::string& text, const char* what)
{
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < text.size(); i++) {
        const char c = text[i];
        if (c == '\r') {
            EXPECT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << what << ": CR without LF at " << i;
        } else if (c == '\n') {
            EXPECT_TRUE(i > 0 && text[i - 1] == '\r') << what << ": LF without CR at " << i;
            lines.emplace_back();
        } else {
            lines.back().push_back(c);
        }
    }
    return lines;
}

std::string read_text(const char* name)
{
    const std::vector<uint8_t> b = file_bytes((DATA_DIR + "/" + name).c_str());
    return std::string(b.begin(), b.end());
}

}  // namespace

// --------------------------------------------------------------------------
// Bitmap files

struct sheet_case {
    const char* name;
    int width;
    int height;
    size_t file_size;
};

const sheet_case SHEETS[] = {
    {"font.bmp", 640, 480, 921656},
    {"minifontti.bmp", 630, 15, 28436},
};

TEST(font_sheets, headers_sizes_and_trailer_match_the_decoder_layout)
{
    for (const sheet_case& c : SHEETS) {
        SCOPED_TRACE(c.name);
        const sheet s = load_sheet(c.name);
        ASSERT_EQ(s.bytes.size(), c.file_size);
        EXPECT_EQ(s.bytes[0], 'B');
        EXPECT_EQ(s.bytes[1], 'M');
        EXPECT_EQ(le(s.bytes, 2, 4), c.file_size);
        EXPECT_EQ(le(s.bytes, 6, 4), 0u);
        EXPECT_EQ(le(s.bytes, 10, 4), 54u);
        EXPECT_EQ(le(s.bytes, 14, 4), 40u);
        EXPECT_EQ(s.width, c.width);
        EXPECT_EQ(s.height, c.height);
        EXPECT_EQ(le(s.bytes, 26, 2), 1u);
        EXPECT_EQ(le(s.bytes, 28, 2), 24u);
        EXPECT_EQ(le(s.bytes, 30, 4), 0u);
        EXPECT_EQ(le(s.bytes, 34, 4), 0u);
        EXPECT_EQ(le(s.bytes, 38, 4), 2834u);
        EXPECT_EQ(le(s.bytes, 42, 4), 2834u);
        EXPECT_EQ(le(s.bytes, 46, 4), 0u);
        EXPECT_EQ(le(s.bytes, 50, 4), 0u);
        EXPECT_EQ(54 + size_t(s.stride) * s.height + 2, c.file_size);
        EXPECT_EQ(s.bytes[c.file_size - 2], 0);
        EXPECT_EQ(s.bytes[c.file_size - 1], 0);
    }
}

TEST(font_sheets, page_font_rows_are_padded_with_non_zero_bytes)
{
    const sheet s = load_sheet("minifontti.bmp");
    ASSERT_EQ(s.bytes.size(), 28436u);
    ASSERT_EQ(s.stride, 1892);
    for (int row = 0; row < 15; row++)
        for (int i = 1890; i < 1892; i++)
            EXPECT_NE(s.bytes[54 + size_t(row) * 1892 + i], 0) << "row " << row << " byte " << i;
}

TEST(font_sheets, page_font_has_a_distinct_glyph_in_every_cell_but_the_space)
{
    const sheet s = load_sheet("minifontti.bmp");
    ASSERT_EQ(s.bytes.size(), 28436u);
    EXPECT_TRUE(mini_cell_empty(s, 0)) << "the space draws nothing";
    std::set<std::vector<uint32_t>> seen;
    for (int cell = 1; cell < 63; cell++) {
        EXPECT_FALSE(mini_cell_empty(s, cell)) << "code " << 32 + cell;
        EXPECT_TRUE(seen.insert(cell_pixels(s, cell * 10, 0, 10, 15)).second) << "code " << 32 + cell << " repeats a glyph";
    }
}

TEST(font_sheets, page_font_glyphs_keep_a_dark_edge_against_the_magenta)
{
    // A keyed blit shows every pixel that is not exactly magenta, so a glyph
    // must not fade into it: every drawn pixel next to the ground is dark.
    const sheet s = load_sheet("minifontti.bmp");
    ASSERT_EQ(s.bytes.size(), 28436u);
    for (int y = 0; y < 15; y++)
        for (int x = 0; x < 630; x++) {
            const uint32_t c = pixel(s, x, y);
            if (c == MAGENTA)
                continue;
            const bool touches_ground = (x > 0 && pixel(s, x - 1, y) == MAGENTA) || (x < 629 && pixel(s, x + 1, y) == MAGENTA) ||
                                        (y > 0 && pixel(s, x, y - 1) == MAGENTA) || (y < 14 && pixel(s, x, y + 1) == MAGENTA);
            const int luma = int((c >> 16) * 3 + ((c >> 8) & 0xFF) * 6 + (c & 0xFF)) / 10;
            if (touches_ground) {
                EXPECT_LT(luma, 120) << "pixel " << x << "," << y;
            }
        }
}

TEST(font_sheets, big_font_fills_exactly_the_glyph_cells)
{
    const sheet s = load_sheet("font.bmp");
    ASSERT_EQ(s.bytes.size(), 921656u);
    std::set<std::vector<uint32_t>> seen;
    for (int cell = 0; cell < 70; cell++) {
        const int code = 32 + cell;
        const bool empty = code == ' ' || code >= 'b';
        EXPECT_EQ(big_cell_empty(s, cell), empty) << "code " << code;
        if (!empty) {
            EXPECT_TRUE(seen.insert(cell_pixels(s, (cell % 14) * 41, (cell / 14) * 41, 41, 41)).second)
                << "code " << code << " repeats a glyph";
        }
    }
    EXPECT_TRUE(cell_is_empty(s, 574, 0, 640 - 574, 480)) << "right of the grid";
    EXPECT_TRUE(cell_is_empty(s, 0, 205, 574, 480 - 205)) << "below the grid";
}

TEST(font_sheets, big_font_has_no_copy_key_pixel)
{
    // A pixel of exactly (1, 1, 1) would not travel with its glyph through the scroll buffers.
    const sheet s = load_sheet("font.bmp");
    ASSERT_EQ(s.bytes.size(), 921656u);
    int found = 0;
    for (int y = 0; y < 480; y++)
        for (int x = 0; x < 640; x++)
            found += pixel(s, x, y) == 0x010101;
    EXPECT_EQ(found, 0);
}

// --------------------------------------------------------------------------
// Texts

TEST(page_text, has_seven_pages_each_closed_by_a_line_end_and_the_mark)
{
    const std::string text = read_text("text1.txt");
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(static_cast<unsigned char>(text.back()), 0xA4);
    std::vector<std::string> pages(1);
    for (char c : text) {
        if (static_cast<unsigned char>(c) == 0xA4)
            pages.emplace_back();
        else
            pages.back().push_back(c);
    }
    pages.pop_back();   // after the last mark
    ASSERT_EQ(pages.size(), 7u);
    for (size_t p = 0; p < pages.size(); p++) {
        SCOPED_TRACE("page " + std::to_string(p + 1));
        const std::string& page = pages[p];
        ASSERT_GE(page.size(), 2u);
        EXPECT_EQ(page.substr(page.size() - 2), "\r\n");
        EXPECT_EQ(page.substr(0, 2) == "\r\n", p > 0) << "only pages after the first open with an empty line";
        const std::vector<std::string> lines = crlf_lines(page, "text1.txt");
        EXPECT_GE(lines.size(), 8u);
        EXPECT_LE(lines.size(), 16u);
        for (const std::string& line : lines) {
            EXPECT_LE(line.size(), 37u) << line;
            for (unsigned char c : line) {
                EXPECT_GE(c, 32) << "control byte in " << line;
                EXPECT_GE(mini_glyph_cell(c), 0) << "byte " << int(c) << " has no cell, in " << line;
                EXPECT_TRUE(c < 0x5B || c > 0x5E) << "'" << c << "' would print as a Nordic letter, in " << line;
            }
        }
    }
}

TEST(page_text, shows_every_nordic_letter_and_only_drawn_characters)
{
    const std::string text = read_text("text1.txt");
    const sheet font = load_sheet("minifontti.bmp");
    ASSERT_FALSE(text.empty());
    ASSERT_EQ(font.bytes.size(), 28436u);
    std::set<int> cells;
    for (unsigned char c : text)
        if (c != '\r' && c != '\n' && c != 0xA4 && c != ' ')
            cells.insert(mini_glyph_cell(c));
    for (int cell : cells) {
        ASSERT_GE(cell, 0);
        EXPECT_FALSE(mini_cell_empty(font, cell)) << "code " << 32 + cell << " is used but has no glyph";
    }
    for (int nordic : {0x5B, 0x5C, 0x5D})
        EXPECT_EQ(cells.count(nordic - 32), 1u) << "cell " << nordic << " is never shown";
}

TEST(scroll_text, is_one_run_of_crlf_lines_ending_in_a_space)
{
    const std::string text = read_text("text2.txt");
    ASSERT_GT(text.size(), 4500u);
    EXPECT_LT(text.size(), 5400u);
    EXPECT_EQ(text.back(), ' ');
    const std::vector<std::string> lines = crlf_lines(text, "text2.txt");
    EXPECT_GE(lines.size(), 55u);
    EXPECT_LE(lines.size(), 75u);
    EXPECT_NE(text.substr(text.size() - 2), "\r\n");
    for (unsigned char c : text) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           (c != 0 && std::string(" \"!#&'()*,-./:?\r\n").find(char(c)) != std::string::npos);
        EXPECT_TRUE(plain || c == 0xE4 || c == 0xF6) << "byte " << int(c);
    }
}

TEST(scroll_text, uses_only_characters_with_a_big_glyph)
{
    const std::string text = read_text("text2.txt");
    const sheet font = load_sheet("font.bmp");
    ASSERT_FALSE(text.empty());
    ASSERT_EQ(font.bytes.size(), 921656u);
    std::set<int> cells;
    for (unsigned char c : text)
        if (c != '\r' && c != '\n' && c != ' ')
            cells.insert(big_glyph_cell(c));
    for (int cell : cells) {
        ASSERT_GE(cell, 0);
        EXPECT_FALSE(big_cell_empty(font, cell)) << "code " << 32 + cell << " is used but has no glyph";
    }
    EXPECT_EQ(cells.count(0x5F - 32), 1u) << "no dotted A in the scroll text";
    EXPECT_EQ(cells.count(0x60 - 32), 1u) << "no dotted O in the scroll text";
}

// --------------------------------------------------------------------------
// The generators remake the committed files byte for byte

TEST(generators, remake_the_committed_files)
{
    if (std::string(MAKE_FONTS_PATH).empty())
        GTEST_SKIP() << "make_fonts was not built (FreeType missing)";
    if (!std::filesystem::exists(FONT_FACE_PATH))
        GTEST_SKIP() << "the face " << FONT_FACE_PATH << " is not installed";

    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("swayboard_fonts_" + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string fonts = std::string("'") + MAKE_FONTS_PATH + "' '" + dir.string() + "' --ttf '" + FONT_FACE_PATH + "'";
    const std::string texts = std::string("'") + MAKE_TEXTS_PATH + "' '" + dir.string() + "'";
    ASSERT_EQ(std::system(fonts.c_str()), 0) << fonts;
    ASSERT_EQ(std::system(texts.c_str()), 0) << texts;
    for (const char* name : {"minifontti.bmp", "font.bmp", "text1.txt", "text2.txt"}) {
        const std::vector<uint8_t> made = file_bytes(((dir / name).string()).c_str());
        const std::vector<uint8_t> committed = file_bytes((DATA_DIR + "/" + name).c_str());
        EXPECT_FALSE(made.empty()) << name;
        EXPECT_TRUE(made == committed) << name << " differs from what the generator makes";
    }
    std::filesystem::remove_all(dir);
}
