// Key codes and the spelling of pitches.
//
// A key code is one byte: bits 0..5 the key's place on the circle of fifths, 0..11
// (0 C, 1 G, 2 D, 3 A, 4 E, 5 B, 6 F sharp, 7 C sharp, 8 A flat, 9 E flat, 10 B flat,
// 11 F; a minor key takes the place of its relative major); places 0..7 are that many
// sharps, places 8..11 are 12 - place flats. Bit 6 (0x40): spell with flats (set by default
// for places 8..11). Bit 7 (0x80): minor.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr uint8_t kKeyPlaceMask = 0x3f;
constexpr uint8_t kKeyFlats = 0x40;
constexpr uint8_t kKeyMinor = 0x80;
constexpr int32_t kKeyPlaces = 12;
constexpr uint16_t kKeySpellingMinor = 0x200;
constexpr uint8_t kTypedFlat = 0x01;
constexpr uint8_t kTypedSharp = 0x02;
constexpr int16_t kKeyModeStrList = 142;  // item 1 major, 2 minor

// Place on the circle of fifths of each pitch class (pitch class x 7 modulo 12).
extern const uint8_t gFifthsOfPitchClass[12];
// Bit 0x200: the key being entered is minor.
extern uint16_t gKeySpellingFlags;
// Set by the note-name parser: bit 0 a flat was typed, bit 1 a sharp.
extern uint8_t gTypedAccidental;

inline int32_t KeyPlace(uint8_t code) { return code & kKeyPlaceMask; }
inline bool IsMinorKey(uint8_t code) { return (code & kKeyMinor) != 0; }
// Sharps as a positive count, flats as a negative one (0 for C and places above 11).
int32_t KeyAccidentals(uint8_t code);
// The key code of a signature with n sharps (n > 0) or -n flats (n < 0), n in -7..7 (other
// counts give C); minor sets bit 7.
uint8_t KeyCodeFromAccidentals(int32_t n, bool minor);

// The key code of a major key (minor with the spelling flag) whose tonic is pitch.
uint8_t SpellPitchClass(int32_t pitch);
// The pitch named as the tonic of a major key, in gStringBuffer.
StringPtr PitchName(int32_t pitch);
// Bit 0x200 of gKeySpellingFlags = bit 7 of the conductor state's key.
void SetMinorFlagFromKey();
// Item n of STR# 142 (1 major, 2 minor) in gStringBuffer; GetKeyModeText by the minor flag.
StringPtr GetMajorMinorText(int16_t n);
StringPtr GetKeyModeText();

// Spelling styles: 0 by the key, 1 sharp, 2 flat, 3 by the key, 4 double sharp, 5 double flat.
enum : int32_t {
  kSpellByKey = 0,
  kSpellSharp = 1,
  kSpellFlat = 2,
  kSpellDoubleSharp = 4,
  kSpellDoubleFlat = 5,
};
// Appends the letter and accidental of note in the style (above 5 counts as 0) to buffer,
// spelled for the key code of the conductor state (bit 0x40 flat key, low 6 bits the key
// number). Returns buffer.
StringPtr AppendNoteLetters(StringPtr buffer, int32_t note, int32_t style);
