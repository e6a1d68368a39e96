#include "editors/panes/pane_scrolling.h"

#include <algorithm>

#include "editors/panes/pane_colours.h"
#include "editors/panes/pane_headers.h"
#include "editors/panes/pane_stack.h"
#include "platform/controls/controls.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

namespace {

int16_t PaneOfBar(ControlRef control) {
  for (int16_t k = 0; k < gEditorPaneCount; ++k)
    if (gEditorPanes[k].scrollBar == control) return k;
  return -1;
}

constexpr int16_t kSongEndGap = 2;

int16_t ScrollStep(ControlPartCode part) {
  switch (part) {
    case kControlUpButtonPart: return -1;
    case kControlDownButtonPart: return 1;
    case kControlPageUpPart: return -kPaneScrollPage;
    case kControlPageDownPart: return kPaneScrollPage;
    default: return 0;
  }
}

void DrawSongEndLine() {
  if (!gCurrentSong) return;
  Rect pane;
  GetPaneContentRect(gCurrentPaneIndex, &pane);
  int32_t end = int32_t(std::min<uint32_t>(std::max<uint32_t>(SongHeaderView(gCurrentSong).EndTick(), 1), INT32_MAX));
  int16_t x = ClampToQDRange(int32_t(TickToClampedPixel(end)) + kSongEndGap);
  if (x < pane.left || x >= pane.right) return;
  ClipRect(&pane);
  SetRulerPen();
  MoveTo(x, pane.top);
  LineTo(x, int16_t(pane.bottom - 1));
  PenNormal();
  ForeColor(blackColor);
}

}  // namespace

void RedrawOnePane() {
  if (!gMainEditorRecord.window || gEditorPaneCount <= 0) return;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  FocusAppWindow(&gMainEditorRecord);
  int16_t pane = gCurrentPaneIndex;
  DrawPaneBackground(pane);
  DrawPaneContent(pane, pane, true);
  DrawPaneHeader(true);
  DrawSongEndLine();
  ClipToPortBounds();
  if (saved) SetPort(saved);
}

void ScrollVerticalAction(ControlRef control, ControlPartCode part) {
  int16_t pane = PaneOfBar(control);
  if (pane < 0) return;
  int16_t step = ScrollStep(part);
  if (step == 0 && part != kControlIndicatorPart) return;
  int16_t value = GetControlValue(control), maximum = GetControlMaximum(control);
  if ((step < 0 && value <= 0) || (step > 0 && value >= maximum)) return;
  if (step != 0) SetControlValue(control, int16_t(std::clamp<int32_t>(value + step, 0, maximum)));
  SelectPaneForDrawing(pane);
  // Interim: in drum views the drum map keeps the value once drum maps are built.
  if (gCurrentTrack) gCurrentTrack[kTrackScrollByte] = uint8_t(GetControlValue(control));
  RedrawOnePane();
}

void InstallPaneScrollActions() {
  for (int16_t k = 0; k < gEditorPaneCount; ++k)
    if (ControlRef bar = gEditorPanes[k].scrollBar; bar && GetControlAction(bar) != ScrollVerticalAction)
      SetControlAction(bar, ScrollVerticalAction);
}
