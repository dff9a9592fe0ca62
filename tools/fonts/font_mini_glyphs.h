// font_mini_glyphs.h -- the hand-drawn shapes of the small 10x15 page font
#pragma once

// Each shape is MINI_GLYPH_ROWS strings of MINI_GLYPH_COLS characters, '#' for
// ink and '.' for ground. Rows 0-1 hold only accents; capitals stand on rows
// 2-11, and letters that carry an accent are two rows shorter so the accent fits.
constexpr int MINI_GLYPH_COLS = 7;
constexpr int MINI_GLYPH_ROWS = 12;
constexpr int MINI_FIRST_CODE = 32;
constexpr int MINI_GLYPH_COUNT = 63;   // codes 32 to 94

// The shape drawn in the cell of code MINI_FIRST_CODE + index. The cells of
// '[', '\', ']' and '^' hold the ring A, the dotted A, the dotted O and the pound sign.
const char* const* mini_glyph_shape(int index);
