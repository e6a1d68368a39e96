// The lane columns: one value per pixel column of a data lane's event area, built from the
// model (events, conductor records or automation points) as a step function. The lane tools
// draw into the same columns and write them back on release.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/memory/mac_types.h"

// A column without a value (before a lane's first event).
constexpr int32_t kNoLaneValue = 32767;

struct LaneColumns {
  std::vector<int32_t> values;     // what the lane shows while it is edited
  std::vector<int32_t> reference;  // the pitch-bend reference curve of the note view
  std::vector<uint8_t> channels;   // the MIDI channel of the event behind each value
  int32_t* target = nullptr;       // the array the builders write (normally values)
  int32_t count = 0;               // columns: the desktop width
  uint64_t leftSample = 0xFFFFFFFFull;  // the timeline's left position values was built for
};
extern LaneColumns gLaneColumns;

// Column index of x: x less the timeline's origin x, never below 0.
int32_t LaneColumnIndex(int32_t x);
// Builds the columns of the lane kind of the current pane into gLaneColumns.target.
OSErr BuildLaneColumns(int32_t kind);
// Rebuilds values when the timeline's left position is not the one they were built for.
void EnsureLaneColumnsCurrent();
// Makes the next edit rebuild the columns.
void ResetLaneDragState();
// The pitch-bend curve of the current track into reference (the note view draws bends).
void BuildBendReferenceColumns();
