// system_windows.cpp -- the recorder's interrupts, frame folder and file replacement on Windows
#include "recorder/system.h"

#include "recorder/output.h"

#include <cerrno>
#include <csignal>
#include <direct.h>
#include <windows.h>

static void on_signal(int)
{
    interrupted = 1;
}

void interrupt_handlers_install()
{
    // The C library runs these on the console's own thread; all they do is set the flag.
    for (int signal_number : {SIGINT, SIGTERM, SIGBREAK})
        signal(signal_number, on_signal);
}

int make_directory(const char* path)
{
    return _mkdir(path) == 0 || errno == EEXIST;
}

int replace_file(const char* from, const char* to)
{
    // NOTE: rename on Windows fails when the target exists, as it does on a second recording.
    if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING))
        return 1;
    DWORD error = GetLastError();
    errno = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ENOENT
          : error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ? EACCES
          : EIO;
    return 0;
}
