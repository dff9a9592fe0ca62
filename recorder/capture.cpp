// capture.cpp -- renders frames of the show headless and writes chosen ones as PNG files
//
// swayboard-capture --frames N [--seed S] [--from K] [--every M] --png DIR
//
// The show starts exactly as the intro enters its frame loop (in window mode), but
// without the opening pause, the music or any pacing, so the same arguments always
// give the same bytes.
#include "app/display.h"
#include "app/frame_loop.h"
#include "app/startup.h"
#include "platform/random.h"
#include "resources/store.h"
#include "tools/png_writer.h"

#include <SDL.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <sys/stat.h>

static const char USAGE[] = "usage: swayboard-capture --frames N [--seed S] [--from K] [--every M] --png DIR\n";

static int usage()
{
    fputs(USAGE, stderr);
    return 2;
}

// A whole decimal number in [low, high]; 0 when the text is anything else.
static int parse_number(const char* text, long long low, long long high, long long* out)
{
    if (!text || !*text)
        return 0;
    char* end = nullptr;
    errno = 0;
    long long value = strtoll(text, &end, 10);
    if (errno != 0 || *end != '\0' || value < low || value > high)
        return 0;
    *out = value;
    return 1;
}

int main(int argc, char** argv)
{
    long long frames = -1, seed = -1, from = 1, every = 1;
    const char* dir = nullptr;
    for (int i = 1; i < argc; i++) {
        const char* option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        int ok = 0;
        if (strcmp(option, "--frames") == 0)
            ok = parse_number(value, 1, 100000000, &frames);
        else if (strcmp(option, "--seed") == 0)
            ok = parse_number(value, 0, 4294967295LL, &seed);
        else if (strcmp(option, "--from") == 0)
            ok = parse_number(value, 1, 100000000, &from);
        else if (strcmp(option, "--every") == 0)
            ok = parse_number(value, 1, 100000000, &every);
        else if (strcmp(option, "--png") == 0 && value && *value) {
            dir = value;
            ok = 1;
        }
        if (!ok)
            return usage();
        i++;
    }
    if (frames < 0 || !dir)
        return usage();
    if (mkdir(dir, 0777) != 0 && errno != EEXIST) {
        fprintf(stderr, "swayboard-capture: cannot create %s\n", dir);
        return 1;
    }

    // Always the invisible driver: a capture never opens a window.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    fullscreen = 0;
    seed_random(seed >= 0 ? static_cast<unsigned int>(seed) : static_cast<unsigned int>(time(nullptr)));
    if (!load_texts()) {
        fputs("swayboard-capture: the texts are missing\n", stderr);
        return 1;
    }
    if (!open_show(0)) {
        fputs("swayboard-capture: the display could not be opened\n", stderr);
        SDL_Quit();
        return 1;
    }
    paint_background();

    begin_frames();
    int status = 0;
    for (long long n = 1; n <= frames; n++) {
        draw_frame();
        if (n >= from && (n - from) % every == 0) {
            char name[32];
            snprintf(name, sizeof(name), "/frame-%06lld.png", n);
            std::string path = std::string(dir) + name;
            if (!write_png(path.c_str(), screen)) {
                fprintf(stderr, "swayboard-capture: cannot write %s\n", path.c_str());
                status = 1;
                break;
            }
        }
        finish_frame();
    }
    free_surfaces();
    SDL_Quit();
    return status;
}
