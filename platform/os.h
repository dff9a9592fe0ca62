// os.h -- the operating-system services the intro asks for: thread priority, sleeping, a millisecond clock, end signals
#pragma once

#include <cstdint>

typedef void* HANDLE;
constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;

// The calling thread.
HANDLE GetCurrentThread();
// Raises (best effort) the thread's scheduling priority; non-zero on success.
int SetThreadPriority(HANDLE thread, int level);
// Sleeps for the given number of milliseconds.
void Sleep(uint32_t milliseconds);
// A monotonic clock as whole seconds plus milliseconds; never jumps with the wall clock.
void clock_ms(int32_t* seconds, int32_t* milliseconds);

// From now on, the system's requests to end the process (on Linux SIGINT, SIGTERM and
// SIGHUP: Ctrl+C, kill, a logout) are only noted, for end_signal_received to report.
// A request the process was started to ignore (nohup, a background job) stays ignored.
void watch_end_signals();
// Non-zero once such a request has arrived; never cleared.
int end_signal_received();
