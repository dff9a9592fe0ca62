// window_e2e_test.cpp -- the real intro in a real X server: what it shows, what ends it, how it exits
//
// Runs under a virtual X server (xvfb-run) and drives the intro with xdotool. The
// intro's path comes in SWAYBOARD_INTRO; the source tree in SWAYBOARD_SOURCE_DIR.
#include "app/display.h"
#include "effects/layout.h"
#include "resources/bitmap.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
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
    if (posix_spawn(&p.pid, intro.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0)
        p.pid = -1;
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

// The intro's window, found by its process id; 0 if none shows up in time.
static Window find_window(pid_t pid)
{
    for (int tries = 0; tries < 100; tries++) {
        std::string ids = run_output("xdotool search --onlyvisible --pid " + std::to_string(pid) + " 2>/dev/null");
        if (!ids.empty())
            return static_cast<Window>(strtoul(ids.c_str(), nullptr, 10));
        std::this_thread::sleep_for(100ms);
    }
    return 0;
}

static void xdotool(const std::string& args)
{
    std::string command = "xdotool " + args + " >/dev/null 2>&1";
    ASSERT_EQ(system(command.c_str()), 0) << command;
}

// Xlib's default handler ends the process on a stale window id; a test should fail instead.
static int note_x_error(Display*, XErrorEvent* error)
{
    ADD_FAILURE() << "X error " << int(error->error_code) << " on request " << int(error->request_code);
    return 0;
}

class window_e2e : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(getenv("DISPLAY"), nullptr) << "run under xvfb-run";
        ASSERT_NE(getenv("SWAYBOARD_INTRO"), nullptr);
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
        XSetErrorHandler(note_x_error);
    }
    void TearDown() override
    {
        kill_intro(intro);
        if (display)
            XCloseDisplay(display);
    }
    // Starts the intro and waits for its window and the one-second pause to pass.
    Window start(const std::vector<std::string>& args)
    {
        intro = start_intro(args, {"SDL_AUDIODRIVER=dummy", "SDL_VIDEODRIVER"});
        EXPECT_GT(intro.pid, 0);
        Window w = find_window(intro.pid);
        EXPECT_NE(w, 0u) << "no window appeared";
        std::this_thread::sleep_for(1800ms);
        return w;
    }
    Display* display = nullptr;
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

    SDL_Surface* picture = load_bitmap("tausta.bmp");
    ASSERT_NE(picture, nullptr);

    auto inside = [](const screen_region& r, int x, int y) {
        return x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
    };
    auto shot_differences = [&](int* outside_wrong, int* column_same, int* band_same) {
        XImage* image = XGetImage(display, w, 0, 0, 800, 600, AllPlanes, ZPixmap);
        ASSERT_NE(image, nullptr);
        *outside_wrong = *column_same = *band_same = 0;
        for (int y = 0; y < 600; y++)
            for (int x = 0; x < 800; x++) {
                unsigned long shown = XGetPixel(image, x, y);
                const Uint8* p = static_cast<const Uint8*>(picture->pixels) + y * picture->pitch + 4 * x;
                unsigned long expected = (unsigned long)p[0] << 16 | p[1] << 8 | p[2];
                bool same = (shown & 0xFFFFFF) == expected;
                if (inside(sprite_column, x, y))
                    *column_same += same;
                else if (inside(scroll_band, x, y))
                    *band_same += same;
                else if (!inside(text_window, x, y)) {
                    if (!same && *outside_wrong == 0)
                        ADD_FAILURE() << "first difference at " << x << "," << y << ": shown " << std::hex
                                      << shown << ", expected " << expected;
                    *outside_wrong += !same;
                }
            }
        XDestroyImage(image);
    };
    int outside_wrong, column_same, band_same;
    shot_differences(&outside_wrong, &column_same, &band_same);
    EXPECT_EQ(outside_wrong, 0) << "pixels outside the three regions differ from the background picture";
    // The column is the background but for the 34x34 sprite; the band shows it between glyphs.
    EXPECT_GT(column_same, 34 * 531 - 34 * 34 - 1);
    EXPECT_GT(band_same, 800 * 41 / 4);

    SDL_FreeSurface(picture);

    xdotool("mousemove --window " + std::to_string(w) + " 400 300");
    xdotool("key Escape");
    EXPECT_EQ(wait_exit(intro, 3000ms), 0);
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
    EXPECT_EQ(wait_exit(intro, 3000ms), 0);
}

TEST_F(window_e2e, middle_click_and_close_request_do_not_end_it_a_left_click_does)
{
    Window w = start({"w"});
    ASSERT_NE(w, 0u);
    xdotool("mousemove --window " + std::to_string(w) + " 400 300");
    xdotool("click 2");

    // What a window manager sends when the close button is used.
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

    EXPECT_EQ(wait_exit(intro, 1500ms), -1) << "a middle click or the close request ended the show";
    xdotool("click 1");
    EXPECT_EQ(wait_exit(intro, 3000ms), 0);
}

TEST_F(window_e2e, a_right_click_ends_it_too)
{
    Window w = start({"w"});
    ASSERT_NE(w, 0u);
    xdotool("mousemove --window " + std::to_string(w) + " 400 300");
    xdotool("click 3");
    EXPECT_EQ(wait_exit(intro, 3000ms), 0);
}

TEST_F(window_e2e, full_screen_covers_the_screen_and_hides_the_cursor)
{
    Window w = start({});
    ASSERT_NE(w, 0u);
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(display, w, &attributes));
    Screen* s = DefaultScreenOfDisplay(display);
    EXPECT_EQ(attributes.width, WidthOfScreen(s));
    EXPECT_EQ(attributes.height, HeightOfScreen(s));

    xdotool("mousemove --window " + std::to_string(w) + " 300 200");
    std::this_thread::sleep_for(300ms);
    XFixesCursorImage* cursor = XFixesGetCursorImage(display);
    ASSERT_NE(cursor, nullptr);
    int visible = 0;
    for (int i = 0; i < cursor->width * cursor->height; i++)
        visible += (cursor->pixels[i] >> 24) != 0;
    XFree(cursor);
    EXPECT_EQ(visible, 0) << "the cursor is shown over the full-screen intro";

    xdotool("key a");
    EXPECT_EQ(wait_exit(intro, 3000ms), 0);
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
            auto started = std::chrono::steady_clock::now();
            intro_process p = start_intro(args, c.env);
            ASSERT_GT(p.pid, 0);
            int status = wait_exit(p, 5000ms);
            kill_intro(p);
            EXPECT_EQ(status, 0) << c.what;
            EXPECT_LT(std::chrono::steady_clock::now() - started, 900ms) << c.what << ": no one-second pause";
            EXPECT_EQ(read_output(p), "") << c.what;
        }
    }
}
