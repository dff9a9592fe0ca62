// glyphs.h -- which font cell draws a character, for the page font and the scroller font alike
#pragma once

// Both fonts are strips of cells for the codes from 32 up: the page font has 63 cells
// (codes 32 to 94), the scroller font 70 (codes 32 to 101). Lower-case a-z draw as
// capitals; the Nordic letters, which have no codes of their own in either range, sit
// in the cells of codes the texts never use.
constexpr int GLYPH_FIRST_CODE = 32;
constexpr int MINI_FONT_CELLS = 63;
constexpr int BIG_FONT_CELLS = 70;

// Upper-cases a-z only: what toupper does in the default locale, whatever locale is set.
int fold_case(unsigned char ch);

// The page font's cell for a byte, or -1 for one it does not draw: the ring, dotted and
// umlaut letters in both cases go to the cells of '[', '\' and ']', the pound sign to '^'.
int mini_glyph_cell(unsigned char ch);

// The scroller font's cell for a byte, or -1 where the sheet has none: the ring A to the
// cell of 'a', the dotted A to '_', the dotted O to the grave accent, '~' to ']'.
int big_glyph_cell(unsigned char ch);
