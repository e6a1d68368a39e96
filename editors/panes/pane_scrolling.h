// Drawing one pane of the main editor again, and scrolling a pane up and down its rows with
// its scroll bar.
#pragma once

#include "platform/controls/control_types.h"

constexpr int16_t kPaneScrollPage = 12;  // one octave

// The action of a pane's scroll bar: a row per arrow and an octave per page (up only while the
// value is above 0, down only while it is below the maximum); the value is kept in the track's
// scroll byte and the pane, made current, is drawn again with its left column.
void ScrollVerticalAction(ControlRef control, ControlPartCode part);
// The current pane drawn again in the main editor window: erased in the pane colour, its
// background, content and header, then the song-end line 2 pixels right of the song's end.
void RedrawOnePane();
// Every pane's scroll bar takes the vertical action.
void InstallPaneScrollActions();
