// xm_playback.h -- plays a module through libopenmpt into memory and measures the result
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int XM_RENDER_RATE = 44100;

struct xm_render {
    int channels, orders, patterns, instruments;
    double duration_seconds;  // of one pass, as libopenmpt works it out
    std::vector<float> frames;  // interleaved stereo, 1.0 = full scale, unclipped
};

// Loads the module from memory and renders `passes` passes of it (1: the first pass,
// up to the point where the song would repeat). 0 when libopenmpt rejects the module.
int xm_render_module(const uint8_t* data, size_t size, int passes, xm_render* out);

struct xm_levels {
    double peak_dbfs;               // highest absolute sample of either channel
    double rms_dbfs;                // over both channels and the whole render
    double dc_left, dc_right;       // mean sample value
    double longest_quiet_seconds;   // longest run of 10 ms blocks all below quiet_dbfs
    double quiet_starts_at;         // where that run begins, in seconds
};

void xm_measure(const std::vector<float>& frames, double quiet_dbfs, xm_levels* out);
