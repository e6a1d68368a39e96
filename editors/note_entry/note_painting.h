// Tool 6 paints notes with the mouse: while the button is held, notes appear under the pointer
// with lengths, velocities, timing and pitch steps drawn at random from the ranges of
// gNotePaintSettings. The whole painting is one undoable step.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

enum : uint8_t {
  kPaintNoScaleSteps = 0x01,
  kPaintSnapTimes = 0x02,
  kPaintWeightedLengths = 0x04,
  kPaintFixedStep = 0x08,
  kPaintHoldFirstTime = 0x10,
  kPaintDelayBits = 0x60,
};
enum : uint8_t { kPaintStopRequested = 0x01, kPaintFirstNotePending = 0x02 };
constexpr int32_t kPaintLengthSlots = 4;

struct PaintLengthSlot {
  uint16_t weight;  // percent
  uint16_t code;    // the length code in the high byte
};

struct NotePaintSettings {
  uint8_t flags = 0x3b;
  uint8_t state = 0x18;
  uint8_t conductorByte = 0;
  uint8_t scalePreset = 0;
  uint8_t maximumStep = 6;
  uint16_t velocityMinimum = 34;
  int16_t velocityMaximum = 127;
  uint16_t lengthMinimum = 96;
  int16_t lengthMaximum = 384;
  uint16_t timeJitter = 6;
  PaintLengthSlot lengths[kPaintLengthSlots] = {{100, 0x0180}, {0, 0}, {0, 0}, {0, 0}};
  int32_t startSpread = 384;
};
extern NotePaintSettings gNotePaintSettings;

// Ticks of the system clock between painted notes: (flags >> 1) & 0x30.
int32_t PaintDelayTicks();
// A length from the weighted table (the note value past its end).
int32_t PickPaintNoteLength();
// A value in lo..hi (the bounds in either order).
int32_t RandomInRange(int32_t lo, int32_t hi);
// pitch moved by steps of the major scale (negative: down), folded into 0..127 by octaves.
int32_t TransposeByScaleSteps(int32_t pitch, int32_t steps);
// Paints at the window point of the current pane until the button is released; answers the
// number of notes painted.
int32_t PaintNotes(Point where);
