// Window geometry: frame metrics, the parts of a frame, FindWindow, moving and sizing,
// standard and user states, zooming and positioning.
#include <algorithm>
#include <cstring>

#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/regions.h"
#include "platform/quickdraw/screen.h"
#include "platform/windows/windows_internal.h"

using namespace windows_internal;

namespace {

constexpr SInt16 kTitleHeight = 22;
constexpr SInt16 kSmallTitleHeight = 16;
constexpr SInt16 kGrowBoxSize = 15;
constexpr SInt16 kProxyIconSize = 12;

Rect Outset(const Rect& r, SInt16 by) {
  return Rect{SInt16(r.top - by), SInt16(r.left - by), SInt16(r.bottom + by), SInt16(r.right + by)};
}

bool HasBox(WindowRef w, WindowPartCode part) {
  if (w->frame == FrameStyle::kNone || w->frame == FrameStyle::kPlain || w->frame == FrameStyle::kModal)
    return false;
  switch (part) {
    case inGoAway: return w->attributes & kWindowCloseBoxAttribute;
    case inCollapseBox: return w->attributes & kWindowCollapseBoxAttribute;
    case inZoomIn:
    case inZoomOut: return w->attributes & kWindowFullZoomAttribute;
  }
  return false;
}

// The n-th box slot of the title bar (0 first).
Rect BoxSlot(WindowRef w, int slot) {
  FrameMetrics m = MetricsOf(w);
  Rect bar = TitleBarOf(w);
  SInt16 size = m.title >= kTitleHeight ? 13 : 10;
  SInt16 gap = m.title >= kTitleHeight ? 7 : 5;
  Rect r;
  if (m.side) {
    r.left = SInt16(bar.left + (bar.right - bar.left - size) / 2);
    r.top = SInt16(bar.top + gap + slot * (size + gap));
  } else {
    r.top = SInt16(bar.top + (bar.bottom - bar.top - size) / 2);
    r.left = SInt16(bar.left + gap + 1 + slot * (size + gap));
  }
  r.right = SInt16(r.left + size);
  r.bottom = SInt16(r.top + size);
  return r;
}

Rect BoxRect(WindowRef w, WindowPartCode part) {
  if (!HasBox(w, part)) return Rect{};
  int slot = 0;
  if (part == inGoAway) return BoxSlot(w, 0);
  if (HasBox(w, inGoAway)) ++slot;
  if (part == inCollapseBox) return BoxSlot(w, slot);
  if (HasBox(w, inCollapseBox)) ++slot;
  return BoxSlot(w, slot);
}

Rect GrowRect(WindowRef w) {
  if (!(w->attributes & kWindowResizableAttribute) || w->collapsed) return Rect{};
  const Rect& c = w->content;
  return Rect{SInt16(c.bottom - kGrowBoxSize), SInt16(c.right - kGrowBoxSize), c.bottom, c.right};
}

Rect ProxyRect(WindowRef w) {
  if (!w->hasProxy || MetricsOf(w).title < kTitleHeight || MetricsOf(w).side) return Rect{};
  Rect bar = TitleBarOf(w);
  Rect last = Rect{};
  for (WindowPartCode p : {inGoAway, inCollapseBox, inZoomOut})
    if (HasBox(w, p)) last = BoxRect(w, p);
  SInt16 left = std::max<SInt16>(SInt16(last.right + 10), SInt16(bar.left + 8));
  SInt16 top = SInt16(bar.top + (bar.bottom - bar.top - kProxyIconSize) / 2);
  return Rect{top, left, SInt16(top + kProxyIconSize), SInt16(left + kProxyIconSize)};
}

Rect PositioningBounds() {
  Rect r;
  GetAvailableWindowPositioningBounds(GetMainDevice(), &r);
  return r;
}

// Keeps a content rectangle's structure on the screen: moved first, then cut.
Rect KeepOnScreen(WindowRef w, Rect content) {
  Rect avail = PositioningBounds();
  Rect s = StructureOf(w);
  SInt16 padTop = SInt16(w->content.top - s.top), padLeft = SInt16(w->content.left - s.left);
  SInt16 padBottom = SInt16(s.bottom - w->content.bottom), padRight = SInt16(s.right - w->content.right);
  if (w->collapsed) padBottom = padRight = SInt16(MetricsOf(w).border);
  Rect room{SInt16(avail.top + padTop), SInt16(avail.left + padLeft), SInt16(avail.bottom - padBottom),
            SInt16(avail.right - padRight)};
  SInt16 width = SInt16(content.right - content.left), height = SInt16(content.bottom - content.top);
  width = std::min<SInt16>(width, SInt16(std::max(0, room.right - room.left)));
  height = std::min<SInt16>(height, SInt16(std::max(0, room.bottom - room.top)));
  SInt16 left = std::clamp<SInt16>(content.left, room.left, SInt16(std::max(room.left, SInt16(room.right - width))));
  SInt16 top = std::clamp<SInt16>(content.top, room.top, SInt16(std::max(room.top, SInt16(room.bottom - height))));
  return Rect{top, left, SInt16(top + height), SInt16(left + width)};
}

Rect IdealStandardState(WindowRef w, const Point* idealSize) {
  if (w->hasStandardState) return w->standardState;
  Rect avail = PositioningBounds();
  SInt16 width = idealSize ? idealSize->h : SInt16(avail.right - avail.left);
  SInt16 height = idealSize ? idealSize->v : SInt16(avail.bottom - avail.top);
  Rect r{w->content.top, w->content.left, SInt16(w->content.top + height), SInt16(w->content.left + width)};
  return KeepOnScreen(w, r);
}

void SetContentWithEvent(WindowRef w, const Rect& content, UInt32 extra) {
  Rect previous = w->content;
  if (!PlaceWindow(w, content)) return;
  UInt32 attributes = extra;
  if (previous.top != content.top || previous.left != content.left) attributes |= kWindowBoundsChangeOriginChanged;
  if (previous.bottom - previous.top != content.bottom - content.top ||
      previous.right - previous.left != content.right - content.left)
    attributes |= kWindowBoundsChangeSizeChanged;
  SendBoundsChanged(w, previous, attributes);
}

}  // namespace

namespace windows_internal {

FrameStyle FrameForClass(WindowClass windowClass) {
  switch (windowClass) {
    case kDocumentWindowClass:
    case kMovableModalWindowClass:
    case kMovableAlertWindowClass:
      return FrameStyle::kTitled;
    case kFloatingWindowClass:
    case kUtilityWindowClass:
    case kToolbarWindowClass:
      return FrameStyle::kSmallTitled;
    case kAlertWindowClass:
    case kModalWindowClass:
      return FrameStyle::kModal;
    case kHelpWindowClass:
    case kOverlayWindowClass:
      return FrameStyle::kNone;
    default:
      return FrameStyle::kPlain;
  }
}

FrameMetrics MetricsOf(WindowRef w) {
  FrameMetrics m;
  switch (w->frame) {
    case FrameStyle::kNone: break;
    case FrameStyle::kPlain: m.border = 1; break;
    case FrameStyle::kModal: m.border = 3; break;
    case FrameStyle::kTitled: m.border = 1; m.title = kTitleHeight; break;
    case FrameStyle::kSmallTitled: m.border = 1; m.title = kSmallTitleHeight; break;
    case FrameStyle::kSideTitled: m.border = 1; m.title = kSmallTitleHeight; m.side = true; break;
  }
  if (w->frame == FrameStyle::kSmallTitled && (w->attributes & kWindowSideTitlebarAttribute)) m.side = true;
  return m;
}

Rect StructureOf(WindowRef w) {
  FrameMetrics m = MetricsOf(w);
  Rect s = Outset(w->content, m.border);
  if (m.side) s.left = SInt16(s.left - m.title);
  else s.top = SInt16(s.top - m.title);
  if (w->collapsed && m.title > 0) {
    if (m.side) s.right = SInt16(s.left + m.title + 2 * m.border);
    else s.bottom = SInt16(s.top + m.title + 2 * m.border);
  }
  return s;
}

Rect TitleBarOf(WindowRef w) {
  FrameMetrics m = MetricsOf(w);
  if (m.title == 0) return Rect{};
  Rect s = StructureOf(w);
  if (m.side)
    return Rect{SInt16(s.top + m.border), SInt16(s.left + m.border), SInt16(s.bottom - m.border),
                SInt16(s.left + m.border + m.title)};
  return Rect{SInt16(s.top + m.border), SInt16(s.left + m.border), SInt16(s.top + m.border + m.title),
              SInt16(s.right - m.border)};
}

Rect PartRectOf(WindowRef w, WindowPartCode part) {
  switch (part) {
    case inGoAway:
    case inCollapseBox:
    case inZoomIn:
    case inZoomOut:
      return BoxRect(w, part);
    case inGrow: return GrowRect(w);
    case inProxyIcon: return ProxyRect(w);
    case inDrag: return TitleBarOf(w);
    case inContent: return w->collapsed ? Rect{} : w->content;
  }
  return Rect{};
}

Rect ContentForStructure(WindowRef w, const Rect& s) {
  FrameMetrics m = MetricsOf(w);
  Rect c = Outset(s, SInt16(-m.border));
  if (m.side) c.left = SInt16(c.left + m.title);
  else c.top = SInt16(c.top + m.title);
  return c;
}

bool PlaceWindow(WindowRef w, const Rect& content) {
  Rect c = content;
  if (c.right < c.left) c.right = c.left;
  if (c.bottom < c.top) c.bottom = c.top;
  if (c == w->content) return false;
  bool originMoved = c.top != w->content.top || c.left != w->content.left;
  w->content = c;
  {
    PortSaver saver;
    SetPort(&w->port);
    MovePortTo(c.left, c.top);
    PortSize(SInt16(c.right - c.left), SInt16(c.bottom - c.top));
  }
  if (originMoved) w->moved = true;
  if (w->visible) RefreshScreen();
  return true;
}

void SendBoundsChanged(WindowRef w, const Rect& previous, UInt32 attributes) {
  EventRef event = nullptr;
  if (CreateEvent(nullptr, kEventClassWindow, kEventWindowBoundsChanged, 0, kEventAttributeNone, &event) != noErr)
    return;
  Rect current = w->content;
  SetEventParameter(event, kEventParamDirectObject, typeWindowRef, sizeof w, &w);
  SetEventParameter(event, kEventParamAttributes, typeUInt32, sizeof attributes, &attributes);
  SetEventParameter(event, kEventParamCurrentBounds, typeQDRectangle, sizeof current, &current);
  SetEventParameter(event, kEventParamPreviousBounds, typeQDRectangle, sizeof previous, &previous);
  SetEventParameter(event, kEventParamOriginalBounds, typeQDRectangle, sizeof previous, &previous);
  SendEventToEventTarget(event, w->target);
  ReleaseEvent(event);
}

SInt16 MenuBarHeightNow() { return GetMBarHeight(); }

}  // namespace windows_internal

// --- FindWindow -----------------------------------------------------------------------------

WindowPartCode FindWindow(Point thePoint, WindowRef* window) {
  EnsureWindowManager();
  if (window) *window = nullptr;
  if (thePoint.v >= 0 && thePoint.v < MenuBarHeightNow()) return inMenuBar;
  for (WindowRef w : Windows()) {
    if (!w->visible) continue;
    Rect s = StructureOf(w);
    if (!PtInRect(thePoint, &s)) continue;
    if (window) *window = w;
    bool boxesLive = w->hilited || IsFloatingKind(w);
    if (boxesLive) {
      for (WindowPartCode part : {inGoAway, inCollapseBox}) {
        Rect r = BoxRect(w, part);
        if (PtInRect(thePoint, &r)) return part;
      }
      Rect zoom = BoxRect(w, inZoomOut);
      if (PtInRect(thePoint, &zoom)) return IsWindowInStandardState(w, nullptr, nullptr) ? inZoomIn : inZoomOut;
    }
    Rect proxy = ProxyRect(w);
    if (PtInRect(thePoint, &proxy)) return inProxyIcon;
    if (!w->collapsed) {
      Rect grow = GrowRect(w);
      if (PtInRect(thePoint, &grow)) return inGrow;
      if (PtInRect(thePoint, &w->content)) return inContent;
    }
    if (MetricsOf(w).title > 0) return inDrag;
    return inStructure;
  }
  return inDesk;
}

// --- Bounds ---------------------------------------------------------------------------------

void MoveWindow(WindowRef window, SInt16 hGlobal, SInt16 vGlobal, Boolean front) {
  if (!IsLiveWindow(window)) return;
  Rect c = window->content;
  OffsetRect(&c, SInt16(hGlobal - c.left), SInt16(vGlobal - c.top));
  SetContentWithEvent(window, c, 0);
  if (front) SelectWindow(window);
}

void SizeWindow(WindowRef window, SInt16 w, SInt16 h, Boolean fUpdate) {
  if (!IsLiveWindow(window)) return;
  Rect c = window->content;
  c.right = SInt16(c.left + std::max<SInt16>(w, 0));
  c.bottom = SInt16(c.top + std::max<SInt16>(h, 0));
  window->exposeUpdates = fUpdate;
  SetContentWithEvent(window, c, 0);
  window->exposeUpdates = true;
}

OSStatus GetWindowBounds(WindowRef window, WindowRegionCode regionCode, Rect* globalBounds) {
  if (!IsLiveWindow(window) || !globalBounds) return errInvalidWindowRef;
  switch (regionCode) {
    case kWindowStructureRgn:
    case kWindowOpaqueRgn: *globalBounds = StructureOf(window); return noErr;
    case kWindowContentRgn:
    case kWindowGlobalPortRgn: *globalBounds = window->collapsed ? Rect{} : window->content; return noErr;
    case kWindowTitleBarRgn:
    case kWindowDragRgn: *globalBounds = TitleBarOf(window); return noErr;
    case kWindowTitleTextRgn: *globalBounds = TitleBarOf(window); return noErr;
    case kWindowCloseBoxRgn: *globalBounds = PartRectOf(window, inGoAway); return noErr;
    case kWindowZoomBoxRgn: *globalBounds = PartRectOf(window, inZoomOut); return noErr;
    case kWindowCollapseBoxRgn: *globalBounds = PartRectOf(window, inCollapseBox); return noErr;
    case kWindowGrowRgn: *globalBounds = PartRectOf(window, inGrow); return noErr;
    case kWindowTitleProxyIconRgn: *globalBounds = PartRectOf(window, inProxyIcon); return noErr;
    case kWindowUpdateRgn: *globalBounds = RgnBounds(window->updateRgn); return noErr;
  }
  return paramErr;
}

OSStatus SetWindowBounds(WindowRef window, WindowRegionCode regionCode, const Rect* globalBounds) {
  if (!IsLiveWindow(window) || !globalBounds) return errInvalidWindowRef;
  if (regionCode == kWindowContentRgn) SetContentWithEvent(window, *globalBounds, 0);
  else if (regionCode == kWindowStructureRgn) SetContentWithEvent(window, ContentForStructure(window, *globalBounds), 0);
  else return paramErr;
  return noErr;
}

OSStatus GetWindowRegion(WindowRef window, WindowRegionCode regionCode, RgnHandle ioWinRgn) {
  if (!IsLiveWindow(window) || !ioWinRgn) return errInvalidWindowRef;
  if (regionCode == kWindowUpdateRgn) {
    CopyRgn(window->updateRgn, ioWinRgn);
    return noErr;
  }
  Rect r;
  OSStatus err = GetWindowBounds(window, regionCode, &r);
  if (err == noErr) RectRgn(ioWinRgn, &r);
  return err;
}

Rect* GetWindowPortBounds(WindowRef window, Rect* bounds) {
  if (!bounds) return bounds;
  if (!IsLiveWindow(window)) {
    *bounds = Rect{};
    return bounds;
  }
  return GetPortBounds(&window->port, bounds);
}

void KeepWindowsOnResizedScreen() {
  EnsureWindowManager();
  for (WindowRef w : Windows()) {
    if (!w->visible) continue;
    Rect kept = KeepOnScreen(w, w->content);
    if (std::memcmp(&kept, &w->content, sizeof kept) != 0) SetContentWithEvent(w, kept, 0);
  }
  RedrawScreen();
}

void GetWindowPositioningBounds(Rect* bounds) {
  if (bounds) *bounds = PositioningBounds();
}

OSStatus RepositionWindow(WindowRef window, WindowRef parentWindow, WindowPositionMethod method) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  Rect s = StructureOf(window);
  SInt16 width = SInt16(s.right - s.left), height = SInt16(s.bottom - s.top);
  bool useParent = IsLiveWindow(parentWindow) &&
                   (method == kWindowCenterOnParentWindow || method == kWindowAlertPositionOnParentWindow ||
                    method == kWindowCascadeOnParentWindow);
  Rect ref = useParent ? StructureOf(parentWindow) : PositioningBounds();
  SInt16 left = SInt16(ref.left + (ref.right - ref.left - width) / 2), top;
  switch (method) {
    case kWindowAlertPositionOnMainScreen:
    case kWindowAlertPositionOnParentWindow:
    case kWindowAlertPositionOnParentWindowScreen:
      top = SInt16(ref.top + std::max(0, (ref.bottom - ref.top - height) / 3));
      break;
    case kWindowCascadeOnMainScreen:
    case kWindowCascadeOnParentWindow:
    case kWindowCascadeOnParentWindowScreen:
    case kWindowCascadeStartAtParentWindowScreen:
      left = SInt16(ref.left + 20);
      top = SInt16(ref.top + 20);
      break;
    default:
      top = SInt16(ref.top + std::max(0, (ref.bottom - ref.top - height) / 2));
      break;
  }
  Rect place{top, left, SInt16(top + height), SInt16(left + width)};
  Rect content = KeepOnScreen(window, ContentForStructure(window, place));
  SetContentWithEvent(window, content, 0);
  return noErr;
}

// --- States and zoom --------------------------------------------------------------------------

OSStatus GetWindowStandardState(WindowRef window, Rect* rect) {
  if (!IsLiveWindow(window) || !rect) return errInvalidWindowRef;
  *rect = IdealStandardState(window, nullptr);
  return noErr;
}

OSStatus SetWindowStandardState(WindowRef window, const Rect* rect) {
  if (!IsLiveWindow(window) || !rect) return errInvalidWindowRef;
  window->standardState = *rect;
  window->hasStandardState = true;
  return noErr;
}

OSStatus GetWindowUserState(WindowRef window, Rect* rect) {
  if (!IsLiveWindow(window) || !rect) return errInvalidWindowRef;
  *rect = window->hasUserState ? window->userState : window->content;
  return noErr;
}

OSStatus SetWindowUserState(WindowRef window, const Rect* rect) {
  if (!IsLiveWindow(window) || !rect) return errInvalidWindowRef;
  window->userState = *rect;
  window->hasUserState = true;
  return noErr;
}

Boolean IsWindowInStandardState(WindowRef window, Point* ioIdealSize, Rect* outIdealStandardState) {
  if (!IsLiveWindow(window)) return false;
  Rect standard = IdealStandardState(window, ioIdealSize);
  if (outIdealStandardState) *outIdealStandardState = standard;
  return window->content == standard;
}

OSStatus ZoomWindowIdeal(WindowRef window, WindowPartCode partCode, Point* ioIdealSize) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  if (partCode == inZoomOut) {
    Rect standard = IdealStandardState(window, ioIdealSize);
    if (!(window->content == standard)) {
      window->userState = window->content;
      window->hasUserState = true;
    }
    SetContentWithEvent(window, standard, kWindowBoundsChangeZoom);
  } else if (partCode == inZoomIn) {
    if (window->hasUserState) SetContentWithEvent(window, window->userState, kWindowBoundsChangeZoom);
  } else {
    return paramErr;
  }
  return noErr;
}

void ZoomWindow(WindowRef window, WindowPartCode partCode, Boolean front) {
  if (!IsLiveWindow(window)) return;
  ZoomWindowIdeal(window, partCode, nullptr);
  if (front) SelectWindow(window);
}
