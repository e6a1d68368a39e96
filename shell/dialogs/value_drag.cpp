#include "shell/dialogs/value_drag.h"

#include <algorithm>
#include <cstdlib>

#include "platform/events/classic_events.h"
#include "platform/quickdraw/cursors.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/ports.h"
#include "shell/base/resource_files.h"
#include "shell/dialogs/poll_events.h"
#include "shell/dialogs/value_fields.h"

namespace {

constexpr int32_t kFirstDragDelay = 25;
constexpr int32_t kDragDelayStep = 3;
constexpr int16_t kStillRadius = 4;
constexpr uint32_t kArrowStepWait = 1, kWarpStepWait = 2, kReleaseWarpWait = 4;

struct DragState {
  Point origin{};   // where the drag began (global)
  Point start{};    // the point movements are measured from (global)
  int32_t delay = kFirstDragDelay;
  int32_t largest = 0;
  bool cursorHidden = false;
};

Point LocalToGlobalPoint(Point p) {
  LocalToGlobal(&p);
  return p;
}

bool MouseInField() {
  Point local{};
  GetMouse(&local);
  return PtInRect(local, &gValueField.rect);
}

void WaitUntilReleased() {
  while (IsButtonStillDown()) {
  }
}

// Warps the cursor to the start; when no warp is available the movement is measured from
// where the mouse is now.
void WarpToStart(DragState* drag) {
  WarpMouseTo(drag->start.h, drag->start.v);
  Point now{};
  GetGlobalMouse(&now);
  drag->start = now;
}

int32_t ComputeDragStep(DragState* drag, int32_t dv) {
  if (MouseInField() && (gValueField.flags & kValueFieldHalves) && std::abs(dv) >= 2) {
    SetCursorFromResource(dv > 0 ? kValueDownCursorId : kValueUpCursorId);
    if (drag->cursorHidden) ShowCursor();
    drag->cursorHidden = false;
    uint32_t clear = (gValueField.flags & kValueFieldArrowEnded)
                         ? (kValueFieldArrowEnded | kValueFieldDragWaits | kValueFieldWarped)
                         : kValueFieldWarped;
    gValueField.flags &= ~clear;
    WaitTicksOrMove(kArrowStepWait);
    return dv > 0 ? 1 : -1;
  }
  if (!drag->cursorHidden) HideCursor();
  drag->cursorHidden = true;
  WarpToStart(drag);
  WaitTicksOrMove(kWarpStepWait);
  gValueField.flags &= ~kValueFieldHalves;
  gValueField.flags |= kValueFieldDragWaits | kValueFieldWarped;
  return DragStepForDistance(dv);
}

void ApplyStep(int32_t step) {
  int64_t next = std::clamp<int64_t>(int64_t(gValueField.value) - step, gValueField.minimum, gValueField.maximum);
  if (next != gValueField.value) gValueField.drawProc(int32_t(next));
}

void FinishDrag(DragState* drag) {
  if (gValueField.flags & kValueFieldWarped) {
    WarpMouseTo(drag->origin.h, drag->origin.v);
    WaitForMouseMoveOrTimeout(EventTicksNow() + kReleaseWarpWait, 0, false);
  }
  if (drag->cursorHidden) ShowCursor();
  InitCursor();
}

}  // namespace

int32_t DragStepForDistance(int32_t dv) {
  int32_t size = std::abs(dv);
  int32_t step = size <= 1 ? 0 : size <= 4 ? 1 : 2;
  return dv < 0 ? -step : step;
}

int32_t NextDragDelay(int32_t delay) { return std::max(delay - kDragDelayStep, 0); }

int32_t TrackValueDragLoop(ValueChangeProc changeProc, int32_t minimum, int32_t maximum,
                           int32_t value, ValueDrawProc drawProc, bool startedByKey) {
  ActivateValueField(changeProc, minimum, maximum, value, drawProc);
  const Rect& r = gValueField.rect;
  DragState drag;
  Point centre{int16_t((r.top + r.bottom + 1) / 2), int16_t((r.left + r.right + 1) / 2)};
  GetGlobalMouse(&drag.origin);
  drag.start = LocalToGlobalPoint(centre);
  if (startedByKey) {
    gValueField.flags &= ~kValueFieldHalves;
    drag.start = drag.origin;
  } else {
    gValueField.drawProc(value);
  }
  if (!MouseInField()) {
    gValueField.flags &= ~kValueFieldWarped;
    WaitUntilReleased();
    return 0;
  }
  bool movedVertically = false;
  while (Button()) {
    if (!(gValueField.flags & kValueFieldDragWaits)) {
      bool down = WaitForMouseMoveOrTimeout(EventTicksNow() + uint32_t(drag.delay), kStillRadius, true);
      drag.delay = NextDragDelay(drag.delay);
      if (!down) break;  // a release is not a step
    }
    Point mouse{};
    GetGlobalMouse(&mouse);
    int32_t dv = mouse.v - drag.start.v;
    int32_t dh = mouse.h - drag.start.h;
    if (startedByKey && !movedVertically && std::abs(dh) > std::abs(dv)) {
      drag.largest = 0;
      break;
    }
    if (dv == 0) {
      // Held still after a warp: wait for a movement instead of spinning.
      if (gValueField.flags & kValueFieldDragWaits) WaitTicksOrMove(kWarpStepWait);
      continue;
    }
    movedVertically = true;
    drag.largest = std::max(drag.largest, std::abs(dv));
    ApplyStep(ComputeDragStep(&drag, dv));
  }
  FinishDrag(&drag);
  return drag.largest;
}

int32_t TrackValueDrag(ValueChangeProc changeProc, int32_t minimum, int32_t maximum,
                       int32_t value, int32_t maxTextLength, int16_t mode, uint8_t limitCheck) {
  CommitValueFieldEdit();
  gValueField.flags &= kValueFieldDecimal | kValueFieldDashAtMinimum;
  gValueField.maxTextLength = maxTextLength;
  gValueField.limitCheck = limitCheck;
  int32_t result = TrackValueDragLoop(changeProc, minimum, maximum, value, SetValueFieldNumber, false);
  if (mode >= 0 && mode < 25) gValueField.flags |= 1u << mode;
  return result;
}

int32_t TrackValueDragDefault(ValueChangeProc changeProc, int32_t minimum, int32_t maximum,
                              int32_t value, int32_t maxTextLength) {
  return TrackValueDrag(changeProc, minimum, maximum, value, maxTextLength, 0, 1);
}
