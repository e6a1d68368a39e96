// Writing a lane's columns back to the model: events of the track, conductor records or
// automation points, over the span of a rectangle's left and right.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// The columns from span.left up to span.right (not included) of the current lane kind back
// into the model; a failure is reported (ReportError) and returned.
OSErr ApplyLaneColumns(const Rect& span);
// MIDI lanes 0, 1, 3, 4 and 5: one 8-byte event per column whose value differs from the
// column before (the first column always counts when it has a value), after the lane's events
// in the span's ticks are deleted. The list grows first: when it cannot, nothing is deleted
// and the memory error is returned.
OSErr WriteLaneColumnsAsEvents(int32_t kind, int16_t left, int16_t right);
// Lane 2: each note starting inside the span takes the column value at its x as velocity.
void WriteVelocityColumns(int16_t left, int16_t right);
