#include "shell/color_swatches.h"

#include "platform/quickdraw/quickdraw.h"
#include "shell/app_state.h"
#include "shell/dialog_controls.h"

namespace {

constexpr uint16_t kAppWord0ColourDrawing = 0x100;

int16_t gFirstSwatchItem = 0;
const RGBColor* gSwatchColours = nullptr;
int16_t gSwatchCount = 0;

}  // namespace

void InstallColorSwatchItem(int16_t item, int16_t first, const RGBColor* colours, int16_t count) {
  if (!GetCurrentDialogItem(item)) return;
  gFirstSwatchItem = first;
  gSwatchColours = colours;
  gSwatchCount = count;
  SetDialogItem(gCurrentDialog, int16_t(item + gDialogIdBase), userItem + itemDisable,
                UserItemHandle(DrawColorSwatchItem), &gDialogItemRect);
}

void DrawColorSwatchItem(DialogRef dialog, DialogItemIndex item) {
  if (!(gAppState[0] & kAppWord0ColourDrawing) || !gSwatchColours) return;
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
