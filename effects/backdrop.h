// backdrop.h -- the two swaying, upward-scrolling checkerboards that fill the text window
#pragma once

// Motion variables, all starting at 0.0: the sine's phase and each board's accumulated sway and drift.
struct backdrop_motion_state {
    double phase;
    double layer_x, layer_y;
    double overlay_x, overlay_y;
};
extern backdrop_motion_state backdrop_motion;

// Where each board's 600x400 source rectangle starts inside its bitmap.
struct backdrop_source_offsets {
    int layer_x, layer_y;
    int overlay_x, overlay_y;
};

// The source offsets draw_backdrop uses for the given motion: two pixels per unit of
// motion, wrapped to the boards' repeat (50 pixels below, 100 above).
backdrop_source_offsets backdrop_offsets(const backdrop_motion_state& motion);

// Draws both boards into the text window (the lower board covers it completely).
void draw_backdrop();

// Advances the motion by one frame; called after the frame is presented.
void backdrop_step();
