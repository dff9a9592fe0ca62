// sound.cpp -- mixes the show's music offline through the intro's own audio stand-in, and writes WAV files
//
// The tune is started by music_start, the very call the intro makes, and mixed by bass_mix,
// the device callback's own work, so the sound is what the intro plays, sample for sample,
// with no device and no clock involved.
#include "recorder/sound.h"

#include "common/little_endian.h"
#include "music/music.h"
#include "platform/bass.h"
#include "recorder/output.h"

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

constexpr int WAV_PCM = 1;
constexpr int SAMPLE_BITS = 16;

static long long frames_total = 0;
static long long frames_given = 0;
static const char* wav_name = nullptr;
static FILE* wav_file = nullptr;
static int wav_failed = 0;
static int16_t frame_sound[SAMPLES_PER_FRAME * SOUND_CHANNELS];

long long sound_pass_frames()
{
    size_t extent = 0;
    const unsigned char* module = music_module(&extent);
    if (!module)
        return 0;
    double seconds = bass_module_seconds(module, extent);
    if (seconds <= 0)
        return 0;
    return static_cast<long long>(std::ceil(seconds * SHOW_RATE - 1e-6));
}

void wav_header(unsigned char out[WAV_HEADER_BYTES], long long frames)
{
    const uint32_t data_bytes = static_cast<uint32_t>(frames * static_cast<long long>(SOUND_FRAME_BYTES));
    const int block = SOUND_CHANNELS * SAMPLE_BITS / 8;
    memcpy(out, "RIFF", 4);
    write_le32(out + 4, data_bytes + WAV_HEADER_BYTES - 8);
    memcpy(out + 8, "WAVEfmt ", 8);
    write_le32(out + 16, 16); // the size of the format chunk that follows
    write_le16(out + 20, WAV_PCM);
    write_le16(out + 22, SOUND_CHANNELS);
    write_le32(out + 24, SOUND_RATE);
    write_le32(out + 28, SOUND_RATE * block);
    write_le16(out + 32, block);
    write_le16(out + 34, SAMPLE_BITS);
    memcpy(out + 36, "data", 4);
    write_le32(out + 40, data_bytes);
}

static int wav_write(const void* bytes, size_t size)
{
    if (!wav_failed && fwrite(bytes, 1, size, wav_file) != size) {
        fprintf(stderr, "swayboard-capture: cannot write %s: %s\n", part_path(wav_name).c_str(), strerror(errno));
        wav_failed = 1;
    }
    return !wav_failed;
}

int sound_open(long long frames, const char* wav_path)
{
    size_t extent = 0;
    const unsigned char* module = music_module(&extent);
    if (bass_mix_rate() != SOUND_RATE || !module || !music_start(module)) {
        fputs("swayboard-capture: the music could not be loaded\n", stderr);
        return 0;
    }
    frames_total = frames;
    frames_given = 0;
    wav_name = wav_path;
    wav_failed = 0;
    if (wav_path) {
        wav_file = fopen(part_path(wav_path).c_str(), "wb");
        if (!wav_file) {
            fprintf(stderr, "swayboard-capture: cannot create %s: %s\n", part_path(wav_path).c_str(), strerror(errno));
            music_close();
            return 0;
        }
        unsigned char header[WAV_HEADER_BYTES];
        wav_header(header, frames);
        wav_write(header, sizeof(header));
    }
    return 1;
}

const int16_t* sound_next_frame()
{
    if (frames_given == frames_total || wav_failed)
        return nullptr;
    bass_mix(frame_sound, SAMPLES_PER_FRAME);
    // The samples are native-endian; WAV and the encoder's pipe take little-endian.
    static_assert(std::endian::native == std::endian::little, "write the sound byte-swapped on this machine");
    if (wav_file && !wav_write(frame_sound, sizeof(frame_sound)))
        return nullptr;
    frames_given++;
    return frame_sound;
}

int sound_ok()
{
    return !wav_failed;
}

int sound_finish()
{
    while (sound_next_frame())
        ;
    music_close();
    if (!wav_file)
        return 1;
    int ok = !wav_failed && frames_given == frames_total;
    if (fclose(wav_file) != 0 && ok) {
        fprintf(stderr, "swayboard-capture: cannot write %s: %s\n", part_path(wav_name).c_str(), strerror(errno));
        ok = 0;
    }
    wav_file = nullptr;
    if (!ok) {
        part_discard(wav_name);
        return 0;
    }
    return part_commit(wav_name);
}

void sound_abort()
{
    music_close();
    if (wav_file) {
        fclose(wav_file);
        wav_file = nullptr;
        part_discard(wav_name);
    }
}
