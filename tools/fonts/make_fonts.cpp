// make_fonts.cpp -- draws the two font sheets: the 10x15 page font and the 41x41 scroller font
//
//   make_fonts OUT_DIR [--ttf FONT_FILE]
//
// Writes OUT_DIR/minifontti.bmp and OUT_DIR/font.bmp. The page font is pixel
// art (tools/font_mini_glyphs.cpp); the scroller font rasterises a bold
// TrueType face with FreeType, thresholds it to hard edges and paints it with a
// chrome gradient, a bevel and a dark outline. Both are deterministic: the same
// tool and the same face file make the same bytes.
#include "tools/common/bmp_file.h"
#include "tools/fonts/font_mini_glyphs.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#ifndef SWAYBOARD_DEFAULT_TTF
#define SWAYBOARD_DEFAULT_TTF "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
#endif

constexpr uint32_t COPY_KEY_RGB = 0x010101;   // the scroller's copy key: never a glyph pixel

// ---------------------------------------------------------------------------
// Colour helpers

// Colour at position t (0..1) of a gradient given as stops {t, colour}.
struct gradient_stop {
    double t;
    uint32_t rgb;
};

static uint32_t gradient_at(const gradient_stop* stops, int count, double t)
{
    if (t <= stops[0].t)
        return stops[0].rgb;
    for (int i = 1; i < count; i++) {
        if (t <= stops[i].t) {
            const double span = stops[i].t - stops[i - 1].t;
            return mix_rgb(stops[i - 1].rgb, stops[i].rgb, span > 0 ? (t - stops[i - 1].t) / span : 1.0);
        }
    }
    return stops[count - 1].rgb;
}

// ---------------------------------------------------------------------------
// The page font: 63 cells of 10x15 in one row

constexpr int MINI_CELL_W = 10;
constexpr int MINI_CELL_H = 15;
constexpr uint8_t MINI_PAD_BYTE = 0xA5;   // the row padding of this sheet is deliberately not zero

// Warm fill from pale yellow at the cap line to red-orange at the foot.
static const gradient_stop MINI_FILL[] = {
    {0.00, 0xFFFFF4}, {0.25, 0xFFF08A}, {0.55, 0xFFC03A}, {0.80, 0xFF8A24}, {1.00, 0xE8501E},
};
constexpr uint32_t MINI_OUTLINE = 0x1C0F3C;
constexpr uint32_t MINI_SHADOW = 0x5A3C8C;

static int mini_shape_ok(const char* const* shape)
{
    for (int row = 0; row < MINI_GLYPH_ROWS; row++) {
        if (!shape[row] || std::strlen(shape[row]) != MINI_GLYPH_COLS)
            return 0;
        for (int col = 0; col < MINI_GLYPH_COLS; col++)
            if (shape[row][col] != '#' && shape[row][col] != '.')
                return 0;
    }
    return 1;
}

static int draw_mini_font(picture* sheet)
{
    for (int index = 0; index < MINI_GLYPH_COUNT; index++) {
        const char* const* shape = mini_glyph_shape(index);
        if (!shape || !mini_shape_ok(shape)) {
            std::fprintf(stderr, "make_fonts: page font shape %d is malformed\n", index);
            return 0;
        }
        // 0 ground, 1 ink, 2 outline, 3 shadow; the shape sits one pixel in from the cell's corner.
        int kind[MINI_CELL_H][MINI_CELL_W] = {};
        for (int row = 0; row < MINI_GLYPH_ROWS; row++)
            for (int col = 0; col < MINI_GLYPH_COLS; col++)
                if (shape[row][col] == '#')
                    kind[row + 1][col + 1] = 1;
        for (int y = 0; y < MINI_CELL_H; y++)
            for (int x = 0; x < MINI_CELL_W; x++) {
                if (kind[y][x])
                    continue;
                for (int dy = -1; dy <= 1; dy++)
                    for (int dx = -1; dx <= 1; dx++) {
                        const int ny = y + dy, nx = x + dx;
                        if (ny >= 0 && nx >= 0 && ny < MINI_CELL_H && nx < MINI_CELL_W && kind[ny][nx] == 1)
                            kind[y][x] = 2;
                    }
            }
        for (int y = MINI_CELL_H - 1; y >= 1; y--)
            for (int x = MINI_CELL_W - 1; x >= 1; x--)
                if (kind[y][x] == 0 && (kind[y - 1][x - 1] == 1 || kind[y - 1][x - 1] == 2))
                    kind[y][x] = 3;

        const int cell_x = index * MINI_CELL_W;
        for (int y = 0; y < MINI_CELL_H; y++)
            for (int x = 0; x < MINI_CELL_W; x++) {
                uint32_t colour = MAGENTA;
                if (kind[y][x] == 1) {
                    // Capitals span cell rows 3 to 12; accents above take the top colour.
                    const double t = (y - 3) / 9.0;
                    colour = gradient_at(MINI_FILL, std::size(MINI_FILL), t);
                } else if (kind[y][x] == 2) {
                    colour = MINI_OUTLINE;
                } else if (kind[y][x] == 3) {
                    colour = MINI_SHADOW;
                }
                set_pixel(sheet, cell_x + x, y, colour);
            }
    }
    return 1;
}

// ---------------------------------------------------------------------------
// The scroller font: 41x41 cells, 14 to a row, codes 32 to 101

constexpr int BIG_CELL = 41;
constexpr int BIG_COLUMNS = 14;
constexpr int BIG_SHEET_W = 640;
constexpr int BIG_SHEET_H = 480;
constexpr int BIG_INK_MIN = 2;      // ink stays inside [2, 36] both ways: the outline
constexpr int BIG_INK_MAX = 36;     // takes two pixels and the shadow two more
constexpr int BIG_BASELINE = 33;    // last ink row of a flat-bottomed capital
constexpr double BIG_EM_PIXELS = 37.0;

// Chrome: a sky from deep blue to white above the horizon, a dark earth rising
// to warm sand below it.
static const gradient_stop BIG_SKY[] = {
    {0.00, 0x2A4AB8}, {0.45, 0x7FB4FF}, {0.85, 0xE4F2FF}, {1.00, 0xFFFFFF},
};
static const gradient_stop BIG_EARTH[] = {
    {0.00, 0x3C1E46}, {0.20, 0x8A3A5A}, {0.60, 0xF08A3C}, {1.00, 0xFFE6A0},
};
static const gradient_stop BIG_ACCENT[] = {
    {0.00, 0xFFFFFF}, {1.00, 0xA8CCFF},
};
constexpr int BIG_CAP_TOP = 7;      // first ink row of a capital
constexpr int BIG_HORIZON = 21;     // first row of the earth half
constexpr uint32_t BIG_OUTLINE_INNER = 0x0A0618;
constexpr uint32_t BIG_OUTLINE_OUTER = 0x5C3C9C;
constexpr uint32_t BIG_SHADOW = 0x140A28;

// The code points drawn in the sheet's cells: index k is for byte 32 + k. The
// cells of '_', '`' and 'a' carry the dotted A, the dotted O and the ring A;
// the space and 'b' to 'e' stay empty (0).
static uint32_t big_cell_code_point(int index)
{
    const int code = 32 + index;
    if (code == 0x5F)
        return 0xC4;
    if (code == 0x60)
        return 0xD6;
    if (code == 0x61)
        return 0xC5;
    if (code >= 33 && code <= 94)
        return uint32_t(code);
    return 0;
}

// A thresholded rendering of one glyph: ink mask and the position of its
// top-left pixel relative to the pen on the baseline.
struct glyph_mask {
    int width;
    int height;
    int left;
    int top;
    std::vector<uint8_t> ink;
};

static int render_mask(FT_Face face, uint32_t code_point, double scale_x, double scale_y, glyph_mask* out)
{
    FT_Matrix matrix;
    matrix.xx = FT_Fixed(std::lround(scale_x * 65536.0));
    matrix.xy = 0;
    matrix.yx = 0;
    matrix.yy = FT_Fixed(std::lround(scale_y * 65536.0));
    FT_Set_Transform(face, &matrix, nullptr);
    const FT_UInt glyph = FT_Get_Char_Index(face, code_point);
    if (glyph == 0)
        return 0;
    if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0)
        return 0;
    if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0)
        return 0;
    const FT_Bitmap& bitmap = face->glyph->bitmap;

    // Crop to the pixels that survive the threshold, so the box is the true ink box.
    int min_x = int(bitmap.width), min_y = int(bitmap.rows), max_x = -1, max_y = -1;
    for (int y = 0; y < int(bitmap.rows); y++)
        for (int x = 0; x < int(bitmap.width); x++)
            if (bitmap.buffer[y * bitmap.pitch + x] >= 128) {
                if (x < min_x) min_x = x;
                if (x > max_x) max_x = x;
                if (y < min_y) min_y = y;
                if (y > max_y) max_y = y;
            }
    if (max_x < 0)
        return 0;
    out->width = max_x - min_x + 1;
    out->height = max_y - min_y + 1;
    out->left = face->glyph->bitmap_left + min_x;
    out->top = face->glyph->bitmap_top - min_y;
    out->ink.assign(size_t(out->width) * out->height, 0);
    for (int y = 0; y < out->height; y++)
        for (int x = 0; x < out->width; x++)
            out->ink[size_t(y) * out->width + x] = bitmap.buffer[(y + min_y) * bitmap.pitch + x + min_x] >= 128;
    return 1;
}

// Fits one glyph into the cell's ink area. Too wide a glyph is narrowed. A
// letter that reaches out of the area (the accented capitals above, Q and J
// below) is flattened just enough to fit, so it keeps its place on the
// baseline; any other glyph that sticks out is moved inside, and flattened only
// if it is taller than the whole area. Fills a 41x41 ink mask.
static int fit_glyph(FT_Face face, uint32_t code_point, uint8_t ink[BIG_CELL][BIG_CELL])
{
    constexpr int room = BIG_INK_MAX - BIG_INK_MIN + 1;
    const bool letter = (code_point >= 'A' && code_point <= 'Z') || code_point >= 0xC0;
    glyph_mask mask;
    if (!render_mask(face, code_point, 1.0, 1.0, &mask))
        return 0;
    const int natural_top = BIG_BASELINE + 1 - mask.top;
    const int natural_bottom = natural_top + mask.height - 1;
    int want_top = natural_top, want_height = mask.height;
    if (letter && (natural_top < BIG_INK_MIN || natural_bottom > BIG_INK_MAX)) {
        want_top = natural_top < BIG_INK_MIN ? BIG_INK_MIN : natural_top;
        want_height = (natural_bottom > BIG_INK_MAX ? BIG_INK_MAX : natural_bottom) - want_top + 1;
    } else if (want_height > room) {
        want_height = room;
    }

    double scale_x = 1.0, scale_y = 1.0;
    if (mask.width > room)
        scale_x = (room - 0.5) / mask.width;
    if (want_height < mask.height)
        scale_y = (want_height - 0.5) / mask.height;
    if ((scale_x != 1.0 || scale_y != 1.0) && !render_mask(face, code_point, scale_x, scale_y, &mask))
        return 0;
    if (mask.width > room || mask.height > room)
        return 0;

    int top_row = letter ? want_top : BIG_BASELINE + 1 - mask.top;
    if (top_row < BIG_INK_MIN)
        top_row = BIG_INK_MIN;
    if (top_row + mask.height - 1 > BIG_INK_MAX)
        top_row = BIG_INK_MAX - mask.height + 1;
    const int left_col = BIG_INK_MIN + (room - mask.width) / 2;

    std::memset(ink, 0, BIG_CELL * BIG_CELL);
    for (int y = 0; y < mask.height; y++)
        for (int x = 0; x < mask.width; x++)
            ink[top_row + y][left_col + x] = mask.ink[size_t(y) * mask.width + x];
    return 1;
}

static uint32_t big_fill_colour(int y)
{
    // Accents above the capitals are small: keep them bright rather than let
    // them start the sky's deep blue.
    if (y < BIG_CAP_TOP)
        return gradient_at(BIG_ACCENT, std::size(BIG_ACCENT), double(y - BIG_INK_MIN) / (BIG_CAP_TOP - 1 - BIG_INK_MIN));
    if (y < BIG_HORIZON)
        return gradient_at(BIG_SKY, std::size(BIG_SKY), double(y - BIG_CAP_TOP) / (BIG_HORIZON - 1 - BIG_CAP_TOP));
    return gradient_at(BIG_EARTH, std::size(BIG_EARTH), double(y - BIG_HORIZON) / (BIG_INK_MAX - BIG_HORIZON));
}

static int paint_big_cell(picture* sheet, int cell_x, int cell_y, uint8_t ink[BIG_CELL][BIG_CELL])
{
    auto is_ink = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < BIG_CELL && y < BIG_CELL && ink[y][x];
    };
    // Distance class of each ground pixel: 1 next to the ink, 2 one further out.
    int ring[BIG_CELL][BIG_CELL] = {};
    for (int y = 0; y < BIG_CELL; y++)
        for (int x = 0; x < BIG_CELL; x++) {
            if (ink[y][x])
                continue;
            for (int dy = -2; dy <= 2; dy++)
                for (int dx = -2; dx <= 2; dx++) {
                    if (!is_ink(x + dx, y + dy))
                        continue;
                    const int d2 = dx * dx + dy * dy;
                    const int cls = d2 <= 2 ? 1 : (d2 <= 5 ? 2 : 0);
                    if (cls && (ring[y][x] == 0 || cls < ring[y][x]))
                        ring[y][x] = cls;
                }
        }
    for (int y = 0; y < BIG_CELL; y++)
        for (int x = 0; x < BIG_CELL; x++) {
            uint32_t colour = MAGENTA;
            bool drawn = true;
            if (ink[y][x]) {
                colour = big_fill_colour(y);
                // Bevel: light falls from the top left.
                if (!is_ink(x - 1, y - 1) || !is_ink(x, y - 1))
                    colour = mix_rgb(colour, 0xFFFFFF, 0.55);
                else if (!is_ink(x + 1, y + 1) || !is_ink(x + 1, y))
                    colour = mix_rgb(colour, 0x000000, 0.45);
            } else if (ring[y][x] == 1) {
                colour = BIG_OUTLINE_INNER;
            } else if (ring[y][x] == 2) {
                colour = BIG_OUTLINE_OUTER;
            } else if (x >= 2 && y >= 2 && (ink[y - 2][x - 2] || ring[y - 2][x - 2])) {
                colour = BIG_SHADOW;
            } else {
                drawn = false;
            }
            // Magenta would punch a hole; (1, 1, 1) would be left behind by the scroll buffers' copy.
            if (drawn && (colour == MAGENTA || colour == COPY_KEY_RGB))
                return 0;
            set_pixel(sheet, cell_x + x, cell_y + y, colour);
        }
    return 1;
}

static int draw_big_font(picture* sheet, const char* ttf_path)
{
    FT_Library library;
    if (FT_Init_FreeType(&library) != 0) {
        std::fprintf(stderr, "make_fonts: FreeType does not start\n");
        return 0;
    }
    FT_Face face;
    if (FT_New_Face(library, ttf_path, 0, &face) != 0) {
        std::fprintf(stderr, "make_fonts: cannot open the face %s\n", ttf_path);
        FT_Done_FreeType(library);
        return 0;
    }
    int ok = FT_Set_Char_Size(face, 0, FT_F26Dot6(std::lround(BIG_EM_PIXELS * 64.0)), 72, 72) == 0;
    for (int index = 0; ok && index < 70; index++) {
        const uint32_t code_point = big_cell_code_point(index);
        if (code_point == 0)
            continue;
        uint8_t ink[BIG_CELL][BIG_CELL];
        if (!fit_glyph(face, code_point, ink)) {
            std::fprintf(stderr, "make_fonts: the face has no usable glyph for U+%04X\n", code_point);
            ok = 0;
            break;
        }
        ok = paint_big_cell(sheet, BIG_CELL * (index % BIG_COLUMNS), BIG_CELL * (index / BIG_COLUMNS), ink);
        if (!ok)
            std::fprintf(stderr, "make_fonts: U+%04X would hold a reserved colour\n", code_point);
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return ok;
}

// ---------------------------------------------------------------------------

int main(int argc, char** argv)
{
    const char* out_dir = nullptr;
    const char* ttf_path = SWAYBOARD_DEFAULT_TTF;
    int bad_arguments = 0;
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--ttf") == 0 && i + 1 < argc)
            ttf_path = argv[++i];
        else if (!out_dir && argv[i][0] != '-')
            out_dir = argv[i];
        else
            bad_arguments = 1;
    }
    if (!out_dir || bad_arguments) {
        std::fprintf(stderr, "usage: make_fonts OUT_DIR [--ttf FONT_FILE]\n");
        return 2;
    }

    picture mini = make_picture(MINI_GLYPH_COUNT * MINI_CELL_W, MINI_CELL_H, MAGENTA);
    if (!draw_mini_font(&mini))
        return 1;
    picture big = make_picture(BIG_SHEET_W, BIG_SHEET_H, MAGENTA);
    if (!draw_big_font(&big, ttf_path))
        return 1;

    const std::string mini_path = std::string(out_dir) + "/minifontti.bmp";
    const std::string big_path = std::string(out_dir) + "/font.bmp";
    if (!write_bmp(mini_path.c_str(), &mini, MINI_PAD_BYTE) || !write_bmp(big_path.c_str(), &big, 0)) {
        std::fprintf(stderr, "make_fonts: cannot write into %s\n", out_dir);
        return 1;
    }
    return 0;
}
