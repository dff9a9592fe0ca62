// xm_writer.h -- an XM module held in plain structs, and its serialisation to bytes
#pragma once

#include <cstdint>
#include <vector>

constexpr int XM_ROWS = 64;
constexpr int XM_CHANNELS = 4;
constexpr int XM_MAX_ENVELOPE_POINTS = 12;
constexpr uint8_t XM_KEY_OFF = 97;

// One pattern cell; 0 in a field means "nothing there" (as in the file).
struct xm_cell {
    uint8_t note;        // 1 = C-0 ... 96 = B-7, 97 = key off
    uint8_t instrument;  // 1-based
    uint8_t volume;      // volume column byte (0x10-0x50 sets volume 0-64)
    uint8_t effect;
    uint8_t param;
};

struct xm_pattern {
    xm_cell cells[XM_ROWS][XM_CHANNELS];
};

// Volume envelope: points of (tick, level 0-64); sustain and loop are point indices.
struct xm_envelope {
    int count;
    uint16_t tick[XM_MAX_ENVELOPE_POINTS];
    uint16_t level[XM_MAX_ENVELOPE_POINTS];
    int sustain;  // -1 for none
};

// 8-bit sample, kept undelta'd; the writer delta-codes it.
struct xm_sample {
    std::vector<int8_t> data;
    uint32_t loop_start;
    uint32_t loop_length;  // 0: no loop
    uint8_t volume;        // 0-64
    int8_t finetune;
    uint8_t panning;       // 0-255, 128 centre
    int8_t relative_note;
};

struct xm_instrument {
    char name[22];
    xm_envelope envelope;  // count 0: no envelope
    uint16_t fadeout;
    uint8_t vibrato_type, vibrato_sweep, vibrato_depth, vibrato_rate;
    xm_sample sample;
};

struct xm_song {
    char title[20];
    uint16_t speed, tempo;
    std::vector<uint8_t> orders;
    std::vector<xm_pattern> patterns;
    std::vector<xm_instrument> instruments;
};

// The module's bytes, in the FastTracker 2 layout (version 0x0104, Amiga periods).
// Returns 0 when the song does not fit the format (too many orders, envelope out of range).
int xm_serialise(const xm_song& song, std::vector<uint8_t>& out);
