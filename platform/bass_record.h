// bass_record.h -- the recording audio stand-in: a log of the calls made and results a test sets
#pragma once

#include "platform/bass.h"

constexpr int BASS_RECORD_CAPACITY = 32;  // calls beyond this are counted but not logged
constexpr int BASS_RECORD_TEXT = 96;

// Each logged call as text, e.g. "BASS_MusicLoad(1, 0x5581c0, 0, 0, 4)"; pointers print with %p
// ("(nil)" for null), so a test formats the line it expects the same way.
extern char bass_record_log[BASS_RECORD_CAPACITY][BASS_RECORD_TEXT];
extern int bass_record_count;

// What the next calls answer; bass_record_reset puts every one back to success.
extern BOOL bass_record_init_result;    // BASS_Init
extern HMUSIC bass_record_load_result;  // BASS_MusicLoad (0 rejects the module)
extern BOOL bass_record_other_result;   // the five other calls

// Clears the log and restores the default results (init 1, load handle 7, others 1).
void bass_record_reset();
