// Colour icon and pixel pattern readers: any bytes decode or are refused without reading
// outside them, and what decodes can be drawn.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/quickdraw/quickdraw.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static GWorldPtr world = [] {
    Rect bounds{0, 0, 32, 32};
    GWorldPtr gw = nullptr;
    if (NewGWorld(&gw, 32, &bounds, nullptr, nullptr, 0) != noErr) std::abort();
    return gw;
  }();
  SetGWorld(world, nullptr);
  Rect r{0, 0, 32, 32};
  if (CIconHandle icon = DecodeCIcon(data, size)) {
    PlotCIcon(&r, icon);
    DisposeCIcon(icon);
  }
  if (PixPatHandle pp = DecodePixPat(data, size)) {
    FillCRect(&r, pp);
    DisposePixPat(pp);
  }
  return 0;
}
