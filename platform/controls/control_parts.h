// Where each part of a control lies: scroll bar arrows, track and thumb, the halves of little
// arrows, the box of a check box, the menu area of pop-up and bevel buttons. Drawing, hit
// testing and tracking share these so they always agree. Internal to platform/controls.
#pragma once

#include "platform/controls/control_internal.h"

struct ScrollBarParts {
  bool vertical = true;
  Rect upArrow;    // the arrow at the top (left) end
  Rect downArrow;  // the arrow at the bottom (right) end
  Rect track;      // between the arrows
  Rect thumb;      // empty when there is no thumb
  int trackStart = 0;    // first coordinate of the track along the bar
  int trackLength = 0;
  int thumbStart = 0;    // first coordinate of the thumb along the bar
  int thumbLength = 0;
};

ScrollBarParts ScrollBarLayout(ControlRef control);
// The value that puts the thumb's leading edge at thumbStart (clamped to the range).
SInt32 ScrollBarValueAt(ControlRef control, const ScrollBarParts& parts, int thumbStart);

// The square box of a check box or radio button and the title area to its right.
Rect CheckMarkBox(ControlRef control);
Rect CheckTitleRect(ControlRef control);
// A pop-up button's title (left, titleWidth wide) and its button (the rest).
Rect PopupTitleRect(ControlRef control);
Rect PopupButtonRect(ControlRef control);
// The menu arrow area of a bevel button with a menu (empty without one).
Rect BevelMenuRect(ControlRef control);
// The halves of little arrows.
Rect LittleArrowsUpRect(ControlRef control);
Rect LittleArrowsDownRect(ControlRef control);

// The part of the control at the local point, whatever the control's state (0: none).
ControlPartCode ControlPartAt(ControlRef control, Point pt);
