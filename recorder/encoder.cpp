// encoder.cpp -- runs ffmpeg with the picture on one pipe and the sound on another
//
// ffmpeg reads its two inputs in an order of its own, so each pipe is written only while it
// has room (poll), and the sound is mixed on demand as ffmpeg takes it: neither input can
// starve the other, whatever ffmpeg reads first.
#include "recorder/encoder.h"

#include "recorder/output.h"
#include "recorder/sound.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

constexpr int SOUND_INPUT_FD = 3;     // the descriptor ffmpeg reads the sound from
constexpr int PIPE_BYTES = 1 << 20;   // fewer wake-ups than the default 64 KiB

static pid_t encoder_pid = -1;
static int picture_fd = -1;
static int sound_fd = -1;
static const int16_t* (*sound_source)() = nullptr;
static const unsigned char* sound_left = nullptr;
static size_t sound_left_bytes = 0;
static const char* out_name = nullptr;
static int repack = 0;                         // 1: the surface's layout is not one ffmpeg reads
static std::vector<unsigned char> packed_rows; // used only when rows are padded or repacked

std::string encoder_program()
{
    const char* path = getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        std::string candidate = (end > start ? dirs.substr(start, end - start) : std::string(".")) + "/ffmpeg";
        struct stat info;
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return std::string();
}

int encoder_check()
{
    if (!encoder_program().empty())
        return 1;
    fputs("swayboard-capture: ffmpeg is not installed; install the Debian package ffmpeg (apt-get install ffmpeg)\n",
          stderr);
    return 0;
}

const char* raw_pixel_format(const SDL_PixelFormat* format)
{
    if (format->BytesPerPixel != 4 || format->Gmask != 0x0000FF00)
        return nullptr;
    // Masks are of the pixel as a number; ffmpeg names the bytes in memory order (little-endian here).
    if (format->Rmask == 0x000000FF && format->Bmask == 0x00FF0000)
        return "rgb0";
    if (format->Rmask == 0x00FF0000 && format->Bmask == 0x000000FF)
        return "bgr0";
    return nullptr;
}

// ffmpeg's command line: the raw picture (width x height, pixel_format) on standard input,
// the sound on SOUND_INPUT_FD, the file to out_path in the container's format.
static std::vector<std::string> encoder_arguments(video_container container, int scale, int width, int height,
                                                  const char* pixel_format, const char* out_path)
{
    char size[32], rate[16], sound_rate[16], input[16];
    snprintf(size, sizeof(size), "%dx%d", width, height);
    snprintf(rate, sizeof(rate), "%d", SHOW_RATE);
    snprintf(sound_rate, sizeof(sound_rate), "%d", SOUND_RATE);
    snprintf(input, sizeof(input), "pipe:%d", SOUND_INPUT_FD);
    std::vector<std::string> args = {
        "ffmpeg", "-hide_banner", "-nostdin", "-loglevel", "error", "-y",
        "-f", "rawvideo", "-pix_fmt", pixel_format, "-video_size", size, "-framerate", rate, "-i", "pipe:0",
        "-f", "s16le", "-ar", sound_rate, "-ac", "2", "-i", input,
        "-map", "0:v", "-map", "1:a"};
    char filter[160];
    if (container == VIDEO_MKV) {
        // Every pixel and sample exactly: FFV1 in planar RGB, FLAC.
        snprintf(filter, sizeof(filter), "scale=iw*%d:ih*%d:flags=neighbor,format=gbrp", scale, scale);
        args.insert(args.end(), {"-vf", filter, "-c:v", "ffv1", "-level", "3", "-slices", "4", "-g", "50",
                                 "-c:a", "flac", "-f", "matroska"});
    } else {
        // Enlarged by nearest neighbour first, so each 2x2 chroma sample of 4:2:0 covers
        // copies of one source pixel and the fonts' colour edges survive.
        snprintf(filter, sizeof(filter),
                 "scale=iw*%d:ih*%d:flags=neighbor:out_color_matrix=bt709:out_range=tv,format=yuv420p", scale, scale);
        args.insert(args.end(), {"-vf", filter, "-colorspace", "bt709", "-color_primaries", "bt709",
                                 "-color_trc", "bt709", "-color_range", "tv"});
        // H.264 at CRF 18 shows no loss at a glance; "veryfast" keeps a whole pass within
        // about real time on two cores. VP9 in its real-time mode for the same reason.
        if (container == VIDEO_MP4)
            args.insert(args.end(), {"-c:v", "libx264", "-preset", "veryfast", "-crf", "18", "-c:a", "aac",
                                     "-b:a", "192k", "-movflags", "+faststart", "-f", "mp4"});
        else
            args.insert(args.end(), {"-c:v", "libvpx-vp9", "-crf", "32", "-b:v", "0", "-deadline", "realtime",
                                     "-cpu-used", "8", "-row-mt", "1", "-c:a", "libopus", "-b:a", "160k",
                                     "-f", "webm"});
    }
    args.push_back(out_path);
    return args;
}

// Waits for ffmpeg; 1 when it exited with status 0. Prints how it ended otherwise.
// An interrupt while waiting stops it: its work is not wanted any more.
static int reap(int quiet)
{
    int status = 0;
    while (waitpid(encoder_pid, &status, 0) < 0) {
        if (errno != EINTR)
            break;
        if (interrupted)
            kill(encoder_pid, SIGKILL);
    }
    encoder_pid = -1;
    if (interrupted)
        return 0;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return 1;
    if (quiet)
        return 0;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127)
        fputs("swayboard-capture: ffmpeg could not be started\n", stderr);
    else if (WIFEXITED(status))
        fprintf(stderr, "swayboard-capture: ffmpeg failed (exit status %d)\n", WEXITSTATUS(status));
    else
        fprintf(stderr, "swayboard-capture: ffmpeg ended by signal %d\n", WTERMSIG(status));
    return 0;
}

static void close_fd(int* fd)
{
    if (*fd >= 0)
        close(*fd);
    *fd = -1;
}

void encoder_abort()
{
    close_fd(&picture_fd);
    close_fd(&sound_fd);
    if (encoder_pid > 0) {
        kill(encoder_pid, SIGKILL);
        reap(1);
    }
    if (out_name)
        part_discard(out_name);
    out_name = nullptr;
}

// Fails the encoding: says why, collects ffmpeg's end and removes its file.
static int fail(const char* why)
{
    if (why)
        fprintf(stderr, "swayboard-capture: %s; %s was not written\n", why, out_name);
    close_fd(&picture_fd);
    close_fd(&sound_fd);
    if (encoder_pid > 0) {
        // ffmpeg may still be running (an interrupt) or have died (a broken pipe).
        kill(encoder_pid, SIGKILL);
        reap(1);
    }
    part_discard(out_name);
    out_name = nullptr;
    return 0;
}

int encoder_open(const char* video_path, video_container container, int scale, SDL_Surface* frame,
                 const int16_t* (*next_sound)())
{
    if (!encoder_check())
        return 0;
    std::string program = encoder_program();
    std::string part = part_path(video_path);
    const char* pixel_format = raw_pixel_format(frame->format);
    repack = !pixel_format;
    std::vector<std::string> args = encoder_arguments(container, scale, frame->w, frame->h,
                                                      repack ? "rgb0" : pixel_format, part.c_str());
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    int picture_pipe[2], sound_pipe[2];
    if (pipe2(picture_pipe, O_CLOEXEC) != 0)
        return 0;
    if (pipe2(sound_pipe, O_CLOEXEC) != 0) {
        close(picture_pipe[0]);
        close(picture_pipe[1]);
        return 0;
    }
    pid_t pid = fork();
    if (pid == 0) {
        // Its own process group: Ctrl+C reaches only the recorder, which then stops ffmpeg itself.
        setpgid(0, 0);
        // NOTE: move the read ends clear of 0 and 3 first, since either may already be one of them.
        int picture = fcntl(picture_pipe[0], F_DUPFD, 10);
        int sound = fcntl(sound_pipe[0], F_DUPFD, 10);
        if (picture < 0 || sound < 0 || dup2(picture, 0) < 0 || dup2(sound, SOUND_INPUT_FD) < 0)
            _exit(127);
        signal(SIGPIPE, SIG_DFL);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(picture_pipe[0]);
    close(sound_pipe[0]);
    if (pid < 0) {
        close(picture_pipe[1]);
        close(sound_pipe[1]);
        fputs("swayboard-capture: cannot start ffmpeg\n", stderr);
        return 0;
    }
    encoder_pid = pid;
    picture_fd = picture_pipe[1];
    sound_fd = sound_pipe[1];
    out_name = video_path;
    sound_source = next_sound;
    sound_left = nullptr;
    sound_left_bytes = 0;
    for (int fd : {picture_fd, sound_fd}) {
        fcntl(fd, F_SETPIPE_SZ, PIPE_BYTES); // only a hint: the default size works too
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    return 1;
}

// Writes what it can to one pipe; 0 when ffmpeg closed it.
static int write_some(int fd, const unsigned char** bytes, size_t* size)
{
    ssize_t done = write(fd, *bytes, *size);
    if (done < 0)
        return errno == EAGAIN || errno == EINTR;
    *bytes += done;
    *size -= static_cast<size_t>(done);
    return 1;
}

// Writes size picture bytes (none once the picture has ended), serving the sound pipe
// whenever it has room, until the picture bytes are all written, or, with no picture
// left, until the sound has all been handed over.
static int pump(const unsigned char* picture, size_t size)
{
    while (size > 0 || (picture_fd < 0 && sound_fd >= 0)) {
        if (interrupted)
            return fail("interrupted");
        pollfd fds[2];
        int count = 0, picture_at = -1, sound_at = -1;
        if (size > 0) {
            picture_at = count;
            fds[count++] = pollfd{picture_fd, POLLOUT, 0};
        }
        if (sound_fd >= 0) {
            sound_at = count;
            fds[count++] = pollfd{sound_fd, POLLOUT, 0};
        }
        if (poll(fds, static_cast<nfds_t>(count), -1) < 0) {
            if (errno == EINTR)
                continue;
            return fail("cannot wait for ffmpeg");
        }
        if (picture_at >= 0 && fds[picture_at].revents) {
            if ((fds[picture_at].revents & POLLERR) || !write_some(picture_fd, &picture, &size))
                return fail(reap(0) ? "ffmpeg stopped reading the picture" : "the encoder failed");
        }
        if (sound_at >= 0 && fds[sound_at].revents) {
            if (sound_left_bytes == 0) {
                const int16_t* next = sound_source();
                if (!next) {
                    // Every frame's sound is out: ffmpeg sees the end of the sound.
                    close_fd(&sound_fd);
                    continue;
                }
                sound_left = reinterpret_cast<const unsigned char*>(next);
                sound_left_bytes = SOUND_FRAME_BYTES;
            }
            if ((fds[sound_at].revents & POLLERR) || !write_some(sound_fd, &sound_left, &sound_left_bytes))
                return fail(reap(0) ? "ffmpeg stopped reading the sound" : "the encoder failed");
        }
    }
    return 1;
}

int encoder_frame(SDL_Surface* frame)
{
    const size_t row = static_cast<size_t>(frame->w) * 4;
    const unsigned char* pixels = static_cast<const unsigned char*>(frame->pixels);
    if (repack) {
        packed_rows.resize(row * frame->h);
        unsigned char* out = packed_rows.data();
        for (int y = 0; y < frame->h; y++)
            for (int x = 0; x < frame->w; x++, out += 4) {
                Uint32 pixel = 0;
                memcpy(&pixel, pixels + static_cast<size_t>(frame->pitch) * y + x * frame->format->BytesPerPixel,
                       frame->format->BytesPerPixel);
                SDL_GetRGB(pixel, frame->format, &out[0], &out[1], &out[2]);
                out[3] = 0;
            }
        pixels = packed_rows.data();
    } else if (static_cast<size_t>(frame->pitch) != row) {
        packed_rows.resize(row * frame->h);
        for (int y = 0; y < frame->h; y++)
            memcpy(packed_rows.data() + row * y, pixels + static_cast<size_t>(frame->pitch) * y, row);
        pixels = packed_rows.data();
    }
    return pump(pixels, row * frame->h);
}

int encoder_finish()
{
    close_fd(&picture_fd);
    if (!pump(nullptr, 0))
        return 0;
    if (!reap(0))
        return fail(interrupted ? "interrupted" : nullptr);
    const char* name = out_name;
    out_name = nullptr;
    return part_commit(name);
}
