// Nib dialog controls by id, and window placement helpers.
#include "shell/dialogs/nib_dialog_views.h"

#include <algorithm>

#include "platform/quickdraw/quickdraw.h"
#include "shell/base/event_records.h"
#include "shell/dialogs/dialog_controls.h"
#include "shell/drawing/screen_bounds.h"

namespace {

ControlRef FindView(WindowRef window, int32_t id) {
  ControlRef control = nullptr;
  if (FindDialogView(window, id, &control) != noErr) return nullptr;
  return control;
}

ControlRef FindPageView(WindowRef window, int32_t id) { return FindView(window, id + gDialogIdBase); }

}  // namespace

OSStatus FindDialogView(WindowRef window, int32_t id, ControlRef* outControl) {
  *outControl = nullptr;
  if (!window) return paramErr;
  return HIViewFindByID(HIViewGetRoot(window), HIViewID{0, id}, outControl);
}

void ShowHideDialogViews(WindowRef window, int32_t showId, int32_t hideId) {
  if (showId != 0)
    if (ControlRef c = FindView(window, showId)) HIViewSetVisible(c, true);
  if (hideId != 0)
    if (ControlRef c = FindView(window, hideId)) HIViewSetVisible(c, false);
}

void EnableDialogViews(WindowRef window, const uint8_t* idBytes, int32_t count, bool enable) {
  for (int32_t i = 0; i < count; ++i) {
    ControlRef c = FindPageView(window, idBytes[i]);
    if (!c) continue;
    if (enable) ActivateItemControl(c);
    else DeactivateItemControl(c);
  }
}

OSStatus SetDialogViewValue(WindowRef window, int32_t id, int32_t value) {
  ControlRef control = nullptr;
  OSStatus err = FindDialogView(window, id, &control);
  if (err == noErr) SetControl32BitValue(control, value);
  return err;
}

int32_t GetDialogViewValue(WindowRef window, int32_t id) {
  ControlRef control = FindView(window, id);
  return control ? GetControl32BitValue(control) : 0;
}

void SetDialogCheckBox(WindowRef window, int32_t id, int32_t flag) {
  if (ControlRef c = FindPageView(window, id)) SetControl32BitValue(c, flag ? 1 : 0);
}

void GetDialogCheckBit(WindowRef window, uint8_t* byte, uint8_t bit, int32_t id) {
  ControlRef c = FindPageView(window, id);
  SetBitInByte(byte, bit, c && GetControl32BitValue(c) != 0);
}

void SetDialogRadioGroup(WindowRef window, int32_t first, int32_t last, int32_t chosen) {
  for (int32_t id = first; id <= last; ++id)
    if (ControlRef c = FindPageView(window, id)) SetControl32BitValue(c, 0);
  if (ControlRef c = FindPageView(window, chosen)) SetControl32BitValue(c, 1);
}

int32_t SetDialogRadioGroupFromRange(WindowRef window, int32_t first, int32_t last) {
  if (!IsItemHitInRange(int16_t(first), int16_t(last))) return 0;
  SetDialogRadioGroup(window, first, last, gDialogItemHit - gDialogIdBase);
  return 1;
}

int32_t GetDialogRadioChoice(WindowRef window, int32_t firstId, int32_t n) {
  for (int32_t i = 0; i < n; ++i) {
    ControlRef c = FindView(window, firstId + i);
    if (c && GetControl32BitValue(c) != 0) return i;
  }
  return 0;
}

void RedrawDialogView(WindowRef window, int32_t id) {
  if (ControlRef c = FindView(window, id)) HIViewSetNeedsDisplay(c, true);
}

OSStatus SetDialogFieldSelection(WindowRef window, int32_t id, int16_t start, int16_t end,
                                 bool focus) {
  ControlRef control = nullptr;
  OSStatus err = FindDialogView(window, id, &control);
  if (err != noErr) return err;
  ControlEditTextSelectionRec selection{start, end};
  err = SetControlData(control, kControlEntireControl, kControlEditTextSelectionTag,
                       sizeof selection, &selection);
  if (focus) SetKeyboardFocus(window, control, kControlEditTextPart);
  return err;
}

OSStatus SelectDialogField(WindowRef window, int32_t id) {
  return SetDialogFieldSelection(window, id, 0, 32767, true);
}

bool IsWindowCompositing(WindowRef window) {
  WindowAttributes attributes = 0;
  if (!window || GetWindowAttributes(window, &attributes) != noErr) return false;
  return (attributes & kWindowCompositingAttribute) != 0;
}

void ConvertViewPointToPort(WindowRef window, HIViewRef view, Point* point) {
  HIViewRef content = nullptr;
  if (HIViewFindByID(HIViewGetRoot(window), kHIViewWindowContentID, &content) == noErr)
    HIViewConvertPoint(point, view, content);
  SetPortWindowPort(window);
}

void MoveWindowNearMouse(WindowRef window) {
  if (!window) return;
  Rect bounds;
  GetWindowPortBounds(window, &bounds);
  int32_t width = bounds.right - bounds.left;
  int32_t height = bounds.bottom - bounds.top;
  Point mouse = gLastMousePoint;
  LocalToGlobal(&mouse);
  int32_t h = mouse.h + 5 - width / 2;
  int32_t v = mouse.v + 10;
  h = std::max(0, std::min(h, int32_t(gDesktopBounds.right) - width));
  v = std::max(0, std::min(v, int32_t(gDesktopBounds.bottom) - height));
  MoveWindow(window, int16_t(h), int16_t(v), false);
}
