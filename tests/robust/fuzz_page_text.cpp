// fuzz_page_text.cpp -- fuzz target: the page text writer and page cycle driven by any text for 3,000 frames
//
// The input is the page text, handed over by length only (as archive data is, with no
// terminator), on a real headless display (started by fuzz_show.cpp). Every frame runs
// the page cycle and both layers' motion; every 50th frame also composites the layers.
#include "app/display.h"
#include "effects/page_cycle.h"
#include "effects/page_writer.h"

#include <SDL.h>
#include <cstdint>

constexpr int FRAMES = 3000;
constexpr int COMPOSITE_EVERY = 50;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    page_text.data = data;
    page_text.length = static_cast<uint32_t>(size);
    page_text.position = 0;
    layer_motion[0] = line_motion{};
    layer_motion[1] = line_motion{};
    drop_step = 0;
    drop_offset = 0;
    start_page_cycle();

    page_cycle_step();
    for (int frame = 1; frame <= FRAMES; frame++) {
        page_cycle_step();
        move_line_layer(0);
        move_line_layer(1);
        if (frame % COMPOSITE_EVERY == 0) {
            composite_line_layer(line_layer[0], line_layer_x(0), drop_offset);
            composite_line_layer(line_layer[1], line_layer_x(1), drop_offset);
        }
        // The read position always points into the text (or at 0 for an empty one).
        if (page_text.position < 0 || (size > 0 && uint32_t(page_text.position) >= size) ||
            (size == 0 && page_text.position != 0))
            __builtin_trap();
        if (page_lines < 1 || drop_offset < 0 || drop_offset > 802 || page_timer < 0 || page_timer > 500)
            __builtin_trap();
    }
    page_text.data = nullptr;
    page_text.length = 0;
    return 0;
}
