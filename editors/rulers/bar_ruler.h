// The bar ruler above the panes (bar numbers in framed labels with beat ticks, or real time),
// the geometry of the strips above the panes, and the mouse tests against the ruler.
#pragma once

#include <cstdint>

#include "editors/timeline/click_state.h"
#include "platform/quickdraw/quickdraw_types.h"

// The main editor's tool bar and its origin; the marker strip and the ruler lie below it.
struct EditorLayout {
  Rect toolbar{};
  int16_t pictureBase = 488;
  int16_t originY = 0;
  int16_t originX = 0;
  uint16_t flags = 0;  // bit 0x40: the marker strip is filled with the panel fill
};
constexpr uint16_t kLayoutPanelFill = 0x40;
// The width of the tool bar picture.
constexpr int16_t kToolbarWidth = 520;
// Its height: the tool bar is drawn only when the layout gives it this much.
constexpr int16_t kToolbarFullHeight = 40;
extern EditorLayout gEditorLayout;

// Interim: the tool bar spans the window's width and ends where the marker strip and the ruler
// leave the pane top margin.
void LayoutEditorToolbar(const Rect& window);
// The marker strip: from the tool bar's bottom - 1, line height + 3 high.
Rect GetMarkerStripRect(int16_t right);
// The ruler: from the marker strip's top + line height + 2 down to the pane top margin, from
// the origin x.
Rect GetMainRulerRect(int16_t right);

// Whether the ruler shows real time (the song document's time display); without a source it
// shows bars.
using TimeCodeDisplayProc = bool (*)();
void SetTimeCodeDisplaySource(TimeCodeDisplayProc proc);
bool IsTimeCodeDisplay();

// The hit tests set gBarLabelHit and gClickInRuler of the click state.

// The labelled bars of a ruler strip from firstBar, for the ticks leftTick..rightTick, with
// the song end line when the song ends inside the view.
void DrawBarRuler(int16_t top, int32_t firstBar, int32_t leftTick, int32_t rightTick, int16_t bottom, int16_t right);
void DrawMainRuler();
// Sizes a bar label for number: width of its digits in '8's plus a quarter; sets the right
// edge. Returns the measured text width.
int16_t SizeCounterBox(Rect* rect, int32_t number);
void DrawCounterLabel(ConstStr255Param text, const Rect& rect);
// gClickInRuler = 1 when mouse lies in the ruler, then the bar label test.
uint8_t HitTestRuler(Point mouse);
// gBarLabelHit = 255 when mouse lies on the label of the bar at tick (its pennant).
uint8_t HitTestBarLabel(int32_t tick, Point mouse);
