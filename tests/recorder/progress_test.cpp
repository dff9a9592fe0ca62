// progress_test.cpp -- the progress line's wording: frames, share, speed and time left
#include "recorder/progress.h"

#include <gtest/gtest.h>

#include <string>

TEST(progress, the_line_gives_frames_speed_and_time_left_once_there_is_a_speed)
{
    struct row {
        long long done, total;
        double seconds;
        const char* line;
    };
    const row rows[] = {
        {0, 6530, 0.0, "frame 0/6530 (0%)"},                                 // nothing to measure yet
        {10, 6530, 0.1, "frame 10/6530 (0%)"},                               // too early for a fair speed
        {1000, 6530, 20.0, "frame 1000/6530 (15%), 50.0 fps, 1:51 left"},    // 5530 frames at 50 fps
        {6529, 6530, 100.0, "frame 6529/6530 (99%), 65.3 fps, 0:00 left"},   // never "100%" before the end
        {6530, 6530, 100.0, "frame 6530/6530 (100%)"},                       // done: no estimate
        {1, 1000000, 10.0, "frame 1/1000000 (0%), 0.1 fps, 166666:30 left"}, // hours stay in minutes
    };
    for (const row& r : rows) {
        char line[128];
        progress_format(line, sizeof(line), r.done, r.total, r.seconds);
        EXPECT_EQ(std::string(line), r.line);
    }
}
