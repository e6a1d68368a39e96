#include "shell/drawing/scratch_rect.h"

#include "platform/quickdraw/quickdraw.h"
#include "shell/base/event_records.h"

Rect gScratchRect;

void SetScratchRect(int16_t left, int16_t top, int16_t width, int16_t height) {
  SetRect(&gScratchRect, left, top, int16_t(left + width), int16_t(top + height));
}

void SetScratchRectFrom(const Rect* rect) {
  if (rect) gScratchRect = *rect;
}

void SetRectFields(Rect* rect, int16_t left, int16_t top, int16_t right, int16_t bottom) {
  if (rect) SetRect(rect, left, top, right, bottom);
}

void ClipToScratchRect() { ClipRect(&gScratchRect); }
void EraseScratchRect() { EraseRect(&gScratchRect); }
void FrameScratchRect() { FrameRect(&gScratchRect); }
void InsetScratchRect(int16_t d) { InsetRect(&gScratchRect, d, d); }

bool IsMouseInScratchRect() { return PtInRect(gLastMousePoint, &gScratchRect); }

void ClipToPortBounds() {
  GrafPtr port = nullptr;
  GetPort(&port);
  if (!port) return;
  Rect bounds;
  GetPortBounds(port, &bounds);
  ClipRect(&bounds);
}
