// make_icons.cpp -- draws the desktop icons, the critter standing, at every hicolor size
//
// Usage: make_icons OUT_DIR
//
// Writes OUT_DIR/NxN/apps/swayboard.png for each size N of ICON_SIZES: RGBA PNG,
// the standing frame of the sprite sheet centred on a transparent ground. The
// same program always writes the same bytes.
#include "common/png_file.h"
#include "tools/images/image_sprite.h"

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

// The sizes a desktop looks for in the hicolor theme.
static const int ICON_SIZES[] = {16, 22, 24, 32, 48, 64, 128, 256};

// The figure's longer side fills FILL_NUM / FILL_DEN of the icon; the rest is margin.
static constexpr int FILL_NUM = 7;
static constexpr int FILL_DEN = 8;
// A whole-factor enlargement keeps every sprite pixel a sharp square. It is taken
// when it fills at least this share of the room; below that the figure would sit
// small in a wide empty square, so it is resampled to the full room instead.
static constexpr double CRISP_SHARE = 0.85;

// The standing, eyes-open pose: the first frame of the sheet.
static constexpr int STANDING_FRAME = 0;

struct box {
    int x, y, w, h;
};

struct icon {
    int size;
    std::vector<uint8_t> rgba;   // size x size pixels, rows top first
};

// The smallest rectangle of the frame holding every non-magenta pixel.
static box figure_box(const picture* sheet, int frame)
{
    int left = SPRITE_FRAME, top = SPRITE_FRAME, right = -1, bottom = -1;
    for (int y = 0; y < SPRITE_FRAME; y++) {
        for (int x = 0; x < SPRITE_FRAME; x++) {
            if (pixel_at(sheet, frame * SPRITE_FRAME + x, y) == MAGENTA)
                continue;
            left = x < left ? x : left;
            right = x > right ? x : right;
            top = y < top ? y : top;
            bottom = y > bottom ? y : bottom;
        }
    }
    return box{frame * SPRITE_FRAME + left, top, right - left + 1, bottom - top + 1};
}

static void put_rgba(icon* out, int x, int y, uint32_t colour, int alpha)
{
    uint8_t* p = &out->rgba[4 * (size_t(y) * size_t(out->size) + size_t(x))];
    p[0] = uint8_t(colour >> 16);
    p[1] = uint8_t(colour >> 8);
    p[2] = uint8_t(colour);
    p[3] = uint8_t(alpha);
}

// Every sprite pixel becomes a factor x factor block; magenta becomes transparent.
static void paint_crisp(icon* out, const picture* sheet, box figure, int factor)
{
    int left = (out->size - figure.w * factor) / 2;
    int top = (out->size - figure.h * factor) / 2;
    for (int y = 0; y < figure.h * factor; y++) {
        for (int x = 0; x < figure.w * factor; x++) {
            uint32_t colour = pixel_at(sheet, figure.x + x / factor, figure.y + y / factor);
            if (colour != MAGENTA)
                put_rgba(out, left + x, top + y, colour, 255);
        }
    }
}

// Each icon pixel takes the sprite's colours weighted by the area of it that falls
// on them; its opacity is the share of that area the figure covers.
// NOTE: the colours are averaged over the covered part only (weighted by opacity),
// so that the magenta ground never bleeds into the figure's edge.
static void paint_resampled(icon* out, const picture* sheet, box figure, double scale)
{
    int width = int(std::lround(figure.w * scale));
    int height = int(std::lround(figure.h * scale));
    int left = (out->size - width) / 2;
    int top = (out->size - height) / 2;
    double step_x = double(figure.w) / width;    // sprite pixels per icon pixel
    double step_y = double(figure.h) / height;
    for (int y = 0; y < height; y++) {
        double y0 = y * step_y, y1 = (y + 1) * step_y;
        for (int x = 0; x < width; x++) {
            double x0 = x * step_x, x1 = (x + 1) * step_x;
            double covered = 0, red = 0, green = 0, blue = 0;
            for (int sy = int(y0); sy < y1 && sy < figure.h; sy++) {
                double h = std::fmin(y1, sy + 1.0) - std::fmax(y0, double(sy));
                for (int sx = int(x0); sx < x1 && sx < figure.w; sx++) {
                    double w = std::fmin(x1, sx + 1.0) - std::fmax(x0, double(sx));
                    uint32_t colour = pixel_at(sheet, figure.x + sx, figure.y + sy);
                    if (colour == MAGENTA || w <= 0 || h <= 0)
                        continue;
                    covered += w * h;
                    red += w * h * double(colour >> 16 & 0xFF);
                    green += w * h * double(colour >> 8 & 0xFF);
                    blue += w * h * double(colour & 0xFF);
                }
            }
            int alpha = int(std::lround(255.0 * covered / (step_x * step_y)));
            if (alpha == 0)
                continue;
            uint32_t colour = make_rgb(int(std::lround(red / covered)), int(std::lround(green / covered)),
                                       int(std::lround(blue / covered)));
            put_rgba(out, left + x, top + y, colour, alpha > 255 ? 255 : alpha);
        }
    }
}

static icon make_icon(const picture* sheet, box figure, int size)
{
    icon out{size, std::vector<uint8_t>(4 * size_t(size) * size_t(size), 0)};
    int room = size * FILL_NUM / FILL_DEN;
    int longest = figure.w > figure.h ? figure.w : figure.h;
    int factor = room / longest;
    if (factor >= 1 && factor * longest >= CRISP_SHARE * room)
        paint_crisp(&out, sheet, figure, factor);
    else
        paint_resampled(&out, sheet, figure, double(room) / longest);
    return out;
}

static int make_dir(const std::string& path)
{
    return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: make_icons OUT_DIR\n", stderr);
        return 2;
    }
    picture sheet = make_sprite_sheet();
    box figure = figure_box(&sheet, STANDING_FRAME);
    std::string root = argv[1];
    if (!make_dir(root)) {
        std::fprintf(stderr, "make_icons: cannot create %s\n", root.c_str());
        return 1;
    }
    for (int size : ICON_SIZES) {
        std::string dir = root + "/" + std::to_string(size) + "x" + std::to_string(size);
        std::string path = dir + "/apps/swayboard.png";
        icon out = make_icon(&sheet, figure, size);
        if (!make_dir(dir) || !make_dir(dir + "/apps") ||
            !write_png_rgba(path.c_str(), size, size, out.rgba.data())) {
            std::fprintf(stderr, "make_icons: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
