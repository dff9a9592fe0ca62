// video_magnify_test.cpp -- nearest-neighbour blocks, the smooth picture's bounds, and updates that leave no seams
#include "platform/video_magnify.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr uint32_t UNTOUCHED = 0x5A5A5A5A;

struct plane_memory {
    std::vector<uint32_t> pixels;
    pixel_plane plane;
};

plane_memory make_plane(int width, int height, int stride, uint32_t fill)
{
    plane_memory m;
    m.pixels.assign(size_t(stride) * size_t(height), fill);
    m.plane = {m.pixels.data(), stride, width, height};
    return m;
}

void fill_random(plane_memory& m, unsigned seed)
{
    std::mt19937 random(seed);
    for (uint32_t& pixel : m.pixels)
        pixel = random();
}

uint32_t at(const plane_memory& m, int x, int y)
{
    return m.pixels[size_t(y) * size_t(m.plane.stride) + size_t(x)];
}

int channel(uint32_t pixel, int byte)
{
    return int(pixel >> (8 * byte) & 0xFF);
}

// The two show pixels on either side of where picture pixel i of count samples length.
void neighbours(int i, int count, int length, int* low, int* high)
{
    double position = (i + 0.5) * length / count - 0.5;
    *low = std::clamp(int(std::floor(position)), 0, length - 1);
    *high = std::clamp(int(std::ceil(position)), 0, length - 1);
}

} // namespace

TEST(video_magnify, a_whole_factor_makes_exact_blocks_of_the_part_alone_in_either_byte_order)
{
    constexpr int SCALE = 3, AT_X = 2, AT_Y = 1;
    plane_memory show = make_plane(8, 6, 9, 0);
    fill_random(show, 1);
    const fit_rect part = {2, 1, 3, 4};
    for (int order : {KEEP_BYTE_ORDER, SWAP_RED_BLUE}) {
        plane_memory to = make_plane(8 * SCALE + 4, 6 * SCALE + 2, 8 * SCALE + 5, UNTOUCHED);
        magnify_whole(&show.plane, part, SCALE, &to.plane, AT_X, AT_Y, order);
        for (int y = 0; y < to.plane.height; y++)
            for (int x = 0; x < to.plane.width; x++) {
                int sx = (x - AT_X) / SCALE, sy = (y - AT_Y) / SCALE;
                bool inside = x >= AT_X + part.x * SCALE && x < AT_X + (part.x + part.w) * SCALE &&
                              y >= AT_Y + part.y * SCALE && y < AT_Y + (part.y + part.h) * SCALE;
                uint32_t want = UNTOUCHED;
                if (inside) {
                    uint32_t p = at(show, sx, sy);
                    want = order == KEEP_BYTE_ORDER
                               ? p
                               : (p & 0xFF00FF00) | uint32_t(channel(p, 0)) << 16 | uint32_t(channel(p, 2));
                }
                ASSERT_EQ(at(to, x, y), want) << "order " << order << " at " << x << "," << y;
            }
    }
}

// A show of 40 x 30 at 1.8 times, 72 x 54, with black bars of 5 on either side.
constexpr int SHOW_W = 40, SHOW_H = 30;
constexpr fit_rect PICTURE = {5, 0, 72, 54};
constexpr int DISPLAY_W = 82, DISPLAY_H = 54;

TEST(video_magnify, smooth_pixels_lie_between_their_neighbours_and_a_uniform_area_stays_uniform)
{
    constexpr uint32_t GREY = 0x00808080;
    plane_memory show = make_plane(SHOW_W, SHOW_H, SHOW_W, 0);
    fill_random(show, 2);
    // A uniform block in the middle of the noise.
    for (int y = 10; y < 20; y++)
        for (int x = 10; x < 30; x++)
            show.pixels[size_t(y * SHOW_W + x)] = GREY;
    ASSERT_TRUE(prepare_smooth(SHOW_W, SHOW_H, PICTURE));
    plane_memory to = make_plane(DISPLAY_W, DISPLAY_H, DISPLAY_W, UNTOUCHED);
    fit_rect drawn;
    magnify_smooth(&show.plane, {0, 0, SHOW_W, SHOW_H}, &to.plane, KEEP_BYTE_ORDER, &drawn);
    EXPECT_EQ(drawn.x, PICTURE.x);
    EXPECT_EQ(drawn.y, PICTURE.y);
    EXPECT_EQ(drawn.w, PICTURE.w);
    EXPECT_EQ(drawn.h, PICTURE.h);
    int uniform_seen = 0;
    for (int y = 0; y < PICTURE.h; y++)
        for (int x = 0; x < PICTURE.w; x++) {
            int x0, x1, y0, y1;
            neighbours(x, PICTURE.w, SHOW_W, &x0, &x1);
            neighbours(y, PICTURE.h, SHOW_H, &y0, &y1);
            uint32_t got = at(to, PICTURE.x + x, PICTURE.y + y);
            uint32_t corners[] = {at(show, x0, y0), at(show, x1, y0), at(show, x0, y1), at(show, x1, y1)};
            for (int byte = 0; byte < 4; byte++) {
                int low = 255, high = 0;
                for (uint32_t c : corners) {
                    low = std::min(low, channel(c, byte));
                    high = std::max(high, channel(c, byte));
                }
                ASSERT_GE(channel(got, byte), low) << x << "," << y << " byte " << byte;
                ASSERT_LE(channel(got, byte), high) << x << "," << y << " byte " << byte;
            }
            if (std::all_of(std::begin(corners), std::end(corners), [](uint32_t c) { return c == GREY; })) {
                EXPECT_EQ(got, GREY) << x << "," << y;
                uniform_seen++;
            }
        }
    EXPECT_GT(uniform_seen, 200);
    // The bars are not the picture's business.
    for (int y = 0; y < DISPLAY_H; y++)
        for (int x : {0, PICTURE.x - 1, PICTURE.x + PICTURE.w, DISPLAY_W - 1})
            ASSERT_EQ(at(to, x, y), UNTOUCHED) << x << "," << y;
    release_smooth();
}

TEST(video_magnify, a_smooth_update_of_a_part_equals_the_whole_frame_magnified_again)
{
    plane_memory before = make_plane(SHOW_W, SHOW_H, SHOW_W + 3, 0);
    fill_random(before, 3);
    plane_memory after = before;
    after.plane.pixels = after.pixels.data();
    std::mt19937 random(4);
    struct {
        fit_rect part;
    } cases[] = {
        {{7, 5, 11, 9}},   // inside
        {{0, 0, 3, 2}},    // the top left corner
        {{33, 21, 7, 9}},  // the bottom right corner
        {{19, 0, 1, 30}},  // one column, the full height
        {{0, 14, 40, 1}},  // one row, the full width
    };
    ASSERT_TRUE(prepare_smooth(SHOW_W, SHOW_H, PICTURE));
    for (int order : {KEEP_BYTE_ORDER, SWAP_RED_BLUE})
        for (const auto& c : cases) {
            for (int y = c.part.y; y < c.part.y + c.part.h; y++)
                for (int x = c.part.x; x < c.part.x + c.part.w; x++)
                    after.pixels[size_t(y * after.plane.stride + x)] = random();
            plane_memory updated = make_plane(DISPLAY_W, DISPLAY_H, DISPLAY_W, UNTOUCHED);
            plane_memory whole = make_plane(DISPLAY_W, DISPLAY_H, DISPLAY_W, UNTOUCHED);
            fit_rect drawn, drawn_whole;
            magnify_smooth(&before.plane, {0, 0, SHOW_W, SHOW_H}, &updated.plane, order, &drawn_whole);
            magnify_smooth(&after.plane, c.part, &updated.plane, order, &drawn);
            magnify_smooth(&after.plane, {0, 0, SHOW_W, SHOW_H}, &whole.plane, order, &drawn_whole);
            EXPECT_EQ(updated.pixels, whole.pixels) << "part at " << c.part.x << "," << c.part.y;
            // 1.8 times the part and a pixel or two for the neighbours, not the whole picture.
            EXPECT_LE(drawn.w, c.part.w * 2 + 4);
            EXPECT_LE(drawn.h, c.part.h * 2 + 4);
            // What changed lies within what the update says it drew.
            plane_memory old = make_plane(DISPLAY_W, DISPLAY_H, DISPLAY_W, UNTOUCHED);
            magnify_smooth(&before.plane, {0, 0, SHOW_W, SHOW_H}, &old.plane, order, &drawn_whole);
            for (int y = 0; y < DISPLAY_H; y++)
                for (int x = 0; x < DISPLAY_W; x++) {
                    bool inside = x >= drawn.x && x < drawn.x + drawn.w && y >= drawn.y && y < drawn.y + drawn.h;
                    ASSERT_TRUE(inside || at(old, x, y) == at(whole, x, y)) << x << "," << y << " changed outside";
                }
            before = after;
            before.plane.pixels = before.pixels.data();
        }
    release_smooth();
}
