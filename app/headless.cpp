// headless.cpp -- the show started with no window, for the programs that render frames unseen
#include "app/headless.h"

#include "app/display.h"
#include "app/startup.h"
#include "platform/os.h"
#include "platform/random.h"
#include "platform/video.h"

#include <SDL.h>
#include <cstdlib>

int start_headless(unsigned int seed)
{
    // Always the invisible driver: a headless show never opens a window, and naming the
    // driver explicitly is what lets open_show accept it.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    fullscreen = 0;
    seed_random(seed);
    if (!load_texts())
        return 0;
    if (!open_show(0)) {
        close_video();
        SDL_Quit();
        return 0;
    }
    paint_background();
    return 1;
}

void stop_headless()
{
    free_surfaces();
    close_video();
    SDL_Quit();
}
