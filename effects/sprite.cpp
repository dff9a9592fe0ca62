// sprite.cpp -- the blinking character at the left edge that jumps under gravity at random moments
#include "effects/sprite.h"

#include "effects/layout.h"
#include "effects/surfaces.h"
#include "platform/random.h"

#include <SDL.h>
#include <cstdint>

int sprite_state = SPRITE_IDLE_A;
int blink_timer = -1;
int jump_timer = 0;
double jump_time = 0.0;
double launch_speed = 0.0;
int previous_y = 0;

static const double gravity = 9.8;

constexpr int SPRITE_SIZE = 34;
constexpr int BLINK_FRAMES = 30;
constexpr int JUMP_WAIT_MIN = 75;
constexpr int JUMP_WAIT_SPREAD = 500; // waits of 75..574 standing frames
constexpr int LAUNCH_SPEED_MIN = 30;
constexpr int LAUNCH_SPEED_SPREAD = 65; // speeds of 30..94
constexpr double JUMP_TIME_STEP = 0.15;

static void start_timers()
{
    if (blink_timer < 0) {
        blink_timer = BLINK_FRAMES;
        jump_timer = random_below(JUMP_WAIT_SPREAD) + JUMP_WAIT_MIN;
    }
}

static void repaint_column()
{
    blit_to_screen(background, sprite_column.x, sprite_column.y, sprite_column.w, sprite_column.h, sprite_column.x,
                   sprite_column.y);
}

// The jump's step for this frame; returns the y to draw at. Leaves the state
// as the frame is to be drawn (falling, or landed as IDLE_B).
static int jump_step()
{
    int y = SPRITE_FLOOR_Y;
    if (sprite_state < SPRITE_RISING)
        return y;

    // NOTE: keep this order and double precision. Over the 65 launch speeds a regrouping
    // or a fused multiply-add happens not to move any frame, but the jump tables in the
    // tests were fixed with exactly this evaluation and nothing else is promised.
    double t = jump_time;
    double a = t * launch_speed;
    double b = ((gravity * t) * t) * 0.5;
    int height = static_cast<int>(a - b);
    y = static_cast<int16_t>(SPRITE_FLOOR_Y - height);

    if (y > previous_y) {
        sprite_state = SPRITE_FALLING;
        // Land when one more step of the same size would reach or pass the floor.
        if (y >= SPRITE_FLOOR_Y + (previous_y - y))
            sprite_state = SPRITE_IDLE_B;
    }
    previous_y = y;
    jump_time += JUMP_TIME_STEP;
    return y;
}

// The standing timers, also in the landing frame; nothing happens while airborne.
static void stand_step(int drawn_y)
{
    if (sprite_state >= SPRITE_RISING)
        return;
    blink_timer -= 1;
    if (blink_timer <= 0) {
        blink_timer = BLINK_FRAMES;
        sprite_state = 1 - sprite_state;
    }
    jump_timer -= 1;
    if (jump_timer <= 0) {
        // The wait is drawn before the speed; the launch wins over a blink in the same frame.
        jump_timer = random_below(JUMP_WAIT_SPREAD) + JUMP_WAIT_MIN;
        sprite_state = SPRITE_RISING;
        launch_speed = random_below(LAUNCH_SPEED_SPREAD) + LAUNCH_SPEED_MIN;
        jump_time = 0.0;
        previous_y = drawn_y;
    }
}

void draw_sprite(int frame, int y)
{
    SDL_Rect source;
    source.x = static_cast<Sint16>(SPRITE_SIZE * frame);
    source.y = 0;
    source.w = SPRITE_SIZE;
    source.h = SPRITE_SIZE;
    SDL_Rect destination;
    destination.x = static_cast<Sint16>(sprite_column.x);
    destination.y = static_cast<Sint16>(y);
    destination.w = 0;
    destination.h = 0;
    SDL_UpperBlit(sprite_sheet, &source, screen, &destination);
}

sprite_frame sprite_advance()
{
    start_timers();
    int y = jump_step();
    sprite_frame drawn{sprite_state, y};
    stand_step(y);
    return drawn;
}

void sprite_step()
{
    // The state steps never read the screen, so the column can be repainted first.
    repaint_column();
    sprite_frame drawn = sprite_advance();
    draw_sprite(drawn.frame, drawn.y);
}
