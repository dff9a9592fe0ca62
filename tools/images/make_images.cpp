// make_images.cpp -- makes the five pictures of resources/data: three checkerboards, the background and the sprite sheet
//
// Usage: make_images OUT_DIR [--png SHEET.png] [--mock MOCK.png]
//
// Writes ristikko.bmp, ruudut_alpha.bmp, ruudut_layer.bmp, tausta.bmp and
// bub.bmp into OUT_DIR. The same program always writes the same bytes: no
// clock, no unseeded randomness. --png writes a contact sheet for review and
// --mock the background as the running intro would first show it (boards in
// the text window, the sprite on its floor, and sample lines in the fonts
// when OUT_DIR already holds font.bmp and minifontti.bmp).
#include "common/png_file.h"
#include "effects/layout.h"
#include "effects/sprite.h"
#include "tools/common/bmp_file.h"
#include "tools/common/picture.h"
#include "tools/images/image_logo.h"
#include "tools/images/image_sprite.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

// Frame around the text window: FRAME_W pixels wide, just outside it.
static constexpr int FRAME_W = 8;
static constexpr int LOGO_TOP = 10;

//----------------------------------------------------------------------------------
// Checkerboards
//----------------------------------------------------------------------------------

// An exact checker of square x square cells, first at the top-left corner.
static picture make_checker(int width, int height, int square, uint32_t first, uint32_t second)
{
    picture image = make_picture(width, height, first);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            if ((x / square + y / square) % 2)
                set_pixel(&image, x, y, second);
    return image;
}

//----------------------------------------------------------------------------------
// Background
//----------------------------------------------------------------------------------

// The night sky everything sits on: deep indigo, lightest a little above the middle.
static uint32_t sky_at(int y)
{
    static const uint32_t STOPS[] = {0x05031A, 0x120A34, 0x1E1046, 0x180C3A, 0x0A0620};
    return ramp_rgb(STOPS, 5, y, SCREEN_HEIGHT - 1);
}

static int in_rect(int x, int y, int rx, int ry, int rw, int rh)
{
    return x >= rx && y >= ry && x < rx + rw && y < ry + rh;
}

static void add_glow(picture* image, int x, int y, uint32_t colour, int num, int den)
{
    uint32_t here = pixel_at(image, x, y);
    set_pixel(image, x, y, mix_rgb(here, colour, num, den));
}

// Sparse stars of a few sizes; none on the frame, the band or its rails,
// where they would read as dirt.
static void draw_stars(picture* image)
{
    static const uint32_t TINTS[] = {0xFFFFFF, 0xC8D8FF, 0xE8D0FF, 0xFFF0D8};
    uint32_t seed = 0x5EED1234;
    for (int i = 0; i < 420; i++) {
        int x = int(next_noise(&seed) % SCREEN_WIDTH);
        int y = int(next_noise(&seed) % SCREEN_HEIGHT);
        int kind = int(next_noise(&seed) % 100);
        uint32_t tint = TINTS[next_noise(&seed) % 4];
        if (in_rect(x, y, text_window.x - FRAME_W - 3, text_window.y - FRAME_W - 3,
                    text_window.w + 2 * FRAME_W + 12, text_window.h + 2 * FRAME_W + 12))
            continue;
        if (y >= scroll_band.y - 10 && y < scroll_band.y + scroll_band.h + 10)
            continue;
        if (kind < 70) {
            add_glow(image, x, y, tint, 3 + kind % 5, 12);          // faint dust
        } else if (kind < 95) {
            add_glow(image, x, y, tint, 9, 12);                      // plain star
        } else {
            add_glow(image, x, y, tint, 1, 1);                       // bright star with a cross
            for (int d = 1; d <= 2; d++) {
                int strength = d == 1 ? 6 : 2;
                add_glow(image, x - d, y, tint, strength, 12);
                add_glow(image, x + d, y, tint, strength, 12);
                add_glow(image, x, y - d, tint, strength, 12);
                add_glow(image, x, y + d, tint, strength, 12);
            }
        }
    }
}

// A bevelled frame of FRAME_W pixels around the rectangle, raised on the outside
// and sunken towards the window, so the boards look set into the picture.
static void draw_frame(picture* image, int x, int y, int w, int h)
{
    const int ox = x - FRAME_W, oy = y - FRAME_W, ow = w + 2 * FRAME_W, oh = h + 2 * FRAME_W;
    // Drop shadow first, down and right.
    for (int py = oy + 6; py < oy + oh + 6; py++)
        for (int px = ox + 6; px < ox + ow + 6; px++)
            if (!in_rect(px, py, ox, oy, ow, oh))
                set_pixel(image, px, py, scale_rgb(pixel_at(image, px, py), 2, 5));

    static const uint32_t FACE[] = {0x8C78C8, 0x5E4A9A, 0x3E2E72, 0x5E4A9A, 0x8C78C8};
    for (int py = oy; py < oy + oh; py++) {
        for (int px = ox; px < ox + ow; px++) {
            if (in_rect(px, py, x, y, w, h))
                continue;
            int left = px - ox, top = py - oy, right = ox + ow - 1 - px, bottom = oy + oh - 1 - py;
            int ring = std::min(std::min(left, right), std::min(top, bottom));
            // Which side the pixel belongs to: the nearest edge; the corners split on the diagonal.
            int top_left = std::min(left, top) <= std::min(right, bottom);
            if (ring >= FRAME_W / 2) {
                // Inner half: measured from the window edge instead.
                int il = x - 1 - px, it = y - 1 - py, ir = px - (x + w), ib = py - (y + h);
                top_left = std::max(il, it) >= std::max(ir, ib);
                ring = FRAME_W - 1 - std::max(std::max(il, ir), std::max(it, ib));
            }
            // Lit from the upper left: the outer bevel rises (bright on the top
            // and left), the inner one falls into the window (dark there).
            uint32_t colour;
            if (ring == 0 || ring == FRAME_W - 1)
                colour = 0x0A0618;
            else if (ring == 1)
                colour = top_left ? 0xF0E6FF : 0x4A3878;
            else if (ring == FRAME_W - 2)
                colour = top_left ? 0x4A3878 : 0xE0D4FF;
            else
                colour = ramp_rgb(FACE, 5, py - oy, oh - 1);
            if (ring == 2 && top_left)
                colour = mix_rgb(colour, 0xFFFFFF, 1, 3);
            set_pixel(image, px, py, colour);
        }
    }
    // Rivets in the frame's corners and halfway along each side.
    const int cx[3] = {ox + FRAME_W / 2, ox + ow / 2, ox + ow - 1 - FRAME_W / 2};
    const int cy[3] = {oy + FRAME_W / 2, oy + oh / 2, oy + oh - 1 - FRAME_W / 2};
    for (int i = 0; i < 3; i++) {
        for (int j = 0; j < 3; j++) {
            if (i == 1 && j == 1)
                continue;
            int px = cx[i], py = cy[j];
            set_pixel(image, px - 1, py - 1, 0xFFFFFF);
            set_pixel(image, px, py - 1, 0xE0D4FF);
            set_pixel(image, px - 1, py, 0xE0D4FF);
            set_pixel(image, px, py, 0x6A5498);
            set_pixel(image, px + 1, py, 0x2A1E4A);
            set_pixel(image, px, py + 1, 0x2A1E4A);
            set_pixel(image, px + 1, py + 1, 0x2A1E4A);
        }
    }
}

// A colour around the hue circle for position t of scale, rich but never magenta.
static uint32_t rainbow_at(int t, int scale)
{
    static const uint32_t HUES[] = {0xFF3A3A, 0xFFA020, 0xFFF040, 0x40F060, 0x30E0F0,
                                    0x4070FF, 0xB050FF, 0xFF3A9A, 0xFF3A3A};
    return ramp_rgb(HUES, 9, t, scale);
}

// The band behind the scroller: dark glass between two metal rails. The upper
// rail's top row is the floor the sprite stands on.
static void draw_band(picture* image)
{
    static const uint32_t RAIL[] = {0xF4ECFF, 0xC4B0F0, 0x9A82D2, 0x6A54A8, 0x3A2A6A, 0x0A0618};
    const int upper = sprite_column.h;               // rows 531..536
    const int lower = scroll_band.y + scroll_band.h;        // rows 578..583
    for (int x = 0; x < SCREEN_WIDTH; x++) {
        for (int i = 0; i < 6; i++) {
            set_pixel(image, x, upper + i, RAIL[i]);
            set_pixel(image, x, lower + 5 - i, i == 0 ? 0x0A0618 : RAIL[i == 5 ? 0 : i]);
        }
        // A thin rainbow rule just inside each rail, sliding through the hues.
        set_pixel(image, x, upper + 4, scale_rgb(rainbow_at(x, SCREEN_WIDTH - 1), 3, 4));
        set_pixel(image, x, lower + 1, scale_rgb(rainbow_at(SCREEN_WIDTH - 1 - x, SCREEN_WIDTH - 1), 3, 4));
    }
    static const uint32_t GLASS[] = {0x04020E, 0x0C0824, 0x140E34, 0x0C0824, 0x04020E};
    for (int y = scroll_band.y; y < scroll_band.y + scroll_band.h; y++) {
        uint32_t colour = ramp_rgb(GLASS, 5, y - scroll_band.y, scroll_band.h - 1);
        for (int x = 0; x < SCREEN_WIDTH; x++)
            set_pixel(image, x, y, colour);
    }
}

// A small ringed planet for the empty right-hand margin, lit from the upper
// left in hard tones like the logo; the ring passes behind it above and in front below.
static void draw_planet(picture* image, int cx, int cy)
{
    static const uint32_t TONES[] = {0x2A1430, 0x6A2C3C, 0xB05A48, 0xE4966A, 0xFFD4A0};
    const int radius = 17, ring_rx = 31, ring_ry = 6;
    auto ring_at = [&](int x, int y) {
        // Inside the outer ellipse and outside the inner one, in integers.
        int dx = x - cx, dy = y - cy;
        int outer = dx * dx * ring_ry * ring_ry + dy * dy * ring_rx * ring_rx;
        int limit = ring_rx * ring_rx * ring_ry * ring_ry;
        int inner_rx = ring_rx - 6, inner_ry = ring_ry - 2;
        int inner = dx * dx * inner_ry * inner_ry + dy * dy * inner_rx * inner_rx;
        return outer <= limit && inner > inner_rx * inner_rx * inner_ry * inner_ry;
    };
    auto ring_colour = [&](int x) {
        int t = x - (cx - ring_rx);
        return mix_rgb(0x7A6AA8, 0xD8CCF4, t < ring_rx ? ring_rx - t : t - ring_rx, ring_rx);
    };
    for (int y = cy - ring_ry; y <= cy; y++)
        for (int x = cx - ring_rx; x <= cx + ring_rx; x++)
            if (ring_at(x, y))
                set_pixel(image, x, y, ring_colour(x));
    for (int y = cy - radius; y <= cy + radius; y++) {
        for (int x = cx - radius; x <= cx + radius; x++) {
            int dx = x - cx, dy = y - cy;
            int d2 = dx * dx + dy * dy;
            if (d2 > radius * radius)
                continue;
            // Light from the upper left: distance from a point up-left of the centre.
            int lx = x - (cx - radius / 2), ly = y - (cy - radius / 2);
            int lit = lx * lx + ly * ly;
            int tone = lit < 40 ? 4 : lit < 200 ? 3 : lit < 480 ? 2 : lit < 800 ? 1 : 0;
            // Bands across the disc, as on a gas giant.
            if (tone > 0 && tone < 4 && ((dy + radius) / 5) % 2 == 1)
                tone--;
            set_pixel(image, x, y, d2 > (radius - 1) * (radius - 1) && tone > 1 ? TONES[tone - 1] : TONES[tone]);
        }
    }
    for (int y = cy + 1; y <= cy + ring_ry; y++)
        for (int x = cx - ring_rx; x <= cx + ring_rx; x++)
            if (ring_at(x, y))
                set_pixel(image, x, y, ring_colour(x));
}

// Two soft copper bars behind the logo, one through its horizon and one at
// its foot: each a per-row ramp that swells to the middle and fades to the
// sky at its edges, mixed into the sky so that the stars stay faintly visible.
static void draw_logo_bars(picture* image)
{
    static const struct { int centre, half; uint32_t colour; } BARS[] = {
        {LOGO_TOP + 35, 9, 0x6A2A8A},
        {LOGO_TOP + 64, 6, 0x3A2A8A},
    };
    for (const auto& bar : BARS) {
        for (int dy = -bar.half; dy <= bar.half; dy++) {
            int strength = bar.half + 1 - (dy < 0 ? -dy : dy);
            int y = bar.centre + dy;
            for (int x = 0; x < SCREEN_WIDTH; x++) {
                // Fade out towards both screen edges over 160 pixels.
                int edge = std::min(x, SCREEN_WIDTH - 1 - x);
                int fade = std::min(edge, 160);
                add_glow(image, x, y, bar.colour, strength * fade, (bar.half + 1) * 160 * 2);
            }
        }
    }
}

// A four-pointed glint: a white centre and arms that thin out.
static void draw_glint(picture* image, int x, int y, int arm)
{
    add_glow(image, x, y, 0xFFFFFF, 1, 1);
    for (int d = 1; d <= arm; d++) {
        int strength = arm + 1 - d;
        add_glow(image, x - d, y, 0xFFFFFF, strength, arm + 1);
        add_glow(image, x + d, y, 0xFFFFFF, strength, arm + 1);
        add_glow(image, x, y - d, 0xFFFFFF, strength, arm + 1);
        add_glow(image, x, y + d, 0xFFFFFF, strength, arm + 1);
    }
    add_glow(image, x - 1, y - 1, 0xFFFFFF, 1, 2);
    add_glow(image, x + 1, y - 1, 0xFFFFFF, 1, 2);
    add_glow(image, x - 1, y + 1, 0xFFFFFF, 1, 2);
    add_glow(image, x + 1, y + 1, 0xFFFFFF, 1, 2);
}

static picture make_background()
{
    picture image = make_picture(SCREEN_WIDTH, SCREEN_HEIGHT, 0);
    for (int y = 0; y < SCREEN_HEIGHT; y++)
        for (int x = 0; x < SCREEN_WIDTH; x++)
            set_pixel(&image, x, y, sky_at(y));
    draw_stars(&image);
    draw_planet(&image, 754, 168);
    draw_frame(&image, text_window.x, text_window.y, text_window.w, text_window.h);
    // The window itself is always covered by the boards; a flat tone keeps it quiet if it ever shows.
    fill_rect(&image, text_window.x, text_window.y, text_window.w, text_window.h, 0xC0A8F2);
    draw_band(&image);
    draw_logo_bars(&image);
    draw_logo(&image, LOGO_TOP);
    // Glints where the chrome catches the light: on the corners of a few letters.
    draw_glint(&image, 99, LOGO_TOP + 1, 5);
    draw_glint(&image, 472, LOGO_TOP + 1, 4);
    draw_glint(&image, 701, LOGO_TOP + 1, 4);
    // The background is drawn unkeyed but must never contain the key colour.
    for (int y = 0; y < SCREEN_HEIGHT; y++)
        for (int x = 0; x < SCREEN_WIDTH; x++)
            if (pixel_at(&image, x, y) == MAGENTA)
                set_pixel(&image, x, y, 0xFF00FE);
    return image;
}

//----------------------------------------------------------------------------------
// Review pictures
//----------------------------------------------------------------------------------

static const int BIG_CELL = 41, BIG_COLUMNS = 14;
static const int MINI_W = 10, MINI_H = 15;

static void draw_big_text(picture* target, const picture* font, int x, int y, const char* text)
{
    for (const char* p = text; *p; p++, x += BIG_CELL) {
        int c = *p >= 'a' && *p <= 'z' ? *p - 32 : *p;
        int k = c - 32;
        if (k < 0 || k >= 70)
            continue;
        copy_rect(target, font, BIG_CELL * (k % BIG_COLUMNS), BIG_CELL * (k / BIG_COLUMNS),
                  BIG_CELL, BIG_CELL, x, y, 1);
    }
}

static void draw_mini_text(picture* target, const picture* font, int x, int y, const char* text)
{
    for (const char* p = text; *p; p++, x += MINI_W) {
        int c = *p >= 'a' && *p <= 'z' ? *p - 32 : *p;
        if (c >= 32 && c < 95)
            copy_rect(target, font, (c - 32) * MINI_W, 0, MINI_W, MINI_H, x, y, 1);
    }
}

// The first frame of the intro as far as these pictures decide it.
static picture make_mock(const picture* background, const picture* layer, const picture* overlay,
                         const picture* sprites, const std::string& font_dir)
{
    picture mock = *background;
    copy_rect(&mock, layer, 0, 0, text_window.w, text_window.h, text_window.x, text_window.y, 0);
    copy_rect(&mock, overlay, 0, 0, text_window.w, text_window.h, text_window.x, text_window.y, 1);
    copy_rect(&mock, sprites, 0, 0, SPRITE_FRAME, SPRITE_FRAME, sprite_column.x, SPRITE_FLOOR_Y, 1);
    picture big, mini;
    if (read_bmp((font_dir + "/font.bmp").c_str(), &big) && big.width == 640 && big.height == 480)
        draw_big_text(&mock, &big, 12, scroll_band.y, "HELLO THERE, SCROLLING ALONG!");
    if (read_bmp((font_dir + "/minifontti.bmp").c_str(), &mini) && mini.width == 630 && mini.height == 15) {
        static const char* const LINES[] = {"A PAGE OF TEXT IN THE SMALL FONT", "",
                                            "LINES SLIDE IN FROM BOTH SIDES,", "HOLD A WHILE AND DROP AWAY.",
                                            "", "0123456789 !?.,:;()'-+"};
        for (int i = 0; i < 6; i++)
            draw_mini_text(&mock, &mini, text_window.x + 130, text_window.y + 140 + 20 * i, LINES[i]);
    }
    return mock;
}

static void paste(picture* sheet, const picture* image, int x, int y)
{
    copy_rect(sheet, image, 0, 0, image->width, image->height, x, y, 0);
}

static picture crop(const picture* image, int x, int y, int w, int h)
{
    picture part = make_picture(w, h, 0);
    copy_rect(&part, image, x, y, w, h, 0, 0, 0);
    return part;
}

// Everything on one page: the mock and the bare background, the logo
// enlarged, the sprite's corner and the sprite frames large (on magenta and on
// the sky), and the three boards at half size.
static picture make_contact_sheet(const picture* mock, const picture* background, const picture* ristikko,
                                  const picture* alpha, const picture* layer, const picture* sprites)
{
    picture sheet = make_picture(1610, 1460, 0x303030);
    paste(&sheet, mock, 0, 0);
    paste(&sheet, background, 810, 0);

    picture logo = crop(mock, 0, 0, SCREEN_WIDTH, 92);
    picture logo_big = enlarge(&logo, 2);
    paste(&sheet, &logo_big, 5, 610);

    picture corner = crop(mock, 0, 470, 200, 130);
    picture corner_big = enlarge(&corner, 3);
    paste(&sheet, &corner_big, 0, 804);

    picture sprites_big = enlarge(sprites, 5);
    paste(&sheet, &sprites_big, 610, 804);
    picture on_sky = make_picture(sprites->width, sprites->height, 0);
    for (int i = 0; i < SPRITE_FRAMES; i++)
        copy_rect(&on_sky, background, sprite_column.x, 300, SPRITE_FRAME, SPRITE_FRAME, SPRITE_FRAME * i, 0, 0);
    copy_rect(&on_sky, sprites, 0, 0, sprites->width, sprites->height, 0, 0, 1);
    picture on_sky_big = enlarge(&on_sky, 5);
    paste(&sheet, &on_sky_big, 610, 984);

    picture r = halve(ristikko), a = halve(alpha), l = halve(layer);
    paste(&sheet, &r, 0, 1204);
    paste(&sheet, &a, 335, 1204);
    paste(&sheet, &l, 695, 1204);
    return sheet;
}

//----------------------------------------------------------------------------------
// Entry point
//----------------------------------------------------------------------------------

static int write_bmp_file(const std::string& dir, const char* name, const picture* image)
{
    std::string path = dir + "/" + name;
    if (!write_bmp(path.c_str(), image, 0)) {
        std::fprintf(stderr, "make_images: cannot write %s\n", path.c_str());
        return 0;
    }
    return 1;
}

int main(int argc, char** argv)
{
    // Initialization
    std::string out_dir, sheet_path, mock_path;
    for (int i = 1; i < argc; i++) {
        if (!std::strcmp(argv[i], "--png") && i + 1 < argc)
            sheet_path = argv[++i];
        else if (!std::strcmp(argv[i], "--mock") && i + 1 < argc)
            mock_path = argv[++i];
        else if (argv[i][0] != '-' && out_dir.empty())
            out_dir = argv[i];
        else {
            out_dir.clear();
            break;
        }
    }
    if (out_dir.empty()) {
        std::fprintf(stderr, "usage: make_images OUT_DIR [--png SHEET.png] [--mock MOCK.png]\n");
        return 2;
    }

    // Draw
    picture ristikko = make_checker(650, 450, 50, 0xC8B8DE, 0xDFCDF7);
    picture alpha = make_checker(700, 500, 50, MAGENTA, 0xDFCDF7);
    picture layer = make_checker(700, 500, 25, 0xC0A8F2, 0xCDB3FB);
    picture background = make_background();
    picture sprites = make_sprite_sheet();

    // Write
    if (!write_bmp_file(out_dir, "ristikko.bmp", &ristikko) ||
        !write_bmp_file(out_dir, "ruudut_alpha.bmp", &alpha) ||
        !write_bmp_file(out_dir, "ruudut_layer.bmp", &layer) ||
        !write_bmp_file(out_dir, "tausta.bmp", &background) ||
        !write_bmp_file(out_dir, "bub.bmp", &sprites))
        return 1;

    if (!sheet_path.empty() || !mock_path.empty()) {
        picture mock = make_mock(&background, &layer, &alpha, &sprites, out_dir);
        if (!mock_path.empty() && !write_png_rgb(mock_path.c_str(), mock.width, mock.height, mock.rgb.data())) {
            std::fprintf(stderr, "make_images: cannot write %s\n", mock_path.c_str());
            return 1;
        }
        if (!sheet_path.empty()) {
            picture sheet = make_contact_sheet(&mock, &background, &ristikko, &alpha, &layer, &sprites);
            if (!write_png_rgb(sheet_path.c_str(), sheet.width, sheet.height, sheet.rgb.data())) {
                std::fprintf(stderr, "make_images: cannot write %s\n", sheet_path.c_str());
                return 1;
            }
        }
    }
    return 0;
}
