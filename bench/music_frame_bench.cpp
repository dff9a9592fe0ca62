// music_frame_bench.cpp -- what one frame costs with the music silent and with it playing, and what mixing costs
//
// Usage: music_frame_bench [module.xm|-] [off|on]
// The module defaults to (or with "-" is) the archived one; "off" or "on" runs the frames
// in only that state, for counting instructions per state under callgrind.
// Runs the frame's work (draw_frame and finish_frame, no present) on the dummy video
// driver, alternating blocks without and with music so that drift on a shared machine
// hits both alike. The music plays through the real stand-in on SDL's dummy audio
// driver, whose thread calls the mixing callback in real time as a device would.
#include "app/display.h"
#include "app/frame_loop.h"
#include "app/headless.h"
#include "music/music.h"
#include "platform/bass.h"
#include "resources/store.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

constexpr int BLOCK_FRAMES = 500;
constexpr int ROUNDS = 6;
constexpr double MIX_SECONDS = 20;

typedef std::chrono::steady_clock bench_clock;

static const unsigned char* module_bytes(int argc, char** argv)
{
    if (argc < 2 || strcmp(argv[1], "-") == 0)
        return load_resource("ormivaara.xm", nullptr);
    FILE* file = fopen(argv[1], "rb");
    if (!file)
        return nullptr;
    static std::vector<unsigned char> bytes(8u << 20);
    size_t got = fread(bytes.data(), 1, bytes.size(), file);
    fclose(file);
    return got ? bytes.data() : nullptr;
}

static void run_block(std::vector<double>* frame_us)
{
    for (int i = 0; i < BLOCK_FRAMES; ++i) {
        bench_clock::time_point start = bench_clock::now();
        draw_frame();
        finish_frame();
        frame_us->push_back(std::chrono::duration<double, std::micro>(bench_clock::now() - start).count());
    }
}

static void report(const char* what, std::vector<double> frame_us)
{
    std::sort(frame_us.begin(), frame_us.end());
    double sum = 0;
    for (double us : frame_us)
        sum += us;
    printf("%-14s frames %zu  mean %8.1f us  median %8.1f us  p90 %8.1f us\n", what, frame_us.size(),
           sum / frame_us.size(), frame_us[frame_us.size() / 2], frame_us[frame_us.size() * 9 / 10]);
}

int main(int argc, char** argv)
{
    // Initialization
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    const unsigned char* module = module_bytes(argc, argv);
    if (!module || !start_headless(0)) {
        fprintf(stderr, "music_frame_bench: no module, texts or display\n");
        return 1;
    }
    begin_frames();
    std::vector<double> warmup;
    run_block(&warmup);
    const char* only = argc > 2 ? argv[2] : "";

    // Update: alternate silent and playing blocks
    std::vector<double> silent, playing;
    for (int round = 0; round < ROUNDS; ++round) {
        if (strcmp(only, "on") != 0)
            run_block(&silent);
        if (strcmp(only, "off") == 0)
            continue;
        if (!music_open() || !music_start(module)) {
            fprintf(stderr, "music_frame_bench: the music did not start\n");
            return 1;
        }
        run_block(&playing);
        music_close();
    }
    if (!silent.empty())
        report("music off", silent);
    if (!playing.empty())
        report("music playing", playing);

    // The mixing itself, offline: what the audio thread spends per second of sound.
    HMUSIC handle = BASS_MusicLoad(1, module, 0, 0, BASS_SAMPLE_LOOP);
    if (!handle || !BASS_MusicPlay(handle)) {
        fprintf(stderr, "music_frame_bench: the module does not load\n");
        return 1;
    }
    static int16_t buffer[1024 * 2];
    const int callbacks = static_cast<int>(MIX_SECONDS * bass_mix_rate() / 1024);
    bench_clock::time_point start = bench_clock::now();
    for (int i = 0; i < callbacks; ++i)
        bass_mix(buffer, 1024);
    double ms = std::chrono::duration<double, std::milli>(bench_clock::now() - start).count();
    BASS_MusicFree(handle);
    printf("mixing        %.1f ms of CPU time per second of sound (%.2f%% of one core)\n", ms / MIX_SECONDS,
           ms / MIX_SECONDS / 10);

    // De-Initialization
    stop_headless();
    return 0;
}
