// startup.cpp -- the intro's entry function: start-up in its fixed order, the show, and shutdown
#include "app/startup.h"

#include "app/display.h"
#include "app/frame_loop.h"
#include "effects/layout.h"
#include "effects/page_cycle.h"
#include "effects/page_writer.h"
#include "effects/scroller.h"
#include "music/music.h"
#include "platform/os.h"
#include "platform/random.h"
#include "platform/video.h"
#include "resources/bitmap.h"
#include "resources/store.h"

#include <SDL.h>
#include <cstdlib>
#include <cstring>
#include <ctime>

constexpr uint32_t OPEN_PAUSE_MS = 1000; // the display stays open and unpainted this long

int load_texts()
{
    // Both lookups happen before either is tested, so both files are always looked for.
    uint32_t page_length = 0, scroll_length = 0;
    const unsigned char* page = load_resource("text1.txt", &page_length);
    const unsigned char* scroll = load_resource("text2.txt", &scroll_length);
    page_text.data = page;
    page_text.length = page_length;
    scroll_text.data = scroll;
    scroll_text.length = scroll_length;
    if (!page || !scroll)
        return 0;
    start_page_cycle();
    return 1;
}

int load_images()
{
    // Stops at the first failure; what was decoded before it stays, the rest stay null.
    if (!(checker_overlay = load_bitmap("ruudut_alpha.bmp")))
        return 0;
    if (!(checker_layer = load_bitmap("ruudut_layer.bmp")))
        return 0;
    if (!(background = load_bitmap("tausta.bmp")))
        return 0;
    if (!(mini_font = load_bitmap("minifontti.bmp")))
        return 0;
    if (!(big_font = load_bitmap("font.bmp")))
        return 0;
    sprite_sheet = load_bitmap("bub.bmp");
    return sprite_sheet != nullptr;
}

// SDL 2 falls back to its invisible drivers where no display exists, and the show would
// run unseen with no input to end it. A driver the user names explicitly is trusted.
static int video_driver_visible()
{
    const char* chosen = getenv("SDL_VIDEODRIVER");
    if (chosen && *chosen)
        return 1;
    char name[64] = "";
    if (!SDL_VideoDriverName(name, sizeof(name)))
        return 0;
    return strcmp(name, "offscreen") != 0 && strcmp(name, "dummy") != 0;
}

int open_show(int full)
{
    // Ask for flips that wait for the display's refresh, unless the user decided otherwise.
    setenv("SDL12COMPAT_SYNC_TO_VBLANK", "1", 0);
    prepare_video(full);
    SDL_Init(SDL_INIT_VIDEO);
    if (!load_images())
        return 0;
    if (!video_driver_visible())
        return 0;
    return open_display(SCREEN_WIDTH, SCREEN_HEIGHT, full);
}

void paint_background()
{
    SDL_UpperBlit(background, nullptr, screen, nullptr);
    if (fullscreen) {
        // Double-buffered: paint the second buffer as well.
        video_flip(screen);
        SDL_UpperBlit(background, nullptr, screen, nullptr);
    } else {
        // The frame loop only ever updates its three regions; without this the rest of
        // the window (the logo among it) would stay black until the window system
        // happened to ask for a repaint.
        SDL_Rect whole = {0, 0, Uint16(screen->w), Uint16(screen->h)};
        video_update(screen, &whole, 1);
    }
}

int intro_main(int argc)
{
    fullscreen = argc > 1 ? 0 : 1;
    // Before the video library starts: it turns SIGINT and SIGTERM into its quit event,
    // which the show ignores like the close button, unless it finds handlers already there.
    watch_end_signals();
    seed_random(static_cast<unsigned int>(time(nullptr)));
    if (!load_texts())
        return 0;
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);

    if (open_show(fullscreen)) {
        fine_sleep_begin();
        Sleep(OPEN_PAUSE_MS);
        if (fullscreen)
            SDL_ShowCursor(SDL_DISABLE);
        // Music is optional: without a device or a whole module the show runs silent.
        if (music_open())
            music_start(music_module(nullptr));
        paint_background();

        run_frames();

        music_close();
        free_surfaces();
        fine_sleep_end();
    }
    close_video();
    SDL_Quit();
    return 0;
}
