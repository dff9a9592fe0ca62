// encoder.h -- turns frames and their sound into a video file through Debian's ffmpeg program, fed by pipes
#pragma once

#include "recorder/options.h"

#include <SDL.h>
#include <cstdint>
#include <string>

// Where ffmpeg is on PATH, or empty when it is not there.
std::string encoder_program();
// 1 when ffmpeg is on PATH; else says which package to install and returns 0.
int encoder_check();

// ffmpeg's name for the byte order of a 32-bit surface's pixels (rgb0 or bgr0), or null for
// any other layout, whose pixels the encoder then repacks as rgb0.
const char* raw_pixel_format(const SDL_PixelFormat* format);

// Starts ffmpeg writing video_path (under its temporary name) in container, enlarging by
// scale, for frames of frame's size and format. next_sound hands out each frame's sound in turn, null after the last; the encoder
// asks for it whenever ffmpeg will take more, so that neither pipe can stall the other.
// 1 on success; on failure the reason is printed and nothing is left behind.
int encoder_open(const char* video_path, video_container container, int scale, SDL_Surface* frame,
                 const int16_t* (*next_sound)());
// Hands one frame (the size and format given at the start) to the encoder; 1 on success, 0 when the
// encoder failed or an interrupt came (both printed).
int encoder_frame(SDL_Surface* frame);
// Ends the picture, hands over the remaining sound, waits for ffmpeg and moves the file to
// its own name; 1 on success, else the file is removed and the reason printed.
int encoder_finish();
// Stops ffmpeg and removes what it wrote.
void encoder_abort();
