// compose_xm.cpp -- composes the intro's tune: synthesises its 31 instruments and writes its 15 patterns
//
// usage: compose_xm OUTPUT.xm
//
// A minor, 125 BPM, four rows to the beat, one pattern = four bars. Order 0 is an
// intro that plays once; orders 1-16 are the loop (verse, chorus, breakdown, verse,
// final chorus), closed by a jump back to order 1 on the last row. Channel 0 is the
// drum kit, 1 the bass, 2 chords (tracker arpeggios, pads, stabs), 3 the lead.
// The patterns are written first: the instruments are mastered to the note volumes
// they are played at (see Mastering). Everything is computed from fixed numbers, so the
// same build writes the same bytes.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/music/xm_synth.h"
#include "tools/music/xm_writer.h"

// ---------------------------------------------------------------------------------
// Instrument slots (1-based, as the patterns name them)
// ---------------------------------------------------------------------------------
enum {
    KICK = 1, KICK_HARD, SNARE, CLAP, HAT, OPEN_HAT, KICK_CRASH, TOM_LOW, TOM_MID, TOM_HIGH, RIDE, RIM,
    BASS_SAW, BASS_SQUARE, BASS_SUB, BASS_PLUCK,
    ARP_SQUARE, ARP_PULSE, ARP_THIN, PAD_SOFT, PAD_STRINGS, ORGAN, BRASS,
    LEAD_SQUARE, LEAD_SAW, LEAD_PULSE, FLUTE, BELL, PLUCK, RISER, ZAP,
    INSTRUMENT_COUNT = ZAP
};

constexpr int PATTERN_COUNT = 15;
static const uint8_t ORDERS[] = {0, 1, 2, 1, 3, 4, 5, 4, 6, 7, 8, 9, 10, 11, 12, 13, 14};
constexpr int ORDER_COUNT = int(sizeof(ORDERS));

constexpr int CH_DRUMS = 0, CH_BASS = 1, CH_CHORDS = 2, CH_LEAD = 3;
constexpr int BAR = 16;  // rows

constexpr uint8_t PAN_CENTRE = 128, PAN_CHORDS = 0x58, PAN_LEAD = 0xA8;

static xm_song song;

// ---------------------------------------------------------------------------------
// Instruments
// ---------------------------------------------------------------------------------

struct envelope_point {
    int tick, level;
};

static xm_envelope envelope(std::initializer_list<envelope_point> points, int sustain)
{
    xm_envelope e{};
    for (const envelope_point& p : points) {
        e.tick[e.count] = uint16_t(p.tick);
        e.level[e.count] = uint16_t(p.level);
        e.count++;
    }
    e.sustain = sustain;
    return e;
}

// ---------------------------------------------------------------------------------
// Mastering
// ---------------------------------------------------------------------------------
// The parts are balanced at the volumes the patterns and instruments below are written
// with, which left the tune some 4 dB quieter than a finished release. MASTER_GAIN lifts
// every instrument alike, in three steps, each taking what the one before could not:
// its notes' volumes, up to the top volume; a sustained envelope, pressed towards the
// top (the attack is there already, so the held part rises); a limiter on the sample,
// no harder than MAX_DRIVE. Kicks and toms strike at the top already and squares cannot
// be limited, so they take less, and the lift is set above the 3.5 dB a whole pass gains
// by it. The player mixes four channels with headroom to spare: the mix cannot clip.
constexpr double MASTER_GAIN = 1.68;  // +4.5 dB
constexpr int TOP_VOLUME = 64;
constexpr int SUSTAIN_HOLD = 24;      // ticks a sustained envelope is counted as held, a typical note
constexpr double MIN_DEPTH = 0.5;     // an envelope keeps at least the shape of its square root
constexpr double LIMIT_BELOW = 1.01;  // a lift left over smaller than this needs no limiter
constexpr double MAX_DRIVE = 1.6;     // no sample squashed harder than the hard kick's own shape

static int loudest_note[INSTRUMENT_COUNT + 1];  // by slot, from the patterns

static void find_loudest_notes()
{
    for (const xm_pattern& p : song.patterns)
        for (const auto& row : p.cells)
            for (const xm_cell& c : row)
                if (c.instrument && c.volume)
                    loudest_note[c.instrument] = std::max(loudest_note[c.instrument], c.volume - 0x10);
}

// The share of MASTER_GAIN that the notes of slot take.
static double note_gain(int slot)
{
    return loudest_note[slot] ? std::min(MASTER_GAIN, double(TOP_VOLUME) / loudest_note[slot]) : MASTER_GAIN;
}

static int lifted(int level, double gain) { return std::min(TOP_VOLUME, int(lround(level * gain))); }

// An envelope level pressed towards the top: depth is the exponent on the level's share
// of the top (1 leaves it, 0 raises every level above 0 to the top). Rounded as stored.
static int pressed(int level, double depth)
{
    // NOTE: pow(0, 0) is 1: a swell from silence must still start from silence.
    return level ? int(lround(TOP_VOLUME * pow(double(level) / TOP_VOLUME, depth))) : 0;
}

// The square of an envelope's levels summed tick by tick after pressing, with the
// sustain level held for SUSTAIN_HOLD ticks.
static double envelope_energy(const xm_envelope& e, double depth)
{
    double sum = 0;
    for (int i = 0; i + 1 < e.count; i++) {
        double a = pressed(e.level[i], depth), b = pressed(e.level[i + 1], depth);
        for (int t = 0, span = e.tick[i + 1] - e.tick[i]; t < span; t++) {
            double level = a + (b - a) * t / span;
            sum += level * level;
        }
    }
    if (e.sustain >= 0) sum += SUSTAIN_HOLD * pow(pressed(e.level[e.sustain], depth), 2);
    return sum;
}

// Presses a sustained envelope so that it carries gain times its energy, keeping the
// order of its levels (a compressor on every note). Returns the gain reached: 1 for no
// envelope or a percussive one, short of gain when every level reaches the top.
static double lift_envelope(xm_envelope* e, double gain)
{
    if (!e->count || e->sustain < 0) return 1.0;
    const double before = envelope_energy(*e, 1.0), target = before * gain * gain;
    double low = MIN_DEPTH, high = 1.0;  // depths: low carries at least the target, high less
    if (envelope_energy(*e, low) <= target) high = low;
    for (int i = 0; i < 50 && low < high; i++) {
        double mid = (low + high) / 2;
        if (envelope_energy(*e, mid) < target) high = mid;
        else low = mid;
    }
    double reached = sqrt(envelope_energy(*e, low) / before);
    for (int i = 0; i < e->count; i++) e->level[i] = uint16_t(pressed(e->level[i], low));
    return reached;
}

static void lift_note_volumes()
{
    for (xm_pattern& p : song.patterns)
        for (auto& row : p.cells)
            for (xm_cell& c : row)
                if (c.instrument && c.volume) c.volume = uint8_t(0x10 + lifted(c.volume - 0x10, note_gain(c.instrument)));
}

static xm_instrument& define(int slot, const char* name, const synth_voice& voice, int volume,
                             uint8_t panning, int relative_note, const xm_envelope& env, int fadeout)
{
    xm_instrument& ins = song.instruments[slot - 1];
    ins = xm_instrument{};
    memcpy(ins.name, name, strnlen(name, sizeof(ins.name)));  // zero-filled, not terminated
    ins.envelope = env;
    double rest = MASTER_GAIN / note_gain(slot);
    rest /= lift_envelope(&ins.envelope, rest);
    synth_voice limited = voice;
    if (rest > LIMIT_BELOW) rest /= synth_limit(&limited, rest, MAX_DRIVE);
    ins.fadeout = uint16_t(fadeout);
    synth_store(limited, &ins.sample);
    ins.sample.volume = uint8_t(lifted(volume, note_gain(slot)));
    ins.sample.panning = panning;
    ins.sample.relative_note = int8_t(relative_note);
    return ins;
}

// An unlooped voice from a buffer that must have died away by its end; the last
// stretch is faded to exact silence so that the cut at the sample's end is clean.
static synth_voice one_shot(std::vector<float> wave)
{
    size_t tail = wave.size() / 8;
    for (size_t i = 0; i < tail; i++) wave[wave.size() - 1 - i] *= float(i) / float(tail);
    return synth_voice{wave, 0, 0};
}

// Drum samples run at 16726 Hz (relative note 12) or 12530 Hz (relative note 7) at C-4.
constexpr double RATE_HIGH = 16726.0, RATE_MID = 12530.5, RATE_LOW = 8363.0;

static std::vector<float> decaying_noise(size_t length, double rate, double decay, synth_filter* chain, int links)
{
    std::vector<float> w(length);
    for (size_t n = 0; n < length; n++) {
        float x = synth_noise();
        for (int f = 0; f < links; f++) x = synth_step(&chain[f], x);
        w[n] = float(x * exp(-(n / rate) / decay));
    }
    return w;
}

static std::vector<float> decaying_sine(size_t length, double rate, double hz_start, double hz_end,
                                        double sweep, double decay)
{
    std::vector<float> w(length);
    double phase = 0;
    for (size_t n = 0; n < length; n++) {
        double t = n / rate;
        w[n] = float(sin(phase) * exp(-t / decay));
        phase += 2 * M_PI * (hz_end + (hz_start - hz_end) * exp(-t / sweep)) / rate;
    }
    return w;
}

// A kick: a sine that drops onto a looped cycle (the volume envelope does the decay),
// with a short filtered click at the front.
static synth_voice kick_voice(int period, int attack_periods, int turns, float drive, float click)
{
    synth_voice v = synth_drop(period, attack_periods, turns, drive);
    synth_filter lp = synth_lowpass(3000, 0.7, RATE_LOW);
    for (size_t n = 0; n < 48; n++) v.wave[n] += click * (1.0f - n / 48.0f) * synth_step(&lp, synth_noise());
    return v;
}

static void make_drums()
{
    define(KICK, "kick", kick_voice(167, 3, 2, 0.3f, 0.25f), 64, PAN_CENTRE, 0,
           envelope({{0, 64}, {6, 56}, {13, 30}, {20, 10}, {28, 0}}, -1), 0);
    define(KICK_HARD, "kick hard", kick_voice(167, 2, 3, 1.6f, 0.35f), 64, PAN_CENTRE, 0,
           envelope({{0, 64}, {5, 58}, {11, 32}, {18, 10}, {26, 0}}, -1), 0);

    {
        synth_filter chain[2] = {synth_highpass(900, 0.7, RATE_MID), synth_lowpass(5000, 0.7, RATE_MID)};
        std::vector<float> w = decaying_noise(2000, RATE_MID, 0.055, chain, 2);
        synth_mix(w, decaying_sine(1000, RATE_MID, 330, 185, 0.01, 0.035), 0, 0.9f);
        define(SNARE, "snare", one_shot(w), 60, PAN_CENTRE, 7, xm_envelope{}, 0);
    }
    {
        // Three quick bursts, then the tail: a clap layered on a thin snare body.
        synth_filter chain[2] = {synth_bandpass(1300, 1.2, RATE_MID), synth_highpass(500, 0.7, RATE_MID)};
        std::vector<float> w = decaying_noise(2000, RATE_MID, 0.07, chain, 2);
        for (size_t n = 0; n < 400; n++) {
            double t = n / RATE_MID;
            double burst = fmod(t, 0.011) / 0.011;
            w[n] *= float(n < 330 ? 1.6 * (1 - burst) : 1.0);
        }
        synth_mix(w, decaying_sine(800, RATE_MID, 260, 200, 0.01, 0.03), 0, 0.5f);
        define(CLAP, "clap", one_shot(w), 58, PAN_CENTRE, 7, xm_envelope{}, 0);
    }
    {
        synth_filter chain[2] = {synth_highpass(6000, 0.7, RATE_HIGH), synth_highpass(6000, 0.7, RATE_HIGH)};
        define(HAT, "hat closed", one_shot(decaying_noise(1000, RATE_HIGH, 0.02, chain, 2)), 64, PAN_CENTRE, 12,
               xm_envelope{}, 0);
    }
    {
        synth_filter chain[2] = {synth_highpass(5500, 0.7, RATE_HIGH), synth_bandpass(7200, 0.9, RATE_HIGH)};
        define(OPEN_HAT, "hat open", synth_noise_loop(2048, chain, 2), 50, PAN_CENTRE, 12,
               envelope({{0, 64}, {5, 40}, {12, 18}, {22, 6}, {30, 0}}, -1), 0);
    }
    {
        // Kick and crash in one sample, for section starts: the kick dies inside the
        // unlooped head, the cymbal noise loops on under the envelope.
        const size_t head = 2560;
        synth_filter chain[2] = {synth_highpass(3000, 0.7, RATE_HIGH), synth_bandpass(6500, 0.6, RATE_HIGH)};
        synth_voice cymbal = synth_noise_loop(2048, chain, 2);
        std::vector<float> w(head + 2048);
        for (size_t n = 0; n < w.size(); n++) w[n] = 0.55f * cymbal.wave[n % 2048];
        std::vector<float> kick = decaying_sine(head, RATE_HIGH, 150, 48, 0.025, 0.045);
        for (size_t n = 0; n < head; n++) {
            double a = double(n) / head;
            w[n] += float(kick[n] * (1 - a) * (1 - a));
        }
        synth_voice v{w, head, 2048};
        define(KICK_CRASH, "kick crash", v, 62, PAN_CENTRE, 12,
               envelope({{0, 64}, {6, 50}, {20, 30}, {45, 14}, {80, 4}, {110, 0}}, -1), 0);
    }
    define(TOM_LOW, "tom low", kick_voice(84, 4, 2, 0.6f, 0.3f), 58, PAN_CENTRE, 0,
           envelope({{0, 64}, {6, 40}, {14, 14}, {22, 0}}, -1), 0);
    define(TOM_MID, "tom mid", kick_voice(64, 4, 2, 0.6f, 0.3f), 56, PAN_CENTRE, 0,
           envelope({{0, 64}, {6, 38}, {13, 12}, {20, 0}}, -1), 0);
    define(TOM_HIGH, "tom high", kick_voice(48, 4, 2, 0.6f, 0.3f), 54, PAN_CENTRE, 0,
           envelope({{0, 64}, {5, 36}, {12, 12}, {18, 0}}, -1), 0);
    {
        synth_filter chain[3] = {synth_bandpass(5200, 3.0, RATE_HIGH), synth_bandpass(3400, 2.0, RATE_HIGH),
                                 synth_highpass(2500, 0.7, RATE_HIGH)};
        define(RIDE, "ride", synth_noise_loop(2048, chain, 3), 52, PAN_CENTRE, 12,
               envelope({{0, 64}, {2, 44}, {10, 24}, {24, 10}, {40, 0}}, -1), 0);
    }
    {
        synth_filter chain[1] = {synth_bandpass(3200, 1.5, RATE_HIGH)};
        std::vector<float> w = decaying_noise(520, RATE_HIGH, 0.006, chain, 1);
        synth_mix(w, decaying_sine(520, RATE_HIGH, 1800, 1700, 0.01, 0.008), 0, 0.6f);
        define(RIM, "rim", one_shot(w), 52, PAN_CENTRE, 12, xm_envelope{}, 0);
    }
}

static synth_voice tone(int shift, synth_shape shape, float width, float cut_start, float cut_end, float attack,
                        float noise = 0, float noise_hz = 0, const synth_partial* partials = nullptr, int count = 0)
{
    synth_tone_recipe s{shift, shape, width, cut_start, cut_end, attack, noise, noise_hz, partials, count};
    return synth_tone(s);
}

static void make_tonal()
{
    // Bass: period 128, so relative note 24 keeps C-4 at 261 Hz; the attack times are
    // counted at C-4 and stretch some four times at the bass's own octave.
    define(BASS_SAW, "bass saw", tone(2, SHAPE_SAW, 0, 30, 7, 0.03f), 62, PAN_CENTRE, 24,
           envelope({{0, 64}, {4, 54}, {12, 46}}, 2), 2000);
    define(BASS_SQUARE, "bass square", tone(2, SHAPE_SQUARE, 0, 24, 9, 0.025f), 56, PAN_CENTRE, 24,
           envelope({{0, 64}, {4, 52}, {10, 46}}, 2), 2000);
    define(BASS_SUB, "bass sub", tone(1, SHAPE_TRIANGLE, 0, 3, 3, 0.0f), 64, PAN_CENTRE, 12,
           envelope({{0, 40}, {3, 64}, {40, 56}}, 2), 600);
    define(BASS_PLUCK, "bass pluck", tone(2, SHAPE_SAW, 0, 40, 4, 0.04f), 62, PAN_CENTRE, 24,
           envelope({{0, 64}, {4, 42}, {12, 24}, {30, 10}, {50, 0}}, -1), 0);

    // Chords: short attacks, a decay to a sustain that the next trigger cuts.
    define(ARP_SQUARE, "arp square", tone(1, SHAPE_SQUARE, 0, 22, 12, 0.01f), 40, PAN_CHORDS, 12,
           envelope({{0, 64}, {3, 46}, {10, 34}}, 2), 1500);
    define(ARP_PULSE, "arp pulse", tone(1, SHAPE_PULSE, 0.25f, 20, 13, 0.01f), 40, PAN_CHORDS, 12,
           envelope({{0, 64}, {3, 48}, {10, 36}}, 2), 1500);
    define(ARP_THIN, "arp thin", tone(1, SHAPE_PULSE, 0.125f, 26, 16, 0.01f), 38, PAN_CHORDS, 12,
           envelope({{0, 64}, {3, 50}, {10, 40}}, 2), 1500);
    {
        static const int voices[3] = {63, 64, 65};
        define(PAD_SOFT, "pad soft", synth_ensemble(SHAPE_SAW, 3.0f, 64, voices, 3), 44, PAN_CHORDS, 0,
               envelope({{0, 0}, {16, 48}, {36, 64}}, 2), 500);
    }
    {
        static const int voices[4] = {62, 64, 65, 67};
        define(PAD_STRINGS, "strings", synth_ensemble(SHAPE_SAW, 7.0f, 64, voices, 4), 40, PAN_CHORDS, 0,
               envelope({{0, 0}, {10, 44}, {24, 60}}, 2), 500);
    }
    define(ORGAN, "organ", tone(1, SHAPE_ORGAN, 0, 30, 30, 0.008f, 0.35f, 4000), 38, PAN_CHORDS, 12,
           envelope({{0, 64}, {3, 52}}, 1), 2500);
    define(BRASS, "brass stab", tone(1, SHAPE_SAW, 0, 2, 10, 0.06f), 44, PAN_CHORDS, 12,
           envelope({{0, 40}, {2, 64}, {8, 48}, {20, 40}}, 3), 3000);

    // Leads.
    define(LEAD_SQUARE, "lead square", tone(1, SHAPE_SQUARE, 0, 6, 12, 0.03f), 44, PAN_LEAD, 12,
           envelope({{0, 64}, {5, 56}, {15, 50}}, 2), 1200);
    define(LEAD_SAW, "lead saw", tone(1, SHAPE_SAW, 0, 18, 9, 0.04f), 44, PAN_LEAD, 12,
           envelope({{0, 64}, {5, 56}, {15, 50}}, 2), 1200);
    {
        xm_instrument& ins = define(LEAD_PULSE, "lead pulse", tone(1, SHAPE_PULSE, 0.3f, 15, 10, 0.03f), 44,
                                    PAN_LEAD, 12, envelope({{0, 64}, {6, 54}, {16, 50}}, 2), 1200);
        ins.vibrato_sweep = 60, ins.vibrato_depth = 4, ins.vibrato_rate = 12;
    }
    {
        xm_instrument& ins = define(FLUTE, "flute", tone(1, SHAPE_TRIANGLE, 0, 3, 3, 0.08f, 0.35f, 3000), 50,
                                    PAN_LEAD, 12, envelope({{0, 24}, {6, 64}, {20, 58}}, 2), 900);
        ins.vibrato_sweep = 80, ins.vibrato_depth = 6, ins.vibrato_rate = 10;
    }
    {
        static const synth_partial partials[3] = {{2.76f, 0.7f, 0.20f}, {5.40f, 0.45f, 0.10f}, {8.93f, 0.3f, 0.05f}};
        define(BELL, "bell", tone(1, SHAPE_SINE, 0, 1, 1, 0.12f, 0, 0, partials, 3), 50, PAN_LEAD, 12,
               envelope({{0, 64}, {6, 40}, {20, 22}, {50, 10}, {90, 0}}, -1), 0);
    }
    define(PLUCK, "pluck", tone(1, SHAPE_SAW, 0, 30, 3, 0.08f), 50, PAN_LEAD, 12,
           envelope({{0, 64}, {6, 36}, {20, 16}, {50, 4}, {70, 0}}, -1), 0);

    // Effects: a noise band that the pattern slides upwards, and a falling zap.
    {
        synth_filter chain[2] = {synth_bandpass(1500, 2.0, RATE_HIGH), synth_highpass(400, 0.7, RATE_HIGH)};
        define(RISER, "riser", synth_noise_loop(2048, chain, 2), 40, PAN_CENTRE, 12,
               envelope({{0, 4}, {90, 64}}, -1), 0);
    }
    define(ZAP, "zap", synth_drop(160, 12, 40, 2.0f), 36, PAN_CENTRE, 12,
           envelope({{0, 64}, {8, 30}, {16, 0}}, -1), 0);
}

// ---------------------------------------------------------------------------------
// Pattern writing
// ---------------------------------------------------------------------------------

static xm_pattern* pattern;

static void fail(const char* what, const char* detail)
{
    fprintf(stderr, "compose_xm: %s: %s\n", what, detail);
    exit(1);
}

// volume < 0 leaves the volume column empty.
static void put(int row, int ch, int note, int instrument, int volume, int effect = 0, int param = 0)
{
    xm_cell& c = pattern->cells[row][ch];
    if (note) c.note = uint8_t(note), c.instrument = uint8_t(instrument);
    if (volume >= 0) c.volume = uint8_t(0x10 + volume);
    if (effect || param) c.effect = uint8_t(effect), c.param = uint8_t(param);
}

static void put_effect(int row, int ch, int effect, int param)
{
    pattern->cells[row][ch].effect = uint8_t(effect);
    pattern->cells[row][ch].param = uint8_t(param);
}

// "c#5" -> XM note number (C-0 = 1); advances *text past the name.
static int parse_note(const char** text)
{
    static const int semitones[7] = {9, 11, 0, 2, 4, 5, 7};  // a b c d e f g
    const char* p = *text;
    if (*p < 'a' || *p > 'g') fail("bad note", p);
    int semitone = semitones[*p++ - 'a'];
    if (*p == '#') semitone++, p++;
    if (*p < '0' || *p > '7') fail("bad octave", *text);
    int octave = *p++ - '0';
    *text = p;
    return 12 * octave + semitone + 1;
}

// A melody line of tokens "note:rows", "-:rows" (key off, then silence) or ".:rows"
// (hold); it must fill the pattern. Notes of six rows or more get a delayed vibrato.
static void melody(int ch, int instrument, int volume, const char* text, int vibrato = 0x63)
{
    int row = 0;
    const char* p = text;
    while (*p) {
        while (*p == ' ') p++;
        if (!*p) break;
        int note = 0;
        if (*p == '-') note = XM_KEY_OFF, p++;
        else if (*p == '.') p++;
        else note = parse_note(&p);
        if (*p++ != ':') fail("expected ':' in", text);
        int rows = int(strtol(p, const_cast<char**>(&p), 10));
        if (rows <= 0 || row + rows > XM_ROWS) fail("melody overruns the pattern", text);
        if (note == XM_KEY_OFF) pattern->cells[row][ch].note = XM_KEY_OFF;
        else if (note) put(row, ch, note, instrument, volume);
        if (note && note != XM_KEY_OFF && rows >= 6 && vibrato)
            for (int r = row + 2; r < row + rows; r++) put_effect(r, ch, 4, vibrato);
        row += rows;
    }
    if (row != XM_ROWS) fail("melody does not fill the pattern", text);
}

// Drum bar: one character per row.
static void drums(int bar, const char* hits)
{
    if (strlen(hits) != BAR) fail("drum bar is not 16 rows", hits);
    for (int i = 0; i < BAR; i++) {
        int row = bar * BAR + i;
        switch (hits[i]) {
        case 'k': put(row, CH_DRUMS, 49, KICK, 64); break;
        case 'K': put(row, CH_DRUMS, 49, KICK_HARD, 64); break;
        case 'c': put(row, CH_DRUMS, 49, KICK_CRASH, 64); break;
        case 's': put(row, CH_DRUMS, 49, SNARE, 60); break;
        case 'S': put(row, CH_DRUMS, 49, CLAP, 62); break;
        case 'g': put(row, CH_DRUMS, 49, SNARE, 30); break;  // ghost note
        case 'h': put(row, CH_DRUMS, 49, HAT, (i & 1) ? 32 : 46); break;
        case 'o': put(row, CH_DRUMS, 49, OPEN_HAT, 40); break;
        case 'r': put(row, CH_DRUMS, 49, RIDE, (i & 3) ? 30 : 40); break;
        case 'i': put(row, CH_DRUMS, 49, RIM, 44); break;
        case 'l': put(row, CH_DRUMS, 49, TOM_LOW, 60); break;
        case 'm': put(row, CH_DRUMS, 49, TOM_MID, 58); break;
        case 't': put(row, CH_DRUMS, 49, TOM_HIGH, 56); break;
        case 'z': put(row, CH_DRUMS, 49, ZAP, 48); break;
        case '.': break;
        default: fail("unknown drum", hits);
        }
    }
}

// A snare roll across one bar, every `step` rows, growing louder.
static void roll(int bar, int step, int from, int to)
{
    for (int i = 0; i < BAR; i += step) put(bar * BAR + i, CH_DRUMS, 49, SNARE, from + (to - from) * i / (BAR - 1));
}

// Chords by name: the root's pitch class and whether the third is minor.
struct chord {
    int pitch;  // 0 = C
    int minor;
};

static chord parse_chord(const char* name)
{
    const char* p = name;
    static const int semitones[7] = {9, 11, 0, 2, 4, 5, 7};
    chord c{semitones[(*p | 0x20) - 'a'], 0};
    p++;
    if (*p == '#') c.pitch = (c.pitch + 1) % 12, p++;
    if (*p == 'm') c.minor = 1;
    return c;
}

// The root placed in the twelve semitones from A of `octave` upwards.
static int root_note(const chord& c, int octave) { return 12 * (c.pitch >= 9 ? octave : octave + 1) + c.pitch + 1; }

// Bass bar: 'R' root, 'O' octave, 'F' fifth, '-' key off, '.' nothing.
static void bass(int bar, const char* chord_name, int instrument, int volume, const char* line)
{
    if (strlen(line) != BAR) fail("bass bar is not 16 rows", line);
    int root = root_note(parse_chord(chord_name), 1);
    for (int i = 0; i < BAR; i++) {
        int row = bar * BAR + i;
        switch (line[i]) {
        case 'R': put(row, CH_BASS, root, instrument, volume); break;
        case 'O': put(row, CH_BASS, root + 12, instrument, volume - 6); break;
        case 'F': put(row, CH_BASS, root + 7, instrument, volume - 4); break;
        case '-': pattern->cells[row][CH_BASS].note = XM_KEY_OFF; break;
        case '.': break;
        default: fail("unknown bass step", line);
        }
    }
}

// Chord bar on the chord channel: 'x' loud and 'y' soft triggers of the chord's root with
// the arpeggio effect (root, third, fifth every tick) on every sounding row; '-' key off.
static void arp(int bar, const char* chord_name, int instrument, const char* line, int loud = 48, int soft = 34)
{
    if (strlen(line) != BAR) fail("chord bar is not 16 rows", line);
    chord c = parse_chord(chord_name);
    int root = root_note(c, 3);
    int param = c.minor ? 0x37 : 0x47;
    int sounding = 0;
    for (int i = 0; i < BAR; i++) {
        int row = bar * BAR + i;
        if (line[i] == 'x') put(row, CH_CHORDS, root, instrument, loud), sounding = 1;
        else if (line[i] == 'y') put(row, CH_CHORDS, root, instrument, soft), sounding = 1;
        else if (line[i] == '-') pattern->cells[row][CH_CHORDS].note = XM_KEY_OFF, sounding = 0;
        else if (line[i] != '.') fail("unknown chord step", line);
        if (sounding) put_effect(row, CH_CHORDS, 0, param);
    }
}

// A rising noise sweep on the chord channel through one bar.
static void riser(int bar)
{
    put(bar * BAR, CH_CHORDS, 49, RISER, 40);
    for (int i = 0; i < BAR; i++) put_effect(bar * BAR + i, CH_CHORDS, 1, 0x02);
}

static void begin(int index) { pattern = &song.patterns[index]; }

// Common drum bars.
static const char* VERSE_DRUMS = "k.h.s.h.k.k.s.h.";
static const char* VERSE_OPEN = "k.h.s.h.k.k.s.o.";
static const char* VERSE_BUSY = "k.hhs.hhk.khs.hh";
static const char* CHORUS_DRUMS = "K.hhs.hhK.KhS.oh";
static const char* CHORUS_CRASH = "c.hhs.hhK.KhS.oh";

static const char* VERSE_BASS = "R.R.O.R.R.O.R.F.";
static const char* VERSE_BASS_B = "R.ROR.R.R.ROR.F.";
static const char* CHORUS_BASS = "R.OR.RO.R.OR.RO.";
static const char* VERSE_ARP = "x..y..x.x..y..y.";
static const char* CHORUS_ARP = "x.y.x.y.x.y.x.y.";
static const char* STABS = "x.-...x.-...x.-.";

static void compose_intro()
{
    begin(0);
    static const char* chords[4] = {"Am", "F", "C", "G"};
    for (int b = 0; b < 3; b++) arp(b, chords[b], PAD_SOFT, "x...............", 56);
    riser(3);
    melody(CH_LEAD, PLUCK, 44,
           "a4:2 c5:2 e5:2 a5:2 e5:2 c5:2 a4:2 c5:2  a4:2 c5:2 f5:2 a5:2 f5:2 c5:2 a4:2 c5:2 "
           "g4:2 c5:2 e5:2 g5:2 e5:2 c5:2 g4:2 c5:2  g4:2 b4:2 d5:2 g5:2 d5:2 b4:2 g4:2 b4:2");
    bass(2, "C", BASS_PLUCK, 56, "R...R...R...R.R.");
    bass(3, "G", BASS_PLUCK, 56, "R...R...R...R.R.");
    drums(0, "h...h...h...h.h.");
    drums(1, "h.h.i.h.h.h.i.h.");
    drums(2, "k.h.i.h.k.h.i.h.");
    drums(3, "k.h.s.h.k.llmmtt");
}

// The verse's four bars of bass and arpeggio over a progression.
static void verse_bed(const char* const chords[4], int arp_instrument, const char* bass_line)
{
    for (int b = 0; b < 4; b++) {
        bass(b, chords[b], BASS_SAW, 50, bass_line);
        arp(b, chords[b], arp_instrument, VERSE_ARP);
    }
}

static void chorus_bed(const char* const chords[4], int arp_instrument, int bass_instrument)
{
    for (int b = 0; b < 4; b++) {
        bass(b, chords[b], bass_instrument, 50, CHORUS_BASS);
        if (arp_instrument == BRASS) arp(b, chords[b], BRASS, STABS, 52, 40);
        else arp(b, chords[b], arp_instrument, CHORUS_ARP);
    }
}

static void compose_verses()
{
    static const char* home[4] = {"Am", "F", "C", "G"};
    static const char* lift[4] = {"Am", "F", "Dm", "E"};

    begin(1);
    verse_bed(home, ARP_SQUARE, VERSE_BASS);
    drums(0, "c.h.s.h.k.k.s.h.");
    drums(1, VERSE_DRUMS);
    drums(2, VERSE_DRUMS);
    drums(3, VERSE_OPEN);
    melody(CH_LEAD, LEAD_SQUARE, 48,
           "a4:2 c5:2 e5:4 d5:2 c5:2 b4:2 c5:2  a4:6 c5:2 f5:4 e5:2 c5:2 "
           "g4:2 c5:2 e5:4 g5:4 e5:2 d5:2  d5:6 b4:2 g4:4 b4:2 d5:2");

    begin(2);
    verse_bed(home, ARP_SQUARE, VERSE_BASS);
    drums(0, VERSE_DRUMS);
    drums(1, VERSE_OPEN);
    drums(2, VERSE_DRUMS);
    drums(3, "k.h.s.h.k.k.s.sg");
    melody(CH_LEAD, LEAD_SQUARE, 48,
           "e5:2 a5:2 g5:2 e5:2 c5:4 e5:4  f5:4 e5:2 d5:2 c5:4 a4:4 "
           "g4:2 c5:2 e5:2 g5:2 a5:4 g5:4  f5:2 e5:2 d5:2 b4:2 d5:6 -:2");

    begin(3);
    verse_bed(lift, ARP_SQUARE, VERSE_BASS);
    drums(0, VERSE_DRUMS);
    drums(1, VERSE_OPEN);
    drums(2, VERSE_DRUMS);
    drums(3, "k.h.s.s.ssllmmtz");
    melody(CH_LEAD, LEAD_SQUARE, 48,
           "a4:2 c5:2 e5:4 d5:2 c5:2 b4:2 c5:2  a4:4 c5:2 f5:2 a5:4 g5:2 f5:2 "
           "f5:4 e5:2 d5:2 a5:4 f5:4  e5:4 g#5:4 b5:4 e5:2 g#5:2");
}

static void compose_choruses()
{
    static const char* hook[4] = {"F", "G", "Em", "Am"};
    static const char* turn[4] = {"F", "G", "C", "E"};
    static const char* fall[4] = {"Dm", "E", "Am", "Am"};

    begin(4);
    chorus_bed(hook, ARP_PULSE, BASS_SQUARE);
    drums(0, CHORUS_CRASH);
    drums(1, CHORUS_DRUMS);
    drums(2, CHORUS_DRUMS);
    drums(3, CHORUS_DRUMS);
    melody(CH_LEAD, LEAD_SAW, 50,
           "a5:6 g5:2 f5:4 e5:4  g5:6 f5:2 e5:4 d5:4 "
           "e5:4 g5:2 b5:6 a5:2 g5:2  a5:8 c6:2 b5:2 a5:2 e5:2");

    begin(5);
    chorus_bed(turn, ARP_PULSE, BASS_SQUARE);
    drums(0, CHORUS_DRUMS);
    drums(1, CHORUS_DRUMS);
    drums(2, CHORUS_DRUMS);
    drums(3, "K.hhs.hhK.KhS.SS");
    melody(CH_LEAD, LEAD_SAW, 50,
           "a5:6 g5:2 f5:4 e5:4  g5:6 f5:2 e5:4 d5:4 "
           "e5:4 g5:2 c6:6 b5:2 g5:2  b5:8 g#5:4 e5:4");

    begin(6);
    chorus_bed(fall, BRASS, BASS_SQUARE);
    drums(0, CHORUS_DRUMS);
    drums(1, CHORUS_DRUMS);
    drums(2, CHORUS_DRUMS);
    drums(3, "c.......s.......");
    bass(3, "Am", BASS_SQUARE, 50, "R...............");
    melody(CH_LEAD, LEAD_SAW, 50,
           "f5:6 e5:2 d5:4 a5:4  g#5:6 a5:2 b5:4 e5:4 "
           "a5:16  e5:2 c5:2 a4:12");
}

static void compose_breakdown()
{
    static const char* calm[4] = {"Dm", "Am", "F", "G"};
    static const char* build[4] = {"Dm", "Am", "E", "E"};

    begin(7);
    for (int b = 0; b < 4; b++) {
        bass(b, calm[b], BASS_SUB, 60, "R.......R.......");
        drums(b, b == 3 ? "r.r.i.r.r.r.i.ri" : "r.r.i.r.r.r.i.r.");
    }
    melody(CH_CHORDS, PAD_STRINGS, 50, "f4:16 e4:16 a4:16 b4:16", 0);
    melody(CH_LEAD, FLUTE, 50, "d5:8 f5:4 a5:4  e5:8 c5:4 a4:4  f5:8 a5:4 c6:4  b5:8 d5:4 g5:4");

    begin(8);
    bass(0, build[0], BASS_SUB, 60, "R.......R.......");
    bass(1, build[1], BASS_SUB, 60, "R.......R.......");
    bass(2, build[2], BASS_SAW, 48, "R.R.R.R.R.R.R.R.");
    bass(3, build[3], BASS_SAW, 52, "R.R.R.R.RRRRRRRR");
    drums(0, "k.r.i.r.k.r.i.r.");
    drums(1, "k.r.i.r.k.r.i.rk");
    roll(2, 4, 30, 44);
    for (int i = 2; i < BAR; i += 4) put(2 * BAR + i, CH_DRUMS, 49, KICK, 56);
    roll(3, 1, 24, 64);
    melody(CH_CHORDS, PAD_STRINGS, 50, "f4:16 e4:16 g#4:16 .:16", 0);
    riser(3);
    melody(CH_LEAD, BELL, 52,
           "a5:2 f5:2 d5:2 f5:2 a5:2 f5:2 d5:2 f5:2  a5:2 e5:2 c5:2 e5:2 a5:2 e5:2 c5:2 e5:2 "
           "b5:2 g#5:2 e5:2 g#5:2 b5:2 g#5:2 e5:2 g#5:2  e6:4 d6:4 b5:4 g#5:4");
}

static void compose_reprise()
{
    static const char* home[4] = {"Am", "F", "C", "G"};
    static const char* lift[4] = {"Am", "F", "Dm", "E"};

    begin(9);
    verse_bed(home, ORGAN, VERSE_BASS_B);
    drums(0, "c.hhs.hhk.khs.hh");
    drums(1, VERSE_BUSY);
    drums(2, VERSE_BUSY);
    drums(3, "k.hhs.hhk.khs.o.");
    melody(CH_LEAD, LEAD_PULSE, 50,
           "a4:3 c5:3 e5:2 a5:4 g5:2 e5:2  f5:3 e5:3 c5:2 a4:4 c5:2 f5:2 "
           "e5:3 g5:3 c6:2 b5:2 g5:2 e5:4  d5:3 b4:3 g4:2 d5:4 f5:2 g5:2");

    begin(10);
    verse_bed(lift, ORGAN, VERSE_BASS_B);
    drums(0, VERSE_BUSY);
    drums(1, "k.hhs.hhk.khs.o.");
    drums(2, VERSE_BUSY);
    drums(3, "k.s.s.ssllmmttsz");
    melody(CH_LEAD, LEAD_PULSE, 50,
           "e5:2 a5:2 g5:2 e5:2 c5:4 e5:4  f5:4 a5:2 c6:2 a5:4 f5:4 "
           "d6:4 c6:2 a5:2 f5:4 d5:4  e5:2 g#5:2 b5:2 e6:2 d6:2 b5:2 g#5:2 b5:2");
}

static void compose_finale()
{
    static const char* hook[4] = {"F", "G", "Em", "Am"};
    static const char* turn[4] = {"F", "G", "C", "E"};
    static const char* home[4] = {"F", "G", "E", "E"};

    begin(11);
    chorus_bed(hook, ARP_THIN, BASS_SQUARE);
    drums(0, CHORUS_CRASH);
    drums(1, CHORUS_DRUMS);
    drums(2, CHORUS_DRUMS);
    drums(3, CHORUS_DRUMS);
    melody(CH_LEAD, LEAD_SAW, 52,
           "a5:6 g5:2 f5:2 g5:2 a5:2 c6:2  b5:6 a5:2 g5:2 f5:2 e5:2 d5:2 "
           "e5:4 g5:2 b5:6 a5:2 g5:2  a5:8 c6:2 b5:2 a5:2 e5:2");

    begin(12);
    chorus_bed(turn, BRASS, BASS_SAW);
    drums(0, CHORUS_DRUMS);
    drums(1, CHORUS_DRUMS);
    drums(2, CHORUS_DRUMS);
    drums(3, "K.hhs.hhK.KhS.SS");
    melody(CH_LEAD, LEAD_SAW, 52,
           "c6:6 a5:2 f5:4 a5:4  d6:6 b5:2 g5:4 b5:4 "
           "e6:4 d6:2 c6:6 b5:2 g5:2  b5:8 g#5:4 e5:4");

    begin(13);
    chorus_bed(hook, ARP_THIN, BASS_SQUARE);
    drums(0, CHORUS_CRASH);
    drums(1, CHORUS_DRUMS);
    drums(2, CHORUS_DRUMS);
    drums(3, CHORUS_DRUMS);
    melody(CH_LEAD, LEAD_SAW, 52,
           "a5:6 g5:2 f5:4 e5:4  g5:6 f5:2 e5:4 d5:4 "
           "e5:4 g5:2 b5:6 a5:2 g5:2  a5:8 c6:2 b5:2 a5:2 e5:2");

    // The last pattern turns back to the verse: a dominant bar, the riser, a fill and
    // the jump to order 1 on its last row.
    begin(14);
    for (int b = 0; b < 4; b++) bass(b, home[b], BASS_SQUARE, 50, b == 3 ? "R.R.R.R.RRRRRRRR" : CHORUS_BASS);
    for (int b = 0; b < 3; b++) arp(b, home[b], ARP_THIN, CHORUS_ARP);
    riser(3);
    drums(0, CHORUS_DRUMS);
    drums(1, CHORUS_DRUMS);
    drums(2, CHORUS_DRUMS);
    drums(3, "K.s.s.ssllmmttzz");
    melody(CH_LEAD, LEAD_SAW, 52,
           "f5:4 a5:4 c6:4 a5:4  g5:4 b5:4 d6:4 b5:4 "
           "g#5:8 b5:8  e6:8 d6:2 b5:2 g#5:2 e5:2");
    put_effect(XM_ROWS - 1, CH_DRUMS, 0xB, 1);
}

// ---------------------------------------------------------------------------------
// Entry point
// ---------------------------------------------------------------------------------
int main(int argc, char** argv)
{
    // Initialization
    if (argc != 2) {
        fprintf(stderr, "usage: compose_xm OUTPUT.xm\n");
        return 2;
    }
    synth_seed(0x5EED1234u);
    song.speed = 6;
    song.tempo = 125;
    static const char TITLE[] = "Swayboard theme";
    memcpy(song.title, TITLE, sizeof(TITLE) - 1);
    song.orders.assign(ORDERS, ORDERS + ORDER_COUNT);
    song.patterns.assign(PATTERN_COUNT, xm_pattern{});
    song.instruments.assign(INSTRUMENT_COUNT, xm_instrument{});

    // Patterns
    compose_intro();
    compose_verses();
    compose_choruses();
    compose_breakdown();
    compose_reprise();
    compose_finale();

    // Instruments, mastered to the patterns' volumes; then the notes' share of the lift
    find_loudest_notes();
    make_drums();
    make_tonal();
    lift_note_volumes();

    // Output
    std::vector<uint8_t> bytes;
    if (!xm_serialise(song, bytes)) fail("cannot serialise", argv[1]);
    FILE* f = fopen(argv[1], "wb");
    if (!f) fail("cannot write", argv[1]);
    size_t written = fwrite(bytes.data(), 1, bytes.size(), f);
    if (fclose(f) != 0 || written != bytes.size()) fail("cannot write", argv[1]);
    printf("compose_xm: %s, %zu bytes\n", argv[1], bytes.size());
    return 0;
}
