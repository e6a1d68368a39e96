#include "editors/panes/timeline_scrolling.h"

#include <algorithm>

#include "editors/follow/play_cursor.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/controls/control_creators.h"
#include "platform/controls/controls.h"
#include "shell/base/app_state.h"
#include "platform/windows/windows.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "shell/windows/window_sizing.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/sample_position.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/window_redraw.h"

namespace {

constexpr int32_t kLargestBarValue = 32767;
constexpr int16_t kVerticalBarWidth = 16;
// At the audio levels an arrow moves 2^(level + 10) samples.
constexpr int32_t kAudioArrowShift = 10;

int32_t SongLastTick() {
  uint32_t end = gCurrentSong ? SongHeaderView(gCurrentSong).EndTick() : 1;
  return int32_t(std::clamp<uint32_t>(end, 1, INT32_MAX));
}

int32_t TimelineWidth() {
  return std::max<int32_t>(0, GetMainWindowRight() - kVerticalBarWidth - gTimelineFrame.originX);
}

int64_t ArrowOrPage(ControlPartCode part, int64_t arrow, int64_t page) {
  switch (part) {
    case kControlUpButtonPart: return -arrow;
    case kControlDownButtonPart: return arrow;
    case kControlPageUpPart: return -page;
    case kControlPageDownPart: return page;
    default: return 0;
  }
}

// The audio levels move the left sample position; the left tick follows it.
void ScrollSamples(ControlPartCode part) {
  int64_t arrow = int64_t(1) << std::max(0, gZoomLevel + kAudioArrowShift);
  int64_t page = std::max<int64_t>(1, int64_t(PixelOffsetToSamplePosition(TimelineWidth()) - gTimelineLeftSample));
  int64_t step = ArrowOrPage(part, arrow, page);
  float rate = GetTimelineSampleRate();
  int64_t last = std::max<int64_t>(0, TickToSamplePosition(SongLastTick(), rate));
  int64_t next = std::clamp<int64_t>(int64_t(gTimelineLeftSample) + step, 0, last);
  if (step == 0 || uint64_t(next) == gTimelineLeftSample) return;
  ErasePlayCursors();
  gTimelineLeftSample = uint64_t(next);
  gTimelineLeftTick = int32_t(std::clamp<uint32_t>(SamplePositionToTick(next, rate), 1, INT32_MAX));
  InvalidateEditorWindow();
}

int16_t VisibleBars() {
  int32_t bars = TickToBar(GetTimelineRightTick()) - TickToBar(gTimelineLeftTick);
  return int16_t(std::clamp(bars - 1, 1, kLargestBarValue));
}

void ScrollToBar(int32_t bar) {
  bar = std::clamp<int32_t>(bar, 0, GetTimelineScrollMaximum());
  int32_t tick = std::clamp(BarToTick(bar), 1, SongLastTick());
  if (tick != gTimelineLeftTick) ScrollToShowTick(tick);
}

}  // namespace

int16_t GetTimelineScrollBar() {
  return int16_t(std::clamp(TickToBar(gTimelineLeftTick), 0, kLargestBarValue));
}

int16_t GetTimelineScrollMaximum() {
  return int16_t(std::clamp(TickToBar(SongLastTick()), 0, kLargestBarValue));
}

void ScrollHorizontalAction(ControlRef control, ControlPartCode part) {
  if (gZoomLevel < 0 && part != kControlIndicatorPart) {
    ScrollSamples(part);
  } else if (part == kControlIndicatorPart) {
    if (control) ScrollToBar(GetControlValue(control));
  } else {
    int32_t step = int32_t(ArrowOrPage(part, 1, VisibleBars()));
    if (step != 0) ScrollToBar(GetTimelineScrollBar() + step);
  }
  if (control) SetControlValue(control, GetTimelineScrollBar());
}

void UpdateEditorScrollBar() {
  WindowRef window = gMainEditorRecord.window;
  if (!window) return;
  ControlRef bar = gMainEditorRecord.hScrollBar;
  if (!bar) {
    Rect r;  // in the bottom strip, right of the new-pane box, where the layout keeps it
    GetWindowPortBounds(window, &r);
    r = Rect{int16_t(r.bottom - kVerticalBarWidth + 1), int16_t(r.left + kNewPaneBoxWidth - 1), int16_t(r.bottom + 1),
             int16_t(r.right - kVerticalBarWidth + 3)};
    if (CreateScrollBarControl(window, &r, 0, 0, 0, 0, IsAppearanceThemeOn(), nullptr, &bar) != noErr || !bar) return;
    SetControlAction(bar, ScrollHorizontalAction);
    gMainEditorRecord.hScrollBar = bar;
    LayoutScrollBars(&gMainEditorRecord);
  }
  SetControlMaximum(bar, GetTimelineScrollMaximum());
  SetControlViewSize(bar, VisibleBars());
  SetControlValue(bar, GetTimelineScrollBar());
}
