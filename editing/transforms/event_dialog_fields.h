// The time and duration fields of the event dialogs: a time as bar, beat and tick (bar and
// beat from 1) or a decimal bar count, a duration as bars, beats and ticks, each clamped to
// the meter in force with a beep for a value outside its limits.
#pragma once

#include <cstdint>

#include "platform/windows/windows.h"

// Meter in force at a tick: beats per bar, ticks per beat and per bar (never 0).
struct EventMeter {
  int32_t beatsPerBar = 4;
  int32_t ticksPerBeat = 480;
  int32_t ticksPerBar = 1920;
};
EventMeter GetEventMeter(uint32_t tick);

// The three texts of a time or duration: whole bars (field 1 or 6), beats, ticks.
struct BarBeatTickText {
  const char* bars;
  const char* beats;
  const char* ticks;
};
// The time the texts give: "3.5" in the bar field is bar 3 and a half; a '.' in the beat field
// a decimal beat; otherwise the three numbers, each clamped (bar 1..9999, beat 1..beats per
// bar, tick 0..ticks per beat) with a beep. The tick (at least 1).
int32_t ReadTimeTexts(const BarBeatTickText& text, const EventMeter& meter);
// The duration the texts give (the decimal rule, the fractions truncated), clamped to 0..65535
// with a beep.
int32_t ReadDurationTexts(const BarBeatTickText& text, const EventMeter& meter);
// A value held within min..max; outside it a beep.
int32_t ClampFieldValue(int32_t value, int32_t min, int32_t max);

// Fields first, first + 1, first + 2 of the window as texts (into three buffers of 256).
BarBeatTickText ReadBarBeatTickFields(WindowRef window, int32_t first, char buffers[3][256]);
// The time split into fields first.. (bar and beat from 1), or the duration (from 0).
void WriteTimeFields(void* dialog, uint32_t tick, int32_t first);
void WriteDurationFields(void* dialog, int32_t duration, const EventMeter& meter, int32_t first);
