#include "editors/note_entry/editor_clicks.h"

#include <algorithm>

#include "editors/note_drawing/note_boxes.h"
#include "editors/note_entry/grid_snapping.h"
#include "editors/note_entry/note_painting.h"
#include "editors/note_entry/note_pencil.h"
#include "editors/note_entry/note_readout.h"
#include "editors/note_entry/note_values.h"
#include "editors/note_entry/pane_adding.h"
#include "editors/panes/pane_stack.h"
#include "editors/rulers/bar_ruler.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/events/key_codes.h"
#include "platform/quickdraw/geometry.h"
#include "platform/windows/windows.h"
#include "shell/windows/editor_panes.h"
#include "shell/windows/window_clicks.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/timebase.h"
#include "song/model/track_settings.h"
#include "song/model/window_redraw.h"

int16_t gLaneTool = kArrowTool;
int16_t gEditorToolbarLeft = 0;
int16_t gEditorToolbarTop = 0;
EditorClickRoutes gEditorClickRoutes;

namespace {

constexpr int16_t kAudioViewMode = 9;
constexpr int16_t kDrumViewMode = 16;
constexpr int16_t kLastToolCell = 3;
constexpr int16_t kTupletSplitX = 196;
constexpr int16_t kTupletSplitY = 26;
constexpr int16_t kTupletButtonSize = 12;
constexpr int32_t kMaxNoteValueField = 9999;
constexpr int32_t kMaxLengthPercent = 200;
constexpr int32_t kMinSwing = 20;
constexpr int32_t kMaxSwing = 80;
// The velocity display as it was before the velocity tool turned it on.
uint8_t gSavedShowVelocity = 0;

bool IsEditableView(int16_t viewMode) { return IsNoteOrDrumView(viewMode) || viewMode == kAudioViewMode; }

void RunSelectionTracker(Point where, EventRecord* event) {
  if (gEditorClickRoutes.selectionTracker) gEditorClickRoutes.selectionTracker(where, event);
}

void RunLaneClick(Point where, EventRecord* event) {
  if (gEditorClickRoutes.laneClick) gEditorClickRoutes.laneClick(where, event);
}

bool RouteTakes(bool (*route)(Point, EventRecord*), Point where, EventRecord* event) {
  return route && route(where, event);
}

void PencilMode(Point where, EventRecord* event) {
  if (IsAlternateRegionListActive()) return ShowFrozenReadout();  // frozen: nothing is drawn
  if (!IsEditableView(gCurrentViewMode)) return RunLaneClick(where, event);
  if (gCurrentViewMode == kAudioViewMode) return RunSelectionTracker(where, event);
  DrawOrEraseNotesAt(where, false);
}

void RectangleMode(Point where, EventRecord* event) {
  if (!IsAlternateRegionListActive() && !IsEditableView(gCurrentViewMode)) return RunLaneClick(where, event);
  int16_t savedTool = gNoteTool;
  gNoteTool = kRectangleTool;
  RunSelectionTracker(where, event);
  gNoteTool = savedTool;
}

void VelocityMode(Point where, EventRecord* event) {
  if (IsAlternateRegionListActive()) return ShowFrozenReadout();
  if (!IsEditableView(gCurrentViewMode)) return RunLaneClick(where, event);
  if (RouteTakes(gEditorClickRoutes.velocityHandleClick, where, event)) return;
  if (RouteTakes(gEditorClickRoutes.drumKeyClick, where, event)) return;
  RunSelectionTracker(where, event);
}

void BarToolMode(Point where, EventRecord* event) {
  if (RouteTakes(gEditorClickRoutes.drumKeyClick, where, event)) return;
  int32_t bar = BarLineNearTick(XToTime(gClickX));
  if (bar < 0 || !gEditorClickRoutes.dragBarLine) return RunSelectionTracker(where, event);
  gEditorClickRoutes.dragBarLine(bar, where);
}

void PaneClick(int16_t pane, Point where, EventRecord* event) {
  gClickX = where.h;
  if (RouteTakes(gEditorClickRoutes.paneHeaderClick, where, event)) return;
  SelectPaneForDrawing(pane);
  RunEditorClickMode(AdjustClickMode(ClickToolFor(event ? event->modifiers : 0)), where, event);
}

// The ruler: the arrow's selection tracker over the current pane, its times snapped to beats
// or bars (gClickInRuler is set).
void RulerClick(Point where, EventRecord* event) {
  gClickX = where.h;
  if (gEditorPaneCount > 0) SelectPaneForDrawing(gCurrentPaneIndex);
  RunEditorClickMode(AdjustClickMode(ClickToolFor(event ? event->modifiers : 0)), where, event);
}

// The strip below the last pane adds a pane in the middle of the last one.
void PaneStripClick(EventRecord* event) {
  int16_t last = int16_t(gEditorPaneCount - 1);
  int16_t middle = int16_t((gEditorPanes[last].top + gEditorPanes[last + 1].top) / 2);
  AddEditorPaneAtClick(middle, -1, event && (event->modifiers & optionKey));
}

void ToolbarClick(Point where) {
  int16_t tool = ToolAtToolbarPoint(where);
  if (tool >= 0) return SelectEditTool(tool);
  uint8_t tuplet = IsEditableView(gCurrentViewMode) ? TupletButtonAt(where) : 0;
  if (tuplet) ToggleTupletBit(tuplet);
}

bool IsToolbarButtonAt(Point where) {
  if (where.v < gEditorToolbarTop || where.v >= gEditorToolbarTop + kToolbarHeight) return false;
  return ToolAtToolbarPoint(where) >= 0 || (IsEditableView(gCurrentViewMode) && TupletButtonAt(where) != 0);
}

}  // namespace

bool IsNoteOrDrumView(int16_t viewMode) { return viewMode == 0 || viewMode == kRowViewMode || viewMode == kDrumViewMode; }

int16_t GetCurrentEditTool() { return IsNoteOrDrumView(gCurrentViewMode) ? gNoteTool : gLaneTool; }

void SelectEditTool(int16_t tool) {
  if (tool < 0 || tool >= kEditToolCount) return;
  if (GetCurrentEditTool() == kVelocityTool) SetShowVelocity(gSavedShowVelocity != 0);
  else gSavedShowVelocity = gShowVelocity;
  if (IsNoteOrDrumView(gCurrentViewMode)) gNoteTool = tool;
  else gLaneTool = tool;
  if (IsNoteOrDrumView(gCurrentViewMode) && gNoteTool == kVelocityTool) SetShowVelocity(true);
  InvalidateEditorWindow();
}

int16_t AdjustClickMode(int16_t tool) {
  if (gCurrentViewMode == kAudioViewMode && tool != kArrowTool && tool != kBarTool) return kArrowTool;
  if (tool == kPaintTool && !IsEditableView(gCurrentViewMode)) return kArrowTool;
  return tool;
}

int16_t ClickToolFor(uint16_t modifiers) {
  if (gClickInRuler || ((modifiers & optionKey) && IsNoteOrDrumView(gCurrentViewMode))) return kArrowTool;
  if (modifiers & controlKey) return kRectangleTool;
  return GetCurrentEditTool();
}

int16_t ToolCellLeft(int16_t cell) { return int16_t(gEditorToolbarLeft + cell * kToolCellWidth); }

int16_t ToolAtToolbarPoint(Point where) {
  int32_t dx = int32_t(where.h) - gEditorToolbarLeft;
  int32_t dy = int32_t(where.v) - gEditorToolbarTop;
  if (dx < 0 || dx > kToolIconsWidth || dy < 0 || dy >= kToolbarHeight) return -1;
  int16_t cell = int16_t(dx / kToolCellWidth);
  if (cell > kLastToolCell) cell = kLastToolCell;
  if (dy < kToolTopRowHeight) return cell < 2 ? int16_t(kAuditionTool) : int16_t(cell + 3);
  return cell < 2 ? cell : int16_t(cell + 1);
}

uint8_t TupletButtonAt(Point where) {
  int32_t dx = int32_t(where.h) - (gEditorToolbarLeft + kTupletSplitX);
  int32_t dy = int32_t(where.v) - (gEditorToolbarTop + kTupletSplitY);
  if (dx < -kTupletButtonSize || dx >= kTupletButtonSize || dy < -kTupletButtonSize || dy >= kTupletButtonSize) return 0;
  if (dx < 0) return dy < 0 ? kTupletTriplet : kTupletDotted;
  return dy < 0 ? kTupletQuintuplet : kTupletSeptuplet;
}

void SetNoteValueTicksField(int32_t ticks) {
  gNoteValueState.noteValue = std::clamp(ticks, 1, kMaxNoteValueField);
  InvalidateEditorWindow();
}

void SetNoteLengthPercentField(int32_t percent) {
  gNoteLengthPercent = int16_t(std::clamp(percent, 1, kMaxLengthPercent));
  InvalidateEditorWindow();
}

void SetEntryVelocityField(int32_t velocity) {
  gNoteEntryVelocity = uint8_t(std::clamp(velocity, 0, 127));
  InvalidateEditorWindow();
}

void SetSwingField(int32_t percent) {
  gSwingPercent = uint8_t(std::clamp(percent, kMinSwing, kMaxSwing));
  InvalidateEditorWindow();
}

int32_t BarLineNearTick(int32_t tick) {
  int32_t bar = 0, offset = 0;
  TickToBarAndOffset(tick, &bar, &offset);
  int32_t barLength = BarToTick(bar + 1) - BarToTick(bar);
  int32_t reach = gSixteenthNoteTicks / 4;
  if (offset > barLength - reach) return bar + 1;
  if (offset < reach) return bar;
  return -1;
}

void RunEditorClickMode(int16_t mode, Point where, EventRecord* event) {
  switch (mode) {
    case kPencilTool: return PencilMode(where, event);
    case kAuditionTool: return RunSelectionTracker(where, event);
    case kRectangleTool: return RectangleMode(where, event);
    case kVelocityTool: return VelocityMode(where, event);
    case kBarTool: return BarToolMode(where, event);
    case kPaintTool:
      if (IsAlternateRegionListActive()) return ShowFrozenReadout();
      if (gCurrentViewMode == kAudioViewMode) return;  // no notes on an audio track
      PaintNotes(where);
      return;
    default: return RunSelectionTracker(where, event);
  }
}

int32_t HandleEditorClick(AppWindow* w, Point where, EventRecord* event) {
  if (!w || !w->window) return 1;
  SetPortWindowPort(w->window);  // the drag loops read the mouse in the editor's coordinates
  // The new-pane box lies in the bottom scroll-bar strip: the strip below the panes.
  Rect box;
  GetNewPaneBoxRect(&box);
  if (gEditorPaneCount > 0 && PtInRect(where, &box)) {
    PaneStripClick(event);
    return 1;
  }
  Rect content;
  GetWindowPortBounds(w->window, &content);
  content.right = int16_t(content.right - kEditorScrollBarSize);
  content.bottom = int16_t(content.bottom - kEditorScrollBarSize);
  if (!PtInRect(where, &content)) return 1;
  // Interim: the tool bar lies over the marker strip and the top of the ruler until the
  // window's layout leaves it its own height; its buttons stay reachable there.
  if (IsToolbarButtonAt(where)) {
    ToolbarClick(where);
    return 1;
  }
  if (HitTestRuler(where)) {
    RulerClick(where, event);
    return 1;
  }
  int16_t pane = FindEditorPaneAt(where.v);
  if (pane >= 0) PaneClick(pane, where, event);
  else if (where.v >= gEditorToolbarTop && where.v < gEditorToolbarTop + kToolbarHeight) ToolbarClick(where);
  else if (gEditorPaneCount > 0 && where.v >= gEditorPanes[gEditorPaneCount].top) PaneStripClick(event);
  return 1;
}

void InstallEditorClicks() { SetWindowClickProc(kMainEditorWindowKind, HandleEditorClick); }
