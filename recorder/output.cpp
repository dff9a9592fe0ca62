// output.cpp -- temporary names for output files, their completion or removal, and the interrupt flag
#include "recorder/output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

volatile sig_atomic_t interrupted = 0;

static void on_signal(int)
{
    interrupted = 1;
}

void interrupt_handlers_install()
{
    struct sigaction action;
    memset(&action, 0, sizeof(action));
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal_number, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

std::string part_path(const char* path)
{
    // NOTE: the extension stays last only for our eyes; the encoder is told the format itself.
    return std::string(path) + ".part";
}

int part_commit(const char* path)
{
    std::string part = part_path(path);
    if (rename(part.c_str(), path) != 0) {
        fprintf(stderr, "swayboard-capture: cannot move %s to %s: %s\n", part.c_str(), path, strerror(errno));
        unlink(part.c_str());
        return 0;
    }
    return 1;
}

void part_discard(const char* path)
{
    unlink(part_path(path).c_str());
}
