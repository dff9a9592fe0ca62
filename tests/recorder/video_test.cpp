// video_test.cpp -- the recorder run as a user runs it: lossless and upload videos checked by ffmpeg, and its failures
//
// The program's path comes in SWAYBOARD_CAPTURE. ffmpeg and ffprobe decode and measure what it wrote.
#include "music/music.h"
#include "platform/bass.h"
#include "recorder/sound.h"
#include "resources/store.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

constexpr int WIDTH = 800, HEIGHT = 600;
constexpr size_t FRAME_BYTES = size_t(WIDTH) * HEIGHT * 3;

static std::string file_text(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs a shell line; its exit status, or -1 when it did not exit normally.
static int shell(const std::string& line)
{
    int status = system(line.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

static std::string capture_program()
{
    return getenv("SWAYBOARD_CAPTURE");
}

// The stream entries ffprobe reports for a file, one map per stream, counting frames by decoding.
static std::vector<std::map<std::string, std::string>> probe(const std::string& path, const std::string& scratch)
{
    std::vector<std::map<std::string, std::string>> streams;
    std::string out = scratch + "/probe.txt";
    if (shell("ffprobe -v error -count_frames -show_entries "
              "stream=codec_type,width,height,r_frame_rate,nb_read_frames,duration,sample_rate:stream_tags=DURATION "
              "-of default=noprint_wrappers=0 '" + path + "' >" + out) != 0)
        return streams;
    std::istringstream in(file_text(out));
    for (std::string line; std::getline(in, line);) {
        if (line == "[STREAM]")
            streams.emplace_back();
        else if (!streams.empty() && line.find('=') != std::string::npos)
            streams.back()[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
    }
    return streams;
}

// A stream's length in seconds: its own duration, else Matroska's "HH:MM:SS.fraction" tag.
static double stream_seconds(std::map<std::string, std::string>& stream)
{
    if (!stream["duration"].empty() && stream["duration"] != "N/A")
        return atof(stream["duration"].c_str());
    int hours = 0, minutes = 0;
    double seconds = -1;
    if (sscanf(stream["TAG:DURATION"].c_str(), "%d:%d:%lf", &hours, &minutes, &seconds) != 3)
        return -1;
    return hours * 3600.0 + minutes * 60.0 + seconds;
}

// The tune from the intro's own start call, mixed offline a frame at a time.
static std::vector<int16_t> offline_mix(long long frames)
{
    std::vector<int16_t> sound(static_cast<size_t>(frames) * SAMPLES_PER_FRAME * SOUND_CHANNELS);
    EXPECT_EQ(music_start(load_resource("ormivaara.xm", nullptr)), 1);
    for (long long n = 0; n < frames; n++)
        bass_mix(sound.data() + n * SAMPLES_PER_FRAME * SOUND_CHANNELS, SAMPLES_PER_FRAME);
    music_close();
    return sound;
}

class video : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(getenv("SWAYBOARD_CAPTURE"), nullptr);
        ASSERT_EQ(shell("ffmpeg -version >/dev/null 2>&1"), 0) << "make test installs ffmpeg";
        dir = make_scratch_dir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    // Runs the recorder with args (DIR standing for the scratch directory); its standard
    // error goes to DIR/err.
    int record(std::string args, const std::string& environment = "")
    {
        for (size_t at; (at = args.find("DIR")) != std::string::npos;)
            args.replace(at, 3, dir);
        return shell(environment + " " + capture_program() + " " + args + " 2>" + dir + "/err");
    }
    std::string errors() { return file_text(dir + "/err"); }
    std::string dir;
};

// A picture stream then a sound stream: 50 frames a second, `frames` of them, and the
// sound as long as the picture to within one frame.
template <typename Streams> static void expect_in_step_at_fifty(Streams& streams, int frames)
{
    EXPECT_EQ(streams[0]["codec_type"], "video");
    EXPECT_EQ(streams[0]["r_frame_rate"], "50/1");
    EXPECT_EQ(streams[0]["nb_read_frames"], std::to_string(frames));
    EXPECT_EQ(streams[1]["codec_type"], "audio");
    EXPECT_NEAR(stream_seconds(streams[0]), frames / 50.0, 0.02);
    EXPECT_NEAR(stream_seconds(streams[1]), stream_seconds(streams[0]), 0.02);
}

TEST_F(video, a_lossless_recording_equals_the_png_capture_and_the_offline_mix)
{
    const long long frames = 200;
    ASSERT_EQ(record("--frames 200 --seed 11 --png DIR/png"), 0) << errors();
    ASSERT_EQ(record("--frames 200 --seed 11 --video DIR/show.mkv --audio DIR/show.wav"), 0) << errors();
    EXPECT_EQ(errors(), ""); // no progress line when standard error is not a terminal
    EXPECT_FALSE(std::filesystem::exists(dir + "/show.mkv.part"));

    // Every picture, pixel for pixel, in order.
    ASSERT_EQ(shell("ffmpeg -nostdin -y -v error -i " + dir + "/png/frame-%06d.png -f rawvideo -pix_fmt rgb24 " + dir + "/png.rgb"), 0);
    ASSERT_EQ(shell("ffmpeg -nostdin -y -v error -i " + dir + "/show.mkv -map 0:v -fps_mode passthrough -f rawvideo -pix_fmt rgb24 " + dir + "/video.rgb"), 0);
    std::string pngs = file_text(dir + "/png.rgb"), pictures = file_text(dir + "/video.rgb");
    ASSERT_EQ(pngs.size(), frames * FRAME_BYTES);
    ASSERT_EQ(pictures.size(), frames * FRAME_BYTES);
    for (long long n = 0; n < frames; n++)
        ASSERT_EQ(pictures.compare(n * FRAME_BYTES, FRAME_BYTES, pngs, n * FRAME_BYTES, FRAME_BYTES), 0) << "frame " << n + 1;

    // Every sample, from sample 0 with frame 1, in the video and in the WAV file.
    ASSERT_EQ(shell("ffmpeg -nostdin -y -v error -i " + dir + "/show.mkv -map 0:a -f s16le -c:a pcm_s16le " + dir + "/video.pcm"), 0);
    std::vector<int16_t> mix = offline_mix(frames);
    std::string mixed(reinterpret_cast<const char*>(mix.data()), mix.size() * sizeof(int16_t));
    std::string decoded = file_text(dir + "/video.pcm");
    EXPECT_EQ(decoded.size(), mixed.size());
    EXPECT_TRUE(decoded == mixed);
    std::string wav = file_text(dir + "/show.wav");
    ASSERT_EQ(wav.size(), WAV_HEADER_BYTES + mixed.size());
    EXPECT_TRUE(wav.compare(WAV_HEADER_BYTES, std::string::npos, mixed) == 0);

    // What ffprobe says of it.
    auto streams = probe(dir + "/show.mkv", dir);
    ASSERT_EQ(streams.size(), 2u);
    expect_in_step_at_fifty(streams, 200);
    EXPECT_EQ(streams[1]["sample_rate"], "44100");
}

TEST_F(video, upload_recordings_run_at_fifty_frames_a_second_and_keep_the_colours)
{
    ASSERT_EQ(record("--frames 100 --from 100 --seed 4 --png DIR/png"), 0) << errors();
    ASSERT_EQ(shell("ffmpeg -nostdin -y -v error -i " + dir + "/png/frame-000100.png -f rawvideo -pix_fmt rgb24 " + dir +
                    "/png.rgb"), 0);
    const std::string png = file_text(dir + "/png.rgb");
    ASSERT_EQ(png.size(), FRAME_BYTES);

    for (const char* name : {"show.mp4", "show.webm"}) {
        SCOPED_TRACE(name);
        const std::string path = dir + "/" + name;
        ASSERT_EQ(record("--seconds 2 --seed 4 --video " + path), 0) << errors();
        auto streams = probe(path, dir);
        ASSERT_EQ(streams.size(), 2u);
        expect_in_step_at_fifty(streams, 100);
        EXPECT_EQ(streams[0]["width"], "1600"); // enlarged twice by default
        EXPECT_EQ(streams[0]["height"], "1200");

        // The last frame against its PNG, one pixel of each 2x2 block: close, colours included.
        ASSERT_EQ(shell("ffmpeg -nostdin -y -v error -i " + path + " -map 0:v -fps_mode passthrough -f rawvideo -pix_fmt rgb24 " + dir + "/video.rgb"),
                  0);
        const std::string pictures = file_text(dir + "/video.rgb");
        ASSERT_EQ(pictures.size(), 100 * FRAME_BYTES * 4);
        const size_t last = 99 * FRAME_BYTES * 4;
        double error = 0, chroma_error = 0;
        for (int y = 0; y < HEIGHT; y++)
            for (int x = 0; x < WIDTH; x++) {
                const unsigned char* want = reinterpret_cast<const unsigned char*>(&png[(size_t(y) * WIDTH + x) * 3]);
                const unsigned char* got = reinterpret_cast<const unsigned char*>(
                    &pictures[last + (size_t(2 * y) * 2 * WIDTH + 2 * x) * 3]);
                int difference[3];
                for (int c = 0; c < 3; c++) {
                    difference[c] = got[c] - want[c];
                    error += difference[c] * difference[c];
                }
                // The red-blue difference: what 4:2:0 at the show's own size smears away.
                int chroma = difference[0] - difference[2];
                chroma_error += chroma * chroma;
            }
        const double psnr = 10 * std::log10(255.0 * 255.0 / (error / (WIDTH * HEIGHT * 3)));
        const double chroma_psnr = 10 * std::log10(255.0 * 255.0 / (chroma_error / (WIDTH * HEIGHT)));
        EXPECT_GT(psnr, 34.0);
        EXPECT_GT(chroma_psnr, 34.0);
        printf("%s: %.1f dB, %.1f dB\n", name, psnr, chroma_psnr);
    }
}

TEST_F(video, failures_say_what_failed_and_leave_no_file)
{
    // Stand-ins for ffmpeg, first on PATH: each fails in its own way.
    std::filesystem::create_directories(dir + "/empty");
    auto fake = [&](const char* name, const char* script) {
        std::filesystem::create_directories(dir + "/" + name);
        std::string path = dir + "/" + name + "/ffmpeg";
        std::ofstream(path) << "#!/bin/sh\n" << script << "\n";
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return "PATH=" + dir + "/" + name + ":/usr/bin:/bin";
    };
    struct row {
        std::string args, environment;
        int status;
        const char* said;
    };
    const row rows[] = {
        // The line itself is wrong: the usage, status 2.
        {"--video DIR/show.avi", "", 2, "must end in .mp4, .webm or .mkv"},
        {"--frames 5 --seconds 1 --video DIR/show.mkv", "", 2, "not both"},
        {"--frames 5 --video DIR/show.mp4 --scale 9", "", 2, "usage: swayboard-capture"},
        {"--frames 5 --audio DIR/show.flac", "", 2, "must end in .wav"},
        // No ffmpeg at all: say which package to install.
        {"--frames 5 --video DIR/show.mkv --audio DIR/show.wav", "PATH=" + dir + "/empty", 1, "apt-get install ffmpeg"},
        // An encoder that gives up part-way with an error.
        {"--frames 300 --video DIR/show.mkv --audio DIR/show.wav",
         fake("breaks", "head -c 3000000 >/dev/null; echo 'encoder: out of luck' >&2; exit 1"), 1,
         "ffmpeg failed (exit status 1)"},
        // One that stops reading yet claims success.
        {"--frames 300 --video DIR/show.mkv", fake("quits", "exit 0"), 1, "ffmpeg stopped reading"},
        // One that takes the picture, never the sound, writes half a file and fails.
        {"--frames 50 --video DIR/show.mkv --audio DIR/show.wav",
         fake("half", "for a; do out=\"$a\"; done; echo half > \"$out\"; cat >/dev/null; exit 3"), 1,
         "ffmpeg failed (exit status 3)"},
        // One that reads everything, says all is well and writes nothing.
        {"--frames 50 --video DIR/show.mkv", fake("silent", "cat >/dev/null; cat <&3 >/dev/null; exit 0"), 1,
         "cannot move"},
    };
    for (const row& r : rows) {
        EXPECT_EQ(record(r.args, r.environment), r.status) << r.args << " with " << r.environment;
        EXPECT_NE(errors().find(r.said), std::string::npos) << r.args << ": " << errors();
        for (const char* name : {"show.mkv", "show.mkv.part", "show.mp4", "show.mp4.part", "show.avi", "show.wav",
                                 "show.wav.part", "show.flac"})
            EXPECT_FALSE(std::filesystem::exists(dir + "/" + name)) << name << " after " << r.args;
    }
}

TEST_F(video, an_interrupt_stops_the_recording_and_leaves_no_file)
{
    const std::string video_path = dir + "/show.mkv", sound_path = dir + "/show.wav";
    const std::string err_path = dir + "/err";
    pid_t pid = fork();
    if (pid == 0) {
        if (!freopen(err_path.c_str(), "w", stderr))
            _exit(125);
        execl(capture_program().c_str(), "swayboard-capture", "--frames", "100000", "--video", video_path.c_str(),
              "--audio", sound_path.c_str(), static_cast<char*>(nullptr));
        _exit(126);
    }
    ASSERT_GT(pid, 0);
    // Interrupt once the encoder has written some of its file (a generous bound on a busy machine).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    auto written = [&] {
        std::error_code missing;
        uintmax_t size = std::filesystem::file_size(video_path + ".part", missing);
        return missing ? 0 : size;
    };
    while (written() < 1000000 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_GE(written(), 1000000u);
    kill(pid, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(file_text(err_path).find("interrupted"), std::string::npos) << file_text(err_path);
    for (const std::string& name : {video_path, video_path + ".part", sound_path, sound_path + ".part"})
        EXPECT_FALSE(std::filesystem::exists(name)) << name;
}

TEST_F(video, a_terminal_sees_one_progress_line_rewritten_in_place)
{
    // script gives the recorder a terminal for its standard error.
    std::string line = "script -qec '" + capture_program() + " --frames 30 --audio " + dir + "/show.wav' /dev/null >" +
                       dir + "/terminal";
    ASSERT_EQ(shell(line), 0);
    std::string shown = file_text(dir + "/terminal");
    EXPECT_NE(shown.find("\rframe 30/30 (100%)"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("\n"), shown.rfind("\n")) << shown; // one line, ended once
    EXPECT_TRUE(std::filesystem::exists(dir + "/show.wav"));
}
