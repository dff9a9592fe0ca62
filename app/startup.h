// startup.h -- the intro's entry function: start-up in its fixed order, the show, and shutdown
#pragma once

// The whole intro for a process started with argc arguments (program name included).
// Always returns 0, on every path.
int intro_main(int argc);

// Fetches both texts into page_text and scroll_text; 1 when both exist, else 0.
// On success the page cycle is put into its starting state.
int load_texts();

// Decodes the six bitmaps the effects use, stopping at the first failure; 1 when all six are there.
int load_images();

// Initialises the video subsystem, decodes the bitmaps and opens the display; 1 on success.
// Refuses (0) a display that nobody can see: a silent fallback to an invisible video driver.
int open_show(int fullscreen);

// Paints the background into the display surface: into both buffers in full screen,
// and shown at once in a window.
void paint_background();
