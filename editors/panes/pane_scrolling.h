// Scrolling a pane of the main editor up and down its rows with its scroll bar.
#pragma once

#include "platform/controls/control_types.h"

constexpr int16_t kPaneScrollPage = 12;  // one octave

// The action of a pane's scroll bar: a row per arrow and an octave per page (up only while the
// value is above 0, down only while it is below the maximum); the value is kept in the track's
// scroll byte and the pane is drawn again with its left column.
void ScrollVerticalAction(ControlRef control, ControlPartCode part);
// Every pane's scroll bar takes the vertical action.
void InstallPaneScrollActions();
