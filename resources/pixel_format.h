// pixel_format.h -- the one 32-bit pixel layout of every surface the intro makes, as plain constants
#pragma once

#include <cstdint>

// Bytes R, G, B and an unused fourth byte, in memory order.
constexpr uint32_t PIXEL_RED_MASK = 0x000000FF;
constexpr uint32_t PIXEL_GREEN_MASK = 0x0000FF00;
constexpr uint32_t PIXEL_BLUE_MASK = 0x00FF0000;
constexpr uint32_t PIXEL_ALPHA_MASK = 0;
