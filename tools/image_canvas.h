// image_canvas.h -- RGB pictures for the image generator: pixels, mixing, BMP and PNG files
#pragma once

#include <cstdint>
#include <vector>

// A picture being drawn: width x height pixels, rows top first, three bytes
// red, green, blue per pixel. Colours travel as 0xRRGGBB.
struct picture {
    int width;
    int height;
    std::vector<uint8_t> rgb;
};

constexpr uint32_t MAGENTA = 0xFF00FF;

picture make_picture(int width, int height, uint32_t fill);
uint32_t pixel_at(const picture* image, int x, int y);          // 0 outside the picture
void set_pixel(picture* image, int x, int y, uint32_t colour);  // ignored outside
void fill_rect(picture* image, int x, int y, int w, int h, uint32_t colour);

// Colour arithmetic on 0xRRGGBB values, rounded to the nearest byte.
uint32_t make_rgb(int r, int g, int b);                 // clamps each channel to 0..255
uint32_t mix_rgb(uint32_t from, uint32_t to, int t, int scale);  // from at t = 0, to at t = scale
uint32_t scale_rgb(uint32_t colour, int num, int den);  // every channel times num / den
// The colour at position t of scale along a ramp of count stops spaced evenly.
uint32_t ramp_rgb(const uint32_t* stops, int count, int t, int scale);

// Copies the rectangle (sx, sy, w, h) of source to (dx, dy) of target, clipped
// to both; with keyed set, magenta source pixels leave the target as it was.
void copy_rect(picture* target, const picture* source, int sx, int sy, int w, int h,
               int dx, int dy, int keyed);
// A copy enlarged by a whole factor, every pixel a factor x factor block.
picture enlarge(const picture* source, int factor);
// A copy halved in both directions, each pixel the mean of a 2x2 block.
picture halve(const picture* source);

// Bytes of a file row: 3 * width rounded up to a multiple of four.
int row_stride(int width);
// The whole 24-bit bottom-up BMP file: 54-byte header, rows bottom first with
// zero padding, two zero bytes after the last row.
std::vector<uint8_t> bmp_bytes(const picture* image);
// Reads a 24-bit bottom-up BMP in that layout; 1 on success, 0 on failure.
int read_bmp(const char* path, picture* out);

int write_bytes(const char* path, const std::vector<uint8_t>& bytes);  // 1 on success
int write_png(const char* path, const picture* image);                // 1 on success
// Rows top first, four bytes red, green, blue, alpha (straight, not premultiplied) per pixel.
int write_png_rgba(const char* path, int width, int height, const uint8_t* rgba);  // 1 on success

// A small fixed-seed generator, so that every run draws the same stars.
uint32_t next_noise(uint32_t* state);
