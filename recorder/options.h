// options.h -- the recorder's command line: what to render, for how long, and where to write it
#pragma once

enum video_container { NO_VIDEO, VIDEO_MP4, VIDEO_WEBM, VIDEO_MKV };

struct capture_options {
    long long frames;       // frames to render; 0 until known (the default length comes from the tune)
    long long seed;         // -1: seed from the time
    long long from, every;  // which frames go to PNG files
    const char* png_dir;    // null: no PNG files
    const char* video_path; // null: no video
    video_container container;
    int scale;              // whole factor the picture is enlarged by before encoding
    const char* audio_path; // null: no WAV file
};

constexpr int MAX_SCALE = 8;

extern const char USAGE[];

// Fills out from argv; 1 on success. On failure, *problem names what was wrong
// (or is null when the whole line is simply malformed) and the caller prints the usage.
int parse_options(int argc, char** argv, capture_options* out, const char** problem);

// The container a video file's name asks for, by its extension; NO_VIDEO for any other name.
video_container container_of(const char* path);
