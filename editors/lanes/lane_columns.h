// The lane columns: one value per pixel column of a data lane's event area, built from the
// model (events, conductor records or automation points) as a step function. The lane tools
// draw into the same columns and write them back on release.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/memory/mac_types.h"
#include "song/events/seq_event.h"

// A column without a value (before a lane's first event).
constexpr int32_t kNoLaneValue = 32767;
// The time FillColumnsToEnd fills to.
constexpr int32_t kLaneRightEdgeTick = 0x7fffffff;

struct LaneColumns {
  std::vector<int32_t> values;     // what the lane shows while it is edited
  std::vector<int32_t> reference;  // the pitch-bend reference curve of the note view
  std::vector<uint8_t> channels;   // the MIDI channel of the event behind each value
  int32_t* target = nullptr;       // the array the builders write (normally values)
  int32_t count = 0;               // columns: the desktop width
  uint64_t leftSample = 0xFFFFFFFFull;  // the timeline's left position values was built for
  // What else values was built for: the zoom level, the left tick, the lane kind, the pane,
  // the track and the lane controller (a change of any makes the next edit rebuild).
  int16_t zoom = 0;
  int32_t leftTick = 0;
  int32_t kind = -1;
  int32_t pane = -1;
  int32_t track = -1;
  int32_t controller = 0;
};
extern LaneColumns gLaneColumns;

// Gives the buffer one column per pixel of the desktop width, reallocated when the width
// changed (target is moved along when it pointed into the buffer).
void SizeLaneColumns();
// Column index of x: x less the timeline's origin x, never below 0.
int32_t LaneColumnIndex(int32_t x);
// The value column index holds in the array (kNoLaneValue outside the columns).
int32_t LaneColumnValue(const int32_t* columns, int32_t index);
// The no-value limit of a lane kind: values at or above it are drawn as no value (the range
// R, one more in the plug-in parameter lane, whose values reach R).
int32_t GetLaneValueLimit(int32_t kind);
// The range values of a kind map to y with (the scale's range, the table range without one).
int32_t GetLaneMappingRange(int32_t kind);

// Writes value into the columns of target from first up to the column of tick (relative to
// the scale's left tick); channels too when target is values. Answers the end column (the
// next call's first); *atRight is set when the right edge was reached.
int32_t FillColumnsToTick(int32_t value, int32_t first, int32_t tick, uint8_t channel, bool* atRight);
// The same up to the column of a sample position at the timeline's rate (audio zoom levels).
int32_t FillColumnsToSample(int32_t value, int32_t first, uint64_t position, uint8_t channel, bool* atRight);
int32_t FillColumnsToEnd(int32_t value, int32_t first, uint8_t channel);

// Builds the columns of the lane kind of the current pane into gLaneColumns.target (the
// scale of the kind computed first by the caller, ComputeLaneScale).
OSErr BuildLaneColumns(int32_t kind);
// Rebuilds values when the timeline's left position is not the one they were built for.
void EnsureLaneColumnsCurrent();
// Makes the next edit rebuild the columns.
void ResetLaneDragState();
// Records the timeline's position and the lane in the column state (values stand for them).
void RecordLaneColumnState(int32_t kind);
// The pitch-bend curve of the current track into reference (the note view draws bends).
void BuildBendReferenceColumns();

// The builders by source (lane_builders, lane_point_builders); the point lanes are 8..12.
void BuildEventLaneColumns(int32_t kind);
void BuildVelocityLaneColumns();
void BuildConductorLaneColumns(int32_t kind);
void BuildPointLaneColumns(int32_t kind);
// Stable insertion sort of a point list's records by time (an unsorted list is repaired so).
void SortPointListByTime(Handle list);

// The bytes of the current track's event list (none without a track or a list).
struct LaneTrackEvents {
  const uint8_t* base = nullptr;
  uint32_t size = 0;
};
LaneTrackEvents GetLaneTrackEvents();
// Calls visit for each event up to the end record or a damaged record; visit answers false
// to stop.
template <typename Visit>
void WalkLaneTrackEvents(const LaneTrackEvents& events, Visit visit) {
  for (uint32_t at = 0; at + kShortEventSize <= events.size;) {
    const uint8_t* e = events.base + at;
    uint32_t length = SeqEventTime(e) == 0 ? 0 : SeqEventLengthWithin(e, events.size - at);
    if (length == 0 || !visit(e)) return;
    at += length;
  }
}
