// os_linux.cpp -- thread priority, sleeping and the monotonic millisecond clock on Linux
#include "platform/os.h"

#include <cerrno>
#include <ctime>
#include <sys/resource.h>
#include <unistd.h>

HANDLE GetCurrentThread()
{
    return nullptr; // the calling thread; Linux needs no handle for it
}

int SetThreadPriority(HANDLE, int level)
{
    // Linux has no "above normal" class for ordinary processes: a lower nice
    // value is the nearest thing, and it needs privileges that are usually
    // missing. Best effort: the caller ignores the result.
    if (level <= 0)
        return 1;
    return setpriority(PRIO_PROCESS, 0, -level) == 0 ? 1 : 0;
}

void Sleep(uint32_t milliseconds)
{
    timespec left{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

void clock_ms(int32_t* seconds, int32_t* milliseconds)
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    *seconds = static_cast<int32_t>(now.tv_sec);
    *milliseconds = static_cast<int32_t>(now.tv_nsec / 1000000L);
}

// nanosleep already wakes within well under a millisecond.
void fine_sleep_begin()
{
}

void fine_sleep_end()
{
}
