// font_review.cpp -- renders review pictures of the font sheets and the texts as PNG files
//
//   font_review DATA_DIR OUT_PREFIX
//
// Reads minifontti.bmp, font.bmp, text1.txt and text2.txt from DATA_DIR and
// writes OUT_PREFIX-sheet.png (both sheets, enlarged, on grey), OUT_PREFIX-pages.png
// (every page of the page text set in the small font on a lilac checker, the way
// the text window shows it at rest) and OUT_PREFIX-scroll.png (the scroll text
// in the big font, cut into screen-wide stretches on a dark band). For looking
// at, not for the archive.
#include "common/png_file.h"
#include "effects/glyphs.h"
#include "tools/common/bmp_file.h"
#include "tools/common/file_bytes.h"

#include <cstdio>
#include <string>
#include <vector>

// Copies the rectangle (sx, sy, w, h) of src to (dx, dy) of dst, magenta transparent, enlarged by scale.
static void blit_keyed(const picture* src, int sx, int sy, int w, int h, picture* dst, int dx, int dy, int scale)
{
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            if (sx + x < 0 || sy + y < 0 || sx + x >= src->width || sy + y >= src->height)
                continue;
            const uint32_t c = pixel_at(src, sx + x, sy + y);
            if (c == MAGENTA)
                continue;
            for (int j = 0; j < scale; j++)
                for (int i = 0; i < scale; i++)
                    set_pixel(dst, dx + x * scale + i, dy + y * scale + j, c);
        }
}

// The text window at rest: the 25-pixel board with the keyed 50-pixel board over it.
static void paint_window_checker(picture* dst, int ox, int oy)
{
    for (int y = 0; y < 400; y++)
        for (int x = 0; x < 600; x++) {
            uint32_t c = ((x / 25 + y / 25) & 1) ? 0xCDB3FB : 0xC0A8F2;
            if ((x / 50 + y / 50) & 1)
                c = 0xDFCDF7;
            set_pixel(dst, ox + x, oy + y, c);
        }
}

static void draw_page(const picture* font, const std::vector<uint8_t>& text, size_t* at, picture* dst, int ox, int oy)
{
    int lines = 1, widest = 0, width = 0;
    for (size_t i = *at; i < text.size() && text[i] != 0xA4 && text[i] != 0; i++) {
        if (text[i] == '\n') {
            lines++;
            width = 0;
        } else if (text[i] != '\r') {
            width++;
        }
        if (width > widest)
            widest = width;
    }
    const int origin_x = (600 - 10 * widest) / 2, origin_y = (400 - 15 * lines) / 2;
    int pen_x = origin_x, pen_y = origin_y;
    while (*at < text.size()) {
        const uint8_t b = text[(*at)++];
        if (b == 0xA4)
            break;
        if (b == '\n') {
            pen_x = origin_x;
            pen_y += 15;
        } else if (b != '\r') {
            const int cell = b >= 32 ? mini_glyph_cell(b) : -1;
            if (cell >= 0)
                blit_keyed(font, cell * 10, 0, 10, 15, dst, ox + pen_x, oy + pen_y, 1);
            pen_x += 10;
        }
    }
}

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: font_review DATA_DIR OUT_PREFIX\n");
        return 2;
    }
    const std::string dir = argv[1], prefix = argv[2];
    picture mini, big;
    if (!read_bmp((dir + "/minifontti.bmp").c_str(), &mini) || !read_bmp((dir + "/font.bmp").c_str(), &big)) {
        std::fprintf(stderr, "font_review: cannot read the font sheets in %s\n", dir.c_str());
        return 1;
    }
    const std::vector<uint8_t> page_text = file_bytes((dir + "/text1.txt").c_str());
    const std::vector<uint8_t> scroll_text = file_bytes((dir + "/text2.txt").c_str());

    // Sheets: the small font at 4x in three rows of 21 cells, the big one at 2x.
    picture sheet = make_picture(1180, 3 * 68 + 30 + 5 * 41 * 2 + 20, 0x606068);
    for (int k = 0; k < 63; k++)
        blit_keyed(&mini, k * 10, 0, 10, 15, &sheet, 10 + (k % 21) * 52, 10 + (k / 21) * 68, 4);
    blit_keyed(&big, 0, 0, 574, 205, &sheet, 10, 3 * 68 + 30, 2);

    // Pages: two columns of 600x400 windows.
    picture pages = make_picture(2 * 600 + 30, 4 * 400 + 50, 0x303030);
    size_t at = 0;
    for (int page = 0; page < 7 && at < page_text.size(); page++) {
        const int ox = 10 + (page % 2) * 610, oy = 10 + (page / 2) * 410;
        paint_window_checker(&pages, ox, oy);
        draw_page(&mini, page_text, &at, &pages, ox, oy);
    }

    // Scroll text: 41-pixel slots, twenty to a band, the first eight bands.
    std::vector<uint8_t> slots;
    for (uint8_t b : scroll_text)
        if (b != '\r')
            slots.push_back(b == '\n' ? ' ' : b);
    const int per_band = 20, bands = int((slots.size() + per_band - 1) / per_band);
    const int shown = bands < 1 ? 1 : (bands < 8 ? bands : 8);
    picture scroll = make_picture(per_band * 41, shown * 45, 0x100820);
    for (int band = 0; band < shown; band++) {
        for (int y = 0; y < 41; y++)
            for (int x = 0; x < per_band * 41; x++)
                set_pixel(&scroll, x, band * 45 + y, 0x241440 + (y / 8) * 0x060306);
        for (int i = 0; i < per_band && band * per_band + i < int(slots.size()); i++) {
            const int cell = big_glyph_cell(slots[size_t(band) * per_band + i]);
            if (cell >= 0)
                blit_keyed(&big, (cell % 14) * 41, (cell / 14) * 41, 41, 41, &scroll, i * 41, band * 45, 1);
        }
    }

    if (!write_png_rgb((prefix + "-sheet.png").c_str(), sheet.width, sheet.height, sheet.rgb.data()) ||
        !write_png_rgb((prefix + "-pages.png").c_str(), pages.width, pages.height, pages.rgb.data()) ||
        !write_png_rgb((prefix + "-scroll.png").c_str(), scroll.width, scroll.height, scroll.rgb.data())) {
        std::fprintf(stderr, "font_review: cannot write %s-*.png\n", prefix.c_str());
        return 1;
    }
    return 0;
}
