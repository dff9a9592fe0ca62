// sound.h -- the show's music mixed offline, frame by frame, by the intro's own player and settings
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int SHOW_RATE = 50;        // frames per second, as the window runs
constexpr int SOUND_RATE = 44100;    // sample frames per second, as the intro opens its device
constexpr int SOUND_CHANNELS = 2;
constexpr int SAMPLES_PER_FRAME = SOUND_RATE / SHOW_RATE; // 882 stereo sample frames
static_assert(SOUND_RATE % SHOW_RATE == 0, "every frame must carry a whole number of sample frames");
constexpr size_t SOUND_FRAME_BYTES = size_t(SAMPLES_PER_FRAME) * SOUND_CHANNELS * sizeof(int16_t);

constexpr uint32_t WAV_HEADER_BYTES = 44;
// A WAV file counts its bytes in 32 bits (the RIFF size is the file's size less 8).
constexpr long long MAX_WAV_FRAMES = (0xFFFFFFFFLL - (WAV_HEADER_BYTES - 8)) / static_cast<long long>(SOUND_FRAME_BYTES);

// Frames in one pass of the tune, from its start to its first jump back; 0 without a module.
long long sound_pass_frames();

// Starts the tune for frames picture frames; with wav_path, the sound also goes to that
// WAV file (written under a temporary name until sound_finish). 1 on success; on failure
// the reason is printed.
int sound_open(long long frames, const char* wav_path);
// The sound of the next picture frame (SAMPLES_PER_FRAME stereo sample frames, signed
// 16-bit little-endian interleaved), or null once every frame's sound has been handed
// out or the WAV file failed. Frame 1's sound begins with sample frame 0.
const int16_t* sound_next_frame();
// 0 once writing the WAV file has failed (the sound then ends early).
int sound_ok();
// Mixes whatever is left, completes the WAV file under its own name and stops the tune; 1 on success.
int sound_finish();
// Stops the tune and removes a WAV file still being written.
void sound_abort();

// The 44-byte header of a WAV file of frames picture frames of the show's sound.
void wav_header(unsigned char out[WAV_HEADER_BYTES], long long frames);
