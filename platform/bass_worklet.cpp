// bass_worklet.cpp -- the audio stand-in's output in the page's sound worklet: the mixer fills each render quantum
//
// Built into a small module of its own (swayboard-sound.wasm) that web/sound_worklet.js
// runs on the browser's audio thread. The page's instance (bass_web.cpp) sends it each
// module change; the processor calls the functions below between and during render
// quanta, on that one thread, so nothing here is locked.
#include "platform/bass.h"
#include "platform/bass_device.h"

#include <emscripten.h>
#include <cstdlib>

// Web Audio renders 128 frames at a time; a browser that asks for more is served in parts.
constexpr int MAX_RENDER_FRAMES = 1024;
constexpr float SAMPLE_SCALE = 1.0f / 32768; // exact: a 16-bit sample is exactly a float

// Quanta are served from chunks mixed as the recorder mixes them (bass_device.h).
static int16_t mixed[BASS_PAGE_CHUNK_FRAMES * BASS_OUTPUT_CHANNELS];
static int mixed_used = BASS_PAGE_CHUNK_FRAMES; // frames of mixed already served
static float rendered[MAX_RENDER_FRAMES * BASS_OUTPUT_CHANNELS]; // left channel, then right

// The modules are mixed right here: nothing to hand on.
void bass_device_module_loaded(HMUSIC, const void*, size_t, DWORD)
{
}

void bass_device_module_playing(HMUSIC)
{
}

void bass_device_module_freed(HMUSIC)
{
}

extern "C" {

// Mixes at rate Hz from now on; 0 for a rate no device would open.
EMSCRIPTEN_KEEPALIVE int worklet_open(int rate)
{
    if (rate <= 0 || !bass_init_arguments_valid(-1, static_cast<DWORD>(rate)))
        return 0;
    bass_set_mix_rate(rate);
    return 1;
}

// Room for a module's size bytes, for the processor to copy them into; null when memory is short.
EMSCRIPTEN_KEEPALIVE void* worklet_module_room(int size)
{
    return size > 0 ? malloc(static_cast<size_t>(size)) : nullptr;
}

// Decodes the module copied into room (and releases room): its handle here, or 0.
EMSCRIPTEN_KEEPALIVE int worklet_load(void* room, int size, int flags)
{
    HMUSIC handle = BASS_MusicLoad(1, room, 0, static_cast<DWORD>(size), static_cast<DWORD>(flags));
    free(room); // libopenmpt keeps its own copy of what it needs
    return static_cast<int>(handle);
}

// Plays from the next quantum on: what is left of the current chunk (silence before the
// first module) is dropped.
EMSCRIPTEN_KEEPALIVE int worklet_play(int handle)
{
    mixed_used = BASS_PAGE_CHUNK_FRAMES;
    return BASS_MusicPlay(static_cast<HMUSIC>(handle));
}

EMSCRIPTEN_KEEPALIVE int worklet_free(int handle)
{
    return BASS_MusicFree(static_cast<HMUSIC>(handle));
}

// The next frames (at most MAX_RENDER_FRAMES) of every playing module, as floats: frames
// left samples followed by frames right ones, at the returned address.
EMSCRIPTEN_KEEPALIVE float* worklet_render(int frames)
{
    if (frames > MAX_RENDER_FRAMES)
        frames = MAX_RENDER_FRAMES;
    for (int i = 0; i < frames; i++, mixed_used++) {
        if (mixed_used == BASS_PAGE_CHUNK_FRAMES) {
            bass_mix(mixed, BASS_PAGE_CHUNK_FRAMES);
            mixed_used = 0;
        }
        rendered[i] = mixed[2 * mixed_used] * SAMPLE_SCALE;
        rendered[frames + i] = mixed[2 * mixed_used + 1] * SAMPLE_SCALE;
    }
    return rendered;
}

EMSCRIPTEN_KEEPALIVE int worklet_max_frames()
{
    return MAX_RENDER_FRAMES;
}
}
