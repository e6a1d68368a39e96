#include "shell/windows/track_window_scroll.h"

#include <algorithm>

#include "platform/controls/controls.h"
#include "shell/windows/app_windows.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/track_time_formats.h"

namespace {

ControlRef TrackWindowScrollBar() { return gTrackWindowRecord.window ? gTrackWindowRecord.hScrollBar : nullptr; }

int32_t TickOfBar(int32_t bar) {
  int32_t tick = BarToTick(bar);
  return tick < 1 ? 1 : tick;
}

}  // namespace

int32_t GetTrackWindowScrollTick() {
  ControlRef bar = TrackWindowScrollBar();
  return bar ? TickOfBar(GetControlValue(bar)) : 1;
}

void SetTrackWindowScroll(int16_t delta) {
  ControlRef bar = TrackWindowScrollBar();
  if (!bar) return;
  int32_t value = std::clamp<int32_t>(GetControlValue(bar) + delta, GetControlMinimum(bar),
                                      GetControlMaximum(bar));
  SetControlValue(bar, int16_t(value));
  ScrollTrackWindowTo(TickOfBar(value));
}
