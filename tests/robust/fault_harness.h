// fault_harness.h -- link-time stand-ins that fail, count or bend the intro's calls, and a show run in a child process
//
// The fault tests link with -Wl,--wrap for each call below (see cmake/parts/robust.cmake),
// so every call the intro's own objects make goes through these wrappers first. What the
// wrappers should do is set in `faults` before a run; what they saw is in `*fault_seen`,
// which lives in memory shared with the child process that runs the show.
#pragma once

#include <cstdint>

constexpr int FAULT_MAX_FRAMES = 4096;

struct fault_plan {
    int fail_surface_call;  // the Nth SDL_CreateRGBSurface (from 1) returns null; 0: none fails
    int fail_lock_call;     // the Nth SDL_LockSurface returns -1; 0: none fails
    int fail_video_mode;    // 1: SDL_SetVideoMode returns null
    int quit_after_frames;  // a key release is delivered in this frame's event drain
    int skip_long_sleeps;   // 1: a sleep of more than one frame (the opening pause) returns at once
    int clock_jump_seconds; // the wall clock jumps by -this and +this, alternately ...
    int clock_jump_frames;  // ... every this many frames; 0: the wall clock runs true
    int guard_allocations;  // 1: every calloc block ends right at an unreadable page
};

struct fault_record {
    int sdl_inits;          // SDL_Init calls
    int surface_calls;      // SDL_CreateRGBSurface calls
    int video_modes;        // SDL_SetVideoMode calls
    int windows_opened;     // ... of them, those that returned a display
    int frames;             // frames whose event queue was drained
    int sleeps;             // nanosleep calls
    int64_t longest_sleep_us;
    int64_t skipped_sleep_us; // the long sleeps skipped, added up
    int wall_clock_reads;   // reads of the wall clock (time, gettimeofday, CLOCK_REALTIME)
    int64_t frame_start_us[FAULT_MAX_FRAMES]; // true monotonic time of each frame's first clock reading
    int guarded_blocks;     // calloc blocks placed against a guard page
    int music_loaded;       // a module was loaded while the frames ran
    int exit_status;        // intro_main's result in the child
};

extern fault_plan faults;
extern fault_record* fault_seen;

// Resets the plan to "no fault" and the record to zero (the record is created on first use).
void fault_reset();

// Runs intro_main(argc) in a child process under the current plan, in working directory
// dir (null: stay). Returns the child's wait status; *fault_seen then holds what it saw.
int run_show_in_child(int argc, const char* dir);

// Describes a wait status: "exited 0", "killed by signal 11", ...
const char* describe_status(int status);

// Whether the status is a normal exit with code 0.
bool exited_cleanly(int status);
