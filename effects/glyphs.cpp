// glyphs.cpp -- which font cell draws a character, for the page font and the scroller font alike
#include "effects/glyphs.h"

int fold_case(unsigned char ch)
{
    return ch >= 'a' && ch <= 'z' ? ch - ('a' - 'A') : ch;
}

static int cell_in(int code, int cells)
{
    int cell = code - GLYPH_FIRST_CODE;
    return cell >= 0 && cell < cells ? cell : -1;
}

int mini_glyph_cell(unsigned char ch)
{
    int c = fold_case(ch);
    switch (c) {
    case 0xC5: case 0xE5: c = 0x5B; break; // Å å
    case 0xC4: case 0xE4: c = 0x5C; break; // Ä ä
    case 0xD6: case 0xF6: c = 0x5D; break; // Ö ö
    case 0xA3: c = 0x5E; break;            // £
    }
    return cell_in(c, MINI_FONT_CELLS);
}

int big_glyph_cell(unsigned char ch)
{
    int c = fold_case(ch);
    switch (c) {
    case 0xC5: case 0xE5: c = 0x61; break; // Å å
    case 0xC4: case 0xE4: c = 0x5F; break; // Ä ä
    case 0xD6: case 0xF6: c = 0x60; break; // Ö ö
    case 0x7E: c = 0x5D; break;            // ~
    }
    return cell_in(c, BIG_FONT_CELLS);
}
