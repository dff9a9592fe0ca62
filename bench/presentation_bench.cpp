// presentation_bench.cpp -- the real show in a window, timed: start-up, drawing, presenting, pacing, CPU and memory
//
// presentation_bench [--seconds S]
//
// Runs under an X server with whichever libSDL-1.2.so.0 the loader finds, so the same
// binary measures the maintained library and the classic one (see bench/README.md).
// Start-up is everything the intro does before its first frame except the one-second
// pause: the texts, the video subsystem, the bitmaps, the video mode, the background.
// There is no music: its cost is measured by music_frame_bench.
#include "app/display.h"
#include "app/frame_loop.h"
#include "app/startup.h"
#include "platform/random.h"
#include "resources/store.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>
#include <vector>

// NOTE: Xlib defines macros such as None and Bool, so it comes after every other header.
#include <X11/Xlib.h>

using bench_clock = std::chrono::steady_clock;

static double ms_between(bench_clock::time_point a, bench_clock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

// The value below which a share of the sorted values lies (nearest rank).
static double percentile(std::vector<double> values, double share)
{
    std::sort(values.begin(), values.end());
    size_t rank = static_cast<size_t>(share * (values.size() - 1) + 0.5);
    return values[rank];
}

// The window's size on the X server, which is the show's 800x600 times the scale the
// library magnifies it by; the surface's own size does not tell. 0 where it cannot be read.
static int window_size(int* width, int* height)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) != 1 || info.subsystem != SDL_SYSWM_X11)
        return 0;
    XWindowAttributes attributes;
    info.info.x11.lock_func();
    int ok = XGetWindowAttributes(info.info.x11.display, info.info.x11.window, &attributes);
    info.info.x11.unlock_func();
    if (!ok)
        return 0;
    *width = attributes.width;
    *height = attributes.height;
    return 1;
}

static double cpu_seconds()
{
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

int main(int argc, char** argv)
{
    // Initialization
    //--------------------------------------------------------------------------------------
    auto started = bench_clock::now();
    double seconds = 10;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--seconds") == 0 && i + 1 < argc)
            seconds = atof(argv[++i]);
        else {
            fputs("usage: presentation_bench [--seconds S]\n", stderr);
            return 2;
        }
    }
    if (seconds <= 0) {
        fputs("presentation_bench: --seconds must be positive\n", stderr);
        return 2;
    }

    fullscreen = 0;
    seed_random(1);
    if (!load_texts() || !open_show(0)) {
        fputs("presentation_bench: the show could not start (is there an X server?)\n", stderr);
        SDL_Quit();
        return 1;
    }
    paint_background();
    begin_frames();

    // Frames, timed
    //--------------------------------------------------------------------------------------
    // NOTE: room for every frame is made before the loop, so that the loop allocates nothing.
    size_t most_frames = static_cast<size_t>(seconds * 1000 / FRAME_BUDGET_MS) + 2;
    std::vector<double> draw_ms, present_ms, interval_ms;
    draw_ms.reserve(most_frames);
    present_ms.reserve(most_frames);
    interval_ms.reserve(most_frames);

    double startup_ms = 0, cpu_start = 0;
    bench_clock::time_point loop_start, last_present;
    for (size_t frame = 0; frame < most_frames; frame++) {
        frame_clock start;
        clock_now(&start);
        auto t0 = bench_clock::now();
        draw_frame();
        auto t1 = bench_clock::now();
        present_frame();
        auto t2 = bench_clock::now();
        if (frame == 0) {
            // The first present ends the start-up; the measured run begins here.
            startup_ms = ms_between(started, t2);
            loop_start = t2;
            cpu_start = cpu_seconds();
        } else {
            draw_ms.push_back(ms_between(t0, t1));
            present_ms.push_back(ms_between(t1, t2));
            interval_ms.push_back(ms_between(last_present, t2));
        }
        last_present = t2;
        pace_frame(&start);
        finish_frame();
        if (ms_between(loop_start, bench_clock::now()) >= seconds * 1000)
            break;
    }
    double wall_s = ms_between(loop_start, bench_clock::now()) / 1000;
    double cpu_share = (cpu_seconds() - cpu_start) / wall_s * 100;

    // Report
    //--------------------------------------------------------------------------------------
    const SDL_version* version = SDL_Linked_Version();
    int window_w = 0, window_h = 0;
    window_size(&window_w, &window_h);
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    printf("library=%d.%d.%d window=%dx%d frames=%zu startup_ms=%.1f draw_ms_median=%.3f draw_ms_p99=%.3f "
           "present_ms_median=%.3f interval_ms_median=%.2f interval_ms_p1=%.2f interval_ms_p99=%.2f cpu_percent=%.1f "
           "peak_rss_mb=%.1f\n",
           version->major, version->minor, version->patch, window_w, window_h, draw_ms.size(), startup_ms,
           percentile(draw_ms, 0.5), percentile(draw_ms, 0.99), percentile(present_ms, 0.5),
           percentile(interval_ms, 0.5), percentile(interval_ms, 0.01), percentile(interval_ms, 0.99), cpu_share,
           usage.ru_maxrss / 1024.0);

    // De-Initialization
    //--------------------------------------------------------------------------------------
    free_surfaces();
    SDL_Quit();
    return 0;
}
