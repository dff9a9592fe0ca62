// bitmap.h -- decoding uncompressed 24-bit BMP files into 32-bit surfaces of the intro's pixel format
#pragma once

#include <SDL.h>
#include <cstdint>

// Decodes size bytes of BMP data; null (and nothing created) for data it cannot decode safely.
SDL_Surface* decode_bitmap(const unsigned char* data, uint32_t size);

// Looks the file up in the store and decodes it; null if missing or undecodable.
SDL_Surface* load_bitmap(const char* name);
