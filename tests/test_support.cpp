// test_support.cpp -- shared helpers for the tests: a headless show, pixel access, scratch surfaces
#include "tests/test_support.h"

#include "app/display.h"
#include "app/startup.h"
#include "effects/layout.h"
#include "resources/bitmap.h"

#include <cstdlib>
#include <filesystem>
#include <png.h>
#include <unistd.h>

int open_test_display()
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return 0;
    if (!load_images())
        return 0;
    return open_display(SCREEN_WIDTH, SCREEN_HEIGHT, 0);
}

void close_test_display()
{
    free_surfaces();
    SDL_Quit();
}

static Uint32* pixel_address(SDL_Surface* surface, int x, int y)
{
    return reinterpret_cast<Uint32*>(static_cast<Uint8*>(surface->pixels) + y * surface->pitch) + x;
}

Uint32 get_pixel(SDL_Surface* surface, int x, int y)
{
    SDL_LockSurface(surface);
    Uint32 value = *pixel_address(surface, x, y);
    SDL_UnlockSurface(surface);
    return value;
}

void put_pixel(SDL_Surface* surface, int x, int y, Uint32 value)
{
    SDL_LockSurface(surface);
    *pixel_address(surface, x, y) = value;
    SDL_UnlockSurface(surface);
}

uint32_t rgb_of(SDL_Surface* surface, Uint32 value)
{
    Uint8 r, g, b;
    SDL_GetRGB(value, surface->format, &r, &g, &b);
    return (uint32_t(r) << 16) | (uint32_t(g) << 8) | b;
}

uint32_t get_rgb(SDL_Surface* surface, int x, int y)
{
    return rgb_of(surface, get_pixel(surface, x, y));
}

SDL_Surface* make_test_surface(int width, int height, Uint32 value)
{
    SDL_Surface* surface = create_surface(SDL_SWSURFACE, width, height);
    if (surface)
        SDL_FillRect(surface, nullptr, value);
    return surface;
}

bool same_rgb(SDL_Surface* a, SDL_Surface* b, int x, int y, int w, int h)
{
    for (int row = y; row < y + h; row++)
        for (int col = x; col < x + w; col++)
            if (get_rgb(a, col, row) != get_rgb(b, col, row))
                return false;
    return true;
}

std::string make_scratch_dir(const char* name)
{
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("swayboard-" + std::string(name) + "-" + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

rgb_image read_png(const std::string& path)
{
    rgb_image image;
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str()))
        return image;
    png.format = PNG_FORMAT_RGB;
    image.rgb.resize(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, image.rgb.data(), 0, nullptr)) {
        image.rgb.clear();
        return image;
    }
    image.w = int(png.width);
    image.h = int(png.height);
    return image;
}
