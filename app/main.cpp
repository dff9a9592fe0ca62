// main.cpp -- Swayboard: an old-school intro of checkerboards, a page writer, a scroller and a jumping critter
//
// Any command-line argument runs it in a window instead of full screen. It ends when a
// key is released or the left or right mouse button is pressed.
#include "app/startup.h"

// On Windows SDL renames main to SDL_main and runs it from its own entry point (SDLmain).
#include <SDL.h>

int main(int argc, char**)
{
    return intro_main(argc);
}
