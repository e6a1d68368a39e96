// The value under the mouse in a data lane, shown in the readout box of the editor's tool bar.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "editors/automation/focused_plugin.h"
#include "editors/lanes/lane_scale.h"
#include "editors/note_entry/note_readout.h"
#include "editors/panes/pane_stack.h"
#include "editors/timeline/lane_values.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/text.h"
#include "platform/resources/resource_manager.h"
#include "platform/text/pascal_strings.h"
#include "platform/windows/windows.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/plugin_parameters.h"
#include "shell/base/app_strings.h"
#include "shell/base/pen_numbers.h"
#include "shell/base/position_formats.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/windows/app_windows.h"
#include "song/instruments/instrument_table.h"

namespace {

constexpr int32_t kHighestTempo = 4500;  // tenths of a beat per minute
constexpr int32_t kMidiByteMax = 127;
constexpr int16_t kReadoutLeft = 4;
constexpr int16_t kValueBaseline = 9;    // below the box's second line

void SetNumber(StringPtr text, int32_t n) {
  char number[16];
  std::snprintf(number, sizeof number, "%d", n);
  CopyCStringToPascal(number, text);
}

// Cents of the bend range: the lane's 0..16383 spans -100·n..+100·n.
void ComposeBendReadout(int32_t value, LaneReadoutText* out) {
  int64_t cents = 100 * int64_t(GetCurrentPitchBendRange());
  SetNumber(out->number, int32_t(int64_t(value) * cents * 2 / GetLaneRange(kLanePitchBend) - cents));
  std::memcpy(out->suffix, GetAppString(kCentsUnitText), sizeof(Str255));
  out->digits = 5;
}

// The parameter's own text of the value as a part of the lane's height (0..1).
void ComposeParameterReadout(int32_t value, int32_t maximum, LaneReadoutText* out) {
  float part = maximum + 1 > 0 ? std::clamp(float(value) / float(maximum + 1), 0.0f, 1.0f) : 0.0f;
  if (gLaneController == -1) {
    GetIndString(out->number, kTwoStateLaneStrList, part < 0.5f ? 1 : 2);
    return;
  }
  PluginInstance* plugin = GetFocusedPluginObject();
  char text[64] = {};
  if (plugin && gLaneController >= 0 && uint32_t(gLaneController) < plugin->parameterCount &&
      GetParameterValueText(plugin, gLaneController, text, int32_t(sizeof text), &part) == noErr && text[0]) {
    CopyCStringToPascal(text, out->number);
    return;
  }
  std::snprintf(text, sizeof text, "%.4f", double(part));
  CopyCStringToPascal(text, out->number);
  out->digits = 6;
}

}  // namespace

LaneReadoutText gLaneReadoutShown;

void ComposeLaneValueReadout(int32_t kind, int32_t value, int32_t maximum, LaneReadoutText* out) {
  out->number[0] = out->suffix[0] = 0;
  out->digits = 0;
  switch (kind) {
    case kLanePitchBend: ComposeBendReadout(value, out); return;
    case kLaneTempo:
      FormatTenths(std::clamp(value, 0, kHighestTempo), out->number);
      out->digits = 5;
      return;
    case 7: return;
    case kLaneVolumeAutomation:
    case kLaneControllerAutomation:
      FormatGainDecibels(double(value) / 32768.0, 5, out->number);
      out->digits = 5;
      return;
    case kLanePluginParameter: ComposeParameterReadout(value, maximum, out); return;
    default:
      SetNumber(out->number, std::clamp(value, 0, kMidiByteMax));
      out->digits = 4;
  }
}

void DrawLaneValueReadout(int32_t kind, int16_t y, bool tableRange) {
  int32_t range = tableRange ? GetLaneRange(kind) : int32_t(gLaneScale.scaleRange);
  int32_t maximum = std::max(range - 1, 0);
  LaneReadoutText& text = gLaneReadoutShown;
  ComposeLaneValueReadout(kind, LaneYToValue(y, maximum, 0), maximum, &text);
  if (EmptyRect(&gNoteReadoutBox) || !gMainEditorRecord.window) return;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPortWindowPort(gMainEditorRecord.window);
  const Rect& box = gNoteReadoutBox;
  int16_t line = int16_t((box.bottom - box.top) / 3);
  Rect band{int16_t(box.top + line), box.left, int16_t(box.top + 2 * line), box.right};
  EraseRect(&band);
  MoveTo(int16_t(box.left + kReadoutLeft), int16_t(box.top + line + kValueBaseline));
  CacheDigitWidth();
  if (text.digits > 0) DrawStringRightAligned(text.number, int16_t(text.digits * gDigitMetrics.digitWidth));
  else DrawString(text.number);
  DrawString(text.suffix);
  SetPort(saved);
}

void ShowCurrentLaneValueAt(int16_t y) {
  Rect saved = gScratchRect;
  LoadCurrentPaneRect();
  gScratchRect.bottom = int16_t(gScratchRect.bottom - 1);  // as the pane's content is drawn
  int32_t kind = GetCurrentLaneKind();
  ComputeLaneScale(kind);
  DrawLaneValueReadout(kind, y, false);
  gScratchRect = saved;
}

void InstallLaneScaleHooks() {
  SetLaneScaleColumnProc(DrawCurrentLaneScaleColumn);
  SetLaneReadoutProc(ShowCurrentLaneValueAt);
}
