#include "shell/dialogs/dialog_arrows.h"

#include "platform/events/classic_events.h"
#include "platform/quickdraw/pictures.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/quickdraw/screen.h"
#include "platform/system/host_time.h"
#include "platform/windows/windows.h"
#include "shell/base/event_records.h"
#include "shell/dialogs/dialog_controls.h"
#include "shell/dialogs/note_names.h"
#include "shell/drawing/color_helpers.h"
#include "shell/drawing/scratch_rect.h"

uint8_t gRepeatUp = 1;
int16_t gPendingWheelSteps = 0;

namespace {

struct RepeatState {
  void (*step)(bool up) = nullptr;
  int32_t lo = 0;
  int32_t hi = 0;
  int16_t field = 0;
  uint32_t steps = 0;
  uint32_t lastTicks = 0;
};
RepeatState gRepeat;

void DrawArrowUserItem(DialogRef dialog, DialogItemIndex item) { DrawRepeatButtonForItem(dialog, item, 0); }

// The button drawn with QuickDraw: a frame, a divider and two triangles; the pressed half
// inverted.
void DrawArrowShape(const Rect& r, int16_t pressed) {
  PenNormal();
  EraseRect(&r);
  FrameRect(&r);
  int16_t mid = int16_t((r.top + r.bottom) / 2);
  MoveTo(r.left, mid);
  LineTo(int16_t(r.right - 1), mid);
  int16_t cx = int16_t((r.left + r.right) / 2);
  for (int16_t k = 0; k < 4; ++k) {
    MoveTo(int16_t(cx - k), int16_t(r.top + 4 + k));
    LineTo(int16_t(cx + k), int16_t(r.top + 4 + k));
    MoveTo(int16_t(cx - k), int16_t(r.bottom - 5 - k));
    LineTo(int16_t(cx + k), int16_t(r.bottom - 5 - k));
  }
  if (pressed) {
    Rect half = r;
    InsetRect(&half, 1, 1);
    if (pressed == 1)
      half.bottom = mid;
    else
      half.top = int16_t(mid + 1);
    InvertRect(&half);
  }
}

void DrawButtonIn(const Rect& r, int16_t pressed) {
  int16_t base = GetScreenDepth() >= 4 ? kArrowPictureDeep : kArrowPictureShallow;
  if (PicHandle pic = GetPicture(int16_t(base + pressed)))
    DrawPicture(pic, &r);
  else
    DrawArrowShape(r, pressed);
}

// Draws the button in r in the dialog's own port, the caller's port kept.
void DrawButtonInDialog(DialogRef dialog, const Rect& r, int16_t pressed) {
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPortWindowPort(GetDialogWindow(dialog));
  DrawButtonIn(r, pressed);
  SetPort(saved);
}

void HiliteArrow(void*, int16_t on) { DrawRepeatButtonPicture(on ? int16_t(gRepeatUp ? 1 : 2) : 0); }

// At most one step per interval: the first at once, the second after 30 ticks.
void RepeatStepTimer(void*) {
  uint32_t now = TickCount();
  uint32_t wait = gRepeat.steps == 1 ? kRepeatFirstDelayTicks : kRepeatIntervalTicks;
  if (gRepeat.steps > 0 && now - gRepeat.lastTicks < wait) return;
  if (gRepeat.steps == 1 && gRepeat.field) SelectDialogItemAllText(gRepeat.field);
  gRepeat.step(gRepeatUp != 0);
  ++gRepeat.steps;
  gRepeat.lastTicks = now;
}

void StepNumber(bool up) {
  int32_t v = GetDialogItemNumber(gRepeat.field);
  int32_t next = v + (up ? 1 : -1);
  if (next < gRepeat.lo) next = gRepeat.lo;
  if (next > gRepeat.hi) next = gRepeat.hi;
  if (next != v) SetDialogItemNumber(next, gRepeat.field);
}

void StepNote(bool up) {
  int32_t v = GetDialogItemNote(gRepeat.field);
  if (v == kNoNote) v = 60;
  int32_t next = v + (up ? 1 : -1);
  if (next < 0) next = 0;
  if (next > 127) next = 127;
  if (next != v) SetDialogItemNoteName(next, gRepeat.field);
}

void RunOnField(int16_t field, int32_t lo, int32_t hi, void (*step)(bool)) {
  gRepeat.field = field;
  gRepeat.lo = lo;
  gRepeat.hi = hi;
  RunRepeatSteps(step);
}

}  // namespace

bool InstallDialogUserItem(int16_t n) {
  if (!GetCurrentDialogItem(n) || !AddDialogListItem(&gArrowButtons, n)) return false;
  // Disabled: only the modal filter reports the button, and only for its two halves.
  SetDialogItem(gCurrentDialog, int16_t(n + gDialogIdBase), userItem + itemDisable,
                UserItemHandle(DrawArrowUserItem), &gDialogItemRect);
  return true;
}

int16_t GetScreenDepth() {
  if (!IsColorDrawingOn()) return 0;
  GDHandle device = GetMainDevice();
  PixMapHandle pm = device ? GetGDevPixMap(device) : nullptr;
  return pm ? GetPixDepth(pm) : 0;
}

void DrawRepeatButtonPicture(int16_t pressed) {
  if (!gCurrentDialog || !GetCurrentDialogItem(int16_t(gDialogItemHit - gDialogIdBase))) return;
  DrawButtonInDialog(gCurrentDialog, gDialogItemRect, pressed);
}

void DrawRepeatButtonForItem(DialogRef dialog, int16_t item, int16_t pressed) {
  if (!dialog || item < 1 || item > CountDITL(dialog)) return;
  DialogItemType type = 0;
  DialogItemHandle handle = nullptr;
  Rect r;
  GetDialogItem(dialog, item, &type, &handle, &r);
  DrawButtonInDialog(dialog, r, pressed);
}

void RepeatWhileButtonDown(void (*action)(void*), void (*hilite)(void*, int16_t), void* arg) {
  Point start = gLastMousePoint;
  bool inside = true;
  hilite(arg, 1);
  action(arg);
  while (StillDown()) {
    GetMouse(&gLastMousePoint);
    bool now = IsMouseInScratchRect();
    if (now != inside) hilite(arg, now ? 1 : 0);
    inside = now;
    if (inside) action(arg);
  }
  hilite(arg, 0);
  gLastMousePoint = start;
}

void RunRepeatSteps(void (*step)(bool up)) {
  gRepeat.step = step;
  gRepeat.steps = 0;
  if (gPendingWheelSteps != 0) {
    while (gPendingWheelSteps != 0) {
      bool up = gPendingWheelSteps > 0;
      step(up);
      gPendingWheelSteps = int16_t(gPendingWheelSteps + (up ? -1 : 1));
    }
  } else {
    LoadDialogItemRect(int16_t(gDialogItemHit - gDialogIdBase));
    Rect whole = gScratchRect;
    if (gRepeatUp)
      LoadItemUpperArrowRect();
    else
      LoadItemLowerArrowRect();
    RepeatWhileButtonDown(RepeatStepTimer, HiliteArrow, nullptr);
    gScratchRect = whole;
    DrawRepeatButtonPicture(0);
  }
  if (gRepeat.field) SelectDialogItemAllText(gRepeat.field);
}

void RunRepeatStepsOnField(int16_t field, void (*step)(bool up)) {
  gRepeat.field = field;
  RunRepeatSteps(step);
}

void RunRepeatButton(int32_t lo, int32_t hi, int16_t item) { RunOnField(item, lo, hi, StepNumber); }

void RunRepeatButtonForFocus(int32_t lo, int32_t hi) {
  RunOnField(int16_t(gDialogFocusItem), lo, hi, StepNumber);
}

void RunNoteRepeatButton(int16_t item) { RunOnField(item, 0, 127, StepNote); }

void QueueWheelSteps(int16_t delta) {
  int32_t sum = int32_t(gPendingWheelSteps) + delta;
  if (sum > 1000) sum = 1000;
  if (sum < -1000) sum = -1000;
  gPendingWheelSteps = int16_t(sum);
  PostEvent(keyDown, kWheelStepMessage);
}
