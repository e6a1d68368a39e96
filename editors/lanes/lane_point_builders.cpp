// The lane columns of the automation lanes: the points of the focused rack's list for the
// lane's point kind and target, as a step function. Before the first point and where nothing
// was chased the columns hold no value (never a level or pan a writer could take for real).
// A list found out of time order is repaired in place: one beep and a stable sort.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "editors/automation/automation_points.h"
#include "editors/lanes/lane_columns.h"
#include "editors/lanes/lane_scale.h"
#include "editors/note_entry/note_pencil.h"
#include "editors/timeline/lane_values.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/system/sys_beep.h"
#include "song/conductor/sample_position.h"
#include "song/instruments/rack_automation_fields.h"

namespace {

constexpr short kRepairBeepTicks = 5;

uint8_t PointKindOfLane(int32_t kind) {
  switch (kind) {
    case kLaneVolumeAutomation: return 1;
    case kLanePanAutomation: return 2;
    case kLanePluginParameter: return 3;
    case kLaneControllerAutomation: return 4;
    case kLaneControllerAutomation2: return 5;
    default: return 0;
  }
}

bool LaneShowsPoint(int32_t kind, const AutomationPoint& p) {
  if (p.Kind() != PointKindOfLane(kind)) return false;
  if (kind == kLanePluginParameter) return p.PluginIndex() == kPanePluginIndex && p.Target() == gLaneController;
  if (kind == kLaneControllerAutomation || kind == kLaneControllerAutomation2) return p.Target() == gLaneController;
  return true;
}

int32_t PointLaneValue(int32_t kind, const AutomationPoint& p) {
  int32_t range = GetLaneMappingRange(kind);
  if (kind == kLanePluginParameter) {
    float v = p.Value();
    if (!(v >= 0.0f)) return 0;  // NaN and negatives read as the bottom
    return int32_t(std::fmin(std::trunc(v * float(range)), float(range)));
  }
  int32_t v = (kind == kLaneVolumeAutomation || kind == kLaneControllerAutomation) ? p.Level() : p.Pan();
  return std::clamp(v, 0, range - 1);
}

// The columns up to a point's time: its tick through the rack's rate at the tick zoom levels,
// its position at the timeline's rate at the audio levels.
int32_t FillToPoint(int32_t value, int32_t first, uint32_t time, float rackRate, bool* atRight) {
  if (gZoomLevel < 0) {
    uint64_t position = ConvertPositionRate(time, rackRate, GetTimelineSampleRate());
    return FillColumnsToSample(value, first, position, gNoteEntryChannel, atRight);
  }
  int32_t tick = int32_t(std::min<uint32_t>(SamplePositionToTick(time, rackRate), uint32_t(kLaneRightEdgeTick - 1)));
  return FillColumnsToTick(value, first, tick, gNoteEntryChannel, atRight);
}

AutomationPoint PointAt(Handle list, int32_t i) {
  AutomationPoint p;
  std::memcpy(p.bytes, PointRecordAt(list, i), sizeof p.bytes);
  return p;
}

void RepairUnsortedList(Handle rack, Handle list) {
  SysBeep(kRepairBeepTicks);
  SortPointListByTime(list);
  if (rack) RefreshAutomationPlayback(rack);
}

void BuildFromPoints(int32_t kind) {
  int32_t value = GetLaneValueLimit(kind), first = 0;
  AutomationListRef ref = GetFocusedAutomationListRef();
  Handle list = IsListRefEmpty(ref) ? Handle() : GetReferencedPointList(ref);
  int32_t count = list ? PointListEndIndex(list) : -1;
  float rate = ref.rack ? GetRackSampleRate(ref.rack) : GetTimelineSampleRate();
  bool atRight = false;
  uint32_t previous = 0;
  for (int32_t i = 0; i < count && !atRight; ++i) {
    AutomationPoint p = PointAt(list, i);
    if (p.Time() < previous) {
      RepairUnsortedList(ref.rack, list);
      break;
    }
    previous = p.Time();
    if (!LaneShowsPoint(kind, p)) continue;
    first = FillToPoint(value, first, p.Time(), rate, &atRight);
    value = PointLaneValue(kind, p);
  }
  if (!atRight) FillColumnsToEnd(value, first, gNoteEntryChannel);
}

}  // namespace

void BuildPointLaneColumns(int32_t kind) { BuildFromPoints(kind); }

void SortPointListByTime(Handle list) {
  int32_t count = list ? PointListEndIndex(list) : -1;
  for (int32_t i = 1; i < count; ++i) {
    AutomationPoint p = PointAt(list, i);
    int32_t j = i;
    for (; j > 0 && PointAt(list, j - 1).Time() > p.Time(); --j)
      std::memcpy(PointRecordAt(list, j), PointRecordAt(list, j - 1), sizeof p.bytes);
    std::memcpy(PointRecordAt(list, j), p.bytes, sizeof p.bytes);
  }
}
