// frame_loop_test.cpp -- which input events end the show
#include "app/frame_loop.h"

#include <gtest/gtest.h>

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
