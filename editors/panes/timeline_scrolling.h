// Scrolling the main editor's timeline left and right: the window's horizontal scroll bar, whose
// value is the bar at the left edge, and its action, which the Page Up and Page Down keys and
// '<' and '>' reach as well.
#pragma once

#include <cstdint>

#include "platform/controls/control_types.h"

// The horizontal action: the arrows move one bar (at the audio zoom levels 2^(level + 10)
// samples), the page parts one view width less a bar (at the audio levels one view width), and
// the thumb puts its bar at the left edge. Never before tick 1 nor past the song's last bar.
// control may be null (the keys without a bar): the step is taken from the part alone.
void ScrollHorizontalAction(ControlRef control, ControlPartCode part);
// The bar the timeline's left edge lies in, and the last bar the bar can reach (the song's
// last bar, at least 0, at most 32767).
int16_t GetTimelineScrollBar();
int16_t GetTimelineScrollMaximum();
// Makes the main editor window's horizontal scroll bar when it has none, and brings its range
// and value in step with the timeline.
void UpdateEditorScrollBar();
