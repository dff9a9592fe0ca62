// bass_device.h -- between the audio stand-in's module mixer (bass_modules) and the output device that plays it
//
// bass_modules.cpp owns the modules and mixes them; a device file (bass_sdl.cpp on the
// desktop, bass_web.cpp in the page, bass_worklet.cpp in the page's sound worklet) owns the
// output, implements the module notices below and supplies the other four calls of
// bass.h; the lock comes with it (bass_sdl.cpp) or from bass_one_thread.cpp. Exactly one
// device file is linked.
#pragma once

#include "platform/bass.h"

#include <cstddef>
#include <cstdint>

constexpr int BASS_DEFAULT_RATE = 44100;
constexpr int BASS_OUTPUT_CHANNELS = 2;
// NOTE: libopenmpt's last bit depends on how many frames each call asks for. Both of the
// page's outputs (its sound worklet and its fallback queue) mix a fiftieth of a second at
// a time, as the recorder mixes each picture frame's sound, so the page plays exactly the
// recorder's samples.
constexpr int BASS_PAGE_CHUNK_FRAMES = BASS_DEFAULT_RATE / 50;

// Held around every change the mixer may see and around every mix: SDL's audio lock on
// the desktop, where the device's own thread mixes. The page's two device files share
// empty ones (bass_one_thread.cpp): its sound worklet mixes on the audio thread in an
// instance of its own, which takes its changes there between quanta, and its fallback
// queue mixes on the page's thread from a timer that runs only while the show sleeps.
void bass_device_lock();
void bass_device_unlock();

// What the mixer tells the device after each change to its modules, outside the lock. A
// device that mixes elsewhere (the page's sound worklet) repeats the change there; one
// that mixes here ignores them. The loaded module's size bytes at data are the very bytes
// decoded, valid during the call only.
void bass_device_module_loaded(HMUSIC handle, const void* data, size_t size, DWORD flags);
void bass_device_module_playing(HMUSIC handle);
void bass_device_module_freed(HMUSIC handle);

// Whether BASS_Init may open a device for these arguments: the default device (-1, or 1,
// its own number) at a rate from 1 to 192,000 Hz. Every device file asks this first.
int bass_init_arguments_valid(int device, DWORD freq);

// Mixes every playing module into frames stereo frames (silence when nothing plays).
// The caller holds the device lock.
void bass_mix_locked(int16_t* out, size_t frames);
// The rate modules are mixed at; set by the device while nothing mixes.
void bass_set_mix_rate(int rate);
// Releases every loaded module once the device has stopped mixing for good, and puts
// the mixing rate back to BASS_DEFAULT_RATE.
void bass_release_modules();
