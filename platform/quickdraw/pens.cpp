#include "platform/quickdraw/pens.h"

#include <algorithm>

#include "platform/quickdraw/qd_internal.h"
#include "platform/system/quickdraw_random.h"

using namespace qd_internal;

void PenSize(short width, short height) {
  CGrafPtr port = CurrentPort();
  port->pnSize = Point{std::max<short>(height, 0), std::max<short>(width, 0)};
}

void PenMode(short mode) { CurrentPort()->pnMode = mode; }

void PenPat(const Pattern* pat) {
  if (!pat) return;
  CGrafPtr port = CurrentPort();
  port->pnPat = *pat;
  port->pnPixPat = nullptr;
}

void PenPixPat(PixPatHandle pp) { CurrentPort()->pnPixPat = pp; }

void BackPat(const Pattern* pat) {
  if (!pat) return;
  CGrafPtr port = CurrentPort();
  port->bkPat = *pat;
  port->bkPixPat = nullptr;
}

void BackPixPat(PixPatHandle pp) { CurrentPort()->bkPixPat = pp; }

void PenNormal() {
  CGrafPtr port = CurrentPort();
  port->pnSize = Point{1, 1};
  port->pnMode = patCopy;
  port->pnPat = qd.black;
  port->pnPixPat = nullptr;
}

void GetPenState(PenState* state) {
  if (!state) return;
  CGrafPtr port = CurrentPort();
  state->pnLoc = port->pnLoc;
  state->pnSize = port->pnSize;
  state->pnMode = port->pnMode;
  state->pnPat = port->pnPat;
}

void SetPenState(const PenState* state) {
  if (!state) return;
  CGrafPtr port = CurrentPort();
  port->pnLoc = state->pnLoc;
  port->pnSize = state->pnSize;
  port->pnMode = state->pnMode;
  port->pnPat = state->pnPat;
}

void HidePen() { --CurrentPort()->pnVis; }
void ShowPen() { ++CurrentPort()->pnVis; }

void MoveTo(short h, short v) { CurrentPort()->pnLoc = Point{v, h}; }

void Move(short dh, short dv) {
  CGrafPtr port = CurrentPort();
  port->pnLoc.h = short(port->pnLoc.h + dh);
  port->pnLoc.v = short(port->pnLoc.v + dv);
}

void GetPen(Point* pt) {
  if (pt) *pt = CurrentPort()->pnLoc;
}
