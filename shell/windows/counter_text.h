// The counter's images and comparisons: digits drawn as 'BYBM' bitmaps, the key-signature
// accidentals on their small staff, the band the meter's digits are clipped to, and the
// tolerance by which a time code counts as changed. Main thread, in the current port.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

// 'BYBM' ids: the meter digits 0-9 (12 high, blank cells 9 wide), the sharp (13 high) and
// the flat (16 high).
constexpr int16_t kCounterDigitBitmaps = 170;
constexpr int16_t kCounterDigitHeight = 12;
constexpr int16_t kCounterDigitBlankWidth = 9;
constexpr int16_t kSharpBitmap = 160, kSharpHeight = 13;
constexpr int16_t kFlatBitmap = 161, kFlatHeight = 16;
// A character that erases one blank cell instead of drawing a digit.
constexpr uint8_t kCounterBlankChar = 202;

// The key-signature pen: where the next accidental goes (the spacing after each one is
// gAccidentalSpacing, set by SetCounterDigitSpacing of shell/base/counter_digits.h).
extern int32_t gKeySignaturePenX;

// Draws text one bitmap a character (id = baseId + the digit), each with its bottom on the
// pen's line, the pen moving right by the bitmap's width; the blank character erases a cell
// blankWidth wide and height high. mode: the bitmap drawing mode (0 paints the set bits).
// The pen is left behind the last cell.
void DrawCounterDigits(Point pen, ConstStr255Param text, int16_t baseId, int16_t height, int16_t blankWidth,
                       int16_t mode);
// n with the meter digits, from the pen.
void DrawCounterNumber(int32_t n);
// Clips the current port to the band that starts at edge (rightwards and downwards,
// 1,000 pixels each way).
void ClipToCounterBand(int16_t edge);
// Two 8-byte time-code records (bytes 4-7: hours, minutes, seconds, frames) differ: hours and
// minutes as one 16-bit word, or seconds, or frames by more than threshold.
bool PositionChanged(const uint8_t* a, const uint8_t* b, int32_t threshold);

// One accidental of a key signature: its bitmap, its staff step (0-6 for D, C, B, A, G, F,
// E), and where its bottom left corner goes.
struct KeyGlyph {
  int16_t bitmap = 0;
  int16_t step = 0;
  int16_t left = 0;
  int16_t bottom = 0;
};
// The staff baselines of steps 0-6, from the top of the panel.
constexpr int16_t kStaffBaselines[7] = {18, 20, 23, 26, 28, 13, 15};
// Lays out the accidentals of key code key from x left: sharps (count = place) or, with the
// flats bit 0x40, flats (count = 12 - place); never more than 7, none for place 0. Sets the
// spacing; returns the count.
int32_t LayoutKeySignature(uint8_t key, int16_t left, KeyGlyph out[7]);
// Draws them through their own masks; the key-signature pen ends behind the last one.
void DrawKeySignature(uint8_t key, int16_t left);
// The meter's left edge: 48 when the numerator has two digits and the denominator one,
// else 52.
int16_t MeterNumeratorLeft(int32_t numerator, int32_t denominator);
