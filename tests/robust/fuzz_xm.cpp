// fuzz_xm.cpp -- fuzz target: the XM extent reader and module loading, playing and freeing in the audio stand-in
//
// The extent reader must never read past the bytes it is given and never claim more than
// them. A module whose extent is proved within the input is then loaded the way the intro
// loads it (from memory with no length, so the reader walks the headers again unbounded),
// played for a moment and freed; any input is also loaded with its true length.
#include "platform/bass.h"
#include "resources/xm_extent.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

constexpr size_t MIX_FRAMES = 2048;
constexpr size_t TAIL = 64; // bytes of noise after a copy: must not change the proved extent

static int16_t mixed[MIX_FRAMES * 2];

static void play_briefly(HMUSIC handle)
{
    if (!handle)
        return;
    if (!BASS_MusicPlay(handle))
        __builtin_trap();
    bass_mix(mixed, MIX_FRAMES);
    if (!BASS_MusicFree(handle))
        __builtin_trap();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    size_t extent = xm_extent(data, size);
    if (extent > size)
        __builtin_trap();

    if (extent > 0) {
        // With more bytes available the walk reads the same fields and ends at the same place.
        std::vector<unsigned char> longer(data, data + size);
        longer.resize(size + TAIL, 0xFF);
        if (xm_extent(longer.data(), longer.size()) != extent)
            __builtin_trap();
        // As the intro calls it: length 0, the extent taken from the headers alone.
        play_briefly(BASS_MusicLoad(1, data, 0, 0, BASS_SAMPLE_LOOP));
    }
    // Any bytes with their true length: the decoder behind the stand-in must cope or refuse.
    if (size > 0)
        play_briefly(BASS_MusicLoad(1, data, 0, static_cast<DWORD>(size), 0));
    return 0;
}
