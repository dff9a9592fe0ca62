// xm_extent.h -- the length of an XM module in memory, proved from its own headers
#pragma once

#include <cstddef>

// No module we load may claim more than this; a larger extent is taken for corrupt headers.
constexpr size_t XM_MAX_EXTENT = 4u << 20;

// The module's length in bytes (header, patterns, instruments, sample headers and sample
// data), or 0 when data is not an XM module of version 1.04, its headers contradict each
// other, or the extent would pass available or XM_MAX_EXTENT.
// Never reads data[available] or beyond, nor anything past the headers read so far: it
// stops at the first field that proves the data wrong.
size_t xm_extent(const unsigned char* data, size_t available);
