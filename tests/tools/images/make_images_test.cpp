// make_images_test.cpp -- the five committed bitmaps of the image generator: layout, exact boards, keys, and regeneration
#include "tests/tools/data_file.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

static const std::string DATA_DIR = SWAYBOARD_SOURCE_DIR "/resources/data";
static const uint32_t MAGENTA = 0xFF00FF;

using bitmap = bmp_view;

static bitmap load(const char* name)
{
    return load_bmp_view(DATA_DIR + "/" + name);
}

static uint32_t rgb(const bitmap& b, int x, int y)
{
    return bmp_pixel(b, x, y);
}

struct catalogued {
    const char* name;
    int width;
    int height;
    size_t size;
};

static const catalogued FILES[] = {
    {"bub.bmp", 136, 34, 13928},
    {"ristikko.bmp", 650, 450, 878456},
    {"ruudut_alpha.bmp", 700, 500, 1050056},
    {"ruudut_layer.bmp", 700, 500, 1050056},
    {"tausta.bmp", 800, 600, 1440056},
};

TEST(images, every_header_field_and_the_file_length_are_as_the_intro_expects)
{
    for (const catalogued& file : FILES) {
        SCOPED_TRACE(file.name);
        bitmap b = load(file.name);
        ASSERT_EQ(b.bytes.size(), file.size);
        const int stride = (3 * file.width + 3) & ~3;
        EXPECT_EQ(file.size, 54 + size_t(stride) * size_t(file.height) + 2);
        EXPECT_EQ(b.bytes[0], 'B');
        EXPECT_EQ(b.bytes[1], 'M');
        const struct { size_t offset; int size; uint32_t value; } fields[] = {
            {2, 4, uint32_t(file.size)}, {6, 4, 0}, {10, 4, 54}, {14, 4, 40},
            {18, 4, uint32_t(file.width)}, {22, 4, uint32_t(file.height)},
            {26, 2, 1}, {28, 2, 24}, {30, 4, 0}, {34, 4, 0},
            {38, 4, 2834}, {42, 4, 2834}, {46, 4, 0}, {50, 4, 0}};
        for (const auto& field : fields)
            EXPECT_EQ(le(b.bytes, field.offset, field.size), field.value) << "offset " << field.offset;
        EXPECT_EQ(b.bytes[file.size - 2], 0);
        EXPECT_EQ(b.bytes[file.size - 1], 0);
    }
}

TEST(images, checkerboards_are_exact_in_every_pixel)
{
    const struct { const char* name; int square; uint32_t first; uint32_t second; } boards[] = {
        {"ristikko.bmp", 50, 0xC8B8DE, 0xDFCDF7},
        {"ruudut_alpha.bmp", 50, MAGENTA, 0xDFCDF7},
        {"ruudut_layer.bmp", 25, 0xC0A8F2, 0xCDB3FB},
    };
    for (const auto& board : boards) {
        SCOPED_TRACE(board.name);
        bitmap b = load(board.name);
        ASSERT_GE(b.bytes.size(), 54 + size_t(b.stride) * size_t(b.height));
        int wrong = 0;
        for (int y = 0; y < b.height; y++) {
            for (int x = 0; x < b.width; x++) {
                uint32_t expected = (x / board.square + y / board.square) % 2 ? board.second : board.first;
                if (rgb(b, x, y) != expected && wrong++ < 5)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << rgb(b, x, y);
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

TEST(images, background_holds_no_key_colour)
{
    bitmap b = load("tausta.bmp");
    ASSERT_EQ(b.bytes.size(), 1440056u);
    int keyed = 0;
    for (int y = 0; y < b.height; y++)
        for (int x = 0; x < b.width; x++)
            keyed += rgb(b, x, y) == MAGENTA;
    EXPECT_EQ(keyed, 0);
}

TEST(images, background_band_is_dark_between_bright_rules)
{
    // The scroller's bright glyphs must read on the band, and the sprite
    // stands on the rule above it.
    bitmap b = load("tausta.bmp");
    ASSERT_EQ(b.bytes.size(), 1440056u);
    auto row_light = [&](int y) {
        long sum = 0;
        for (int x = 0; x < b.width; x++) {
            uint32_t c = rgb(b, x, y);
            sum += (c >> 16 & 0xFF) + (c >> 8 & 0xFF) + (c & 0xFF);
        }
        return sum / (3 * b.width);
    };
    for (int y = 537; y < 578; y++)
        EXPECT_LT(row_light(y), 48) << "band row " << y;
    EXPECT_GT(row_light(531), 200) << "the floor row under the sprite column";
    EXPECT_GT(row_light(578), 200) << "the rule under the band";
}

TEST(images, every_sprite_frame_has_magenta_ground_and_a_figure)
{
    bitmap b = load("bub.bmp");
    ASSERT_EQ(b.bytes.size(), 13928u);
    std::vector<uint32_t> frames[4];
    for (int frame = 0; frame < 4; frame++) {
        SCOPED_TRACE(frame);
        int ground = 0, figure = 0, feet = 0;
        for (int y = 0; y < 34; y++) {
            for (int x = 0; x < 34; x++) {
                uint32_t c = rgb(b, 34 * frame + x, y);
                frames[frame].push_back(c);
                if (c == MAGENTA)
                    ground++;
                else
                    figure++;
                if (c != MAGENTA && y >= 32)
                    feet++;
            }
        }
        EXPECT_GT(ground, 200);
        EXPECT_GT(figure, 200);
        // The frame's corners are ground: nothing of the figure is cut off there.
        EXPECT_EQ(rgb(b, 34 * frame, 0), MAGENTA);
        EXPECT_EQ(rgb(b, 34 * frame + 33, 0), MAGENTA);
        if (frame < 2) {
            EXPECT_GT(feet, 0) << "a standing frame must reach the floor rows";
            int sole = 0;
            for (int x = 0; x < 34; x++)
                sole += rgb(b, 34 * frame + x, 33) != MAGENTA;
            EXPECT_GT(sole, 0) << "a standing frame must stand on the bottom row";
        }
    }
    // Nothing may be cut off by the frame's edges: where the figure reaches the
    // top row or a side column, only its dark outline may be there.
    for (int frame = 0; frame < 4; frame++) {
        for (int i = 0; i < 34; i++) {
            const int edge[3][2] = {{i, 0}, {0, i}, {33, i}};
            for (const auto& at : edge) {
                uint32_t c = rgb(b, 34 * frame + at[0], at[1]);
                int light = int((c >> 16 & 0xFF) + (c >> 8 & 0xFF) + (c & 0xFF)) / 3;
                if (c != MAGENTA) {
                    EXPECT_LT(light, 64) << "frame " << frame << " is cut off at (" << at[0] << ", " << at[1] << ")";
                }
            }
        }
    }
    for (int i = 0; i < 4; i++)
        for (int j = i + 1; j < 4; j++)
            EXPECT_NE(frames[i], frames[j]) << "frames " << i << " and " << j << " are the same picture";
}

static int run(const std::string& command)
{
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(images, generator_remakes_the_committed_files_byte_for_byte)
{
    // The build makes the generator before this test; not finding it is a fault of the build.
    ASSERT_EQ(access(MAKE_IMAGES_PATH, X_OK), 0) << MAKE_IMAGES_PATH;
    char scratch[] = "/tmp/images_test_XXXXXX";
    ASSERT_NE(mkdtemp(scratch), nullptr);
    ASSERT_EQ(run(std::string(MAKE_IMAGES_PATH) + " " + scratch), 0);
    for (const catalogued& file : FILES) {
        SCOPED_TRACE(file.name);
        std::vector<uint8_t> made = file_bytes((std::string(scratch) + "/" + file.name).c_str());
        std::vector<uint8_t> committed = file_bytes((DATA_DIR + "/" + file.name).c_str());
        ASSERT_EQ(made.size(), file.size);
        EXPECT_TRUE(made == committed) << "regenerated bytes differ from the committed file";
        std::remove((std::string(scratch) + "/" + file.name).c_str());
    }
    rmdir(scratch);
}

TEST(images, generator_reports_a_directory_it_cannot_write)
{
    ASSERT_EQ(access(MAKE_IMAGES_PATH, X_OK), 0) << MAKE_IMAGES_PATH;
    EXPECT_NE(run(std::string(MAKE_IMAGES_PATH) + " /nonexistent/images_test 2>/dev/null"), 0);
    EXPECT_NE(run(std::string(MAKE_IMAGES_PATH) + " 2>/dev/null"), 0);
}
