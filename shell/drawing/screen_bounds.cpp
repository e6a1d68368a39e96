#include "shell/drawing/screen_bounds.h"

#include <algorithm>

#include "platform/memory/memory.h"
#include "platform/quickdraw/screen.h"
#include "shell/base/app_state.h"

Rect gDesktopBounds{};
int32_t gScreenDepthIndex = 0;

bool IsColourScreen() { return gScreenDepthIndex >= kColourScreenLevel; }
uint16_t gDrawingStateWord = 0;

namespace {

constexpr uint16_t kDrawingStateChanged = 0x80;
constexpr int32_t kMaxScreens = 16;

Ptr gRowScratch = nullptr;
Size gRowScratchSize = 0;

int16_t DeviceDepth(GDHandle gd) {
  PixMapHandle pm = GetGDevPixMap(gd);
  return pm ? (*pm)->pixelSize : 0;
}

GDHandle DeepestDevice() {
  GDHandle best = GetMainDevice();
  for (GDHandle gd = GetDeviceList(); gd; gd = GetNextDevice(gd))
    if (DeviceDepth(gd) > DeviceDepth(best)) best = gd;
  return best;
}

int32_t Area(const Rect& a, const Rect& b) {
  int32_t w = std::min<int32_t>(a.right, b.right) - std::max<int32_t>(a.left, b.left);
  int32_t h = std::min<int32_t>(a.bottom, b.bottom) - std::max<int32_t>(a.top, b.top);
  return (w > 0 && h > 0) ? w * h : 0;
}

// The depth index: 0 one bit, 1 up to 4 bits, 2 eight bits, 3 deeper.
int32_t DepthIndex(int16_t depth) {
  if (depth <= 1) return 0;
  if (depth <= 4) return 1;
  return depth <= 8 ? 2 : 3;
}

}  // namespace

void BeginScreenDrawing() {}
void EndScreenDrawing() {}

void UpdateScreenBounds() {
  int16_t oldHeight = int16_t(gDesktopBounds.bottom - gDesktopBounds.top);
  Rect bounds{};
  GetAvailableWindowPositioningBounds(DeepestDevice(), &bounds);
  bounds.top = int16_t(bounds.top + 1);
  gDesktopBounds = bounds;
  if (gRowScratch && oldHeight != bounds.bottom - bounds.top) {
    DisposePtr(gRowScratch);
    gRowScratch = nullptr;
    gRowScratchSize = 0;
    GetScreenRowScratch(nullptr);
  }
}

Ptr GetScreenRowScratch(Size* size) {
  if (!gRowScratch) {
    Size want = Size(gDesktopBounds.bottom - gDesktopBounds.top) * 6 + 1;
    if (want < 1) want = 1;
    gRowScratch = NewPtrClear(want);
    gRowScratchSize = gRowScratch ? want : 0;
  }
  if (size) *size = gRowScratchSize;
  return gRowScratch;
}

void RefreshDisplaySettings() {
  gAppState[0] &= uint16_t(~kAppWord0HighlightColour);
  UpdateScreenBounds();
  gDrawingStateWord |= kDrawingStateChanged;
  gScreenDepthIndex = DepthIndex(DeviceDepth(DeepestDevice()));
  if (gScreenDepthIndex >= 2) gAppState[0] |= kAppWord0HighlightColour;
}

int16_t GetScreenWidth() {
  if (gDesktopBounds.right <= gDesktopBounds.left) UpdateScreenBounds();
  return int16_t(gDesktopBounds.right - gDesktopBounds.left);
}

int16_t GetScreenHeight() {
  if (gDesktopBounds.bottom <= gDesktopBounds.top) UpdateScreenBounds();
  return int16_t(gDesktopBounds.bottom - gDesktopBounds.top);
}

int32_t FindBestRectIndex(const Rect* candidates, int32_t count, const Rect& r) {
  int32_t best = -1, bestArea = 0;
  for (int32_t i = 0; i < count; ++i) {
    int32_t area = Area(candidates[i], r);
    if (area > bestArea) {
      bestArea = area;
      best = i;
    }
  }
  return best;
}

GDHandle FindBestScreenForRect(const Rect* r, Rect* availableBounds) {
  GDHandle devices[kMaxScreens];
  Rect bounds[kMaxScreens];
  int32_t count = 0;
  for (GDHandle gd = GetDeviceList(); gd && count < kMaxScreens; gd = GetNextDevice(gd)) {
    devices[count] = gd;
    GetAvailableWindowPositioningBounds(gd, &bounds[count]);
    ++count;
  }
  int32_t best = r ? FindBestRectIndex(bounds, count, *r) : -1;
  GDHandle chosen = best >= 0 ? devices[best] : GetMainDevice();
  if (availableBounds) GetAvailableWindowPositioningBounds(chosen, availableBounds);
  return chosen;
}
