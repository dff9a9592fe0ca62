// progress.h -- one line on a terminal, rewritten in place: frames done, speed and time left
#pragma once

#include <cstddef>

// Starts timing a run of total frames; shows nothing unless standard error is a terminal.
void progress_start(long long total);
// Notes that done frames are finished; redraws the line a few times a second at most.
void progress_update(long long done);
// Ends the line (it stays as it was last drawn), so that what is printed next starts on a line of its own.
void progress_end();

// The line for done of total frames after seconds of work (no carriage return, no newline).
void progress_format(char* out, size_t size, long long done, long long total, double seconds);
