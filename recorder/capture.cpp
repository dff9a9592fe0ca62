// capture.cpp -- the recorder: renders the show headless into PNG frames, a video with its music, or a WAV file
//
// swayboard-capture [--frames N | --seconds S] [--seed S] [--from K] [--every M] [--png DIR]
//                   [--video FILE.mp4|FILE.webm|FILE.mkv] [--scale K] [--audio FILE.wav]
//
// The show starts exactly as the intro enters its frame loop (in window mode), but without
// the opening pause or any pacing, so the same arguments always give the same bytes. The
// sound is the intro's own player mixing offline, SAMPLES_PER_FRAME sample frames per frame.
#include "app/display.h"
#include "app/frame_loop.h"
#include "app/headless.h"
#include "recorder/encoder.h"
#include "recorder/options.h"
#include "recorder/output.h"
#include "recorder/progress.h"
#include "recorder/sound.h"
#include "recorder/surface_png.h"
#include "recorder/system.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

constexpr int STATUS_FAILED = 1;
constexpr int STATUS_USAGE = 2;

static int usage(const char* problem)
{
    if (problem)
        fprintf(stderr, "swayboard-capture: %s\n", problem);
    fputs(USAGE, stderr);
    return STATUS_USAGE;
}

// The display, the texts and the background, as the intro has them when its loop begins.
static int start_show(long long seed)
{
    if (!start_headless(seed >= 0 ? static_cast<unsigned int>(seed) : static_cast<unsigned int>(time(nullptr)))) {
        fputs("swayboard-capture: the show could not start (texts or display missing)\n", stderr);
        return 0;
    }
    begin_frames();
    return 1;
}

static int write_frame_png(const capture_options& options, long long n)
{
    if (!options.png_dir || n < options.from || (n - options.from) % options.every != 0)
        return 1;
    char name[32];
    snprintf(name, sizeof(name), "/frame-%06lld.png", n);
    std::string path = std::string(options.png_dir) + name;
    if (!write_png(path.c_str(), screen)) {
        fprintf(stderr, "swayboard-capture: cannot write %s\n", path.c_str());
        return 0;
    }
    return 1;
}

// Renders frames 1 to options.frames into every output asked for; 1 when all went well.
static int record(const capture_options& options)
{
    const int sound = options.video_path || options.audio_path;
    const int picture = options.video_path || options.png_dir;
    progress_start(options.frames);
    for (long long n = 1; n <= options.frames; n++) {
        if (interrupted) {
            fputs("swayboard-capture: interrupted\n", stderr);
            return 0;
        }
        if (picture) {
            draw_frame();
            if (!write_frame_png(options, n))
                return 0;
            if (options.video_path && !encoder_frame(screen))
                return 0;
            finish_frame();
        }
        // Without a video nothing else asks for the sound, so it is mixed here, in step.
        if (sound && !options.video_path && !sound_next_frame())
            return 0;
        progress_update(n);
    }
    return 1;
}

int main(int argc, char** argv)
{
    // Initialization: arguments, outputs, the show and its sound
    capture_options options;
    const char* problem = nullptr;
    if (!parse_options(argc, argv, &options, &problem))
        return usage(problem);
    if (!options.frames && !(options.frames = sound_pass_frames())) {
        fputs("swayboard-capture: the music is missing, so give the length by --frames or --seconds\n", stderr);
        return STATUS_FAILED;
    }
    if (options.video_path && !encoder_check())
        return STATUS_FAILED;
    if (options.png_dir && !make_directory(options.png_dir)) {
        fprintf(stderr, "swayboard-capture: cannot create %s\n", options.png_dir);
        return STATUS_FAILED;
    }
    interrupt_handlers_install();
    if (!start_show(options.seed))
        return STATUS_FAILED;
    const int sound = options.video_path || options.audio_path;
    if (sound && !sound_open(options.frames, options.audio_path)) {
        stop_headless();
        return STATUS_FAILED;
    }
    if (options.video_path &&
        !encoder_open(options.video_path, options.container, options.scale, screen, sound_next_frame)) {
        sound_abort();
        stop_headless();
        return STATUS_FAILED;
    }

    // Update and Draw: every frame into every output
    int ok = record(options);
    progress_end();

    // De-Initialization: complete the files, or remove every one left unfinished
    // A WAV file that failed cut the video's sound short: that video is not kept either.
    if (ok && options.video_path)
        ok = sound_ok() && encoder_finish();
    if (ok && sound)
        ok = sound_finish();
    if (!ok) {
        if (options.video_path)
            encoder_abort();
        if (sound)
            sound_abort();
    }
    stop_headless();
    return ok ? 0 : STATUS_FAILED;
}
