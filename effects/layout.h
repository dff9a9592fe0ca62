// layout.h -- screen regions, colour keys, the surface format and the text buffer shared by every effect
//
// Plain constants only, no SDL: the data generators draw their pictures around the same regions.
#pragma once

#include "resources/pixel_format.h"

#include <cstdint>

constexpr int SCREEN_WIDTH = 800;
constexpr int SCREEN_HEIGHT = 600;

struct screen_region {
    int x, y, w, h;
};

// The three parts of the screen that change after start-up; the rest is never redrawn.
constexpr screen_region text_window{100, 95, 600, 400};
constexpr screen_region scroll_band{0, 537, 800, 41};
constexpr screen_region sprite_column{32, 0, 34, 531};

// RGB (1, 1, 1): the key the scroll buffers carry while they are copied into each other.
constexpr uint32_t copy_key = 0x010101;

// A text as the resource store hands it out: NOT zero-terminated when it comes
// from the archive (the next file follows directly), so always go by length.
struct text_buffer {
    const unsigned char* data;
    uint32_t length;
    int position; // index of the next byte to read; wraps to 0 at the end
};
