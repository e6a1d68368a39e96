// The note readout box of the main editor's tool bar: the time, length, pitch and velocity of
// what is being placed, or the messages "Frozen!" and "Long note!".
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "platform/quickdraw/quickdraw_types.h"

// The end values that stand for the messages.
constexpr int32_t kReadoutFrozen = -1;
constexpr int32_t kReadoutLongNote = -2;
constexpr int32_t kNoReadoutEnd = 0;
constexpr int32_t kNoReadoutVelocity = -1;

// The lines of the box as composed from the values: the position line, the length line
// (empty without an end), the note name (empty for a value of 128 or more) and the velocity
// (empty below 0).
struct NoteReadoutText {
  Str255 position;
  Str255 length;
  Str255 noteName;
  Str255 velocity;
};

// The box's place in the tool bar, set by the window drawing; empty (hidden) while the tool bar
// is not shown.
extern Rect gNoteReadoutBox;
// The value and time the box showed last.
extern int32_t gReadoutLastValue;
extern int32_t gReadoutLastTime;
// The end the box was last asked to show (kReadoutFrozen and kReadoutLongNote: the messages).
extern int32_t gReadoutLastEnd;
// What the readout follows while the pointer moves; the same word is the axis of a note drag:
// 0 the pointer's time and pitch, 1 and 5 the pointer's time with the event template's pitch,
// 2 the template's time with the pointer's pitch.
extern int16_t gReadoutMode;

// The length end - time (at least 1) as bars, beats and ticks of the meter at time, counted
// from 0.
void FormatReadoutLength(int32_t time, int32_t end, StringPtr text);
void ComposeNoteReadout(int32_t time, int32_t value, int32_t end, int32_t velocity, NoteReadoutText* out);
// Draws the box in the main editor window (nothing while the box is hidden); the value is
// remembered.
void DrawNoteReadout(int32_t time, int32_t value, int32_t end, int32_t velocity);
// The idle readout: when the pointer moved over a pane, the time and pitch chosen by
// gReadoutMode (mode 0 the snapped time and the pitch under the pointer; 1 and 5 the snapped
// time and the event template's pitch; 2 the template's time and the pitch under the
// pointer). Outside the note views the pitch is not shown. Answers the value shown.
int32_t UpdateReadoutAtMouse();
// The readout of a data lane's value at y, shown after the time while the pointer is over a
// lane pane (that pane selected); nothing is shown without one.
using LaneReadoutProc = void (*)(int16_t y);
void SetLaneReadoutProc(LaneReadoutProc proc);
// The readout's message for a frozen track, which refuses note drawing.
void ShowFrozenReadout();
// The readout's message for a note whose duration word is 0 (a long note), which is not resized.
void ShowLongNoteReadout();
