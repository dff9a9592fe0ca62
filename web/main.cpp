// main.cpp -- the show on a web page: the intro as on the desktop, or a fixed run of frames for checks
//
// No arguments: the whole intro, in window mode (the page, not the video library, makes
// it full screen), ended as on the desktop. --seed S --frames N: frames 1 to N of the show
// started as swayboard-capture starts it (the same seed gives the same frames, numbered
// alike), without the opening pause or the music, unpaced; frame N is left showing.
#include "app/display.h"
#include "app/frame_loop.h"
#include "app/headless.h"
#include "app/startup.h"

#include <emscripten.h>
#include <cstdlib>
#include <cstring>

// clang-format off
EM_JS(void, page_show_ended, (int frames), {
    if (Module.showEnded)
        Module.showEnded(frames);
});
// clang-format on

// Frames 1 to frames; the count drawn, or 0 when the show could not start.
static int run_test_frames(unsigned int seed, int frames)
{
    if (!start_headless(seed))
        return 0;
    begin_frames();
    for (int n = 1; n <= frames; n++) {
        draw_frame();
        present_frame();
        finish_frame();
    }
    stop_headless();
    return frames;
}

int main(int argc, char** argv)
{
    long long seed = -1, frames = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (strcmp(argv[i], "--seed") == 0)
            seed = strtoll(argv[i + 1], nullptr, 10);
        else if (strcmp(argv[i], "--frames") == 0)
            frames = strtoll(argv[i + 1], nullptr, 10);
    }
    if (frames > 0 && seed >= 0) {
        page_show_ended(run_test_frames(static_cast<unsigned int>(seed), static_cast<int>(frames)));
        return 0;
    }
    // The video library draws in memory only; video_web.cpp puts each frame on the page.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    intro_main(2);
    page_show_ended(0);
    return 0;
}
