// make_icons_test.cpp -- the desktop icons: sizes, transparency, the critter pixel for pixel, the same bytes every run
#include "tests/tools/data_file.h"

#include <gtest/gtest.h>
#include <png.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

static const int SIZES[] = {16, 22, 24, 32, 48, 64, 128, 256};
static const uint32_t MAGENTA = 0xFF00FF;
static const int FRAME = 34;   // the sprite sheet's frame width and height

static int run(const std::string& command)
{
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

static std::string icon_path(const std::string& root, int size)
{
    return root + "/" + std::to_string(size) + "x" + std::to_string(size) + "/apps/swayboard.png";
}

static std::string made_root;

static void remove_made_icons()
{
    run("rm -rf " + made_root);
}

// The generator runs once a process, into a scratch directory removed at exit.
static const std::string& made_icons()
{
    if (made_root.empty()) {
        char scratch[] = "/tmp/icons_test_XXXXXX";
        if (mkdtemp(scratch) && run(std::string(MAKE_ICONS_PATH) + " " + scratch) == 0) {
            made_root = scratch;
            std::atexit(remove_made_icons);
        }
    }
    return made_root;
}

struct rgba_image {
    int width = 0;
    int height = 0;
    int had_alpha = 0;
    std::vector<uint8_t> pixels;   // four bytes a pixel, straight alpha
};

static rgba_image load_png(const std::string& path)
{
    rgba_image out;
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str()))
        return out;
    out.had_alpha = (png.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    png.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr))
        return out;
    out.width = int(png.width);
    out.height = int(png.height);
    out.pixels = pixels;
    return out;
}

static uint32_t colour_at(const rgba_image& image, int x, int y)
{
    const uint8_t* p = &image.pixels[4 * (size_t(y) * size_t(image.width) + size_t(x))];
    return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
}

static int alpha_at(const rgba_image& image, int x, int y)
{
    return image.pixels[4 * (size_t(y) * size_t(image.width) + size_t(x)) + 3];
}

// The standing frame of the committed sprite sheet: 0xRRGGBB by row, top first.
static std::vector<uint32_t> standing_frame()
{
    bmp_view sheet = load_bmp_view(SWAYBOARD_SOURCE_DIR "/resources/data/bub.bmp");
    std::vector<uint32_t> frame;
    if (sheet.width < FRAME || sheet.height < FRAME || sheet.bytes.size() < 54 + size_t(sheet.stride) * size_t(sheet.height))
        return frame;
    for (int y = 0; y < FRAME; y++)
        for (int x = 0; x < FRAME; x++)
            frame.push_back(bmp_pixel(sheet, x, y));
    return frame;
}

struct box {
    int left, top, right, bottom;   // inclusive; right < left when empty
};

template <typename covered_fn>
static box bounds(int width, int height, covered_fn covered)
{
    box b{width, height, -1, -1};
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            if (!covered(x, y))
                continue;
            b.left = x < b.left ? x : b.left;
            b.right = x > b.right ? x : b.right;
            b.top = y < b.top ? y : b.top;
            b.bottom = y > b.bottom ? y : b.bottom;
        }
    }
    return b;
}

TEST(icons, every_size_is_a_square_png_with_alpha_that_fills_most_of_it_centred)
{
    const std::string& root = made_icons();
    ASSERT_FALSE(root.empty()) << "make_icons failed";
    for (int size : SIZES) {
        SCOPED_TRACE(size);
        rgba_image icon = load_png(icon_path(root, size));
        ASSERT_EQ(icon.width, size);
        ASSERT_EQ(icon.height, size);
        EXPECT_TRUE(icon.had_alpha);
        // Transparent corners, and no key colour anywhere the figure shows.
        EXPECT_EQ(alpha_at(icon, 0, 0) + alpha_at(icon, size - 1, 0) + alpha_at(icon, 0, size - 1) +
                  alpha_at(icon, size - 1, size - 1), 0);
        int keyed = 0, opaque = 0;
        for (int y = 0; y < size; y++) {
            for (int x = 0; x < size; x++) {
                uint32_t c = colour_at(icon, x, y);
                int a = alpha_at(icon, x, y);
                keyed += a > 0 && (c >> 16) > 0xC0 && (c >> 8 & 0xFF) < 0x60 && (c & 0xFF) > 0xC0;
                opaque += a == 255;
            }
        }
        EXPECT_EQ(keyed, 0) << "magenta ground leaked into the icon";
        EXPECT_GT(opaque, size * size / 3) << "the figure is mostly see-through";
        // The figure's longer side takes between three quarters and seven eighths of
        // the icon, with the margins left and right, top and bottom, alike within a pixel.
        box figure = bounds(size, size, [&](int x, int y) { return alpha_at(icon, x, y) > 0; });
        ASSERT_GE(figure.right, figure.left);
        int width = figure.right - figure.left + 1, height = figure.bottom - figure.top + 1;
        int longest = width > height ? width : height;
        EXPECT_GE(4 * longest, 3 * size);
        EXPECT_LE(8 * longest, 7 * size + 8);
        EXPECT_LE(std::abs(figure.left - (size - 1 - figure.right)), 1);
        EXPECT_LE(std::abs(figure.top - (size - 1 - figure.bottom)), 1);
    }
}

TEST(icons, large_sizes_are_the_standing_critter_enlarged_pixel_for_pixel)
{
    const std::string& root = made_icons();
    ASSERT_FALSE(root.empty()) << "make_icons failed";
    std::vector<uint32_t> frame = standing_frame();
    ASSERT_EQ(frame.size(), size_t(FRAME * FRAME)) << "resources/data/bub.bmp is unreadable";
    box figure = bounds(FRAME, FRAME, [&](int x, int y) { return frame[size_t(y * FRAME + x)] != MAGENTA; });
    int width = figure.right - figure.left + 1, height = figure.bottom - figure.top + 1;
    // The sizes where a whole factor fills the room: every sprite pixel a sharp block.
    const struct { int size; int factor; } crisp[] = {{128, 3}, {256, 6}};
    for (const auto& c : crisp) {
        SCOPED_TRACE(c.size);
        rgba_image icon = load_png(icon_path(root, c.size));
        ASSERT_EQ(icon.width, c.size);
        int left = (c.size - width * c.factor) / 2, top = (c.size - height * c.factor) / 2;
        int wrong = 0;
        for (int y = 0; y < c.size; y++) {
            for (int x = 0; x < c.size; x++) {
                int fx = x - left, fy = y - top;
                uint32_t expected = MAGENTA;
                if (fx >= 0 && fy >= 0 && fx < width * c.factor && fy < height * c.factor)
                    expected = frame[size_t((figure.top + fy / c.factor) * FRAME + figure.left + fx / c.factor)];
                int ok = expected == MAGENTA ? alpha_at(icon, x, y) == 0
                                             : alpha_at(icon, x, y) == 255 && colour_at(icon, x, y) == expected;
                if (!ok && wrong++ < 5)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ")";
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

TEST(icons, generator_writes_the_same_bytes_every_run_and_reports_what_it_cannot_write)
{
    const std::string& first = made_icons();
    ASSERT_FALSE(first.empty()) << "make_icons failed";
    char scratch[] = "/tmp/icons_test_XXXXXX";
    ASSERT_NE(mkdtemp(scratch), nullptr);
    ASSERT_EQ(run(std::string(MAKE_ICONS_PATH) + " " + scratch), 0);
    for (int size : SIZES) {
        std::vector<uint8_t> again = file_bytes(icon_path(scratch, size).c_str());
        EXPECT_FALSE(again.empty());
        EXPECT_TRUE(again == file_bytes(icon_path(first, size).c_str())) << size << " differs between runs";
    }
    run(std::string("rm -rf ") + scratch);
    EXPECT_NE(run(std::string(MAKE_ICONS_PATH) + " /nonexistent/icons_test 2>/dev/null"), 0);
    EXPECT_NE(run(std::string(MAKE_ICONS_PATH) + " 2>/dev/null"), 0);
}
