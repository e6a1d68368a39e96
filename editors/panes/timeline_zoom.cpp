#include "editors/panes/timeline_zoom.h"

#include <algorithm>

#include "editing/track_views.h"
#include "editors/follow/play_cursor.h"
#include "editors/follow/window_refresh.h"
#include "editors/note_drawing/bent_notes.h"
#include "editors/panes/drum_list_width.h"
#include "editors/panes/pane_stack.h"
#include "editors/panes/timeline_scrolling.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/memory/byte_order.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/time_code_values.h"
#include "shell/base/modifier_keys.h"
#include "shell/drawing/row_metrics.h"
#include "shell/windows/editor_panes.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/sample_position.h"
#include "song/conductor/timebase.h"
#include "song/conductor/track_time_formats.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/window_redraw.h"

uint8_t gKeepZoomPosition = 1;
uint8_t gSongZoomMirror = uint8_t(kInitialZoomLevel);
uint8_t gSongVerticalZoomMirror = 0;
ZoomHooks gZoomHooks;

namespace {

constexpr int64_t kSubframesPerFrame = 80;

// The bar line nearer to tick (a remainder above half the bar gives the next bar), at least 1.
int32_t NearerBarLine(int32_t tick) {
  int32_t bar = 0, offset = 0;
  TickToBarAndOffset(std::max(tick, 1), &bar, &offset);
  int32_t start = BarToTick(bar), next = BarToTick(bar + 1);
  return std::max(offset > (next - start) / 2 ? next : start, 1);
}

// The counter's real time of tick (the song's start offset included) to the nearest frame.
int32_t NearestFrame(int32_t tick) {
  TimeValue time;
  TickToTimecodeTime(uint32_t(tick), &time);
  int64_t frame = int64_t(double(TimeToSubframes(time)) / double(kSubframesPerFrame) + 0.5);
  SubframesToTime(frame * kSubframesPerFrame, &time);
  return int32_t(std::min<uint32_t>(TimecodeTimeToTick(time.whole, time.fraction), INT32_MAX));
}

// The counter's real time of tick to the nearest whole second.
int32_t NearestSecond(int32_t tick) {
  TimeValue time;
  TickToTimecodeTime(uint32_t(tick), &time);
  double seconds = std::min(TimeValueToSeconds(time) + 0.5, 4294967295.0);
  return int32_t(std::min<uint32_t>(SecondsToTick(uint32_t(seconds)), INT32_MAX));
}

int32_t SelectionStartTick() { return int32_t(std::min<uint32_t>(gTimeSelection.start.tick, INT32_MAX)); }

// The x of the selection start: its sample position at the audio levels when the selection
// keeps one, else its tick.
int32_t SelectionStartX() {
  if (gZoomLevel < 0 && gTimeSelection.start.rate > 0)
    return SamplePositionToX(gTimeSelection.start.sample, gTimelineLeftSample);
  return TimeToX(SelectionStartTick(), gTimelineLeftTick);
}

bool IsSelectionStartShown() {
  int32_t x = SelectionStartX();
  return x >= gTimelineFrame.originX && x <= GetMainWindowRight() - kTimelineScrollBarWidth;
}

// The selection start or the tick before the selection end lies in view.
bool IsSelectionInView() {
  if (gTimeSelection.start.tick < 1) return false;
  uint32_t end = gTimeSelection.end.tick;
  return IsTickVisible(SelectionStartTick()) ||
         (end > 1 && IsTickVisible(int32_t(std::min<uint32_t>(end - 1, INT32_MAX))));
}

void SetLeftTick(int32_t tick) {
  gTimelineLeftTick = std::max(tick, 1);
  gTimelineLeftSample = uint64_t(std::max<int64_t>(TickToSamplePosition(gTimelineLeftTick, GetTimelineSampleRate()), 0));
}

void SetLeftSample(uint64_t sample) {
  gTimelineLeftSample = sample;
  float rate = GetTimelineSampleRate();
  gTimelineLeftTick = int32_t(std::clamp<uint32_t>(SamplePositionToTick(int64_t(std::min<uint64_t>(sample, INT64_MAX)), rate), 1, INT32_MAX));
}

// The left edge that puts the selection start back at oldX at the new level, unrounded: the
// position at x = (its new pixel) - (oldX - origin x).
void ShiftLeftEdgeToKeep(int32_t oldX) {
  int32_t x = int32_t(std::clamp<int64_t>(int64_t(SelectionStartX()) - (oldX - gTimelineFrame.originX), INT32_MIN / 2, INT32_MAX / 2));
  if (gZoomLevel < 0) SetLeftSample(PixelOffsetToSamplePosition(x - gTimelineFrame.originX));
  else SetLeftTick(XToTimeUnclamped(x));
}

// The kept left edge rounded by the time display format, unless the rounding would take the
// selection start out of view (a bar or a second can be wider than the window).
void RoundKeptLeftEdge() {
  int32_t rounded = RoundLeftEdgeByTimeFormat(gTimelineLeftTick);
  if (rounded == gTimelineLeftTick) return;
  int32_t savedTick = gTimelineLeftTick;
  uint64_t savedSample = gTimelineLeftSample;
  SetLeftTick(rounded);
  if (IsSelectionStartShown()) return;
  gTimelineLeftTick = savedTick;
  gTimelineLeftSample = savedSample;
}

// The editor's own refresh (or every window's) follows the song position while it plays.
bool IsFollowingPlayback() {
  bool chosen = gWindowRefreshProc == RefreshMainEditorCursors || gWindowRefreshMode == 2;
  return IsClockTaskPlaying() && chosen && gWindowRefreshOn;
}

int16_t ClampedLevel(int32_t level) {
  level = std::min<int32_t>(level, GetMaxZoomLevel());
  if (level < 0) level = IsAudioZoomAllowed() ? std::max<int32_t>(level, kLowestZoomLevel) : 0;
  return int16_t(level);
}

void StepHorizontalZoom(int16_t d) {
  int16_t level = ClampedLevel(gZoomLevel + d);
  if (level == gZoomLevel) return;
  if (gZoomLevel >= 0) SetLeftTick(gTimelineLeftTick);  // the sample edge follows the tick edge
  bool keep = gKeepZoomPosition && IsSelectionInView();
  int32_t oldX = keep ? SelectionStartX() : 0;
  gZoomLevel = level;
  if (keep) {
    ShiftLeftEdgeToKeep(oldX);
    RoundKeptLeftEdge();
  } else if (!IsFollowingPlayback()) {
    ScrollToShowTick(gTimelineLeftTick);  // the view stays where it begins
  }
  UpdateEditorScrollBar();
}

int16_t CurrentVerticalIndex() {
  return gVerticalZoomIndex < 0 || gVerticalZoomIndex > kMaxVerticalZoomIndex ? 0 : gVerticalZoomIndex;
}

void StepVerticalZoom(int16_t d) {
  int16_t index = int16_t(std::clamp<int32_t>(CurrentVerticalIndex() - d, 0, kMaxVerticalZoomIndex));
  SetNoteZoom(index);
  UpdateDrumListWidth();
  UpdateAllPaneScrollers();
}

void StoreSongZoom() {
  gSongZoomMirror = uint8_t(int8_t(gZoomLevel));
  gSongVerticalZoomMirror = uint8_t(CurrentVerticalIndex());
  if (!gCurrentSong) return;
  WriteU16BE(gCurrentSong + kSongEditorScroll, uint16_t(GetTimelineScrollBar()));
  gCurrentSong[kSongZoomLevel] = gSongZoomMirror;
  gCurrentSong[kSongVerticalZoom] = gSongVerticalZoomMirror;
}

}  // namespace

int16_t GetMaxZoomLevel() {
  switch (gTicksPerQuarter) {
    case 24: return 7;
    case 48: return 8;
    case 96: return 9;
    default: return 12;
  }
}

bool IsAudioZoomAllowed() {
  for (int16_t k = 0; k < gEditorPaneCount; ++k)
    if (IsAudioViewMode(gEditorPanes[k].viewMode)) return true;  // positions in samples
  return false;
}

int32_t RoundLeftEdgeByTimeFormat(int32_t tick) {
  switch (gTrackTimeFormat) {
    case 1: return std::max(NearestFrame(tick), 1);
    case 2: return std::max(NearestSecond(tick), 1);
    case 4: return tick;
    default: return NearerBarLine(tick);
  }
}

int16_t ZoomEditorStep(int16_t out) {
  int16_t d = out ? 1 : -1;
  ErasePlayCursors();
  BeginTimelineDraw();
  if (IsOptionModifierDown()) StepVerticalZoom(d);
  else StepHorizontalZoom(d);
  StoreSongZoom();
  if (IsBendDisplayOn() && gZoomHooks.rebuildBendReference) gZoomHooks.rebuildBendReference();
  InvalidateEditorWindow();
  InvalidateTrackWindow();
  return gZoomLevel;
}

void ApplySongZoom() {
  if (!gCurrentSong) return;
  uint8_t level = gCurrentSong[kSongZoomLevel], index = gCurrentSong[kSongVerticalZoom];
  if (level == 0 && index == 0 && ReadU16BE(gCurrentSong + kSongEditorScroll) == 0) return;  // nothing stored
  gZoomLevel = ClampedLevel(int8_t(level));
  SetNoteZoom(index);  // an index above 10 counts as 0
  gSongZoomMirror = level;
  gSongVerticalZoomMirror = index;
  SetLeftTick(gTimelineLeftTick);
  UpdateDrumListWidth();
  InvalidateEditorWindow();
}
