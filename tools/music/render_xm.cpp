// render_xm.cpp -- renders a module's first pass (or more) to a 16-bit stereo WAV file for listening
//
// usage: render_xm MODULE.xm OUTPUT.wav [PASSES]
//
// Prints the pass's duration, peak, loudness, DC offset and longest near-silent stretch.
// Two passes let one hear the loop join.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tools/music/xm_playback.h"

static void put16(FILE* f, uint32_t v) { fputc(int(v & 0xFF), f), fputc(int((v >> 8) & 0xFF), f); }
static void put32(FILE* f, uint32_t v) { put16(f, v & 0xFFFF), put16(f, v >> 16); }

static int write_wav(const char* path, const std::vector<float>& frames)
{
    FILE* f = fopen(path, "wb");
    if (!f) return 0;
    uint32_t bytes = uint32_t(frames.size() * 2);
    fwrite("RIFF", 1, 4, f);
    put32(f, 36 + bytes);
    fwrite("WAVEfmt ", 1, 8, f);
    put32(f, 16);
    put16(f, 1);  // PCM
    put16(f, 2);
    put32(f, XM_RENDER_RATE);
    put32(f, XM_RENDER_RATE * 4);
    put16(f, 4);
    put16(f, 16);
    fwrite("data", 1, 4, f);
    put32(f, bytes);
    for (float x : frames) {
        long v = lround(x * 32767.0);
        put16(f, uint32_t(v > 32767 ? 32767 : (v < -32768 ? -32768 : v)) & 0xFFFF);
    }
    return fclose(f) == 0;
}

int main(int argc, char** argv)
{
    // Initialization
    if (argc < 3 || argc > 4) {
        fprintf(stderr, "usage: render_xm MODULE.xm OUTPUT.wav [PASSES]\n");
        return 2;
    }
    int passes = argc == 4 ? atoi(argv[3]) : 1;
    if (passes < 1) passes = 1;
    FILE* f = fopen(argv[1], "rb");
    if (!f) {
        fprintf(stderr, "render_xm: cannot read %s\n", argv[1]);
        return 1;
    }
    std::vector<uint8_t> data;
    for (int c; (c = fgetc(f)) != EOF;) data.push_back(uint8_t(c));
    fclose(f);

    // Render
    xm_render render;
    if (!xm_render_module(data.data(), data.size(), passes, &render)) {
        fprintf(stderr, "render_xm: libopenmpt rejects %s\n", argv[1]);
        return 1;
    }
    xm_levels levels;
    xm_measure(render.frames, -60.0, &levels);

    // Output
    if (!write_wav(argv[2], render.frames)) {
        fprintf(stderr, "render_xm: cannot write %s\n", argv[2]);
        return 1;
    }
    printf("%s: %d channels, %d orders, %d patterns, %d instruments\n", argv[1], render.channels, render.orders,
           render.patterns, render.instruments);
    printf("pass %.3f s, rendered %.3f s (%d pass%s)\n", render.duration_seconds,
           render.frames.size() / 2.0 / XM_RENDER_RATE, passes, passes == 1 ? "" : "es");
    printf("peak %.2f dBFS, rms %.2f dBFS, dc %.6f / %.6f\n", levels.peak_dbfs, levels.rms_dbfs, levels.dc_left,
           levels.dc_right);
    printf("longest stretch below -60 dBFS: %.2f s at %.2f s\n", levels.longest_quiet_seconds,
           levels.quiet_starts_at);
    return 0;
}
