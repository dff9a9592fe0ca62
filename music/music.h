// music.h -- plays the embedded tracker module in a loop for the life of the show
#pragma once

#include <cstddef>
#include <cstdint>

extern uint32_t music_handle; // 0 while no module is loaded

// The show's module from the store, or null when it is missing or when its headers claim
// more bytes than there are: the library is handed no length and reads as far as they say,
// and a module read from disk may be cut short or be something else entirely. With extent,
// its length as its headers give it.
const unsigned char* music_module(size_t* extent);

// 1 when the audio device is initialised and its output started, else 0.
int music_open();
// 1 when the module (its first byte; no length) is loaded and playing, else 0.
int music_start(const void* module);
// Stops and releases the module and the device, if a module is loaded.
void music_close();
