// glyphs.cpp -- which font cell draws a character, for the page font and the scroller font alike
#include "effects/glyphs.h"

// A character drawn from the cell of another code.
struct glyph_move {
    unsigned char from;
    unsigned char to;
};

static const glyph_move MINI_MOVES[] = {
    {0xC5, 0x5B}, {0xE5, 0x5B}, // Å å
    {0xC4, 0x5C}, {0xE4, 0x5C}, // Ä ä
    {0xD6, 0x5D}, {0xF6, 0x5D}, // Ö ö
    {0xA3, 0x5E},               // £
};

static const glyph_move BIG_MOVES[] = {
    {0xC5, 0x61}, {0xE5, 0x61}, // Å å
    {0xC4, 0x5F}, {0xE4, 0x5F}, // Ä ä
    {0xD6, 0x60}, {0xF6, 0x60}, // Ö ö
    {0x7E, 0x5D},               // ~
};

int fold_case(unsigned char ch)
{
    return ch >= 'a' && ch <= 'z' ? ch - ('a' - 'A') : ch;
}

template <int N>
static int cell_of(unsigned char ch, const glyph_move (&moves)[N], int cells)
{
    int code = fold_case(ch);
    for (const glyph_move& move : moves)
        if (move.from == code)
            code = move.to;
    int cell = code - GLYPH_FIRST_CODE;
    return cell >= 0 && cell < cells ? cell : -1;
}

int mini_glyph_cell(unsigned char ch)
{
    return cell_of(ch, MINI_MOVES, MINI_FONT_CELLS);
}

int big_glyph_cell(unsigned char ch)
{
    return cell_of(ch, BIG_MOVES, BIG_FONT_CELLS);
}
