// image_sprite.cpp -- the sprite sheet: four frames of a small leaf-sprouting blob on magenta ground
#include "tools/images/image_sprite.h"

#include <cmath>

// A frame is drawn back to front from parts (ellipses and round-ended strokes),
// each shaded in four hard tones as if lit from the upper left, then the face
// goes on top and the whole figure gets a one-pixel outline. Everything is hard
// edged: a pixel is either the blob's or magenta, never a blend of the two.

struct tones {
    uint32_t line;       // seam where this part overlaps an earlier one
    uint32_t ramp[4];    // shadow, base, lit, highlight
};

static const tones BODY = {0x1E5A32, {0x2E8A44, 0x52BC4C, 0x96E064, 0xE2FFBE}};
static const tones FEET = {0x1E5A32, {0x246E3A, 0x3E9A46, 0x6CC254, 0xB6EE8A}};
static const tones LEAF = {0x2A5C10, {0x5A9A18, 0x8CCC28, 0xC4EC4C, 0xF0FFA8}};
static const tones STEM = {0x2A5C10, {0x3C6C1C, 0x5A8C26, 0x7AAE34, 0x9AC846}};
static const uint32_t OUTLINE = 0x161030;
static const uint32_t EYE = 0x10102A;
static const uint32_t EYE_WHITE = 0xFFFFFF;
static const uint32_t MOUTH = 0x7A1630;
static const uint32_t TONGUE = 0xF0607A;
static const uint32_t CHEEK = 0xF4948C;
static const uint32_t SWEAT_DROP = 0x8CD4FF;

struct part {
    int stroke;      // 0: ellipse (a, b) radii (ra, rb); 1: stroke from (a, b) to (c, d), radius ra
    double a, b, c, d, ra, rb;
    const tones* colours;
};

static part ellipse(double cx, double cy, double rx, double ry, const tones* colours)
{
    return part{0, cx, cy, 0, 0, rx, ry, colours};
}

static part stroke(double x0, double y0, double x1, double y1, double r, const tones* colours)
{
    return part{1, x0, y0, x1, y1, r, 0, colours};
}

// Whether the pixel centre (px, py) lies in the part; if so, its surface normal's
// x and y (each -1..1) for the shading.
static int part_normal(const part* p, double px, double py, double* nx, double* ny)
{
    if (!p->stroke) {
        *nx = (px - p->a) / p->ra;
        *ny = (py - p->b) / p->rb;
    } else {
        double vx = p->c - p->a, vy = p->d - p->b;
        double length2 = vx * vx + vy * vy;
        double t = length2 > 0 ? ((px - p->a) * vx + (py - p->b) * vy) / length2 : 0;
        t = t < 0 ? 0 : t > 1 ? 1 : t;
        *nx = (px - (p->a + t * vx)) / p->ra;
        *ny = (py - (p->b + t * vy)) / p->ra;
    }
    return *nx * *nx + *ny * *ny <= 1.0;
}

static uint32_t shade(const part* p, double nx, double ny)
{
    double nz = std::sqrt(std::fmax(0.0, 1.0 - nx * nx - ny * ny));
    // Light from the upper left and a little in front.
    double light = -0.48 * nx - 0.62 * ny + 0.62 * nz;
    int tone = light < 0.18 ? 0 : light < 0.62 ? 1 : light < 0.93 ? 2 : 3;
    return p->colours->ramp[tone];
}

// Frame-local drawing state: the picture and which pixels the figure covers.
struct frame {
    picture* sheet;
    int left;
    uint8_t covered[SPRITE_FRAME][SPRITE_FRAME];
};

static void put(frame* f, int x, int y, uint32_t colour)
{
    if (x < 0 || y < 0 || x >= SPRITE_FRAME || y >= SPRITE_FRAME)
        return;
    set_pixel(f->sheet, f->left + x, y, colour);
    f->covered[y][x] = 1;
}

static void draw_part(frame* f, const part* p)
{
    uint8_t mine[SPRITE_FRAME][SPRITE_FRAME] = {};
    for (int y = 0; y < SPRITE_FRAME; y++) {
        for (int x = 0; x < SPRITE_FRAME; x++) {
            double nx, ny;
            if (part_normal(p, x + 0.5, y + 0.5, &nx, &ny)) {
                mine[y][x] = 1;
                put(f, x, y, shade(p, nx, ny));
            }
        }
    }
    // Where this part lies over earlier ones, a seam in its own line colour
    // keeps the two apart.
    for (int y = 0; y < SPRITE_FRAME; y++) {
        for (int x = 0; x < SPRITE_FRAME; x++) {
            if (mine[y][x] || !f->covered[y][x])
                continue;
            int next = (x > 0 && mine[y][x - 1]) || (x < SPRITE_FRAME - 1 && mine[y][x + 1]) ||
                       (y > 0 && mine[y - 1][x]) || (y < SPRITE_FRAME - 1 && mine[y + 1][x]);
            if (next)
                put(f, x, y, p->colours->line);
        }
    }
}

// Small pixel maps for the face, placed with their top-left corner at (x, y):
// P pupil, W white, M mouth, T tongue, C cheek, S sweat; anything else is left alone.
static void stamp(frame* f, int x, int y, const char* const* rows, int count, int mirror)
{
    for (int r = 0; r < count; r++) {
        int width = 0;
        while (rows[r][width])
            width++;
        for (int c = 0; c < width; c++) {
            char k = rows[r][mirror ? width - 1 - c : c];
            uint32_t colour = k == 'P' ? EYE : k == 'W' ? EYE_WHITE : k == 'M' ? MOUTH
                            : k == 'T' ? TONGUE : k == 'C' ? CHEEK : k == 'S' ? SWEAT_DROP : 0xFFFFFFFF;
            if (colour != 0xFFFFFFFF)
                put(f, x + c, y + r, colour);
        }
    }
}

static const char* const EYE_OPEN[] = {".PP.", "PWPP", "PPPP", "PPPP", "PPPP", ".PP."};
static const char* const EYE_SHUT[] = {"P..P", ".PP."};
static const char* const EYE_UP[] = {".PP.", "PWWP", "PWPP", "PPPP", "PPPP", ".PP."};
static const char* const BROW_WORRIED[] = {"..PP", "PP.."};
static const char* const MOUTH_SMILE[] = {"M...M", ".MMM."};
static const char* const MOUTH_OPEN[] = {"MMMMM", "MTTTM", ".MTM."};
static const char* const MOUTH_WOBBLE[] = {".M.M.", "M.M.M"};
static const char* const SWEAT[] = {".S.", "SSS", "SWS", ".S."};
static const char* const CHEEKS[] = {"CC"};

// Closes the figure with a one-pixel outline on magenta pixels that touch it.
static void outline(frame* f)
{
    uint8_t ring[SPRITE_FRAME][SPRITE_FRAME] = {};
    for (int y = 0; y < SPRITE_FRAME; y++) {
        for (int x = 0; x < SPRITE_FRAME; x++) {
            if (f->covered[y][x])
                continue;
            ring[y][x] = (x > 0 && f->covered[y][x - 1]) || (x < SPRITE_FRAME - 1 && f->covered[y][x + 1]) ||
                         (y > 0 && f->covered[y - 1][x]) || (y < SPRITE_FRAME - 1 && f->covered[y + 1][x]);
        }
    }
    for (int y = 0; y < SPRITE_FRAME; y++)
        for (int x = 0; x < SPRITE_FRAME; x++)
            if (ring[y][x])
                put(f, x, y, OUTLINE);
}

// The four poses. The standing frames keep the soles on the bottom row, the
// row that rests on the floor; the body shares one outline with the feet.
// Every part stays half a pixel inside the frame's edges so that the outline
// always closes: a part reaching the edge would look cut off in flight.
static void draw_standing(frame* f, int blink)
{
    part parts[] = {
        ellipse(10.5, 30.5, 4.6, 2.8, &FEET),
        ellipse(23.5, 30.5, 4.6, 2.8, &FEET),
        ellipse(4.0, 22.5, 2.6, 3.4, &BODY),
        ellipse(30.0, 22.5, 2.6, 3.4, &BODY),
        ellipse(17.0, 20.0, 13.0, 11.2, &BODY),
        stroke(17.0, 9.5, 18.0, 5.5, 0.9, &STEM),
        ellipse(21.5, 4.6, 3.6, 2.2, &LEAF),
    };
    for (const part& p : parts)
        draw_part(f, &p);
    if (blink) {
        stamp(f, 10, 19, EYE_SHUT, 2, 0);
        stamp(f, 20, 19, EYE_SHUT, 2, 0);
    } else {
        stamp(f, 10, 15, EYE_OPEN, 6, 0);
        stamp(f, 20, 15, EYE_OPEN, 6, 0);
    }
    stamp(f, 15, 22, MOUTH_SMILE, 2, 0);
    stamp(f, 7, 22, CHEEKS, 1, 0);
    stamp(f, 25, 22, CHEEKS, 1, 0);
    outline(f);
}

static void draw_rising(frame* f)
{
    part parts[] = {
        ellipse(12.5, 30.8, 3.0, 2.4, &FEET),
        ellipse(21.5, 30.8, 3.0, 2.4, &FEET),
        stroke(7.5, 15.0, 3.0, 5.0, 2.0, &BODY),
        stroke(26.5, 15.0, 31.0, 5.0, 2.0, &BODY),
        ellipse(17.0, 18.5, 10.2, 12.8, &BODY),
        stroke(17.0, 6.2, 14.5, 2.5, 0.9, &STEM),
        ellipse(11.8, 2.4, 3.2, 1.8, &LEAF),
    };
    for (const part& p : parts)
        draw_part(f, &p);
    stamp(f, 11, 11, EYE_UP, 6, 0);
    stamp(f, 19, 11, EYE_UP, 6, 1);
    stamp(f, 15, 20, MOUTH_OPEN, 3, 0);
    stamp(f, 9, 18, CHEEKS, 1, 0);
    stamp(f, 23, 18, CHEEKS, 1, 0);
    outline(f);
}

static void draw_falling(frame* f)
{
    part parts[] = {
        ellipse(9.5, 31.0, 4.2, 2.4, &FEET),
        ellipse(24.5, 31.0, 4.2, 2.4, &FEET),
        stroke(5.5, 19.0, 2.6, 11.0, 1.7, &BODY),
        stroke(28.5, 19.0, 31.4, 11.0, 1.7, &BODY),
        ellipse(17.0, 22.0, 14.2, 9.8, &BODY),
        stroke(17.0, 12.5, 17.0, 7.5, 0.9, &STEM),
        ellipse(17.0, 5.2, 1.9, 3.0, &LEAF),
    };
    for (const part& p : parts)
        draw_part(f, &p);
    stamp(f, 9, 14, BROW_WORRIED, 2, 0);
    stamp(f, 21, 14, BROW_WORRIED, 2, 1);
    stamp(f, 10, 17, EYE_UP, 6, 0);
    stamp(f, 20, 17, EYE_UP, 6, 1);
    stamp(f, 15, 24, MOUTH_WOBBLE, 2, 0);
    stamp(f, 7, 23, CHEEKS, 1, 0);
    stamp(f, 25, 23, CHEEKS, 1, 0);
    stamp(f, 27, 6, SWEAT, 4, 0);
    outline(f);
}

picture make_sprite_sheet()
{
    picture sheet = make_picture(SPRITE_FRAME * SPRITE_FRAMES, SPRITE_FRAME, MAGENTA);
    for (int i = 0; i < SPRITE_FRAMES; i++) {
        frame f{&sheet, SPRITE_FRAME * i, {}};
        if (i < 2)
            draw_standing(&f, i == 1);
        else if (i == 2)
            draw_rising(&f);
        else
            draw_falling(&f);
    }
    return sheet;
}
