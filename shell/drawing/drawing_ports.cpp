#include "shell/drawing/drawing_ports.h"

#include <algorithm>
#include <cstring>

#include "platform/controls/controls.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/regions.h"
#include "platform/quickdraw/screen.h"
#include "platform/windows/windows.h"
#include "shell/drawing/scratch_rect.h"

uint8_t gPortMissCount = 0;

namespace {

constexpr int16_t kScrollBarWidth = 15;
constexpr WindowAttributes kCompositingAttribute = 0x80000;

RgnHandle gSavedClip = nullptr;

WindowRef CurrentPortWindow() {
  GrafPtr port = nullptr;
  GetPort(&port);
  return port ? GetWindowFromPort(port) : nullptr;
}

}  // namespace

void SetPortToAppWindow(const AppWindow* w) {
  WindowRef window = GetAppWindowRef(w);
  if (window) SetPortWindowPort(window);
  else ++gPortMissCount;
}

void FocusAppWindow(const AppWindow* w) {
  WindowRef window = GetAppWindowRef(w);
  if (!window) return;
  SetPortWindowPort(window);
  Rect bounds;
  GetWindowPortBounds(window, &bounds);
  ClipRect(&bounds);
}

void GetAppWindowBounds(const AppWindow* w, Rect* bounds) {
  WindowRef window = GetAppWindowRef(w);
  if (window) GetWindowPortBounds(window, bounds);
  else *bounds = Rect{};
}

void LoadAppWindowBounds(const AppWindow* w) {
  if (GetAppWindowRef(w)) GetAppWindowBounds(w, &gScratchRect);
}

void LoadTrackWindowBounds() { LoadAppWindowBounds(GetWindowForKind(kTrackWindowKind)); }

void LoadAppWindowContentRect(const AppWindow* w) {
  if (!GetAppWindowRef(w)) return;
  GetAppWindowBounds(w, &gScratchRect);
  if (w->vScrollBar) gScratchRect.right = int16_t(gScratchRect.right - kScrollBarWidth);
  if (w->hScrollBar) gScratchRect.bottom = int16_t(gScratchRect.bottom - kScrollBarWidth);
}

void GetWindowGlobalFrame(WindowRef window, Rect* frame) {
  if (!window) return;
  Rect bounds;
  GetWindowPortBounds(window, &bounds);
  Point corner{bounds.top, bounds.left};
  QDLocalToGlobalPoint(GetWindowPort(window), &corner);
  *frame = Rect{corner.v, corner.h, int16_t(bounds.bottom - bounds.top), int16_t(bounds.right - bounds.left)};
}

void GetAppWindowGlobalFrame(const AppWindow* w, Rect* frame) { GetWindowGlobalFrame(GetAppWindowRef(w), frame); }

void InvalPortRect(const Rect* r) {
  if (WindowRef window = CurrentPortWindow()) InvalWindowRect(window, r);
}

void ValidPortRect(const Rect* r) {
  if (WindowRef window = CurrentPortWindow()) ValidWindowRect(window, r);
}

void InvalScratchRect() { InvalPortRect(&gScratchRect); }

void InvalAppWindowPort(const AppWindow* w) {
  WindowRef window = GetAppWindowRef(w);
  if (!window) return;
  Rect bounds;
  GetWindowPortBounds(window, &bounds);
  bounds.bottom = int16_t(bounds.bottom + 1);
  InvalWindowRect(window, &bounds);
}

void ValidControlRect(ControlRef control) {
  if (!control) return;
  Rect bounds;
  GetControlBounds(control, &bounds);
  ValidWindowRect(GetControlOwner(control), &bounds);
}

void RedrawAppWindow(const AppWindow* w) {
  if (!IsAppWindowVisible(w)) return;
  WindowRef window = GetAppWindowRef(w);
  GrafPtr saved = nullptr;
  GetPort(&saved);
  Rect savedScratch = gScratchRect;
  SetPortWindowPort(window);
  WindowAttributes attributes = 0;
  GetWindowAttributes(window, &attributes);
  if (attributes & kCompositingAttribute) HIViewSetNeedsDisplay(HIViewGetRoot(window), true);
  else InvalAppWindowPort(w);
  gScratchRect = savedScratch;
  if (saved) SetPort(saved);
}

void LocalToGlobalScratchRect() {
  Point topLeft{gScratchRect.top, gScratchRect.left};
  Point bottomRight{gScratchRect.bottom, gScratchRect.right};
  LocalToGlobal(&topLeft);
  LocalToGlobal(&bottomRight);
  gScratchRect = Rect{topLeft.v, topLeft.h, bottomRight.v, bottomRight.h};
}

void SaveClipRgn() {
  if (!gSavedClip) gSavedClip = NewRgn();
  if (gSavedClip) GetClip(gSavedClip);
}

void RestoreClipRgn() {
  if (gSavedClip) SetClip(gSavedClip);
}

namespace {

void MoveCentred(WindowRef window, bool vertically, int16_t lift) {
  if (!window) return;
  Rect screen = (*GetMainDevice())->gdRect;
  Rect frame;
  GetWindowBounds(window, kWindowContentRgn, &frame);
  int32_t width = frame.right - frame.left, height = frame.bottom - frame.top;
  int32_t left = std::max<int32_t>(0, screen.right - screen.left - width) / 2;
  int32_t top = frame.top;
  if (vertically) top = std::max<int32_t>(0, (screen.bottom - screen.top - height) / 2 - lift);
  MoveWindow(window, int16_t(left), int16_t(top), false);
}

}  // namespace

void CenterDialogHorizontally(DialogRef dialog) { MoveCentred(dialog ? GetDialogWindow(dialog) : nullptr, false, 0); }

void CenterWindowOnScreen(WindowRef window, int16_t lift) { MoveCentred(window, true, lift); }

StringPtr MakeTempPString(const char* text) {
  static Str255 buffer;
  size_t n = text ? std::strlen(text) : 0;
  if (n >= 256) n = 0;
  buffer[0] = uint8_t(n);
  if (n) std::memcpy(buffer + 1, text, n);
  return buffer;
}

bool EqualPString(ConstStr255Param a, ConstStr255Param b) {
  if (!a || !b) return a == b;
  return a[0] == b[0] && std::memcmp(a + 1, b + 1, a[0]) == 0;
}
