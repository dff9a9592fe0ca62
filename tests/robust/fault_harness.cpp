// fault_harness.cpp -- link-time stand-ins that fail, count or bend the intro's calls, and a show run in a child process
#include "tests/robust/fault_harness.h"

#include "app/startup.h"
#include "music/music.h"

#include <SDL.h>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sys/mman.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

fault_plan faults = {};
fault_record* fault_seen = nullptr;

constexpr int DEFAULT_QUIT_FRAME = 12;
constexpr int64_t ONE_FRAME_US = 20000;
constexpr unsigned CHILD_TIME_LIMIT_S = 120; // a show that has not ended by then is hung

static int quit_sent = 0;
static int lock_calls = 0;

void fault_reset()
{
    if (!fault_seen) {
        void* shared = mmap(nullptr, sizeof(fault_record), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        if (shared == MAP_FAILED) {
            perror("mmap");
            abort();
        }
        fault_seen = static_cast<fault_record*>(shared);
    }
    *fault_seen = fault_record{};
    faults = fault_plan{};
    faults.quit_after_frames = DEFAULT_QUIT_FRAME;
    faults.skip_long_sleeps = 1;
    quit_sent = 0;
    lock_calls = 0;
}

static fault_record* seen()
{
    if (!fault_seen)
        fault_reset();
    return fault_seen;
}

static int64_t true_monotonic_us();
// The true monotonic time of the intro's latest clock reading (any clock).
static int64_t last_clock_read_us = 0;

// The wall clock's offset from the truth: none, or -J and +J in turns of clock_jump_frames frames.
static int64_t wall_offset_s()
{
    if (faults.clock_jump_frames <= 0)
        return 0;
    int turn = seen()->frames / faults.clock_jump_frames;
    return turn % 2 == 0 ? -faults.clock_jump_seconds : faults.clock_jump_seconds;
}

extern "C" {

SDL_Surface* __real_SDL_CreateRGBSurface(Uint32, int, int, int, Uint32, Uint32, Uint32, Uint32);
SDL_Surface* __wrap_SDL_CreateRGBSurface(Uint32 flags, int w, int h, int depth, Uint32 r, Uint32 g, Uint32 b,
                                         Uint32 a)
{
    int call = ++seen()->surface_calls;
    if (faults.fail_surface_call == call)
        return nullptr;
    return __real_SDL_CreateRGBSurface(flags, w, h, depth, r, g, b, a);
}

int __real_SDL_LockSurface(SDL_Surface*);
int __wrap_SDL_LockSurface(SDL_Surface* surface)
{
    if (faults.fail_lock_call == ++lock_calls)
        return -1;
    return __real_SDL_LockSurface(surface);
}

SDL_Surface* __real_SDL_SetVideoMode(int, int, int, Uint32);
SDL_Surface* __wrap_SDL_SetVideoMode(int w, int h, int bpp, Uint32 flags)
{
    seen()->video_modes++;
    if (faults.fail_video_mode)
        return nullptr;
    SDL_Surface* display = __real_SDL_SetVideoMode(w, h, bpp, flags);
    if (display)
        seen()->windows_opened++;
    return display;
}

int __real_SDL_Init(Uint32);
int __wrap_SDL_Init(Uint32 flags)
{
    seen()->sdl_inits++;
    return __real_SDL_Init(flags);
}

// The frame loop drains the queue once per frame, so the call that finds it empty marks
// the same point of every frame: frames are counted, timed and ended there.
int __real_SDL_PollEvent(SDL_Event*);
int __wrap_SDL_PollEvent(SDL_Event* event)
{
    if (__real_SDL_PollEvent(event))
        return 1;
    fault_record* record = seen();
    int frame = record->frames + 1;
    if (frame >= faults.quit_after_frames && !quit_sent) {
        quit_sent = 1;
        SDL_Event release = {};
        release.type = SDL_KEYUP;
        release.key.state = SDL_RELEASED;
        release.key.keysym.sym = SDLK_SPACE;
        *event = release;
        return 1;
    }
    // NOTE: the frame is timed by the loop's own clock reading at its start, the last one
    // before this drain. Timing the drain itself would count any hold-up between the two
    // against the next frame, which a busy machine would show as a frame paced too short.
    if (frame < FAULT_MAX_FRAMES)
        record->frame_start_us[frame] = last_clock_read_us;
    if (music_handle != 0)
        record->music_loaded = 1;
    record->frames = frame;
    return 0;
}

int __real_nanosleep(const timespec*, timespec*);
int __wrap_nanosleep(const timespec* wanted, timespec* left)
{
    fault_record* record = seen();
    int64_t us = int64_t(wanted->tv_sec) * 1000000 + wanted->tv_nsec / 1000;
    record->sleeps++;
    if (faults.skip_long_sleeps && us > ONE_FRAME_US) {
        record->skipped_sleep_us += us;
        return 0;
    }
    if (us > record->longest_sleep_us)
        record->longest_sleep_us = us;
    return __real_nanosleep(wanted, left);
}

int __real_clock_gettime(clockid_t, timespec*);
int __wrap_clock_gettime(clockid_t clock, timespec* now)
{
    int result = __real_clock_gettime(clock, now);
    // The monotonic reading itself, not a second one: the process may be held up between two.
    if (result == 0)
        last_clock_read_us = clock == CLOCK_MONOTONIC ? int64_t(now->tv_sec) * 1000000 + now->tv_nsec / 1000
                                                       : true_monotonic_us();
    if (result == 0 && (clock == CLOCK_REALTIME || clock == CLOCK_REALTIME_COARSE)) {
        seen()->wall_clock_reads++;
        now->tv_sec += wall_offset_s();
    }
    return result;
}

int __real_gettimeofday(timeval*, void*);
int __wrap_gettimeofday(timeval* now, void* zone)
{
    int result = __real_gettimeofday(now, zone);
    if (result == 0 && now) {
        seen()->wall_clock_reads++;
        now->tv_sec += wall_offset_s();
    }
    return result;
}

time_t __real_time(time_t*);
time_t __wrap_time(time_t* out)
{
    time_t now = __real_time(nullptr) + wall_offset_s();
    seen()->wall_clock_reads++;
    if (out)
        *out = now;
    return now;
}

// Guarded blocks end exactly where an unreadable page begins, so a read even one byte past
// the block faults at once, in a build without sanitizers too. They are never freed (the
// disk fallback keeps its buffers for good), so nothing here hands them to free().
void* __real_calloc(size_t, size_t);
void* __wrap_calloc(size_t count, size_t size)
{
    if (!faults.guard_allocations)
        return __real_calloc(count, size);
    if (size != 0 && count > SIZE_MAX / size)
        return nullptr;
    size_t bytes = count * size;
    size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    size_t span = (bytes + page - 1) / page * page + page;
    void* base = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED)
        return nullptr;
    unsigned char* guard = static_cast<unsigned char*>(base) + span - page;
    mprotect(guard, page, PROT_NONE);
    seen()->guarded_blocks++;
    return guard - bytes;
}

} // extern "C"

static int64_t true_monotonic_us()
{
    timespec now{};
    __real_clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

int run_show_in_child(int argc, const char* dir)
{
    fflush(stdout);
    fflush(stderr);
    pid_t child = fork();
    if (child < 0) {
        perror("fork");
        return -1;
    }
    if (child == 0) {
        alarm(CHILD_TIME_LIMIT_S);
        if (dir && chdir(dir) != 0)
            _exit(100);
        int status = intro_main(argc);
        seen()->exit_status = status;
        exit(status);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

const char* describe_status(int status)
{
    static char text[64];
    if (WIFEXITED(status))
        snprintf(text, sizeof(text), "exited %d", WEXITSTATUS(status));
    else if (WIFSIGNALED(status))
        snprintf(text, sizeof(text), "killed by signal %d (%s)", WTERMSIG(status), strsignal(WTERMSIG(status)));
    else
        snprintf(text, sizeof(text), "wait status %d", status);
    return text;
}

bool exited_cleanly(int status)
{
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
