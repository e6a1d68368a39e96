// The header strip above each pane: the track's number and name, the view mode, the length,
// the record, mute and solo buttons, and the close box and grip of the pane.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

constexpr int16_t kHeaderTitleLeft = 34;
constexpr int16_t kHeaderTitleRight = 125;
constexpr int16_t kHeaderButtonsLeft = 127;
constexpr int16_t kHeaderButtonCount = 4;
constexpr int16_t kHeaderBottomMargin = 16;
constexpr int16_t kViewModeTitles = 147;

// The strip of the current pane: from its divider line - line height - 5 to the line, across
// the window less 15. False (nothing to draw) when it starts within 16 pixels of the bottom.
bool GetPaneHeaderRect(Rect* strip);
void DrawPaneHeader(bool isCurrent);
