// fuzz_scroll_text.cpp -- fuzz target: the bottom scroller driven by any scroll text for 2,000 frames
//
// The input is the scroll text, handed over by length only, on a real headless display
// (started by fuzz_show.cpp);
// both scroll buffers start each input transparent and unkeyed, as after start-up.
#include "app/display.h"
#include "effects/scroller.h"

#include <SDL.h>
#include <cstdint>

constexpr int FRAMES = 2000;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    scroll_text.data = data;
    scroll_text.length = static_cast<uint32_t>(size);
    scroll_text.position = 0;
    scroll_current = 0;
    scroll_offset = 0;
    for (SDL_Surface* buffer : scroll_buffer) {
        SDL_SetColorKey(buffer, 0, 0);
        SDL_FillRect(buffer, nullptr, color_key);
    }

    for (int frame = 1; frame <= FRAMES; frame++) {
        scroller_step();
        if (scroll_offset < 0 || scroll_offset > 40 || (scroll_current != 0 && scroll_current != 1))
            __builtin_trap();
        if (scroll_text.position < 0 || (size > 0 && uint32_t(scroll_text.position) >= size) ||
            (size == 0 && scroll_text.position != 0))
            __builtin_trap();
    }
    scroll_text.data = nullptr;
    scroll_text.length = 0;
    return 0;
}
