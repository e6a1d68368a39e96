// What the Control Manager asks of the Window Manager.
#include "platform/controls/control_internal.h"
#include "platform/windows/windows.h"

CGrafPtr ControlWindowPort(WindowRef window) {
  return IsValidWindowPtr(window) ? GetWindowPort(window) : nullptr;
}

EventTargetRef ControlWindowTarget(WindowRef window) {
  return IsValidWindowPtr(window) ? GetWindowEventTarget(window) : nullptr;
}

bool ControlWindowShown(WindowRef window) {
  return IsValidWindowPtr(window) && IsWindowVisible(window);
}

bool ControlWindowWantsStandardHandling(WindowRef window) {
  WindowAttributes attributes = 0;
  if (!IsValidWindowPtr(window) || GetWindowAttributes(window, &attributes) != noErr) return false;
  return attributes & (kWindowStandardHandlerAttribute | kWindowCompositingAttribute);
}

void ListenForWindowDisposal() {
  static bool listening = false;
  if (listening) return;
  listening = true;
  AddWindowDisposeHook(KillControls);
}
