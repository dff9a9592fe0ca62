// system_linux.cpp -- the recorder's interrupts, frame folder and file replacement on Linux
#include "recorder/system.h"

#include "recorder/output.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

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

int make_directory(const char* path)
{
    return mkdir(path, 0777) == 0 || errno == EEXIST;
}

int replace_file(const char* from, const char* to)
{
    return rename(from, to) == 0;
}
