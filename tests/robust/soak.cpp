// soak.cpp -- runs the whole show headless and unpaced for many frames, checking every state bound and flat memory
//
// robust_soak [--frames N] [--warmup W] [--samples K] [--seed S] [--no-music] [--no-memory-check]
//
// The show starts as the capture tool starts it (window mode, no opening pause, no pacing),
// with the music playing on a silent audio device unless --no-music is given. After every
// frame each effect's state is checked against the bounds its behaviour fixes, and every
// blit to the screen is checked to land inside the three regions that change. Memory is
// read from /proc/self/status at K points after the first W frames and must not grow.
// Exit status 0 when every check held, 1 otherwise.
#include "app/display.h"
#include "app/frame_loop.h"
#include "app/headless.h"
#include "effects/backdrop.h"
#include "effects/layout.h"
#include "effects/page_cycle.h"
#include "effects/page_writer.h"
#include "effects/scroller.h"
#include "effects/sprite.h"
#include "music/music.h"
#include "platform/random.h"
#include "resources/store.h"

#include <SDL.h>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <vector>

// The sums of sin(0.01 k) stay within 0 .. 1 / sin(0.005) (about 200.0008), so the sways stay
// within 2.5 and 5 times that; the smallest values reached are tiny negatives.
constexpr double SWAY_SUM_MAX = 200.0009;
constexpr double SWAY_SLACK = 0.01;
constexpr int SPRITE_TOP_Y = 47;
constexpr int SPRITE_MAX_WAIT = 574;
constexpr int DROP_LAST_OFFSET = 802;
constexpr int LAUNCH_POSITION = 650 * 256;
constexpr long RSS_GROWTH_LIMIT_KB = 256;
// Nothing is allocated per frame: the heap may take a one-time step (the libraries' own
// first-use allocations, on the mixing thread too) but must be flat over the second half.
constexpr long HEAP_STEP_LIMIT_BYTES = 64 * 1024;

static long long frame_number = 0;
static int in_frames = 0;
static long violations = 0;
static int sprite_blits_this_frame = 0;

static void violation(const char* what, double value)
{
    if (violations < 20)
        fprintf(stderr, "robust_soak: frame %lld: %s (value %.6f)\n", frame_number, what, value);
    violations++;
}

#define CHECK_RANGE(value, low, high, what)                                                                  \
    do {                                                                                                      \
        double v_ = static_cast<double>(value);                                                               \
        if (!(v_ >= static_cast<double>(low) && v_ <= static_cast<double>(high)))                           \
            violation(what, v_);                                                                              \
    } while (0)

static bool inside(const SDL_Rect& r, const screen_region& region)
{
    return r.x >= region.x && r.y >= region.y && r.x + r.w <= region.x + region.w &&
           r.y + r.h <= region.y + region.h;
}

// Every blit the intro makes passes here (linked with -Wl,--wrap=SDL_UpperBlit).
extern "C" int __real_SDL_UpperBlit(SDL_Surface*, SDL_Rect*, SDL_Surface*, SDL_Rect*);
extern "C" int __wrap_SDL_UpperBlit(SDL_Surface* source, SDL_Rect* from, SDL_Surface* target, SDL_Rect* to)
{
    int result = __real_SDL_UpperBlit(source, from, target, to);
    if (in_frames && target == screen && to) {
        // The blit wrote back the clipped rectangle it drew.
        if (to->w > 0 && to->h > 0 && !inside(*to, text_window) && !inside(*to, scroll_band) &&
            !inside(*to, sprite_column))
            violation("a blit reached the screen outside the three changing regions", to->y * 10000.0 + to->x);
        if (source == sprite_sheet) {
            sprite_blits_this_frame++;
            CHECK_RANGE(to->y, SPRITE_TOP_Y, SPRITE_FLOOR_Y, "the sprite is drawn outside y 47..497");
            CHECK_RANGE(to->x, sprite_column.x, sprite_column.x, "the sprite is drawn off its column");
        }
    }
    return result;
}

static void check_state()
{
    // The two texts' read positions stay inside their texts.
    CHECK_RANGE(page_text.position, 0, double(page_text.length) - 1, "page read position outside the page text");
    CHECK_RANGE(scroll_text.position, 0, double(scroll_text.length) - 1, "scroll read position outside the text");

    CHECK_RANGE(scroll_offset, 0, 40, "scroll_offset outside 0..40");
    CHECK_RANGE(scroll_current, 0, 1, "scroll_current is neither buffer");

    CHECK_RANGE(sprite_state, SPRITE_IDLE_A, SPRITE_FALLING, "sprite_state unknown");
    CHECK_RANGE(blink_timer, 1, 30, "blink_timer outside 1..30");
    CHECK_RANGE(jump_timer, 1, SPRITE_MAX_WAIT, "jump_timer outside 1..574");
    if (sprite_state >= SPRITE_RISING) {
        CHECK_RANGE(launch_speed, 30, 94, "launch speed outside 30..94");
        CHECK_RANGE(previous_y, SPRITE_TOP_Y, SPRITE_FLOOR_Y, "airborne sprite outside y 47..497");
        CHECK_RANGE(jump_time, 0.0, 128 * 0.15 + 1e-9, "a jump lasting longer than 128 frames");
    }
    if (sprite_blits_this_frame != 1)
        violation("the sprite was not drawn exactly once", sprite_blits_this_frame);

    CHECK_RANGE(backdrop_motion.layer_x, -SWAY_SLACK, 2.5 * SWAY_SUM_MAX + SWAY_SLACK, "layer sway out of bounds");
    CHECK_RANGE(backdrop_motion.overlay_x, -2 * SWAY_SLACK, 5.0 * SWAY_SUM_MAX + 2 * SWAY_SLACK,
                "overlay sway out of bounds");
    // The drifts grow by whole numbers: exact in a double for far more frames than any run.
    if (backdrop_motion.layer_y != double(frame_number) || backdrop_motion.overlay_y != 2.0 * double(frame_number))
        violation("the boards' drift is not one and two units per frame", backdrop_motion.layer_y);
    backdrop_source_offsets offsets = backdrop_offsets(backdrop_motion);
    CHECK_RANGE(offsets.layer_x, 0, 48, "lower board's source x outside 0..48");
    CHECK_RANGE(offsets.layer_y, 0, 48, "lower board's source y outside 0..48");
    CHECK_RANGE(offsets.overlay_x, 0, 98, "upper board's source x outside 0..98");
    CHECK_RANGE(offsets.overlay_y, 0, 98, "upper board's source y outside 0..98");

    CHECK_RANGE(page_timer, 0, 500, "page_timer outside 0..500");
    CHECK_RANGE(drop_step, 0, 59, "drop_step outside 0..59");
    CHECK_RANGE(drop_offset, 0, DROP_LAST_OFFSET, "drop_offset outside 0..802");
    for (const line_motion& motion : layer_motion) {
        CHECK_RANGE(motion.state, MOTION_ACCELERATE, MOTION_PLACED, "line layer state unknown");
        CHECK_RANGE(motion.position, -LAUNCH_POSITION, LAUNCH_POSITION, "line layer beyond its launch position");
        CHECK_RANGE(motion.velocity, -700, 4400, "line layer velocity out of its range");
    }
    // The shipped pages all fit the window.
    CHECK_RANGE(origin_x, 0, 599, "page origin_x outside the window");
    CHECK_RANGE(origin_y, 0, 399, "page origin_y outside the window");
}

struct memory_sample {
    long long frame;
    long rss_kb, hwm_kb;
    long long heap_bytes;
};

static memory_sample sample_memory()
{
    memory_sample sample{frame_number, -1, -1, 0};
    if (FILE* status = fopen("/proc/self/status", "r")) {
        char line[256];
        while (fgets(line, sizeof(line), status)) {
            sscanf(line, "VmRSS: %ld kB", &sample.rss_kb);
            sscanf(line, "VmHWM: %ld kB", &sample.hwm_kb);
        }
        fclose(status);
    }
    struct mallinfo2 heap = mallinfo2();
    sample.heap_bytes = static_cast<long long>(heap.uordblks);
    return sample;
}

static int parse_count(const char* text, long long* out)
{
    if (!text)
        return 0;
    char* end = nullptr;
    long long value = strtoll(text, &end, 10);
    if (*text == '\0' || *end != '\0' || value < 0)
        return 0;
    *out = value;
    return 1;
}

int main(int argc, char** argv)
{
    long long frames = 50000, warmup = -1, samples = 20, seed = 12345;
    int music = 1, memory_check = 1;
    for (int i = 1; i < argc; i++) {
        int ok = 1;
        if (strcmp(argv[i], "--frames") == 0)
            ok = parse_count(i + 1 < argc ? argv[++i] : nullptr, &frames) && frames > 0;
        else if (strcmp(argv[i], "--warmup") == 0)
            ok = parse_count(i + 1 < argc ? argv[++i] : nullptr, &warmup);
        else if (strcmp(argv[i], "--samples") == 0)
            ok = parse_count(i + 1 < argc ? argv[++i] : nullptr, &samples) && samples > 0;
        else if (strcmp(argv[i], "--seed") == 0)
            ok = parse_count(i + 1 < argc ? argv[++i] : nullptr, &seed);
        else if (strcmp(argv[i], "--no-music") == 0)
            music = 0;
        else if (strcmp(argv[i], "--no-memory-check") == 0)
            memory_check = 0;
        else
            ok = 0;
        if (!ok) {
            fputs("usage: robust_soak [--frames N] [--warmup W] [--samples K] [--seed S] [--no-music] "
                  "[--no-memory-check]\n",
                  stderr);
            return 2;
        }
    }
    // Warm-up: two whole page cycles and more than a pass of the scroll text by default.
    if (warmup < 0)
        warmup = frames / 10 < 30000 ? frames / 10 : 30000;
    if (warmup >= frames)
        warmup = frames - 1;

    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (!start_headless(static_cast<unsigned int>(seed))) {
        fputs("robust_soak: the show could not start\n", stderr);
        return 1;
    }
    int music_playing = 0;
    if (music && music_open())
        music_playing = music_start(load_resource("ormivaara.xm", nullptr));

    // Reserved up front: the samples must not grow the heap they measure.
    std::vector<memory_sample> taken;
    taken.reserve(static_cast<size_t>(samples) + 2);
    auto started = std::chrono::steady_clock::now();
    begin_frames();
    in_frames = 1;
    for (frame_number = 1; frame_number <= frames; frame_number++) {
        sprite_blits_this_frame = 0;
        draw_frame();
        finish_frame();
        // Between frames, as the next frame will find it.
        check_state();
        long long after_warmup = frame_number - warmup;
        if (memory_check && after_warmup >= 0 &&
            (after_warmup % ((frames - warmup) / samples > 0 ? (frames - warmup) / samples : 1) == 0 ||
             frame_number == frames))
            taken.push_back(sample_memory());
        if (violations >= 1000)
            break;
    }
    in_frames = 0;
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    long long ran = frame_number > frames ? frames : frame_number;

    if (music_playing)
        music_close();
    stop_headless();

    printf("robust_soak: %lld frames in %.1f s (%.1f us per frame, %.0f frames per second), music %s, seed %lld\n",
           ran, seconds, seconds * 1e6 / double(ran), double(ran) / seconds, music_playing ? "playing" : "off", seed);
    int failed = violations > 0;
    if (memory_check && !taken.empty()) {
        printf("%12s %10s %10s %14s\n", "frame", "VmRSS kB", "VmHWM kB", "heap in use B");
        for (const memory_sample& sample : taken)
            printf("%12lld %10ld %10ld %14lld\n", sample.frame, sample.rss_kb, sample.hwm_kb, sample.heap_bytes);
        const memory_sample& first = taken.front();
        long rss_growth = 0;
        long long heap_growth = 0;
        for (const memory_sample& sample : taken) {
            if (sample.rss_kb - first.rss_kb > rss_growth)
                rss_growth = sample.rss_kb - first.rss_kb;
            if (sample.heap_bytes - first.heap_bytes > heap_growth)
                heap_growth = sample.heap_bytes - first.heap_bytes;
        }
        long hwm_growth = taken.back().hwm_kb - first.hwm_kb;
        // NOTE: when the libraries take their one-time step depends on the machine: a mixing
        // thread held up by other work mixes a larger block later on and may grow a buffer
        // then. A leak grows the heap again and again, so the second half may show one
        // rise (within the step limit above) but not two.
        const memory_sample& middle = taken[taken.size() / 2];
        long long late_heap_growth = 0;
        int late_heap_rises = 0;
        for (size_t i = taken.size() / 2; i < taken.size(); i++) {
            if (taken[i].heap_bytes - middle.heap_bytes > late_heap_growth)
                late_heap_growth = taken[i].heap_bytes - middle.heap_bytes;
            if (i > taken.size() / 2 && taken[i].heap_bytes > taken[i - 1].heap_bytes)
                late_heap_rises++;
        }
        printf("after frame %lld: VmRSS grew at most %ld kB, VmHWM by %ld kB, heap in use by %lld B\n", first.frame,
               rss_growth, hwm_growth, heap_growth);
        if (rss_growth > RSS_GROWTH_LIMIT_KB || hwm_growth > RSS_GROWTH_LIMIT_KB) {
            fprintf(stderr, "robust_soak: resident memory grew after warm-up\n");
            failed = 1;
        }
        // Under AddressSanitizer the C library's heap is not the one in use and reads 0 throughout.
        printf("over the second half (from frame %lld): heap in use grew by %lld B in %d rise(s)\n", middle.frame,
               late_heap_growth, late_heap_rises);
        if (heap_growth > HEAP_STEP_LIMIT_BYTES || late_heap_rises > 1) {
            fprintf(stderr, "robust_soak: the heap grew after warm-up\n");
            failed = 1;
        }
    }
    if (violations)
        fprintf(stderr, "robust_soak: %ld state or drawing bound(s) broken\n", violations);
    printf("robust_soak: %s\n", failed ? "FAILED" : "every bound held");
    return failed;
}
