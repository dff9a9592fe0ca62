// options.cpp -- parses and checks the recorder's command line
#include "recorder/options.h"

#include "recorder/sound.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

const char USAGE[] =
    "usage: swayboard-capture [--frames N | --seconds S] [--seed S] [--from K] [--every M] [--png DIR]\n"
    "                         [--video FILE.mp4|FILE.webm|FILE.mkv] [--scale K] [--audio FILE.wav]\n";

constexpr long long MAX_FRAMES = 100000000;
constexpr int UPLOAD_SCALE = 2;   // 4:2:0 chroma then covers exactly one source pixel
constexpr int LOSSLESS_SCALE = 1;

// A whole decimal number in [low, high]; 0 when the text is anything else.
static int parse_number(const char* text, long long low, long long high, long long* out)
{
    if (!text || !*text)
        return 0;
    char* end = nullptr;
    errno = 0;
    long long value = strtoll(text, &end, 10);
    if (errno != 0 || *end != '\0' || value < low || value > high)
        return 0;
    *out = value;
    return 1;
}

// A duration in seconds, as frames at the show's rate (to the nearest frame, at least one).
static int parse_seconds(const char* text, long long* frames)
{
    if (!text || !*text || !(*text >= '0' && *text <= '9'))
        return 0;
    char* end = nullptr;
    errno = 0;
    double seconds = strtod(text, &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(seconds))
        return 0;
    double count = std::round(seconds * SHOW_RATE);
    if (count < 1 || count > MAX_FRAMES)
        return 0;
    *frames = static_cast<long long>(count);
    return 1;
}

static int ends_with(const char* text, const char* tail)
{
    size_t n = strlen(text), m = strlen(tail);
    return n > m && strcmp(text + n - m, tail) == 0;
}

video_container container_of(const char* path)
{
    if (ends_with(path, ".mp4"))
        return VIDEO_MP4;
    if (ends_with(path, ".webm"))
        return VIDEO_WEBM;
    if (ends_with(path, ".mkv"))
        return VIDEO_MKV;
    return NO_VIDEO;
}

int parse_options(int argc, char** argv, capture_options* out, const char** problem)
{
    *out = capture_options{0, -1, 1, 1, nullptr, nullptr, NO_VIDEO, 0, nullptr};
    *problem = nullptr;
    long long frames = 0, seconds_frames = 0, scale = 0;
    for (int i = 1; i < argc; i++) {
        const char* option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        int ok = 0;
        if (strcmp(option, "--frames") == 0)
            ok = parse_number(value, 1, MAX_FRAMES, &frames);
        else if (strcmp(option, "--seconds") == 0)
            ok = parse_seconds(value, &seconds_frames);
        else if (strcmp(option, "--seed") == 0)
            ok = parse_number(value, 0, 4294967295LL, &out->seed);
        else if (strcmp(option, "--from") == 0)
            ok = parse_number(value, 1, MAX_FRAMES, &out->from);
        else if (strcmp(option, "--every") == 0)
            ok = parse_number(value, 1, MAX_FRAMES, &out->every);
        else if (strcmp(option, "--scale") == 0)
            ok = parse_number(value, 1, MAX_SCALE, &scale);
        else if (strcmp(option, "--png") == 0 && value && *value) {
            out->png_dir = value;
            ok = 1;
        } else if (strcmp(option, "--video") == 0 && value && *value) {
            out->video_path = value;
            out->container = container_of(value);
            ok = 1;
            if (out->container == NO_VIDEO) {
                *problem = "the video's name must end in .mp4, .webm or .mkv";
                return 0;
            }
        } else if (strcmp(option, "--audio") == 0 && value && *value) {
            out->audio_path = value;
            ok = 1;
            if (!ends_with(value, ".wav")) {
                *problem = "the sound's name must end in .wav";
                return 0;
            }
        }
        if (!ok)
            return 0;
        i++;
    }
    if (frames && seconds_frames) {
        *problem = "give the length by --frames or by --seconds, not both";
        return 0;
    }
    if (!out->png_dir && !out->video_path && !out->audio_path)
        return 0;
    if (scale && !out->video_path) {
        *problem = "--scale applies to a video only";
        return 0;
    }
    out->frames = frames ? frames : seconds_frames;
    // PNG frames alone have no tune to take a default length from: they need one given.
    if (!out->frames && !out->video_path && !out->audio_path)
        return 0;
    if (out->video_path)
        out->scale = scale ? static_cast<int>(scale) : out->container == VIDEO_MKV ? LOSSLESS_SCALE : UPLOAD_SCALE;
    if (out->audio_path && out->frames > MAX_WAV_FRAMES) {
        *problem = "a WAV file cannot hold that much sound (at most 6 h 45 min)";
        return 0;
    }
    return 1;
}
