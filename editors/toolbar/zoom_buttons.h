// The tool bar's two zoom buttons: a press tracked with the button highlight steps the main
// editor's zoom when it ends inside the button.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

// True when the press on r ends inside it (the strip-button highlight follows the mouse).
bool TrackZoomButton(const Rect& r);
// out 0: the zoom-in button, 1: the zoom-out button.
void ZoomButtonClick(int16_t out);
void ZoomInButton();
void ZoomOutButton();
