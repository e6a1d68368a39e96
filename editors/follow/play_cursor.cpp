#include "editors/follow/play_cursor.h"

#include <algorithm>

#include "editors/timeline/timeline_axis.h"
#include "platform/memory/byte_order.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/quickdraw_types.h"
#include "platform/windows/windows.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/transport/transport_engine.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/sample_position.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"
#include "shell/drawing/drawing_ports.h"

namespace {

void SetPaneCursorX(int16_t pane, int16_t x) {
  WriteU16BE(gEditorPanes[pane].editorData + kPaneCursorX, uint16_t(x));
}

// The cursor line is drawn and erased by inverting the pane's column, so drawing it twice
// puts back what was under it.
void InvertCursorLine(int16_t pane, int16_t x) {
  Rect r;
  GetPaneContentRect(pane, &r);
  if (r.bottom <= r.top || x < gTimelineFrame.originX || x >= r.right) return;
  PenState saved;
  GetPenState(&saved);
  PenNormal();
  PenMode(patXor);
  MoveTo(x, r.top);
  LineTo(x, int16_t(r.bottom - 1));
  SetPenState(&saved);
}

bool IsEditorShown() {
  return gMainEditorRecord.window && IsWindowVisible(gMainEditorRecord.window);
}

uint32_t SongEndTick() {
  return gCurrentSong ? SongHeaderView(gCurrentSong).EndTick() : 0;
}

// The length of the track a track pane shows (0: none, or not a track pane).
uint32_t PaneTrackLength(int16_t pane) {
  const EditorPane& p = gEditorPanes[pane];
  if (p.kind != 0 || p.viewMode == kSpecialViewMode) return 0;
  for (int32_t i = 0; uint8_t* entry = GetTrackEntryAt(i); ++i)
    if (TrackEntryView(entry).Number() == p.track) return TrackEntryView(entry).TickLength();
  return 0;
}

// The left edge a page turn gives: the bar line at or before the position, so that the page
// starts on a bar and the position is in view; at the audio levels, whose page may be shorter
// than a bar, the position itself. Never past the song end.
int32_t NextPageLeft(int32_t p) {
  int32_t left = gZoomLevel < 0 ? p : std::clamp(BarToTick(TickToBar(p)), 1, p);
  int32_t end = int32_t(std::min<uint32_t>(SongEndTick(), INT32_MAX));
  if (end > 0) left = std::min(left, end);
  return std::max(left, 1);
}

}  // namespace

int16_t GetPaneCursorX(int16_t pane) {
  return int16_t(ReadU16BE(gEditorPanes[pane].editorData + kPaneCursorX));
}

uint32_t GetPanePlayPosition() {
  // While stopped the clock's tick counter runs free; the song stands at the locate point.
  if (!IsClockTaskPlaying()) return gLocatePoint.tick == 0 ? 1 : gLocatePoint.tick;
  return gTransportClock.songTick.load() + 1;
}

bool IsTickVisible(int32_t tick) {
  if (gZoomLevel < 0) {  // the audio levels count from the left sample position
    int64_t x = TimeToX(tick, gTimelineLeftTick);
    return x >= gTimelineFrame.originX && x <= GetMainWindowRight() - kTimelineScrollBarWidth;
  }
  return gTimelineLeftTick <= tick && tick <= GetTimelineRightTick();
}

void ScrollToShowTick(int32_t tick) {
  gTimelineLeftTick = std::max(tick, 1);
  int64_t sample = TickToSamplePosition(gTimelineLeftTick, GetTimelineSampleRate());
  gTimelineLeftSample = uint64_t(std::max<int64_t>(sample, 0));
  for (int16_t k = 0; k < gEditorPaneCount; ++k) SetPaneCursorX(k, 0);
  InvalidateEditorWindow();
}

void ShowLocatePosition() {
  int32_t p = int32_t(std::min<uint32_t>(GetPanePlayPosition(), INT32_MAX));
  if (!IsTickVisible(p)) ScrollToShowTick(p);
}

bool UpdatePlayCursor(int16_t pane, int16_t startedBy) {
  if (pane < 0 || pane >= gEditorPaneCount || !IsEditorShown()) return false;
  int32_t p = int32_t(std::min<uint32_t>(GetPanePlayPosition(), INT32_MAX));
  int16_t old = GetPaneCursorX(pane);
  uint32_t limit = PaneTrackLength(pane);
  if (limit > 0 && uint32_t(p) > limit && old == 0) return false;
  if (pane == startedBy && !IsTickVisible(p)) {
    ScrollToShowTick(NextPageLeft(p));
    return true;  // the whole editor is redrawn at the new page
  }
  int16_t x = TickToClampedPixel(p);
  if (x == old) return false;
  if (old != 0) InvertCursorLine(pane, old);
  InvertCursorLine(pane, x);
  SetPaneCursorX(pane, x);
  return true;
}

bool RefreshMainEditorCursors() {
  if (!IsEditorShown()) return false;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  FocusAppWindow(&gMainEditorRecord);
  bool moved = false;
  int16_t first = gCurrentPaneIndex;
  for (int16_t k = 0; k < gEditorPaneCount; ++k) moved |= UpdatePlayCursor(k, first);
  if (saved) SetPort(saved);
  return moved;
}

void ErasePlayCursors() {
  GrafPtr saved = nullptr;
  GetPort(&saved);
  bool shown = IsEditorShown();
  if (shown) FocusAppWindow(&gMainEditorRecord);
  for (int16_t k = 0; k < gEditorPaneCount; ++k) {
    int16_t x = GetPaneCursorX(k);
    if (x != 0 && shown) InvertCursorLine(k, x);
    SetPaneCursorX(k, 0);
  }
  if (saved) SetPort(saved);
}

void RestorePlayCursors() {
  for (int16_t k = 0; k < gEditorPaneCount; ++k)
    if (int16_t x = GetPaneCursorX(k); x != 0) InvertCursorLine(k, x);
}
