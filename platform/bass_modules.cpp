// bass_modules.cpp -- the audio stand-in's modules: libopenmpt decodes them, and they are mixed here for any device
//
// Everything the mixer reads (the module slots and the mixing rate) changes only under
// the device lock, so loading, playing and freeing never race a device's own thread.
// Decoding a module happens outside the lock; only the hand-over into its slot is locked.
#include "platform/bass.h"
#include "platform/bass_device.h"

#include "resources/xm_extent.h"

#include <libopenmpt/libopenmpt.h>
#include <cstring>

constexpr int DEFAULT_DEVICE = -1;
constexpr int FIRST_DEVICE = 1; // the default device under its own number
constexpr DWORD MAX_RATE = 192000;
constexpr int MODULE_SLOTS = 4;
constexpr size_t MIX_CHUNK_FRAMES = 1024;

struct module_slot {
    openmpt_module* module; // null: the slot is free
    int playing;
};

static module_slot slots[MODULE_SLOTS];
static int mix_rate = BASS_DEFAULT_RATE;
static int16_t mix_scratch[MIX_CHUNK_FRAMES * BASS_OUTPUT_CHANNELS]; // used under the device lock only

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
        for (size_t i = 0; i < got * BASS_OUTPUT_CHANNELS; ++i)
            out[i] = saturate(out[i] + mix_scratch[i]);
        if (got < chunk)
            return 0;
        out += chunk * BASS_OUTPUT_CHANNELS;
        frames -= chunk;
    }
    return 1;
}

void bass_mix_locked(int16_t* out, size_t frames)
{
    memset(out, 0, frames * BASS_OUTPUT_CHANNELS * sizeof(int16_t));
    for (module_slot& slot : slots) {
        if (slot.module && slot.playing && !mix_module(slot.module, out, frames))
            slot.playing = 0;
    }
}

int bass_init_arguments_valid(int device, DWORD freq)
{
    return (device == DEFAULT_DEVICE || device == FIRST_DEVICE) && freq != 0 && freq <= MAX_RATE;
}

void bass_set_mix_rate(int rate)
{
    mix_rate = rate;
}

void bass_release_modules()
{
    for (module_slot& slot : slots) {
        if (slot.module)
            openmpt_module_destroy(slot.module);
        slot.module = nullptr;
        slot.playing = 0;
    }
    mix_rate = BASS_DEFAULT_RATE;
}

int bass_mix_rate()
{
    return mix_rate;
}

void bass_mix(int16_t* out, size_t frames)
{
    bass_device_lock();
    bass_mix_locked(out, frames);
    bass_device_unlock();
}

// The slot a handle names, or null for a handle that names no loaded module.
static module_slot* slot_of(HMUSIC handle)
{
    if (handle == 0 || handle > MODULE_SLOTS || !slots[handle - 1].module)
        return nullptr;
    return &slots[handle - 1];
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

    bass_device_lock();
    slots[free_slot].module = module;
    slots[free_slot].playing = 0;
    bass_device_unlock();
    HMUSIC handle = static_cast<HMUSIC>(free_slot + 1);
    bass_device_module_loaded(handle, data, size, flags);
    return handle;
}

BOOL BASS_MusicPlay(HMUSIC handle)
{
    module_slot* slot = slot_of(handle);
    if (!slot)
        return 0;
    bass_device_lock();
    slot->playing = 1;
    bass_device_unlock();
    bass_device_module_playing(handle);
    return 1;
}

BOOL BASS_MusicFree(HMUSIC handle)
{
    module_slot* slot = slot_of(handle);
    if (!slot)
        return 0;
    bass_device_lock();
    openmpt_module* module = slot->module;
    slot->module = nullptr;
    slot->playing = 0;
    bass_device_unlock();
    openmpt_module_destroy(module);
    bass_device_module_freed(handle);
    return 1;
}
