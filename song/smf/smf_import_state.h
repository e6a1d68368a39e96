// The state a Standard MIDI File import keeps between its steps, and its result codes.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Application result codes of the import (positive: the program's own messages).
constexpr OSErr kSmfNotMidiFileErr = 43;    // no 'MThd' chunk: not a Standard MIDI File
constexpr OSErr kSmfMissingTrackErr = 71;   // a track chunk is missing or cut short
constexpr OSErr kSmfHeaderLengthErr = 80;   // the 'MThd' chunk is shorter than 6 bytes
constexpr OSErr kSmfUnknownFormatErr = 81;  // a format other than 0, 1 and 2
constexpr OSErr kSmfZeroDivisionErr = 82;   // zero ticks per quarter note
constexpr OSErr kSmfHeaderCutShortErr = 88; // the 'MThd' chunk runs past the end of the file
constexpr int32_t kSmfTracksLeftOutMessage = 83;

extern Handle gSmfChunk;            // the chunk loaded last (locked), or null
extern uint16_t gSmfFormat;         // the header's format
extern uint8_t gSmfSmpteTiming;     // the division counts time-code frames
extern int32_t gSmfDivision;        // ticks per quarter note of the file (at least 1)
extern int32_t gSmfTracksLeftOut;   // tracks the header counts beyond those a song takes
extern uint8_t gSmfOpenKind;        // the open-kind byte of the dispatcher
extern uint8_t gSmfFallBackToMovie; // 1: a file that is not a MIDI file may be opened as a movie

// Frees the loaded chunk; the open-kind byte 0, the fall-back byte 1.
void ResetSmfImportState();
