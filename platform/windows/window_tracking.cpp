// Following the mouse: the tracking step, grey outlines (DragGrayRgn), dragging and growing
// windows, and the close, zoom and collapse boxes.
#include <algorithm>

#include "platform/events/classic_events.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/regions.h"
#include "platform/quickdraw/screen.h"
#include "platform/windows/mouse_tracking.h"
#include "platform/windows/windows_internal.h"

using namespace windows_internal;

namespace {

constexpr EventTimeout kTrackingSlice = 0.02;

const EventTypeSpec kTrackedEvents[] = {
    {kEventClassMouse, kEventMouseDown},      {kEventClassMouse, kEventMouseUp},
    {kEventClassMouse, kEventMouseMoved},     {kEventClassMouse, kEventMouseDragged},
    {kEventClassKeyboard, kEventRawKeyDown},  {kEventClassKeyboard, kEventRawKeyModifiersChanged},
};

MouseTrackingResult ResultOf(EventRef event) {
  if (GetEventClass(event) == kEventClassKeyboard)
    return GetEventKind(event) == kEventRawKeyDown ? kMouseTrackingUserCancelled
                                                   : kMouseTrackingKeyModifiersChanged;
  switch (GetEventKind(event)) {
    case kEventMouseDown: return kMouseTrackingMouseDown;
    case kEventMouseUp: return kMouseTrackingMouseUp;
    case kEventMouseDragged: return kMouseTrackingMouseDragged;
    default: return kMouseTrackingMouseMoved;
  }
}

// The next tracked event, taken out of the queue (a mouse-up is left there when asked); keys
// other than the cancelling ones are dropped. Null when none came within wait.
EventRef NextTrackedEvent(EventTimeout wait, bool keepMouseUp) {
  for (;;) {
    EventRef event = nullptr;
    if (ReceiveNextEvent(GetEventTypeCount(kTrackedEvents), kTrackedEvents, wait, false, &event) != noErr)
      return nullptr;
    RetainEvent(event);
    bool isUp = GetEventClass(event) == kEventClassMouse && GetEventKind(event) == kEventMouseUp;
    if (!(isUp && keepMouseUp)) RemoveEventFromQueue(GetMainEventQueue(), event);
    if (GetEventClass(event) == kEventClassKeyboard && GetEventKind(event) == kEventRawKeyDown &&
        !IsUserCancelEventRef(event)) {
      ReleaseEvent(event);
      continue;
    }
    return event;
  }
}

// Draws (or, drawn twice, removes) a grey outline of a global region on the screen.
void XorOutline(RgnHandle globalRgn) {
  PortSaver saver;
  CGrafPtr screen = GetScreenPort();
  SetPort(screen);
  RgnHandle clip = NewRgn(), saved = NewRgn();
  GetClip(saved);
  Rect all = (*GetMainDevice())->gdRect;
  all.top = MenuBarHeightNow();
  RectRgn(clip, &all);
  SetClip(clip);
  PenState pen;
  GetPenState(&pen);
  RGBColor fore;
  GetForeColor(&fore);
  RGBColor black{0, 0, 0};
  RGBForeColor(&black);
  Pattern gray;
  GetQDGlobalsGray(&gray);
  PenNormal();
  PenPat(&gray);
  PenMode(patXor);
  FrameRgn(globalRgn);
  SetPenState(&pen);
  RGBForeColor(&fore);
  SetClip(saved);
  DisposeRgn(clip);
  DisposeRgn(saved);
}

// Follows the mouse from start moving an outline of the region, all in global coordinates.
// Returns the offset as DragGrayRgn does.
SInt32 DragOutline(RgnHandle rgn, Point start, const Rect& limit, const Rect& slop, SInt16 axis) {
  RgnHandle moving = NewRgn();
  CopyRgn(rgn, moving);
  XorOutline(moving);
  Point offset{0, 0}, where = start;
  for (;;) {
    MouseTrackingResult result;
    TrackMouseLocation(GetScreenPort(), &where, &result);
    if (result == kMouseTrackingUserCancelled) {
      where = Point{SInt16(slop.top - 1), SInt16(slop.left - 1)};
      break;
    }
    Point pinned{std::clamp<SInt16>(where.v, limit.top, SInt16(std::max(limit.top, SInt16(limit.bottom - 1)))),
                 std::clamp<SInt16>(where.h, limit.left, SInt16(std::max(limit.left, SInt16(limit.right - 1))))};
    Point next{axis == 1 ? SInt16(0) : SInt16(pinned.v - start.v), axis == 2 ? SInt16(0) : SInt16(pinned.h - start.h)};
    if (!(next == offset)) {
      XorOutline(moving);
      OffsetRgn(moving, SInt16(next.h - offset.h), SInt16(next.v - offset.v));
      offset = next;
      XorOutline(moving);
    }
    if (result == kMouseTrackingMouseUp) break;
  }
  XorOutline(moving);
  DisposeRgn(moving);
  if (!PtInRect(where, &slop)) return SInt32(0x80008000);
  return SInt32((UInt32(UInt16(offset.v)) << 16) | UInt16(offset.h));
}

Rect ScreenBelowBar() {
  Rect r = (*GetMainDevice())->gdRect;
  r.top = MenuBarHeightNow();
  return r;
}

bool CommandDown() { return GetCurrentEventKeyModifiers() & cmdKey; }

}  // namespace

// --- Tracking step --------------------------------------------------------------------------

OSStatus TrackMouseStep(CGrafPtr inPort, OptionBits inOptions, EventTimeout inTimeout, Point* outPt,
                        UInt32* outModifiers, MouseTrackingResult* outResult, Boolean* outFromQueue) {
  if (!outPt || !outResult) return paramErr;
  bool mayBeUp = inOptions & kTrackMouseLocationOptionButtonMayBeUp;
  bool keepUp = inOptions & kTrackMouseLocationOptionDontConsumeMouseUp;
  EventTimeout limit = inTimeout >= 0 ? inTimeout : (mayBeUp ? kMaxClickWait : -1.0);
  EventTime start = GetCurrentEventTime();
  EventRef event = nullptr;
  MouseTrackingResult result = kMouseTrackingTimedOut;
  Point where;
  UInt32 modifiers = GetCurrentKeyModifiers();
  for (EventTimeout wait = 0;; wait = kTrackingSlice) {
    EventTime elapsed = GetCurrentEventTime() - start;
    if (limit >= 0) wait = std::min(wait, std::max(0.0, limit - elapsed));
    event = NextTrackedEvent(wait, keepUp);
    if (event) break;
    if (!mayBeUp && !(GetCurrentButtonState() & 1)) {
      result = kMouseTrackingMouseUp;
      break;
    }
    if (limit >= 0 && GetCurrentEventTime() - start >= limit) break;
  }
  GetGlobalMouse(&where);
  if (event) {
    result = ResultOf(event);
    GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof where, nullptr, &where);
    GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof modifiers, nullptr, &modifiers);
    ReleaseEvent(event);
  }
  CGrafPtr port = inPort;
  if (!port) GetPort(&port);
  QDGlobalToLocalPoint(port, &where);
  *outPt = where;
  if (outModifiers) *outModifiers = modifiers;
  *outResult = result;
  if (outFromQueue) *outFromQueue = event != nullptr;
  return noErr;
}

OSStatus TrackMouseLocationWithOptions(CGrafPtr inPort, OptionBits inOptions, EventTimeout inTimeout,
                                       Point* outPt, UInt32* outModifiers,
                                       MouseTrackingResult* outResult) {
  return TrackMouseStep(inPort, inOptions, inTimeout, outPt, outModifiers, outResult, nullptr);
}

OSStatus TrackMouseLocation(CGrafPtr inPort, Point* outPt, MouseTrackingResult* outResult) {
  return TrackMouseLocationWithOptions(inPort, 0, kEventDurationForever, outPt, nullptr, outResult);
}

// --- Outlines -------------------------------------------------------------------------------

SInt32 DragGrayRgn(RgnHandle theRgn, Point startPt, const Rect* limitRect, const Rect* slopRect,
                   SInt16 axis, void*) {
  if (!theRgn || !limitRect || !slopRect) return SInt32(0x80008000);
  CGrafPtr port = nullptr;
  GetPort(&port);
  Point origin{0, 0};
  QDLocalToGlobalPoint(port, &origin);
  RgnHandle global = NewRgn();
  CopyRgn(theRgn, global);
  OffsetRgn(global, origin.h, origin.v);
  Rect limit = *limitRect, slop = *slopRect;
  OffsetRect(&limit, origin.h, origin.v);
  OffsetRect(&slop, origin.h, origin.v);
  QDLocalToGlobalPoint(port, &startPt);
  SInt32 result = DragOutline(global, startPt, limit, slop, axis);
  DisposeRgn(global);
  return result;
}

// --- Windows --------------------------------------------------------------------------------

void DragWindow(WindowRef window, Point startPt, const Rect* boundsRect) {
  if (!IsLiveWindow(window)) return;
  if (!CommandDown() && FrontWindow() != window) SelectWindow(window);
  Rect limit = boundsRect ? *boundsRect : ScreenBelowBar();
  Rect slop = limit;
  InsetRect(&slop, -4, -4);
  RgnHandle outline = NewRgn();
  Rect s = StructureOf(window);
  RectRgn(outline, &s);
  SInt32 offset = DragOutline(outline, startPt, limit, slop, 0);
  DisposeRgn(outline);
  if (offset == SInt32(0x80008000) || offset == 0) return;
  SInt16 dv = SInt16(UInt32(offset) >> 16), dh = SInt16(offset & 0xFFFF);
  // Keep the title bar below the menu bar.
  SInt16 minTop = SInt16(MenuBarHeightNow() + (window->content.top - s.top));
  SInt16 top = std::max<SInt16>(SInt16(window->content.top + dv), minTop);
  MoveWindow(window, SInt16(window->content.left + dh), top, false);
}

SInt32 GrowWindow(WindowRef window, Point startPt, const Rect* sizeRect) {
  if (!IsLiveWindow(window)) return 0;
  Rect screen = (*GetMainDevice())->gdRect;
  SInt16 minW = sizeRect ? sizeRect->left : 64, minH = sizeRect ? sizeRect->top : 64;
  SInt16 maxW = sizeRect && sizeRect->right > 0 ? sizeRect->right : screen.right;
  SInt16 maxH = sizeRect && sizeRect->bottom > 0 ? sizeRect->bottom : screen.bottom;
  maxW = std::max(maxW, minW);
  maxH = std::max(maxH, minH);
  const Rect content = window->content;
  SInt16 oldW = SInt16(content.right - content.left), oldH = SInt16(content.bottom - content.top);
  Rect s = StructureOf(window);
  SInt16 padRight = SInt16(s.right - content.right), padBottom = SInt16(s.bottom - content.bottom);
  auto outlineFor = [&](SInt16 w, SInt16 h, RgnHandle rgn) {
    Rect r{s.top, s.left, SInt16(content.top + h + padBottom), SInt16(content.left + w + padRight)};
    RectRgn(rgn, &r);
  };
  SInt16 w = oldW, h = oldH;
  RgnHandle outline = NewRgn();
  outlineFor(w, h, outline);
  XorOutline(outline);
  for (;;) {
    Point where;
    MouseTrackingResult result;
    TrackMouseLocation(GetScreenPort(), &where, &result);
    if (result == kMouseTrackingUserCancelled) {
      w = oldW;
      h = oldH;
      break;
    }
    SInt16 nw = std::clamp<SInt16>(SInt16(oldW + where.h - startPt.h), minW, maxW);
    SInt16 nh = std::clamp<SInt16>(SInt16(oldH + where.v - startPt.v), minH, maxH);
    if (nw != w || nh != h) {
      XorOutline(outline);
      w = nw;
      h = nh;
      outlineFor(w, h, outline);
      XorOutline(outline);
    }
    if (result == kMouseTrackingMouseUp) break;
  }
  XorOutline(outline);
  DisposeRgn(outline);
  if (w == oldW && h == oldH) return 0;
  return SInt32((UInt32(UInt16(h)) << 16) | UInt16(w));
}

Boolean ResizeWindow(WindowRef window, Point startPt, const Rect* sizeConstraints, Rect* newContentRect) {
  if (!IsLiveWindow(window)) return false;
  SInt32 size = GrowWindow(window, startPt, sizeConstraints);
  if (size != 0) SizeWindow(window, SInt16(size & 0xFFFF), SInt16(UInt32(size) >> 16), true);
  if (newContentRect) *newContentRect = window->content;
  return size != 0;
}

namespace {

Boolean TrackPart(WindowRef window, Point thePt, WindowPartCode part) {
  if (!IsLiveWindow(window)) return false;
  Rect box = PartRectOf(window, part == inZoomIn ? WindowPartCode(inZoomOut) : part);
  if (EmptyRect(&box)) return false;
  bool inside = PtInRect(thePt, &box);
  auto show = [&](bool pressed) {
    window->pressedPart = pressed ? part : 0;
    PaintFrame(window);
  };
  show(inside);
  for (;;) {
    Point where;
    MouseTrackingResult result;
    TrackMouseLocation(GetScreenPort(), &where, &result);
    if (result == kMouseTrackingUserCancelled) {
      inside = false;
      break;
    }
    bool now = PtInRect(where, &box);
    if (now != inside) show(now);
    inside = now;
    if (result == kMouseTrackingMouseUp) break;
  }
  if (IsLiveWindow(window)) show(false);
  return inside;
}

}  // namespace

Boolean TrackGoAway(WindowRef window, Point thePt) { return TrackPart(window, thePt, inGoAway); }

Boolean TrackBox(WindowRef window, Point thePt, WindowPartCode partCode) {
  return TrackPart(window, thePt, partCode);
}
