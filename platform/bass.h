// bass.h -- the audio library's seven calls that music playback makes, under the library's own names
#pragma once

#include <cstddef>
#include <cstdint>

typedef uint32_t DWORD;
typedef uint64_t QWORD;
typedef int BOOL;
typedef DWORD HMUSIC;

// Flag for BASS_MusicLoad: loop the module for ever.
constexpr DWORD BASS_SAMPLE_LOOP = 4;

// Opens the output device (-1: the default) at freq Hz; non-zero on success.
BOOL BASS_Init(int device, DWORD freq, DWORD flags, void* win);
// Starts the output; non-zero on success.
BOOL BASS_Start();
// Loads a module; with mem true, file points at its bytes in memory and length 0 means
// "take the extent from the module's own headers". A non-zero handle on success.
HMUSIC BASS_MusicLoad(BOOL mem, const void* file, QWORD offset, DWORD length, DWORD flags);
// Starts playing a loaded module; non-zero on success.
BOOL BASS_MusicPlay(HMUSIC handle);
// Stops the output.
BOOL BASS_Stop();
// Releases a module.
BOOL BASS_MusicFree(HMUSIC handle);
// Releases the device.
BOOL BASS_Free();

// The real stand-in only (platform/bass_modules.cpp), for tests, benchmarks and the page:

// The output's sample rate: the rate the device was opened at, else 44,100 Hz.
int bass_mix_rate();
// Mixes every playing module into frames stereo frames of signed 16-bit samples, exactly
// as the device does (silence when nothing plays). Takes the device lock itself.
void bass_mix(int16_t* out, size_t frames);
// The length of one pass of a module of size bytes, in seconds; 0 when it does not decode.
double bass_module_seconds(const void* data, size_t size);
