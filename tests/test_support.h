// test_support.h -- shared helpers for the tests: a headless show, pixel access, scratch surfaces
#pragma once

#include "common/little_endian.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <cstdint>
#include <string>
#include <vector>

// Opens the video subsystem on the dummy driver, loads the six bitmaps from the
// archive and opens an 800x600 window-mode display; 1 on success.
int open_test_display();
// Frees the surfaces and shuts the video subsystem down.
void close_test_display();
// A suite of tests that share one test display, opened before the first and closed after the last.
class test_display_suite : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(open_test_display(), 1); }
    static void TearDownTestSuite() { close_test_display(); }
};

// Reads or writes one pixel of a 32-bit surface (locks it if needed).
Uint32 get_pixel(SDL_Surface* surface, int x, int y);
void put_pixel(SDL_Surface* surface, int x, int y, Uint32 value);
// The pixel's red, green and blue bytes as 0xRRGGBB.
uint32_t get_rgb(SDL_Surface* surface, int x, int y);
// value, a pixel in surface's format, as 0xRRGGBB.
uint32_t rgb_of(SDL_Surface* surface, Uint32 value);

// A new surface in the intro's format, filled with value.
SDL_Surface* make_test_surface(int width, int height, Uint32 value);

// True when the rectangle (x, y, w, h) of a equals the same rectangle of b (RGB bytes only).
bool same_rgb(SDL_Surface* a, SDL_Surface* b, int x, int y, int w, int h);

// A scratch directory for the current test, created fresh; removed by the caller if it likes.
std::string make_scratch_dir(const char* name);

// An 8-bit RGB picture, rows top to bottom, three bytes a pixel.
struct rgb_image {
    int w = 0, h = 0;
    std::vector<unsigned char> rgb;
};
// Reads a PNG file as RGB; an empty picture (w = 0) if it cannot.
rgb_image read_png(const std::string& path);

