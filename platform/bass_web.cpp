// bass_web.cpp -- the audio stand-in's output in a web page: the modules handed to the page's sound worklet
//
// The page owns the Web Audio context (a browser starts one only after a click) and hands
// it over as Module.swayAudio; without it BASS_Init fails and the show runs silent, as on a
// desktop without a sound device. Where the browser has an AudioWorklet, a second instance
// of the mixer (bass_worklet.cpp) plays there, on the browser's audio thread, and every
// module change made here is repeated there: this instance decodes each module too, so
// BASS_MusicLoad answers exactly as on the desktop. Where it has none, the page falls
// back to queueing chunks mixed here, topped up by its own timer through bass_web_feed
// (web/sound.js has both outputs behind the one face this file calls).
#include "platform/bass.h"
#include "platform/bass_device.h"
#include "platform/bass_web.h"

#include <emscripten.h>

constexpr double QUEUE_AHEAD_MS = 400;    // the fallback's lead: rides out a stalled page for this long
constexpr int MAX_CHUNKS_PER_FEED = 20;   // one top-up never keeps the page longer than this

static int device_open = 0;
static int started = 0;
static int16_t chunk[BASS_PAGE_CHUNK_FRAMES * BASS_OUTPUT_CHANNELS];

// clang-format off
EM_JS(int, page_audio_open, (int rate), {
    return Module.swayAudio && Module.swayAudio.open(rate) ? 1 : 0;
});
EM_JS(void, page_audio_run, (int running), {
    Module.swayAudio.run(running !== 0);
});
EM_JS(void, page_audio_load, (int handle, const void* data, int size, int flags), {
    Module.swayAudio.load(handle, HEAPU8.subarray(data, data + size), flags);
});
EM_JS(void, page_audio_play, (int handle), {
    Module.swayAudio.play(handle);
});
EM_JS(void, page_audio_free, (int handle), {
    Module.swayAudio.free(handle);
});
EM_JS(double, page_audio_ahead_ms, (), {
    return Module.swayAudio.aheadMs();
});
EM_JS(void, page_audio_queue, (const int16_t* samples, int frames), {
    Module.swayAudio.queue(HEAP16.subarray(samples >> 1, (samples >> 1) + frames * 2), frames);
});
EM_JS(void, page_audio_close, (), {
    Module.swayAudio.close();
});
// clang-format on

// NOTE: a module loaded before BASS_Init has no page output to go to; it is decoded
// here only, as the desktop decodes it without a device.
void bass_device_module_loaded(HMUSIC handle, const void* data, size_t size, DWORD flags)
{
    if (device_open)
        page_audio_load(static_cast<int>(handle), data, static_cast<int>(size), static_cast<int>(flags));
}

void bass_device_module_playing(HMUSIC handle)
{
    if (device_open)
        page_audio_play(static_cast<int>(handle));
}

void bass_device_module_freed(HMUSIC handle)
{
    if (device_open)
        page_audio_free(static_cast<int>(handle));
}

BOOL BASS_Init(int device, DWORD freq, DWORD, void*)
{
    if (device_open || !bass_init_arguments_valid(device, freq))
        return 0;
    if (!page_audio_open(static_cast<int>(freq)))
        return 0;
    bass_set_mix_rate(static_cast<int>(freq));
    device_open = 1;
    return 1;
}

// Starts (1) or stops (0) the page's output; 0 when no device is open.
static BOOL run_output(int running)
{
    if (!device_open)
        return 0;
    started = running;
    page_audio_run(running);
    return 1;
}

BOOL BASS_Start()
{
    return run_output(1);
}

EMSCRIPTEN_KEEPALIVE extern "C" void bass_web_feed()
{
    if (!started)
        return;
    for (int i = 0; i < MAX_CHUNKS_PER_FEED && page_audio_ahead_ms() < QUEUE_AHEAD_MS; i++) {
        bass_mix(chunk, BASS_PAGE_CHUNK_FRAMES);
        page_audio_queue(chunk, BASS_PAGE_CHUNK_FRAMES);
    }
}

BOOL BASS_Stop()
{
    return run_output(0);
}

BOOL BASS_Free()
{
    if (!device_open)
        return 0;
    page_audio_close();
    device_open = 0;
    started = 0;
    bass_release_modules();
    return 1;
}
