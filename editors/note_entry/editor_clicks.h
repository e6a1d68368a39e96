// A mouse-down in the content of the main editor window (kind 4) becomes an action: by area
// (tool bar, panes, the strip below them), by the edit tool and by the modifier keys.
#pragma once

#include <cstdint>

#include "editors/rulers/bar_ruler.h"
#include "editors/timeline/click_state.h"
#include "platform/events/classic_events.h"
#include "shell/windows/app_windows.h"

enum EditTool : int16_t {
  kArrowTool = 0,
  kPencilTool = 1,
  kAuditionTool = 2,
  kRectangleTool = 3,
  kVelocityTool = 4,
  kBarTool = 5,
  kPaintTool = 6,
  kEditToolCount = 7,
};

// The tool of the note and drum views (0, 1, 16), `gNoteTool`, and the x of the last content
// click, `gClickX`, are the timeline's click state (editors/timeline/click_state.h); this is
// the tool of every other view.
extern int16_t gLaneTool;

// The tool bar: two rows of four 26-pixel icon cells over the 103 pixels after its left edge
// (the top row is its top 14 pixels); the strip is 40 pixels tall. Its place in the window
// (gEditorToolbarLeft, gEditorToolbarTop) is where the window drawing last drew it.
constexpr int16_t kToolCellWidth = 26;
constexpr int16_t kToolIconsWidth = 103;
constexpr int16_t kToolTopRowHeight = 14;
constexpr int16_t kToolStripHeight = kToolbarFullHeight;
constexpr int16_t kEditorScrollBarSize = 15;
extern int16_t gEditorToolbarLeft;
extern int16_t gEditorToolbarTop;

// What the dispatcher hands clicks to; each owner fills its entry when it is built (an empty
// entry takes nothing). Points are window coordinates.
struct EditorClickRoutes {
  bool (*paneHeaderClick)(Point where, EventRecord* event);  // true: taken
  void (*selectionTracker)(Point where, EventRecord* event);
  void (*laneClick)(Point where, EventRecord* event);
  bool (*velocityHandleClick)(Point where, EventRecord* event);  // true: taken
  bool (*drumKeyClick)(Point where, EventRecord* event);         // true: taken
  void (*dragBarLine)(int32_t bar, Point where);
  // The marker dialog for marker index (hit) or for a new marker at tick (not hit).
  void (*openMarkerDialog)(int32_t tick, int32_t index, bool hit);
  // The tool bar's value fields and buttons beside the tools; true: taken.
  bool (*toolbarFieldClick)(Point where, EventRecord* event);
  // The 'R' button: the event template back to its start (as the 'R' key).
  void (*resetEventTemplate)();
  // A tool-bar click outside the tools and fields in a lane view: the lane title's pop-up.
  void (*laneTitleClick)(Point where);
};
extern EditorClickRoutes gEditorClickRoutes;

bool IsNoteOrDrumView(int16_t viewMode);
int16_t GetCurrentEditTool();
// Stores the tool for the current view's kind and applies its view settings (the velocity
// display follows the velocity tool).
void SelectEditTool(int16_t tool);
// After a change of the view or of the note tool, in the note and drum views: the velocity
// tool turns the velocity display on; every tool but it and the rectangle tool sets the
// selection's pitch range back to whole panes.
void ApplyViewModeTools();
// Audio view: tools 1, 2, 3, 4 and 6 become 0; tool 6 outside the note, drum and audio
// views becomes 0.
int16_t AdjustClickMode(int16_t tool);
// The tool a pane click uses before AdjustClickMode: 0 in the ruler or with option in a note
// or drum view, 3 with control, else the current tool.
int16_t ClickToolFor(uint16_t modifiers);
// The tool of the icon cell at the window point, -1 outside the icons. One cell formula
// (ToolCellLeft) serves the drawing and this hit test.
int16_t ToolAtToolbarPoint(Point where);
int16_t ToolCellLeft(int16_t cell);
// The icon cell of tool in window coordinates (tool 2 takes two cells of the top row).
Rect GetToolCellRect(int16_t tool);
// The tuplet button of a kTuplet* bit in window coordinates (12 by 12 pixels).
Rect GetTupletButtonRect(uint8_t bit);
// The tuplet buttons: a 2 by 2 block of 12-pixel buttons around the split 196 pixels right of
// the tool bar's left edge and 26 below its top (left-top triplet, left-bottom dotted,
// right-top quintuplet, right-bottom septuplet). The kTuplet* bit under the point, or 0.
uint8_t TupletButtonAt(Point where);
// The tool bar's value fields: each stores its value held in its range and repaints.
void SetNoteValueTicksField(int32_t ticks);      // 1..9999
void SetNoteLengthPercentField(int32_t percent);  // 1..200
void SetEntryVelocityField(int32_t velocity);     // 0..127
void SetSwingField(int32_t percent);              // 20..80
// The bar tool's bar at a tick: the bar whose line lies within a quarter of a sixteenth
// (this bar, or the next one when the remainder is that close to the bar's end); -1 for none.
int32_t BarLineNearTick(int32_t tick);
// The window click procedure of kind 4 (window_clicks.h); answers 1.
int32_t HandleEditorClick(AppWindow* w, Point where, EventRecord* event);
// The click mode's action for a click at where in the current pane.
void RunEditorClickMode(int16_t mode, Point where, EventRecord* event);
// Registers HandleEditorClick for the main editor window.
void InstallEditorClicks();
