// present_desktop.cpp -- the frame hooks on a desktop: none, since SDL reads the input and shows the frames itself
#include "platform/present.h"

void event_hook()
{
}

void present_hook(SDL_Surface*)
{
}
