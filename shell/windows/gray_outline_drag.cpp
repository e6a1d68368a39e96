#include "shell/windows/gray_outline_drag.h"

#include "platform/quickdraw/regions.h"
#include "platform/windows/windows.h"

int32_t DragGrayOutline(const Rect& outline, Point start, const Rect& limit, const Rect& slop, int16_t axis) {
  RgnHandle region = NewRgn();
  RectRgn(region, &outline);
  SInt32 offset = DragGrayRgn(region, start, &limit, &slop, axis, nullptr);
  DisposeRgn(region);
  return int32_t(offset);
}
