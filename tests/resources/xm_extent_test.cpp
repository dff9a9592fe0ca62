// xm_extent_test.cpp -- the module extent proved from XM headers: hand-made modules, corrupt headers, the shipped module
#include "resources/xm_extent.h"

#include "resources/store.h"

#include "tests/test_support.h"

#include <gtest/gtest.h>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

typedef std::vector<unsigned char> bytes;

struct xm_sample {
    uint32_t length;
    unsigned char type;     // 0x10: 16-bit
    unsigned char reserved; // 0xAD: ADPCM
};

struct xm_instrument {
    uint32_t header_size;
    std::vector<xm_sample> samples;
};

struct xm_layout {
    uint16_t channels;
    std::vector<uint16_t> pattern_rows; // each pattern is packed with one empty-cell byte per cell
    std::vector<xm_instrument> instruments;
};

static void patch32(bytes& out, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

static bytes build_xm(const xm_layout& layout)
{
    bytes out(60, 0);
    memcpy(out.data(), "Extended Module: ", 17);
    memcpy(out.data() + 17, "extent test", 11);
    out[37] = 0x1A;
    memcpy(out.data() + 38, "FastTracker v2.00   ", 20);
    out[58] = 0x04;
    out[59] = 0x01;
    put_le32(out, 276);
    put_le16(out, 1); // song length
    put_le16(out, 0);
    put_le16(out, layout.channels);
    put_le16(out, static_cast<uint32_t>(layout.pattern_rows.size()));
    put_le16(out, static_cast<uint32_t>(layout.instruments.size()));
    put_le16(out, 0);
    put_le16(out, 6);
    put_le16(out, 125);
    out.resize(out.size() + 256, 0);

    for (uint16_t rows : layout.pattern_rows) {
        put_le32(out, 9);
        out.push_back(0);
        put_le16(out, rows);
        put_le16(out, rows * layout.channels);
        out.resize(out.size() + rows * layout.channels, 0x80);
    }
    for (const xm_instrument& instrument : layout.instruments) {
        size_t start = out.size();
        put_le32(out, instrument.header_size);
        out.resize(out.size() + 22, 'i');
        out.push_back(0);
        put_le16(out, static_cast<uint32_t>(instrument.samples.size()));
        if (!instrument.samples.empty())
            put_le32(out, 40);
        out.resize(start + instrument.header_size, 0);
        size_t data = 0;
        for (const xm_sample& sample : instrument.samples) {
            size_t header = out.size();
            put_le32(out, sample.length);
            out.resize(header + 40, 0);
            out[header + 14] = sample.type;
            out[header + 17] = sample.reserved;
            data += sample.reserved == 0xAD ? 16 + (sample.length + 1) / 2 : sample.length;
        }
        out.resize(out.size() + data, 0x55);
    }
    return out;
}

// The extent with data copied into a heap block of exactly its size, so that a read past
// the end is a fault under a memory checker, and with trailing bytes that are not the module's.
static size_t extent_of(const bytes& data, size_t available)
{
    std::unique_ptr<unsigned char[]> block(new unsigned char[available ? available : 1]);
    memcpy(block.get(), data.data(), available < data.size() ? available : data.size());
    if (available > data.size())
        memset(block.get() + data.size(), 0x7F, available - data.size());
    return xm_extent(block.get(), available);
}

static const xm_layout REFERENCE = {
    4,
    {64, 16},
    {{29, {}}, {263, {{100, 0, 0}, {200, 0x10, 0}, {33, 0, 0xAD}}}, {243, {{1, 0x10, 0}}}},
};

TEST(xm_extent, hand_made_modules_measure_exactly_their_bytes)
{
    const xm_layout layouts[] = {
        {4, {64}, {}},                                // no instruments
        {2, {}, {{29, {}}}},                          // no patterns, an instrument with no sample
        {8, {1, 256}, {{263, {{4096, 0, 0}}}}},       // 8-bit sample
        {4, {64}, {{263, {{300, 0x10, 0}, {2, 0x11, 0}}}}}, // 16-bit samples: lengths count bytes
        {1, {64}, {{263, {{0, 0, 0}}}}},              // an empty sample
        REFERENCE,
    };
    for (const xm_layout& layout : layouts) {
        bytes module = build_xm(layout);
        EXPECT_EQ(extent_of(module, module.size()), module.size());
        EXPECT_EQ(extent_of(module, module.size() + 1000), module.size());
    }
}

TEST(xm_extent, every_truncation_is_rejected)
{
    bytes module = build_xm(REFERENCE);
    for (size_t length = 0; length < module.size(); ++length)
        ASSERT_EQ(extent_of(module, length), 0u) << "truncated to " << length;
}

struct corruption {
    const char* what;
    size_t at;
    uint32_t value;
    int width; // bytes written at 'at'
};

// Offsets into the reference module: header at 60, first pattern at 336, instruments after
// the patterns (336 + 9 + 256 + 9 + 64 = 674; the second instrument at 703).
static const corruption CORRUPTIONS[] = {
    {"signature", 0, 'e', 1},
    {"marker", 37, 0x00, 1},
    {"version 1.03", 58, 0x0103, 2},
    {"header size too small for its fields", 60, 19, 4},
    {"header size too small for the orders", 60, 20, 4},
    {"header size beyond any sane module", 60, 0x7FFFFFFF, 4},
    {"no orders", 64, 0, 2},
    {"257 orders", 64, 257, 2},
    {"no channels", 68, 0, 2},
    {"33 channels", 68, 33, 2},
    {"257 patterns", 70, 257, 2},
    {"129 instruments", 72, 129, 2},
    {"pattern header too short", 336, 8, 4},
    {"pattern packing type", 340, 1, 1},
    {"pattern without rows", 341, 0, 2},
    {"pattern of 257 rows", 341, 257, 2},
    {"packed data larger than its cells", 343, 64 * 4 * 5 + 1, 2},
    {"instrument header too short", 674, 28, 4},
    {"instrument header beyond any sane module", 674, 0xFFFFFFF0, 4},
    {"17 samples", 703 + 27, 17, 2},
    {"sample header size", 703 + 29, 39, 4},
    {"sample longer than any sane module", 703 + 263, 0xFFFFFFFF, 4},
};

TEST(xm_extent, corrupt_headers_are_rejected)
{
    const bytes reference = build_xm(REFERENCE);
    ASSERT_EQ(reference[674], 29); // the offsets above still describe the reference module
    ASSERT_EQ(reference[703], 263 & 0xFF);
    for (const corruption& c : CORRUPTIONS) {
        bytes module = reference;
        for (int i = 0; i < c.width; ++i)
            module[c.at + i] = static_cast<unsigned char>(c.value >> (8 * i));
        // Generous room: the rejection must come from the headers, not from running out of bytes.
        EXPECT_EQ(extent_of(module, module.size() + 4096), 0u) << c.what;
    }
}

TEST(xm_extent, the_sane_bound_is_inclusive)
{
    xm_layout layout = {1, {}, {{263, {{0, 0, 0}}}}};
    bytes module = build_xm(layout);
    const size_t sample_at = module.size() - 40;
    const size_t fixed = module.size();

    patch32(module, sample_at, static_cast<uint32_t>(XM_MAX_EXTENT - fixed));
    module.resize(XM_MAX_EXTENT, 0);
    EXPECT_EQ(extent_of(module, module.size()), XM_MAX_EXTENT);

    patch32(module, sample_at, static_cast<uint32_t>(XM_MAX_EXTENT - fixed + 1));
    module.resize(XM_MAX_EXTENT + 1, 0);
    EXPECT_EQ(extent_of(module, module.size()), 0u);
}

TEST(xm_extent, random_damage_never_reaches_past_the_buffer)
{
    const bytes reference = build_xm(REFERENCE);
    std::mt19937 generator(1234);
    int accepted = 0;
    for (int round = 0; round < 20000; ++round) {
        bytes module = reference;
        int hits = 1 + static_cast<int>(generator() % 4);
        for (int i = 0; i < hits; ++i)
            module[generator() % 1024] = static_cast<unsigned char>(generator());
        size_t available = module.size() - generator() % 64;
        size_t extent = extent_of(module, available);
        ASSERT_LE(extent, available);
        accepted += extent != 0;
    }
    // Most single-byte damage falls in names, orders or sample data and changes nothing.
    EXPECT_GT(accepted, 0);
}

TEST(xm_extent, null_and_foreign_data_are_rejected)
{
    EXPECT_EQ(xm_extent(nullptr, 1000), 0u);
    const unsigned char wave[] = "RIFF\x24\0\0\0WAVEfmt ";
    EXPECT_EQ(xm_extent(wave, sizeof(wave)), 0u);
}

TEST(xm_extent, the_shipped_module_measures_its_archived_size)
{
    uint32_t size = 0;
    const unsigned char* module = load_resource("ormivaara.xm", &size);
    ASSERT_NE(module, nullptr);
    ASSERT_GT(size, 0u);
    EXPECT_EQ(xm_extent(module, size), size);
    // As loading sees it: no length, only the sane bound.
    EXPECT_EQ(xm_extent(module, XM_MAX_EXTENT), size);
}
