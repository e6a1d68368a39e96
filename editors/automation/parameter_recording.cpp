#include "editors/automation/parameter_recording.h"

#include <algorithm>

#include "editors/automation/automation_points.h"
#include "editors/automation/rack_focus.h"
#include "plugins/host/plugin_host_hooks.h"
#include "song/conductor/sample_position.h"
#include "song/instruments/rack_automation_fields.h"

Handle gLastRecordedRack;

namespace {

AutomationPoint ParameterPoint(uint32_t time, float value, int32_t chainPosition, int32_t parameter) {
  AutomationPoint point;
  point.SetTime(time);
  point.SetValue(value);
  point.SetPluginIndex(chainPosition);
  point.SetKind(kAutomationParameter);
  point.SetTarget(int16_t(parameter));
  return point;
}

// True when the rack's list holds a point for the plug-in and parameter.
bool HasParameterPoint(Handle rack, const AutomationPoint& probe) {
  Handle list = GetRackAutomationList(rack);
  int32_t end = list ? PointListEndIndex(list) : -1;
  for (int32_t i = 0; i < end; ++i)
    if (IsSamePointTarget(PointRecordAt(list, i), probe.bytes)) return true;
  return false;
}

uint32_t PointTimeAtTick(Handle rack, int32_t tick) {
  int64_t position = TickToSamplePosition(std::max(tick, 1), GetRackSampleRate(rack));
  return uint32_t(std::clamp<int64_t>(position, 0, kLastPointTime));
}

}  // namespace

OSErr RecordRackParameterPoint(Handle rack, int32_t tick, float value, int32_t chainPosition,
                               int32_t parameter, bool noPoint, bool firstPoint) {
  if (!rack || parameter < 0) return kNoTrackRackErr;
  AutomationListRef ref{rack};
  AutomationPoint point = ParameterPoint(PointTimeAtTick(rack, tick), value, chainPosition, parameter);
  OSErr err = noErr;
  if (firstPoint && !HasParameterPoint(rack, point))
    err = InsertAutomationPoint(ref, ParameterPoint(0, value, chainPosition, parameter), kRefuseSamePoint);
  if (err == noErr && !noPoint) err = InsertAutomationPoint(ref, point, kReplaceSamePoint);
  gLastRecordedRack = rack;
  return err;
}

void InstallParameterRecordingHooks() {
  gPluginHostHooks.focusedPluginRack = GetFocusedPluginHandle;
  gPluginHostHooks.recordParameterPoint = [](Handle rack, int32_t tick, float value, int32_t chainPosition,
                                             int32_t parameter, bool noPoint, bool firstPoint) {
    RecordRackParameterPoint(rack, tick, value, chainPosition, parameter, noPoint, firstPoint);
  };
}
