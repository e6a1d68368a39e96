// The number fields of the main editor's tool bar and the audio status lines to its right.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

constexpr int16_t kStateIconSize = 12;
constexpr int16_t kStateIconColumn = 13;
constexpr int16_t kProgramFieldLeft = 327;
constexpr int16_t kFieldTextLeft = 349;
constexpr int16_t kInstrumentNumbersLeft = 487;
constexpr int16_t kStatusLinesGap = 30;
constexpr int32_t kMaxStatusLines = 3;

// n in decimal padded with '0' to width digits, at the pen.
void DrawPaddedNumber(int32_t n, int16_t width);
// n in decimal against the right edge of rect, on its bottom line less the descent.
void DrawNumberRightInRect(int32_t n, const Rect& rect);

// The cell of the state icon of grid-word bit (8..11).
Rect GetStateIconRect(int32_t bit);
// The fields of the current pane's track: the state icons of the grid word, the program and
// patch fields, the channel, swing and instrument numbers, in the note, drum and audio views
// the note value's name, its ticks, the note length percentage, the velocity and the grid
// value and, for a track that plays through its instrument, the instrument's volume and pan.
void DrawToolbarFields(bool realTime);
// True when the current track plays through its instrument (the volume and pan fields show).
bool TrackPlaysInstrument();
// The record of the current track's first instrument, null without one.
uint8_t* GetFieldInstrumentRecord();
// The text of the program field: the instrument's program as shown, "" without one.
void GetProgramFieldText(Str255 text);
// The text of the patch field: the track's program padded to 3 digits, "" without one.
void GetPatchFieldText(Str255 text);

// The audio status word with its frozen-track bit as the shown track has it.
uint16_t GetShownAudioStatus();
// Up to three lines: "Warning:" in bold red, then the texts of the set bits in bit order.
void DrawAudioStatusLines();
// The status text of bit k (0..4).
ConstStringPtr GetAudioStatusText(int32_t bit);
