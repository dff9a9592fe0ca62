// image_sprite.h -- the sprite sheet: four frames of a small leaf-sprouting blob on magenta ground
#pragma once

#include "tools/common/picture.h"

constexpr int SPRITE_FRAME = 34;   // frame width and height
constexpr int SPRITE_FRAMES = 4;   // standing, blinking, rising, falling

// The 136 x 34 sheet: frame i at (34 * i, 0), magenta wherever the blob is not.
picture make_sprite_sheet();
