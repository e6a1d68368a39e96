// The counter window's own elements in the info panel: the transport buttons, the mode
// indicators (cycle, punch, click) and the format toggle (the counter mode's label), and the
// panel's click handler that dispatches to them, to the tempo controls and to the counter
// fields. Main thread.
#pragma once

#include <cstdint>

#include "platform/events/classic_events.h"
#include "platform/quickdraw/quickdraw_types.h"

struct AppWindow;

// Button n (0 stop, 1 play, 2 record, 3 rewind, 4 a bar forward, 5 a bar back) in panel
// coordinates.
void GetCounterButtonRect(int16_t button, Rect* rect);
void GetCounterIndicatorRect(int16_t indicator, Rect* rect);
// The texts of the indicators: STR# 136 items 9-11.
constexpr int16_t kIndicatorStringBase = 9;

// The buttons and indicators, in the panel's port.
void DrawCounterWindow();
// Redraws field n of the counter (0 bar:beat:tick, 1 meter, 2 time code) in the current port.
void RedrawCounterFieldInPanel(int16_t n);
// The panel's content click at a local point: the tempo controls, a transport button, an
// indicator, the format toggle, a bar:beat:tick field (bar, beat, tick in that order), or a
// field of the time read-out. Returns 0: the panel stays where it is.
int32_t CounterClick(AppWindow* w, Point local, EventRecord* event);
// Makes CounterClick the info panel's click handler.
void InstallCounterClicks();
