// Window records: creation from classes, procedure ids and 'WIND' resources, disposal, and
// the plain accessors (title, refcon, kind, class, attributes, properties, proxy).
#include <algorithm>
#include <cstring>

#include "platform/events/classic_events.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/regions.h"
#include "platform/quickdraw/screen.h"
#include "platform/resources/resource_manager.h"
#include "platform/windows/windows_internal.h"

using namespace windows_internal;

namespace {

std::vector<WindowDisposeHookProcPtr> gDisposeHooks;

bool IsKnownClass(WindowClass c) {
  switch (c) {
    case kAlertWindowClass: case kMovableAlertWindowClass: case kModalWindowClass:
    case kMovableModalWindowClass: case kFloatingWindowClass: case kDocumentWindowClass:
    case kUtilityWindowClass: case kHelpWindowClass: case kSheetWindowClass:
    case kToolbarWindowClass: case kPlainWindowClass: case kOverlayWindowClass:
    case kSheetAlertWindowClass: case kAltPlainWindowClass: case kDrawerWindowClass:
      return true;
  }
  return false;
}

// What a classic procedure id stands for.
struct ProcDescription {
  WindowClass windowClass = kDocumentWindowClass;
  WindowAttributes attributes = 0;
  FrameStyle frame = FrameStyle::kTitled;
};

WindowAttributes ZoomBits(int bits) {
  WindowAttributes a = 0;
  if (bits & 1) a |= kWindowVerticalZoomAttribute;
  if (bits & 2) a |= kWindowHorizontalZoomAttribute;
  return a;
}

ProcDescription DescribeProcID(SInt16 procID, bool goAway) {
  ProcDescription d;
  int wdef = procID >> 4, variation = procID & 15;
  WindowAttributes close = goAway ? WindowAttributes(kWindowCloseBoxAttribute) : 0;
  auto floating = [&](bool side, bool grow, int zoom) {
    d.windowClass = kFloatingWindowClass;
    d.frame = side ? FrameStyle::kSideTitled : FrameStyle::kSmallTitled;
    d.attributes = close | kWindowCollapseBoxAttribute | (grow ? WindowAttributes(kWindowResizableAttribute) : 0) |
                   ZoomBits(zoom) | (side ? WindowAttributes(kWindowSideTitlebarAttribute) : 0);
  };
  switch (wdef) {
    case 0:
      switch (variation) {
        case dBoxProc: d = {kModalWindowClass, 0, FrameStyle::kModal}; return d;
        case plainDBox: d = {kPlainWindowClass, 0, FrameStyle::kPlain}; return d;
        case altDBoxProc: d = {kAltPlainWindowClass, 0, FrameStyle::kPlain}; return d;
        case movableDBoxProc: d = {kMovableModalWindowClass, 0, FrameStyle::kTitled}; return d;
        case noGrowDocProc: d.attributes = close; return d;
        case zoomDocProc: d.attributes = close | kWindowResizableAttribute | kWindowFullZoomAttribute; return d;
        case zoomNoGrow: d.attributes = close | kWindowFullZoomAttribute; return d;
        default: d.attributes = close | kWindowResizableAttribute; return d;
      }
    case 64:  // appearance documents: bit 0 grow, bits 1-2 zoom
      d.attributes = close | kWindowCollapseBoxAttribute |
                     ((variation & 1) ? WindowAttributes(kWindowResizableAttribute) : 0) | ZoomBits((variation >> 1) & 3);
      return d;
    case 65: {  // appearance dialogs
      static const ProcDescription kDialogs[] = {
          {kPlainWindowClass, 0, FrameStyle::kPlain},
          {kAltPlainWindowClass, 0, FrameStyle::kPlain},
          {kModalWindowClass, 0, FrameStyle::kModal},
          {kMovableModalWindowClass, 0, FrameStyle::kTitled},
          {kAlertWindowClass, 0, FrameStyle::kModal},
          {kMovableAlertWindowClass, 0, FrameStyle::kTitled},
          {kMovableModalWindowClass, kWindowResizableAttribute, FrameStyle::kTitled},
      };
      return variation < 7 ? kDialogs[variation] : kDialogs[2];
    }
    case 66: floating(false, variation & 2, (variation >> 2) & 3); return d;
    case 67: floating(true, variation & 2, (variation >> 2) & 3); return d;
    case 124: floating(variation & 8, variation & 2, (variation & 4) ? 3 : 0); return d;
    default: d.attributes = close | kWindowResizableAttribute; return d;
  }
}

WindowRef MakeWindow(WindowClass windowClass, WindowAttributes attributes, FrameStyle frame,
                     const Rect& bounds, WindowRef behind) {
  EnsureWindowManager();
  auto* w = new OpaqueWindowPtr;
  w->windowClass = windowClass;
  w->attributes = attributes;
  w->frame = frame;
  w->content = bounds;
  if (w->content.right < w->content.left) w->content.right = w->content.left;
  if (w->content.bottom < w->content.top) w->content.bottom = w->content.top;
  w->updateRgn = NewRgn();
  w->visContent = NewRgn();
  w->visStructure = NewRgn();
  w->updateSnapshot = NewRgn();
  {
    PortSaver saver;
    OpenCPort(&w->port);
    SetPortOwner(&w->port, w);
    Rect local{0, 0, SInt16(w->content.bottom - w->content.top), SInt16(w->content.right - w->content.left)};
    SetPortBounds(&w->port, &local);
    MovePortTo(w->content.left, w->content.top);
    RgnHandle empty = NewRgn();
    SetPortVisibleRegion(&w->port, empty);
    DisposeRgn(empty);
  }
  InsertInLayer(w, behind);
  SetUpWindowTarget(w);
  return w;
}

std::string FromPString(ConstStr255Param p) {
  return p ? std::string(reinterpret_cast<const char*>(p + 1), p[0]) : std::string();
}

}  // namespace

OSStatus CreateNewWindow(WindowClass windowClass, WindowAttributes attributes,
                         const Rect* contentBounds, WindowRef* outWindow) {
  if (!contentBounds || !outWindow) return paramErr;
  *outWindow = nullptr;
  if (!IsKnownClass(windowClass)) return errUnrecognizedWindowClass;
  *outWindow = MakeWindow(windowClass, attributes, FrameForClass(windowClass), *contentBounds,
                          kFirstWindowOfClass);
  return noErr;
}

OSStatus CreateCustomWindow(const WindowDefSpec* def, WindowClass windowClass,
                            WindowAttributes attributes, const Rect* contentBounds,
                            WindowRef* outWindow) {
  if (!def || !contentBounds || !outWindow) return paramErr;
  *outWindow = nullptr;
  if (!IsKnownClass(windowClass)) return errUnrecognizedWindowClass;
  FrameStyle frame = FrameStyle::kPlain;
  if (def->defType == kWindowDefProcID) frame = DescribeProcID(def->procID, false).frame;
  *outWindow = MakeWindow(windowClass, attributes, frame, *contentBounds, kFirstWindowOfClass);
  return noErr;
}

WindowRef NewCWindow(void*, const Rect* boundsRect, ConstStr255Param title, Boolean visible,
                     SInt16 procID, WindowRef behind, Boolean goAwayFlag, SRefCon refCon) {
  if (!boundsRect) return nullptr;
  ProcDescription d = DescribeProcID(procID, goAwayFlag);
  WindowRef w = MakeWindow(d.windowClass, d.attributes, d.frame, *boundsRect, behind);
  w->title = FromPString(title);
  w->refCon = refCon;
  if (visible) ShowWindow(w);
  return w;
}

WindowRef NewWindow(void* storage, const Rect* boundsRect, ConstStr255Param title,
                    Boolean visible, SInt16 procID, WindowRef behind, Boolean goAwayFlag,
                    SRefCon refCon) {
  return NewCWindow(storage, boundsRect, title, visible, procID, behind, goAwayFlag, refCon);
}

// 'WIND': bounds (8 bytes), procID i16 at 8, visible byte at 10, goAway byte at 12, refCon i32
// at 14, title (length-prefixed) at 18.
WindowRef GetNewCWindow(SInt16 windowID, void* storage, WindowRef behind) {
  Handle h = GetResource(FourCC("WIND"), windowID);
  if (!h) return nullptr;
  const UInt8* p = reinterpret_cast<const UInt8*>(*h);
  Size size = GetHandleSize(h);
  if (!p || size < 19 || size < 19 + p[18]) return nullptr;
  Rect bounds{ReadI16BE(p), ReadI16BE(p + 2), ReadI16BE(p + 4), ReadI16BE(p + 6)};
  SInt16 procID = ReadI16BE(p + 8);
  bool visible = p[10] != 0, goAway = p[12] != 0;
  SRefCon refCon = reinterpret_cast<SRefCon>(intptr_t(ReadI32BE(p + 14)));
  Str255 title;
  std::memcpy(title, p + 18, size_t(p[18]) + 1);
  return NewCWindow(storage, &bounds, title, visible, procID, behind, goAway, refCon);
}

WindowRef GetNewWindow(SInt16 windowID, void* storage, WindowRef behind) {
  return GetNewCWindow(windowID, storage, behind);
}

void AddWindowDisposeHook(WindowDisposeHookProcPtr hook) {
  if (hook && std::find(gDisposeHooks.begin(), gDisposeHooks.end(), hook) == gDisposeHooks.end())
    gDisposeHooks.push_back(hook);
}

void DisposeWindow(WindowRef window) {
  if (!IsLiveWindow(window)) return;
  for (WindowDisposeHookProcPtr hook : std::vector<WindowDisposeHookProcPtr>(gDisposeHooks)) hook(window);
  if (!IsLiveWindow(window)) return;  // a hook disposed it
  if (window->visible) {
    window->visible = false;
    RefreshScreen();
  }
  RemoveQueuedWindowEvents(window);
  ForgetWindow(window);  // out of the list; activation moves on
  UpdateActivation();
  ForgetEventMessageWindow(window);
  DisposeEventTarget(window->target);
  CGrafPtr current = nullptr;
  GetPort(&current);
  if (current == &window->port) SetPort(GetScreenPort());
  CloseCPort(&window->port);
  for (RgnHandle r : {window->updateRgn, window->visContent, window->visStructure, window->updateSnapshot})
    DisposeRgn(r);
  window->magic = 0;
  delete window;
}

Boolean IsValidWindowPtr(WindowRef window) { return IsLiveWindow(window); }

// --- Titles and plain fields ------------------------------------------------------------------

void SetWTitle(WindowRef window, ConstStr255Param title) {
  if (!IsLiveWindow(window)) return;
  window->title = FromPString(title);
  PaintFrame(window);
}

void GetWTitle(WindowRef window, Str255 title) {
  if (!title) return;
  title[0] = 0;
  if (!IsLiveWindow(window)) return;
  size_t n = std::min<size_t>(window->title.size(), 255);
  std::memcpy(title + 1, window->title.data(), n);
  title[0] = UInt8(n);
}

OSStatus SetWindowTitleWithCFString(WindowRef window, CFStringRef title) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  Str255 text;
  if (!title || !CFStringGetPascalString(title, text, sizeof text, kCFStringEncodingMacRoman))
    return paramErr;
  SetWTitle(window, text);
  return noErr;
}

OSStatus CopyWindowTitleAsCFString(WindowRef window, CFStringRef* title) {
  if (!IsLiveWindow(window) || !title) return errInvalidWindowRef;
  Str255 text;
  GetWTitle(window, text);
  *title = CFStringCreateWithPascalString(nullptr, text, kCFStringEncodingMacRoman);
  return noErr;
}

void SetWRefCon(WindowRef window, SRefCon data) {
  if (IsLiveWindow(window)) window->refCon = data;
}
SRefCon GetWRefCon(WindowRef window) { return IsLiveWindow(window) ? window->refCon : nullptr; }
SInt16 GetWindowKind(WindowRef window) { return IsLiveWindow(window) ? window->kind : 0; }
void SetWindowKind(WindowRef window, SInt16 kind) {
  if (IsLiveWindow(window)) window->kind = kind;
}

OSStatus GetWindowClass(WindowRef window, WindowClass* outClass) {
  if (!IsLiveWindow(window) || !outClass) return errInvalidWindowRef;
  *outClass = window->windowClass;
  return noErr;
}

OSStatus HIWindowChangeClass(WindowRef window, WindowClass newClass) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  if (!IsKnownClass(newClass)) return errUnrecognizedWindowClass;
  if (newClass == window->windowClass) return noErr;
  auto& list = Windows();
  list.erase(std::find(list.begin(), list.end(), window));
  window->windowClass = newClass;
  InsertInLayer(window, kFirstWindowOfClass);
  if (window->visible) {
    window->hilited = IsFloatingKind(window);
    RefreshScreen();
  }
  UpdateActivation();
  return noErr;
}

OSStatus GetWindowAttributes(WindowRef window, WindowAttributes* outAttributes) {
  if (!IsLiveWindow(window) || !outAttributes) return errInvalidWindowRef;
  *outAttributes = window->attributes;
  return noErr;
}

OSStatus ChangeWindowAttributes(WindowRef window, WindowAttributes setThese,
                                WindowAttributes clearThese) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  WindowAttributes before = window->attributes;
  window->attributes = (before | setThese) & ~clearThese;
  if ((before ^ window->attributes) & kWindowStandardHandlerAttribute) {
    if (window->attributes & kWindowStandardHandlerAttribute) InstallStandardEventHandler(window->target);
    else RemoveStandardEventHandler(window->target);
  }
  PaintFrame(window);
  return noErr;
}

OSStatus SetWindowProxyCreatorAndType(WindowRef window, OSType, OSType, SInt16) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  window->hasProxy = true;
  PaintFrame(window);
  return noErr;
}

OSStatus RemoveWindowProxy(WindowRef window) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  if (!window->hasProxy) return errWindowDoesNotHaveProxy;
  window->hasProxy = false;
  PaintFrame(window);
  return noErr;
}

OSStatus SetWindowContentColor(WindowRef window, const RGBColor* color) {
  if (!IsLiveWindow(window) || !color) return errInvalidWindowRef;
  window->contentColor = *color;
  return noErr;
}

OSStatus GetWindowContentColor(WindowRef window, RGBColor* color) {
  if (!IsLiveWindow(window) || !color) return errInvalidWindowRef;
  *color = window->contentColor;
  return noErr;
}

// --- Properties -------------------------------------------------------------------------------

namespace {
WindowProperty* FindProperty(WindowRef window, PropertyCreator creator, PropertyTag tag) {
  for (WindowProperty& p : window->properties)
    if (p.creator == creator && p.tag == tag) return &p;
  return nullptr;
}
}  // namespace

OSStatus SetWindowProperty(WindowRef window, PropertyCreator creator, PropertyTag tag,
                           ByteCount size, const void* buffer) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  if (size && !buffer) return paramErr;
  WindowProperty* p = FindProperty(window, creator, tag);
  if (!p) {
    window->properties.push_back(WindowProperty{creator, tag, {}});
    p = &window->properties.back();
  }
  const UInt8* bytes = static_cast<const UInt8*>(buffer);
  p->data.assign(bytes, bytes + size);
  return noErr;
}

OSStatus GetWindowProperty(WindowRef window, PropertyCreator creator, PropertyTag tag,
                           ByteCount bufferSize, ByteCount* actualSize, void* buffer) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  WindowProperty* p = FindProperty(window, creator, tag);
  if (!p) return errWindowPropertyNotFound;
  ByteCount n = std::min<ByteCount>(bufferSize, ByteCount(p->data.size()));
  if (n && buffer) std::memcpy(buffer, p->data.data(), n);
  if (actualSize) *actualSize = ByteCount(p->data.size());
  return noErr;
}

OSStatus GetWindowPropertySize(WindowRef window, PropertyCreator creator, PropertyTag tag,
                               ByteCount* size) {
  if (!IsLiveWindow(window) || !size) return errInvalidWindowRef;
  WindowProperty* p = FindProperty(window, creator, tag);
  if (!p) return errWindowPropertyNotFound;
  *size = ByteCount(p->data.size());
  return noErr;
}

OSStatus RemoveWindowProperty(WindowRef window, PropertyCreator creator, PropertyTag tag) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  auto& props = window->properties;
  auto it = std::find_if(props.begin(), props.end(), [&](const WindowProperty& p) {
    return p.creator == creator && p.tag == tag;
  });
  if (it == props.end()) return errWindowPropertyNotFound;
  props.erase(it);
  return noErr;
}

// --- Ports ------------------------------------------------------------------------------------

CGrafPtr GetWindowPort(WindowRef window) { return IsLiveWindow(window) ? &window->port : nullptr; }

void SetPortWindowPort(WindowRef window) {
  if (IsLiveWindow(window)) SetPort(&window->port);
}

WindowRef GetWindowFromPort(CGrafPtr port) {
  if (!port || !IsValidPort(port)) return nullptr;
  auto* w = static_cast<WindowRef>(GetPortOwner(port));
  return IsLiveWindow(w) && &w->port == port ? w : nullptr;
}

EventTargetRef GetWindowEventTarget(WindowRef window) {
  return IsLiveWindow(window) ? window->target : nullptr;
}
