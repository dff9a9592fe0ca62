// bass_record.cpp -- the recording audio stand-in: logs each of the seven calls and answers as told
#include "platform/bass_record.h"

#include <cstdio>

constexpr HMUSIC DEFAULT_HANDLE = 7;

char bass_record_log[BASS_RECORD_CAPACITY][BASS_RECORD_TEXT];
int bass_record_count = 0;
BOOL bass_record_init_result = 1;
HMUSIC bass_record_load_result = DEFAULT_HANDLE;
BOOL bass_record_other_result = 1;

void bass_record_reset()
{
    bass_record_count = 0;
    bass_record_init_result = 1;
    bass_record_load_result = DEFAULT_HANDLE;
    bass_record_other_result = 1;
}

// The next log line to write, or null once the log is full.
static char* next_line()
{
    int index = bass_record_count++;
    return index < BASS_RECORD_CAPACITY ? bass_record_log[index] : nullptr;
}

BOOL BASS_Init(int device, DWORD freq, DWORD flags, void* win)
{
    if (char* line = next_line())
        snprintf(line, BASS_RECORD_TEXT, "BASS_Init(%d, %u, %u, %p)", device, freq, flags, win);
    return bass_record_init_result;
}

BOOL BASS_Start()
{
    if (char* line = next_line())
        snprintf(line, BASS_RECORD_TEXT, "BASS_Start()");
    return bass_record_other_result;
}

HMUSIC BASS_MusicLoad(BOOL mem, const void* file, QWORD offset, DWORD length, DWORD flags)
{
    if (char* line = next_line())
        snprintf(line, BASS_RECORD_TEXT, "BASS_MusicLoad(%d, %p, %llu, %u, %u)", mem, file,
                 static_cast<unsigned long long>(offset), length, flags);
    return bass_record_load_result;
}

BOOL BASS_MusicPlay(HMUSIC handle)
{
    if (char* line = next_line())
        snprintf(line, BASS_RECORD_TEXT, "BASS_MusicPlay(%u)", handle);
    return bass_record_other_result;
}

BOOL BASS_Stop()
{
    if (char* line = next_line())
        snprintf(line, BASS_RECORD_TEXT, "BASS_Stop()");
    return bass_record_other_result;
}

BOOL BASS_MusicFree(HMUSIC handle)
{
    if (char* line = next_line())
        snprintf(line, BASS_RECORD_TEXT, "BASS_MusicFree(%u)", handle);
    return bass_record_other_result;
}

BOOL BASS_Free()
{
    if (char* line = next_line())
        snprintf(line, BASS_RECORD_TEXT, "BASS_Free()");
    return bass_record_other_result;
}
