// Interim: the two routines of the classic dialog toolkit that the meter, key and tempo
// logic call, until the toolkit exists: clamping a typed value with a beep, and writing a
// note's letter and accidental.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// v inside lo..hi, otherwise SysBeep (2) and the nearer bound.
int32_t ClampOrBeep(int32_t lo, int32_t hi, int32_t v);

// Appends the letter and accidental of note in spelling style (0..5; above 5 counts as 0)
// to buffer, spelled for the key code of the conductor state (bit 0x40 flat key, low 6
// bits the key number). Returns buffer.
StringPtr AppendNoteLetters(StringPtr buffer, int32_t note, int32_t style);
