// little_endian.h -- the little-endian fields of the file formats (BMP, XM, WAV), read and written byte by byte
//
// Byte by byte, never through a wider pointer: the fields sit at unaligned offsets, and the
// result is the same on a host of either byte order. Callers check the bounds first.
#pragma once

#include <cstdint>
#include <vector>

inline uint32_t read_le16(const unsigned char* at)
{
    return uint32_t(at[0]) | uint32_t(at[1]) << 8;
}

inline uint32_t read_le32(const unsigned char* at)
{
    return read_le16(at) | read_le16(at + 2) << 16;
}

inline void write_le16(unsigned char* at, uint32_t value)
{
    at[0] = static_cast<unsigned char>(value);
    at[1] = static_cast<unsigned char>(value >> 8);
}

inline void write_le32(unsigned char* at, uint32_t value)
{
    write_le16(at, value);
    write_le16(at + 2, value >> 16);
}

// Appends value as 2 or 4 bytes, for files laid out field after field.
inline void put_le16(std::vector<unsigned char>& out, uint32_t value)
{
    out.push_back(static_cast<unsigned char>(value));
    out.push_back(static_cast<unsigned char>(value >> 8));
}

inline void put_le32(std::vector<unsigned char>& out, uint32_t value)
{
    put_le16(out, value);
    put_le16(out, value >> 16);
}
