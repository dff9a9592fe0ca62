// scroller.cpp -- the one-line big-font scroller along the bottom band, shifted between two buffers
#include "effects/scroller.h"

#include "effects/glyphs.h"
#include "effects/surfaces.h"

text_buffer scroll_text = {nullptr, 0, 0};

int scroll_current = 0;
int scroll_offset = 0;

constexpr int GLYPH_SIZE = 41;   // one slot: the cell's width, height and the distance between characters
constexpr int SCROLL_SPEED = 8;  // pixels per frame
constexpr int VISIBLE_WIDTH = 800;
constexpr int SHIFT_WIDTH = VISIBLE_WIDTH + GLYPH_SIZE - SCROLL_SPEED; // 833: columns 833..840 are never shifted into

constexpr unsigned char CR = 0x0D, LF = 0x0A, BLANK = 0x20;

// Entry k is the cell of code 32 + k: row k / 14, column k % 14.
const glyph_cell big_font_cells[BIG_FONT_CELLS] = {
    {0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4}, {0, 5}, {0, 6}, {0, 7}, {0, 8}, {0, 9}, {0, 10}, {0, 11}, {0, 12}, {0, 13},
    {1, 0}, {1, 1}, {1, 2}, {1, 3}, {1, 4}, {1, 5}, {1, 6}, {1, 7}, {1, 8}, {1, 9}, {1, 10}, {1, 11}, {1, 12}, {1, 13},
    {2, 0}, {2, 1}, {2, 2}, {2, 3}, {2, 4}, {2, 5}, {2, 6}, {2, 7}, {2, 8}, {2, 9}, {2, 10}, {2, 11}, {2, 12}, {2, 13},
    {3, 0}, {3, 1}, {3, 2}, {3, 3}, {3, 4}, {3, 5}, {3, 6}, {3, 7}, {3, 8}, {3, 9}, {3, 10}, {3, 11}, {3, 12}, {3, 13},
    {4, 0}, {4, 1}, {4, 2}, {4, 3}, {4, 4}, {4, 5}, {4, 6}, {4, 7}, {4, 8}, {4, 9}, {4, 10}, {4, 11}, {4, 12}, {4, 13},
};

void draw_big_glyph(SDL_Surface* font, SDL_Surface* target, int x, int y, unsigned char ch)
{
    // A control byte keeps its slot but leaves whatever the shift put there.
    if (ch < GLYPH_FIRST_CODE)
        return;

    SDL_Rect cell{Sint16(x), Sint16(y), Uint16(GLYPH_SIZE), Uint16(GLYPH_SIZE)};
    SDL_FillRect(target, &cell, color_key);

    // A code with no cell in the sheet ({ | } DEL and the high bytes) shows as a cleared slot.
    int index = big_glyph_cell(ch);
    if (index < 0)
        return;

    const glyph_cell& at = big_font_cells[index];
    SDL_Rect source{Sint16(GLYPH_SIZE * at.column), Sint16(GLYPH_SIZE * at.row), Uint16(GLYPH_SIZE), Uint16(GLYPH_SIZE)};
    SDL_Rect place{Sint16(x), Sint16(y), 0, 0};
    SDL_UpperBlit(font, &source, target, &place);
}

unsigned char fetch_scroll_char()
{
    text_buffer& text = scroll_text;
    if (!text.data || text.length == 0)
        return BLANK;
    if (text.position < 0 || uint32_t(text.position) >= text.length)
        text.position = 0;

    // At most one full pass: a text of nothing but CR must not spin, and a CR run
    // that reaches the end goes on at the start instead of reading past it.
    for (uint32_t taken = 0; taken < text.length; taken++) {
        unsigned char byte = text.data[text.position];
        text.position++;
        if (uint32_t(text.position) >= text.length)
            text.position = 0;
        if (byte == CR)
            continue;
        return byte == LF ? BLANK : byte;
    }
    return BLANK;
}

void scroller_step()
{
    // Build every rectangle afresh: the clipping blit writes the clipped result back into the destination.
    SDL_Surface* source = scroll_buffer[scroll_current];
    SDL_Surface* shown = scroll_buffer[1 - scroll_current];

    // The source carries copy_key from its first showing on, so RGB (1, 1, 1) pixels are not copied;
    // columns 833..840 of the destination keep what they held.
    SDL_Rect shift_from{Sint16(SCROLL_SPEED), 0, Uint16(SHIFT_WIDTH), Uint16(GLYPH_SIZE)};
    SDL_Rect shift_to{0, 0, 0, 0};
    SDL_UpperBlit(source, &shift_from, shown, &shift_to);
    scroll_current = 1 - scroll_current;

    SDL_Rect band_from{Sint16(scroll_band.x), Sint16(scroll_band.y), Uint16(scroll_band.w), Uint16(scroll_band.h)};
    SDL_Rect band_to{Sint16(scroll_band.x), Sint16(scroll_band.y), 0, 0};
    SDL_UpperBlit(background, &band_from, screen, &band_to);

    // Magenta is transparent only while the line goes to the screen.
    SDL_SetColorKey(shown, SDL_SRCCOLORKEY, color_key);
    SDL_Rect line_from{0, 0, Uint16(VISIBLE_WIDTH), Uint16(GLYPH_SIZE)};
    SDL_Rect line_to{Sint16(scroll_band.x), Sint16(scroll_band.y), 0, 0};
    SDL_UpperBlit(shown, &line_from, screen, &line_to);
    SDL_SetColorKey(shown, SDL_SRCCOLORKEY, copy_key);

    scroll_offset += SCROLL_SPEED;
    if (scroll_offset < GLYPH_SIZE)
        return;
    scroll_offset -= GLYPH_SIZE;

    // The new slot starts 0..7 columns right of the visible edge, so slots stay exactly 41 pixels apart.
    draw_big_glyph(big_font, shown, VISIBLE_WIDTH - scroll_offset, 0, fetch_scroll_char());
}
