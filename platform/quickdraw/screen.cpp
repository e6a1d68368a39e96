#include "platform/quickdraw/screen.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/regions.h"
#include "platform/quickdraw/qd_internal.h"
#include "platform/system/quickdraw_random.h"

using namespace qd_internal;

namespace {

constexpr int kDefaultWidth = 1280;
constexpr int kDefaultHeight = 800;
constexpr int kMinSide = 320;
constexpr int kMaxSide = 8192;
constexpr short kMenuBarHeight = 20;
constexpr int kFrameMargin = 40;  // room for the host window's title bar and borders
constexpr uint32_t kDesktopPixel = 0xFF5A6E82;

struct ScreenState {
  int width = kDefaultWidth;  // the screen as shown
  int height = kDefaultHeight;
  // The pixel buffer's size, which the screen may grow to (the desktop's, with a host
  // window); the buffer never moves, so ports on it stay valid when the screen is resized.
  int capacityWidth = kDefaultWidth;
  int capacityHeight = kDefaultHeight;
  std::vector<uint32_t> pixels;
  GDevice device;
  GDevice* devicePtr = nullptr;
  GDHandle current = nullptr;
  CGrafPort port;
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  SDL_Cursor* cursor = nullptr;
  std::string hostProblem;  // why there is no host window although one was wanted
  bool anyDirty = false;
  int dirtyX1 = 0, dirtyY1 = 0, dirtyX2 = 0, dirtyY2 = 0;
};

ScreenState* gScreen = nullptr;

// The size ZARIN_SCREEN asks for; false when it asks for none (or for a bad one).
bool ReadScreenSize(int* w, int* h) {
  const char* env = std::getenv("ZARIN_SCREEN");
  if (!env) return false;
  int ew = 0, eh = 0;
  char tail = 0;
  if (std::sscanf(env, "%dx%d%c", &ew, &eh, &tail) != 2) return false;
  if (ew < kMinSide || ew > kMaxSide || eh < kMinSide || eh > kMaxSide) return false;
  *w = ew;
  *h = eh;
  return true;
}

// Without a size asked for, the default shrunk to what the desktop leaves for a window (a
// margin for the window's frame); the buffer can hold the whole desktop.
void ChooseScreenSize(ScreenState* s) {
  bool asked = ReadScreenSize(&s->width, &s->height);
  s->capacityWidth = s->width;
  s->capacityHeight = s->height;
  SDL_Rect usable, whole;
  if (!s->window || SDL_GetDisplayUsableBounds(0, &usable) != 0 || SDL_GetDisplayBounds(0, &whole) != 0) return;
  if (!asked) {
    s->width = std::clamp(std::min(s->width, usable.w - kFrameMargin), kMinSide, kMaxSide);
    s->height = std::clamp(std::min(s->height, usable.h - kFrameMargin), kMinSide, kMaxSide);
  }
  s->capacityWidth = std::clamp(std::max(s->width, whole.w), kMinSide, kMaxSide);
  s->capacityHeight = std::clamp(std::max(s->height, whole.h), kMinSide, kMaxSide);
}

bool HeadlessByRequest() {
  const char* headless = std::getenv("ZARIN_HEADLESS");
  return headless && std::strcmp(headless, "1") == 0;
}

bool DisplayNamed() {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 && *x11) || (wayland && *wayland);
}

std::string DisplayName() {
  const char* x11 = std::getenv("DISPLAY");
  if (x11 && *x11) return std::string("the display '") + x11 + "'";
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return std::string("the Wayland display '") + (wayland ? wayland : "") + "'";
}

void OpenHostWindow(ScreenState* s) {
  if (HeadlessByRequest()) return;
  if (!DisplayNamed()) {
    s->hostProblem = "no display: neither DISPLAY nor WAYLAND_DISPLAY is set";
    return;
  }
  // Only the displays named: SDL would otherwise take another driver that shows nothing.
  const char* x11 = std::getenv("DISPLAY");
  SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, x11 && *x11 ? "x11,wayland" : "wayland", SDL_HINT_DEFAULT);
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    s->hostProblem = "cannot open " + DisplayName() + " (" + SDL_GetError() + ")";
    return;
  }
  s->window = SDL_CreateWindow("Zarin", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, s->width,
                               s->height, SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
  ChooseScreenSize(s);
  if (s->window) {
    SDL_SetWindowSize(s->window, s->width, s->height);
    SDL_SetWindowPosition(s->window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    SDL_SetWindowMinimumSize(s->window, kMinSide, kMinSide);
    SDL_SetWindowMaximumSize(s->window, s->capacityWidth, s->capacityHeight);
    SDL_ShowWindow(s->window);
    s->renderer = SDL_CreateRenderer(s->window, -1, 0);
  }
  if (s->renderer)
    s->texture = SDL_CreateTexture(s->renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                   s->capacityWidth, s->capacityHeight);
  if (!s->texture) {
    s->hostProblem = "cannot open a window on " + DisplayName() + " (" + SDL_GetError() + ")";
    if (s->renderer) SDL_DestroyRenderer(s->renderer);
    if (s->window) SDL_DestroyWindow(s->window);
    s->renderer = nullptr;
    s->window = nullptr;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    ChooseScreenSize(s);
  }
}

// The screen port covers the screen as shown (its pixel map the whole buffer).
void FitScreenPort(ScreenState* s) {
  s->port.portRect = s->device.gdRect;
  RectRgn(s->port.visRgn, &s->port.portRect);
}

void CloseHostWindow(ScreenState* s) {
  if (s->cursor) SDL_FreeCursor(s->cursor);
  if (s->texture) SDL_DestroyTexture(s->texture);
  if (s->renderer) SDL_DestroyRenderer(s->renderer);
  if (s->window) {
    SDL_DestroyWindow(s->window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
  s->cursor = nullptr;
  s->texture = nullptr;
  s->renderer = nullptr;
  s->window = nullptr;
}

void SetUpDevice(ScreenState* s) {
  PixMap& pm = s->device.pixMap;
  pm.baseAddr = reinterpret_cast<Ptr>(s->pixels.data());
  pm.rowBytesFull = s->capacityWidth * 4;
  pm.rowBytes = SInt16(kPixMapFlag | std::min(pm.rowBytesFull, 0x3FFF));
  pm.bounds = Rect{0, 0, short(s->capacityHeight), short(s->capacityWidth)};
  s->device.pixMapPtr = &pm;
  s->device.gdPMap = &s->device.pixMapPtr;
  s->device.gdRect = Rect{0, 0, short(s->height), short(s->width)};
  s->device.gdFlags = (1 << 0) | (1 << 11) | (1 << 13) | (1 << 15);  // colour, screen, main, active
  s->devicePtr = &s->device;
  s->current = &s->devicePtr;
  qd.screenBits.baseAddr = nullptr;  // bounds only: pass GetPortBitMapForCopyBits(GetScreenPort())
  qd.screenBits.rowBytes = 0;
  qd.screenBits.bounds = s->device.gdRect;
}

}  // namespace

namespace qd_internal {

void EnsureScreen() {
  if (gScreen) return;
  auto* s = new ScreenState;
  ChooseScreenSize(s);
  OpenHostWindow(s);
  s->pixels.assign(size_t(s->capacityWidth) * s->capacityHeight, kDesktopPixel);
  SetUpDevice(s);
  gScreen = s;
  InitCPort(&s->port);
  s->port.portKind = kPortKindScreen;
  FitScreenPort(s);
  if (!PortIsOpen(qd.thePort)) qd.thePort = &s->port;
  s->anyDirty = true;
  s->dirtyX2 = s->width;
  s->dirtyY2 = s->height;
}

PixMap* ScreenPixMap() {
  EnsureScreen();
  return &gScreen->device.pixMap;
}

bool IsScreenPixMap(const PixMap& pm) {
  return gScreen && pm.baseAddr == reinterpret_cast<Ptr>(gScreen->pixels.data());
}

void NotePixelsDrawn(const PixMap& pm, int x1, int y1, int x2, int y2) {
  if (!IsScreenPixMap(pm) || x2 <= x1 || y2 <= y1) return;
  ScreenState* s = gScreen;
  if (!s->anyDirty) {
    s->dirtyX1 = x1;
    s->dirtyY1 = y1;
    s->dirtyX2 = x2;
    s->dirtyY2 = y2;
    s->anyDirty = true;
    return;
  }
  s->dirtyX1 = std::min(s->dirtyX1, x1);
  s->dirtyY1 = std::min(s->dirtyY1, y1);
  s->dirtyX2 = std::max(s->dirtyX2, x2);
  s->dirtyY2 = std::max(s->dirtyY2, y2);
}

void HostShowCursor(const Cursor* cursor, bool visible) {
  ScreenState* s = gScreen;
  if (!s || !s->window) return;
  SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
  if (!cursor) return;
  Uint8 data[32], mask[32];
  for (int i = 0; i < 16; ++i) {
    data[2 * i] = Uint8(cursor->data[i] >> 8);
    data[2 * i + 1] = Uint8(cursor->data[i]);
    mask[2 * i] = Uint8(cursor->mask[i] >> 8);
    mask[2 * i + 1] = Uint8(cursor->mask[i]);
  }
  int hx = std::clamp<int>(cursor->hotSpot.h, 0, 15), hy = std::clamp<int>(cursor->hotSpot.v, 0, 15);
  SDL_Cursor* made = SDL_CreateCursor(data, mask, 16, 16, hx, hy);
  if (!made) return;
  SDL_SetCursor(made);
  if (s->cursor) SDL_FreeCursor(s->cursor);
  s->cursor = made;
}

}  // namespace qd_internal

void InitScreen() { EnsureScreen(); }

Boolean ResizeScreen(int width, int height) {
  EnsureScreen();
  ScreenState* s = gScreen;
  width = std::clamp(width, kMinSide, s->capacityWidth);
  height = std::clamp(height, kMinSide, s->capacityHeight);
  if (width == s->width && height == s->height) return false;
  s->width = width;
  s->height = height;
  s->device.gdRect = Rect{0, 0, short(height), short(width)};
  qd.screenBits.bounds = s->device.gdRect;
  FitScreenPort(s);
  MarkScreenDirty(nullptr);
  return true;
}

void ShutdownScreen() {
  if (!gScreen) return;
  ReleaseFonts();
  CloseCPort(&gScreen->port);
  if (qd.thePort == &gScreen->port) qd.thePort = nullptr;
  CloseHostWindow(gScreen);
  delete gScreen;
  gScreen = nullptr;
  qd.screenBits = BitMap{};
}

GDHandle GetMainDevice() {
  EnsureScreen();
  return &gScreen->devicePtr;
}

GDHandle GetDeviceList() { return GetMainDevice(); }
GDHandle GetNextDevice(GDHandle) { return nullptr; }

GDHandle GetGDevice() {
  EnsureScreen();
  return gScreen->current;
}

void SetGDevice(GDHandle gd) {
  EnsureScreen();
  if (gd) gScreen->current = gd;
}

PixMapHandle GetGDevPixMap(GDHandle gd) { return gd && *gd ? (*gd)->gdPMap : nullptr; }

Boolean TestDeviceAttribute(GDHandle gd, short attribute) {
  if (!gd || !*gd || attribute < 0 || attribute > 31) return false;
  return ((*gd)->gdFlags >> attribute) & 1;
}

short HasDepth(GDHandle gd, short depth, short, short) {
  return gd && depth >= 1 && depth <= 32 ? 1 : 0;
}

short GetMBarHeight() { return kMenuBarHeight; }

OSStatus GetAvailableWindowPositioningBounds(GDHandle, Rect* outAvailableRect) {
  if (!outAvailableRect) return paramErr;
  EnsureScreen();
  *outAvailableRect = Rect{kMenuBarHeight, 0, short(gScreen->height), short(gScreen->width)};
  return noErr;
}

CGrafPtr GetScreenPort() {
  EnsureScreen();
  return &gScreen->port;
}

Boolean ScreenHasHostWindow() {
  EnsureScreen();
  return gScreen->window != nullptr;
}

const char* GetHostWindowProblem() {
  EnsureScreen();
  return gScreen->hostProblem.empty() ? nullptr : gScreen->hostProblem.c_str();
}

Boolean IsScreenUnseen() {
  return gScreen ? gScreen->window == nullptr : (HeadlessByRequest() || !DisplayNamed());
}

void* GetScreenHostWindow() {
  EnsureScreen();
  return gScreen->window;
}

Boolean PresentScreen() {
  EnsureScreen();
  ScreenState* s = gScreen;
  if (!s->anyDirty) return false;
  s->anyDirty = false;
  if (!s->window) return false;
  SDL_Rect r{s->dirtyX1, s->dirtyY1, s->dirtyX2 - s->dirtyX1, s->dirtyY2 - s->dirtyY1};
  const uint32_t* first = s->pixels.data() + size_t(r.y) * s->capacityWidth + r.x;
  SDL_UpdateTexture(s->texture, &r, first, s->capacityWidth * 4);
  SDL_Rect shown{0, 0, s->width, s->height};
  SDL_RenderCopy(s->renderer, s->texture, &shown, nullptr);
  SDL_RenderPresent(s->renderer);
  return true;
}

void MarkScreenDirty(const Rect* r) {
  EnsureScreen();
  PixMap& pm = gScreen->device.pixMap;
  if (!r) {
    NotePixelsDrawn(pm, 0, 0, gScreen->width, gScreen->height);
    return;
  }
  NotePixelsDrawn(pm, std::max<int>(r->left, 0), std::max<int>(r->top, 0),
                  std::min<int>(r->right, gScreen->width), std::min<int>(r->bottom, gScreen->height));
}

void GetScreenDirtyBounds(Rect* r) {
  EnsureScreen();
  if (!r) return;
  ScreenState* s = gScreen;
  *r = s->anyDirty ? Rect{short(s->dirtyY1), short(s->dirtyX1), short(s->dirtyY2), short(s->dirtyX2)}
                   : Rect{};
}
