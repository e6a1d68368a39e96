#include "shell/app/wheel_scrolling.h"

#include "platform/controls/controls.h"
#include "platform/dialogs/dialogs.h"
#include "platform/events/classic_events.h"
#include "platform/quickdraw/ports.h"
#include "platform/system/host_time.h"
#include "platform/windows/windows.h"
#include "shell/dialogs/dialog_arrows.h"
#include "shell/dialogs/dialog_list.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/nib_dialog_events.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"

uint32_t gLastWheelTicks = 0;

namespace {

struct WheelEvent {
  Point where{};  // global
  SInt32 delta = 0;
  UInt16 axis = kEventMouseWheelAxisY;
};

bool ReadWheelEvent(EventRef event, WheelEvent* wheel) {
  GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof wheel->where, nullptr,
                    &wheel->where);
  GetEventParameter(event, kEventParamMouseWheelAxis, typeMouseWheelAxis, nullptr, sizeof wheel->axis,
                    nullptr, &wheel->axis);
  return GetEventParameter(event, kEventParamMouseWheelDelta, typeSInt32, nullptr, sizeof wheel->delta,
                           nullptr, &wheel->delta) == noErr;
}

Point LocalPoint(WindowRef window, Point where) {
  QDGlobalToLocalPoint(GetWindowPort(window), &where);
  return where;
}

// The bar a window scrolls with: the vertical one for the Y axis, else (or without a vertical
// bar) the horizontal one. In the main editor the pane under the mouse is selected and its
// own bar taken.
ControlRef WindowWheelBar(AppWindow* w, const WheelEvent& wheel) {
  bool vertical = wheel.axis == kEventMouseWheelAxisY;
  if (vertical && w->kind == kMainEditorWindowKind) {
    int16_t pane = FindEditorPaneAt(LocalPoint(w->window, wheel.where).v);
    if (pane < 0) return nullptr;
    SelectEditorPaneIndex(pane);
    return gEditorPanes[pane].scrollBar;
  }
  if (vertical && w->vScrollBar) return w->vScrollBar;
  return w->hScrollBar;
}

// The value goes down by the delta (a step away from the user scrolls up), and the bar's
// scroll action follows the new value as after a drag of its thumb.
bool ScrollBarByWheel(ControlRef bar, SInt32 delta) {
  if (!bar || !IsControlActive(bar) || !IsControlVisible(bar)) return false;
  int32_t before = GetControlValue(bar);
  SetControlValue(bar, int16_t(before - delta));
  if (GetControlValue(bar) != before)
    if (ControlActionUPP action = GetControlAction(bar)) action(bar, kControlIndicatorPart);
  return true;
}

// The current classic dialog: its list's scroll bar, else its arrow buttons step.
bool ScrollDialogByWheel(const WheelEvent& wheel) {
  if (gDialogList.scrollBar && IsControlActive(gDialogList.scrollBar))
    return ScrollBarByWheel(gDialogList.scrollBar, wheel.delta);
  QueueWheelSteps(int16_t(wheel.delta));
  return true;
}

}  // namespace

OSStatus HandleWheelEvent(EventRef event) {
  WheelEvent wheel;
  if (!ReadWheelEvent(event, &wheel)) return eventNotHandledErr;
  if (ServeNibDialogWheel(wheel.delta)) return noErr;
  gLastWheelTicks = TickCount();
  WindowRef window = nullptr;
  FindWindow(wheel.where, &window);
  if (!window || window != GetFrontDocWindow()) return eventNotHandledErr;
  if (gCurrentDialog && window == GetDialogWindow(gCurrentDialog))
    return ScrollDialogByWheel(wheel) ? noErr : eventNotHandledErr;
  AppWindow* w = FindAppWindow(window);
  if (!w) return eventNotHandledErr;
  int16_t pane = gCurrentPaneIndex;
  bool scrolled = ScrollBarByWheel(WindowWheelBar(w, wheel), wheel.delta);
  if (w->kind == kMainEditorWindowKind) SelectEditorPaneIndex(pane);
  return scrolled ? noErr : eventNotHandledErr;
}
