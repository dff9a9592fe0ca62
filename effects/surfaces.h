// surfaces.h -- the surfaces and colour key the effects draw with (the shell makes them), and a blit onto the screen
//
// Defined in app/display.cpp: load_images decodes the six bitmaps, open_display sets the
// video mode, makes the work surfaces and keys them, free_surfaces releases them. An
// effect only draws; it never creates, keys or frees one of these.
#pragma once

#include <SDL.h>

// The display surface; the video library frees it at shutdown, never we.
extern SDL_Surface* screen;

// The six decoded bitmaps.
extern SDL_Surface* background;      // tausta.bmp, opaque
extern SDL_Surface* checker_layer;   // ruudut_layer.bmp, opaque
extern SDL_Surface* checker_overlay; // ruudut_alpha.bmp, keyed
extern SDL_Surface* mini_font;       // minifontti.bmp, keyed
extern SDL_Surface* big_font;        // font.bmp, keyed
extern SDL_Surface* sprite_sheet;    // bub.bmp, keyed

// Work surfaces: the page writer's layers and the scroller's double buffer.
extern SDL_Surface* line_layer[2];    // 600x400, keyed
extern SDL_Surface* scroll_buffer[2]; // 841x41, keyed by the scroller itself

// Magenta (255, 0, 255) in the screen's format: transparent in every keyed surface.
extern Uint32 color_key;

// Copies the w x h rectangle at (source_x, source_y) of source to (x, y) of the screen.
inline void blit_to_screen(SDL_Surface* source, int source_x, int source_y, int w, int h, int x, int y)
{
    SDL_Rect from{Sint16(source_x), Sint16(source_y), Uint16(w), Uint16(h)};
    // The blit writes the clipped rectangle back, so the destination is made fresh each time.
    SDL_Rect to{Sint16(x), Sint16(y), 0, 0};
    SDL_UpperBlit(source, &from, screen, &to);
}
