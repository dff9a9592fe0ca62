// xm_synth.cpp -- additive and noise synthesis for the module's samples
#include "tools/music/xm_synth.h"

#include <cmath>

constexpr double PI = 3.14159265358979323846;
constexpr double C4_RATE = 8363.0;  // XM plays an untransposed sample at C-4 at this rate

static uint32_t noise_state = 1;

double synth_rate(int octave_shift) { return C4_RATE * double(1 << octave_shift); }

void synth_seed(uint32_t seed) { noise_state = seed; }

float synth_noise()
{
    noise_state = noise_state * 1664525u + 1013904223u;
    return float(int32_t(noise_state) >> 8) / 8388608.0f;
}

static synth_filter biquad(double b0, double b1, double b2, double a0, double a1, double a2)
{
    return synth_filter{float(b0 / a0), float(b1 / a0), float(b2 / a0), float(a1 / a0), float(a2 / a0), 0, 0};
}

synth_filter synth_lowpass(double hz, double q, double rate)
{
    double w = 2 * PI * hz / rate, alpha = sin(w) / (2 * q), c = cos(w);
    return biquad((1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

synth_filter synth_highpass(double hz, double q, double rate)
{
    double w = 2 * PI * hz / rate, alpha = sin(w) / (2 * q), c = cos(w);
    return biquad((1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

synth_filter synth_bandpass(double hz, double q, double rate)
{
    double w = 2 * PI * hz / rate, alpha = sin(w) / (2 * q), c = cos(w);
    return biquad(alpha, 0, -alpha, 1 + alpha, -2 * c, 1 - alpha);
}

float synth_step(synth_filter* f, float x)
{
    // Transposed direct form II.
    float y = f->b0 * x + f->z1;
    f->z1 = f->b1 * x - f->a1 * y + f->z2;
    f->z2 = f->b2 * x - f->a2 * y;
    return y;
}

// Level of harmonic k of a shape, before any filtering.
static double harmonic(synth_shape shape, int k, double width)
{
    switch (shape) {
    case SHAPE_SINE: return k == 1 ? 1.0 : 0.0;
    case SHAPE_TRIANGLE: return (k & 1) ? ((k & 2) ? -1.0 : 1.0) / (double(k) * k) : 0.0;
    case SHAPE_SAW: return 1.0 / k;
    case SHAPE_SQUARE: return (k & 1) ? 1.0 / k : 0.0;
    case SHAPE_PULSE: return sin(PI * k * width) / k;
    case SHAPE_ORGAN: {
        // Drawbars on the fundamental, octave, twelfth, fifteenth and the two above.
        static const double bars[9] = {0, 1.0, 0.7, 0.45, 0.35, 0, 0.2, 0, 0.15};
        return k < 9 ? bars[k] : 0.0;
    }
    }
    return 0.0;
}

// A fourth-order-like roll-off above `cutoff` harmonics.
static double rolloff(int k, double cutoff) { return 1.0 / sqrt(1.0 + pow(k / cutoff, 4.0)); }

synth_voice synth_tone(const synth_tone_recipe& recipe)
{
    const int period = 32 << recipe.octave_shift;
    const double rate = synth_rate(recipe.octave_shift);
    const int top = period / 2 - 1;
    int attack_cycles = int(ceil(recipe.attack_seconds * rate / period));
    if (attack_cycles < 1) attack_cycles = 1;
    const size_t attack = size_t(attack_cycles) * period;

    synth_voice v;
    v.wave.assign(attack + period, 0.0f);
    v.loop_start = attack;
    v.loop_length = period;

    // Where the cycle starts. A note stopped part-way through a cycle leaves the running
    // sum of that partial cycle behind as a DC bias; starting where that sum averages
    // zero over the cycle keeps a busy bass line from drifting the mix off centre.
    std::vector<double> cycle(period);
    for (int n = 0; n < period; n++) {
        double x = 0;
        for (int k = 1; k <= top; k++)
            x += harmonic(recipe.shape, k, recipe.width) * rolloff(k, recipe.cutoff_end) * sin(2 * PI * k * n / period);
        cycle[n] = x;
    }
    int offset = 0;
    double best = 1e30;
    for (int start = 0; start < period; start++) {
        double sum = 0, bias = 0;
        for (int n = 0; n < period; n++) {
            sum += cycle[(start + n) % period];
            bias += sum;
        }
        if (fabs(bias) < best) best = fabs(bias), offset = start;
    }
    const int fade_in = period / 4 < 16 ? period / 4 : 16;

    synth_filter noise_filter = synth_lowpass(recipe.noise_cutoff_hz > 0 ? recipe.noise_cutoff_hz : 1000, 0.7, rate);
    for (size_t n = 0; n < v.wave.size(); n++) {
        // Attack position 0..1; the spectrum settles exactly at the loop start.
        double a = n < attack ? double(n) / attack : 1.0;
        double fade = (1 - a) * (1 - a);
        double cutoff = recipe.cutoff_end + (recipe.cutoff_start - recipe.cutoff_end) * fade;
        double phase = 2 * PI * double((n + offset) % period) / period;
        double x = 0;
        for (int k = 1; k <= top; k++) {
            double h = harmonic(recipe.shape, k, recipe.width);
            if (h != 0) x += h * rolloff(k, cutoff) * sin(k * phase);
        }
        double t = n / rate;
        for (int p = 0; p < recipe.partial_count; p++) {
            const synth_partial& q = recipe.partials[p];
            if (q.ratio >= top) continue;  // above the Nyquist limit of the period
            x += q.level * exp(-t / q.decay) * fade * sin(2 * PI * q.ratio * double(n) / period);
        }
        if (recipe.noise_level > 0 && n < attack)
            x += recipe.noise_level * fade * synth_step(&noise_filter, synth_noise());
        if (n < size_t(fade_in)) x *= double(n) / fade_in;
        v.wave[n] = float(x);
    }
    return v;
}

synth_voice synth_ensemble(synth_shape shape, float cutoff, int cycles, const int* voice_cycles, int voices)
{
    const size_t length = size_t(cycles) * 32;
    synth_voice v;
    v.wave.assign(length, 0.0f);
    v.loop_start = 0;
    v.loop_length = length;
    for (int i = 0; i < voices; i++) {
        int turns = voice_cycles[i];
        int top = int(length / (2 * size_t(turns))) - 1;
        // Each voice starts at its own phase so that the copies do not all peak together.
        double offset = 2 * PI * (i * 0.37);
        for (int k = 1; k <= top; k++) {
            double h = harmonic(shape, k, 0.5) * rolloff(k, cutoff);
            if (h == 0) continue;
            for (size_t n = 0; n < length; n++)
                v.wave[n] += float(h * sin(k * (2 * PI * turns * double(n) / length + offset)));
        }
    }
    return v;
}

synth_voice synth_drop(int period, int attack_periods, int extra_turns, float drive)
{
    const size_t attack = size_t(period) * attack_periods;
    synth_voice v;
    v.wave.assign(attack + period, 0.0f);
    v.loop_start = attack;
    v.loop_length = period;
    for (size_t n = 0; n < v.wave.size(); n++) {
        double a = n < attack ? double(n) / attack : 1.0;
        double rest = (1 - a) * (1 - a) * (1 - a);
        double phase = 2 * PI * (double(n) / period + extra_turns * (1 - rest));
        double x = sin(phase);
        if (drive > 0) x = tanh(drive * x) / tanh(drive);
        v.wave[n] = float(x);
    }
    return v;
}

synth_voice synth_noise_loop(size_t length, synth_filter* filters, int filter_count)
{
    std::vector<float> raw(length);
    for (float& x : raw) x = synth_noise();
    synth_voice v;
    v.wave.assign(length, 0.0f);
    v.loop_start = 0;
    v.loop_length = length;
    for (int pass = 0; pass < 2; pass++)
        for (size_t n = 0; n < length; n++) {
            float x = raw[n];
            for (int f = 0; f < filter_count; f++) x = synth_step(&filters[f], x);
            v.wave[n] = x;
        }
    return v;
}

void synth_mix(std::vector<float>& a, const std::vector<float>& b, size_t offset, float gain)
{
    if (a.size() < offset + b.size()) a.resize(offset + b.size(), 0.0f);
    for (size_t i = 0; i < b.size(); i++) a[offset + i] += gain * b[i];
}

static double peak_of(const std::vector<float>& wave)
{
    double peak = 0;
    for (float x : wave) peak = fmax(peak, fabs(x));
    return peak;
}

// RMS of the wave scaled to a peak of 1 and soft-clipped with drive (0: untouched).
static double clipped_rms(const std::vector<float>& wave, double peak, double drive)
{
    double sum = 0;
    for (float x : wave) {
        double y = drive > 0 ? tanh(drive * x / peak) / tanh(drive) : x / peak;
        sum += y * y;
    }
    return sqrt(sum / double(wave.size()));
}

double synth_limit(synth_voice* voice, double gain, double max_drive)
{
    const double peak = peak_of(voice->wave);
    if (peak <= 0 || gain <= 1) return 1.0;
    const double before = clipped_rms(voice->wave, peak, 0), target = before * gain;
    double low = 0, high = max_drive;
    if (clipped_rms(voice->wave, peak, high) <= target) low = high;
    for (int i = 0; i < 60 && low < high; i++) {
        double mid = (low + high) / 2;
        if (clipped_rms(voice->wave, peak, mid) < target) low = mid;
        else high = mid;
    }
    const double reached = clipped_rms(voice->wave, peak, high) / before;
    for (float& x : voice->wave) x = float(tanh(high * x / peak) / tanh(high));
    return reached;
}

void synth_store(const synth_voice& voice, xm_sample* sample)
{
    double peak = peak_of(voice.wave);
    double scale = peak > 0 ? 127.0 / peak : 0.0;
    sample->data.resize(voice.wave.size());
    for (size_t n = 0; n < voice.wave.size(); n++) {
        long q = lround(voice.wave[n] * scale);
        sample->data[n] = int8_t(q > 127 ? 127 : (q < -127 ? -127 : q));
    }
    sample->loop_start = uint32_t(voice.loop_length ? voice.loop_start : 0);
    sample->loop_length = uint32_t(voice.loop_length);
}
