#include "editing/transforms/automation_value_transform.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "editing/transforms/controller_value_transform.h"
#include "editors/timeline/lane_values.h"
#include "platform/memory/memory.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/insert_racks.h"
#include "plugins/host/plugin_parameters.h"
#include "shell/base/arithmetic.h"
#include "shell/windows/editor_panes.h"
#include "song/conductor/conductor_edits.h"
#include "song/conductor/conductor_lock_state.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/sample_position.h"
#include "song/events/time_selection.h"
#include "song/instruments/instrument_volumes.h"
#include "song/instruments/rack_automation_fields.h"
#include "song/model/song_context.h"
#include "song/model/track_edit_brackets.h"
#include "song/model/track_iterators.h"
#include "song/model/track_length.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"
#include "song/model/window_redraw.h"
#include "shell/base/error_report.h"
#include "editing/transforms/transform_frame.h"

namespace {

constexpr double kRampPointsPerSecond = 200.0;
constexpr int64_t kFallbackRampSpacing = 80;
constexpr int32_t kTrackEditCode = 3;

bool IsVolumeKind(uint8_t kind) { return kind == kAutomationVolume || kind == kAutomationSendLevel; }

uint32_t PointMask(const AutomationLaneTarget& t) {
  uint32_t mask = 1u << t.kind;
  if (t.kind == kAutomationParameter) mask |= kPointMaskController | kPointMaskPlugin;
  if (t.kind == kAutomationSendLevel || t.kind == kAutomationSendPan) mask |= kPointMaskController;
  return mask;
}

bool IsTargetPoint(const AutomationLaneTarget& t, const uint8_t* p) {
  AutomationView v{const_cast<uint8_t*>(p)};
  if (v.Kind() != t.kind) return false;
  if (t.kind == kAutomationParameter) return v.Index() == t.target && v.PluginIndex() == t.pluginIndex;
  if (t.kind == kAutomationSendLevel || t.kind == kAutomationSendPan) return v.Index() == t.target;
  return true;
}

AutomationPoint NewPoint(const AutomationLaneTarget& t, uint64_t time, float units) {
  AutomationPoint p;
  p.SetTime(uint32_t(std::min<uint64_t>(time, kLastPointTime)));
  p.SetKind(t.kind);
  if (t.kind == kAutomationParameter) p.SetPluginIndex(t.pluginIndex);
  if (t.kind >= kAutomationParameter) p.SetTarget(t.target);
  StorePointUnits(t, units, &p);
  return p;
}

float Operate(float old) {
  const ControllerEditState& s = gControllerEditState;
  return gValueOperation == kValueAdd ? old + s.addAmount : old * s.percent / 100.0f;
}

// Add and percent on the target's points from the first at or after start to before end.
void ChangePoints(Handle list, const AutomationLaneTarget& t, uint64_t start, uint64_t end) {
  uint8_t* p = FindAutomationRecord(list, start);
  if (!p) return;
  uint8_t* last = reinterpret_cast<uint8_t*>(HandleData(list)) + GetHandleSize(list);
  for (; p + kAutomationRecordSize <= last; p += kAutomationRecordSize) {
    AutomationPoint point;
    std::memcpy(point.bytes, p, kAutomationRecordSize);
    if (point.Time() >= kAutomationEndOfPoints || point.Time() >= end) break;
    if (!IsTargetPoint(t, p)) continue;
    StorePointUnits(t, Operate(ReadPointUnits(t, point)), &point);
    std::memcpy(p, point.bytes, kAutomationRecordSize);
  }
}

OSErr WritePoints(Handle rack, const AutomationLaneTarget& t, uint64_t start, uint64_t end, bool optionKey) {
  const ControllerEditState& s = gControllerEditState;
  AutomationListRef ref{rack};
  if (gValueOperation == kValueSet) return InsertAutomationPoint(ref, NewPoint(t, start, s.setValue), kReplaceSamePoint);
  int64_t spacing = AutomationRampSpacing(GetRackSampleRate(rack), optionKey);
  double span = double(end - start);
  for (uint64_t at = start;; at += uint64_t(spacing)) {
    if (at > end) at = end;
    float units = span <= 0 ? s.rampEnd : float(s.rampStart + (s.rampEnd - s.rampStart) * double(at - start) / span);
    if (OSErr err = InsertAutomationPoint(ref, NewPoint(t, at, units), kReplaceSamePoint); err != noErr) return err;
    if (at == end) return noErr;
  }
}

// --- the undoable step ------------------------------------------------------------------

struct AutomationEdit {
  int32_t lane;
  bool optionKey;
  OSErr result;
};

// Set and ramp write points and may make the rack; add and percent only change a rack that is there.
void EditFocusedRack(AutomationEdit* edit) {
  bool writes = gValueOperation == kValueSet || gValueOperation == kValueRamp;
  Handle rack = writes ? GetLaneRackHandle() : GetFocusedAutomationListRef().rack;
  if (!rack) return;
  AutomationLaneTarget t;
  if (!GetAutomationLaneTarget(edit->lane, rack, &t)) return;
  float rate = GetRackSampleRate(rack);
  uint64_t start = uint64_t(std::max<int64_t>(0, TickToSamplePosition(int32_t(gTimeSelection.start.tick), rate)));
  uint64_t end = uint64_t(std::max<int64_t>(0, TickToSamplePosition(int32_t(gTimeSelection.end.tick), rate)));
  OSErr err = EditAutomationPoints(rack, t, start, end, edit->optionKey);
  if (err != noErr && edit->result == noErr) edit->result = err;
  RefreshAutomationPlayback(rack);
}

int32_t EditTrackAutomation(void* arg) {
  if (BeginTrackEditChecked() != noErr) return 0;
  EditFocusedRack(static_cast<AutomationEdit*>(arg));
  ComputeTrackEnd();
  EndTrackEditWithCode(kTrackEditCode);
  return 0;
}

int32_t EditMasterVolume() {
  const ControllerEditState& s = gControllerEditState;
  MasterVolumeEditValues values;
  values.amount = s.addAmount;
  values.rampFirst = s.rampStart;
  values.rampLast = s.rampEnd;
  values.level = s.setValue;
  values.percentage = s.percent;
  gConductorRange[0] = int32_t(gTimeSelection.start.tick);
  gConductorRange[1] = int32_t(gTimeSelection.end.tick) - 1;
  ConductorLockState lock;
  SaveConductorLockState(&lock);
  OSErr err = EditMasterVolumeInRange(values, gValueOperation);
  RestoreConductorLockState(&lock);
  return err;
}

int32_t RunAutomationEdit(void* arg) {
  auto* edit = static_cast<AutomationEdit*>(arg);
  SetCurrentUndoKind(kUndoKindControllerValues);
  SetSongModified();
  if (edit->lane == kLaneMasterVolume) {
    edit->result = OSErr(EditMasterVolume());
  } else if (gCurrentPaneSlot >= 1) {
    EditFocusedRack(edit);  // a bus or the master: its rack is the same for every track
  } else {
    ForEachSelectedTrack(EditTrackAutomation, edit);
  }
  return 0;
}

}  // namespace

bool GetAutomationLaneTarget(int32_t lane, Handle rack, AutomationLaneTarget* out) {
  AutomationLaneTarget t;
  t.lane = lane;
  switch (lane) {
    case kLaneVolumeAutomation: t.kind = kAutomationVolume; break;
    case kLanePanAutomation: t.kind = kAutomationPan; break;
    case kLaneControllerAutomation: t.kind = kAutomationSendLevel; break;
    case kLaneControllerAutomation2: t.kind = kAutomationSendPan; break;
    case kLaneMasterVolume: break;
    case kLanePluginParameter: {
      t.kind = kAutomationParameter;
      t.pluginIndex = kPanePluginIndex;
      t.plugin = rack ? GetChainPlugin(GetRackChainHead(rack), kPanePluginIndex) : nullptr;
      ParameterDescription d;
      if (t.plugin && GetParameterInfo(t.plugin, gLaneController, &d) == noErr && d.maximum > d.minimum) {
        t.minimum = d.minimum;
        t.maximum = d.maximum;
      } else {
        t.plugin = nullptr;
        t.minimum = 0;
        t.maximum = 1;
      }
      break;
    }
    default: return false;
  }
  if (t.kind == kAutomationParameter || t.kind == kAutomationSendLevel || t.kind == kAutomationSendPan)
    t.target = int16_t(gLaneController);
  *out = t;
  return true;
}

void GetAutomationTargetName(const AutomationLaneTarget& t, char* name, int32_t capacity) {
  if (capacity <= 0) return;
  name[0] = 0;
  if (t.kind == kAutomationParameter && t.plugin) {
    GetParameterName(t.plugin, t.target, name, capacity);
    return;
  }
  const char* text = "Master volume";
  switch (t.kind) {
    case kAutomationVolume: text = "Volume"; break;
    case kAutomationPan: text = "Pan"; break;
    case kAutomationParameter: text = "Parameter"; break;
    case kAutomationSendLevel: text = "Send level"; break;
    case kAutomationSendPan: text = "Send pan"; break;
    default: break;
  }
  std::snprintf(name, size_t(capacity), "%s", text);
}

float ReadPointUnits(const AutomationLaneTarget& t, const AutomationPoint& p) {
  if (IsVolumeKind(t.kind)) return float(LookupVolumeCurveIndex(p.Level()));
  if (t.kind != kAutomationParameter) return float(p.Pan());
  float linear = p.Value();
  return t.plugin ? MapLinearToParameter(t.plugin, t.target, linear) : linear;
}

void StorePointUnits(const AutomationLaneTarget& t, float units, AutomationPoint* p) {
  float v = std::isfinite(units) ? std::clamp(units, t.minimum, t.maximum) : t.minimum;
  if (IsVolumeKind(t.kind)) {
    p->SetLevel(uint16_t(VolumeCurveValue(int32_t(std::lround(v)))));
  } else if (t.kind == kAutomationParameter) {
    float linear = t.plugin ? MapParameterToLinear(t.plugin, t.target, v) : v;
    p->SetValue(std::clamp(linear, 0.0f, 1.0f));
  } else {
    p->SetPan(int16_t(std::lround(v)));
  }
}

int64_t AutomationRampSpacing(double rate, bool optionKey) {
  int64_t spacing = int64_t(rate / kRampPointsPerSecond);
  return optionKey || spacing <= 0 ? kFallbackRampSpacing : spacing;
}

OSErr EditAutomationPoints(Handle rack, const AutomationLaneTarget& t, uint64_t start, uint64_t end,
                           bool optionKey) {
  if (!rack || end < start) return noErr;
  Handle list = GetRackAutomationList(rack);
  if (gValueOperation == kValueAdd || gValueOperation == kValuePercent) {
    if (list) ChangePoints(list, t, start, end);
    return noErr;
  }
  if (list) {
    uint64_t cutEnd = gValueOperation == kValueRamp ? end + 1 : end;
    if (OSErr err = CutPointListRange(list, start, cutEnd, false, PointMask(t), t.pluginIndex); err != noErr) return err;
  }
  return WritePoints(rack, t, start, end, optionKey);
}

bool ApplyAutomationValueEdit(int32_t lane) {
  AutomationEdit edit{lane, gControllerEditState.sineRamp != 0, noErr};
  if (!RunUndoableEdit(RunAutomationEdit, &edit)) return false;
  if (edit.result != noErr) ReportError(edit.result);
  RedrawAll(0);
  return true;
}
