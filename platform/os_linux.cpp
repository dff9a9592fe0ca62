// os_linux.cpp -- thread priority, sleeping, the monotonic millisecond clock and the end signals on Linux
#include "platform/os.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <initializer_list>
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

static volatile sig_atomic_t end_signal = 0;

static void note_end_signal(int)
{
    end_signal = 1;
}

void watch_end_signals()
{
    struct sigaction action = {};
    action.sa_handler = note_end_signal;
    sigemptyset(&action.sa_mask);
    // Restarted calls: the libraries' own reads and waits never see the signal.
    action.sa_flags = SA_RESTART;
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction before = {};
        if (sigaction(signal_number, nullptr, &before) == 0 && before.sa_handler == SIG_IGN)
            continue;
        sigaction(signal_number, &action, nullptr);
    }
}

int end_signal_received()
{
    return end_signal != 0;
}
