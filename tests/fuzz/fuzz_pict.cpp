// Picture reader: any bytes play into a small offscreen world without reading outside them;
// the port's state is the same afterwards.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/quickdraw/quickdraw.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static GWorldPtr world = [] {
    Rect bounds{0, 0, 64, 64};
    GWorldPtr gw = nullptr;
    if (NewGWorld(&gw, 32, &bounds, nullptr, nullptr, 0) != noErr) std::abort();
    return gw;
  }();
  SetGWorld(world, nullptr);
  PenNormal();
  Point penBefore;
  GetPen(&penBefore);
  Rect dst{0, 0, 64, 64};
  OSErr err = DrawPictureBytes(data, size, &dst);
  if (err != noErr && err != paramErr && err != unimpErr) std::abort();
  Point penAfter;
  GetPen(&penAfter);
  if (!(penAfter == penBefore)) std::abort();
  return 0;
}
