// surface_png.cpp -- writes a 32-bit surface as an 8-bit RGB PNG file (same surface, same bytes)
#include "recorder/surface_png.h"

#include "common/png_file.h"

#include <cstddef>
#include <vector>

int write_png(const char* path, SDL_Surface* surface)
{
    // Kept between calls: a capture writes one frame after another of the same size.
    static std::vector<uint8_t> rgb;
    rgb.resize(size_t(surface->w) * size_t(surface->h) * 3);
    SDL_LockSurface(surface);
    for (int y = 0; y < surface->h; y++) {
        const Uint32* pixels = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(surface->pixels) +
                                                               size_t(y) * surface->pitch);
        uint8_t* row = &rgb[size_t(y) * size_t(surface->w) * 3];
        for (int x = 0; x < surface->w; x++)
            SDL_GetRGB(pixels[x], surface->format, &row[3 * x], &row[3 * x + 1], &row[3 * x + 2]);
    }
    SDL_UnlockSurface(surface);
    return write_png_rgb(path, surface->w, surface->h, rgb.data());
}
