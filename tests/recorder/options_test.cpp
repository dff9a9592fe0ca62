// options_test.cpp -- the recorder's command line: lengths, containers, scales and the lines it refuses
#include "recorder/options.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

// Parses a line split at spaces; the program's name is added in front.
static int parse(const std::string& line, capture_options* options, std::string* problem)
{
    std::vector<std::string> words = {"swayboard-capture"};
    std::istringstream in(line);
    for (std::string word; in >> word;)
        words.push_back(word);
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    const char* why = nullptr;
    int ok = parse_options(static_cast<int>(argv.size()), argv.data(), options, &why);
    *problem = why ? why : "";
    return ok;
}

TEST(options, lengths_containers_and_scales)
{
    struct row {
        const char* line;
        long long frames; // 0: the tune's pass, filled in later
        video_container container;
        int scale;
    };
    const row rows[] = {
        {"--frames 5 --png d", 5, NO_VIDEO, 0},                  // the PNG line as it always was
        {"--video a.mp4", 0, VIDEO_MP4, 2},                      // upload formats enlarge twice by default
        {"--video a.webm --seconds 2", 100, VIDEO_WEBM, 2},      // seconds at 50 frames each
        {"--video a.mkv --seconds 0.5", 25, VIDEO_MKV, 1},       // lossless keeps the size
        {"--video a.mkv --scale 3 --frames 7", 7, VIDEO_MKV, 3}, // a scale given wins
        {"--video a.mp4 --scale 1", 0, VIDEO_MP4, 1},
        {"--audio a.wav", 0, NO_VIDEO, 0},                       // the sound alone
        {"--seconds 0.01 --audio a.wav", 1, NO_VIDEO, 0},        // half a frame rounds to one
        {"--seconds 130.6 --video v.mp4 --audio a.wav --png d", 6530, VIDEO_MP4, 2},
    };
    for (const row& r : rows) {
        capture_options options;
        std::string problem;
        ASSERT_EQ(parse(r.line, &options, &problem), 1) << r.line << ": " << problem;
        EXPECT_EQ(options.frames, r.frames) << r.line;
        EXPECT_EQ(options.container, r.container) << r.line;
        EXPECT_EQ(options.scale, r.scale) << r.line;
    }
}

TEST(options, refused_lines_name_their_fault_where_there_is_one)
{
    struct row {
        const char* line;
        const char* problem; // "" for a line that is simply malformed: the usage says enough
    };
    const row rows[] = {
        {"--video a.avi", "must end in .mp4, .webm or .mkv"},
        {"--video .mp4", "must end in .mp4, .webm or .mkv"}, // an extension alone names no file
        {"--audio a.mp3", "must end in .wav"},
        {"--frames 5 --seconds 1 --video a.mkv", "not both"},
        {"--frames 5 --png d --scale 2", "video only"},
        {"--audio a.wav --frames 1300000", "WAV file cannot hold"},
        {"--video a.mp4 --scale 0", ""},
        {"--video a.mp4 --scale 9", ""},
        {"--video a.mp4 --seconds 0", ""},
        {"--video a.mp4 --seconds -1", ""},
        {"--video a.mp4 --seconds 2s", ""},
        {"--video a.mp4 --seconds nan", ""},
        {"--video a.mp4 --seconds 1e300", ""},
        {"--video", ""},
        {"--seconds 3", ""},                     // no output at all
        {"--png d", ""},                         // PNG frames need a length
    };
    for (const row& r : rows) {
        capture_options options;
        std::string problem;
        EXPECT_EQ(parse(r.line, &options, &problem), 0) << r.line;
        if (*r.problem)
            EXPECT_NE(problem.find(r.problem), std::string::npos) << r.line << ": " << problem;
        else
            EXPECT_EQ(problem, "") << r.line;
    }
}
