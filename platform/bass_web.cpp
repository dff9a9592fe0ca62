// bass_web.cpp -- the audio stand-in's output in a web page: modules mixed on the page's thread, played by Web Audio
//
// The page owns the Web Audio context (a browser starts one only after a click) and hands
// it over as Module.swayAudio; without it BASS_Init fails and the show runs silent, as on a
// desktop without a sound device. The mixing is bass_modules.cpp's, exactly as on the desktop.
#include "platform/bass.h"
#include "platform/bass_device.h"
#include "platform/bass_web.h"

#include <emscripten.h>

constexpr int MIX_CHUNK_FRAMES = 882;     // a fiftieth of a second at 44,100 Hz: one frame's sound
constexpr double QUEUE_AHEAD_MS = 100;    // enough to ride out a late frame or two
constexpr int MAX_CHUNKS_PER_FEED = 10;   // a frame never spends longer mixing than this

static int device_open = 0;
static int started = 0;
static int16_t chunk[MIX_CHUNK_FRAMES * BASS_OUTPUT_CHANNELS];

// clang-format off
EM_JS(int, page_audio_open, (int rate), {
    return Module.swayAudio && Module.swayAudio.open(rate) ? 1 : 0;
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

// One thread: nothing mixes while the show's own code runs.
void bass_device_lock()
{
}

void bass_device_unlock()
{
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

BOOL BASS_Start()
{
    if (!device_open)
        return 0;
    started = 1;
    return 1;
}

void bass_web_feed()
{
    if (!started)
        return;
    for (int i = 0; i < MAX_CHUNKS_PER_FEED && page_audio_ahead_ms() < QUEUE_AHEAD_MS; i++) {
        bass_mix(chunk, MIX_CHUNK_FRAMES);
        page_audio_queue(chunk, MIX_CHUNK_FRAMES);
    }
}

BOOL BASS_Stop()
{
    if (!device_open)
        return 0;
    started = 0;
    return 1;
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
