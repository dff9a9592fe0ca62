// present.h -- what the platform does around each frame: before its events are read, and after it is presented
#pragma once

struct SDL_Surface; // the video library's; only web platform files look inside it

// Before the frame loop reads the frame's events: a platform whose input does not reach
// the video library by itself hands it over here.
void event_hook();
// After each present: a platform whose video library does not show the frame itself
// shows screen here.
void present_hook(SDL_Surface* screen);
