// xm_extent.cpp -- the length of an XM module in memory, proved from its own headers
//
// The reader walks the module in file order: the fixed header, each pattern's header and
// packed data, each instrument's header, its sample headers and its sample data. Every
// field is read only after checking that it lies inside the bytes available, so any bytes
// in a buffer of known size are safe to feed it.
#include "resources/xm_extent.h"

#include "common/little_endian.h"

#include <cstdint>
#include <cstring>

constexpr size_t FIXED_HEADER = 60;        // signature to version; the header size field follows
constexpr size_t HEADER_FIELDS = 20;       // header size word to tempo, before the order table
constexpr uint16_t XM_VERSION = 0x0104;
constexpr uint32_t MAX_ORDERS = 256;
constexpr uint32_t MAX_CHANNELS = 32;
constexpr uint32_t MAX_PATTERNS = 256;
constexpr uint32_t MAX_INSTRUMENTS = 128;
constexpr uint32_t MAX_ROWS = 256;
constexpr size_t PATTERN_HEADER = 9;       // header length, packing type, rows, packed size
constexpr size_t CELL_MAX_BYTES = 5;       // an unpacked cell: note, instrument, volume, effect, parameter
constexpr size_t INSTRUMENT_FIELDS = 29;   // header size, name, type, sample count
constexpr size_t INSTRUMENT_SAMPLE_FIELDS = 33; // ... and the sample header size
constexpr uint32_t MAX_SAMPLES = 16;
constexpr uint32_t SAMPLE_HEADER = 40;
constexpr unsigned char SAMPLE_16_BIT = 0x10;
constexpr unsigned char SAMPLE_ADPCM = 0xAD; // in the reserved byte: 4-bit ADPCM, 8-bit samples only
constexpr size_t ADPCM_TABLE = 16;

static const char SIGNATURE[] = "Extended Module: ";
static const char SIGNATURE_LOWER[] = "Extended module: "; // written by some trackers
constexpr size_t SIGNATURE_SIZE = sizeof(SIGNATURE) - 1;
constexpr size_t MARKER_AT = 37;
constexpr unsigned char MARKER = 0x1A;

// True when count bytes from pos lie inside limit (no overflow for any values).
static bool inside(size_t pos, size_t count, size_t limit)
{
    return pos <= limit && count <= limit - pos;
}

// The bytes one sample's data occupies, from its header.
static size_t sample_data_size(const unsigned char* header)
{
    size_t length = read_le32(header);
    if (!(header[14] & SAMPLE_16_BIT) && header[17] == SAMPLE_ADPCM)
        return ADPCM_TABLE + (length + 1) / 2;
    return length; // 16-bit samples count their length in bytes too
}

size_t xm_extent(const unsigned char* data, size_t available)
{
    if (!data)
        return 0;
    const size_t limit = available < XM_MAX_EXTENT ? available : XM_MAX_EXTENT;

    if (!inside(0, SIGNATURE_SIZE, limit))
        return 0;
    if (memcmp(data, SIGNATURE, SIGNATURE_SIZE) != 0 && memcmp(data, SIGNATURE_LOWER, SIGNATURE_SIZE) != 0)
        return 0;
    if (!inside(0, FIXED_HEADER + 4, limit) || data[MARKER_AT] != MARKER || read_le16(data + 58) != XM_VERSION)
        return 0;

    const size_t header_size = read_le32(data + FIXED_HEADER);
    if (header_size < HEADER_FIELDS || !inside(FIXED_HEADER, header_size, limit))
        return 0;
    const unsigned char* header = data + FIXED_HEADER;
    const uint32_t orders = read_le16(header + 4);
    const uint32_t channels = read_le16(header + 8);
    const uint32_t patterns = read_le16(header + 10);
    const uint32_t instruments = read_le16(header + 12);
    if (orders == 0 || orders > MAX_ORDERS || header_size < HEADER_FIELDS + orders)
        return 0;
    if (channels == 0 || channels > MAX_CHANNELS || patterns > MAX_PATTERNS || instruments > MAX_INSTRUMENTS)
        return 0;
    size_t pos = FIXED_HEADER + header_size;

    for (uint32_t p = 0; p < patterns; ++p) {
        if (!inside(pos, PATTERN_HEADER, limit))
            return 0;
        const size_t length = read_le32(data + pos);
        const uint32_t packing = data[pos + 4];
        const uint32_t rows = read_le16(data + pos + 5);
        const size_t packed = read_le16(data + pos + 7);
        if (length < PATTERN_HEADER || packing != 0 || rows == 0 || rows > MAX_ROWS)
            return 0;
        if (packed > rows * channels * CELL_MAX_BYTES)
            return 0;
        if (!inside(pos, length, limit))
            return 0;
        pos += length;
        if (!inside(pos, packed, limit))
            return 0;
        pos += packed;
    }

    for (uint32_t i = 0; i < instruments; ++i) {
        if (!inside(pos, 4, limit))
            return 0;
        const size_t length = read_le32(data + pos);
        if (length < INSTRUMENT_FIELDS || !inside(pos, length, limit))
            return 0;
        const uint32_t samples = read_le16(data + pos + 27);
        if (samples == 0) {
            pos += length;
            continue;
        }
        if (samples > MAX_SAMPLES || length < INSTRUMENT_SAMPLE_FIELDS || read_le32(data + pos + 29) != SAMPLE_HEADER)
            return 0;
        pos += length;

        if (!inside(pos, samples * SAMPLE_HEADER, limit))
            return 0;
        size_t sample_bytes = 0;
        for (uint32_t s = 0; s < samples; ++s) {
            const size_t size = sample_data_size(data + pos + s * SAMPLE_HEADER);
            // Both terms stay below the limit, so the sum cannot overflow.
            if (!inside(pos + samples * SAMPLE_HEADER, size, limit) || !inside(sample_bytes, size, limit))
                return 0;
            sample_bytes += size;
        }
        pos += samples * SAMPLE_HEADER;
        if (!inside(pos, sample_bytes, limit))
            return 0;
        pos += sample_bytes;
    }
    return pos;
}
