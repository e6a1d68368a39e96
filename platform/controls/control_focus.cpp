// Keyboard focus, keys for controls and idle time.
#include <vector>

#include "platform/controls/control_internal.h"
#include "platform/events/classic_events.h"
#include "platform/system/host_time.h"
#include "platform/windows/windows.h"

namespace {

// How often the caret timer looks whether a blink is due.
constexpr EventTimerInterval kCaretCheckInterval = 1.0 / 10;

EventLoopTimerRef gCaretTimer = nullptr;

// Flips the caret of a focused edit field once the caret time has passed since the last flip.
void BlinkIfDue(ControlRef c, UInt32 now) {
  if (now - c->caretTick < GetCaretTime()) return;
  c->caretTick = now;
  c->caretOn = !c->caretOn;
  RedrawControl(c);
}

// The timer that blinks the caret of the keyboard-focus window's field while the program
// waits in any event loop; it ends itself when no field has the focus there.
void CaretTimer(EventLoopTimerRef timer, void*) {
  WindowRef window = GetUserFocusWindow();
  ControlRef focus = window ? WindowFocusControl(window) : nullptr;
  if (!focus || focus->kind != CtlKind::kEditText) {
    RemoveEventLoopTimer(timer);
    gCaretTimer = nullptr;
    return;
  }
  BlinkIfDue(focus, TickCount());
}

void StartCaretTimer() {
  if (!gCaretTimer)
    InstallEventLoopTimer(GetMainEventLoop(), kCaretCheckInterval, kCaretCheckInterval, CaretTimer,
                          nullptr, &gCaretTimer);
}

bool TakesFocus(ControlRef c) {
  return (c->features & kControlSupportsFocus) && IsShown(c) && IsActiveNow(c);
}

void LoseFocus(ControlRef c) {
  if (c->kind == CtlKind::kUserPane && c->pane.focus) c->pane.focus(c, kControlFocusNoPart);
  c->focusPart = kControlFocusNoPart;
  SetWindowFocusControl(c->window, nullptr);
  SendControlSetFocusPart(c, kControlFocusNoPart);
  RedrawControl(c);
}

std::vector<ControlRef> FocusChain(WindowRef window) {
  std::vector<ControlRef> all, chain;
  CollectWindowControls(window, &all);
  for (ControlRef c : all)
    if (TakesFocus(c)) chain.push_back(c);
  return chain;
}

OSErr MoveFocus(WindowRef window, int step) {
  std::vector<ControlRef> chain = FocusChain(window);
  if (chain.empty()) return errCouldntSetFocus;
  ControlRef current = WindowFocusControl(window);
  int at = -1;
  for (size_t i = 0; i < chain.size(); ++i)
    if (chain[i] == current) at = int(i);
  int n = int(chain.size());
  int next = at < 0 ? (step > 0 ? 0 : n - 1) : ((at + step) % n + n) % n;
  ControlRef target = chain[size_t(next)];
  OSErr err = SetKeyboardFocus(window, target, step > 0 ? kControlFocusNextPart : kControlFocusPrevPart);
  if (err == noErr && target->kind == CtlKind::kEditText) {
    EditTextSetSelection(target, 0, SInt32(target->text.size()));
    RedrawControl(target);
  }
  return err;
}

ControlPartCode StepWithAction(ControlRef c, ControlPartCode part) {
  if (c->action) c->action(c, part);
  return part;
}

}  // namespace

OSErr SetKeyboardFocus(WindowRef window, ControlRef control, ControlFocusPart part) {
  if (!window) return paramErr;
  if (part == kControlFocusNoPart) return ClearKeyboardFocus(window);
  if (!IsLiveControl(control) || control->window != window) return errUnknownControl;
  if (!TakesFocus(control)) return errControlDoesntSupportFocus;
  ControlRef old = WindowFocusControl(window);
  if (old && old != control) LoseFocus(old);
  ControlFocusPart actual = control->kind == CtlKind::kEditText ? ControlFocusPart(kControlEditTextPart) : part;
  if (control->kind == CtlKind::kUserPane && control->pane.focus)
    actual = control->pane.focus(control, part);
  if (actual == kControlFocusNoPart) return errCouldntSetFocus;
  control->focusPart = actual;
  control->caretOn = true;
  control->caretTick = TickCount();
  if (control->kind == CtlKind::kEditText) StartCaretTimer();
  SetWindowFocusControl(window, control);
  SendControlSetFocusPart(control, actual);
  RedrawControl(control);
  return noErr;
}

OSErr GetKeyboardFocus(WindowRef window, ControlRef* control) {
  if (!window || !control) return paramErr;
  *control = WindowFocusControl(window);
  return noErr;
}

OSErr ClearKeyboardFocus(WindowRef window) {
  if (!window) return paramErr;
  if (ControlRef old = WindowFocusControl(window)) LoseFocus(old);
  return noErr;
}

OSErr AdvanceKeyboardFocus(WindowRef window) { return window ? MoveFocus(window, 1) : OSErr(paramErr); }
OSErr ReverseKeyboardFocus(WindowRef window) { return window ? MoveFocus(window, -1) : OSErr(paramErr); }

ControlPartCode HandleControlKey(ControlRef control, SInt16 keyCode, SInt16 charCode,
                                 EventModifiers modifiers) {
  if (!IsLiveControl(control) || !IsShown(control) || !IsActiveNow(control)) return kControlNoPart;
  switch (control->kind) {
    case CtlKind::kEditText:
      return EditTextKey(control, keyCode, charCode, modifiers) ? kControlEditTextPart
                                                                : kControlNoPart;
    case CtlKind::kUserPane:
      if (!control->pane.keyDown) return kControlNoPart;
      return control->pane.keyDown(control, keyCode, charCode, SInt16(modifiers));
    case CtlKind::kLittleArrows:
      if (charCode == kUpArrowCharCode) return StepWithAction(control, kControlUpButtonPart);
      if (charCode == kDownArrowCharCode) return StepWithAction(control, kControlDownButtonPart);
      return kControlNoPart;
    case CtlKind::kScrollBar:
      switch (charCode) {
        case kUpArrowCharCode:
        case kLeftArrowCharCode: return StepWithAction(control, kControlUpButtonPart);
        case kDownArrowCharCode:
        case kRightArrowCharCode: return StepWithAction(control, kControlDownButtonPart);
        case kPageUpCharCode: return StepWithAction(control, kControlPageUpPart);
        case kPageDownCharCode: return StepWithAction(control, kControlPageDownPart);
        default: return kControlNoPart;
      }
    default: return kControlNoPart;
  }
}

void IdleControls(WindowRef window) {
  std::vector<ControlRef> all;
  CollectWindowControls(window, &all);
  UInt32 now = TickCount();
  for (ControlRef c : all) {
    if (!IsShown(c)) continue;
    if (c->kind == CtlKind::kEditText && WindowFocusControl(window) == c) {
      BlinkIfDue(c, now);
    } else if (c->kind == CtlKind::kProgressBar && c->indeterminate) {
      c->phase = (c->phase + 1) % 16;
      RedrawControl(c);
    } else if (c->kind == CtlKind::kUserPane && c->pane.idle) {
      c->pane.idle(c);
    }
  }
}
