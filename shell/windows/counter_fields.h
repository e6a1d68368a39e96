// Typing a position into the counter: a click on a field of the bar:beat:tick or the time
// read-out opens a number field on it (dragging or typing changes the number), and its
// commit locates the song there and brings the editors to it. Tab opens the next field of the
// same read-out, Shift-Tab the previous one, both round. Main thread.
#pragma once

#include <cstdint>

#include "shell/dialogs/value_fields.h"

using CounterRectProc = void (*)();

// Opens a number field on the counter field that rectProc puts in gScratchRect (nothing
// while section mode is on); the read-outs leave it alone until its commit.
void EditCounterField(CounterRectProc rectProc, ValueChangeProc changeProc, int32_t minimum, int32_t maximum,
                      int32_t value, int32_t maxTextLength);
// The bar (1-9999), beat (1 to the meter's numerator) and tick (0 to the ticks of a bar)
// of the locate point.
void EditCounterBarField();
void EditCounterBeatField();
void EditCounterTickField();
// The clock's locate tick goes to the start of the clock's bar first.
void EditCounterBarFieldAtBarStart();
// The time read-out's hours (0-99), minutes and seconds (0-59) and frames (0 to the frames
// of a second - 1), from the clock's time code.
void EditTimeHoursField();
void EditTimeMinutesField();
void EditTimeSecondsField();
void EditTimeFramesField();
void SetTimeHoursFieldRect();
void SetTimeMinutesFieldRect();
void SetTimeSecondsFieldRect();
void SetTimeFramesFieldRect();
// Opens the first time field under gLastMousePoint (hours, minutes, seconds, frames); none:
// nothing.
void ClickTimeCounter();

void CommitCounterBarField(int32_t value);
void CommitCounterBeatField(int32_t value);
void CommitCounterTickField(int32_t value);
// The four time fields' shared commit: byte 0-3 of hours, minutes, seconds, frames.
void CommitTimeCounterField(int32_t value, int32_t fieldByte);

// The tick a typed bar, beat and tick stand for: the beat is held inside the bar's meter and
// the position inside the bar (a typed tick never spills into the next bar).
int32_t CounterPositionTick(int32_t bar, int32_t beat, int32_t tick);
// The tick a committed time code locates to: the song tick at its time from the song start
// offset (never before it, and never below tick 1).
int32_t CounterTimeTick(uint32_t subframes);
// Locates the song to (bar, beat, tick) and brings every visible editor and list to it.
void ShowPositionInEditor(int32_t bar, int32_t beat, int32_t tick);
