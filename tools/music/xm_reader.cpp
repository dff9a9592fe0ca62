// xm_reader.cpp -- bounds-checked reading of XM headers, pattern data and the module's extent
#include "tools/music/xm_reader.h"

#include "common/little_endian.h"

#include <cstring>

constexpr size_t HEADER_FIELDS_END = 336;  // 60 + 20 bytes of fields + 256 orders


int xm_read_header(const uint8_t* data, size_t size, xm_header* h)
{
    if (size < HEADER_FIELDS_END) return 0;
    memset(h, 0, sizeof(*h));
    memcpy(h->signature, data, 17);
    memcpy(h->title, data + 17, 20);
    h->marker = data[37];
    memcpy(h->tracker, data + 38, 20);
    h->version = uint16_t(read_le16(data + 58));
    h->header_size = read_le32(data + 60);
    h->song_length = uint16_t(read_le16(data + 64));
    h->restart = uint16_t(read_le16(data + 66));
    h->channels = uint16_t(read_le16(data + 68));
    h->patterns = uint16_t(read_le16(data + 70));
    h->instruments = uint16_t(read_le16(data + 72));
    h->flags = uint16_t(read_le16(data + 74));
    h->speed = uint16_t(read_le16(data + 76));
    h->tempo = uint16_t(read_le16(data + 78));
    memcpy(h->orders, data + 80, 256);
    return 1;
}

// Offsets are kept in 64 bits so that a hostile size field cannot wrap them.
static int fits(uint64_t offset, uint64_t length, size_t size) { return offset + length <= size; }

// Start of pattern index, or 0 when it lies outside the data.
static uint64_t pattern_offset(const uint8_t* data, size_t size, int index, const xm_header& h)
{
    uint64_t at = 60 + uint64_t(h.header_size);
    for (int i = 0;; i++) {
        if (!fits(at, 9, size)) return 0;
        if (i == index) return at;
        uint64_t length = read_le32(data + at);
        if (length < 9) return 0;
        at += length + read_le16(data + at + 7);
    }
}

int xm_read_pattern(const uint8_t* data, size_t size, int index, std::vector<xm_cell>& cells)
{
    xm_header h;
    if (!xm_read_header(data, size, &h) || index < 0 || index >= h.patterns || h.channels == 0) return 0;
    uint64_t at = pattern_offset(data, size, index, h);
    if (!at) return 0;
    uint64_t length = read_le32(data + at);
    int rows = int(read_le16(data + at + 5));
    uint64_t packed = read_le16(data + at + 7);
    uint64_t p = at + length;
    uint64_t end = p + packed;
    if (!fits(p, packed, size) || rows == 0) return 0;

    cells.assign(size_t(rows) * h.channels, xm_cell{});
    if (packed == 0) return rows;  // FT2 stores an empty pattern as no data at all
    for (xm_cell& c : cells) {
        uint8_t* fields[5] = {&c.note, &c.instrument, &c.volume, &c.effect, &c.param};
        if (p >= end) return 0;
        uint8_t lead = data[p];
        if (lead & 0x80) {
            p++;
            for (int f = 0; f < 5; f++) {
                if (!(lead & (1 << f))) continue;
                if (p >= end) return 0;
                *fields[f] = data[p++];
            }
        } else {
            if (p + 5 > end) return 0;
            for (int f = 0; f < 5; f++) *fields[f] = data[p++];
        }
    }
    return p == end ? rows : 0;
}
