// surface_png.cpp -- writes a 32-bit surface as an 8-bit RGB PNG file (same surface, same bytes)
#include "recorder/surface_png.h"

#include <cstdio>
#include <png.h>
#include <vector>

int write_png(const char* path, SDL_Surface* surface)
{
    FILE* file = fopen(path, "wb");
    if (!file)
        return 0;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        fclose(file);
        return 0;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, surface->w, surface->h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);

    std::vector<png_byte> row(size_t(surface->w) * 3);
    SDL_LockSurface(surface);
    for (int y = 0; y < surface->h; y++) {
        const Uint32* pixels = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(surface->pixels) +
                                                               size_t(y) * surface->pitch);
        for (int x = 0; x < surface->w; x++) {
            Uint8 r, g, b;
            SDL_GetRGB(pixels[x], surface->format, &r, &g, &b);
            row[3 * x] = r;
            row[3 * x + 1] = g;
            row[3 * x + 2] = b;
        }
        png_write_row(png, row.data());
    }
    SDL_UnlockSurface(surface);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return fclose(file) == 0 ? 1 : 0;
}
