// fuzz_bitmap.cpp -- fuzz target: the bitmap decoder on any bytes the disk fallback serves for a name the archive lacks
//
// Each input is written to a file of the working directory and read back by the store's
// disk fallback, exactly as a stand-in for a missing bitmap would be, then decoded. A
// decoded surface is compared pixel by pixel with the bytes it came from.
#include "common/little_endian.h"
#include "resources/bitmap.h"
#include "resources/store.h"

#include <SDL.h>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

static const char STAND_IN[] = "fuzz-stand-in.bmp"; // a name the archive does not hold

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // A private working directory, so that runs in parallel never share the stand-in.
    std::string dir = std::string(getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp") + "/swayboard-fuzz-bitmap-" +
                      std::to_string(getpid());
    if ((mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) || chdir(dir.c_str()) != 0)
        abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FILE* out = fopen(STAND_IN, "wb");
    if (!out)
        abort();
    if (size && fwrite(data, size, 1, out) != 1)
        abort();
    fclose(out);

    // The store would send this name to the disk; read it as the fallback does.
    uint32_t length = 0;
    unsigned char* bytes = read_disk_file(STAND_IN, &length);
    if (!bytes || length != size || bytes[length] != 0 || (size && memcmp(bytes, data, size) != 0))
        __builtin_trap();

    SDL_Surface* surface = decode_bitmap(bytes, length);
    if (surface) {
        // Accepted only with a positive size and every row present; then it holds exactly those pixels.
        if (length < 54)
            __builtin_trap();
        int32_t w = int32_t(read_le32(bytes + 18)), h = int32_t(read_le32(bytes + 22));
        uint64_t stride = (uint64_t(w) * 3 + 3) & ~uint64_t(3);
        if (w <= 0 || h <= 0 || surface->w != w || surface->h != h || 54 + stride * uint64_t(h) > length)
            __builtin_trap();
        const unsigned char* pixels = static_cast<const unsigned char*>(surface->pixels);
        for (int32_t y = 0; y < h; y++) {
            const unsigned char* row = pixels + size_t(surface->pitch) * size_t(y);
            const unsigned char* source = bytes + 54 + stride * uint64_t(h - 1 - y);
            for (int32_t x = 0; x < w; x++)
                if (row[4 * x] != source[3 * x + 2] || row[4 * x + 1] != source[3 * x + 1] ||
                    row[4 * x + 2] != source[3 * x])
                    __builtin_trap();
        }
        SDL_FreeSurface(surface);
    }
    // The intro keeps its disk buffers for good; here each one is done with.
    free(bytes);
    return 0;
}
