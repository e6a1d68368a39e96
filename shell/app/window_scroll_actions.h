// The list windows' scroll bars: made at start-up, stepped by their arrows and pages, and
// followed by the window's drawing while the thumb is dragged (the click routing tracks a
// control with its own action).
#pragma once

#include "platform/controls/controls.h"
#include "platform/windows/windows.h"

// Start-up: the scroll bars of the track window, song list, event list and marker list from
// their 'CNTL' resources, and the track window's row-height and zoom buttons, laid out and
// given their ranges.
void CreateWindowScrollBars();
// The list windows' bars placed again at their windows' edges, with their ranges, after the
// windows were placed and sized (start-up's placement and the stored layout).
void LayoutListWindowBars();
// The action of those bars: an arrow steps one row, a page area a window's rows less one; the
// window is drawn again when the value moved.
void ListScrollAction(ControlRef control, ControlPartCode part);
