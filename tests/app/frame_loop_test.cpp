// frame_loop_test.cpp -- the pacing arithmetic and which input events end the show
#include "app/frame_loop.h"

#include <gtest/gtest.h>

TEST(frame_pacing, sleeps_only_what_is_left_of_the_budget)
{
    struct {
        frame_clock start, now;
        int expected_rest;
    } cases[] = {
        {{100, 0}, {100, 25000}, 0},        // a 25 ms frame: the next one follows at once
        {{100, 0}, {100, 5000}, 15},        // a 5 ms frame sleeps 15 ms
        {{100, 998000}, {101, 3000}, 15},   // 5 ms across a change of second
        {{100, 990000}, {101, 15000}, 0},   // 25 ms across a change of second
        {{100, 0}, {100, 0}, 20},           // no time at all: the whole budget
        {{100, 0}, {100, 20000}, 0},        // exactly on budget
        {{100, 0}, {100, 19999}, 1},        // whole milliseconds, rounded toward zero
        {{100, 0}, {160, 0}, 0},            // a long stall is not made up later
        {{100, 500000}, {100, 0}, 20},      // a reading before the start never sleeps beyond the budget
    };
    for (const auto& c : cases)
        EXPECT_EQ(frame_rest_ms(&c.start, &c.now, FRAME_BUDGET_MS), c.expected_rest)
            << c.start.seconds << "." << c.start.microseconds << " -> " << c.now.seconds << "."
            << c.now.microseconds;
}

TEST(frame_pacing, the_clock_moves_forward_in_milliseconds)
{
    frame_clock a, b;
    clock_now(&a);
    wait_frame_rest(&a, 30);
    clock_now(&b);
    int elapsed = (b.seconds - a.seconds) * 1000 + (b.microseconds - a.microseconds) / 1000;
    EXPECT_GE(elapsed, 29);
    EXPECT_LT(elapsed, 500);
    EXPECT_EQ(a.microseconds % 1000, 0);
}

static SDL_Event key_event(Uint8 type)
{
    SDL_Event e{};
    e.type = type;
    e.key.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = SDLK_SPACE;
    return e;
}

static SDL_Event button_event(Uint8 type, Uint8 button)
{
    SDL_Event e{};
    e.type = type;
    e.button.type = type;
    e.button.button = button;
    e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    return e;
}

TEST(frame_input, only_a_key_release_or_a_left_or_right_press_ends_the_show)
{
    SDL_Event quit_event{};
    quit_event.type = SDL_QUIT;
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    SDL_Event active{};
    active.type = SDL_ACTIVEEVENT;
    SDL_Event pressed_wrongly = button_event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
    pressed_wrongly.button.state = SDL_RELEASED;

    struct {
        const char* what;
        SDL_Event event;
        int quits;
    } cases[] = {
        {"key press", key_event(SDL_KEYDOWN), 0},
        {"key release", key_event(SDL_KEYUP), 1},
        {"left press", button_event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT), 1},
        {"right press", button_event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT), 1},
        {"middle press", button_event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE), 0},
        {"wheel", button_event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELUP), 0},
        {"left release", button_event(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT), 0},
        {"left down event not in the pressed state", pressed_wrongly, 0},
        {"window close request", quit_event, 0},
        {"mouse motion", motion, 0},
        {"focus change", active, 0},
    };
    for (const auto& c : cases) {
        quit_request = 0;
        handle_event(&c.event);
        EXPECT_EQ(quit_request, c.quits) << c.what;
    }

    // Once set, nothing clears it again.
    quit_request = 0;
    handle_event(&cases[1].event);
    handle_event(&cases[0].event);
    handle_event(&cases[1].event);
    EXPECT_EQ(quit_request, 1);
    quit_request = 0;
}
