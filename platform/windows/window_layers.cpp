// The window list: layers, order, visibility, activation and the keyboard focus.
#include <algorithm>

#include "platform/events/classic_events.h"
#include "platform/quickdraw/regions.h"
#include "platform/windows/windows_internal.h"

using namespace windows_internal;

namespace {

std::vector<WindowRef> gWindows;  // front to back
WindowRef gActive = nullptr;
WindowRef gFocus = nullptr;  // given with SetUserFocusWindow; null: the active window

void ApplyFocus() {
  WindowRef focus = gFocus && IsLiveWindow(gFocus) && gFocus->visible ? gFocus : gActive;
  SetUserFocusEventTarget(focus ? focus->target : nullptr);
}

void PruneQueued(WindowRef window) {
  auto& posted = window->postedEvents;
  posted.erase(std::remove_if(posted.begin(), posted.end(),
                              [](EventRef e) {
                                if (IsEventInQueue(GetMainEventQueue(), e)) return false;
                                ReleaseEvent(e);
                                return true;
                              }),
               posted.end());
}

// Order changes of one window: repaint, then activation.
void AfterOrderChange(WindowRef window) {
  if (window->visible) RefreshScreen();
  UpdateActivation();
}

}  // namespace

namespace windows_internal {

std::vector<WindowRef>& Windows() { return gWindows; }

bool IsLiveWindow(WindowRef window) {
  return window && window != kFirstWindowOfClass &&
         std::find(gWindows.begin(), gWindows.end(), window) != gWindows.end() &&
         window->magic == kWindowMagic;
}

int LayerOf(WindowRef window) {
  switch (window->windowClass) {
    case kFloatingWindowClass:
    case kToolbarWindowClass:
      return 1;
    case kAlertWindowClass:
    case kMovableAlertWindowClass:
    case kModalWindowClass:
    case kMovableModalWindowClass:
    case kSheetWindowClass:
    case kSheetAlertWindowClass:
      return 2;
    case kUtilityWindowClass:
      return 3;
    case kHelpWindowClass:
    case kOverlayWindowClass:
      return 4;
    default:
      return 0;
  }
}

bool IsFloatingKind(WindowRef window) {
  int layer = LayerOf(window);
  return layer == 1 || layer >= 3;
}

bool IsActivatable(WindowRef window) {
  return !IsFloatingKind(window) && !(window->attributes & kWindowNoActivatesAttribute);
}

void InsertInLayer(WindowRef window, WindowRef behind) {
  int layer = LayerOf(window);
  auto firstOfLayer = std::find_if(gWindows.begin(), gWindows.end(),
                                   [&](WindowRef w) { return LayerOf(w) <= layer; });
  auto afterLayer = std::find_if(firstOfLayer, gWindows.end(),
                                 [&](WindowRef w) { return LayerOf(w) < layer; });
  auto at = firstOfLayer;
  if (behind == nullptr) {
    at = afterLayer;
  } else if (behind != kFirstWindowOfClass) {
    auto it = std::find(gWindows.begin(), gWindows.end(), behind);
    if (it != gWindows.end()) at = std::clamp(it + 1, firstOfLayer, afterLayer);
  }
  gWindows.insert(at, window);
}

WindowRef ExplicitFocus() { return gFocus && IsLiveWindow(gFocus) ? gFocus : nullptr; }

void ForgetWindow(WindowRef window) {
  gWindows.erase(std::remove(gWindows.begin(), gWindows.end(), window), gWindows.end());
  if (gActive == window) gActive = nullptr;
  if (gFocus == window) gFocus = nullptr;
}

void PostWindowEvent(WindowRef window, UInt32 kind) {
  EventRef event = nullptr;
  if (CreateEvent(nullptr, kEventClassWindow, kind, 0, kEventAttributeNone, &event) != noErr) return;
  SetEventParameter(event, kEventParamDirectObject, typeWindowRef, sizeof window, &window);
  PruneQueued(window);
  if (PostEventToQueue(GetMainEventQueue(), event, kEventPriorityStandard) == noErr)
    window->postedEvents.push_back(event);
  else
    ReleaseEvent(event);
}

void RemoveQueuedWindowEvents(WindowRef window) {
  for (EventRef e : window->postedEvents) {
    RemoveEventFromQueue(GetMainEventQueue(), e);
    ReleaseEvent(e);
  }
  window->postedEvents.clear();
  if (window->pendingUpdate) {
    RemoveEventFromQueue(GetMainEventQueue(), window->pendingUpdate);
    ReleaseEvent(window->pendingUpdate);
    window->pendingUpdate = nullptr;
  }
}

void UpdateActivation() {
  WindowRef next = nullptr;
  for (WindowRef w : gWindows)
    if (w->visible && IsActivatable(w) && !w->collapsed) {
      next = w;
      break;
    }
  if (next != gActive) {
    WindowRef old = gActive;
    gActive = next;
    if (old && IsLiveWindow(old)) {
      old->hilited = false;
      PaintFrame(old);
      PostWindowEvent(old, kEventWindowDeactivated);
    }
    if (next) {
      next->hilited = true;
      PaintFrame(next);
      PostWindowEvent(next, kEventWindowActivated);
    }
  }
  ApplyFocus();
}

}  // namespace windows_internal

// --- Order and visibility -------------------------------------------------------------------

void ShowWindow(WindowRef window) {
  if (!IsLiveWindow(window) || window->visible) return;
  window->visible = true;
  window->moved = true;
  if (IsFloatingKind(window)) window->hilited = true;
  RefreshScreen();
  UpdateActivation();
}

void HideWindow(WindowRef window) {
  if (!IsLiveWindow(window) || !window->visible) return;
  window->visible = false;
  if (IsFloatingKind(window)) window->hilited = false;
  RefreshScreen();
  UpdateActivation();
}

void ShowHide(WindowRef window, Boolean showFlag) {
  if (showFlag) ShowWindow(window);
  else HideWindow(window);
}

Boolean IsWindowVisible(WindowRef window) { return IsLiveWindow(window) && window->visible; }

void BringToFront(WindowRef window) {
  if (!IsLiveWindow(window)) return;
  gWindows.erase(std::find(gWindows.begin(), gWindows.end(), window));
  InsertInLayer(window, kFirstWindowOfClass);
  AfterOrderChange(window);
}

void SelectWindow(WindowRef window) {
  if (!IsLiveWindow(window)) return;
  BringToFront(window);
  if (window->visible && IsActivatable(window) && gFocus && gFocus != window) {
    gFocus = nullptr;
    UpdateActivation();
  }
}

void SendBehind(WindowRef window, WindowRef behindWindow) {
  if (!IsLiveWindow(window) || window == behindWindow) return;
  gWindows.erase(std::find(gWindows.begin(), gWindows.end(), window));
  InsertInLayer(window, IsLiveWindow(behindWindow) ? behindWindow : nullptr);
  AfterOrderChange(window);
}

WindowRef FrontWindow() {
  for (WindowRef w : gWindows)
    if (w->visible) return w;
  return nullptr;
}

WindowRef FrontNonFloatingWindow() {
  for (WindowRef w : gWindows)
    if (w->visible && !IsFloatingKind(w)) return w;
  return nullptr;
}

WindowRef ActiveNonFloatingWindow() { return gActive; }

WindowRef GetWindowList() { return gWindows.empty() ? nullptr : gWindows.front(); }

WindowRef GetNextWindow(WindowRef window) {
  auto it = std::find(gWindows.begin(), gWindows.end(), window);
  if (it == gWindows.end() || ++it == gWindows.end()) return nullptr;
  return *it;
}

WindowRef GetFrontWindowOfClass(WindowClass windowClass, Boolean mustBeVisible) {
  for (WindowRef w : gWindows)
    if ((windowClass == kAllWindowClasses || w->windowClass == windowClass) && (!mustBeVisible || w->visible))
      return w;
  return nullptr;
}

WindowRef GetNextWindowOfClass(WindowRef window, WindowClass windowClass, Boolean mustBeVisible) {
  auto it = std::find(gWindows.begin(), gWindows.end(), window);
  if (it == gWindows.end()) return nullptr;
  for (++it; it != gWindows.end(); ++it)
    if ((windowClass == kAllWindowClasses || (*it)->windowClass == windowClass) &&
        (!mustBeVisible || (*it)->visible))
      return *it;
  return nullptr;
}

Boolean IsWindowActive(WindowRef window) {
  return IsLiveWindow(window) && (window == gActive || (IsFloatingKind(window) && window->visible));
}

void HiliteWindow(WindowRef window, Boolean fHilite) {
  if (!IsLiveWindow(window) || window->hilited == fHilite) return;
  window->hilited = fHilite;
  PaintFrame(window);
}

Boolean IsWindowHilited(WindowRef window) { return IsLiveWindow(window) && window->hilited; }

OSStatus CollapseWindow(WindowRef window, Boolean collapse) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  if (window->collapsed == collapse) return noErr;
  window->collapsed = collapse;
  window->moved = true;
  if (window->visible) RefreshScreen();
  UpdateActivation();
  return noErr;
}

Boolean IsWindowCollapsed(WindowRef window) { return IsLiveWindow(window) && window->collapsed; }

Boolean IsWindowCollapsable(WindowRef window) {
  return IsLiveWindow(window) && (window->attributes & kWindowCollapseBoxAttribute) &&
         window->frame != FrameStyle::kNone && window->frame != FrameStyle::kPlain &&
         window->frame != FrameStyle::kModal;
}

// --- Focus ----------------------------------------------------------------------------------

OSStatus SetUserFocusWindow(WindowRef window) {
  if (window == kUserFocusAuto || window == nullptr) {
    gFocus = nullptr;
  } else {
    if (!IsLiveWindow(window)) return errInvalidWindowRef;
    gFocus = window;
  }
  ApplyFocus();
  return noErr;
}

WindowRef GetUserFocusWindow() {
  return gFocus && IsLiveWindow(gFocus) && gFocus->visible ? gFocus : gActive;
}

WindowRef GetWindowFromEventMessage(UInt32 message) {
  WindowRef w = WindowForEventMessage(message);
  return IsLiveWindow(w) ? w : nullptr;
}
