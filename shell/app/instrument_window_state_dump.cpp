#include "shell/app/instrument_window_state_dump.h"

#include "mixer/instrument_window/strip_drawing.h"
#include "mixer/instrument_window/strip_geometry.h"
#include "mixer/instrument_window/strip_values.h"
#include "mixer/meters/instrument_meters.h"
#include "mixer/outputs/instrument_values.h"
#include "platform/quickdraw/ports.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/instrument_strip_layout.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/instrument_volumes.h"

namespace {

std::string Global(Rect r) {
  Point topLeft{r.top, r.left}, bottomRight{r.bottom, r.right};
  LocalToGlobal(&topLeft);
  LocalToGlobal(&bottomRight);
  return " " + std::to_string(topLeft.h) + " " + std::to_string(topLeft.v) + " " + std::to_string(bottomRight.h) +
         " " + std::to_string(bottomRight.v);
}

std::string Element(int16_t element) {
  ElementRect(element);
  return Global(gScratchRect);
}

void AppendStrip(std::string* out, int32_t index) {
  const uint8_t* r = GetInstrumentRecord(index);
  *out += "strip " + std::to_string(index) + " " + std::to_string(GetInstrumentVolume(r)) + " " +
          std::to_string(r[kInstPan]) + " " + std::to_string(r[kInstFlags]) + " " + std::to_string(r[kInstOptions]) +
          " " + std::to_string(r[kInstChannels]) + " " + std::to_string(r[kInstPorts]);
  *out += Global(FaderThumbRect(GetCurrentStripVolume())) + Element(kStripPanKnob) + Element(kStripMuteLamp) +
          Element(kStripSoloLamp);
  StripNameRect();
  *out += Global(gScratchRect) + " " + std::to_string(GetShownLevel(r, 0)) + " " + std::to_string(GetShownLevel(r, 1)) + "\n";
}

}  // namespace

void AppendInstrumentWindowState(std::string* out) {
  *out += "instrumentwindow " + std::to_string(gInstrumentWindowPart) + " " + std::to_string(gInstrumentCount) + " " +
          std::to_string(gAuxBusCount) + " " + std::to_string(gFaderTravel) + "\n";
  AppWindow* w = GetWindowForKind(kInstrumentWindowKindId);
  if (!IsAppWindowVisible(w) || !gInstruments) return;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  FocusAppWindow(w);
  int32_t current = gCurrentInstrument;
  for (int32_t i = 0; i <= GetMasterIndex(); ++i) {
    if (!IsStripShown(i)) continue;
    gCurrentInstrument = i;
    AppendStrip(out, i);
  }
  if (IsSendButtonShown()) {
    gCurrentInstrument = GetMasterIndex();
    *out += "sendbutton" + Element(kStripSendButton) + "\n";
  }
  gCurrentInstrument = current;
  if (saved) SetPort(saved);
}
