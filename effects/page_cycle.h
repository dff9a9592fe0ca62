// page_cycle.h -- the per-page cycle (reset, typeset, slide in, hold, drop, pause) and the line layers' motion
#pragma once

constexpr int MOTION_ACCELERATE = 1;
constexpr int MOTION_BRAKE = 2;
constexpr int MOTION_SETTLE = 3;
constexpr int MOTION_READY = 4;
constexpr int MOTION_PLACED = 5;

struct line_motion {
    int countdown;
    int state;
    int velocity; // 1/256 pixel per frame
    int position; // displacement from rest, 24.8 fixed point
};

extern int page_timer;
extern int drop_step;
extern int drop_offset; // pixels both layers are moved down
extern line_motion layer_motion[2];

// Puts the cycle into its starting state (called by load_texts once the texts are there).
void start_page_cycle();

void page_cycle_step();
void move_line_layer(int index);

// Where line layer `index` (0 or 1) is drawn: its displacement from rest in whole pixels.
int line_layer_x(int index);
