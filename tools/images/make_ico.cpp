// make_ico.cpp -- gathers square RGBA PNG icons into one Windows .ico file
//
// Usage: make_ico OUT.ico IN.png...
//
// Each PNG is stored whole as one image of the icon (the PNG form of an icon entry that
// Windows reads since Vista), in the order given, so the same inputs always give the
// same bytes. Every input must be an 8-bit RGBA PNG, square, 1 to 256 pixels wide.
#include "tools/common/file_bytes.h"

#include <cstdio>
#include <cstring>
#include <vector>

constexpr size_t ICON_DIR_BYTES = 6;      // reserved, type, count
constexpr size_t ICON_ENTRY_BYTES = 16;   // one directory entry per image
constexpr uint16_t ICON_TYPE = 1;         // 1: icon (2 would be a cursor)
constexpr int ICON_MAX_SIZE = 256;        // stored as 0 in the entry's one-byte width
constexpr uint8_t PNG_RGBA = 6;           // IHDR colour type of RGBA
constexpr size_t PNG_IHDR_END = 8 + 8 + 13;
static const uint8_t PNG_SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

static uint32_t big_endian_32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

static void put_16(std::vector<uint8_t>* out, uint32_t value)
{
    out->push_back(uint8_t(value));
    out->push_back(uint8_t(value >> 8));
}

static void put_32(std::vector<uint8_t>* out, uint32_t value)
{
    put_16(out, value & 0xFFFF);
    put_16(out, value >> 16);
}

// The icon's side from the PNG's header; 0 when it is not a square 8-bit RGBA PNG of a usable size.
static int png_icon_size(const std::vector<uint8_t>& png)
{
    if (png.size() < PNG_IHDR_END || memcmp(png.data(), PNG_SIGNATURE, sizeof(PNG_SIGNATURE)) != 0 ||
        memcmp(png.data() + 12, "IHDR", 4) != 0)
        return 0;
    uint32_t width = big_endian_32(png.data() + 16), height = big_endian_32(png.data() + 20);
    uint8_t depth = png[24], colour_type = png[25];
    if (width != height || width < 1 || width > ICON_MAX_SIZE || depth != 8 || colour_type != PNG_RGBA)
        return 0;
    return int(width);
}

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fputs("usage: make_ico OUT.ico IN.png...\n", stderr);
        return 2;
    }
    std::vector<std::vector<uint8_t>> images;
    std::vector<int> sizes;
    for (int i = 2; i < argc; i++) {
        std::vector<uint8_t> png;
        int size = read_bytes(argv[i], &png) ? png_icon_size(png) : 0;
        if (!size) {
            std::fprintf(stderr, "make_ico: %s is not a readable square RGBA PNG of at most 256 pixels\n", argv[i]);
            return 1;
        }
        images.push_back(png);
        sizes.push_back(size);
    }

    std::vector<uint8_t> ico;
    put_16(&ico, 0);
    put_16(&ico, ICON_TYPE);
    put_16(&ico, uint32_t(images.size()));
    uint32_t offset = uint32_t(ICON_DIR_BYTES + ICON_ENTRY_BYTES * images.size());
    for (size_t i = 0; i < images.size(); i++) {
        uint8_t side = sizes[i] == ICON_MAX_SIZE ? 0 : uint8_t(sizes[i]);
        ico.push_back(side);        // width
        ico.push_back(side);        // height
        ico.push_back(0);           // no palette
        ico.push_back(0);           // reserved
        put_16(&ico, 1);            // colour planes
        put_16(&ico, 32);           // bits per pixel
        put_32(&ico, uint32_t(images[i].size()));
        put_32(&ico, offset);
        offset += uint32_t(images[i].size());
    }
    for (const std::vector<uint8_t>& png : images)
        ico.insert(ico.end(), png.begin(), png.end());
    if (!write_bytes(argv[1], ico)) {
        std::fprintf(stderr, "make_ico: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
