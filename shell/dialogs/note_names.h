// Note names as every note field of the program shows and reads them: a letter, an
// accidental spelled for the current key and a style, and an octave number whose offset is
// a display preference (middle C, note 60, is C3 by default and C4 with the preference).
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "song/model/key_codes.h"

// Returned by ParseNoteOrNumber for a text that names no note.
constexpr int32_t kNoNote = -1;
// Bit of gMidiPrefs: middle C is written in octave 4.
constexpr uint16_t kMidiPrefMiddleCOctave4 = 0x0004;

// 1 when the middle-C preference is set, else 2.
int32_t GetOctaveOffset();
// The letters and the octave (note / 12 - GetOctaveOffset) into buffer, or gStringBuffer when
// buffer is null. Notes outside 0..127 are held at the nearer end. Returns the string.
StringPtr MakeNoteName(StringPtr buffer, int32_t note, int32_t style);
// The pitch class (0..11) of the note name at the start of text; *rest gets the 1-based
// position behind the name and its accidentals, *kind the spelling style they stand for.
// Sets the typed-accidental bits of gTypedAccidental for '#' and 'b'. A first character
// other than a..g / A..G counts as C.
int32_t ParseNoteName(ConstStr255Param text, int32_t* rest, int32_t* kind);
// All digits: the number (kind 0). Otherwise the note name with an optional signed octave,
// folded into 0..127 by whole octaves. kNoNote for an empty text and for one that starts
// with neither a digit nor a note letter. kind may be null.
int32_t ParseNoteOrNumber(ConstStr255Param text, int32_t* kind);
