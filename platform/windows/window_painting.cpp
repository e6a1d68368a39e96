// Painting the screen's windows: visible regions, uncovered content, the desktop, frames and
// grow boxes, and the update regions.
#include <algorithm>
#include <cstring>

#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/regions.h"
#include "platform/quickdraw/screen.h"
#include "platform/quickdraw/text.h"
#include "platform/quickdraw/theme_text.h"
#include "platform/windows/appearance.h"
#include "platform/windows/windows_internal.h"

using namespace windows_internal;

namespace {

void (*gMenuBarDraw)() = nullptr;

// The screen port made current with a clip region for the time of a drawing; the caller's
// port and the screen port's clip come back afterwards.
class ScreenPainter {
 public:
  explicit ScreenPainter(RgnHandle clip) {
    GetPort(&saved_);
    screen_ = GetScreenPort();
    SetPort(screen_);
    savedClip_ = NewRgn();
    GetClip(savedClip_);
    SetClip(clip);
    PenNormal();
  }
  ~ScreenPainter() {
    SetClip(savedClip_);
    DisposeRgn(savedClip_);
    if (IsValidPort(saved_)) SetPort(saved_);
  }
  ScreenPainter(const ScreenPainter&) = delete;
  ScreenPainter& operator=(const ScreenPainter&) = delete;

 private:
  CGrafPtr saved_ = nullptr;
  CGrafPtr screen_ = nullptr;
  RgnHandle savedClip_;
};

void Fore(UInt32 rgb) {
  RGBColor c = RgbOf(rgb);
  RGBForeColor(&c);
}

void PaintRgnIn(RgnHandle rgn, const RGBColor& color) {
  ScreenPainter painter(rgn);
  RGBForeColor(&color);
  PaintRgn(rgn);
}

// Global offset of a window's local coordinates.
Point LocalOffset(WindowRef w) {
  Rect port;
  GetPortBounds(&w->port, &port);
  return Point{SInt16(w->content.top - port.top), SInt16(w->content.left - port.left)};
}

void DrawBox(WindowRef w, WindowPartCode part, UInt32 framePixel) {
  Rect r = PartRectOf(w, part);
  if (EmptyRect(&r)) return;
  bool pressed = w->pressedPart == part || (part == inZoomOut && w->pressedPart == inZoomIn);
  Fore(pressed ? kWindowBoxPressedPixel : kWindowBoxPixel);
  PaintRect(&r);
  Fore(framePixel);
  FrameRect(&r);
  Fore(pressed ? kWindowBoxPixel : framePixel);
  Rect inner = r;
  InsetRect(&inner, 3, 3);
  if (part == inGoAway) {
    MoveTo(inner.left, inner.top);
    LineTo(SInt16(inner.right - 1), SInt16(inner.bottom - 1));
    MoveTo(SInt16(inner.right - 1), inner.top);
    LineTo(inner.left, SInt16(inner.bottom - 1));
  } else if (part == inCollapseBox) {
    SInt16 mid = SInt16((r.top + r.bottom) / 2);
    MoveTo(inner.left, mid);
    LineTo(SInt16(inner.right - 1), mid);
  } else {
    inner.right = SInt16(inner.left + (inner.right - inner.left + 1) / 2 + 1);
    inner.bottom = SInt16(inner.top + (inner.bottom - inner.top + 1) / 2 + 1);
    FrameRect(&inner);
  }
}

void DrawTitle(WindowRef w, const Rect& bar, bool active) {
  FrameMetrics m = MetricsOf(w);
  if (m.side || w->title.empty()) return;
  SInt16 font = 0, size = 0;
  Style face = 0;
  GetThemeFontSpec(m.title >= 22 ? kThemeWindowTitleFont : kThemeUtilityWindowTitleFont, &font, &size, &face);
  TextFont(font);
  TextSize(size);
  TextFace(face);
  TextMode(srcOr);
  SInt16 leftLimit = bar.left;
  for (WindowPartCode p : {inGoAway, inCollapseBox, inZoomOut, inProxyIcon}) {
    Rect r = PartRectOf(w, p);
    if (!EmptyRect(&r)) leftLimit = std::max(leftLimit, r.right);
  }
  SInt16 margin = SInt16(leftLimit - bar.left + 8);
  SInt16 room = SInt16(bar.right - bar.left - 2 * margin);
  if (room <= 8) return;
  Str255 text;
  size_t n = std::min<size_t>(w->title.size(), 255);
  text[0] = UInt8(n);
  std::memcpy(text + 1, w->title.data(), n);
  TruncateString(room, text, truncEnd);
  FontInfo info;
  GetFontInfo(&info);
  SInt16 width = StringWidth(text);
  SInt16 h = SInt16(bar.left + (bar.right - bar.left - width) / 2);
  h = std::max<SInt16>(h, SInt16(bar.left + margin));
  SInt16 v = SInt16(bar.top + (bar.bottom - bar.top - 1 + info.ascent - info.descent) / 2);
  Fore(active ? kTextPixel : kDisabledTextPixel);
  MoveTo(h, v);
  DrawString(text);
}

void DrawFrameParts(WindowRef w) {
  FrameMetrics m = MetricsOf(w);
  bool active = w->hilited;
  UInt32 framePixel = active ? kFrameActivePixel : kFrameInactivePixel;
  Rect s = StructureOf(w);
  Fore(framePixel);
  FrameRect(&s);
  if (w->frame == FrameStyle::kModal) {
    Rect inner = s;
    InsetRect(&inner, 1, 1);
    Fore(kTitleBarActivePixel);
    PenSize(2, 2);
    FrameRect(&inner);
    PenNormal();
  }
  if (m.title == 0) return;
  Rect bar = TitleBarOf(w);
  Fore(active ? kTitleBarActivePixel : kTitleBarInactivePixel);
  PaintRect(&bar);
  Fore(framePixel);
  if (m.side) {
    MoveTo(SInt16(bar.right - 1), bar.top);
    LineTo(SInt16(bar.right - 1), SInt16(bar.bottom - 1));
  } else {
    MoveTo(bar.left, SInt16(bar.bottom - 1));
    LineTo(SInt16(bar.right - 1), SInt16(bar.bottom - 1));
  }
  if (active || IsFloatingKind(w))
    for (WindowPartCode part : {inGoAway, inCollapseBox, inZoomOut}) DrawBox(w, part, framePixel);
  Rect proxy = PartRectOf(w, inProxyIcon);
  if (!EmptyRect(&proxy)) {
    Fore(kContentPixel);
    PaintRect(&proxy);
    Fore(framePixel);
    FrameRect(&proxy);
  }
  DrawTitle(w, bar, active);
}

}  // namespace

namespace windows_internal {

PortSaver::PortSaver() { GetPort(&saved); }
PortSaver::~PortSaver() {
  if (IsValidPort(saved)) SetPort(saved);
}

Rect RgnBounds(RgnHandle rgn) {
  Rect r{};
  GetRegionBounds(rgn, &r);
  return r;
}

RGBColor RgbOf(UInt32 rgb) {
  return RGBColor{UInt16(((rgb >> 16) & 0xFF) * 257), UInt16(((rgb >> 8) & 0xFF) * 257),
                  UInt16((rgb & 0xFF) * 257)};
}

void SetPortVisibleFromWindow(WindowRef w) {
  RgnHandle local = NewRgn();
  CopyRgn(w->visContent, local);
  if (w->inUpdate) SectRgn(local, w->updateSnapshot, local);
  Point offset = LocalOffset(w);
  OffsetRgn(local, SInt16(-offset.h), SInt16(-offset.v));
  SetPortVisibleRegion(&w->port, local);
  DisposeRgn(local);
}

void AddToUpdate(WindowRef w, RgnHandle globalRgn) {
  RgnHandle part = NewRgn();
  RectRgn(part, &w->content);
  SectRgn(part, globalRgn, part);
  UnionRgn(w->updateRgn, part, w->updateRgn);
  DisposeRgn(part);
  if (!w->visible || (w->attributes & kWindowNoUpdatesAttribute) || EmptyRgn(w->updateRgn)) return;
  if (w->pendingUpdate && IsEventInQueue(GetMainEventQueue(), w->pendingUpdate)) return;
  if (w->pendingUpdate) ReleaseEvent(w->pendingUpdate);
  w->pendingUpdate = nullptr;
  EventRef event = nullptr;
  if (CreateEvent(nullptr, kEventClassWindow, kEventWindowUpdate, 0, kEventAttributeNone, &event) != noErr)
    return;
  SetEventParameter(event, kEventParamDirectObject, typeWindowRef, sizeof w, &w);
  if (PostEventToQueue(GetMainEventQueue(), event, kEventPriorityStandard) == noErr) w->pendingUpdate = event;
  else ReleaseEvent(event);
}

void RefreshScreen() {
  RgnHandle above = NewRgn(), region = NewRgn(), fresh = NewRgn();
  Rect screen = (*GetMainDevice())->gdRect;
  Rect bar{0, 0, MenuBarHeightNow(), screen.right};
  RectRgn(above, &bar);
  for (WindowRef w : Windows()) {
    if (!w->visible) {
      SetEmptyRgn(w->visContent);
      SetEmptyRgn(w->visStructure);
      SetPortVisibleFromWindow(w);
      continue;
    }
    Rect s = StructureOf(w);
    RectRgn(region, &s);
    DiffRgn(region, above, w->visStructure);
    UnionRgn(above, region, above);
    if (w->collapsed) SetEmptyRgn(fresh);
    else RectRgn(fresh, &w->content);
    SectRgn(fresh, w->visStructure, fresh);
    RgnHandle exposed = NewRgn();
    if (w->moved) CopyRgn(fresh, exposed);
    else DiffRgn(fresh, w->visContent, exposed);
    if (!EmptyRgn(exposed) && w->exposeUpdates) {
      PaintRgnIn(exposed, w->contentColor);
      AddToUpdate(w, exposed);
    }
    DisposeRgn(exposed);
    CopyRgn(fresh, w->visContent);
    w->moved = false;
    SetPortVisibleFromWindow(w);
  }
  RectRgn(region, &screen);
  DiffRgn(region, above, region);
  PaintRgnIn(region, RgbOf(kDesktopPixel));
  for (WindowRef w : Windows()) PaintFrame(w);
  DisposeRgn(above);
  DisposeRgn(region);
  DisposeRgn(fresh);
}

void PaintFrame(WindowRef w) {
  if (!w->visible || w->frame == FrameStyle::kNone) return;
  RgnHandle clip = NewRgn(), content = NewRgn();
  CopyRgn(w->visStructure, clip);
  if (!w->collapsed) {
    RectRgn(content, &w->content);
    DiffRgn(clip, content, clip);
  }
  if (!EmptyRgn(clip)) {
    ScreenPainter painter(clip);
    DrawFrameParts(w);
  }
  DisposeRgn(clip);
  DisposeRgn(content);
}

void DrawMenuBarThroughHook() {
  if (gMenuBarDraw) gMenuBarDraw();
}

}  // namespace windows_internal

void SetMenuBarDrawHook(void (*draw)()) { gMenuBarDraw = draw; }

void RedrawScreen() {
  EnsureWindowManager();
  for (WindowRef w : Windows()) w->moved = true;
  RefreshScreen();
  DrawMenuBarThroughHook();
  MarkScreenDirty(nullptr);
}

void DrawWindowFrame(WindowRef window) {
  if (IsLiveWindow(window)) PaintFrame(window);
}

// --- Update regions ---------------------------------------------------------------------------

namespace {
void ToGlobal(WindowRef w, RgnHandle rgn) {
  Point offset = LocalOffset(w);
  OffsetRgn(rgn, offset.h, offset.v);
}
}  // namespace

OSStatus InvalWindowRgn(WindowRef window, RgnHandle region) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  if (!region) return paramErr;
  RgnHandle global = NewRgn();
  CopyRgn(region, global);
  ToGlobal(window, global);
  AddToUpdate(window, global);
  DisposeRgn(global);
  return noErr;
}

OSStatus InvalWindowRect(WindowRef window, const Rect* bounds) {
  if (!bounds) return paramErr;
  RgnHandle rgn = NewRgn();
  RectRgn(rgn, bounds);
  OSStatus err = InvalWindowRgn(window, rgn);
  DisposeRgn(rgn);
  return err;
}

OSStatus ValidWindowRgn(WindowRef window, RgnHandle region) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  if (!region) return paramErr;
  RgnHandle global = NewRgn();
  CopyRgn(region, global);
  ToGlobal(window, global);
  DiffRgn(window->updateRgn, global, window->updateRgn);
  DisposeRgn(global);
  return noErr;
}

OSStatus ValidWindowRect(WindowRef window, const Rect* bounds) {
  if (!bounds) return paramErr;
  RgnHandle rgn = NewRgn();
  RectRgn(rgn, bounds);
  OSStatus err = ValidWindowRgn(window, rgn);
  DisposeRgn(rgn);
  return err;
}

void BeginUpdate(WindowRef window) {
  if (!IsLiveWindow(window)) return;
  if (window->pendingUpdate) {
    RemoveEventFromQueue(GetMainEventQueue(), window->pendingUpdate);
    ReleaseEvent(window->pendingUpdate);
    window->pendingUpdate = nullptr;
  }
  CopyRgn(window->updateRgn, window->updateSnapshot);
  SetEmptyRgn(window->updateRgn);
  window->inUpdate = true;
  SetPortVisibleFromWindow(window);
}

void EndUpdate(WindowRef window) {
  if (!IsLiveWindow(window)) return;
  window->inUpdate = false;
  SetEmptyRgn(window->updateSnapshot);
  SetPortVisibleFromWindow(window);
}

// --- Grow box ---------------------------------------------------------------------------------

void DrawGrowIcon(WindowRef window) {
  if (!IsLiveWindow(window) || !(window->attributes & kWindowResizableAttribute)) return;
  PortSaver saver;
  SetPort(&window->port);
  PenState pen;
  GetPenState(&pen);
  RGBColor fore;
  GetForeColor(&fore);
  Rect pr;
  GetPortBounds(&window->port, &pr);
  UInt32 framePixel = window->hilited ? kFrameActivePixel : kFrameInactivePixel;
  PenNormal();
  Fore(framePixel);
  MoveTo(SInt16(pr.right - 16), pr.top);
  LineTo(SInt16(pr.right - 16), SInt16(pr.bottom - 1));
  MoveTo(pr.left, SInt16(pr.bottom - 16));
  LineTo(SInt16(pr.right - 1), SInt16(pr.bottom - 16));
  Rect box{SInt16(pr.bottom - 15), SInt16(pr.right - 15), pr.bottom, pr.right};
  Fore(kWindowBoxPixel);
  PaintRect(&box);
  if (window->hilited) {
    Fore(framePixel);
    Rect big{SInt16(box.top + 5), SInt16(box.left + 5), SInt16(box.bottom - 3), SInt16(box.right - 3)};
    Rect small{SInt16(box.top + 3), SInt16(box.left + 3), SInt16(box.top + 9), SInt16(box.left + 9)};
    FrameRect(&big);
    Fore(kWindowBoxPixel);
    PaintRect(&small);
    Fore(framePixel);
    FrameRect(&small);
  }
  RGBForeColor(&fore);
  SetPenState(&pen);
}
