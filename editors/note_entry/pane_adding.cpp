#include "editors/note_entry/pane_adding.h"

#include <algorithm>

#include "editors/timeline/timeline_axis.h"
#include "platform/controls/controls.h"
#include "platform/memory/memory.h"
#include "platform/system/sys_beep.h"
#include "platform/windows/windows.h"
#include "shell/drawing/row_metrics.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "song/events/seq_event.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"

namespace {

constexpr int16_t kPaneTitleGap = 4;
constexpr int16_t kEditorBottomInset = 15;
constexpr int32_t kCentreRowBase = 132;

bool IsTrackShown(int32_t number) {
  for (int16_t k = 0; k < gEditorPaneCount; ++k)
    if (gEditorPanes[k].kind == 0 && gEditorPanes[k].track == number) return true;
  return false;
}

// The lowest and highest pitch of the current track's notes in the visible time; false
// without notes there.
bool VisiblePitchRange(int32_t* lowest, int32_t* highest) {
  Handle list = GetCurrentTrackEventList();
  if (!list) return false;
  auto* p = reinterpret_cast<uint8_t*>(HandleData(list));
  uint32_t size = uint32_t(GetHandleSize(list));
  uint32_t left = uint32_t(gTimelineLeftTick), right = uint32_t(GetTimelineRightTick());
  *lowest = 128;
  *highest = -1;
  for (uint32_t at = 0; at < size && SeqEventTime(p + at) != 0;) {
    uint32_t length = SeqEventLengthWithin(p + at, size - at);
    if (length == 0) break;
    const uint8_t* e = p + at;
    uint32_t t = SeqEventTime(e);
    if (SeqEventKind(e) == kKindNote && t + GetNoteDuration(e) >= left && t <= right) {
      *lowest = std::min<int32_t>(*lowest, e[kEventData1]);
      *highest = std::max<int32_t>(*highest, e[kEventData1]);
    }
    at += length;
  }
  return *highest >= 0;
}

void CentrePaneNotes(int16_t k) {
  EditorPane& pane = gEditorPanes[k];
  if (pane.kind != 0 || !pane.scrollBar || gOctaveHeight <= 0) return;
  SelectTrackNumber(pane.track);
  int32_t lowest = 0, highest = 0;
  if (!VisiblePitchRange(&lowest, &highest)) return;
  int32_t height = int32_t(gEditorPanes[k + 1].top) - pane.top - (gStandardLineHeight + kPaneTitleGap);
  int32_t rows = std::max(height, 0) * 12 / gOctaveHeight + 1;
  SetControlValue(pane.scrollBar, CentredFirstRow(lowest, highest, rows, GetControlMaximum(pane.scrollBar)));
}

}  // namespace

int16_t FindFreeTrackForPane() {
  int32_t highest = -1;
  for (int16_t k = 0; k < gEditorPaneCount; ++k)
    if (gEditorPanes[k].kind == 0) highest = std::max<int32_t>(highest, gEditorPanes[k].track);
  for (int32_t step = 1; step <= kTrackNumberCount; ++step) {
    int32_t number = (highest + step) % kTrackNumberCount;
    if (!IsTrackShown(number)) return int16_t(number);
  }
  return -1;
}

int16_t CentredFirstRow(int32_t lowest, int32_t highest, int32_t rows, int16_t maximum) {
  int32_t first = kCentreRowBase - (lowest + highest + 1) / 2 - rows / 2;
  return int16_t(std::clamp<int32_t>(first, 0, std::max<int16_t>(maximum, 0)));
}

void DistributePaneHeights() {
  AppWindow* editor = &gMainEditorRecord;
  if (!editor->window || gEditorPaneCount <= 0) return;
  Rect bounds;
  GetWindowPortBounds(editor->window, &bounds);
  int32_t b = gPaneTopMargin;
  int32_t t = b + gStandardLineHeight + kPaneTitleGap;
  int32_t a = std::max<int32_t>(bounds.bottom - b - kEditorBottomInset, 0);
  int32_t n = gEditorPaneCount;
  for (int32_t i = 0; i <= n; ++i) gEditorPanes[i].top = uint16_t(t + (int64_t(a) * i + n / 2) / n);
  int32_t savedTrack = GetCurrentTrackIndex();
  for (int16_t k = 0; k < gEditorPaneCount; ++k) CentrePaneNotes(k);
  SetCurrentTrackIndex(savedTrack);
}

bool AddEditorPaneAtClick(int16_t y, int16_t track, bool keepHeights) {
  if (gEditorPaneCount >= kMaxEditorPanes) {
    SysBeep(kFullPaneTableBeep);
    return false;
  }
  if (track < 0) track = FindFreeTrackForPane();
  if (track < 0 || CreateEditorPane(y, false, uint8_t(track)) != noErr) {
    SysBeep(kFullPaneTableBeep);
    return false;
  }
  if (!keepHeights) {
    DistributePaneHeights();
    PlaceEditorPanes();
    UpdateAllPaneScrollers();
  }
  InvalidateTrackWindow();
  InvalidateEditorWindow();
  return true;
}
