// magnify_bench.cpp -- how long the show's magnification takes a frame, full screen and in a window, at today's display sizes
//
// magnify_bench [FRAMES]
//
// Plain computation on the show's 800x600 frame (noise, so nothing is uniform), the way
// video_windows.cpp magnifies it: the whole frame onto a full screen display, smooth or
// nearest-neighbour as video_fit decides, and the three regions a window's frame changes
// at the window's whole factor. Built for Linux and for Windows (make test-windows runs
// it under Wine); it prints the fastest frame's ms (the cost itself: a busy machine only
// adds to it), the median and the 90th percentile.
#include "platform/video_fit.h"
#include "platform/video_magnify.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

constexpr int SHOW_W = 800, SHOW_H = 600;
constexpr int DEFAULT_FRAMES = 200;
// The regions a window's frame changes (effects/layout.h): text window, scroll band, sprite column.
constexpr fit_rect WINDOW_REGIONS[] = {{100, 95, 600, 400}, {0, 537, 800, 41}, {32, 0, 34, 531}};

using bench_clock = std::chrono::steady_clock;

struct display_size {
    int w, h;
};

static void report(const char* what, display_size size, const char* filter, std::vector<double>& ms)
{
    std::sort(ms.begin(), ms.end());
    printf("%-11s %4dx%-4d %-7s %6.2f ms a frame at best, %6.2f median, %6.2f at the 90th percentile\n", what,
           size.w, size.h, filter, ms[0], ms[ms.size() / 2], ms[ms.size() * 9 / 10]);
}

int main(int argc, char** argv)
{
    int frames = argc > 1 ? atoi(argv[1]) : DEFAULT_FRAMES;
    if (frames < 1)
        frames = DEFAULT_FRAMES;
    std::vector<uint32_t> show_pixels(size_t(SHOW_W) * SHOW_H);
    std::mt19937 random(1);
    for (uint32_t& p : show_pixels)
        p = random();
    pixel_plane show = {show_pixels.data(), SHOW_W, SHOW_W, SHOW_H};
    const display_size sizes[] = {{1024, 768}, {1600, 1200}, {1920, 1080}, {2560, 1440}, {3840, 2160}};
    for (display_size size : sizes) {
        std::vector<uint32_t> display_pixels(size_t(size.w) * size_t(size.h));
        pixel_plane display = {display_pixels.data(), size.w, size.w, size.h};
        fit_rect picture = fullscreen_picture(SHOW_W, SHOW_H, size.w, size.h);
        int whole = fullscreen_whole_scale(SHOW_W, SHOW_H, size.w, size.h);
        if (!whole && !prepare_smooth(SHOW_W, SHOW_H, picture))
            return 1;
        std::vector<double> ms;
        for (int i = 0; i < frames; i++) {
            auto start = bench_clock::now();
            if (whole) {
                magnify_whole(&show, {0, 0, SHOW_W, SHOW_H}, picture.w / SHOW_W, &display, picture.x, picture.y,
                              SWAP_RED_BLUE);
            } else {
                fit_rect drawn;
                magnify_smooth(&show, {0, 0, SHOW_W, SHOW_H}, &display, SWAP_RED_BLUE, &drawn);
            }
            ms.push_back(std::chrono::duration<double, std::milli>(bench_clock::now() - start).count());
        }
        release_smooth();
        report("full screen", size, whole ? "nearest" : "smooth", ms);

        int k = window_scale(SHOW_W, SHOW_H, size.w, size.h);
        ms.clear();
        for (int i = 0; i < frames; i++) {
            auto start = bench_clock::now();
            for (fit_rect region : WINDOW_REGIONS)
                magnify_whole(&show, region, k, &display, 0, 0, SWAP_RED_BLUE);
            ms.push_back(std::chrono::duration<double, std::milli>(bench_clock::now() - start).count());
        }
        char filter[16];
        snprintf(filter, sizeof(filter), "%dx", k);
        report("window", size, filter, ms);
    }
    return 0;
}
