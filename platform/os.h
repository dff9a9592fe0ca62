// os.h -- the operating-system services the intro asks for: thread priority, sleeping, a millisecond clock
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
