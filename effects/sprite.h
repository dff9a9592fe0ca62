// sprite.h -- the small character at the left edge that blinks and jumps at random moments
#pragma once

constexpr int SPRITE_IDLE_A = 0;
constexpr int SPRITE_IDLE_B = 1;
constexpr int SPRITE_RISING = 2;
constexpr int SPRITE_FALLING = 3;
constexpr int SPRITE_FLOOR_Y = 497;

// The state number is also the index of the frame drawn from the sprite sheet.
extern int sprite_state;
// -1 until the first call; then the standing frames left until the next blink (1..30).
extern int blink_timer;
// Standing frames left until the next jump.
extern int jump_timer;
// The current jump's time parameter and launch speed (a whole number 30..94).
extern double jump_time;
extern double launch_speed;
// The y drawn in the previous airborne frame (497 in the launch frame).
extern int previous_y;

// One frame: repaint the sprite column, advance the jump, draw, run the standing timers.
void sprite_step();

// What one frame draws: the sheet frame and the y of the sprite's top edge.
struct sprite_frame {
    int frame;
    int y;
};

// One frame's state steps without touching any surface (sprite_step is these steps
// plus the drawing); returns what the frame draws.
sprite_frame sprite_advance();

// Blits sheet frame `frame` to (32, y) on the screen, magenta left out.
void draw_sprite(int frame, int y);
