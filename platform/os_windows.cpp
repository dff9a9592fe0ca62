// os_windows.cpp -- the millisecond clock, the system timer's resolution, the end requests and setenv on Windows
//
// Thread priority and Sleep are Windows' own calls (os.h takes them from <windows.h>).
#include "platform/os.h"

#include <cerrno>
#include <cstdlib>
#include <mmsystem.h>

constexpr UINT TIMER_PERIOD_MS = 1; // the system timer's tick while the show runs
constexpr DWORD END_GRACE_MS = 2000; // how long a closing console waits for the show to end

void clock_ms(int32_t* seconds, int32_t* milliseconds)
{
    // The performance counter is monotonic and its frequency fixed at boot.
    static LARGE_INTEGER frequency = {};
    if (frequency.QuadPart == 0)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    *seconds = static_cast<int32_t>(now.QuadPart / frequency.QuadPart);
    *milliseconds = static_cast<int32_t>(now.QuadPart % frequency.QuadPart * 1000 / frequency.QuadPart);
}

// NOTE: the timer's period is system-wide; every begin must be matched by its end.
static int fine_sleep_on = 0;

void fine_sleep_begin()
{
    if (!fine_sleep_on && timeBeginPeriod(TIMER_PERIOD_MS) == TIMERR_NOERROR)
        fine_sleep_on = 1;
}

void fine_sleep_end()
{
    if (fine_sleep_on)
        timeEndPeriod(TIMER_PERIOD_MS);
    fine_sleep_on = 0;
}

int setenv(const char* name, const char* value, int overwrite)
{
    if (!name || !*name || !value) {
        errno = EINVAL;
        return -1;
    }
    if (!overwrite && getenv(name))
        return 0;
    return _putenv_s(name, value) == 0 ? 0 : -1;
}

// Ctrl+C or Ctrl+Break in the console that started the show, the console closed, a logoff
// or a shutdown: noted for the frame loop, which ends the show as a key release does.
static volatile LONG end_request = 0;

static BOOL WINAPI note_end_request(DWORD event)
{
    InterlockedExchange(&end_request, 1);
    // NOTE: after a close, logoff or shutdown event Windows ends the process as soon as this
    // returns; waiting here a little gives the frame loop time to close the music and display.
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        Sleep(END_GRACE_MS);
    return TRUE;
}

void watch_end_signals()
{
    SetConsoleCtrlHandler(note_end_request, TRUE);
}

int end_signal_received()
{
    return InterlockedCompareExchange(&end_request, 0, 0) != 0;
}
