// A plain click and drag in the main editor: a time range over one or more panes, or a
// rectangle of notes (time by pitch), extended with shift and united with command, with the
// view scrolled while the pointer is beyond the note area.
#pragma once

#include <cstdint>

#include "platform/events/carbon_events.h"

constexpr double kAutoscrollStartInterval = 1.0 / 3.0;
constexpr double kAutoscrollFloorInterval = 0.001;
constexpr double kAutoscrollSpeedUp = 1.5;
// The autoscroll's step in pixels at the tick zoom levels.
constexpr int32_t kAutoscrollStepPixels = 16;
// The pointer counts as right of the note area beyond the window's right edge less this.
constexpr int16_t kAutoscrollRightInset = 15;

struct SelectionTracker {
  int32_t anchorTick = 1;
  int16_t anchorRow = 0;
  int16_t anchorPane = 0;
  int32_t currentTick = 1;
  int16_t currentRow = 0;
  uint8_t lowPitch = 0;
  uint8_t highPitch = 127;
  double interval = kAutoscrollStartInterval;
  bool extend = false;
  bool rectangle = false;
  EventLoopTimerRef timer = nullptr;
};
// The tracker running now (null outside a tracking), for the autoscroll timer.
extern SelectionTracker* gSelectionTracker;

// From gLastMousePoint (the click, main editor window coordinates) with the modifiers of the
// click, until the button is released. A plain click inside the selection of a selected pane
// drags the selection instead (DragSelectionOut) once the pointer moves.
void TrackEditorSelection(uint32_t modifiers, bool doubleClick);
// One autoscroll step of the registered tracker with the pointer at x (window coordinates);
// answers the scroll step taken (negative to the left, 0 none).
int32_t AutoscrollSelectionAt(int16_t x);
void RunSelectionAutoscroll(EventLoopTimerRef timer, void* userData);
// Scrolls the main editor's time axis by steps autoscroll steps, never left of the song's
// start nor past its end; answers the steps taken.
int32_t ScrollTimelineBySteps(int32_t steps);
// The tracked range and pitch bounds from the tracker's anchor and its current tick and row.
void UpdateTrackedSelection(SelectionTracker* tracker);
