#include "shell/windows/redraw_requests.h"

#include "plugins/host/plugin_host_hooks.h"

#include "shell/drawing/drawing_ports.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/track_view_modes.h"
#include "shell/windows/track_window_scroll.h"
#include "shell/windows/window_menu_hooks.h"
#include "song/model/redraw_hooks.h"

namespace {

void InvalidateWindowOfKind(int16_t kind) { InvalAppWindowPort(GetWindowForKind(kind)); }

int16_t FrontWindowKind() {
  AppWindow* front = GetFrontAppWindow();
  return front ? front->kind : int16_t(0);
}

void SongLengthChanged() { RefreshSongPositionFields(kRefreshSongLengthBar | kRefreshPositionCounters); }

}  // namespace

void BringWindowToFront(int16_t kind) {
  WindowRef window = GetAppWindowRef(GetWindowForKind(kind));
  if (!window || (window == GetFrontDocWindow() && IsWindowVisible(window))) return;
  ShowWindow(window);
  SelectWindow(window);
  if (gWindowMenuHooks.markWindowMenuItems) gWindowMenuHooks.markWindowMenuItems();
}

void InstallRedrawHooks() {
  gRedrawHooks.frontWindowKind = FrontWindowKind;
  gRedrawHooks.invalidateWindowOfKind = InvalidateWindowOfKind;
  gRedrawHooks.bringWindowToFront = BringWindowToFront;
  gRedrawHooks.trackSelectionChanged = UpdateSelectedRowMask;
  gRedrawHooks.songLengthChanged = SongLengthChanged;
  gPluginHostHooks.requestWindowRefresh = [](uint32_t bits) { gPendingWindowRefresh |= bits; };
}
