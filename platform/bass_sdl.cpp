// bass_sdl.cpp -- the audio stand-in's output on the desktop: SDL's audio callback mixes the modules
//
// The callback runs on SDL's own thread under SDL_LockAudio, which is the device lock
// bass_modules.cpp takes around every change the mixer may see.
#include "platform/bass.h"
#include "platform/bass_device.h"

#include <SDL.h>
#include <cstring>

constexpr Uint16 DEVICE_BUFFER_FRAMES = 1024; // about 23 ms at 44,100 Hz

static int device_open = 0;

void bass_device_lock()
{
    SDL_LockAudio();
}

void bass_device_unlock()
{
    SDL_UnlockAudio();
}

// SDL's thread mixes the modules where they are: nothing to hand on.
void bass_device_module_loaded(HMUSIC, const void*, size_t, DWORD)
{
}

void bass_device_module_playing(HMUSIC)
{
}

void bass_device_module_freed(HMUSIC)
{
}

static void audio_callback(void*, Uint8* stream, int length)
{
    // SDL holds the audio lock while it runs the callback.
    bass_mix_locked(reinterpret_cast<int16_t*>(stream),
                    static_cast<size_t>(length) / (BASS_OUTPUT_CHANNELS * sizeof(int16_t)));
}

BOOL BASS_Init(int device, DWORD freq, DWORD, void*)
{
    if (device_open || !bass_init_arguments_valid(device, freq))
        return 0;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0)
        return 0;
    SDL_AudioSpec desired;
    memset(&desired, 0, sizeof(desired));
    desired.freq = static_cast<int>(freq);
    desired.format = AUDIO_S16SYS;
    desired.channels = BASS_OUTPUT_CHANNELS;
    desired.samples = DEVICE_BUFFER_FRAMES;
    desired.callback = audio_callback;
    // No obtained format asked for: SDL then converts from exactly this format to whatever the device takes.
    if (SDL_OpenAudio(&desired, nullptr) < 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return 0;
    }
    // The device opens paused and the callback has not run, so no lock is needed yet.
    bass_set_mix_rate(desired.freq);
    device_open = 1;
    return 1;
}

BOOL BASS_Start()
{
    if (!device_open)
        return 0;
    SDL_PauseAudio(0);
    return 1;
}

BOOL BASS_Stop()
{
    if (!device_open)
        return 0;
    // Once this returns the callback is not running and will not run until the next start.
    SDL_PauseAudio(1);
    return 1;
}

BOOL BASS_Free()
{
    if (!device_open)
        return 0;
    SDL_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    device_open = 0;
    // The callback is gone: modules left loaded are released without the lock.
    bass_release_modules();
    return 1;
}
