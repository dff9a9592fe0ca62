// image_logo.h -- the title logo of the background picture: chunky chrome letters with outline and shadow
#pragma once

#include "tools/common/picture.h"

// Height of the letters in pixels, without outline and shadow.
constexpr int LOGO_LETTER_HEIGHT = 68;

// Draws the title centred across the target with the letters' top edge at top.
// The outline reaches 2 pixels beyond the letters and the shadow 8 pixels right
// of and below them; nothing else is touched.
void draw_logo(picture* target, int top);
