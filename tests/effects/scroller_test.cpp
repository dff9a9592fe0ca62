// scroller_test.cpp -- the scroller's fetch rules, glyph cells, timing, shift keys and screen footprint
#include "effects/scroller.h"

#include "app/display.h"
#include "effects/layout.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int SLOT = 41;
constexpr int BAND_Y = 537;

// A big font whose cell k is one flat colour of its own, with a magenta hole at (20, 20).
Uint32 cell_colour(SDL_Surface* surface, int k)
{
    return SDL_MapRGB(surface->format, 20 + 3 * k, 60, 250 - 3 * k);
}
constexpr int HOLE = 20;

SDL_Surface* make_cell_font()
{
    SDL_Surface* font = make_test_surface(640, 480, color_key);
    for (int k = 0; k < 70; k++) {
        SDL_Rect cell{Sint16(SLOT * (k % 14)), Sint16(SLOT * (k / 14)), SLOT, SLOT};
        SDL_FillRect(font, &cell, cell_colour(font, k));
        put_pixel(font, cell.x + HOLE, cell.y + HOLE, color_key);
    }
    SDL_SetColorKey(font, SDL_SRCCOLORKEY, color_key);
    return font;
}

// A background with no magenta and no RGB (1, 1, 1), different in every column and row.
SDL_Surface* make_pattern_background()
{
    SDL_Surface* surface = make_test_surface(SCREEN_WIDTH, SCREEN_HEIGHT, 0);
    for (int y = 0; y < SCREEN_HEIGHT; y++)
        for (int x = 0; x < SCREEN_WIDTH; x++)
            put_pixel(surface, x, y, SDL_MapRGB(surface->format, x % 251, y % 241, 128));
    return surface;
}

bool has_colour_key(SDL_Surface* surface, Uint32 key)
{
    return (surface->flags & SDL_SRCCOLORKEY) && surface->format->colorkey == key;
}

void set_text(const std::string& bytes, uint32_t length)
{
    scroll_text.data = reinterpret_cast<const unsigned char*>(bytes.data());
    scroll_text.length = length;
    scroll_text.position = 0;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Fetching: no display needed.

struct fetch_case {
    const char* name;
    std::string bytes;  // may run on past length with 'Z' bytes that must never be read
    uint32_t length;
    std::string expected; // the characters of consecutive fetches
};

TEST(scroller, fetch_follows_the_line_rules_and_stays_inside_the_text)
{
    const fetch_case cases[] = {
        {"last byte is followed by the first", "ABZ", 2, "ABABA"},
        {"CR LF is one blank slot", "A\r\nBZ", 4, "A BA B"},
        {"lone LF is one blank slot", "A\nBZ", 3, "A BA B"},
        {"CR run is skipped in one fetch", "A\r\r\r\nBZ", 6, "A BA B"},
        {"CR run at the end wraps within the fetch", "AB\r\rZZ", 4, "ABABAB"},
        {"text ending in CR LF ends its pass blank", "AB\r\nZ", 4, "AB AB "},
        {"text starting with CR LF", "\r\nXZ", 3, " X X"},
        {"control byte takes its slot", "A\x01Z", 2, "A\x01" "A\x01"},
        {"nothing but CR gives blanks", "\r\r\rZ", 3, "    "},
        {"single CR gives blanks", "\rZ", 1, "   "},
        {"length 0 gives blanks", "ZZ", 0, "   "},
    };
    for (const fetch_case& c : cases) {
        set_text(c.bytes, c.length);
        std::string got;
        for (size_t i = 0; i < c.expected.size(); i++) {
            got += char(fetch_scroll_char());
            if (c.length > 0) {
                EXPECT_LT(uint32_t(scroll_text.position), c.length) << c.name;
            }
        }
        EXPECT_EQ(got, c.expected) << c.name;
    }

    scroll_text = {nullptr, 5, 0};
    EXPECT_EQ(fetch_scroll_char(), ' ');

    // A read position left beyond the text starts over instead of reading past it.
    std::string text = "ABCZZZ";
    set_text(text, 3);
    scroll_text.position = 4;
    EXPECT_EQ(fetch_scroll_char(), 'A');
}

// ---------------------------------------------------------------------------------------------
// Drawing and stepping on the headless display.

class scroller_display : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(open_test_display());
        real_font = big_font;
        real_background = background;
        big_font = make_cell_font();
        background = make_pattern_background();
    }
    static void TearDownTestSuite()
    {
        SDL_FreeSurface(big_font);
        SDL_FreeSurface(background);
        big_font = real_font;
        background = real_background;
        close_test_display();
    }
    // The state the intro starts in: both buffers magenta and unkeyed, the background on screen.
    void SetUp() override
    {
        scroll_current = 0;
        scroll_offset = 0;
        for (SDL_Surface* buffer : scroll_buffer) {
            SDL_SetColorKey(buffer, 0, 0);
            SDL_FillRect(buffer, nullptr, color_key);
        }
        SDL_UpperBlit(background, nullptr, screen, nullptr);
        set_text(text, uint32_t(text.size()));
    }

    bool band_is_background(int x, int w) { return same_rgb(screen, background, x, BAND_Y, w, SLOT); }
    uint32_t cell_rgb(int k)
    {
        Uint8 r, g, b;
        SDL_GetRGB(cell_colour(big_font, k), big_font->format, &r, &g, &b);
        return (uint32_t(r) << 16) | (uint32_t(g) << 8) | b;
    }

    static inline SDL_Surface* real_font = nullptr;
    static inline SDL_Surface* real_background = nullptr;
    std::string text = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
};

TEST_F(scroller_display, glyphs_fold_case_and_map_the_nordic_letters)
{
    constexpr int KEEP = -1, CLEARED = -2;
    struct glyph_case {
        unsigned char ch;
        int cell;
    };
    const glyph_case cases[] = {
        {' ', 0}, {'!', 1}, {'0', 16}, {'A', 33}, {'a', 33}, {'Z', 58}, {'z', 58}, {'e', 37}, {'_', 63}, {']', 61},
        {0xE4, 63}, {0xC4, 63}, {0xF6, 64}, {0xD6, 64}, {0xE5, 65}, {0xC5, 65}, {'~', 61},
        {0x01, KEEP}, {0x09, KEEP}, {0x1F, KEEP},
        {'{', CLEARED}, {'|', CLEARED}, {'}', CLEARED}, {0x7F, CLEARED}, {0xA4, CLEARED}, {0xFF, CLEARED},
    };
    SDL_Surface* target = make_test_surface(841, SLOT, 0);
    const Uint32 ground = SDL_MapRGB(target->format, 7, 7, 7);
    for (int x : {800, 793, 100}) {
        for (const glyph_case& c : cases) {
            SDL_FillRect(target, nullptr, ground);
            draw_big_glyph(big_font, target, x, 0, c.ch);
            SCOPED_TRACE(testing::Message() << "ch 0x" << std::hex << int(c.ch) << std::dec << " at x " << x);
            Uint32 body = c.cell == KEEP ? ground : c.cell == CLEARED ? color_key : cell_colour(target, c.cell);
            Uint32 hole = c.cell == KEEP ? ground : color_key;
            EXPECT_EQ(get_pixel(target, x, 0), body);
            EXPECT_EQ(get_pixel(target, x + SLOT - 1, SLOT - 1), body);
            EXPECT_EQ(get_pixel(target, x + HOLE, HOLE), hole);
            EXPECT_EQ(get_pixel(target, x - 1, 0), ground);
            if (x + SLOT < 841) {
                EXPECT_EQ(get_pixel(target, x + SLOT, 0), ground);
            }
        }
    }
    SDL_FreeSurface(target);

    for (int k = 0; k < 70; k++)
        EXPECT_TRUE(big_font_cells[k].row == k / 14 && big_font_cells[k].column == k % 14) << k;
}

TEST_F(scroller_display, characters_land_one_slot_apart_and_slide_into_view)
{
    // Band stays bare for six frames; the first glyph is placed at x 793 in frame 6.
    for (int n = 1; n <= 6; n++) {
        scroller_step();
        EXPECT_TRUE(band_is_background(0, SCREEN_WIDTH)) << "frame " << n;
    }
    EXPECT_EQ(scroll_offset, 7);
    EXPECT_EQ(get_rgb(scroll_buffer[scroll_current], 793, 0), cell_rgb('A' - 32));
    EXPECT_EQ(get_pixel(scroll_buffer[scroll_current], 792, 0), color_key);

    scroller_step();
    EXPECT_EQ(get_rgb(screen, 785, BAND_Y), cell_rgb('A' - 32));
    EXPECT_EQ(get_rgb(screen, 799, BAND_Y + SLOT - 1), cell_rgb('A' - 32));
    EXPECT_TRUE(band_is_background(0, 785));

    // From then on: character k is drawn in the first frame n with 8n >= 41(k + 1), at
    // x = 800 - (8n - 41(k + 1)), and every glyph already drawn moves 8 columns a frame.
    std::vector<int> drawn_in; // frame each character was drawn in
    drawn_in.push_back(6);
    int last_remainder = 7;
    for (int n = 8; n <= 400; n++) {
        int before = scroll_offset;
        scroller_step();
        int k = int(drawn_in.size());
        bool due = 8 * n >= SLOT * (k + 1);
        ASSERT_EQ(scroll_offset < before, due) << "frame " << n;
        if (due) {
            int x = 800 - (8 * n - SLOT * (k + 1));
            ASSERT_EQ(800 - scroll_offset, x);
            int gap = n - drawn_in.back();
            EXPECT_EQ(gap, last_remainder == 0 ? 6 : 5) << "frame " << n;
            last_remainder = scroll_offset;
            drawn_in.push_back(n);
            unsigned char ch = text[k % text.size()];
            EXPECT_EQ(get_rgb(scroll_buffer[scroll_current], x, 0), cell_rgb(ch - 32)) << "frame " << n;
        }
        for (size_t j = 0; j < drawn_in.size(); j++) {
            int left = 800 - (8 * drawn_in[j] - SLOT * int(j + 1)) - 8 * (n - drawn_in[j]);
            if (left >= 0 && left < 800 && drawn_in[j] < n) {
                unsigned char ch = text[j % text.size()];
                ASSERT_EQ(get_rgb(screen, left, BAND_Y), cell_rgb(ch - 32)) << "frame " << n << " char " << j;
                // The glyph's magenta hole shows the background, not what was there last frame.
                if (left + HOLE < 800) {
                    ASSERT_EQ(get_rgb(screen, left + HOLE, BAND_Y + HOLE), get_rgb(background, left + HOLE, BAND_Y + HOLE))
                        << "frame " << n << " char " << j;
                }
            }
        }
    }
    EXPECT_GT(drawn_in.size(), text.size()); // the text wrapped at least once
}

TEST_F(scroller_display, buffers_carry_copy_key_except_while_shown)
{
    // The first shift is unkeyed, so this (1, 1, 1) pixel reaches the buffer shown in frame 1.
    put_pixel(scroll_buffer[0], 308, 10, copy_key);
    scroller_step();
    EXPECT_TRUE(has_colour_key(scroll_buffer[1], copy_key));
    EXPECT_FALSE(scroll_buffer[0]->flags & SDL_SRCCOLORKEY); // never shown yet

    // Shown with color_key: RGB (1, 1, 1) is drawn, magenta lets the background through.
    EXPECT_EQ(get_rgb(screen, 300, BAND_Y + 10), 0x010101u);
    EXPECT_TRUE(band_is_background(0, 300));

    scroller_step();
    EXPECT_TRUE(has_colour_key(scroll_buffer[0], copy_key));
    EXPECT_TRUE(has_colour_key(scroll_buffer[1], copy_key));
}

TEST_F(scroller_display, shift_skips_copy_key_pixels_after_the_first_frame)
{
    const Uint32 marker = SDL_MapRGB(scroll_buffer[0]->format, 200, 30, 40);

    // Frame 1: the source has never been keyed, so (1, 1, 1) travels like any colour.
    put_pixel(scroll_buffer[0], 108, 5, copy_key);
    scroller_step();
    EXPECT_EQ(get_pixel(scroll_buffer[1], 100, 5), copy_key);

    // Frame 2: buffer 1 is now keyed with copy_key; its (1, 1, 1) leaves the destination alone.
    put_pixel(scroll_buffer[1], 308, 7, copy_key);
    put_pixel(scroll_buffer[0], 300, 7, marker);
    put_pixel(scroll_buffer[1], 309, 7, marker); // an ordinary neighbour is copied
    scroller_step();
    EXPECT_EQ(get_pixel(scroll_buffer[0], 300, 7), marker);
    EXPECT_EQ(get_pixel(scroll_buffer[0], 301, 7), marker);
    EXPECT_EQ(get_rgb(screen, 300, BAND_Y + 7), 0xC81E28u);
}

TEST_F(scroller_display, shift_never_writes_the_last_eight_columns)
{
    // Frames 1..5 draw no glyph, so only the shift could touch columns 833..840.
    for (int n = 1; n <= 5; n++) {
        SDL_Surface* destination = scroll_buffer[1 - scroll_current];
        SDL_Surface* source = scroll_buffer[scroll_current];
        for (int x = 825; x < 841; x++)
            for (int y : {0, 20, 40}) {
                put_pixel(destination, x, y, SDL_MapRGB(destination->format, x - 800, y, n));
                put_pixel(source, x, y, SDL_MapRGB(source->format, 9, 9, 9));
            }
        scroller_step();
        for (int x = 825; x < 841; x++)
            for (int y : {0, 20, 40}) {
                uint32_t kept = (uint32_t(x - 800) << 16) | (uint32_t(y) << 8) | uint32_t(n);
                EXPECT_EQ(get_rgb(destination, x, y), x < 833 ? 0x090909u : kept) << "x " << x << " frame " << n;
            }
    }
}

TEST_F(scroller_display, nothing_outside_the_band_changes)
{
    for (int n = 0; n < 80; n++)
        scroller_step();
    EXPECT_TRUE(same_rgb(screen, background, 0, 0, SCREEN_WIDTH, BAND_Y));
    EXPECT_TRUE(same_rgb(screen, background, 0, BAND_Y + SLOT, SCREEN_WIDTH, SCREEN_HEIGHT - BAND_Y - SLOT));
    EXPECT_FALSE(band_is_background(0, SCREEN_WIDTH)); // and the band itself did change
}
