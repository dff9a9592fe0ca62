// music.cpp -- plays the embedded tracker module in a loop for the life of the show
#include "music/music.h"

#include "platform/bass.h"
#include "resources/store.h"
#include "resources/xm_extent.h"

constexpr int OUTPUT_DEVICE = -1;     // the default output device
constexpr DWORD OUTPUT_RATE = 44100;  // Hz
constexpr DWORD INIT_FLAGS = 16;
constexpr DWORD MODULE_FLAGS = BASS_SAMPLE_LOOP;

static const char MODULE_NAME[] = "ormivaara.xm"; // in the archive, or on disk beside it

uint32_t music_handle = 0;

const unsigned char* music_module(size_t* extent)
{
    uint32_t size = 0;
    const unsigned char* module = load_resource(MODULE_NAME, &size);
    size_t length = module ? xm_extent(module, size) : 0;
    if (extent)
        *extent = length;
    return length ? module : nullptr;
}

int music_open()
{
    if (!BASS_Init(OUTPUT_DEVICE, OUTPUT_RATE, INIT_FLAGS, nullptr))
        return 0;
    BASS_Start();
    return 1;
}

int music_start(const void* module)
{
    if (!module)
        return 0;
    // Length 0: the library takes the module's extent from its own headers.
    music_handle = BASS_MusicLoad(1, module, 0, 0, MODULE_FLAGS);
    if (!music_handle)
        return 0;
    BASS_MusicPlay(music_handle);
    return 1;
}

void music_close()
{
    // NOTE: with no module loaded the device (if open) is left to the process's end.
    if (!music_handle)
        return;
    BASS_Stop();
    BASS_MusicFree(music_handle);
    music_handle = 0;
    BASS_Free();
}
