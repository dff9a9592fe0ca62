// xm_reader.h -- reads an XM module's header and unpacks its patterns (resources/xm_extent finds where it ends)
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/music/xm_writer.h"

struct xm_header {
    char signature[18];
    char title[21];
    uint8_t marker;
    char tracker[21];
    uint16_t version;
    uint32_t header_size;
    uint16_t song_length, restart, channels, patterns, instruments, flags, speed, tempo;
    uint8_t orders[256];
};

// Fills header from the module's first 336 bytes; 0 when size is too small for them.
int xm_read_header(const uint8_t* data, size_t size, xm_header* header);

// Unpacks pattern index (counted in file order) into cells, row by row, channels wide;
// returns the row count, or 0 when the pattern is missing or its packed data is malformed.
int xm_read_pattern(const uint8_t* data, size_t size, int index, std::vector<xm_cell>& cells);
