// Tracking clicks: buttons, repeating arrows and pages, scroll bar thumbs, pop-up and bevel
// menus and edit-text selections, fed by the mouse events in the queue.
#include <algorithm>

#include "platform/controls/control_parts.h"
#include "platform/menus/menus.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/system/host_time.h"
#include "platform/windows/mouse_tracking.h"

namespace {

// How long tracking waits for the mouse before calling the action again.
constexpr EventTimeout kTrackingPoll = 1.0 / 60;

enum class Step { kMoved, kReleased, kIdle };

// The next report of the mouse while tracking (the shared tracking step): a queued move, drag
// or release taken from the queue in order; kIdle after a short wait while the button is held
// with nothing queued; Escape or Command-period end the tracking outside the control.
Step NextMouse(ControlRef c, Point* local) {
  MouseTrackingResult result = kMouseTrackingTimedOut;
  Point where = *local;
  if (TrackMouseLocationWithOptions(ControlWindowPort(c->window), 0, kTrackingPoll, &where, nullptr,
                                    &result) != noErr)
    return Step::kReleased;
  switch (result) {
    case kMouseTrackingTimedOut: return Step::kIdle;
    case kMouseTrackingMouseUp: *local = where; return Step::kReleased;
    case kMouseTrackingUserCancelled: *local = Point{-32768, -32768}; return Step::kReleased;
    default: *local = where; return Step::kMoved;
  }
}

void CallAction(ControlRef c, ControlActionUPP action, ControlPartCode part) {
  if (action && IsLiveControl(c)) action(c, part);
}

// Buttons, check boxes, labels: pressed while the mouse is over the part.
ControlPartCode TrackPress(ControlRef c, ControlPartCode part, Point pt, ControlActionUPP action) {
  HiliteControl(c, part);
  for (;;) {
    Step step = NextMouse(c, &pt);
    if (!IsLiveControl(c)) return kControlNoPart;
    bool inside = ControlPartAt(c, pt) == part;
    HiliteControl(c, inside ? part : ControlPartCode(kControlNoPart));
    if (step == Step::kReleased) {
      HiliteControl(c, kControlNoPart);
      return inside ? part : ControlPartCode(kControlNoPart);
    }
    CallAction(c, action, inside ? part : ControlPartCode(kControlNoPart));
  }
}

// Arrows and page areas: the action runs at once and then on every report while the mouse is
// in the part.
ControlPartCode TrackRepeat(ControlRef c, ControlPartCode part, Point pt, ControlActionUPP action) {
  HiliteControl(c, part);
  CallAction(c, action, part);
  for (;;) {
    Step step = NextMouse(c, &pt);
    if (!IsLiveControl(c)) return kControlNoPart;
    bool inside = ControlPartAt(c, pt) == part;
    HiliteControl(c, inside ? part : ControlPartCode(kControlNoPart));
    if (step == Step::kReleased) {
      HiliteControl(c, kControlNoPart);
      return inside ? part : ControlPartCode(kControlNoPart);
    }
    if (inside) CallAction(c, action, part);
  }
}

// The thumb: a live scroll bar changes its value as the thumb moves and calls the action with
// the indicator part on every report; another moves a ghost and sets the value at release.
ControlPartCode TrackThumb(ControlRef c, Point pt, ControlActionUPP action) {
  ScrollBarParts parts = ScrollBarLayout(c);
  bool live = c->live;
  auto along = [&](Point p) { return parts.vertical ? p.v : p.h; };
  int grab = along(pt) - parts.thumbStart;
  SInt32 value = c->value;
  HiliteControl(c, kControlIndicatorPart);
  for (;;) {
    Step step = NextMouse(c, &pt);
    if (!IsLiveControl(c)) return kControlNoPart;
    int start = along(pt) - grab;
    value = ScrollBarValueAt(c, parts, start);
    if (live) {
      if (value != c->value) {
        SetValueQuietly(c, value);
        RedrawControl(c);
      }
    } else {
      c->ghostThumb = std::clamp(start, parts.trackStart, parts.trackStart + parts.trackLength - parts.thumbLength);
      RedrawControl(c);
    }
    if (step == Step::kReleased) break;
    if (live) CallAction(c, action, kControlIndicatorPart);
  }
  c->ghostThumb = -1;
  c->hilite = kControlNoPart;
  if (value != c->value) {
    SetControl32BitValue(c, value);
  } else {
    RedrawControl(c);
  }
  if (live) CallAction(c, action, kControlIndicatorPart);
  return kControlIndicatorPart;
}

// Shows the menu under rect (local) with item `current`; the chosen item or 0.
SInt16 PopMenu(ControlRef c, const Rect& rect, SInt16 current) {
  MenuRef menu = LiveControlMenu(c);
  if (!menu) return 0;
  Point topLeft{rect.bottom, rect.left};
  if (c->kind == CtlKind::kPopupButton) topLeft = Point{rect.top, rect.left};
  if (CGrafPtr port = ControlWindowPort(c->window)) QDLocalToGlobalPoint(port, &topLeft);
  SInt32 chosen = PopUpMenuSelect(menu, topLeft.v, topLeft.h, current);
  return SInt16(chosen & 0xFFFF);
}

ControlPartCode TrackPopup(ControlRef c) {
  HiliteControl(c, kControlMenuPart);
  SInt16 item = PopMenu(c, PopupButtonRect(c), SInt16(std::max<SInt32>(1, c->value)));
  HiliteControl(c, kControlNoPart);
  if (item <= 0) return kControlNoPart;
  SetControl32BitValue(c, item);
  return kControlMenuPart;
}

ControlPartCode TrackBevelMenu(ControlRef c) {
  HiliteControl(c, kControlMenuPart);
  SInt16 item = PopMenu(c, c->bounds, std::max<SInt16>(1, c->menuValue));
  HiliteControl(c, kControlNoPart);
  if (item <= 0) return kControlNoPart;
  SetBevelButtonMenuValue(c, item);
  return kControlMenuPart;
}

ControlPartCode TrackEditText(ControlRef c, Point pt, EventModifiers modifiers) {
  SInt32 anchor = (modifiers & shiftKey) ? (c->anchor) : EditTextOffsetAt(c, pt.h);
  EditTextSetSelection(c, anchor, EditTextOffsetAt(c, pt.h));
  c->anchor = SInt16(anchor);
  c->caretOn = true;
  c->caretTick = TickCount();
  RedrawControl(c);
  for (;;) {
    Step step = NextMouse(c, &pt);
    if (!IsLiveControl(c)) return kControlNoPart;
    if (step != Step::kIdle && pt.h != -32768) {
      SInt32 at = EditTextOffsetAt(c, pt.h);
      EditTextSetSelection(c, anchor, at);
      c->anchor = SInt16(anchor);
      RedrawControl(c);
    }
    if (step == Step::kReleased) return kControlEditTextPart;
  }
}

void ApplyToggle(ControlRef c, ControlPartCode part) {
  if (part == kControlNoPart) return;
  if (c->kind == CtlKind::kCheckBox && c->autoToggle)
    SetControl32BitValue(c, c->value == kControlCheckBoxCheckedValue ? 0 : 1);
  if (c->kind == CtlKind::kRadioButton && c->autoToggle) SetControl32BitValue(c, 1);
  if (c->kind == CtlKind::kBevelButton && part == kControlButtonPart) {
    if (c->behavior & kControlBehaviorToggles) SetControl32BitValue(c, c->value ? 0 : 1);
    if (c->behavior & kControlBehaviorSticky) SetControl32BitValue(c, 1);
  }
}

ControlPartCode Track(ControlRef c, Point start, ControlActionUPP actionProc, EventModifiers modifiers) {
  if (!IsLiveControl(c) || !IsShown(c) || !IsActiveNow(c)) return kControlNoPart;
  ControlActionUPP action = actionProc == ControlOwnActionUPP() ? c->action : actionProc;
  ControlPartCode part = ControlPartAt(c, start);
  if (part == kControlNoPart) return kControlNoPart;
  ControlPartCode result = kControlNoPart;
  switch (c->kind) {
    case CtlKind::kEditText: result = TrackEditText(c, start, modifiers); break;
    case CtlKind::kScrollBar:
      result = part == kControlIndicatorPart ? TrackThumb(c, start, action) : TrackRepeat(c, part, start, action);
      break;
    case CtlKind::kLittleArrows: result = TrackRepeat(c, part, start, action); break;
    case CtlKind::kPopupButton: result = TrackPopup(c); break;
    case CtlKind::kBevelButton:
      result = part == kControlMenuPart ? TrackBevelMenu(c) : TrackPress(c, part, start, action);
      break;
    case CtlKind::kUserPane:
      result = c->pane.tracking ? c->pane.tracking(c, start, action) : TrackPress(c, part, start, action);
      break;
    default: result = TrackPress(c, part, start, action); break;
  }
  if (!IsLiveControl(c)) return result;
  ApplyToggle(c, result);
  if (result != kControlNoPart) SendControlHit(c, result, modifiers);
  return result;
}

}  // namespace

ControlPartCode TrackControl(ControlRef control, Point startPoint, ControlActionUPP actionProc) {
  return Track(control, startPoint, actionProc, EventModifiers(GetCurrentEventKeyModifiers()));
}

ControlPartCode HandleControlClick(ControlRef control, Point where, EventModifiers modifiers,
                                   ControlActionUPP actionProc) {
  if (!IsLiveControl(control) || !IsShown(control) || !IsActiveNow(control)) return kControlNoPart;
  if ((control->features & kControlGetsFocusOnClick) && WindowFocusControl(control->window) != control)
    SetKeyboardFocus(control->window, control, kControlFocusNextPart);
  return Track(control, where, actionProc, modifiers);
}

OSStatus HandleControlSetCursor(ControlRef control, Point localPoint, EventModifiers,
                                Boolean* cursorWasSet) {
  if (cursorWasSet) *cursorWasSet = false;
  if (!IsLiveControl(control)) return errUnknownControl;
  if (control->kind == CtlKind::kEditText && IsActiveNow(control) && PtInRect(localPoint, &control->bounds)) {
    SetThemeCursor(kThemeIBeamCursor);
    if (cursorWasSet) *cursorWasSet = true;
  }
  return noErr;
}
