#include "editors/lanes/lane_automation_writers.h"

#include <algorithm>
#include <cmath>

#include "audio/engine/automation_records.h"
#include "editors/automation/automation_points.h"
#include "editors/lanes/lane_columns.h"
#include "editors/lanes/lane_scale.h"
#include "editors/timeline/lane_values.h"
#include "editors/automation/automation_playback.h"
#include "editors/timeline/timeline_axis.h"
#include "shell/base/busy_cursor.h"
#include "shell/base/error_report.h"
#include "song/conductor/sample_position.h"
#include "song/instruments/rack_automation_fields.h"
#include "song/model/track_length.h"
#include "song/model/window_redraw.h"

namespace {

constexpr float kNoParameterValue = -1.0f;
constexpr int32_t kNoMixValue = -1;
constexpr int32_t kIndexedParameterKind = 1;

// The rack a lane writes into and its list reference; false when there is none.
bool TakeLaneRack(Handle* rack, AutomationListRef* ref) {
  *rack = GetLaneRackHandle();
  if (!*rack || !RackHasAutomationFields(*rack)) return false;
  *ref = AutomationListRef{*rack};
  return true;
}

// The sample position of a column's x: the timeline's own at the audio zoom levels, else the
// position of its tick at the rack's rate.
uint64_t ColumnPosition(int32_t x, float rackRate) {
  // At the audio levels x is a position at the timeline's rate; the rack counts at its own.
  if (gZoomLevel < 0) return ConvertPositionRate(XToSamplePositionAudio(x), GetTimelineSampleRate(), rackRate);
  return uint64_t(std::max<int64_t>(TickToSamplePosition(XToTime(x), rackRate), 0));
}

// The value of the column at x; false for an x outside the columns.
bool ColumnValue(int32_t x, int32_t* value) {
  int32_t i = LaneColumnIndex(x);
  if (i < 0 || size_t(i) >= gLaneColumns.values.size()) return false;
  *value = gLaneColumns.values[size_t(i)];
  return true;
}

uint8_t MixLanePointKind(int32_t kind) { return uint8_t(kind - kLaneVolumeAutomation + 1); }

uint32_t MixLaneCutMask(int32_t kind) {
  switch (kind) {
    case kLaneVolumeAutomation: return kVolumeLaneCutMask;
    case kLanePanAutomation: return kPanLaneCutMask;
    case kLaneControllerAutomation: return kSendLevelLaneCutMask;
    default: return kSendPanLaneCutMask;
  }
}

bool IsMixLane(int32_t kind) {
  return kind == kLaneVolumeAutomation || kind == kLanePanAutomation || kind == kLaneControllerAutomation ||
         kind == kLaneControllerAutomation2;
}

bool IsLevelLane(int32_t kind) { return kind == kLaneVolumeAutomation || kind == kLaneControllerAutomation; }

// The value of the lane's target in force just before the position (the engine's chase; a
// point at the position itself is about to be cut), -1 for none.
int32_t ChasedMixValue(Handle list, int32_t kind, uint64_t position) {
  int32_t volume = kNoMixValue, pan = kNoMixValue;
  int32_t levels[kAutomationSends], pans[kAutomationSends];
  if (!list || position == 0) return kNoMixValue;
  ChaseAutomationState(list, position - 1, &volume, &pan, levels, pans, nullptr);
  bool busOk = gLaneController >= 0 && gLaneController < kAutomationSends;
  switch (kind) {
    case kLaneVolumeAutomation: return volume;
    case kLanePanAutomation: return pan;
    case kLaneControllerAutomation: return busOk ? levels[gLaneController] : kNoMixValue;
    default: return busOk ? pans[gLaneController] : kNoMixValue;
  }
}

// The lane's points of the target in [start, end) go; a rack without a list has none.
void CutLaneSpan(const AutomationListRef& ref, uint64_t start, uint64_t end, uint32_t mask, int32_t plugin) {
  if (Handle list = GetReferencedPointList(ref)) CutPointListRange(list, start, end, false, mask, plugin);
}

// After a lane's points changed: the engine plays the new list, the song end and every window
// follow; a failure is reported once the redraw is asked for.
OSErr FinishLaneWrite(Handle rack, OSErr err) {
  // A refresh the engine kept waiting leaves the old points playing: say so.
  OSErr refreshed = RefreshAutomationPlayback(rack);
  if (err == noErr && refreshed == kAutomationBusyErr) err = refreshed;
  UpdateSongEnd();
  RedrawAll(0);
  if (err != noErr) ReportError(err);
  return err;
}

OSErr WriteMixColumns(const AutomationListRef& ref, int32_t kind, int16_t x0, int16_t x1, float rate,
                      int32_t previous) {
  int32_t range = GetLaneRange(kind);
  for (int32_t x = x0; x < x1; ++x) {
    int32_t v;
    if (!ColumnValue(x, &v) || v < 0) continue;
    if (v == range) v = range - 1;
    if (v == previous || v > range - 1) continue;
    previous = v;
    bool level = IsLevelLane(kind);
    OSErr err = AddAutomationPoint(ref, ColumnPosition(x, rate), level ? v : 0, int16_t(level ? 0 : v),
                                   MixLanePointKind(kind), int16_t(gLaneController));
    if (err != noErr) return err;
    SpinBusyCursorIfDue();
  }
  return noErr;
}

// The value of the last point of the template's plug-in and parameter before the position.
float ParameterValueBefore(Handle list, const AutomationPoint& probe, uint64_t position) {
  float value = kNoParameterValue;
  int32_t count = list ? PointListEndIndex(list) : 0;
  for (int32_t i = 0; i < count; ++i) {
    AutomationPoint p;
    std::copy_n(PointRecordAt(list, i), kAutomationRecordSize, p.bytes);
    if (p.Time() >= position) break;
    if (IsSamePointTarget(p.bytes, probe.bytes)) value = p.Value();
  }
  return value;
}

OSErr WriteParameterColumns(const AutomationListRef& ref, AutomationPoint point, int16_t x0, int16_t x1, float rate,
                            float previous) {
  float range = gLaneScale.scaleRange;
  if (!(range > 0.0f) || !std::isfinite(range)) return noErr;
  bool indexed = gLaneScale.scaleParameterKind == kIndexedParameterKind;
  for (int32_t x = x0; x < x1; ++x) {
    int32_t v;
    if (!ColumnValue(x, &v)) continue;
    float f = (indexed ? float(v) + 0.5f : float(v)) / range;
    if (f == previous || f < 0.0f || f > 1.0f) continue;
    previous = f;
    point.SetTime(uint32_t(std::min<uint64_t>(ColumnPosition(x, rate), kLastPointTime)));
    point.SetValue(f);
    OSErr err = InsertAutomationPoint(ref, point, kReplaceSamePoint);
    if (err != noErr) return err;
    SpinBusyCursorIfDue();
  }
  return noErr;
}

}  // namespace

OSErr WriteMixLane(int32_t kind, int16_t x0, int16_t x1) {
  if (!IsMixLane(kind)) return kBadPointListErr;
  Handle rack;
  AutomationListRef ref;
  if (!TakeLaneRack(&rack, &ref)) return noErr;
  float rate = GetRackSampleRate(rack);
  uint64_t start = ColumnPosition(x0, rate), end = ColumnPosition(x1, rate);
  int32_t chased = ChasedMixValue(GetReferencedPointList(ref), kind, start);
  CutLaneSpan(ref, start, end, MixLaneCutMask(kind), kNoPluginIndex);
  return FinishLaneWrite(rack, WriteMixColumns(ref, kind, x0, x1, rate, chased));
}

OSErr WriteParameterLane(int16_t x0, int16_t x1) {
  Handle rack;
  AutomationListRef ref;
  if (!TakeLaneRack(&rack, &ref)) return BuildLaneColumns(kLanePluginParameter);
  float rate = GetRackSampleRate(rack);
  uint64_t start = ColumnPosition(x0, rate), end = ColumnPosition(x1, rate);
  AutomationPoint point;
  point.SetKind(kAutomationParameter);
  point.SetTarget(int16_t(gLaneController));
  point.SetPluginIndex(kPanePluginIndex);
  float previous = ParameterValueBefore(GetReferencedPointList(ref), point, start);
  CutLaneSpan(ref, start, end, kParameterLaneCutMask, kPanePluginIndex);
  return FinishLaneWrite(rack, WriteParameterColumns(ref, point, x0, x1, rate, previous));
}
