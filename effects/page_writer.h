// page_writer.h -- measures, centres and typesets pages of text into the two line layers
#pragma once

#include <SDL.h>
#include "effects/layout.h"

// The byte that ends every page of the page text.
constexpr unsigned char page_mark = 0xA4;

// The page text, as load_texts hands it over; position is the start of the next page.
extern text_buffer page_text;

// Layout of the measured page: line count and the window position of the first glyph.
extern int page_lines;
extern int origin_x;
extern int origin_y;

// Counts the lines and the widest line of the page starting at `at` (up to its mark,
// a NUL byte or the text's end) and centres it in the window.
void measure_page(const unsigned char* at);
// Typesets the measured page at the read position (even lines into layer 0, odd into
// layer 1) and moves the read position past it, back to 0 after the last page.
void render_page();
// Draws one character of the mini font; characters the font lacks draw nothing.
void draw_mini_glyph(SDL_Surface* target, int x, int y, unsigned char ch);

// Blits a line layer into the text window displaced by (x, y), clipped to the window.
void composite_line_layer(SDL_Surface* layer, int x, int y);
