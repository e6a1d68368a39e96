#include "shell/drawing/bitmap_resources.h"

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/resources/resources.h"
#include "shell/windows/app_windows.h"

namespace {

void DrawBits(const BitMap& bits, int16_t dh, int16_t dv, int16_t mode) {
  GrafPtr port = nullptr;
  GetPort(&port);
  if (!port) return;
  const BitMap* dst = GetPortBitMapForCopyBits(port);
  Rect target = bits.bounds;
  OffsetRect(&target, dh, dv);
  if (mode == 0)
    CopyMask(&bits, &bits, dst, &bits.bounds, &bits.bounds, &target);
  else
    CopyBits(&bits, dst, &bits.bounds, &target, mode == -1 ? int16_t(srcCopy) : mode, RgnHandle());
}

}  // namespace

OSErr BitmapFromResource(Handle resource, BitMap* bits) {
  if (!resource || !bits || !*resource) return paramErr;
  Size size = GetHandleSize(resource);
  if (size < kBitmapHeaderSize) return kBadBitmapResourceErr;
  const char* block = *resource;
  int16_t rowBytes = ReadI16BE(block + 4);
  Rect bounds{ReadI16BE(block + 6), ReadI16BE(block + 8), ReadI16BE(block + 10),
              ReadI16BE(block + 12)};
  int32_t width = int32_t(bounds.right) - bounds.left;
  int32_t height = int32_t(bounds.bottom) - bounds.top;
  if (rowBytes <= 0 || width <= 0 || height <= 0) return kBadBitmapResourceErr;
  if (int32_t(rowBytes) * 8 < width) return kBadBitmapResourceErr;
  if (int64_t(size) - kBitmapHeaderSize < int64_t(rowBytes) * height) return kBadBitmapResourceErr;
  bits->baseAddr = *resource + kBitmapHeaderSize;
  bits->rowBytes = rowBytes;
  bits->bounds = bounds;
  return noErr;
}

int16_t DrawBitmapResource(WindowRef window, int16_t dh, int16_t dv, int16_t mode, int16_t id) {
  Handle resource = GetResource(kBitmapResType, id);
  if (!resource) return 0;
  int8_t state = HGetState(resource);
  HLock(resource);
  BitMap bits;
  int16_t width = 0;
  if (BitmapFromResource(resource, &bits) == noErr) {
    GrafPtr saved = nullptr;
    GetPort(&saved);
    if (window) SetPortWindowPort(window);
    DrawBits(bits, dh, dv, mode);
    if (window) SetPort(saved);
    width = int16_t(bits.bounds.right - bits.bounds.left);
  }
  HSetState(resource, state);
  return width;
}

int16_t DrawBitmapResourceInWindow(const AppWindow* w, int16_t dh, int16_t dv, int16_t mode,
                                   int16_t id) {
  WindowRef window = GetAppWindowRef(w);
  return window ? DrawBitmapResource(window, dh, dv, mode, id) : 0;
}
