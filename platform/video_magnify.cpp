// video_magnify.cpp -- the show's pixels magnified into a larger picture: nearest-neighbour by a whole factor, or smooth
#include "platform/video_magnify.h"

#include <cstring>
#include <vector>

// Weights in 256ths: a picture pixel takes (WEIGHT_ONE - f) of one show pixel and f of the next.
constexpr int WEIGHT_BITS = 8;
constexpr int WEIGHT_ONE = 1 << WEIGHT_BITS;
constexpr int WEIGHT_ROUND = WEIGHT_ONE / 2;
constexpr int PIXEL_BYTES = 4;
// Across, a pixel's four bytes are worked on at once in one 64-bit word, 16 bits each: room
// for a byte times a weight. Each lane is stored where byte k's 16 bits sit in memory, so
// that the rows kept can be read back as plain 16-bit values in the pixel's byte order.
constexpr int LANE_BITS = 16;
constexpr uint64_t LANE_LOW_BYTES = 0x00FF00FF00FF00FFull;
constexpr uint64_t LANE_ROUND = uint64_t(WEIGHT_ROUND) * 0x0001000100010001ull;
constexpr bool LITTLE_ENDIAN_WORDS = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;
constexpr int lane_shift(int byte)
{
    return LANE_BITS * (LITTLE_ENDIAN_WORDS ? byte : PIXEL_BYTES - 1 - byte);
}
// Which show byte becomes each display byte.
constexpr int KEPT_BYTES[PIXEL_BYTES] = {0, 1, 2, 3}, SWAPPED_BYTES[PIXEL_BYTES] = {2, 1, 0, 3};

// The smooth picture's tables, made by prepare_smooth: for each picture column and row,
// the first of the two show pixels it reads and the second one's weight.
static fit_rect smooth_picture = {0, 0, 0, 0};
static std::vector<int> column_first, column_weight, row_first, row_weight;
// One show row with each pixel spread into lanes, in the display's byte order.
static std::vector<uint64_t> spread;
// Two show rows already magnified across, 16 bits a byte, and which rows they are (-1: none).
static std::vector<uint16_t> across[2];
static int across_row[2] = {-1, -1};

static inline uint32_t swap_red_blue(uint32_t pixel)
{
    return (pixel & 0xFF00FF00) | (pixel >> 16 & 0xFF) | (pixel & 0xFF) << 16;
}

void magnify_whole(const pixel_plane* show, fit_rect part, int scale, pixel_plane* to, int at_x, int at_y,
                   int byte_order)
{
    size_t row_bytes = size_t(part.w) * size_t(scale) * sizeof(uint32_t);
    for (int y = part.y; y < part.y + part.h; y++) {
        const uint32_t* from = show->pixels + size_t(y) * size_t(show->stride);
        uint32_t* first = to->pixels + size_t(at_y + y * scale) * size_t(to->stride) + at_x + part.x * scale;
        uint32_t* out = first;
        for (int x = part.x; x < part.x + part.w; x++) {
            uint32_t pixel = byte_order == SWAP_RED_BLUE ? swap_red_blue(from[x]) : from[x];
            for (int i = 0; i < scale; i++)
                *out++ = pixel;
        }
        for (int i = 1; i < scale; i++)
            memcpy(first + size_t(i) * size_t(to->stride), first, row_bytes);
    }
}

// Where each of count picture pixels samples a show of length pixels: at its own centre,
// between the two nearest show pixels; at the picture's edges, the edge pixel alone.
static void sample_positions(int length, int count, std::vector<int>& first, std::vector<int>& weight)
{
    first.resize(size_t(count));
    weight.resize(size_t(count));
    for (int i = 0; i < count; i++) {
        // (i + 1/2) * length / count - 1/2, in 256ths; 64-bit since count * length * 128 can pass 2^31.
        long long at = (2LL * i + 1) * length * (WEIGHT_ONE / 2) / count - WEIGHT_ONE / 2;
        int whole = at < 0 ? 0 : int(at >> WEIGHT_BITS);
        int f = at < 0 ? 0 : int(at & (WEIGHT_ONE - 1));
        if (whole >= length - 1) {
            whole = length - 2;
            f = WEIGHT_ONE;
        }
        first[size_t(i)] = whole;
        weight[size_t(i)] = f;
    }
}

int prepare_smooth(int show_width, int show_height, fit_rect picture)
{
    if (show_width < 2 || show_height < 2 || picture.w < 1 || picture.h < 1)
        return 0;
    smooth_picture = picture;
    sample_positions(show_width, picture.w, column_first, column_weight);
    sample_positions(show_height, picture.h, row_first, row_weight);
    spread.resize(size_t(show_width));
    for (std::vector<uint16_t>& row : across)
        row.resize(size_t(picture.w) * PIXEL_BYTES);
    return 1;
}

void release_smooth()
{
    for (std::vector<int>* table : {&column_first, &column_weight, &row_first, &row_weight})
        std::vector<int>().swap(*table);
    std::vector<uint64_t>().swap(spread);
    for (std::vector<uint16_t>& row : across)
        std::vector<uint16_t>().swap(row);
}

// The picture columns [first, end) of show row y, magnified across into one of the two rows
// kept; other is the slot the caller still needs.
static const uint16_t* row_across(const pixel_plane* show, int y, int first, int end, int byte_order, int other)
{
    for (int slot = 0; slot < 2; slot++)
        if (across_row[slot] == y)
            return across[slot].data();
    int slot = other == 0 ? 1 : 0;
    const uint8_t* from = reinterpret_cast<const uint8_t*>(show->pixels + size_t(y) * size_t(show->stride));
    const int* order = byte_order == SWAP_RED_BLUE ? SWAPPED_BYTES : KEPT_BYTES;
    int last = column_first[size_t(end - 1)] + 1;
    for (int x = column_first[size_t(first)]; x <= last; x++) {
        const uint8_t* bytes = from + size_t(x) * PIXEL_BYTES;
        uint64_t lanes = 0;
        for (int byte = 0; byte < PIXEL_BYTES; byte++)
            lanes |= uint64_t(bytes[order[byte]]) << lane_shift(byte);
        spread[size_t(x)] = lanes;
    }
    uint16_t* out = across[slot].data();
    for (int x = first; x < end; x++) {
        const uint64_t* pair = &spread[size_t(column_first[size_t(x)])];
        uint64_t f = uint64_t(column_weight[size_t(x)]);
        uint64_t lanes = (pair[0] * (WEIGHT_ONE - f) + pair[1] * f + LANE_ROUND) >> WEIGHT_BITS & LANE_LOW_BYTES;
        memcpy(out + size_t(x) * PIXEL_BYTES, &lanes, sizeof(lanes));
    }
    across_row[slot] = y;
    return out;
}

// The first and the end of the picture pixels whose two show pixels touch [from, from + length).
static void reached(const std::vector<int>& first, int from, int length, int* start, int* end)
{
    int count = int(first.size());
    int i = 0;
    while (i < count && first[size_t(i)] + 1 < from)
        i++;
    *start = i;
    while (i < count && first[size_t(i)] < from + length)
        i++;
    *end = i;
}

void magnify_smooth(const pixel_plane* show, fit_rect part, pixel_plane* to, int byte_order, fit_rect* drawn)
{
    int x0, x1, y0, y1;
    reached(column_first, part.x, part.w, &x0, &x1);
    reached(row_first, part.y, part.h, &y0, &y1);
    *drawn = {smooth_picture.x + x0, smooth_picture.y + y0, x1 - x0, y1 - y0};
    if (x0 >= x1 || y0 >= y1)
        return;
    // The rows kept from the last call are of the last frame.
    across_row[0] = across_row[1] = -1;
    size_t first = size_t(x0) * PIXEL_BYTES, end = size_t(x1) * PIXEL_BYTES;
    for (int y = y0; y < y1; y++) {
        int top = row_first[size_t(y)];
        const uint16_t* upper = row_across(show, top, x0, x1, byte_order, -1);
        int upper_slot = upper == across[0].data() ? 0 : 1;
        const uint16_t* lower = row_across(show, top + 1, x0, x1, byte_order, upper_slot);
        uint8_t* out = reinterpret_cast<uint8_t*>(to->pixels + size_t(smooth_picture.y + y) * size_t(to->stride) +
                                                  smooth_picture.x);
        uint16_t take = uint16_t(row_weight[size_t(y)]), keep = uint16_t(WEIGHT_ONE - take);
        // Byte by byte in 16 bits, which the compiler turns into vector code: the hot loop
        // at large sizes. A weight of a whole one still fits: 255 * 256 + 128 < 2^16.
        for (size_t i = first; i < end; i++)
            out[i] = uint8_t(uint16_t(upper[i] * keep + lower[i] * take + WEIGHT_ROUND) >> WEIGHT_BITS);
    }
}
