// page_writer_test.cpp -- page measuring, typesetting into the two layers, glyph lookup and the clipped composite
#include "effects/page_writer.h"

#include "app/display.h"
#include "effects/layout.h"
#include "tests/effects/page_text_fixture.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr uint32_t MAGENTA = 0xFF00FF;

int cell_of(char c)
{
    return c - 32;
}

using page_writer = page_text_fixture;

TEST_F(page_writer, measures_lines_and_centres_on_the_widest)
{
    struct measure_case {
        const char* name;
        std::string text;
        int lines, x, y;
    };
    const std::vector<measure_case> cases = {
        {"only a page mark", "\xA4", 1, 300, 192},
        {"mark right after text, last line widest", "AB\r\nCDEF\xA4", 2, 280, 185},
        {"empty last line counts", "AB\r\nCDEFG\r\n\xA4", 3, 275, 177},
        {"CR is not measured", "A\r\r\rB\r\n\xA4", 2, 290, 185},
        {"stops at the first mark", "ABC\xA4" "DEFGHIJK\r\n\r\n\xA4", 1, 285, 192},
        {"stops at a NUL", std::string("ABC\0DEFGHIJ\r\n\xA4", 15), 1, 285, 192},
        {"text ends without a mark", "A\r\nABCDE", 2, 275, 185},
        {"too wide: rounds toward zero", std::string(61, 'W') + "\xA4", 1, -5, 192},
        {"too tall: rounds toward zero", std::string(26, '\n') + "\xA4", 27, 300, -2},
        {"far too tall", std::string(39, '\n') + "\xA4", 40, 300, -100},
    };
    for (const measure_case& c : cases) {
        use_text(c.text);
        measure_page(page_text.data);
        EXPECT_EQ(page_lines, c.lines) << c.name;
        EXPECT_EQ(origin_x, c.x) << c.name;
        EXPECT_EQ(origin_y, c.y) << c.name;
    }
}

TEST_F(page_writer, measuring_never_reads_past_the_text)
{
    // The bytes after the text's end belong to the next file and must not count.
    use_text("ABC\r\nDEFGHIJ\xA4", 3);
    measure_page(page_text.data);
    EXPECT_EQ(page_lines, 1);
    EXPECT_EQ(origin_x, 285);

    // A page further in is measured from where it starts.
    use_text("A\xA4" "BCDE\r\nF\xA4");
    measure_page(page_text.data + 2);
    EXPECT_EQ(page_lines, 2);
    EXPECT_EQ(origin_x, 280);

    // No text at all, or a pointer outside it, measures as one empty line.
    page_text = {nullptr, 0, 0};
    measure_page(nullptr);
    EXPECT_EQ(page_lines, 1);
    EXPECT_EQ(origin_x, 300);
    EXPECT_EQ(origin_y, 192);
    use_text("ABCDEF");
    measure_page(page_text.data + 6);
    EXPECT_EQ(page_lines, 1);
    EXPECT_EQ(origin_x, 300);
}

TEST_F(page_writer, lines_alternate_between_layers_fifteen_pixels_apart)
{
    use_text("AB\r\nC\r\nDE\xA4" "XY\xA4");
    measure_page(page_text.data);
    ASSERT_EQ(origin_x, 290);
    ASSERT_EQ(origin_y, 177);
    render_page();

    EXPECT_EQ(cell_at(line_layer[0], 290, 177), cell_of('A'));
    EXPECT_EQ(cell_at(line_layer[0], 300, 177), cell_of('B'));
    EXPECT_EQ(cell_at(line_layer[1], 290, 177), -1);
    EXPECT_EQ(cell_at(line_layer[1], 290, 192), cell_of('C'));
    EXPECT_EQ(cell_at(line_layer[0], 290, 192), -1);
    EXPECT_EQ(cell_at(line_layer[0], 290, 207), cell_of('D'));
    EXPECT_EQ(cell_at(line_layer[0], 300, 207), cell_of('E'));
    EXPECT_EQ(cell_at(line_layer[1], 290, 207), -1);
    // The glyph's exact box: its corners land on the pen, the magenta pixel stays clear.
    EXPECT_EQ(get_rgb(line_layer[0], 290, 177), MAGENTA);
    EXPECT_EQ(get_rgb(line_layer[0], 291, 177), cell_rgb(cell_of('A')));
    EXPECT_EQ(get_rgb(line_layer[0], 299, 191), cell_rgb(cell_of('A')));
    EXPECT_EQ(get_rgb(line_layer[0], 289, 185), MAGENTA);
    EXPECT_EQ(get_rgb(line_layer[0], 290, 192), MAGENTA);

    // The read position stops right after the mark, at the next page.
    EXPECT_EQ(page_text.position, 10);
    clear_layers();
    measure_page(page_text.data + page_text.position);
    render_page();
    EXPECT_EQ(cell_at(line_layer[0], 290, 192), cell_of('X'));
    EXPECT_EQ(cell_at(line_layer[0], 300, 192), cell_of('Y'));
    EXPECT_EQ(page_text.position, 0);
}

TEST_F(page_writer, characters_that_draw_nothing_still_advance_the_pen)
{
    // CR is ignored altogether; é, { and the control byte each take a slot.
    use_text("\xE9{\x01" "A\rB\xA4");
    measure_page(page_text.data);
    ASSERT_EQ(origin_x, 275); // five slots wide
    render_page();
    EXPECT_EQ(cell_at(line_layer[0], 275, 192), -1);
    EXPECT_EQ(cell_at(line_layer[0], 285, 192), -1);
    EXPECT_EQ(cell_at(line_layer[0], 295, 192), -1);
    EXPECT_EQ(cell_at(line_layer[0], 305, 192), cell_of('A'));
    EXPECT_EQ(cell_at(line_layer[0], 315, 192), cell_of('B'));
}

TEST_F(page_writer, glyphs_map_to_their_cells)
{
    struct glyph_case {
        unsigned char ch;
        int cell; // -1: draws nothing
    };
    const std::vector<glyph_case> cases = {
        {' ', 0},     {'!', 1},     {'0', 16},    {'@', 32},    {'A', 33},    {'a', 33},    {'Z', 58},
        {'z', 58},    {'m', 45},    {'[', 59},    {0xC5, 59},   {0xE5, 59},   {'\\', 60},   {0xC4, 60},
        {0xE4, 60},   {']', 61},    {0xD6, 61},   {0xF6, 61},   {'^', 62},    {0xA3, 62},   {'_', -1},
        {'{', -1},    {'~', -1},    {0x7F, -1},   {0xE9, -1},   {0xA4, -1},   {0xFF, -1},   {0x80, -1},
        {0x9F, -1},   {0xA0, -1},   {0x1F, -1},   {0x00, -1},   {'\n', -1},
    };
    SDL_Surface* target = make_test_surface(40, 30, color_key);
    for (const glyph_case& c : cases) {
        SDL_FillRect(target, nullptr, color_key);
        draw_mini_glyph(target, 10, 5, c.ch);
        EXPECT_EQ(cell_at(target, 10, 5), c.cell) << "byte " << int(c.ch);
        // Nothing lands outside the glyph's box.
        EXPECT_EQ(get_rgb(target, 9, 12), MAGENTA) << "byte " << int(c.ch);
        EXPECT_EQ(get_rgb(target, 20, 12), MAGENTA) << "byte " << int(c.ch);
        EXPECT_EQ(get_rgb(target, 15, 20), MAGENTA) << "byte " << int(c.ch);
    }
    SDL_FreeSurface(target);
}

TEST_F(page_writer, glyphs_clip_at_the_target_and_never_wrap_around)
{
    SDL_Surface* target = make_test_surface(40, 30, color_key);
    draw_mini_glyph(target, -5, 0, 'A');
    EXPECT_EQ(get_rgb(target, 0, 7), cell_rgb(cell_of('A')));
    EXPECT_EQ(get_rgb(target, 4, 7), cell_rgb(cell_of('A')));
    EXPECT_EQ(get_rgb(target, 5, 7), MAGENTA);

    // Positions past the 16-bit range would alias onto (10, 5) in the blit's rectangle.
    SDL_FillRect(target, nullptr, color_key);
    draw_mini_glyph(target, 65536 + 10, 5, 'A');
    draw_mini_glyph(target, 10, 65536 + 5, 'A');
    draw_mini_glyph(target, 10 - 65536, 5, 'A');
    EXPECT_EQ(cell_at(target, 10, 5), -1);
    SDL_FreeSurface(target);
}

TEST_F(page_writer, oversized_pages_are_clipped_to_the_layers)
{
    // 70 characters a line, 30 lines: only the middle 60 columns and the rows inside 400 show.
    std::string line;
    for (int k = 0; k < 70; k++)
        line += char('A' + k % 26);
    std::string text;
    for (int i = 0; i < 30; i++)
        text += line + "\r\n";
    text.resize(text.size() - 2);
    text += "\xA4";
    use_text(text);
    measure_page(page_text.data);
    ASSERT_EQ(origin_x, -50);
    ASSERT_EQ(origin_y, -25);
    render_page();
    EXPECT_EQ(page_text.position, 0);

    // Line 2 at y = 5 lies in layer 0; character k sits at x = -50 + 10k.
    EXPECT_EQ(cell_at(line_layer[0], 0, 5), cell_of(char('A' + 5)));
    EXPECT_EQ(cell_at(line_layer[0], 590, 5), cell_of(char('A' + 64 % 26)));
    // Line 1 at y = -10 shows its lower five rows at the top of layer 1.
    EXPECT_EQ(get_rgb(line_layer[1], 3, 2), cell_rgb(cell_of(char('A' + 5))));
    // Line 27 at y = 380 is the last whole one (layer 1), line 28 at 395 is cut to five rows.
    EXPECT_EQ(cell_at(line_layer[1], 0, 380), cell_of(char('A' + 5)));
    EXPECT_EQ(get_rgb(line_layer[0], 3, 399), cell_rgb(cell_of(char('A' + 5))));
}

TEST_F(page_writer, after_the_last_page_comes_the_first)
{
    struct wrap_case {
        const char* name;
        std::string text;
    };
    // With or without a closing mark, the second page ends the text and the first follows.
    const std::vector<wrap_case> cases = {
        {"ends in its mark", "A\xA4" "B\r\nC\xA4"},
        {"ends in text", "A\xA4" "B\r\nC"},
        {"ends in a line end", "A\xA4" "B\r\nC\r\n"},
    };
    for (const wrap_case& c : cases) {
        use_text(c.text);
        int seen[3];
        for (int page = 0; page < 3; page++) {
            clear_layers();
            int start = page_text.position;
            measure_page(page_text.data + page_text.position);
            render_page();
            seen[page] = start;
            if (page == 1) {
                // The last byte of an unmarked text is typeset like any other.
                EXPECT_EQ(cell_at(line_layer[0], origin_x, origin_y), cell_of('B')) << c.name;
                EXPECT_EQ(cell_at(line_layer[1], origin_x, origin_y + 15), cell_of('C')) << c.name;
            }
        }
        EXPECT_EQ(seen[0], 0) << c.name;
        EXPECT_EQ(seen[1], 2) << c.name;
        EXPECT_EQ(seen[2], 0) << c.name;
        EXPECT_EQ(cell_at(line_layer[0], 295, 192), cell_of('A')) << c.name;
    }
}

TEST_F(page_writer, nul_ends_the_measure_but_not_the_typesetting)
{
    use_text(std::string("AB\0CD\r\nEF\xA4", 10));
    measure_page(page_text.data);
    ASSERT_EQ(page_lines, 1);
    ASSERT_EQ(origin_x, 290);
    render_page();
    EXPECT_EQ(cell_at(line_layer[0], 290, 192), cell_of('A'));
    EXPECT_EQ(cell_at(line_layer[0], 310, 192), -1);
    EXPECT_EQ(cell_at(line_layer[0], 320, 192), cell_of('C'));
    // One counted line was typeset; the next page starts after its line end.
    EXPECT_EQ(page_text.position, 7);
}

TEST_F(page_writer, an_empty_text_typesets_nothing)
{
    unsigned char one = 'A';
    const text_buffer empties[] = {{nullptr, 0, 0}, {&one, 0, 0}, {nullptr, 5, 3}};
    for (const text_buffer& empty : empties) {
        page_text = empty;
        measure_page(page_text.data);
        EXPECT_EQ(page_lines, 1);
        render_page();
        EXPECT_EQ(page_text.position, 0);
    }
    EXPECT_TRUE(layers_blank());
}

TEST_F(page_writer, any_bytes_are_typeset_within_the_text_and_in_finite_time)
{
    // Texts of arbitrary bytes, rich in marks, line ends and NULs: every page ends, the read
    // position stays inside the text, and a run of pages comes back round to the start.
    uint32_t seed = 12345;
    auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7FFF;
    };
    const unsigned char specials[] = {0xA4, '\n', '\r', 0, 'A', 0xE5};
    for (int round = 0; round < 200; round++) {
        std::string text(next() % 400, '\0');
        for (char& b : text)
            b = char(next() % 3 == 0 ? specials[next() % 6] : next() % 256);
        // Exactly sized, so that a sanitizer build sees any read past the end.
        bytes.assign(text.begin(), text.end());
        bytes.shrink_to_fit();
        page_text = {bytes.data(), uint32_t(bytes.size()), 0};
        bool back_at_start = bytes.empty();
        for (int page = 0; page < 450; page++) {
            measure_page(page_text.data + page_text.position);
            render_page();
            ASSERT_GE(page_text.position, 0);
            ASSERT_TRUE(bytes.empty() || uint32_t(page_text.position) < bytes.size());
            if (page_text.position == 0) {
                back_at_start = true;
                break;
            }
        }
        EXPECT_TRUE(back_at_start) << "round " << round;
    }
}

// A layer whose every pixel tells its own column and row.
uint32_t layer_rgb(int x, int y)
{
    return (uint32_t(x & 0xFF) << 16) | (uint32_t(y & 0xFF) << 8) | uint32_t(64 + (x >> 8) + 4 * (y >> 8));
}

class layer_composite : public page_writer {
protected:
    void SetUp() override
    {
        page_writer::SetUp();
        layer = line_layer[0];
        SDL_LockSurface(layer);
        for (int y = 0; y < 400; y++)
            for (int x = 0; x < 600; x++) {
                uint32_t rgb = layer_rgb(x, y);
                static_cast<Uint32*>(layer->pixels)[y * layer->pitch / 4 + x] =
                    SDL_MapRGB(layer->format, rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF);
            }
        SDL_UnlockSurface(layer);
        put_pixel(layer, 300, 200, color_key);
    }
    void fill_screen() { SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0x20, 0x21, 0x22)); }
    // Counts the screen pixels changed from the fill, inside and outside the text window.
    void count_changes(int* inside, int* outside)
    {
        *inside = *outside = 0;
        SDL_LockSurface(screen);
        Uint32 ground = SDL_MapRGB(screen->format, 0x20, 0x21, 0x22);
        for (int y = 0; y < 600; y++)
            for (int x = 0; x < 800; x++) {
                Uint32 p = static_cast<Uint32*>(screen->pixels)[y * screen->pitch / 4 + x];
                if (p == ground)
                    continue;
                bool in = x >= 100 && x < 700 && y >= 95 && y < 495;
                (in ? *inside : *outside) += 1;
            }
        SDL_UnlockSurface(screen);
    }
    SDL_Surface* layer = nullptr;
};

TEST_F(layer_composite, displacement_is_clipped_to_the_window)
{
    struct composite_case {
        int x, y;
        int shown_columns, shown_rows; // visible part of the layer
        int first_source_x;            // layer column at the window's left edge (or where the layer starts)
    };
    const std::vector<composite_case> cases = {
        {0, 0, 600, 400, 0},     {-599, 0, 1, 400, 599}, {-600, 0, 0, 0, 0},     {600, 0, 0, 0, 0},
        {650, 0, 0, 0, 0},       {-650, 0, 0, 0, 0},     {599, 0, 1, 400, 0},    {-10, 0, 590, 400, 10},
        {25, 0, 575, 400, 0},    {0, 100, 600, 300, 0},  {0, 399, 600, 1, 0},    {0, 400, 0, 0, 0},
        {0, 802, 0, 0, 0},       {-20, 7, 580, 393, 20},
    };
    for (const composite_case& c : cases) {
        fill_screen();
        composite_line_layer(layer, c.x, c.y);
        int inside, outside;
        count_changes(&inside, &outside);
        EXPECT_EQ(outside, 0) << "x " << c.x << " y " << c.y;
        int keyed = 0; // the one magenta pixel of the layer, if it is in view
        if (c.shown_columns > 0) {
            int sx = c.first_source_x;
            int dx = 100 + (c.x > 0 ? c.x : 0);
            int dy = 95 + c.y;
            if (300 >= sx && 300 < sx + c.shown_columns && 200 < c.shown_rows)
                keyed = 1;
            EXPECT_EQ(get_rgb(screen, dx, dy), layer_rgb(sx, 0)) << "x " << c.x << " y " << c.y;
            EXPECT_EQ(get_rgb(screen, dx + c.shown_columns - 1, dy + c.shown_rows - 1),
                      layer_rgb(sx + c.shown_columns - 1, c.shown_rows - 1))
                << "x " << c.x << " y " << c.y;
        }
        EXPECT_EQ(inside, c.shown_columns * c.shown_rows - keyed) << "x " << c.x << " y " << c.y;
    }
}

TEST_F(layer_composite, magenta_leaves_the_window_as_it_was)
{
    fill_screen();
    composite_line_layer(layer, 0, 0);
    EXPECT_EQ(get_rgb(screen, 400, 295), 0x202122u);
    EXPECT_EQ(get_rgb(screen, 401, 295), layer_rgb(301, 200));
}

TEST_F(layer_composite, a_layer_moved_up_stays_inside_the_window)
{
    fill_screen();
    composite_line_layer(layer, 0, -10);
    int inside, outside;
    count_changes(&inside, &outside);
    EXPECT_EQ(outside, 0);
    EXPECT_EQ(get_rgb(screen, 100, 95), layer_rgb(0, 10));
    EXPECT_EQ(inside, 600 * 390 - 1);
}

} // namespace
