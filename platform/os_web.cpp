// os_web.cpp -- thread priority, sleeping and the millisecond clock in a web page
//
// The show runs on the page's only thread. Sleep hands it back to the browser (ASYNCIFY
// unwinds the loop and resumes it when the time is up), which is when the page draws,
// plays and delivers input; a loop that never sleeps freezes the page.
#include "platform/os.h"
#include "platform/os_web.h"

#include <emscripten.h>

static double last_yield_ms = 0;

// The browser's timers wake a little late (a millisecond or more), and a frame that sleeps
// out its budget would run long by that much every time, a few frames a second short of
// the show's 50. So each sleep is shortened by how late the one before woke, up to
// MAX_CARRY_MS. A longer wait (a hidden tab, whose timers the browser slows, or a stalled
// page) is not made up for: the show goes on from where it was instead of rushing.
constexpr double MAX_CARRY_MS = 8;
static double carried_ms = 0;

HANDLE GetCurrentThread()
{
    return nullptr;
}

int SetThreadPriority(HANDLE, int)
{
    return 1; // a page cannot change its thread's priority
}

void Sleep(uint32_t milliseconds)
{
    // A sleep of nothing only gives the browser its turn: it is no frame's wait.
    if (milliseconds == 0) {
        emscripten_sleep(0);
        last_yield_ms = emscripten_get_now();
        return;
    }
    double asked = milliseconds > carried_ms ? static_cast<double>(milliseconds) - carried_ms : 0;
    double started = emscripten_get_now();
    emscripten_sleep(static_cast<unsigned>(asked + 0.5));
    last_yield_ms = emscripten_get_now();
    double late = last_yield_ms - started - asked;
    carried_ms = late > 0 && late <= MAX_CARRY_MS ? late : 0;
}

double ms_since_yield()
{
    return emscripten_get_now() - last_yield_ms;
}

void clock_ms(int32_t* seconds, int32_t* milliseconds)
{
    // Milliseconds since the page opened, never jumping with the wall clock.
    double now = emscripten_get_now();
    long long whole = static_cast<long long>(now);
    *seconds = static_cast<int32_t>(whole / 1000);
    *milliseconds = static_cast<int32_t>(whole % 1000);
}

// The browser's timers already wake within a millisecond or so of their time.
void fine_sleep_begin()
{
}

void fine_sleep_end()
{
}

// A page has no signals: the page itself ends the show by the show's own input.
void watch_end_signals()
{
}

int end_signal_received()
{
    return 0;
}
