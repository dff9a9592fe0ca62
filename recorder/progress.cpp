// progress.cpp -- the recorder's progress line on a terminal
#include "recorder/progress.h"

#include <chrono>
#include <cstdio>
#include <unistd.h>

typedef std::chrono::steady_clock progress_clock;

constexpr double REDRAW_SECONDS = 0.25;
constexpr double WARM_UP_SECONDS = 0.5; // no estimate of the time left before this much work

static int shown = 0;
static long long frames_total = 0;
static progress_clock::time_point started, last_drawn;

void progress_format(char* out, size_t size, long long done, long long total, double seconds)
{
    const double speed = seconds > 0 ? done / seconds : 0;
    const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 0;
    if (seconds < WARM_UP_SECONDS || speed <= 0 || done >= total) {
        snprintf(out, size, "frame %lld/%lld (%d%%)", done, total, percent);
        return;
    }
    const long long left = static_cast<long long>((total - done) / speed + 0.5);
    snprintf(out, size, "frame %lld/%lld (%d%%), %.1f fps, %lld:%02lld left", done, total, percent, speed, left / 60,
             left % 60);
}

void progress_start(long long total)
{
    shown = isatty(STDERR_FILENO);
    frames_total = total;
    started = last_drawn = progress_clock::now();
}

void progress_update(long long done)
{
    if (!shown)
        return;
    progress_clock::time_point now = progress_clock::now();
    if (done < frames_total && std::chrono::duration<double>(now - last_drawn).count() < REDRAW_SECONDS)
        return;
    last_drawn = now;
    char line[128];
    progress_format(line, sizeof(line), done, frames_total, std::chrono::duration<double>(now - started).count());
    // \033[K clears what a longer earlier line left at the end.
    fprintf(stderr, "\r%s\033[K", line);
    fflush(stderr);
}

void progress_end()
{
    if (shown)
        fputc('\n', stderr);
    shown = 0;
}
