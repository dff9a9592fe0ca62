// output.cpp -- temporary names for output files, their completion or removal, and the interrupt flag
#include "recorder/output.h"

#include "recorder/system.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

volatile sig_atomic_t interrupted = 0;

std::string part_path(const char* path)
{
    // NOTE: the extension stays last only for our eyes; the encoder is told the format itself.
    return std::string(path) + ".part";
}

int part_commit(const char* path)
{
    std::string part = part_path(path);
    if (!replace_file(part.c_str(), path)) {
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
