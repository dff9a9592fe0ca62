// window_e2e_test.cpp -- the real intro in a real X server: what it shows, what ends it, how it exits
//
// Runs under a virtual X server (with_x_server.sh) and drives the intro with xdotool. The
// intro's path comes in SWAYBOARD_INTRO, the capture tool's in SWAYBOARD_CAPTURE.
#include "app/display.h"
#include "effects/layout.h"
#include "resources/bitmap.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

// NOTE: Xlib defines macros such as None and Bool, so it comes after every other header.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>

extern char** environ;

using namespace std::chrono_literals;

// Every wait is for a condition and ends as soon as it holds; the bound only keeps a
// broken intro from hanging the suite. A busy machine may take many seconds to start one.
constexpr std::chrono::seconds BOUND = 90s;

// Polls done() every 50 ms until it holds or the bound passes; true if it held.
template <typename condition>
static bool wait_until(condition done, std::chrono::milliseconds bound = BOUND)
{
    auto deadline = std::chrono::steady_clock::now() + bound;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

static std::string run_output(const std::string& command)
{
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return out;
    char buffer[256];
    while (fgets(buffer, sizeof(buffer), pipe))
        out += buffer;
    pclose(pipe);
    return out;
}

// The intro as a child process, its output collected in a file.
struct intro_process {
    pid_t pid = -1;
    std::string output_path;
};

// env_changes: "NAME=value" sets a variable, a bare "NAME" removes it.
static intro_process start_intro(const std::vector<std::string>& args, const std::vector<std::string>& env_changes)
{
    intro_process p;
    p.output_path = "/tmp/swayboard-e2e-" + std::to_string(getpid()) + ".out";
    std::vector<std::string> env;
    for (char** e = environ; *e; e++) {
        std::string entry = *e;
        std::string name = entry.substr(0, entry.find('='));
        bool changed = false;
        for (const std::string& change : env_changes)
            changed = changed || change.substr(0, change.find('=')) == name;
        if (!changed)
            env.push_back(entry);
    }
    for (const std::string& change : env_changes)
        if (change.find('=') != std::string::npos)
            env.push_back(change);

    std::vector<char*> argv, envp;
    std::string intro = getenv("SWAYBOARD_INTRO");
    argv.push_back(intro.data());
    std::vector<std::string> args_copy = args;
    for (std::string& a : args_copy)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, p.output_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    // The end signals at their defaults, as in a terminal, whatever this test was started with
    // (a background job or nohup would hand their being ignored on to the intro).
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t end_signals;
    sigemptyset(&end_signals);
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&end_signals, signal_number);
    posix_spawnattr_setsigdefault(&attributes, &end_signals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    if (posix_spawn(&p.pid, intro.c_str(), &actions, &attributes, argv.data(), envp.data()) != 0)
        p.pid = -1;
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return p;
}

// The exit status, or -1 if the process is still running after the timeout.
static int wait_exit(intro_process& p, std::chrono::milliseconds timeout)
{
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        pid_t r = waitpid(p.pid, &status, WNOHANG);
        if (r == p.pid) {
            p.pid = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(20ms);
    }
    return -1;
}

// True until the process has exited; it is not reaped here, so wait_exit still sees its status.
static bool running(const intro_process& p)
{
    siginfo_t info{};
    return p.pid > 0 && waitid(P_PID, p.pid, &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
}

static void kill_intro(intro_process& p)
{
    if (p.pid > 0) {
        kill(p.pid, SIGKILL);
        waitpid(p.pid, nullptr, 0);
        p.pid = -1;
    }
}

static std::string read_output(const intro_process& p)
{
    std::string text;
    FILE* f = fopen(p.output_path.c_str(), "r");
    if (f) {
        char buffer[256];
        size_t n;
        while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0)
            text.append(buffer, n);
        fclose(f);
    }
    return text;
}

// The intro's window, found by its process id; 0 if none shows up in time or the intro ends first.
// NOTE: SDL may replace the window it has just shown with a new one to suit its renderer; on
// a busy machine a first look can catch the one about to go. The window is the one that a
// second look still finds.
static Window find_window(const intro_process& p)
{
    Window found = 0, seen = 0;
    wait_until([&] {
        std::string ids = run_output("xdotool search --onlyvisible --pid " + std::to_string(p.pid) + " 2>/dev/null");
        Window now = static_cast<Window>(strtoul(ids.c_str(), nullptr, 10));
        found = now != 0 && now == seen ? now : 0;
        seen = now;
        return found != 0 || !running(p);
    });
    return found;
}

// What happened when find_window found nothing: the intro ended (how, and what it printed),
// or it still runs and its windows, if any, were never shown.
static std::string no_window(intro_process& p)
{
    if (running(p)) {
        std::string hidden = run_output("xdotool search --pid " + std::to_string(p.pid) + " 2>/dev/null");
        return "no window appeared within " + std::to_string(BOUND.count()) + " s; the intro still runs, with " +
               (hidden.empty() ? std::string("no window at all") : "windows never shown: " + hidden);
    }
    int status = wait_exit(p, BOUND);
    return "the intro ended with status " + std::to_string(status) + " before its window appeared; it printed: \"" +
           read_output(p) + "\"";
}

static void xdotool(const std::string& args)
{
    std::string command = "xdotool " + args + " >/dev/null 2>&1";
    ASSERT_EQ(system(command.c_str()), 0) << command;
}

// Xlib's default handler ends the process on a stale window id; a test should fail instead,
// unless it is looking at windows that may go away (x_errors_expected), where it only counts.
static int x_errors_expected = 0;
static int x_errors_seen = 0;

static int note_x_error(Display*, XErrorEvent* error)
{
    x_errors_seen++;
    if (!x_errors_expected)
        ADD_FAILURE() << "X error " << int(error->error_code) << " on request " << int(error->request_code);
    return 0;
}

// What a window manager sends when the window's close button is used.
static void send_close_request(Display* display, Window w)
{
    Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    Atom delete_window = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = w;
    close.xclient.message_type = protocols;
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(delete_window);
    close.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, w, False, NoEventMask, &close);
    XFlush(display);
}

static bool inside(const screen_region& r, int x, int y)
{
    return x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
}

// A window-mode screenshot against the background picture.
struct shot_comparison {
    int outside_wrong = -1;  // pixels outside the three regions that differ from the picture
    int column_same = 0;     // pixels of the sprite column that equal it
    int band_same = 0;       // pixels of the scroll band that equal it
    int first_wrong_x = 0, first_wrong_y = 0;
    unsigned long first_shown = 0, first_expected = 0;
};

static shot_comparison compare_with_picture(Display* display, Window w, SDL_Surface* picture)
{
    shot_comparison c;
    XImage* image = XGetImage(display, w, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, AllPlanes, ZPixmap);
    if (!image)
        return c;
    c.outside_wrong = 0;
    for (int y = 0; y < SCREEN_HEIGHT; y++)
        for (int x = 0; x < SCREEN_WIDTH; x++) {
            unsigned long shown = XGetPixel(image, x, y) & 0xFFFFFF;
            const Uint8* p = static_cast<const Uint8*>(picture->pixels) + y * picture->pitch + 4 * x;
            unsigned long expected = (unsigned long)p[0] << 16 | p[1] << 8 | p[2];
            bool same = shown == expected;
            if (inside(sprite_column, x, y))
                c.column_same += same;
            else if (inside(scroll_band, x, y))
                c.band_same += same;
            else if (!inside(text_window, x, y) && !same) {
                if (c.outside_wrong == 0) {
                    c.first_wrong_x = x;
                    c.first_wrong_y = y;
                    c.first_shown = shown;
                    c.first_expected = expected;
                }
                c.outside_wrong++;
            }
        }
    XDestroyImage(image);
    return c;
}

// True when the mouse cursor shown now has no visible pixel.
static bool cursor_hidden(Display* display)
{
    XFixesCursorImage* cursor = XFixesGetCursorImage(display);
    if (!cursor)
        return false;
    int visible = 0;
    for (int i = 0; i < cursor->width * cursor->height; i++)
        visible += (cursor->pixels[i] >> 24) != 0;
    XFree(cursor);
    return visible == 0;
}

class window_e2e : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(getenv("DISPLAY"), nullptr) << "run under a virtual X server";
        ASSERT_NE(getenv("SWAYBOARD_INTRO"), nullptr);
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
        XSetErrorHandler(note_x_error);
        picture = load_bitmap("tausta.bmp");
        ASSERT_NE(picture, nullptr);
    }
    void TearDown() override
    {
        kill_intro(intro);
        if (picture)
            SDL_FreeSurface(picture);
        if (display)
            XCloseDisplay(display);
    }
    // Starts the intro and waits for its window. In a window, it also waits until the
    // background is painted outside the three regions, which the intro does after its
    // opening pause, right before the first frame: from then on it reads input.
    Window start(const std::vector<std::string>& args, const std::vector<std::string>& audio = {"SDL_AUDIODRIVER=dummy"})
    {
        std::vector<std::string> env = audio;
        env.push_back("SDL_VIDEODRIVER");
        intro = start_intro(args, env);
        EXPECT_GT(intro.pid, 0);
        Window w = find_window(intro);
        EXPECT_NE(w, 0u) << no_window(intro);
        if (w && !args.empty()) {
            EXPECT_TRUE(wait_until([&] { return compare_with_picture(display, w, picture).outside_wrong == 0; }))
                << "the background was never painted";
        }
        return w;
    }
    Display* display = nullptr;
    SDL_Surface* picture = nullptr;
    intro_process intro;
};

TEST_F(window_e2e, a_window_shows_the_background_and_the_three_regions_move)
{
    Window w = start({"w"});
    ASSERT_NE(w, 0u);
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(display, w, &attributes));
    EXPECT_EQ(attributes.width, 800);
    EXPECT_EQ(attributes.height, 600);

    shot_comparison c = compare_with_picture(display, w, picture);
    EXPECT_EQ(c.outside_wrong, 0) << "pixels outside the three regions differ from the background picture; first at "
                                  << c.first_wrong_x << "," << c.first_wrong_y << ": shown " << std::hex
                                  << c.first_shown << ", expected " << c.first_expected;
    // The column is the background but for the 34x34 sprite; the band shows it between glyphs.
    EXPECT_GT(c.column_same, 34 * 531 - 34 * 34 - 1);
    EXPECT_GT(c.band_same, 800 * 41 / 4);

    xdotool("mousemove --window " + std::to_string(w) + " 400 300");
    xdotool("key Escape");
    EXPECT_EQ(wait_exit(intro, BOUND), 0);
    EXPECT_EQ(read_output(intro), "");
}

TEST_F(window_e2e, a_key_press_alone_does_not_end_the_show_its_release_does)
{
    Window w = start({"window"});
    ASSERT_NE(w, 0u);
    xdotool("mousemove --window " + std::to_string(w) + " 400 300");
    xdotool("keydown space");
    EXPECT_EQ(wait_exit(intro, 1500ms), -1) << "a key press ended the show";
    xdotool("keyup space");
    EXPECT_EQ(wait_exit(intro, BOUND), 0);
}

TEST_F(window_e2e, middle_click_and_close_request_do_not_end_it_a_left_click_does)
{
    Window w = start({"w"});
    ASSERT_NE(w, 0u);
    xdotool("mousemove --window " + std::to_string(w) + " 400 300");
    xdotool("click 2");
    send_close_request(display, w);

    EXPECT_EQ(wait_exit(intro, 1500ms), -1) << "a middle click or the close request ended the show";
    xdotool("click 1");
    EXPECT_EQ(wait_exit(intro, BOUND), 0);
}

TEST_F(window_e2e, a_right_click_ends_it_too)
{
    Window w = start({"w"});
    ASSERT_NE(w, 0u);
    xdotool("mousemove --window " + std::to_string(w) + " 400 300");
    xdotool("click 3");
    EXPECT_EQ(wait_exit(intro, BOUND), 0);
}

TEST_F(window_e2e, the_systems_request_to_end_ends_it_and_its_music_the_close_request_does_not)
{
    // One second of the disk device's 44,100 Hz stereo S16.
    constexpr std::uintmax_t SECOND_OF_SOUND = 44100 * 4;
    std::string dir = make_scratch_dir("end_signals");
    const struct {
        int number;
        const char* name;
    } signals[] = {{SIGINT, "SIGINT"}, {SIGTERM, "SIGTERM"}, {SIGHUP, "SIGHUP"}};
    for (auto& sig : signals) {
        std::string sound = dir + "/" + sig.name + ".raw";
        auto sound_size = [&] {
            std::error_code error;
            std::uintmax_t size = std::filesystem::file_size(sound, error);
            return error ? 0 : size;
        };
        Window w = start({"w"}, {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + sound});
        ASSERT_NE(w, 0u) << sig.name;

        // The close request is ignored: the show and its music go on for a second more.
        send_close_request(display, w);
        std::uintmax_t at_close = sound_size();
        wait_until([&] { return !running(intro) || sound_size() >= at_close + SECOND_OF_SOUND; });
        ASSERT_TRUE(running(intro)) << "the close request ended the show (" << sig.name << " run)";
        ASSERT_GE(sound_size(), at_close + SECOND_OF_SOUND) << "the music is not playing (" << sig.name << " run)";

        auto sent = std::chrono::steady_clock::now();
        kill(intro.pid, sig.number);
        ASSERT_EQ(wait_exit(intro, BOUND), 0) << sig.name;
        auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - sent);
        printf("%s ended the show in %lld ms\n", sig.name, static_cast<long long>(took.count()));

        // With the process gone its device is closed: the file does not grow any more.
        std::uintmax_t at_exit = sound_size();
        EXPECT_FALSE(wait_until([&] { return sound_size() != at_exit; }, 1000ms))
            << "the sound file grew after the " << sig.name << " run ended";
    }
    std::filesystem::remove_all(dir);
}

TEST_F(window_e2e, full_screen_covers_the_screen_and_hides_the_cursor)
{
    Window w = start({});
    ASSERT_NE(w, 0u);
    // The window manager makes the window full screen, and the intro hides the cursor
    // after its opening pause: both are waited for. Going full screen may replace the
    // window first seen, so the intro's window is looked up again each time, and a window
    // that has gone away in between is no failure.
    XWindowAttributes attributes{};
    Screen* s = DefaultScreenOfDisplay(display);
    x_errors_expected = 1;
    wait_until([&] {
        std::string ids = run_output("xdotool search --onlyvisible --pid " + std::to_string(intro.pid) + " 2>/dev/null");
        Window now = static_cast<Window>(strtoul(ids.c_str(), nullptr, 10));
        if (!now)
            return false;
        w = now;
        x_errors_seen = 0;
        int ok = XGetWindowAttributes(display, w, &attributes);
        XSync(display, False);
        return ok && !x_errors_seen && attributes.width == WidthOfScreen(s) && attributes.height == HeightOfScreen(s);
    });
    x_errors_expected = 0;
    EXPECT_EQ(attributes.width, WidthOfScreen(s));
    EXPECT_EQ(attributes.height, HeightOfScreen(s));

    // The pointer is moved over the window until that works: while the window manager
    // is still making it full screen, the window may not take it yet.
    const std::string move = "xdotool mousemove --window " + std::to_string(w) + " 300 200 >/dev/null 2>&1";
    EXPECT_TRUE(wait_until([&] { return system(move.c_str()) == 0 && cursor_hidden(display); }))
        << "the cursor is shown over the full-screen intro";

    xdotool("key a");
    EXPECT_EQ(wait_exit(intro, BOUND), 0);
}

TEST(no_display, exits_at_once_with_status_zero_and_says_nothing)
{
    // A desktop session always has a runtime directory; without one the Wayland client
    // library prints a complaint of its own, which is not the intro's.
    std::string runtime_dir = "XDG_RUNTIME_DIR=/tmp/swayboard-e2e-runtime";
    mkdir("/tmp/swayboard-e2e-runtime", 0700);
    struct {
        const char* what;
        std::vector<std::string> env;
    } cases[] = {
        {"no display at all", {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER", runtime_dir}},
        {"a video driver that cannot open", {"SDL_VIDEODRIVER=no-such-driver", runtime_dir}},
    };
    for (auto& c : cases) {
        for (const char* mode : {"", "w"}) {
            std::vector<std::string> args;
            if (*mode)
                args.push_back(mode);
            // That no opening pause is taken is checked where sleeps can be counted (faults).
            intro_process p = start_intro(args, c.env);
            ASSERT_GT(p.pid, 0);
            int status = wait_exit(p, BOUND);
            kill_intro(p);
            EXPECT_EQ(status, 0) << c.what;
            EXPECT_EQ(read_output(p), "") << c.what;
        }
    }
}

// The window on desktops of today's sizes: magnified by a whole factor, every pixel of
// the show a sharp square. The logo at the top is painted once and never redrawn, so the
// window shows there exactly what the capture tool renders, scaled by nearest-neighbour.
class window_scale : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(getenv("DISPLAY"), nullptr) << "run under a virtual X server";
        ASSERT_NE(getenv("SWAYBOARD_INTRO"), nullptr);
        ASSERT_NE(getenv("SWAYBOARD_CAPTURE"), nullptr);
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
        XSetErrorHandler(note_x_error);
        Screen* s = DefaultScreenOfDisplay(display);
        desktop_w = WidthOfScreen(s);
        desktop_h = HeightOfScreen(s);

        std::string dir = make_scratch_dir("window_scale");
        std::string command = std::string(getenv("SWAYBOARD_CAPTURE")) + " --frames 1 --seed 1 --png " + dir;
        ASSERT_EQ(system(command.c_str()), 0) << command;
        capture = read_png(dir + "/frame-000001.png");
        ASSERT_EQ(capture.w, SCREEN_WIDTH);
        std::filesystem::remove_all(dir);
    }
    void TearDown() override
    {
        kill_intro(intro);
        if (display)
            XCloseDisplay(display);
    }
    // The logo's box in the show's pixels: above the text window, right of the sprite's column.
    static constexpr int LOGO_X = 70, LOGO_Y = 4, LOGO_W = 660, LOGO_H = 84;

    // Pixels of the logo that differ from the capture magnified by scale, nearest-neighbour;
    // -1 if the window cannot be read or shows one flat colour there (not painted yet).
    int logo_differences(Window w, int scale)
    {
        XImage* image = XGetImage(display, w, LOGO_X * scale, LOGO_Y * scale, LOGO_W * scale, LOGO_H * scale,
                                  AllPlanes, ZPixmap);
        if (!image)
            return -1;
        int differences = 0, flat = 1;
        unsigned long first = XGetPixel(image, 0, 0) & 0xFFFFFF;
        for (int y = 0; y < LOGO_H * scale; y++)
            for (int x = 0; x < LOGO_W * scale; x++) {
                const unsigned char* p =
                    &capture.rgb[3 * ((LOGO_Y + y / scale) * capture.w + LOGO_X + x / scale)];
                unsigned long expected = (unsigned long)p[0] << 16 | p[1] << 8 | p[2];
                unsigned long shown = XGetPixel(image, x, y) & 0xFFFFFF;
                differences += shown != expected;
                flat = flat && shown == first;
            }
        XDestroyImage(image);
        return flat ? -1 : differences;
    }
    // Waits (generously) until the logo has been painted and looks the same twice running;
    // returns its differences from the magnified capture then, or -1 if it never settles.
    int settled_logo_differences(Window w, int scale)
    {
        int last = -1;
        auto deadline = std::chrono::steady_clock::now() + BOUND;
        while (std::chrono::steady_clock::now() < deadline) {
            int now = logo_differences(w, scale);
            if (now == 0 || (now > 0 && now == last))
                return now;
            last = now;
            std::this_thread::sleep_for(200ms);
        }
        return -1;
    }
    Display* display = nullptr;
    int desktop_w = 0, desktop_h = 0;
    rgb_image capture;
    intro_process intro;
};

TEST_F(window_scale, opens_at_the_largest_whole_scale_that_fits_with_sharp_square_pixels)
{
    struct {
        int desktop_w, desktop_h, window_w, window_h;
    } sizes[] = {
        {1024, 768, 800, 600},    // twice as large would not fit: as before
        {2560, 1440, 1600, 1200}, // three times would be 1800 high, over 90 % of 1440
        {3840, 2160, 2400, 1800},
    };
    int row = -1;
    for (int i = 0; i < 3; i++)
        if (sizes[i].desktop_w == desktop_w && sizes[i].desktop_h == desktop_h)
            row = i;
    ASSERT_GE(row, 0) << "no expectation for a desktop of " << desktop_w << "x" << desktop_h;
    int scale = sizes[row].window_w / SCREEN_WIDTH;

    intro = start_intro({"w"}, {"SDL_AUDIODRIVER=dummy", "SDL_VIDEODRIVER", "SDL12COMPAT_WINDOW_SCALING",
                                "SDL12COMPAT_SCALE_METHOD"});
    ASSERT_GT(intro.pid, 0);
    Window w = find_window(intro);
    ASSERT_NE(w, 0u) << no_window(intro);
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(display, w, &attributes));
    EXPECT_EQ(attributes.width, sizes[row].window_w);
    EXPECT_EQ(attributes.height, sizes[row].window_h);

    EXPECT_EQ(settled_logo_differences(w, scale), 0) << "the logo is not the capture magnified " << scale << " times";

    xdotool("mousemove --window " + std::to_string(w) + " 10 10");
    xdotool("key Escape");
    EXPECT_EQ(wait_exit(intro, 5000ms), 0);
    EXPECT_EQ(read_output(intro), "");
}

TEST_F(window_scale, the_users_own_scale_and_method_win)
{
    // The user's scale: the window opens at it whatever the desktop.
    intro = start_intro({"w"}, {"SDL_AUDIODRIVER=dummy", "SDL_VIDEODRIVER", "SDL12COMPAT_WINDOW_SCALING=1"});
    ASSERT_GT(intro.pid, 0);
    Window w = find_window(intro);
    ASSERT_NE(w, 0u) << no_window(intro);
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(display, w, &attributes));
    EXPECT_EQ(attributes.width, SCREEN_WIDTH);
    EXPECT_EQ(attributes.height, SCREEN_HEIGHT);
    kill_intro(intro);

    // The user's smooth filter on a magnified window: the logo is no longer the
    // nearest-neighbour picture (which also shows that the comparison above can fail).
    if (desktop_w < 2 * SCREEN_WIDTH)
        GTEST_SKIP() << "the window is not magnified on this desktop";
    intro = start_intro({"w"}, {"SDL_AUDIODRIVER=dummy", "SDL_VIDEODRIVER", "SDL12COMPAT_WINDOW_SCALING",
                                "SDL12COMPAT_SCALE_METHOD=linear"});
    ASSERT_GT(intro.pid, 0);
    w = find_window(intro);
    ASSERT_NE(w, 0u) << no_window(intro);
    ASSERT_TRUE(XGetWindowAttributes(display, w, &attributes));
    int scale = attributes.width / SCREEN_WIDTH;
    ASSERT_GT(scale, 1);
    EXPECT_GT(settled_logo_differences(w, scale), 0);
}
