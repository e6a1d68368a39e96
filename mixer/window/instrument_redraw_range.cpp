#include "mixer/window/instrument_redraw_range.h"

#include <algorithm>

#include "shell/drawing/drawing_ports.h"
#include "shell/windows/app_windows.h"

InstrumentRedrawRange gInstrumentRedrawRange;

void InstrumentRedrawRange::Reset() {
  firstStrip = 32767;
  lastStrip = -1;
  firstTick = 0x7FFFFFFF;
  lastTick = -1;
}

void InstrumentRedrawRange::Add(int32_t strip) {
  firstStrip = std::min(firstStrip, strip);
  lastStrip = std::max(lastStrip, strip);
}

void InstrumentRedrawRange::Redraw() {
  if (firstStrip <= lastStrip) RedrawAppWindow(GetWindowForKind(kInstrumentWindowKindId));
  Reset();
}
