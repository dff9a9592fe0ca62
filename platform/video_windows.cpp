// video_windows.cpp -- the display on Windows: our own magnification into a plain window or one over the whole monitor
//
// Classic SDL 1.2 neither magnifies nor knows monitors, and its full screen changes the
// display's mode. So the show draws on a surface of ours, the size it asked for, and each
// frame's rectangles are magnified into SDL's window, which is never more than a plain
// window: the show's size times a whole factor within the monitor's work area, or borderless
// over the whole monitor at the monitor's own resolution (Windows then treats it as full
// screen; the display's mode never changes). The programs declare themselves aware of each
// monitor's DPI (their manifest), so every size here is in the monitor's physical pixels.
// Full screen's flips hand the frame to a thread of their own that finds what changed,
// magnifies it and shows it; the flip itself returns at once, as a flip that does not wait
// for the display does, so the frame loop holds the show to its 50 frames a second
// whatever the magnification costs. Under the dummy driver (the recorder) the show draws on
// SDL's own surface, unmagnified.
#include "platform/video.h"

#include "platform/os.h"
#include "platform/video_fit.h"
#include "platform/video_magnify.h"
#include "resources/pixel_format.h"

#include <SDL_syswm.h>
#include <SDL_thread.h>
#include <cstdio>
#include <cstring>
#include <vector>

static const char WINDOW_POSITION_VARIABLE[] = "SDL_VIDEO_WINDOW_POS";
static const char INVISIBLE_DRIVER[] = "dummy";

constexpr Uint32 WINDOW_VIDEO_FLAGS = SDL_SWSURFACE;
constexpr Uint32 FULLSCREEN_VIDEO_FLAGS = SDL_SWSURFACE | SDL_NOFRAME;
constexpr Uint32 BLACK = 0;
// Full screen looks for changes in bands of this many show rows, and redraws in each band
// the columns from its first change to its last.
constexpr int BAND_ROWS = 20;
// Two bands' rectangles become one where their bounds are at most 5/4 of their areas.
constexpr long MERGE_SHARE_ABOVE = 5, MERGE_SHARE_BELOW = 4;
// As many rectangles as a frame of 600 rows has bands; a longer list is shown in batches.
constexpr int MAX_RECTS = 32;

// The show's surface (ours, null under the dummy driver) and SDL's, which is on the screen.
static SDL_Surface* show_surface = nullptr;
static SDL_Surface* display = nullptr;
// How the show reaches the display: a whole factor (0 where full screen magnifies smoothly),
// where its top left corner lies, and the display's byte order against the show's.
static int whole_factor = 0;
static int picture_x = 0, picture_y = 0;
static int display_byte_order = KEEP_BYTE_ORDER;

// Full screen's presenter: the frame the last flip handed over (pending, when set), the one
// being shown, and the one shown before it, to compare with. The lock guards the pending
// frame and the two flags.
static SDL_Thread* presenter = nullptr;
static SDL_mutex* frame_lock = nullptr;
static SDL_cond* frame_handed = nullptr;
static std::vector<uint32_t> pending_frame, presented_frame, shown_frame;
static int frame_pending = 0, presenter_stop = 0;
static int shown_once = 0;
static int frame_w = 0, frame_h = 0;

static int start_presenter(int width, int height);

static HWND sdl_window()
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    return SDL_GetWMInfo(&info) > 0 ? info.window : nullptr;
}

void prepare_video(int)
{
}

// The monitor Windows put SDL's window on (still hidden: it is made when video starts, where
// the program was started from); 0 when Windows does not say.
static int monitor_of(HWND window, MONITORINFO* monitor)
{
    monitor->cbSize = sizeof(*monitor);
    HMONITOR handle = MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY);
    return handle && GetMonitorInfo(handle, monitor);
}

// Asks SDL to put the window's client area at (x, y) when it sets the mode.
static void place_client_at(int x, int y)
{
    char text[32];
    snprintf(text, sizeof(text), "%d,%d", x, y);
    setenv(WINDOW_POSITION_VARIABLE, text, 1);
}

// Centres the whole window, frame and all, in the area; SDL could only place its client area.
static void centre_window(HWND window, const RECT& area)
{
    RECT frame;
    if (!GetWindowRect(window, &frame))
        return;
    int x = area.left + (area.right - area.left - (frame.right - frame.left)) / 2;
    int y = area.top + (area.bottom - area.top - (frame.bottom - frame.top)) / 2;
    // A frame taller than the area keeps its title bar on the screen.
    if (y < area.top)
        y = area.top;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

static SDL_Surface* open_magnified(int width, int height, int full)
{
    HWND window = sdl_window();
    MONITORINFO monitor;
    if (!window || !monitor_of(window, &monitor))
        return nullptr;
    const RECT& whole = monitor.rcMonitor;
    const RECT& work = monitor.rcWork;
    int display_w, display_h;
    if (full) {
        display_w = whole.right - whole.left;
        display_h = whole.bottom - whole.top;
        fit_rect picture = fullscreen_picture(width, height, display_w, display_h);
        picture_x = picture.x;
        picture_y = picture.y;
        // Where the factor is not whole, nearest-neighbour would make the show's pixels
        // uneven, one or two screen pixels wide at 1.8x, and the unevenness would crawl
        // along the scroller and the swaying boards; smooth is soft but even and still.
        whole_factor = fullscreen_whole_scale(width, height, display_w, display_h) ? picture.w / width : 0;
        if (!whole_factor && !prepare_smooth(width, height, picture))
            return nullptr;
        place_client_at(whole.left, whole.top);
    } else {
        whole_factor = window_scale(width, height, work.right - work.left, work.bottom - work.top);
        display_w = width * whole_factor;
        display_h = height * whole_factor;
        picture_x = picture_y = 0;
        place_client_at(work.left + (work.right - work.left - display_w) / 2,
                        work.top + (work.bottom - work.top - display_h) / 2);
    }
    display = SDL_SetVideoMode(display_w, display_h, 32, full ? FULLSCREEN_VIDEO_FLAGS : WINDOW_VIDEO_FLAGS);
    if (!display || display->format->BytesPerPixel != 4)
        return nullptr;
    if (display->format->Rmask == PIXEL_RED_MASK)
        display_byte_order = KEEP_BYTE_ORDER;
    else if (display->format->Rmask == PIXEL_BLUE_MASK && display->format->Bmask == PIXEL_RED_MASK)
        display_byte_order = SWAP_RED_BLUE;
    else
        return nullptr;
    if (!full)
        centre_window(window, work);
    // The bars beside a full screen picture are black from here on; nothing draws there again.
    SDL_FillRect(display, nullptr, BLACK);
    SDL_UpdateRect(display, 0, 0, 0, 0);
    show_surface = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 32, PIXEL_RED_MASK, PIXEL_GREEN_MASK,
                                        PIXEL_BLUE_MASK, PIXEL_ALPHA_MASK);
    if (show_surface && full && !start_presenter(width, height))
        return nullptr;
    return show_surface;
}

SDL_Surface* open_video(int width, int height, int full)
{
    char driver[16] = "";
    SDL_VideoDriverName(driver, sizeof(driver));
    if (strcmp(driver, INVISIBLE_DRIVER) == 0)
        return SDL_SetVideoMode(width, height, 32, WINDOW_VIDEO_FLAGS);
    return open_magnified(width, height, full);
}

void video_events()
{
}

static pixel_plane plane_of(SDL_Surface* surface)
{
    return {static_cast<uint32_t*>(surface->pixels), surface->pitch / 4, surface->w, surface->h};
}

// Magnifies these rectangles of the show into SDL's surface and puts them on the screen.
// NOTE: SDL's surface here is a DIB section, plain memory that needs no lock.
static void show_parts(const pixel_plane* from_show, const SDL_Rect* rects, int count)
{
    pixel_plane from = *from_show, to = plane_of(display);
    SDL_Rect shown[MAX_RECTS];
    for (int first = 0; first < count; first += MAX_RECTS) {
        int batch = count - first < MAX_RECTS ? count - first : MAX_RECTS;
        for (int i = 0; i < batch; i++) {
            const SDL_Rect& r = rects[first + i];
            fit_rect part = {r.x, r.y, r.w, r.h};
            fit_rect drawn;
            if (whole_factor) {
                magnify_whole(&from, part, whole_factor, &to, picture_x, picture_y, display_byte_order);
                drawn = {picture_x + part.x * whole_factor, picture_y + part.y * whole_factor, part.w * whole_factor,
                         part.h * whole_factor};
            } else {
                magnify_smooth(&from, part, &to, display_byte_order, &drawn);
            }
            shown[i] = {Sint16(drawn.x), Sint16(drawn.y), Uint16(drawn.w), Uint16(drawn.h)};
        }
        SDL_UpdateRects(display, batch, shown);
    }
}

void video_update(SDL_Surface* show, const SDL_Rect* rects, int count)
{
    if (show != show_surface) {
        SDL_UpdateRects(show, count, const_cast<SDL_Rect*>(rects));
        return;
    }
    pixel_plane from = plane_of(show);
    show_parts(&from, rects, count);
}

// Grows the rectangle to take in the next band's, where their bounds cover little more than
// the two: every rectangle costs the system a call or two of its own.
static int merges(SDL_Rect* rect, SDL_Rect next)
{
    int left = rect->x < next.x ? rect->x : next.x;
    int right = rect->x + rect->w > next.x + next.w ? rect->x + rect->w : next.x + next.w;
    long merged = long(right - left) * long(next.y + next.h - rect->y);
    long apart = long(rect->w) * long(rect->h) + long(next.w) * long(next.h);
    if (merged * MERGE_SHARE_BELOW > apart * MERGE_SHARE_ABOVE)
        return 0;
    *rect = {Sint16(left), rect->y, Uint16(right - left), Uint16(next.y + next.h - rect->y)};
    return 1;
}

// Shows what changed in presented_frame since shown_frame, band by band; all of it the first time.
static void show_changes()
{
    SDL_Rect changed[MAX_RECTS];
    int count = 0;
    size_t row_bytes = size_t(frame_w) * sizeof(uint32_t);
    for (int band = 0; band < frame_h; band += BAND_ROWS) {
        int rows = frame_h - band < BAND_ROWS ? frame_h - band : BAND_ROWS;
        int left = frame_w, right = -1;
        for (int y = band; y < band + rows; y++) {
            const uint32_t* now = &presented_frame[size_t(y) * size_t(frame_w)];
            uint32_t* before = &shown_frame[size_t(y) * size_t(frame_w)];
            if (shown_once && memcmp(now, before, row_bytes) == 0)
                continue;
            int first = 0, last = frame_w - 1;
            if (shown_once) {
                while (now[first] == before[first])
                    first++;
                while (now[last] == before[last])
                    last--;
            }
            left = first < left ? first : left;
            right = last > right ? last : right;
            memcpy(before, now, row_bytes);
        }
        if (right < left)
            continue;
        SDL_Rect band_rect = {Sint16(left), Sint16(band), Uint16(right - left + 1), Uint16(rows)};
        if (count > 0 && merges(&changed[count - 1], band_rect))
            continue;
        if (count == MAX_RECTS) {
            pixel_plane from = {presented_frame.data(), frame_w, frame_w, frame_h};
            show_parts(&from, changed, count);
            count = 0;
        }
        changed[count++] = band_rect;
    }
    shown_once = 1;
    pixel_plane from = {presented_frame.data(), frame_w, frame_w, frame_h};
    show_parts(&from, changed, count);
}

static int present_frames(void*)
{
    // As urgent as the frame loop (startup.cpp raises it too): both must finish within a frame.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
    SDL_LockMutex(frame_lock);
    for (;;) {
        while (!frame_pending && !presenter_stop)
            SDL_CondWait(frame_handed, frame_lock);
        if (presenter_stop)
            break;
        // A flip that comes while a frame is being shown replaces the one pending: a frame
        // too slow to show is skipped, and the show keeps its pace.
        presented_frame.swap(pending_frame);
        frame_pending = 0;
        SDL_UnlockMutex(frame_lock);
        show_changes();
        SDL_LockMutex(frame_lock);
    }
    SDL_UnlockMutex(frame_lock);
    return 0;
}

// Starts full screen's presenter for a width x height show; 0 when it cannot be had.
static int start_presenter(int width, int height)
{
    frame_w = width;
    frame_h = height;
    size_t pixels = size_t(width) * size_t(height);
    pending_frame.assign(pixels, 0);
    presented_frame.assign(pixels, 0);
    shown_frame.assign(pixels, 0);
    shown_once = frame_pending = presenter_stop = 0;
    if (!(frame_lock = SDL_CreateMutex()) || !(frame_handed = SDL_CreateCond()))
        return 0;
    presenter = SDL_CreateThread(present_frames, nullptr);
    return presenter != nullptr;
}

static void stop_presenter()
{
    if (presenter) {
        SDL_LockMutex(frame_lock);
        presenter_stop = 1;
        SDL_CondSignal(frame_handed);
        SDL_UnlockMutex(frame_lock);
        SDL_WaitThread(presenter, nullptr);
    }
    presenter = nullptr;
    if (frame_handed)
        SDL_DestroyCond(frame_handed);
    frame_handed = nullptr;
    if (frame_lock)
        SDL_DestroyMutex(frame_lock);
    frame_lock = nullptr;
    for (std::vector<uint32_t>* frame : {&pending_frame, &presented_frame, &shown_frame})
        std::vector<uint32_t>().swap(*frame);
}

void video_flip(SDL_Surface* show)
{
    if (show != show_surface) {
        SDL_Flip(show);
        return;
    }
    if (!presenter) {
        SDL_Rect whole = {0, 0, Uint16(show->w), Uint16(show->h)};
        video_update(show, &whole, 1);
        return;
    }
    SDL_LockMutex(frame_lock);
    size_t row_bytes = size_t(frame_w) * sizeof(uint32_t);
    for (int y = 0; y < frame_h; y++)
        memcpy(&pending_frame[size_t(y) * size_t(frame_w)], static_cast<Uint8*>(show->pixels) + y * show->pitch,
               row_bytes);
    frame_pending = 1;
    SDL_CondSignal(frame_handed);
    SDL_UnlockMutex(frame_lock);
}

void close_video()
{
    stop_presenter();
    if (show_surface)
        SDL_FreeSurface(show_surface);
    show_surface = nullptr;
    display = nullptr;
    release_smooth();
}
