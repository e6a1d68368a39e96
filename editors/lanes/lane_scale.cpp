#include "editors/lanes/lane_scale.h"

#include <cmath>

#include "editors/automation/focused_plugin.h"
#include "editors/timeline/lane_values.h"
#include "editors/timeline/timeline_axis.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/plugin_parameters.h"
#include "shell/windows/track_view_modes.h"
#include "song/instruments/instrument_table.h"

LaneScaleRecord gLaneScale;

namespace {

// The ranges by lane kind, 16 bits unsigned: the volume lanes hold 32769 (32768 is unity
// gain), the tempo lane every tempo the clock plays (tenths, up to 450.0 beats per minute).
constexpr uint16_t kLaneRanges[13] = {16384, 128, 128, 128, 128, 128, 4501, 1, 32769, 128, 16384, 32769, 128};

constexpr int32_t kBendCentre = 8192;
constexpr int32_t kMaxScaleDivisions = 18;
constexpr int32_t kEighths = 8;
// The special entries of the plug-in parameter lane.
constexpr int32_t kTwoStateParameter = -1;
constexpr int32_t kEighthsParameter = -2;

LaneScaleSteps Steps(float step, float first, float increment, int16_t style) {
  LaneScaleSteps s;
  s.step = step;
  s.firstLabel = first;
  s.increment = increment;
  s.style = style;
  return s;
}

// Cents of the bend range of the current instrument, from -100·n upwards.
LaneScaleSteps PitchBendSteps() {
  int32_t n = GetCurrentPitchBendRange();
  float step = float(n > 0 ? kBendCentre / n : kBendCentre), increment = 100;
  if (n > 8) {
    step *= 2;
    increment = 200;
  } else if (n == 1) {
    step /= 2;
    increment = 50;
  }
  return Steps(step, float(-100 * n), increment, kLaneLabelNumbers);
}

PluginInstance* LanePlugin() {
  PluginInstance* plugin = GetFocusedPluginObject();
  if (!plugin || gLaneController < 0 || uint32_t(gLaneController) >= plugin->parameterCount) return nullptr;
  return plugin;
}

int16_t ParameterLabelStyle() {
  if (LanePlugin()) return kLaneLabelParameter;
  return gLaneController == kTwoStateParameter ? kLaneLabelTwoState : kLaneLabelNumbers;
}

// The parameter's own range on the scale; the step is the first power of two d for which the
// range divided by d is at most 10.
void SetParameterRange(const ParameterDescription& d, LaneScaleSteps* s) {
  float range = d.maximum - d.minimum;
  gLaneScale.scaleMin = d.minimum;
  gLaneScale.scaleMax = d.maximum;
  gLaneScale.scaleRange = range;
  float step = 1;
  for (int32_t doubling = 0; range / step > 10 && doubling < 128; ++doubling) step *= 2;
  s->step = step;
  s->firstLabel = 0;
  s->increment = step / range;
}

bool HasOwnRange(const ParameterDescription& d) {
  return d.unit == kParameterUnitIndexed && d.maximum > d.minimum && std::isfinite(d.maximum - d.minimum);
}

// As many divisions as the parameter has steps between 0 and 1 of the lane (3..17), else eighths.
void DivideByParameterSteps(LaneScaleSteps* s) {
  float span = MapLaneValueToParameter(gLaneController, 1.0f) - MapLaneValueToParameter(gLaneController, 0.0f);
  int32_t divisions = span > 2 && span < kMaxScaleDivisions ? int32_t(span) : kEighths;
  s->step = gLaneScale.scaleRange / float(divisions);
  s->increment = 1.0f / float(divisions);
}

// The plug-in parameter lane: eighths, halves for the two-state entry, else the scale of the
// focused plug-in's parameter.
LaneScaleSteps ParameterSteps() {
  LaneScaleSteps s = Steps(gLaneScale.scaleMax / kEighths, 0, 1.0f / kEighths, ParameterLabelStyle());
  if (gLaneController == kEighthsParameter) return s;
  if (gLaneController == kTwoStateParameter) {
    s.step = gLaneScale.scaleMax / 2;
    return s;
  }
  PluginInstance* plugin = LanePlugin();
  if (!plugin) return s;
  ParameterDescription d;
  if (GetPluginStateFlags(plugin) == 0) {  // a VST plug-in: its cached description
    OSErr err = GetParameterInfo(plugin, gLaneController, &d);
    if (err == noErr && s.style == kLaneLabelParameter && HasOwnRange(d)) {
      gLaneScale.scaleParameterKind = int32_t(d.unit);
      gLaneScale.scaleExtra = d.flags;
      SetParameterRange(d, &s);
      return s;
    }
    if (err == noErr && d.unit == kParameterUnitBoolean) s.style = kLaneLabelTwoState;
  } else if (s.style == kLaneLabelParameter && GetParameterInfo(plugin, gLaneController, &d) == noErr) {
    if (HasOwnRange(d)) SetParameterRange(d, &s);
    return s;  // the unit's own answer settles the scale
  }
  DivideByParameterSteps(&s);
  return s;
}

}  // namespace

int32_t GetLaneRange(int32_t kind) {
  return kLaneRanges[kind >= 0 && kind < 13 ? kind : kLaneController];
}

int32_t GetLaneNoValueThreshold(int32_t kind) {
  return GetLaneRange(kind) + (kind == kLanePluginParameter ? 1 : 0);
}

int32_t GetCurrentLaneKind() { return GetLaneViewIndex(); }

LaneScaleSteps ComputeLaneScale(int32_t kind) {
  gLaneScale = LaneScaleRecord();
  gLaneScale.laneLeftTick = uint32_t(gTimelineLeftTick);
  gLaneScale.scaleMax = gLaneScale.scaleRange = float(GetLaneRange(kind));
  switch (kind) {
    case kLanePitchBend: return PitchBendSteps();
    case kLaneTempo: return Steps(600, 0, 60, kLaneLabelNumbers);
    case 7: return Steps(0, 0, 0, kLaneLabelNumbers);
    case kLaneVolumeAutomation:
    case kLaneControllerAutomation: {
      float eighth = gLaneScale.scaleMax / kEighths;  // labels are the scale values in decibels
      return Steps(eighth, 0, eighth, kLaneLabelDecibels);
    }
    case kLanePluginParameter: return ParameterSteps();
    default: return Steps(32, 0, 32, kLaneLabelNumbers);
  }
}
