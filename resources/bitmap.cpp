// bitmap.cpp -- decodes uncompressed 24-bit BMP data into 32-bit surfaces, bottom row first
#include "resources/bitmap.h"

#include "common/little_endian.h"
#include "resources/pixel_format.h"
#include "resources/store.h"

constexpr uint32_t BMP_PIXEL_START = 54; // rows always start here, whatever the header's offset field says
constexpr uint32_t BMP_WIDTH_AT = 18;
constexpr uint32_t BMP_HEIGHT_AT = 22;
// No surface the intro uses comes near this; it keeps every size computation far from overflow.
constexpr int32_t BMP_MAX_SIDE = 16384;

SDL_Surface* decode_bitmap(const unsigned char* data, uint32_t size)
{
    if (!data || size < BMP_PIXEL_START)
        return nullptr;
    // Signed fields: a negative height (a top-down file) is refused with the rest below.
    int32_t w = static_cast<int32_t>(read_le32(data + BMP_WIDTH_AT));
    int32_t h = static_cast<int32_t>(read_le32(data + BMP_HEIGHT_AT));
    if (w <= 0 || h <= 0 || w > BMP_MAX_SIDE || h > BMP_MAX_SIDE)
        return nullptr;
    uint64_t stride = (uint64_t(w) * 3 + 3) & ~uint64_t(3);
    if (uint64_t(size) - BMP_PIXEL_START < stride * uint64_t(h))
        return nullptr;

    SDL_Surface* surface = SDL_CreateRGBSurface(SDL_HWSURFACE, w, h, 32, PIXEL_RED_MASK, PIXEL_GREEN_MASK,
                                                PIXEL_BLUE_MASK, PIXEL_ALPHA_MASK);
    if (!surface)
        return nullptr;
    if (SDL_LockSurface(surface) != 0) {
        SDL_FreeSurface(surface);
        return nullptr;
    }

    // Stored row k becomes surface row h - 1 - k; each pixel's B, G, R becomes R, G, B, the fourth byte untouched.
    const unsigned char* source = data + BMP_PIXEL_START;
    unsigned char* row = static_cast<unsigned char*>(surface->pixels) + size_t(surface->pitch) * size_t(h);
    for (int32_t k = 0; k < h; k++) {
        row -= surface->pitch;
        for (int32_t x = 0; x < w; x++) {
            row[4 * x + 0] = source[3 * x + 2];
            row[4 * x + 1] = source[3 * x + 1];
            row[4 * x + 2] = source[3 * x + 0];
        }
        source += stride;
    }
    SDL_UnlockSurface(surface);
    return surface;
}

SDL_Surface* load_bitmap(const char* name)
{
    uint32_t size = 0;
    const unsigned char* data = load_resource(name, &size);
    if (!data)
        return nullptr;
    return decode_bitmap(data, size);
}
