#include "shell/windows/track_window_scroll.h"

#include <algorithm>

#include "platform/controls/controls.h"
#include "platform/memory/byte_order.h"
#include "platform/windows/windows.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/counter_display.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/track_time_formats.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/window_redraw.h"

namespace {

ControlRef TrackWindowScrollBar() { return gTrackWindowRecord.window ? gTrackWindowRecord.hScrollBar : nullptr; }

int32_t TickOfBar(int32_t bar) {
  int32_t tick = BarToTick(bar);
  return tick < 1 ? 1 : tick;
}

uint32_t SongEnd() { return gCurrentSong ? ReadU32BE(gCurrentSong + kSongEndTick) : 0; }

int16_t SongLengthInBars() {
  uint32_t end = SongEnd();
  if (end == 0) return 0;
  int32_t bars = TickToBarRoundedUp(int32_t(std::min<uint32_t>(end, INT32_MAX)));
  return int16_t(std::clamp<int32_t>(bars, 0, INT16_MAX));
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

void EnableSongLengthControl() {
  ControlRef bar = TrackWindowScrollBar();
  if (!bar) return;
  bool active = SongEnd() > 0 && IsWindowActive(gTrackWindowRecord.window);
  if (active) ActivateControl(bar);
  else DeactivateControl(bar);
}

void RefreshSongPositionFields(int16_t what) {
  ControlRef bar = TrackWindowScrollBar();
  if ((what & kRefreshSongLengthBar) && bar) {
    SetControlMaximum(bar, std::max<int16_t>(GetControlMinimum(bar), SongLengthInBars()));
    SetControlValue(bar, GetControlValue(bar));  // kept inside the new range
    EnableSongLengthControl();
  }
  if (what & kRefreshPositionCounters) {
    gCounterShownPosition = kCounterPositionUnshown;
    InvalidateInfoPanel();
  }
}
