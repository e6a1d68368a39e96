#include "editors/note_entry/editor_clicks.h"

#include <algorithm>
#include <cstdlib>

#include "editing/event_filters.h"
#include "editors/note_drawing/note_boxes.h"
#include "editors/note_entry/grid_snapping.h"
#include "editors/note_entry/marker_drag.h"
#include "editors/note_entry/note_painting.h"
#include "editors/note_entry/note_pencil.h"
#include "editors/note_entry/note_readout.h"
#include "editors/note_entry/note_values.h"
#include "editors/note_entry/pane_adding.h"
#include "editors/panes/pane_stack.h"
#include "editors/panes/selection_hilite.h"
#include "editors/rulers/bar_ruler.h"
#include "editors/rulers/marker_strip.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/events/classic_events.h"
#include "platform/events/key_codes.h"
#include "platform/quickdraw/geometry.h"
#include "platform/windows/windows.h"
#include "shell/drawing/row_metrics.h"
#include "shell/windows/editor_panes.h"
#include "shell/windows/window_clicks.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/timebase.h"
#include "song/model/song_context.h"
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

void HandleBarToolClick(Point where, EventRecord* event) {
  if (RouteTakes(gEditorClickRoutes.drumKeyClick, where, event)) return;
  int32_t bar = BarLineNearTick(XToTime(gClickX));
  if (bar < 0 || !gEditorClickRoutes.dragBarLine) return RunSelectionTracker(where, event);
  gEditorClickRoutes.dragBarLine(bar, where);
}

void PaneClick(int16_t pane, Point where, EventRecord* event) {
  gClickX = where.h;
  SelectPaneForDrawing(pane);
  RunEditorClickMode(AdjustClickMode(ClickToolFor(event ? event->modifiers : 0)), where, event);
}

// The strip below the last pane adds a pane in the middle of the last one.
void PaneStripClick(EventRecord* event) {
  int16_t last = int16_t(gEditorPaneCount - 1);
  int16_t middle = int16_t((gEditorPanes[last].top + gEditorPanes[last + 1].top) / 2);
  AddEditorPaneAtClick(middle, -1, event && (event->modifiers & optionKey));
}

// A second click within the double-click time and a few pixels of the first.
bool IsSecondClick(Point where, const EventRecord* event) {
  static uint32_t lastWhen = 0;
  static Point lastWhere{};
  uint32_t when = event ? event->when : 0;
  bool second = lastWhen != 0 && when - lastWhen <= GetDblTime() && std::abs(where.h - lastWhere.h) <= 4 &&
                std::abs(where.v - lastWhere.v) <= 4;
  lastWhen = second ? 0 : when;
  lastWhere = where;
  return second;
}

// A click in the marker strip drags the marker under it; a double-click on a marker, or a click
// beside every marker, opens the marker dialog at the click's snapped time.
void MarkerStripClick(Point where, EventRecord* event) {
  int32_t index = -1;
  bool hit = HitTestMarkers(where, &index, nullptr) != 0;
  if (hit && !DragMarker(where, index, IsSecondClick(where, event))) return;
  int32_t tick = SnapTimeToGrid(XToTime(where.h), 0, gSnapSwitch != 0, true, nullptr);
  if (gEditorClickRoutes.openMarkerDialog) gEditorClickRoutes.openMarkerDialog(tick, hit ? index : -1, hit);
}

// A click in the bar ruler selects time with the arrow tool, snapped to beats or bars.
void RulerClick(Point where, EventRecord* event) {
  if (gEditorPaneCount <= 0) return;
  gClickX = where.h;
  SelectPaneForDrawing(gCurrentPaneIndex >= 0 && gCurrentPaneIndex < gEditorPaneCount ? gCurrentPaneIndex : 0);
  RunEditorClickMode(AdjustClickMode(ClickToolFor(event ? event->modifiers : 0)), where, event);
}

void ToolbarClick(Point where, EventRecord* event) {
  int16_t tool = ToolAtToolbarPoint(where);
  if (tool >= 0) return SelectEditTool(tool);
  if (RouteTakes(gEditorClickRoutes.toolbarFieldClick, where, event)) return;
  if (!IsEditableView(gCurrentViewMode)) {
    if (gEditorClickRoutes.laneTitleClick) gEditorClickRoutes.laneTitleClick(where);
    return;
  }
  uint8_t tuplet = IsEditableView(gCurrentViewMode) ? TupletButtonAt(where) : 0;
  if (tuplet) ToggleTupletBit(tuplet);
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
  ApplyViewModeTools();
  UpdateEventFilters();
  InvalidateEditorWindow();
}

void ApplyViewModeTools() {
  if (!IsNoteOrDrumView(gCurrentViewMode)) return;
  if (gNoteTool == kVelocityTool) SetShowVelocity(true);
  else if (gNoteTool != kRectangleTool) ResetSelectionPitchRange();
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
  if (dx < 0 || dx > kToolIconsWidth || dy < 0 || dy >= kToolStripHeight) return -1;
  int16_t cell = int16_t(dx / kToolCellWidth);
  if (cell > kLastToolCell) cell = kLastToolCell;
  if (dy < kToolTopRowHeight) return cell < 2 ? int16_t(kAuditionTool) : int16_t(cell + 3);
  return cell < 2 ? cell : int16_t(cell + 1);
}

Rect GetToolCellRect(int16_t tool) {
  int16_t top = gEditorToolbarTop, middle = int16_t(gEditorToolbarTop + kToolTopRowHeight);
  int16_t bottom = int16_t(gEditorToolbarTop + kToolStripHeight);
  switch (tool) {
    case kArrowTool: case kPencilTool: return Rect{middle, ToolCellLeft(tool), bottom, ToolCellLeft(int16_t(tool + 1))};
    case kAuditionTool: return Rect{top, ToolCellLeft(0), middle, ToolCellLeft(2)};
    case kRectangleTool: case kVelocityTool:
      return Rect{middle, ToolCellLeft(int16_t(tool - 1)), bottom, ToolCellLeft(int16_t(tool))};
    default: return Rect{top, ToolCellLeft(int16_t(tool - 3)), middle, ToolCellLeft(int16_t(tool - 2))};
  }
}

Rect GetTupletButtonRect(uint8_t bit) {
  int16_t h = int16_t(gEditorToolbarLeft + kTupletSplitX), v = int16_t(gEditorToolbarTop + kTupletSplitY);
  bool right = bit == kTupletQuintuplet || bit == kTupletSeptuplet;
  bool lower = bit == kTupletDotted || bit == kTupletSeptuplet;
  int16_t left = int16_t(right ? h : h - kTupletButtonSize), top = int16_t(lower ? v : v - kTupletButtonSize);
  return Rect{top, left, int16_t(top + kTupletButtonSize), int16_t(left + kTupletButtonSize)};
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
    case kBarTool: return HandleBarToolClick(where, event);
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
  gClickInRuler = 0;
  gBarLabelHit = 0;
  Rect strip = GetMarkerStripRect(GetMainWindowRight());
  if (gCurrentSong && PtInRect(where, &strip)) {
    MarkerStripClick(where, event);
    return 1;
  }
  if (HitTestRuler(where)) {
    RulerClick(where, event);
    return 1;
  }
  // A pane's header lies above its divider line (the first one above every pane's band).
  gClickX = where.h;
  if (RouteTakes(gEditorClickRoutes.paneHeaderClick, where, event)) return 1;
  int16_t pane = FindEditorPaneAt(where.v);
  // The first pane's header lies above its top (each other header ends the pane before it).
  if (pane < 0 && gEditorPaneCount > 0 && where.v < gEditorPanes[0].top &&
      where.v >= gEditorPanes[0].top - gStandardLineHeight - 5)
    pane = 0;
  if (pane >= 0) PaneClick(pane, where, event);
  else if (where.v >= gEditorToolbarTop && where.v < gEditorToolbarTop + kToolStripHeight) ToolbarClick(where, event);
  else if (gEditorPaneCount > 0 && where.v >= gEditorPanes[gEditorPaneCount].top) PaneStripClick(event);
  return 1;
}

void InstallEditorClicks() { SetWindowClickProc(kMainEditorWindowKind, HandleEditorClick); }
