// music.h -- plays the embedded tracker module in a loop for the life of the show
#pragma once

#include <cstdint>

extern uint32_t music_handle; // 0 while no module is loaded

// 1 when the audio device is initialised and its output started, else 0.
int music_open();
// 1 when the module (its first byte; no length) is loaded and playing, else 0.
int music_start(const void* module);
// Stops and releases the module and the device, if a module is loaded.
void music_close();
