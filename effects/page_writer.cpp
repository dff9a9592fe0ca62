// page_writer.cpp -- measures, centres and typesets pages of the page text into the two line layers
#include "effects/page_writer.h"

#include "effects/glyphs.h"
#include "effects/surfaces.h"

#include <climits>
#include <cstdint>

text_buffer page_text = {nullptr, 0, 0};

int page_lines = 0;
int origin_x = 0;
int origin_y = 0;

constexpr int GLYPH_WIDTH = 10;
constexpr int GLYPH_HEIGHT = 15;
constexpr int LAYER_WIDTH = 600;
constexpr int LAYER_HEIGHT = 400;

// A text from the working directory can be of any size: the counts are kept in 64 bits
// and the layout is clamped into an int, at values far beyond anything a layer can show.
static int clamp_to_int(long long value)
{
    if (value < INT_MIN / 2)
        return INT_MIN / 2;
    if (value > INT_MAX / 2)
        return INT_MAX / 2;
    return static_cast<int>(value);
}

// True when a text is there to be read at all.
static bool text_present()
{
    return page_text.data && page_text.length > 0;
}

void measure_page(const unsigned char* at)
{
    long long lines = 1;
    long long width = 0;
    long long widest = 0;

    // Only a pointer inside the text is scanned, and never past its end: archive data
    // runs straight on into the next file.
    if (text_present() && at) {
        uintptr_t begin = reinterpret_cast<uintptr_t>(page_text.data);
        uintptr_t end = begin + page_text.length;
        uintptr_t p = reinterpret_cast<uintptr_t>(at);
        for (; p >= begin && p < end; p++) {
            unsigned char b = page_text.data[p - begin];
            if (b == page_mark || b == 0)
                break;
            if (b == '\n') {
                lines++;
                width = 0;
            } else if (b != '\r') {
                width++;
                if (width > widest)
                    widest = width;
            }
        }
    }

    // Division rounds toward zero, also for pages too wide or too tall for the window.
    page_lines = clamp_to_int(lines);
    origin_x = clamp_to_int((LAYER_WIDTH - GLYPH_WIDTH * widest) / 2);
    origin_y = clamp_to_int((LAYER_HEIGHT - GLYPH_HEIGHT * lines) / 2);
}

// Reads the next byte and moves the read position on, wrapping it to 0 at the end of
// the text. Sets *wrapped when this byte was the text's last.
static unsigned char next_byte(bool* wrapped)
{
    unsigned char b = page_text.data[page_text.position];
    page_text.position++;
    *wrapped = static_cast<uint32_t>(page_text.position) >= page_text.length;
    if (*wrapped)
        page_text.position = 0;
    return b;
}

void render_page()
{
    if (!text_present()) {
        page_text.position = 0;
        return;
    }
    // A position that no longer lies in the text (the text was swapped) starts it afresh.
    if (page_text.position < 0 || static_cast<uint32_t>(page_text.position) >= page_text.length)
        page_text.position = 0;

    long long pen_y = origin_y;
    int target = 0;
    bool page_ended = false;
    for (int line = 0; line < page_lines && !page_ended; line++) {
        long long pen_x = origin_x;
        for (;;) {
            bool wrapped = false;
            unsigned char b = next_byte(&wrapped);
            if (b == page_mark) {
                page_ended = true;
                break;
            }
            // A text whose last byte is not a page mark ends its last page there; that byte
            // is still typeset like any other, and the next page is the first again.
            if (b == '\n') {
                page_ended = wrapped;
                break;
            }
            if (b != '\r') {
                // Glyphs far outside the layer are skipped here, before their pen position
                // could wrap around in the blit's 16-bit rectangle.
                if (pen_x > -GLYPH_WIDTH && pen_x < LAYER_WIDTH && pen_y > -GLYPH_HEIGHT && pen_y < LAYER_HEIGHT)
                    draw_mini_glyph(line_layer[target], static_cast<int>(pen_x), static_cast<int>(pen_y), b);
                pen_x += GLYPH_WIDTH;
            }
            if (wrapped) {
                page_ended = true;
                break;
            }
        }
        pen_y += GLYPH_HEIGHT;
        target = 1 - target;
    }
}

void draw_mini_glyph(SDL_Surface* target, int x, int y, unsigned char ch)
{
    int cell = mini_glyph_cell(ch);
    if (cell < 0 || !target || !mini_font)
        return;
    // NOTE: SDL rectangles hold 16-bit positions; a glyph wholly off the target is dropped
    // here so that a far-off pen cannot wrap around onto it.
    if (x <= -GLYPH_WIDTH || x >= target->w || y <= -GLYPH_HEIGHT || y >= target->h)
        return;
    SDL_Rect source{static_cast<Sint16>(cell * GLYPH_WIDTH), 0, GLYPH_WIDTH, GLYPH_HEIGHT};
    SDL_Rect place{static_cast<Sint16>(x), static_cast<Sint16>(y), 0, 0};
    SDL_UpperBlit(mini_font, &source, target, &place);
}

void composite_line_layer(SDL_Surface* layer, int x, int y)
{
    if (!layer || !screen)
        return;
    if (x >= LAYER_WIDTH)
        return;
    int w = LAYER_WIDTH;
    int sx = 0;
    if (x < 0) {
        w = LAYER_WIDTH + x;
        sx = -x;
        x = 0;
        if (w < 0)
            return;
    }
    if (w + x > LAYER_WIDTH) {
        w = LAYER_WIDTH - x;
        if (w <= 0)
            return;
    }
    // The drop only ever moves a layer down; a layer moved up is clipped at the top edge
    // all the same, so nothing lands above the window.
    int h = LAYER_HEIGHT;
    int sy = 0;
    if (y > 0) {
        h = LAYER_HEIGHT - y;
        if (h <= 0)
            return;
    } else if (y < 0) {
        if (y <= -LAYER_HEIGHT)
            return;
        h = LAYER_HEIGHT + y;
        sy = -y;
        y = 0;
    }
    if (w == 0)
        return;
    SDL_Rect source{static_cast<Sint16>(sx), static_cast<Sint16>(sy), static_cast<Uint16>(w),
                    static_cast<Uint16>(h)};
    SDL_Rect place{static_cast<Sint16>(text_window.x + x), static_cast<Sint16>(text_window.y + y), 0, 0};
    SDL_UpperBlit(layer, &source, screen, &place);
}
