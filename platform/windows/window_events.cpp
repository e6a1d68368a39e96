// The Window Manager's part in the event model: routing, the standard window handler, update
// events, modality and set-up.
#include <vector>

#include "platform/events/classic_events.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/screen.h"
#include "platform/system/sys_beep.h"
#include "platform/windows/host_window.h"
#include "platform/windows/windows_internal.h"

using namespace windows_internal;

namespace {

// The two bits of a click activation answer.
constexpr UInt32 kHandleBit = 1;
constexpr UInt32 kActivateBit = 2;

bool gInitialized = false;
EventTargetRef gSink = nullptr;  // takes events that must go nowhere

struct ModalEntry {
  WindowRef window;
  WindowRef previousFocus;
};
std::vector<ModalEntry> gModalStack;

OSStatus SinkHandler(EventHandlerCallRef, EventRef, void*) { return noErr; }

void GlobalToLocalForMouse(Point* pt) { GlobalToLocal(pt); }

Point MouseOf(EventRef event) {
  Point where;
  if (GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof where, nullptr,
                        &where) != noErr)
    GetGlobalMouse(&where);
  return where;
}

UInt32 ModifiersOf(EventRef event) {
  UInt32 modifiers = 0;
  if (GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof modifiers, nullptr,
                        &modifiers) != noErr)
    modifiers = GetCurrentKeyModifiers();
  return modifiers;
}

WindowPartCode PartOf(EventRef event) {
  WindowPartCode part = inNoWindow;
  if (GetEventParameter(event, kEventParamWindowPartCode, typeWindowPartCode, nullptr, sizeof part, nullptr,
                        &part) != noErr)
    part = FindWindow(MouseOf(event), nullptr);
  return part;
}

// A new 'wind' event for the window carrying the mouse parameters of a mouse event.
EventRef NewWindowEventFrom(EventRef mouse, WindowRef w, UInt32 kind, WindowPartCode part) {
  EventRef event = nullptr;
  if (CreateEvent(nullptr, kEventClassWindow, kind, GetEventTime(mouse), kEventAttributeNone, &event) != noErr)
    return nullptr;
  SetEventParameter(event, kEventParamDirectObject, typeWindowRef, sizeof w, &w);
  Point where = MouseOf(mouse);
  UInt32 modifiers = ModifiersOf(mouse);
  SetEventParameter(event, kEventParamMouseLocation, typeQDPoint, sizeof where, &where);
  SetEventParameter(event, kEventParamKeyModifiers, typeUInt32, sizeof modifiers, &modifiers);
  SetEventParameter(event, kEventParamWindowPartCode, typeWindowPartCode, sizeof part, &part);
  UInt16 button = kEventMouseButtonPrimary;
  GetEventParameter(mouse, kEventParamMouseButton, typeMouseButton, nullptr, sizeof button, nullptr, &button);
  SetEventParameter(event, kEventParamMouseButton, typeMouseButton, sizeof button, &button);
  UInt32 clicks = 1;
  GetEventParameter(mouse, kEventParamClickCount, typeUInt32, nullptr, sizeof clicks, nullptr, &clicks);
  SetEventParameter(event, kEventParamClickCount, typeUInt32, sizeof clicks, &clicks);
  return event;
}

OSStatus SendSimpleWindowEvent(WindowRef w, UInt32 kind, WindowPartCode part) {
  EventRef event = nullptr;
  if (CreateEvent(nullptr, kEventClassWindow, kind, 0, kEventAttributeNone, &event) != noErr) return memFullErr;
  SetEventParameter(event, kEventParamDirectObject, typeWindowRef, sizeof w, &w);
  if (part) SetEventParameter(event, kEventParamWindowPartCode, typeWindowPartCode, sizeof part, &part);
  OSStatus status = SendEventToEventTarget(event, w->target);
  ReleaseEvent(event);
  return status;
}

// Whether a mouse-down on w must be refused while an app-modal loop runs for another window.
bool RefusedByModality(EventRef mouse, WindowRef w, WindowPartCode part) {
  WindowRef modal = GetAppModalLoopWindow();
  if (!w || !IsLiveWindow(modal) || w == modal || LayerOf(w) > LayerOf(modal)) return false;
  UInt32 answer = kHIModalClickIsModal | kHIModalClickAnnounce;
  EventRef ask = NewWindowEventFrom(mouse, w, kEventWindowGetClickModality, part);
  if (ask && SendEventToEventTarget(ask, w->target) == noErr)
    GetEventParameter(ask, kEventParamModalClickResult, typeModalClickResult, nullptr, sizeof answer, nullptr,
                      &answer);
  if (ask) ReleaseEvent(ask);
  if (!(answer & kHIModalClickIsModal) || (answer & kHIModalClickAllowEvent)) return false;
  if (answer & kHIModalClickAnnounce) SysBeep(1);
  if (answer & kHIModalClickRaiseWindow) SelectWindow(modal);
  return true;
}

EventTargetRef RouteEvent(EventRef event) {
  UInt32 eventClass = GetEventClass(event);
  if (eventClass == kEventClassMouse) {
    Point where = MouseOf(event);
    WindowRef w = nullptr;
    WindowPartCode part = FindWindow(where, &w);
    SetEventParameter(event, kEventParamWindowPartCode, typeWindowPartCode, sizeof part, &part);
    if (w) {
      SetEventParameter(event, kEventParamWindowRef, typeWindowRef, sizeof w, &w);
      Rect s = StructureOf(w);
      Point inWindow{SInt16(where.v - s.top), SInt16(where.h - s.left)};
      SetEventParameter(event, kEventParamWindowMouseLocation, typeQDPoint, sizeof inWindow, &inWindow);
    } else {
      RemoveEventParameter(event, kEventParamWindowRef);
    }
    if (GetEventKind(event) == kEventMouseDown && RefusedByModality(event, w, part)) return gSink;
    return w ? w->target : nullptr;
  }
  if (eventClass == kEventClassWindow) {
    WindowRef w = nullptr;
    if (GetEventParameter(event, kEventParamDirectObject, typeWindowRef, nullptr, sizeof w, nullptr, &w) != noErr)
      return nullptr;
    return IsLiveWindow(w) ? w->target : gSink;
  }
  return nullptr;
}

UInt32 DefaultClickActivation(WindowRef w, WindowPartCode part, UInt32 modifiers) {
  if (!IsActivatable(w)) return kDoNotActivateAndHandleClick;
  if (part == inDrag && (modifiers & cmdKey)) return kDoNotActivateAndHandleClick;
  return part == inContent ? kActivateAndIgnoreClick : kActivateAndHandleClick;
}

UInt32 ClickKindForPart(WindowPartCode part) {
  switch (part) {
    case inDrag: return kEventWindowClickDragRgn;
    case inGrow: return kEventWindowClickResizeRgn;
    case inGoAway: return kEventWindowClickCloseRgn;
    case inZoomIn:
    case inZoomOut: return kEventWindowClickZoomRgn;
    case inCollapseBox: return kEventWindowClickCollapseRgn;
    case inContent: return kEventWindowClickContentRgn;
    case inProxyIcon: return kEventWindowClickDragRgn;
  }
  return 0;
}

OSStatus HandleWindowMouseDown(WindowRef w, EventRef mouse) {
  WindowPartCode part = PartOf(mouse);
  if (part == inDesk || part == inMenuBar) return eventNotHandledErr;
  if (IsActivatable(w) && w != ActiveNonFloatingWindow()) {
    UInt32 clac = DefaultClickActivation(w, part, ModifiersOf(mouse));
    EventRef ask = NewWindowEventFrom(mouse, w, kEventWindowGetClickActivation, part);
    if (ask && SendEventToEventTarget(ask, w->target) == noErr)
      GetEventParameter(ask, kEventParamClickActivation, typeClickActivationResult, nullptr, sizeof clac,
                        nullptr, &clac);
    if (ask) ReleaseEvent(ask);
    if ((clac & kActivateBit) && IsLiveWindow(w)) SelectWindow(w);
    if (!(clac & kHandleBit) || !IsLiveWindow(w)) return noErr;
  } else if (IsFloatingKind(w) && FrontWindow() != w) {
    BringToFront(w);
  }
  UInt32 kind = ClickKindForPart(part);
  if (!kind) return eventNotHandledErr;
  EventRef click = NewWindowEventFrom(mouse, w, kind, part);
  if (!click) return memFullErr;
  OSStatus status = SendEventToEventTarget(click, w->target);
  ReleaseEvent(click);
  return status;
}

OSStatus HandleWindowClassEvent(WindowRef w, EventRef event) {
  Point where = MouseOf(event);
  switch (GetEventKind(event)) {
    case kEventWindowClickDragRgn:
      DragWindow(w, where, nullptr);
      return noErr;
    case kEventWindowClickResizeRgn:
      ResizeWindow(w, where, nullptr, nullptr);
      return noErr;
    case kEventWindowClickCloseRgn:
      if (TrackGoAway(w, where)) SendSimpleWindowEvent(w, kEventWindowClose, 0);
      return noErr;
    case kEventWindowClickZoomRgn: {
      WindowPartCode part = PartOf(event);
      if (TrackBox(w, where, part)) SendSimpleWindowEvent(w, kEventWindowZoom, part);
      return noErr;
    }
    case kEventWindowClickCollapseRgn:
      if (TrackBox(w, where, inCollapseBox)) CollapseWindow(w, !IsWindowCollapsed(w));
      return noErr;
    case kEventWindowGetClickActivation: {
      UInt32 clac = DefaultClickActivation(w, PartOf(event), ModifiersOf(event));
      SetEventParameter(event, kEventParamClickActivation, typeClickActivationResult, sizeof clac, &clac);
      return noErr;
    }
    case kEventWindowClose:
      DisposeWindow(w);
      return noErr;
    case kEventWindowZoom: {
      WindowPartCode part = IsWindowInStandardState(w, nullptr, nullptr) ? inZoomIn : inZoomOut;
      ZoomWindowIdeal(w, part, nullptr);
      return noErr;
    }
  }
  return eventNotHandledErr;
}

OSStatus StandardWindowHandler(EventHandlerCallRef, EventRef event, void* userData) {
  auto w = static_cast<WindowRef>(userData);
  if (!IsLiveWindow(w)) return eventNotHandledErr;
  if (GetEventClass(event) == kEventClassMouse && GetEventKind(event) == kEventMouseDown)
    return HandleWindowMouseDown(w, event);
  if (GetEventClass(event) == kEventClassWindow) return HandleWindowClassEvent(w, event);
  return eventNotHandledErr;
}

// Every window answers its update events, standard handler or not.
OSStatus UpdateHandler(EventHandlerCallRef, EventRef, void* userData) {
  auto w = static_cast<WindowRef>(userData);
  if (!IsLiveWindow(w)) return eventNotHandledErr;
  BeginUpdate(w);
  SendSimpleWindowEvent(w, kEventWindowDrawContent, 0);
  if (IsLiveWindow(w)) EndUpdate(w);
  return noErr;
}

void ModalBegin(WindowRef window) {
  gModalStack.push_back(ModalEntry{window, ExplicitFocus()});
  if (IsLiveWindow(window)) {
    SelectWindow(window);
    SetUserFocusWindow(window);
  }
}

void ModalEnd(WindowRef window) {
  for (size_t i = gModalStack.size(); i-- > 0;) {
    if (gModalStack[i].window != window) continue;
    WindowRef previous = gModalStack[i].previousFocus;
    gModalStack.erase(gModalStack.begin() + long(i));
    SetUserFocusWindow(IsLiveWindow(previous) ? previous : kUserFocusAuto);
    return;
  }
}

}  // namespace

namespace windows_internal {

void SetUpWindowTarget(WindowRef w) {
  w->target = NewEventTarget(GetApplicationEventTarget(), kEventTargetKindWindow, w);
  SetEventTargetStandardHandler(w->target, StandardWindowHandler, w);
  EventTypeSpec update{kEventClassWindow, kEventWindowUpdate};
  InstallEventHandler(w->target, UpdateHandler, 1, &update, w, nullptr);
  if (w->attributes & kWindowStandardHandlerAttribute) InstallStandardEventHandler(w->target);
}

void EnsureWindowManager() {
  if (!gInitialized) InitWindows();
}

}  // namespace windows_internal

void InitWindows() {
  InitScreen();
  if (!gSink) {
    gSink = NewEventTarget(nullptr, kEventTargetKindOther, nullptr);
    SetEventTargetStandardHandler(gSink, SinkHandler, nullptr);
    InstallStandardEventHandler(gSink);
  }
  SetEventRouter(RouteEvent);
  SetGlobalToLocalHook(GlobalToLocalForMouse);
  SetAppModalLoopHooks(ModalBegin, ModalEnd);
  InstallHostWindowPump();
  gInitialized = true;
}
