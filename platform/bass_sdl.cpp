// bass_sdl.cpp -- the audio library stand-in: libopenmpt decodes the modules, SDL's audio callback mixes them
//
// Everything the callback reads (the module slots and the mixing rate) changes only under
// SDL_LockAudio, so loading, playing and freeing never race the mixer's thread. Decoding
// a module happens outside the lock; only the hand-over into its slot is locked.
#include "platform/bass.h"

#include "resources/xm_extent.h"

#include <SDL.h>
#include <libopenmpt/libopenmpt.h>
#include <cstring>

constexpr int DEFAULT_DEVICE = -1;
constexpr int FIRST_DEVICE = 1;        // the default device under its own number
constexpr int DEFAULT_RATE = 44100;
constexpr int OUTPUT_CHANNELS = 2;
constexpr Uint16 DEVICE_BUFFER_FRAMES = 1024; // about 23 ms at 44,100 Hz
constexpr int MODULE_SLOTS = 4;
constexpr size_t MIX_CHUNK_FRAMES = 1024;

struct module_slot {
    openmpt_module* module; // null: the slot is free
    int playing;
};

static module_slot slots[MODULE_SLOTS];
static int device_open = 0;
static int mix_rate = DEFAULT_RATE;
static int16_t mix_scratch[MIX_CHUNK_FRAMES * OUTPUT_CHANNELS]; // used under the audio lock only

static int16_t saturate(int value)
{
    return static_cast<int16_t>(value > 32767 ? 32767 : value < -32768 ? -32768 : value);
}

// Adds one module's next frames into out; returns 0 once the module has ended.
static int mix_module(openmpt_module* module, int16_t* out, size_t frames)
{
    while (frames > 0) {
        size_t chunk = frames < MIX_CHUNK_FRAMES ? frames : MIX_CHUNK_FRAMES;
        size_t got = openmpt_module_read_interleaved_stereo(module, mix_rate, chunk, mix_scratch);
        for (size_t i = 0; i < got * OUTPUT_CHANNELS; ++i)
            out[i] = saturate(out[i] + mix_scratch[i]);
        if (got < chunk)
            return 0;
        out += chunk * OUTPUT_CHANNELS;
        frames -= chunk;
    }
    return 1;
}

// The callback's work; the caller holds the audio lock.
static void mix_locked(int16_t* out, size_t frames)
{
    memset(out, 0, frames * OUTPUT_CHANNELS * sizeof(int16_t));
    for (module_slot& slot : slots) {
        if (slot.module && slot.playing && !mix_module(slot.module, out, frames))
            slot.playing = 0;
    }
}

static void audio_callback(void*, Uint8* stream, int length)
{
    // SDL holds the audio lock while it runs the callback.
    mix_locked(reinterpret_cast<int16_t*>(stream), static_cast<size_t>(length) / (OUTPUT_CHANNELS * sizeof(int16_t)));
}

int bass_mix_rate()
{
    return mix_rate;
}

void bass_mix(int16_t* out, size_t frames)
{
    SDL_LockAudio();
    mix_locked(out, frames);
    SDL_UnlockAudio();
}

// The slot a handle names, or null for a handle that names no loaded module.
static module_slot* slot_of(HMUSIC handle)
{
    if (handle == 0 || handle > MODULE_SLOTS || !slots[handle - 1].module)
        return nullptr;
    return &slots[handle - 1];
}

BOOL BASS_Init(int device, DWORD freq, DWORD, void*)
{
    if (device_open || (device != DEFAULT_DEVICE && device != FIRST_DEVICE))
        return 0;
    if (freq == 0 || freq > 192000)
        return 0;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0)
        return 0;
    SDL_AudioSpec desired;
    memset(&desired, 0, sizeof(desired));
    desired.freq = static_cast<int>(freq);
    desired.format = AUDIO_S16SYS;
    desired.channels = OUTPUT_CHANNELS;
    desired.samples = DEVICE_BUFFER_FRAMES;
    desired.callback = audio_callback;
    // No obtained format asked for: SDL then converts from exactly this format to whatever the device takes.
    if (SDL_OpenAudio(&desired, nullptr) < 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return 0;
    }
    // The device opens paused and the callback has not run, so no lock is needed yet.
    mix_rate = desired.freq;
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

// A module decoded from size bytes, or null; libopenmpt copies what it needs, so the
// bytes are not referred to after this call.
static openmpt_module* decode_module(const void* data, size_t size)
{
    return openmpt_module_create_from_memory2(data, size, openmpt_log_func_silent, nullptr, openmpt_error_func_ignore,
                                              nullptr, nullptr, nullptr, nullptr);
}

double bass_module_seconds(const void* data, size_t size)
{
    openmpt_module* module = decode_module(data, size);
    if (!module)
        return 0;
    double seconds = openmpt_module_get_duration_seconds(module);
    openmpt_module_destroy(module);
    return seconds;
}

HMUSIC BASS_MusicLoad(BOOL mem, const void* file, QWORD offset, DWORD length, DWORD flags)
{
    // Only modules in memory: nothing here reads files.
    if (!mem || !file || offset > XM_MAX_EXTENT)
        return 0;
    const unsigned char* data = static_cast<const unsigned char*>(file) + offset;
    // Length 0: the extent comes from the module's own headers, the only bytes read to find it.
    size_t size = length ? length : xm_extent(data, XM_MAX_EXTENT);
    if (size == 0)
        return 0;

    int free_slot = -1;
    for (int i = 0; i < MODULE_SLOTS && free_slot < 0; ++i) {
        if (!slots[i].module)
            free_slot = i;
    }
    if (free_slot < 0)
        return 0;
    openmpt_module* module = decode_module(data, size);
    if (!module)
        return 0;
    openmpt_module_set_repeat_count(module, (flags & BASS_SAMPLE_LOOP) ? -1 : 0);
    // No dither: its noise is seeded afresh for every module, so the same tune would never
    // mix to the same samples twice (and at 16 bits it is below hearing anyway).
    openmpt_module_ctl_set_integer(module, "dither", 0);

    SDL_LockAudio();
    slots[free_slot].module = module;
    slots[free_slot].playing = 0;
    SDL_UnlockAudio();
    return static_cast<HMUSIC>(free_slot + 1);
}

BOOL BASS_MusicPlay(HMUSIC handle)
{
    module_slot* slot = slot_of(handle);
    if (!slot)
        return 0;
    SDL_LockAudio();
    slot->playing = 1;
    SDL_UnlockAudio();
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

BOOL BASS_MusicFree(HMUSIC handle)
{
    module_slot* slot = slot_of(handle);
    if (!slot)
        return 0;
    SDL_LockAudio();
    openmpt_module* module = slot->module;
    slot->module = nullptr;
    slot->playing = 0;
    SDL_UnlockAudio();
    openmpt_module_destroy(module);
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
    for (module_slot& slot : slots) {
        if (slot.module)
            openmpt_module_destroy(slot.module);
        slot.module = nullptr;
        slot.playing = 0;
    }
    mix_rate = DEFAULT_RATE;
    return 1;
}
