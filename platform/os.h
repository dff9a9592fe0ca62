// os.h -- the operating-system services the intro asks for: thread priority, sleeping, a millisecond clock, end signals
#pragma once

#include <cstdint>

#ifdef _WIN32
// The thread priority and sleeping calls are Windows' own.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// The C library of Windows lacks it; the intro sets a few of SDL's variables with it.
int setenv(const char* name, const char* value, int overwrite);
#else
typedef void* HANDLE;
constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;

// The calling thread.
HANDLE GetCurrentThread();
// Raises (best effort) the thread's scheduling priority; non-zero on success.
int SetThreadPriority(HANDLE thread, int level);
// Sleeps for the given number of milliseconds.
void Sleep(uint32_t milliseconds);
#endif

// A monotonic clock as whole seconds plus milliseconds; never jumps with the wall clock.
void clock_ms(int32_t* seconds, int32_t* milliseconds);
// Between these two, Sleep wakes within about a millisecond of its time (Windows
// otherwise rounds it up to its 15.6 ms tick); a pair of no-ops where sleeping is already fine.
void fine_sleep_begin();
void fine_sleep_end();

// From now on, the system's requests to end the process (on Linux SIGINT, SIGTERM and
// SIGHUP: Ctrl+C, kill, a logout) are only noted, for end_signal_received to report.
// A request the process was started to ignore (nohup, a background job) stays ignored.
void watch_end_signals();
// Non-zero once such a request has arrived; never cleared.
int end_signal_received();
