// xm_writer.cpp -- lays an xm_song out as FastTracker 2 module bytes
#include "tools/music/xm_writer.h"

#include "common/little_endian.h"

#include <cstring>

static const char SIGNATURE[] = "Extended Module: ";
static const char TRACKER[] = "FastTracker v2.00   ";
constexpr uint32_t HEADER_SIZE = 276;           // counted from offset 60: 20 bytes of fields + 256 orders
constexpr uint32_t PATTERN_HEADER_SIZE = 9;
constexpr uint32_t INSTRUMENT_HEADER_SIZE = 263;  // FT2 writes 22 reserved bytes after the fadeout
constexpr uint32_t SAMPLE_HEADER_SIZE = 40;

static void put8(std::vector<uint8_t>& out, uint32_t v) { out.push_back(uint8_t(v)); }

static void put_text(std::vector<uint8_t>& out, const char* text, size_t size)
{
    size_t n = strnlen(text, size);
    out.insert(out.end(), text, text + n);
    out.insert(out.end(), size - n, 0);
}

// Packed cells: a lead byte with bit 7 set says which of the five fields follow;
// a cell with all five present is written plainly, as FT2 does.
static void pack_cell(std::vector<uint8_t>& out, const xm_cell& c)
{
    uint8_t fields[5] = {c.note, c.instrument, c.volume, c.effect, c.param};
    uint8_t mask = 0;
    for (int i = 0; i < 5; i++)
        if (fields[i]) mask |= uint8_t(1 << i);
    if (mask == 0x1F) {
        out.insert(out.end(), fields, fields + 5);
        return;
    }
    put8(out, 0x80 | mask);
    for (int i = 0; i < 5; i++)
        if (fields[i]) put8(out, fields[i]);
}

// The module header: signature, title, tracker name, version, sizes, speed and the order table.
static void put_module_header(std::vector<uint8_t>& out, const xm_song& song)
{
    put_text(out, SIGNATURE, 17);
    put_text(out, song.title, 20);
    put8(out, 0x1A);
    put_text(out, TRACKER, 20);
    put_le16(out, 0x0104);
    put_le32(out, HEADER_SIZE);
    put_le16(out, uint32_t(song.orders.size()));
    put_le16(out, 0);  // restart position
    put_le16(out, XM_CHANNELS);
    put_le16(out, uint32_t(song.patterns.size()));
    put_le16(out, uint32_t(song.instruments.size()));
    put_le16(out, 0);  // flags: Amiga frequency table
    put_le16(out, song.speed);
    put_le16(out, song.tempo);
    for (int i = 0; i < 256; i++) put8(out, i < int(song.orders.size()) ? song.orders[i] : 0);
}

// One pattern: its header and its packed cells; 0 when the packed cells outgrow their length field.
static int put_pattern(std::vector<uint8_t>& out, const xm_pattern& pattern)
{
    std::vector<uint8_t> packed;
    for (int row = 0; row < XM_ROWS; row++)
        for (int ch = 0; ch < XM_CHANNELS; ch++) pack_cell(packed, pattern.cells[row][ch]);
    if (packed.size() > 0xFFFF) return 0;
    put_le32(out, PATTERN_HEADER_SIZE);
    put8(out, 0);  // packing type
    put_le16(out, XM_ROWS);
    put_le16(out, uint32_t(packed.size()));
    out.insert(out.end(), packed.begin(), packed.end());
    return 1;
}

// One instrument: its header with the volume envelope, its one sample header and the
// delta-coded sample; 0 when the envelope or the loop does not fit the format.
static int put_instrument(std::vector<uint8_t>& out, const xm_instrument& ins)
{
    const xm_envelope& env = ins.envelope;
    const xm_sample& s = ins.sample;
    if (env.count < 0 || env.count > XM_MAX_ENVELOPE_POINTS || (env.count && env.sustain >= env.count)) return 0;
    if (s.loop_length && uint64_t(s.loop_start) + s.loop_length > s.data.size()) return 0;

    size_t start = out.size();
    put_le32(out, INSTRUMENT_HEADER_SIZE);
    put_text(out, ins.name, 22);
    put8(out, 0);  // type
    put_le16(out, 1);  // one sample
    put_le32(out, SAMPLE_HEADER_SIZE);
    out.insert(out.end(), 96, 0);  // every note plays sample 0
    for (int i = 0; i < XM_MAX_ENVELOPE_POINTS; i++) {
        put_le16(out, i < env.count ? env.tick[i] : 0);
        put_le16(out, i < env.count ? env.level[i] : 0);
    }
    out.insert(out.end(), 48, 0);  // no panning envelope
    put8(out, uint32_t(env.count));
    put8(out, 0);
    put8(out, env.sustain < 0 ? 0 : uint32_t(env.sustain));
    put8(out, 0);  // volume loop start
    put8(out, 0);  // volume loop end
    put8(out, 0);
    put8(out, 0);
    put8(out, 0);
    put8(out, env.count ? (env.sustain >= 0 ? 3 : 1) : 0);  // on, sustain
    put8(out, 0);
    put8(out, ins.vibrato_type);
    put8(out, ins.vibrato_sweep);
    put8(out, ins.vibrato_depth);
    put8(out, ins.vibrato_rate);
    put_le16(out, ins.fadeout);
    out.insert(out.end(), start + INSTRUMENT_HEADER_SIZE - out.size(), 0);

    put_le32(out, uint32_t(s.data.size()));
    put_le32(out, s.loop_length ? s.loop_start : 0);
    put_le32(out, s.loop_length);
    put8(out, s.volume);
    put8(out, uint8_t(s.finetune));
    put8(out, s.loop_length ? 1 : 0);  // forward loop, 8-bit
    put8(out, s.panning);
    put8(out, uint8_t(s.relative_note));
    put8(out, 0);
    put_text(out, ins.name, 22);

    int8_t previous = 0;
    for (int8_t v : s.data) {
        out.push_back(uint8_t(v - previous));
        previous = v;
    }
    return 1;
}

int xm_serialise(const xm_song& song, std::vector<uint8_t>& out)
{
    if (song.orders.empty() || song.orders.size() > 256 || song.patterns.size() > 256 ||
        song.instruments.size() > 128)
        return 0;
    for (uint8_t order : song.orders)
        if (order >= song.patterns.size()) return 0;

    out.clear();
    put_module_header(out, song);
    for (const xm_pattern& pattern : song.patterns)
        if (!put_pattern(out, pattern)) return 0;
    for (const xm_instrument& ins : song.instruments)
        if (!put_instrument(out, ins)) return 0;
    return 1;
}
