// scroller.h -- the one-line big-font scroller along the bottom band
#pragma once

#include <SDL.h>
#include "effects/glyphs.h"
#include "effects/layout.h"

// The scroll text, as load_texts hands it over.
extern text_buffer scroll_text;

extern int scroll_current; // the buffer shown this frame
extern int scroll_offset;  // pixels scrolled since the last character was placed (0..40)

struct glyph_cell {
    int32_t row, column;
};
extern const glyph_cell big_font_cells[BIG_FONT_CELLS];

void scroller_step();

// Takes the next character of scroll_text for one slot: CR is skipped, LF gives a space, the
// read position wraps at the end. An empty text, or one of nothing but CR, gives spaces.
unsigned char fetch_scroll_char();

void draw_big_glyph(SDL_Surface* font, SDL_Surface* target, int x, int y, unsigned char ch);
