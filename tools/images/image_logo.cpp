// image_logo.cpp -- the title logo of the background picture: chunky chrome letters with outline and shadow
#include "tools/images/image_logo.h"

#include <cstring>

// Letters are unions of convex shapes minus other convex shapes, in pixels,
// letter-local with y growing downwards; a pixel belongs to a shape when its
// centre lies inside or on the edge.
struct shape {
    int count;
    double x[8];
    double y[8];
    int cut;
};

struct glyph {
    char letter;
    int width;
    int shape_count;
    shape shapes[8];
};

static constexpr int H = LOGO_LETTER_HEIGHT;
static constexpr int LETTER_GAP = 6;
static constexpr int SHADOW_DX = 6;
static constexpr int SHADOW_DY = 6;
// Italic lean: the top of a letter sits this many pixels right of its foot.
static constexpr double LEAN = 12.0;

// A box from (x0, y0) to (x1, y1) with its corners chamfered at 45 degrees by
// tl, tr, br and bl pixels.
static void add_box(glyph* g, double x0, double y0, double x1, double y1,
                    double tl, double tr, double br, double bl, int cut)
{
    shape* s = &g->shapes[g->shape_count++];
    const double xs[8] = {x0 + tl, x1 - tr, x1, x1, x1 - br, x0 + bl, x0, x0};
    const double ys[8] = {y0, y0, y0 + tr, y1 - br, y1, y1, y1 - bl, y0 + tl};
    s->count = 8;
    std::memcpy(s->x, xs, sizeof xs);
    std::memcpy(s->y, ys, sizeof ys);
    s->cut = cut;
}

static void add_polygon(glyph* g, int count, const double* points, int cut)
{
    shape* s = &g->shapes[g->shape_count++];
    s->count = count;
    for (int i = 0; i < count; i++) {
        s->x[i] = points[2 * i];
        s->y[i] = points[2 * i + 1];
    }
    s->cut = cut;
}

static const int ADD = 0;
static const int CUT = 1;

static glyph make_glyph(char letter)
{
    glyph g{};
    g.letter = letter;
    g.width = 64;
    switch (letter) {
    case 'S':
        add_box(&g, 0, 0, 64, 16, 12, 6, 0, 0, ADD);
        add_box(&g, 0, 0, 20, 42, 12, 0, 0, 8, ADD);
        add_box(&g, 0, 26, 64, 42, 0, 8, 0, 8, ADD);
        add_box(&g, 44, 26, 64, 68, 0, 8, 12, 0, ADD);
        add_box(&g, 0, 52, 64, 68, 0, 0, 12, 6, ADD);
        break;
    case 'W':
        g.width = 80;
        add_box(&g, 0, 0, 20, 68, 4, 4, 0, 12, ADD);
        add_box(&g, 60, 0, 80, 68, 4, 4, 12, 0, ADD);
        add_box(&g, 30, 22, 50, 68, 4, 4, 0, 0, ADD);
        add_box(&g, 0, 52, 80, 68, 0, 0, 12, 12, ADD);
        break;
    case 'A':
        add_box(&g, 0, 0, 64, 68, 22, 22, 0, 0, ADD);
        add_box(&g, 20, 16, 44, 30, 6, 6, 0, 0, CUT);
        add_box(&g, 20, 44, 44, 70, 0, 0, 0, 0, CUT);
        break;
    case 'Y': {
        add_box(&g, 0, 0, 20, 36, 4, 4, 0, 0, ADD);
        add_box(&g, 44, 0, 64, 36, 4, 4, 0, 0, ADD);
        const double bridge[12] = {0, 22, 64, 22, 64, 32, 42, 52, 22, 52, 0, 32};
        add_polygon(&g, 6, bridge, ADD);
        add_box(&g, 22, 40, 42, 68, 0, 0, 4, 4, ADD);
        break;
    }
    case 'B':
        add_box(&g, 0, 0, 58, 34, 4, 12, 0, 0, ADD);
        add_box(&g, 0, 30, 64, 68, 0, 8, 12, 4, ADD);
        add_box(&g, 20, 16, 40, 26, 0, 4, 4, 0, CUT);
        add_box(&g, 20, 42, 44, 52, 0, 4, 4, 0, CUT);
        break;
    case 'O':
        add_box(&g, 0, 0, 64, 68, 18, 18, 18, 18, ADD);
        add_box(&g, 20, 16, 44, 52, 6, 6, 6, 6, CUT);
        break;
    case 'R':
        add_box(&g, 0, 0, 64, 40, 4, 14, 8, 0, ADD);
        add_box(&g, 0, 0, 20, 68, 4, 0, 4, 4, ADD);
        add_box(&g, 44, 40, 64, 68, 0, 0, 4, 4, ADD);
        add_box(&g, 20, 16, 44, 26, 0, 6, 6, 0, CUT);
        add_box(&g, 20, 40, 44, 70, 0, 0, 0, 0, CUT);
        break;
    case 'D':
        add_box(&g, 0, 0, 64, 68, 4, 22, 22, 4, ADD);
        add_box(&g, 20, 16, 44, 52, 0, 8, 8, 0, CUT);
        break;
    default:
        break;
    }
    return g;
}

static int inside_shape(const shape* s, double px, double py)
{
    int positive = 0, negative = 0;
    for (int i = 0; i < s->count; i++) {
        int j = (i + 1) % s->count;
        double cross = (s->x[j] - s->x[i]) * (py - s->y[i]) - (s->y[j] - s->y[i]) * (px - s->x[i]);
        if (cross > 0)
            positive = 1;
        else if (cross < 0)
            negative = 1;
    }
    return !(positive && negative);
}

static int inside_glyph(const glyph* g, double px, double py)
{
    int in = 0;
    for (int i = 0; i < g->shape_count; i++)
        if (!g->shapes[i].cut && inside_shape(&g->shapes[i], px, py))
            in = 1;
    if (!in)
        return 0;
    for (int i = 0; i < g->shape_count; i++)
        if (g->shapes[i].cut && inside_shape(&g->shapes[i], px, py))
            return 0;
    return 1;
}

static const char TITLE[] = "SWAYBOARD";

// The logo is drawn upright into a buffer first, bevel and outline included,
// and leant only when it is copied to the target: each row moves right by a
// whole number of pixels, so the slanted edges step cleanly instead of
// breaking the bevel into a saw tooth.
static constexpr int MARGIN = 4;
static constexpr int ROWS = H + 2 * MARGIN;

struct logo_buffer {
    int width;
    std::vector<uint8_t> letters;   // 1 inside a letter
    std::vector<uint8_t> inked;     // 1 inside a letter or its outline
    std::vector<uint32_t> colour;   // the finished colour where inked
};

static int flag_at(const logo_buffer* b, const std::vector<uint8_t>& flags, int x, int y)
{
    if (x < 0 || y < 0 || x >= b->width || y >= ROWS)
        return 0;
    return flags[size_t(y) * size_t(b->width) + size_t(x)];
}

// The chrome fill by row inside the letters: a sky that brightens to a white
// horizon just above the middle, then a dark copper ground that warms towards the foot.
static uint32_t chrome_at(int row)
{
    static const uint32_t SKY[] = {0x18206A, 0x3A62C8, 0x8CC0F4, 0xE8F6FF, 0xFFFFFF};
    static const uint32_t GROUND[] = {0x3A1A10, 0x7A3A18, 0xC8782E, 0xF4C070, 0xFFE8B0};
    const int horizon = H * 13 / 25;
    if (row < horizon)
        return ramp_rgb(SKY, 5, row, horizon - 1);
    return ramp_rgb(GROUND, 5, row - horizon, H - 1 - horizon);
}

// How far buffer row r moves right: LEAN at the letters' top, 0 at their foot,
// rounded to whole pixels (floor division, rows below the foot go left).
static int lean_at(int r)
{
    const int lean = int(LEAN);
    int num = lean * (2 * (H - (r - MARGIN)) - 1) + H;
    int den = 2 * H;
    return num >= 0 ? num / den : -((-num + den - 1) / den);
}

static const uint32_t OUTLINE = 0x0A0618;

static void render_upright(logo_buffer* b)
{
    const size_t count = size_t(b->width) * ROWS;
    b->letters.assign(count, 0);
    b->inked.assign(count, 0);
    b->colour.assign(count, 0);

    int pen = MARGIN;
    for (size_t i = 0; i + 1 < sizeof TITLE; i++) {
        glyph g = make_glyph(TITLE[i]);
        for (int y = 0; y < H; y++)
            for (int x = 0; x < g.width; x++)
                if (inside_glyph(&g, x + 0.5, y + 0.5))
                    b->letters[size_t(y + MARGIN) * size_t(b->width) + size_t(pen + x)] = 1;
        pen += g.width + LETTER_GAP;
    }

    for (int y = 0; y < ROWS; y++) {
        for (int x = 0; x < b->width; x++) {
            size_t at = size_t(y) * size_t(b->width) + size_t(x);
            // The outline is the letters grown by a rounded 2-pixel pen.
            int near = 0;
            for (int dy = -2; dy <= 2 && !near; dy++)
                for (int dx = -2; dx <= 2 && !near; dx++)
                    if (dx * dx + dy * dy <= 5 && flag_at(b, b->letters, x + dx, y + dy))
                        near = 1;
            b->inked[at] = uint8_t(near);
            if (!near)
                continue;
            if (!b->letters[at]) {
                b->colour[at] = OUTLINE;
                continue;
            }
            uint32_t fill = chrome_at(y - MARGIN);
            // Bevel: the nearest edge within three pixels decides the light,
            // lit from the top left, darkened towards the bottom right.
            static const int DIRS[8][3] = {
                {0, -1, 3}, {-1, -1, 3}, {-1, 0, 2}, {1, -1, 1},
                {-1, 1, -1}, {1, 0, -2}, {1, 1, -3}, {0, 1, -3}};
            int light = 0;
            for (int d = 1; d <= 3 && !light; d++) {
                for (const auto& dir : DIRS) {
                    if (!flag_at(b, b->letters, x + dir[0] * d, y + dir[1] * d)) {
                        light = dir[2] * (4 - d);
                        break;
                    }
                }
            }
            if (light > 0)
                fill = mix_rgb(fill, 0xFFFFFF, light, 14);
            else if (light < 0)
                fill = mix_rgb(fill, 0x000000, -light, 15);
            b->colour[at] = fill;
        }
    }
}

void draw_logo(picture* target, int top)
{
    int letters_width = 0;
    for (size_t i = 0; i + 1 < sizeof TITLE; i++)
        letters_width += make_glyph(TITLE[i]).width + (i > 0 ? LETTER_GAP : 0);
    logo_buffer b{letters_width + 2 * MARGIN, {}, {}, {}};
    render_upright(&b);

    const int left = (target->width - letters_width - int(LEAN)) / 2 - MARGIN;
    const int base = top - MARGIN;

    // Shadow first: the outlined letters moved down-right, darkening what lies
    // beneath. Pixels are marked once so overlapping rows never darken twice.
    std::vector<uint8_t> shaded(size_t(target->width) * size_t(target->height), 0);
    for (int r = 0; r < ROWS; r++) {
        for (int x = 0; x < b.width; x++) {
            if (!flag_at(&b, b.inked, x, r))
                continue;
            int tx = left + x + lean_at(r) + SHADOW_DX, ty = base + r + SHADOW_DY;
            if (tx < 0 || ty < 0 || tx >= target->width || ty >= target->height)
                continue;
            uint8_t* mark = &shaded[size_t(ty) * size_t(target->width) + size_t(tx)];
            if (*mark)
                continue;
            *mark = 1;
            set_pixel(target, tx, ty, scale_rgb(pixel_at(target, tx, ty), 2, 5));
        }
    }
    for (int r = 0; r < ROWS; r++)
        for (int x = 0; x < b.width; x++)
            if (flag_at(&b, b.inked, x, r))
                set_pixel(target, left + x + lean_at(r), base + r,
                          b.colour[size_t(r) * size_t(b.width) + size_t(x)]);
}
