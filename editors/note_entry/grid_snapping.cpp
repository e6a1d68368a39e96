#include "editors/note_entry/grid_snapping.h"

#include <algorithm>

#include "editors/note_entry/note_values.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/events/classic_events.h"
#include "shell/base/arithmetic.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/timebase.h"

uint8_t gSwingPercent = 50;
int32_t gGridOriginTick = 0;
int16_t gSnapSwitch = 1;

namespace {

constexpr int32_t kNoSwing = 50;
// The triplet entries of the note-length table, whole to sixteenth.
constexpr int kTripletEntries[] = {2, 5, 8, 11, 14};

}  // namespace

int32_t QuantizeToGrid(int32_t time, int32_t grid, bool nearest, int32_t swing, int32_t* step) {
  if (step) *step = 0;
  if (grid <= 0) return time;
  int32_t bar = 0, offset = 0;
  TickToBarAndOffset(time, &bar, &offset);
  int64_t barTick = int64_t(time) - offset;
  int32_t n = nearest ? int32_t((int64_t(offset) + grid / 2) / grid) : offset / grid;
  int64_t snapped = int64_t(n) * grid;
  if (n & 1) snapped += MulDivRound(2 * grid, swing, 100) - grid;
  // A bar that is not a whole number of steps: rounding up past its end lands on the next
  // bar line, where the next bar's steps begin.
  int64_t barLength = int64_t(BarToTick(bar + 1)) - BarToTick(bar);
  if (barLength > 0 && snapped > barLength) snapped = barLength;
  if (step) *step = n;
  return int32_t(std::clamp<int64_t>(barTick + snapped, INT32_MIN, INT32_MAX));
}

int32_t SwingForGrid(int32_t grid) {
  if (gSwingPercent == 0 || grid >= gTicksPerQuarter) return kNoSwing;
  for (int entry : kTripletEntries)
    if (grid == gNoteValueTicks[entry]) return kNoSwing;
  return gSwingPercent;
}

int32_t SnapTimeToGrid(int32_t time, int32_t grid, bool snap, bool nearest, int32_t* step) {
  if (step) *step = 0;
  if (grid == 0) grid = GetSnapGrid();
  time = std::max(time, 1);
  if (!snap || grid <= 0) return time;
  int32_t local = std::max(time - gGridOriginTick, 1);
  return ClampToTickRange(int64_t(QuantizeToGrid(local, grid, nearest, SwingForGrid(grid), step)) + gGridOriginTick);
}

int32_t SwingOffset(int32_t time, int32_t swing) {
  int32_t value = GetNoteValue();
  if (swing == 0 || swing == kNoSwing) return value;
  int32_t next = QuantizeToGrid(ClampToTickRange(int64_t(time) + value - 1), value, true, swing, nullptr);
  return int32_t(std::clamp<int64_t>(int64_t(next) - time, 1, INT32_MAX));
}

int32_t SnappedTimeAtX(int32_t x) { return SnapTimeToGrid(XToTime(x), 0, gSnapSwitch != 0, true, nullptr); }

int32_t SnappedTimeAtMouse(int32_t dragOffsetX) {
  Point mouse;
  GetMouse(&mouse);
  return SnappedTimeAtX(int32_t(mouse.h) - dragOffsetX);
}
