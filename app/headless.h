// headless.h -- the show started with no window, for the programs that render frames unseen
#pragma once

// Starts the show as the intro enters its frame loop in window mode (texts, display,
// background painted), but on SDL's invisible driver and without the opening pause or
// the music. The same seed gives the same frames. 1 on success; 0 when the texts or
// the display are missing, with the video subsystem already shut down again.
int start_headless(unsigned int seed);

// Frees the surfaces and shuts the video subsystem down.
void stop_headless();
