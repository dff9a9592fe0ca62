// x_window.cpp -- what the Windows test asks of an X window: a region against a picture, its changes, a close request
//
// x_window same WINDOW PICTURE X Y W H [DX DY [SCALE]]
//                                               exit 0 when the picture's region at X, Y (a 24-bit
//                                               BMP, or a PNG), each pixel made a SCALE x SCALE
//                                               block, equals the window's at DX + X * SCALE,
//                                               DY + Y * SCALE; 1 when it does not
// x_window black WINDOW X Y W H                 exit 0 when the region is all black, 1 when not
// x_window shot WINDOW FILE.png                 writes the whole window as a PNG
// x_window changes WINDOW X Y W H COUNT BOUND   exit 0 once the region has changed COUNT times,
//                                               1 when BOUND seconds pass first
// x_window rate WINDOW X Y W H SECONDS          prints how many times a second the region changed
// x_window close WINDOW                         sends the window manager's close request
// Exit status 2: the window, the display or the picture could not be read.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <png.h>

#include "common/png_file.h"

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

constexpr int BMP_HEADER_BYTES = 54;
constexpr auto POLL = std::chrono::milliseconds(1); // far shorter than a frame, so no change is missed

typedef std::vector<unsigned long> pixels;

// The region's pixels as 0xRRGGBB, rows top first; empty when the window cannot be read.
static pixels grab(Display* display, Window window, const int* region)
{
    pixels out;
    int x = region[0], y = region[1], w = region[2], h = region[3];
    XImage* image = XGetImage(display, window, x, y, unsigned(w), unsigned(h), AllPlanes, ZPixmap);
    if (!image)
        return out;
    out.reserve(size_t(w) * size_t(h));
    for (int row = 0; row < h; row++)
        for (int column = 0; column < w; column++)
            out.push_back(XGetPixel(image, column, row) & 0xFFFFFF);
    XDestroyImage(image);
    return out;
}

// The picture's region as 0xRRGGBB; empty when the file is no 24-bit BMP holding it.
static pixels bmp_region(const char* path, const int* region)
{
    pixels out;
    int x = region[0], y = region[1], w = region[2], h = region[3];
    FILE* file = fopen(path, "rb");
    if (!file)
        return out;
    unsigned char header[BMP_HEADER_BYTES];
    if (fread(header, 1, sizeof(header), file) == sizeof(header)) {
        int width = header[18] | header[19] << 8 | header[20] << 16 | header[21] << 24;
        int height = header[22] | header[23] << 8 | header[24] << 16 | header[25] << 24;
        int stride = (width * 3 + 3) / 4 * 4;
        std::vector<unsigned char> data(size_t(stride) * size_t(height));
        if (fread(data.data(), 1, data.size(), file) == data.size() && x + w <= width && y + h <= height) {
            for (int row = y; row < y + h; row++) {
                const unsigned char* line = &data[size_t(height - 1 - row) * size_t(stride)]; // bottom row first
                for (int column = x; column < x + w; column++) {
                    const unsigned char* p = line + 3 * column;
                    out.push_back(static_cast<unsigned long>(p[2]) << 16 | static_cast<unsigned long>(p[1]) << 8 | p[0]);
                }
            }
        }
    }
    fclose(file);
    return out;
}

// The picture's region as 0xRRGGBB from a PNG file; empty when it cannot be read or lacks it.
static pixels png_region(const char* path, const int* region)
{
    pixels out;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path))
        return out;
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> data(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, data.data(), 0, nullptr))
        return out;
    int x = region[0], y = region[1], w = region[2], h = region[3];
    if (x + w > int(image.width) || y + h > int(image.height))
        return out;
    for (int row = y; row < y + h; row++)
        for (int column = x; column < x + w; column++) {
            const unsigned char* p = &data[(size_t(row) * image.width + size_t(column)) * 3];
            out.push_back(static_cast<unsigned long>(p[0]) << 16 | static_cast<unsigned long>(p[1]) << 8 | p[2]);
        }
    return out;
}

static pixels picture_region(const char* path, const int* region)
{
    size_t length = strlen(path);
    if (length > 4 && strcmp(path + length - 4, ".png") == 0)
        return png_region(path, region);
    return bmp_region(path, region);
}

// Each pixel of a w-wide region made a scale x scale block.
static pixels magnified(const pixels& from, int w, int scale)
{
    pixels out;
    int h = int(from.size()) / w;
    for (int row = 0; row < h * scale; row++)
        for (int column = 0; column < w * scale; column++)
            out.push_back(from[size_t(row / scale) * size_t(w) + size_t(column / scale)]);
    return out;
}

static int write_shot(Display* display, Window window, const char* path)
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes))
        return 2;
    int region[4] = {0, 0, attributes.width, attributes.height};
    pixels shown = grab(display, window, region);
    if (shown.empty())
        return 2;
    std::vector<uint8_t> rgb;
    for (unsigned long p : shown) {
        rgb.push_back(static_cast<uint8_t>(p >> 16));
        rgb.push_back(static_cast<uint8_t>(p >> 8));
        rgb.push_back(static_cast<uint8_t>(p));
    }
    return write_png_rgb(path, attributes.width, attributes.height, rgb.data()) ? 0 : 2;
}

static double seconds_since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Counts the region's changes until count of them or until bound seconds; -1 when it cannot be read.
static long count_changes(Display* display, Window window, const int* region, long count, double bound)
{
    auto start = std::chrono::steady_clock::now();
    pixels last = grab(display, window, region);
    long changes = 0;
    while (changes < count && seconds_since(start) < bound) {
        std::this_thread::sleep_for(POLL);
        pixels now = grab(display, window, region);
        if (now.empty() || last.empty())
            return -1;
        changes += now != last;
        last.swap(now);
    }
    return changes;
}

static int close_request(Display* display, Window window)
{
    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = window;
    close.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    close.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &close);
    XSync(display, False);
    return 0;
}

int main(int argc, char** argv)
{
    const char* mode = argc > 2 ? argv[1] : "";
    int same = strcmp(mode, "same") == 0;
    int wanted_args = same && (argc == 10 || argc == 11) ? argc
                    : same || strcmp(mode, "rate") == 0 ? 8
                    : strcmp(mode, "changes") == 0 ? 9 : strcmp(mode, "black") == 0 ? 7
                    : strcmp(mode, "shot") == 0 ? 4 : strcmp(mode, "close") == 0 ? 3 : 0;
    if (!wanted_args || argc != wanted_args) {
        fputs("usage: x_window same WINDOW PICTURE X Y W H [DX DY [SCALE]] | changes WINDOW X Y W H COUNT BOUND\n"
              "                | rate WINDOW X Y W H SECONDS | black WINDOW X Y W H | shot WINDOW FILE.png\n"
              "                | close WINDOW\n", stderr);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        fputs("x_window: no X display\n", stderr);
        return 2;
    }
    Window window = Window(strtoul(argv[2], nullptr, 0));
    if (strcmp(mode, "close") == 0)
        return close_request(display, window);
    if (strcmp(mode, "shot") == 0)
        return write_shot(display, window, argv[3]);

    int first = same ? 4 : 3;
    int region[4];
    for (int i = 0; i < 4; i++)
        region[i] = atoi(argv[first + i]);
    if (strcmp(mode, "black") == 0) {
        pixels shown = grab(display, window, region);
        if (shown.empty())
            return 2;
        for (unsigned long p : shown)
            if (p)
                return 1;
        return 0;
    }
    if (same) {
        int scale = argc == 11 ? atoi(argv[10]) : 1;
        if (scale < 1) {
            fputs("x_window: the scale must be 1 or more\n", stderr);
            return 2;
        }
        pixels wanted = picture_region(argv[3], region);
        if (!wanted.empty() && scale > 1)
            wanted = magnified(wanted, region[2], scale);
        for (int i = 0; i < 4; i++)
            region[i] *= scale;
        if (argc >= 10) {
            region[0] += atoi(argv[8]);
            region[1] += atoi(argv[9]);
        }
        pixels shown = grab(display, window, region);
        if (shown.empty() || wanted.empty()) {
            fputs("x_window: the window or the picture could not be read\n", stderr);
            return 2;
        }
        size_t differ = 0;
        for (size_t i = 0; i < shown.size(); i++)
            differ += shown[i] != wanted[i];
        if (differ)
            printf("%zu of %zu pixels differ\n", differ, shown.size());
        return differ ? 1 : 0;
    }
    if (strcmp(mode, "changes") == 0) {
        long count = atol(argv[7]);
        long seen = count_changes(display, window, region, count, atof(argv[8]));
        return seen < 0 ? 2 : seen >= count ? 0 : 1;
    }
    double seconds = atof(argv[7]);
    long seen = count_changes(display, window, region, LONG_MAX, seconds);
    if (seen < 0)
        return 2;
    printf("%.1f\n", seen / seconds);
    return 0;
}
