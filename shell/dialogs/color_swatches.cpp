#include "shell/dialogs/color_swatches.h"

#include "platform/dialogs/color_picker.h"
#include "platform/quickdraw/quickdraw.h"
#include "shell/base/app_state.h"
#include "shell/dialogs/dialog_controls.h"
#include "shell/drawing/color_helpers.h"

namespace {

int16_t gFirstSwatchItem = 0;
const RGBColor* gSwatchColours = nullptr;
int16_t gSwatchCount = 0;

}  // namespace

void InstallColorSwatchItem(int16_t item, int16_t first, const RGBColor* colours, int16_t count) {
  if (!GetCurrentDialogItem(item)) return;
  gFirstSwatchItem = first;
  gSwatchColours = colours;
  gSwatchCount = count;
  SetDialogItem(gCurrentDialog, int16_t(item + gDialogIdBase), userItem,
                UserItemHandle(DrawColorSwatchItem), &gDialogItemRect);
}

void DrawColorSwatchItem(DialogRef dialog, DialogItemIndex item) {
  if (!IsColorDrawingOn() || !gSwatchColours) return;
  int32_t index = item - gFirstSwatchItem - gDialogIdBase;
  if (index < 0 || index >= gSwatchCount) return;
  DialogItemType type = 0;
  DialogItemHandle handle = nullptr;
  Rect r;
  GetDialogItem(dialog, item, &type, &handle, &r);
  PenNormal();
  RGBForeColor(&gSwatchColours[index]);
  PaintRect(&r);
  ForeColor(blackColor);
  FrameRect(&r);
}

bool PickColorSwatchColor(int16_t item, RGBColor* colour) {
  if (!IsColorDrawingOn() || !gCurrentDialog) return false;
  if (!GetColor(Point{}, reinterpret_cast<ConstStr255Param>(""), colour, colour)) return false;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPort(GetDialogPort(gCurrentDialog));
  DrawColorSwatchItem(gCurrentDialog, DialogItemIndex(item + gDialogIdBase));
  SetPort(saved);
  return true;
}
