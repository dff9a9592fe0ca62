// page_cycle.cpp -- the per-page cycle (reset, typeset, slide in, hold, drop, pause) and the line layers' motion
#include "effects/page_cycle.h"

#include "effects/page_writer.h"
#include "effects/surfaces.h"

#include <climits>

int page_timer = 0;
int drop_step = 0;
int drop_offset = 0;
line_motion layer_motion[2] = {};

// The timer values that mean something besides counting down.
constexpr int TIMER_DROP = 10;       // held here while the page falls out of the window
constexpr int TIMER_AFTER_DROP = 9;  // the pause before the next page
constexpr int TIMER_HOLD = 500;      // set in the frame after both layers lock
constexpr int DROP_GONE = 800;       // the drop ends on the first offset at least this far down

// A new page starts 650 pixels off to the side (24.8 fixed point) and speeds up for 43 frames.
constexpr int LAUNCH_POSITION = 650 * 256;
constexpr int LAUNCH_COUNTDOWN = 42;
constexpr int ACCELERATION = 100;
constexpr int BRAKING = 100;
constexpr int BRAKE_UNTIL = -500;    // braking stops once the velocity falls below this
constexpr int SPRING_BACK = 7;
constexpr int LOCK_DISTANCE = 2 * 256; // within this of rest (inclusive) a layer snaps to 0

void start_page_cycle()
{
    page_timer = 1;
    layer_motion[0].state = MOTION_READY;
    layer_motion[1].state = MOTION_READY;
}

static void reset_page()
{
    layer_motion[0].state = MOTION_READY;
    layer_motion[1].state = MOTION_READY;
    for (SDL_Surface* layer : line_layer)
        if (layer)
            SDL_FillRect(layer, nullptr, color_key);
    // An absent text still measures (as one empty line), so the cycle runs on regardless.
    measure_page(page_text.data ? page_text.data + page_text.position : nullptr);
    drop_step = 0;
    drop_offset = 0;
}

static void launch_page()
{
    for (line_motion& motion : layer_motion) {
        motion.countdown = LAUNCH_COUNTDOWN;
        motion.velocity = 0;
        motion.state = MOTION_ACCELERATE;
    }
    // Layer 0 (even lines) comes in from the right, layer 1 (odd lines) from the left.
    layer_motion[0].position = LAUNCH_POSITION;
    layer_motion[1].position = -LAUNCH_POSITION;
}

void page_cycle_step()
{
    if (page_timer > 0) {
        if (page_timer == TIMER_DROP) {
            drop_step++;
            drop_offset = (drop_step * drop_step * drop_step) >> 8;
            if (drop_offset >= DROP_GONE)
                page_timer = TIMER_AFTER_DROP;
            return;
        }
        page_timer--;
        if (page_timer > 0)
            return;
        reset_page();
        return;
    }

    if (layer_motion[0].state == MOTION_PLACED) {
        if (layer_motion[1].state == MOTION_PLACED)
            page_timer = TIMER_HOLD;
    } else if (layer_motion[0].state == MOTION_READY && layer_motion[1].state == MOTION_READY) {
        render_page();
        launch_page();
    }
}

void move_line_layer(int index)
{
    if (index < 0 || index > 1)
        return;
    line_motion& motion = layer_motion[index];
    int direction = index == 0 ? 1 : -1;
    int v = motion.velocity;

    // Counts down in every state; only the acceleration reads it. It is held at the
    // floor so that a cycle that never starts cannot overflow it.
    if (motion.countdown > INT_MIN)
        motion.countdown--;

    switch (motion.state) {
    case MOTION_ACCELERATE:
        motion.position -= direction * v;
        motion.velocity = v + ACCELERATION;
        if (motion.countdown < 0)
            motion.state = MOTION_BRAKE;
        break;
    case MOTION_BRAKE:
        // Braking this hard drives the layer past its rest position before it turns back.
        motion.position -= direction * v;
        motion.velocity = v - BRAKING;
        if (motion.velocity < BRAKE_UNTIL)
            motion.state = MOTION_SETTLE;
        break;
    case MOTION_SETTLE:
        motion.position -= direction * v;
        motion.velocity = v + SPRING_BACK;
        if (motion.position >= -LOCK_DISTANCE && motion.position <= LOCK_DISTANCE) {
            motion.position = 0;
            motion.state = MOTION_PLACED;
        }
        break;
    default:
        // Ready, placed or not yet started: the layer stays where it is.
        break;
    }
}

int line_layer_x(int index)
{
    // The shift keeps the sign: a layer left of rest rounds toward minus infinity.
    return layer_motion[index].position >> 8;
}
