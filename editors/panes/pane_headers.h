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
// The same for pane index (the current one or any other).
bool GetPaneHeaderRectOf(int16_t index, Rect* strip);

// The fields of a header strip, one geometry for the drawing and the clicks: window
// coordinates from the strip and the text row height. A column's right edge may lie past the
// strip (the text is clipped to it).
enum PaneHeaderColumn : int16_t {
  kHeaderTitleColumn = 0,
  kHeaderModeColumn = 1,
  kHeaderOutputColumn = 2,
  kHeaderLengthColumn = 3,
  kHeaderChainColumn = 4,
};
Rect GetPaneHeaderColumnRect(const Rect& strip, int16_t line, int16_t column);
// Toggle button i (0 record, 1 mute, 2 solo, 3 play switch), one line height square.
Rect GetPaneHeaderButtonRect(const Rect& strip, int16_t line, int16_t button);
// The close (remove) box at the strip's right and the collapse box left of it; both exist
// only while there is more than one pane.
Rect GetPaneHeaderCloseBox(const Rect& strip, int16_t line);
Rect GetPaneHeaderCollapseBox(const Rect& strip, int16_t line);
void DrawPaneHeader(bool isCurrent);
// The view-mode field of the current pane's header (empty when the header is not shown).
Rect GetPaneHeaderModeField();
// Drags the divider above pane index (> 0) from start (local) as a gray outline of its
// header, no higher than the previous pane's top; the pane's top moves by the vertical offset
// (nothing when the mouse was released outside the window), then the panes are laid out
// again. True when the divider moved.
bool DragPaneDivider(int16_t index, Point start);
