#include "shell/windows/redraw_requests.h"

#include "shell/drawing/drawing_ports.h"
#include "shell/windows/app_windows.h"
#include "song/model/redraw_hooks.h"

namespace {

void InvalidateWindowOfKind(int16_t kind) { InvalAppWindowPort(GetWindowForKind(kind)); }

void BringWindowToFront(int16_t kind) {
  WindowRef window = GetAppWindowRef(GetWindowForKind(kind));
  if (!window || (window == GetFrontDocWindow() && IsWindowVisible(window))) return;
  ShowWindow(window);
  SelectWindow(window);
}

}  // namespace

void InstallRedrawHooks() {
  gRedrawHooks.invalidateWindowOfKind = InvalidateWindowOfKind;
  gRedrawHooks.bringWindowToFront = BringWindowToFront;
}
