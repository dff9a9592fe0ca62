// scroller_calls_test.cpp -- the video calls and allocations of each scroller frame, seen through interposed symbols
#include "effects/scroller.h"

#include "app/display.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <string>

// This executable defines SDL_UpperBlit, SDL_SetColorKey, SDL_FillRect and the malloc family
// itself: the intro's code links against these, which record the call and pass it on to the
// video library (or to glibc's allocator). Only calls made while `recording` is set count, and
// only those made from outside the video library (depth 0).

namespace {

enum call_kind { BLIT, KEY, FILL };
struct call {
    call_kind kind;
    SDL_Surface* surface;       // source of a blit, target of a key or fill
    SDL_Rect rect;              // source rectangle of a blit, rectangle of a fill
    SDL_Surface* destination;   // blit only
    SDL_Rect destination_rect;  // blit only, as passed in (the blit writes it back)
    Uint32 flag, value;         // key: flag and key; fill: colour
};

constexpr int MAX_CALLS = 64;
call calls[MAX_CALLS];
int call_count = 0;
bool recording = false;
int depth = 0;

int own_allocations = 0;     // allocations made outside the video library
int library_allocations = 0; // allocations made inside a video call
int library_frees = 0;

void record(const call& c)
{
    if (recording && depth == 0 && call_count < MAX_CALLS)
        calls[call_count++] = c;
}

SDL_Rect rect_or_whole(const SDL_Rect* r)
{
    return r ? *r : SDL_Rect{-1, -1, 0, 0};
}

// The video library's own definition; looked up inside a call (depth > 0), since dlsym may allocate.
template <typename F> F real(const char* name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" {

int SDL_UpperBlit(SDL_Surface* src, SDL_Rect* srcrect, SDL_Surface* dst, SDL_Rect* dstrect)
{
    record({BLIT, src, rect_or_whole(srcrect), dst, rect_or_whole(dstrect), 0, 0});
    depth++;
    static auto forward = real<int (*)(SDL_Surface*, SDL_Rect*, SDL_Surface*, SDL_Rect*)>("SDL_UpperBlit");
    int result = forward(src, srcrect, dst, dstrect);
    depth--;
    return result;
}

int SDL_SetColorKey(SDL_Surface* surface, Uint32 flag, Uint32 key)
{
    record({KEY, surface, {}, nullptr, {}, flag, key});
    depth++;
    static auto forward = real<int (*)(SDL_Surface*, Uint32, Uint32)>("SDL_SetColorKey");
    int result = forward(surface, flag, key);
    depth--;
    return result;
}

int SDL_FillRect(SDL_Surface* dst, SDL_Rect* dstrect, Uint32 color)
{
    record({FILL, dst, rect_or_whole(dstrect), nullptr, {}, 0, color});
    depth++;
    static auto forward = real<int (*)(SDL_Surface*, SDL_Rect*, Uint32)>("SDL_FillRect");
    int result = forward(dst, dstrect, color);
    depth--;
    return result;
}

#if !defined(__SANITIZE_ADDRESS__)
#define SCROLLER_COUNTS_ALLOCATIONS 1
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);

static void count_allocation()
{
    if (recording)
        (depth ? library_allocations : own_allocations)++;
}
void* malloc(size_t size)
{
    count_allocation();
    return __libc_malloc(size);
}
void* calloc(size_t count, size_t size)
{
    count_allocation();
    return __libc_calloc(count, size);
}
void* realloc(void* block, size_t size)
{
    count_allocation();
    return __libc_realloc(block, size);
}
void free(void* block)
{
    if (recording && block && depth)
        library_frees++;
    __libc_free(block);
}
#endif
}

namespace {

bool same_rect(const SDL_Rect& r, int x, int y, int w, int h)
{
    return r.x == x && r.y == y && r.w == w && r.h == h;
}

class scroller_calls : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(open_test_display()); }
    static void TearDownTestSuite() { close_test_display(); }
    void SetUp() override
    {
        scroll_current = 0;
        scroll_offset = 0;
        scroll_text = {reinterpret_cast<const unsigned char*>(text.data()), uint32_t(text.size()), 0};
    }
    std::string text = "Ab~\r\n"; // A, B, the cell of ], then one blank slot
};

} // namespace

TEST_F(scroller_calls, each_frame_makes_the_listed_blits_and_two_key_changes)
{
    struct cell {
        int row, column;
    };
    const cell slots[] = {{2, 5}, {2, 6}, {4, 5}, {0, 0}}; // A, B, ], space
    int slot = 0;
    for (int n = 1; n <= 300; n++) {
        SCOPED_TRACE(testing::Message() << "frame " << n);
        SDL_Surface* source = scroll_buffer[scroll_current];
        SDL_Surface* shown = scroll_buffer[1 - scroll_current];
        int offset = scroll_offset + 8;
        bool draws = offset >= 41;

        call_count = 0;
        recording = true;
        scroller_step();
        recording = false;

        ASSERT_EQ(call_count, draws ? 7 : 5);
        const call* c = calls;
        EXPECT_TRUE(c[0].kind == BLIT && c[0].surface == source && c[0].destination == shown);
        EXPECT_TRUE(same_rect(c[0].rect, 8, 0, 833, 41));
        EXPECT_TRUE(c[0].destination_rect.x == 0 && c[0].destination_rect.y == 0);

        EXPECT_TRUE(c[1].kind == BLIT && c[1].surface == background && c[1].destination == screen);
        EXPECT_TRUE(same_rect(c[1].rect, 0, 537, 800, 41));
        EXPECT_TRUE(c[1].destination_rect.x == 0 && c[1].destination_rect.y == 537);

        EXPECT_TRUE(c[2].kind == KEY && c[2].surface == shown);
        EXPECT_TRUE(c[2].flag == SDL_SRCCOLORKEY && c[2].value == color_key);

        EXPECT_TRUE(c[3].kind == BLIT && c[3].surface == shown && c[3].destination == screen);
        EXPECT_TRUE(same_rect(c[3].rect, 0, 0, 800, 41));
        EXPECT_TRUE(c[3].destination_rect.x == 0 && c[3].destination_rect.y == 537);

        EXPECT_TRUE(c[4].kind == KEY && c[4].surface == shown);
        EXPECT_TRUE(c[4].flag == SDL_SRCCOLORKEY && c[4].value == copy_key);

        if (draws) {
            int x = 800 - (offset - 41);
            EXPECT_TRUE(c[5].kind == FILL && c[5].surface == shown && c[5].value == color_key);
            EXPECT_TRUE(same_rect(c[5].rect, x, 0, 41, 41));
            const cell& at = slots[slot++ % 4];
            EXPECT_TRUE(c[6].kind == BLIT && c[6].surface == big_font && c[6].destination == shown);
            EXPECT_TRUE(same_rect(c[6].rect, 41 * at.column, 41 * at.row, 41, 41)) << "slot " << slot - 1;
            EXPECT_TRUE(c[6].destination_rect.x == x && c[6].destination_rect.y == 0);
        }
    }
    EXPECT_EQ(slot, 300 * 8 / 41);
}

TEST_F(scroller_calls, frames_allocate_nothing_of_their_own_and_hold_no_memory)
{
#ifndef SCROLLER_COUNTS_ALLOCATIONS
    GTEST_SKIP() << "the sanitizer owns malloc in this build";
#else
    // Warm up until both buffers have been shown, shifted and drawn into: the video library
    // makes each blit mapping the first time a pair of surfaces meets.
    for (int n = 0; n < 12; n++)
        scroller_step();
    own_allocations = library_allocations = library_frees = 0;
    recording = true;
    for (int n = 0; n < 500; n++)
        scroller_step();
    recording = false;
    // The video library rebuilds a blit mapping after each key change; what it takes it gives back.
    EXPECT_EQ(own_allocations, 0);
    EXPECT_EQ(library_allocations, library_frees);
    printf("500 frames: %d allocations inside the video library, %d freed there\n", library_allocations,
           library_frees);
#endif
}
