#include "editors/note_moves/bar_line_drag.h"

#include <algorithm>

#include "editors/note_entry/grid_snapping.h"
#include "editors/note_moves/mouse_follow.h"
#include "editors/note_moves/selected_event_walk.h"
#include "editors/scale_time/scale_time.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/memory/byte_order.h"
#include "platform/quickdraw/regions.h"
#include "platform/windows/windows.h"
#include "shell/base/busy_cursor.h"
#include "shell/base/event_records.h"
#include "shell/windows/app_windows.h"
#include "song/conductor/conductor_map.h"
#include "song/events/time_selection.h"
#include "song/events/event_filter_slots.h"
#include "song/events/utility_event_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_selection.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"

namespace {

constexpr int16_t kBarLineMode = kScaleTempoMap | kScaleRetimesTracks;

struct BarLineScale {
  uint32_t start;
  uint32_t end;
  int32_t numerator;
  int32_t denominator;
};

int32_t ScaleFromBarLine(void* context) {
  auto* scale = static_cast<BarLineScale*>(context);
  SetCurrentUndoKind(kNoteEditUndoKind);
  SetTimeRange(scale->start, scale->end);
  EventFilterProc savedFilter = gEditFilterProc;
  gEditFilterProc = nullptr;  // the copy filter: every event of the range
  ScaleTimeSelection(kBarLineMode, scale->numerator, scale->denominator, 0);
  gEditFilterProc = savedFilter;
  return 1;
}

Rect BarLineLimit(int32_t bar) {
  Rect window;
  GetWindowPortBounds(gMainEditorRecord.window, &window);
  int16_t left = TickToClampedPixel(BarToTick(bar - 1));
  int16_t right = TickToClampedPixel(BarToTick(bar + 1));
  return Rect{window.top, int16_t(left + 1), int16_t(window.bottom - 15), std::max<int16_t>(int16_t(left + 2), right)};
}

bool ScaleBarsFrom(int32_t bar, int32_t move) {
  BarLineScale scale{uint32_t(BarToTick(bar - 1)), ReadU32BE(gCurrentSong + kSongEndTick), 0, 0};
  if (!BarLineScaleRatio(BarToTick(bar - 1), BarToTick(bar), move, &scale.numerator, &scale.denominator) ||
      scale.end <= scale.start)
    return false;
  TimeSelection savedRange = gTimeSelection;
  uint8_t savedTracks[kTrackSelectionBytes];
  SaveTrackSelection(savedTracks);
  ScaleTimeSettings savedSettings = gScaleTimeSettings;
  gScaleTimeSettings = ScaleTimeSettings{scale.numerator, scale.denominator, 0};
  OSErr err = RunUndoableEditClearingScope(ScaleFromBarLine, &scale);  // every track
  gScaleTimeSettings = savedSettings;
  gTimeSelection = savedRange;
  RestoreTrackSelection(savedTracks);
  StoreSelectionInSong();
  return err == noErr;
}

}  // namespace

int32_t BarLineMoveTicks(int32_t tick, int32_t dx) {
  if (gZoomLevel < 0) return XToTime(TickToClampedPixel(tick) + dx) - tick;
  return int32_t(std::clamp<int64_t>(int64_t(dx) * (int64_t(1) << std::min<int16_t>(gZoomLevel, 30)), INT32_MIN, INT32_MAX));
}

bool BarLineScaleRatio(int32_t previousTick, int32_t tick, int32_t move, int32_t* numerator, int32_t* denominator) {
  int64_t length = int64_t(tick) - previousTick;
  if (length <= 0 || length + move < 1 || length + move > INT32_MAX) return false;
  *numerator = int32_t(length + move);
  *denominator = int32_t(length);
  return true;
}

bool DragBarLine(int32_t bar) {
  if (bar < 1 || !gCurrentSong || !gMainEditorRecord.window) return false;  // the first line stays
  gCurrentEvent = nullptr;
  int16_t savedSnap = gSnapSwitch;
  gSnapSwitch = 0;
  SetCursorResource(kBarLineCursor);
  int32_t tick = BarToTick(bar);
  Rect window, limit = BarLineLimit(bar);
  GetWindowPortBounds(gMainEditorRecord.window, &window);
  int16_t x = TickToClampedPixel(tick);
  int32_t dx = DragOutlineHorizontally(Rect{limit.top, x, limit.bottom, int16_t(x + 1)}, limit, window);
  SetCursorResource(kArrowCursorId);
  bool changed = dx != 0 && ScaleBarsFrom(bar, BarLineMoveTicks(tick, dx));
  gSnapSwitch = savedSnap;
  if (changed) InvalidateEditorWindow();
  return changed;
}
