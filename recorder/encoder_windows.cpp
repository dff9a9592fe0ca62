// encoder_windows.cpp -- on Windows the recorder makes no video: --video says so and fails at once
//
// The PNG frames and the WAV file are made as on Linux; a video of them is the Linux
// recorder's work, where ffmpeg takes both through pipes.
#include "recorder/encoder.h"

#include <cstdio>

std::string encoder_program()
{
    return std::string();
}

int encoder_check()
{
    fputs("swayboard-capture: --video needs the Linux recorder; on Windows, record --png frames and --audio\n", stderr);
    return 0;
}

int encoder_open(const char*, video_container, int, SDL_Surface*, const int16_t* (*)())
{
    return encoder_check();
}

int encoder_frame(SDL_Surface*)
{
    return 0;
}

int encoder_finish()
{
    return 0;
}

void encoder_abort()
{
}
