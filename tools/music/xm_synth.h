// xm_synth.h -- oscillators, noise and filters that make the module's 8-bit samples
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/music/xm_writer.h"

// A sample as floats with its loop (loop_length 0: none), before it is quantised.
struct synth_voice {
    std::vector<float> wave;
    size_t loop_start;
    size_t loop_length;
};

enum synth_shape { SHAPE_SINE, SHAPE_TRIANGLE, SHAPE_SAW, SHAPE_SQUARE, SHAPE_PULSE, SHAPE_ORGAN };

// An inharmonic partial of an attack: frequency ratio to the fundamental, level, decay time.
struct synth_partial {
    float ratio, level, decay;
};

// A pitched voice built from harmonics: an attack whose lowpass moves from cutoff_start
// to cutoff_end (both in harmonics) over attack_seconds, then one cycle looped with the
// final spectrum. The period is 32 << octave_shift samples, so with relative note
// 12 * octave_shift the note C-4 sounds at about 261 Hz.
struct synth_tone_recipe {
    int octave_shift;
    synth_shape shape;
    float width;  // pulse width, 0-1
    float cutoff_start, cutoff_end;
    float attack_seconds;
    float noise_level, noise_cutoff_hz;  // a noise burst fading out over the attack
    const synth_partial* partials;       // fading out over the attack too
    int partial_count;
};

// Sample rate of a voice whose period is 32 << octave_shift when played as C-4.
double synth_rate(int octave_shift);

void synth_seed(uint32_t seed);
// White noise in [-1, 1) from a fixed linear congruential generator.
float synth_noise();

// Second-order filter (RBJ cookbook), stepped one sample at a time.
struct synth_filter {
    float b0, b1, b2, a1, a2, z1, z2;
};
synth_filter synth_lowpass(double hz, double q, double rate);
synth_filter synth_highpass(double hz, double q, double rate);
synth_filter synth_bandpass(double hz, double q, double rate);
float synth_step(synth_filter* f, float x);

synth_voice synth_tone(const synth_tone_recipe& recipe);

// A loop of `cycles` periods of 32 samples holding several slightly detuned copies of a
// shape: voice v runs voice_cycles[v] periods through the loop, so the beating repeats
// exactly and the whole sample loops without a seam.
synth_voice synth_ensemble(synth_shape shape, float cutoff, int cycles, const int* voice_cycles,
                           int voices);

// A sine whose pitch falls onto a looped final cycle of `period` samples: over the
// first attack_periods periods it runs extra_turns whole turns ahead (a fast start
// that slows), then holds. The seam is exact. drive > 0 squashes it towards a square.
synth_voice synth_drop(int period, int attack_periods, int extra_turns, float drive);

// Noise through a filter chain, made circular: the filters run over the loop twice
// and only the second pass is kept, so the wrap is as smooth as any other sample.
synth_voice synth_noise_loop(size_t length, synth_filter* filters, int filter_count);

// Mixes b into a at offset (a grows as needed).
void synth_mix(std::vector<float>& a, const std::vector<float>& b, size_t offset, float gain);

// Makes a voice louder for the same peak: a soft clip, tanh(drive x) / tanh(drive), whose
// drive (up to max_drive) is searched so that the RMS at full scale grows by gain: a
// limiter with its make-up gain, the peaks kept and the body and tail brought up. A loop
// stays seamless, as every sample goes through the same curve. Returns the gain reached.
double synth_limit(synth_voice* voice, double gain, double max_drive);

// Scales the voice to a peak of full scale, rounds it to 8 bits and fills data and loop
// of sample (volume, panning and tuning are left to the caller).
void synth_store(const synth_voice& voice, xm_sample* sample);
