#include "editors/panes/pane_stack.h"

#include <algorithm>

#include "editors/panes/grid_lines.h"
#include "editors/panes/note_row_lines.h"
#include "editors/panes/pane_colours.h"
#include "editors/panes/pane_content.h"
#include "editors/panes/pane_headers.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/icons.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/regions.h"
#include "platform/quickdraw/text.h"
#include "platform/windows/windows.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/drawing/row_metrics.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/drawing/text_drawing.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "song/model/window_redraw.h"

uint8_t gNoteRowStyle = kPianoRowLines;
uint8_t gNoteGridLines = 1;

namespace {

constexpr int16_t kScrollBarInset = 15;
constexpr int16_t kNewPaneFont = 22;
constexpr int16_t kNewPaneSize = 18;
constexpr int32_t kMaxKeyboardIcons = 100;

void TakeDirtyPanes() {
  if (!gEditorPanesDirty) return;
  for (EditorPane& pane : gEditorPanes) pane.editorData[kPaneRedrawFlag] = 1;
  gEditorPanesDirty = 0;
}

void DrawKeyboardColumn(const Rect& column) {
  if (!gKeyboardIcon || gOctaveHeight <= 0) return;
  int32_t top = gTimelineFrame.top;
  for (int32_t n = 0; n < kMaxKeyboardIcons && top < column.bottom; ++n, top += gOctaveHeight) {
    if (top + gOctaveHeight <= 0) continue;
    Rect icon{ClampToQDRange(top), int16_t(gTimelineFrame.originX - kKeyColumnWidth), ClampToQDRange(top + gOctaveHeight),
              gTimelineFrame.originX};
    PlotCIcon(&icon, gKeyboardIcon);
  }
}

}  // namespace

void LoadCurrentPaneRect() { GetPaneContentRect(gCurrentPaneIndex, &gScratchRect); }

int16_t PaneRowsTop(int16_t index) {
  if (index < 0 || index >= gEditorPaneCount) return 0;
  ControlRef bar = gEditorPanes[index].scrollBar;
  int32_t octaves = (bar ? GetControlValue(bar) : 0) / 12;
  return ClampToQDRange(int32_t(gEditorPanes[index].top) + gOctaveHeight * (1 - octaves));
}

void SelectPaneForDrawing(int16_t index) {
  SelectEditorPaneIndex(index);
  SelectCurrentPaneTrack();
  Rect pane;
  GetPaneContentRect(gCurrentPaneIndex, &pane);
  gTimelineFrame.top = PaneRowsTop(gCurrentPaneIndex);
  gTimelineFrame.bottom = pane.bottom;
  gTimelineFrame.keyColumnLeft = int16_t(gTimelineFrame.originX - kKeyColumnWidth);
}

void BeginTimelineDraw() {
  LoadAppWindowBounds(&gMainEditorRecord);
  PenNormal();
  ForeColor(blackColor);
  BackColor(whiteColor);
}

void ShrinkSharedRectForScrollBars() {
  gScratchRect.bottom = int16_t(gScratchRect.bottom - kScrollBarInset);
  gScratchRect.right = int16_t(gScratchRect.right - kScrollBarInset);
}

bool IsSharedRectVisible() {
  GrafPtr port = nullptr;
  GetPort(&port);
  if (!port || gScratchRect.bottom <= gScratchRect.top || gScratchRect.right <= gScratchRect.left) return false;
  RgnHandle visible = NewRgn();
  GetPortVisibleRegion(port, visible);
  bool meets = RectInRgn(&gScratchRect, visible);
  DisposeRgn(visible);
  return meets;
}

void DrawPaneContent(int16_t index, int16_t currentIndex, bool withLeftColumn) {
  SelectPaneForDrawing(index);
  DrawPaneByViewMode(withLeftColumn, index == currentIndex);
}

void DrawAllPanes(int16_t currentIndex, bool withLeftColumn) {
  if (gEditorPaneCount <= 0) return;
  TextMode(srcOr);
  TakeDirtyPanes();
  for (int16_t k = 0; k < gEditorPaneCount; ++k) {
    DrawPaneContent(k, currentIndex, withLeftColumn);
    DrawPaneHeader(k == currentIndex);
  }
  DrawNewPaneBox();
  SelectPaneForDrawing(currentIndex);
  ClipToPortBounds();
}

void DrawPaneBackground(int16_t index) {
  SelectPaneForDrawing(index);
  LoadCurrentPaneRect();
  ClipToScratchRect();
  SetPaneBackColour();
  EraseScratchRect();
  BackColor(whiteColor);
  bool noteView = GetPaneDrawingClass() == kNoteRowsClass;
  if (noteView) DrawNoteRowLines(false);
  // Interim: the drum list and lane backgrounds come with their views.
  DrawPaneBarLines(GetTimelineRightTick(), TickToBar(gTimelineLeftTick), gScratchRect.top, gScratchRect.right,
                   !noteView || gNoteGridLines != 0);
  if (noteView) DrawNoteRowLines(true);
}

void DrawAllPaneBackgrounds() {
  for (int16_t k = 0; k < gEditorPaneCount; ++k) DrawPaneBackground(k);
  PenNormal();
  ForeColor(blackColor);
  ClipToPortBounds();
}

void GetNewPaneBoxRect(Rect* box) {
  LoadAppWindowBounds(&gMainEditorRecord);
  *box = Rect{int16_t(gScratchRect.bottom - kScrollBarInset), gScratchRect.left, gScratchRect.bottom,
              int16_t(gScratchRect.left + kNewPaneBoxWidth)};
}

void DrawNewPaneBox() {
  Rect box;
  GetNewPaneBoxRect(&box);
  ClipToPortBounds();
  SetPaneForeColour(kNewPaneBoxColour);
  PaintRect(&box);
  SetPaneForeColour(kNewPaneFrameColour);
  FrameRect(&box);
  ForeColor(blackColor);
  TextFont(kNewPaneFont);
  TextSize(kNewPaneSize);
  int16_t width = CharWidth('+');
  MoveTo(int16_t((box.left + box.right - width) / 2), int16_t(box.bottom - 2));
  DrawChar('+');
  RestoreDefaultTextFont();
}

namespace {
LaneScaleColumnProc gLaneScaleColumnProc = nullptr;
}  // namespace

void SetLaneScaleColumnProc(LaneScaleColumnProc proc) { gLaneScaleColumnProc = proc; }

void DrawPaneLeftColumn() {
  Rect pane;
  GetPaneContentRect(gCurrentPaneIndex, &pane);
  Rect column{int16_t(pane.top - gStandardLineHeight - 4), pane.left, pane.bottom, gTimelineFrame.originX};
  if (column.right <= column.left) return;
  ClipRect(&column);
  SetPaneBackColour();
  EraseRect(&column);
  BackColor(whiteColor);
  Rect below = column;
  below.top = pane.top;
  ClipRect(&below);
  // Interim: drum names and the audio column come with their views.
  if (GetPaneDrawingClass() == kNoteRowsClass) DrawKeyboardColumn(below);
  if (GetPaneDrawingClass() == kLaneClass && gLaneScaleColumnProc) gLaneScaleColumnProc();
  UpdateDefaultFontInfo();
  LoadCurrentPaneRect();
  ClipToScratchRect();
}
