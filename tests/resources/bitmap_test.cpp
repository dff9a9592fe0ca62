// bitmap_test.cpp -- the BMP decoder: byte order, row order, padding, and data it must refuse
#include "resources/bitmap.h"

#include "common/little_endian.h"
#include "resources/store.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

class bitmap : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        SDL_Init(SDL_INIT_VIDEO);
    }
    static void TearDownTestSuite() { SDL_Quit(); }
};

static size_t stride_of(int w)
{
    return (size_t(w) * 3 + 3) & ~size_t(3);
}

// A well-formed file of w x h whose stored pixel (x, k) -- k counting stored rows -- is
// (x + 1, k + 1, x ^ k) as blue, green, red, with 0xEE in every padding byte.
static std::vector<unsigned char> make_bmp(int w, int h)
{
    size_t stride = stride_of(w);
    std::vector<unsigned char> bytes(54 + stride * h + 2, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    write_le32(&bytes[2], uint32_t(bytes.size()));
    write_le32(&bytes[10], 54);
    write_le32(&bytes[14], 40);
    write_le32(&bytes[18], uint32_t(w));
    write_le32(&bytes[22], uint32_t(h));
    bytes[26] = 1;
    bytes[28] = 24;
    for (int k = 0; k < h; k++) {
        unsigned char* row = &bytes[54 + stride * k];
        for (int x = 0; x < w; x++) {
            row[3 * x] = static_cast<unsigned char>(x + 1);
            row[3 * x + 1] = static_cast<unsigned char>(k + 1);
            row[3 * x + 2] = static_cast<unsigned char>(x ^ k);
        }
        for (size_t p = size_t(w) * 3; p < stride; p++)
            row[p] = 0xEE;
    }
    return bytes;
}

static const unsigned char* pixel_bytes(SDL_Surface* s, int x, int y)
{
    return static_cast<const unsigned char*>(s->pixels) + y * s->pitch + 4 * x;
}

TEST_F(bitmap, pixels_turn_from_bgr_to_rgb_and_rows_from_bottom_up)
{
    // Widths 1..5 give every amount of row padding, 0 to 3 bytes.
    for (int w = 1; w <= 5; w++) {
        const int h = 3;
        std::vector<unsigned char> file = make_bmp(w, h);
        SDL_Surface* s = decode_bitmap(file.data(), uint32_t(file.size()));
        ASSERT_NE(s, nullptr) << w;
        ASSERT_EQ(s->w, w);
        ASSERT_EQ(s->h, h);
        EXPECT_EQ(s->format->BitsPerPixel, 32);
        EXPECT_EQ(s->format->Rmask, 0x000000FFu);
        EXPECT_EQ(s->format->Gmask, 0x0000FF00u);
        EXPECT_EQ(s->format->Bmask, 0x00FF0000u);
        EXPECT_EQ(s->format->Amask, 0u);
        for (int k = 0; k < h; k++)
            for (int x = 0; x < w; x++) {
                const unsigned char* p = pixel_bytes(s, x, h - 1 - k);
                EXPECT_EQ(p[0], x ^ k) << "red at " << x << "," << k;
                EXPECT_EQ(p[1], k + 1) << "green";
                EXPECT_EQ(p[2], x + 1) << "blue";
            }
        SDL_FreeSurface(s);
    }
}

TEST_F(bitmap, one_pixel_of_0x10_0x20_0x30_becomes_red_0x30_green_0x20_blue_0x10)
{
    std::vector<unsigned char> file = make_bmp(2, 2);
    file[54] = 0x10;
    file[55] = 0x20;
    file[56] = 0x30;
    SDL_Surface* s = decode_bitmap(file.data(), uint32_t(file.size()));
    ASSERT_NE(s, nullptr);
    const unsigned char* p = pixel_bytes(s, 0, 1); // first stored row: bottom surface row
    EXPECT_EQ(p[0], 0x30);
    EXPECT_EQ(p[1], 0x20);
    EXPECT_EQ(p[2], 0x10);
    SDL_FreeSurface(s);
}

TEST_F(bitmap, rows_are_read_from_offset_54_whatever_the_header_says)
{
    std::vector<unsigned char> file = make_bmp(3, 2);
    write_le32(&file[10], 138);
    SDL_Surface* s = decode_bitmap(file.data(), uint32_t(file.size()));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(pixel_bytes(s, 0, 1)[2], 1); // blue of stored pixel (0, 0)
    SDL_FreeSurface(s);
}

TEST_F(bitmap, hostile_or_truncated_data_is_refused_without_reading_past_it)
{
    // Each case is copied into a buffer of exactly its size, so that AddressSanitizer
    // catches any read beyond it.
    std::vector<unsigned char> good = make_bmp(5, 4);
    size_t exact = 54 + stride_of(5) * 4;
    struct {
        const char* what;
        std::vector<unsigned char> bytes;
    } cases[] = {
        {"nothing", {}},
        {"shorter than a header", std::vector<unsigned char>(good.begin(), good.begin() + 53)},
        {"header only", std::vector<unsigned char>(good.begin(), good.begin() + 54)},
        {"one byte short of the rows", std::vector<unsigned char>(good.begin(), good.begin() + exact - 1)},
        {"zero width", good},
        {"negative width", good},
        {"zero height", good},
        {"negative height (top-down)", good},
        {"rows that overflow 32 bits", good},
        {"huge width", good},
    };
    write_le32(&cases[4].bytes[18], 0);
    write_le32(&cases[5].bytes[18], uint32_t(-5));
    write_le32(&cases[6].bytes[22], 0);
    write_le32(&cases[7].bytes[22], uint32_t(-4));
    write_le32(&cases[8].bytes[18], 0x7FFFFFFF);
    write_le32(&cases[8].bytes[22], 0x7FFFFFFF);
    write_le32(&cases[9].bytes[18], 0x40000000);
    write_le32(&cases[9].bytes[22], 1);
    for (auto& c : cases) {
        std::vector<unsigned char> exact_copy(c.bytes);
        exact_copy.shrink_to_fit();
        EXPECT_EQ(decode_bitmap(exact_copy.empty() ? nullptr : exact_copy.data(), uint32_t(exact_copy.size())),
                  nullptr)
            << c.what;
    }
    // Exactly as long as the rows, without the two trailing bytes, is enough.
    std::vector<unsigned char> just(good.begin(), good.begin() + exact);
    SDL_Surface* s = decode_bitmap(just.data(), uint32_t(just.size()));
    EXPECT_NE(s, nullptr);
    SDL_FreeSurface(s);
}

TEST_F(bitmap, every_archived_bitmap_decodes_to_its_stored_pixels)
{
    // An independent reading of each file: every pixel, so row padding that leaked in shows up.
    const char* names[] = {"bub.bmp", "font.bmp", "minifontti.bmp", "ristikko.bmp", "ruudut_alpha.bmp",
                           "ruudut_layer.bmp", "tausta.bmp"};
    for (const char* name : names) {
        uint32_t size = 0;
        const unsigned char* data = load_resource(name, &size);
        ASSERT_NE(data, nullptr) << name;
        SDL_Surface* s = load_bitmap(name);
        ASSERT_NE(s, nullptr) << name;
        int w = data[18] | data[19] << 8 | data[20] << 16 | data[21] << 24;
        int h = data[22] | data[23] << 8 | data[24] << 16 | data[25] << 24;
        ASSERT_EQ(s->w, w);
        ASSERT_EQ(s->h, h);
        size_t stride = stride_of(w);
        int wrong = 0;
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) {
                const unsigned char* file_pixel = data + 54 + stride * size_t(h - 1 - y) + 3 * x;
                const unsigned char* p = pixel_bytes(s, x, y);
                wrong += p[0] != file_pixel[2] || p[1] != file_pixel[1] || p[2] != file_pixel[0];
            }
        EXPECT_EQ(wrong, 0) << name;
        SDL_FreeSurface(s);
    }
}

TEST_F(bitmap, a_missing_file_gives_no_surface)
{
    EXPECT_EQ(load_bitmap("not-in-the-archive.bmp"), nullptr);
}
