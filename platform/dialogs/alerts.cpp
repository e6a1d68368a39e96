// Alerts from 'ALRT' resources, their stages and icons.
#include "platform/dialogs/alerts.h"

#include <algorithm>

#include "platform/controls/control_creators.h"
#include "platform/dialogs/dialog_internal.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/resources/resource_manager.h"
#include "platform/system/sys_beep.h"
#include "platform/windows/appearance.h"
#include "platform/windows/windows.h"

namespace {

constexpr OSType kAlertIconCreator = FourCC("zarn");
constexpr OSType kAlertIconTag = FourCC("aicn");
constexpr Rect kIconRect{10, 20, 42, 52};

SInt16 gLastAlertID = 0;
SInt16 gAlertStage = -1;

void Paint(const Rect& r, UInt32 rgb, bool oval) {
  RGBColor color = RGBFromPixel(rgb);
  RGBForeColor(&color);
  PenNormal();
  if (oval)
    PaintOval(&r);
  else
    PaintRect(&r);
}

// The exclamation mark (or, for notes, the letter i) of an alert icon.
void DrawMark(const Rect& box, UInt32 rgb, bool letterI) {
  short cx = short((box.left + box.right) / 2), top = box.top, h = short(box.bottom - box.top);
  Rect dot{short(top + (letterI ? h / 5 : 3 * h / 4)), short(cx - 2),
           short(top + (letterI ? h / 5 : 3 * h / 4) + 4), short(cx + 2)};
  Rect bar{short(top + (letterI ? h / 5 + 7 : h / 4)), short(cx - 2),
           short(top + (letterI ? 4 * h / 5 : 3 * h / 4 - 3)), short(cx + 2)};
  Paint(dot, rgb, false);
  Paint(bar, rgb, false);
}

void DrawTriangle(const Rect& r, UInt32 rgb) {
  PolyHandle poly = OpenPoly();
  MoveTo(short((r.left + r.right) / 2), r.top);
  LineTo(short(r.right - 1), short(r.bottom - 1));
  LineTo(r.left, short(r.bottom - 1));
  ClosePoly();
  RGBColor color = RGBFromPixel(rgb);
  RGBForeColor(&color);
  PenNormal();
  PaintPoly(poly);
  KillPoly(poly);
}

void DrawIcon(AlertIcon icon, const Rect& r) {
  switch (icon) {
    case AlertIcon::kStop:
      Paint(r, 0xD23C3C, true);
      DrawMark(r, 0xFFFFFF, false);
      break;
    case AlertIcon::kNote:
      Paint(r, kHighlightPixel, true);
      DrawMark(r, 0xFFFFFF, true);
      break;
    case AlertIcon::kCaution:
      DrawTriangle(r, 0xF2C12E);
      DrawMark(r, 0x000000, false);
      break;
    case AlertIcon::kNone: break;
  }
}

void DrawIconPane(ControlRef pane, SInt16) {
  AlertIcon icon = AlertIcon::kNone;
  if (GetControlProperty(pane, kAlertIconCreator, kAlertIconTag, sizeof icon, nullptr, &icon) != noErr)
    return;
  Rect r;
  GetControlBounds(pane, &r);
  DrawIcon(icon, r);
}

bool IsButtonItem(DialogRef dialog, DialogItemIndex item) {
  DialogItemRecord* record = DialogItemAt(dialog, item);
  return record && (record->type & ~itemDisable) == kButtonDialogItem;
}

// The stage nibble of this call: the same alert again moves a stage on (up to the fourth).
UInt16 NextStage(SInt16 alertID, UInt16 stages) {
  gAlertStage = alertID == gLastAlertID && gAlertStage >= 0 ? SInt16(std::min(gAlertStage + 1, 3)) : 0;
  gLastAlertID = alertID;
  return UInt16((stages >> (4 * gAlertStage)) & 0xF);
}

bool LoadAlert(SInt16 alertID, AlertTemplate* alert, std::vector<DialogItemTemplate>* items) {
  Handle alrt = GetResource(FourCC("ALRT"), alertID);
  if (!alrt) return SetLastDialogError(dialogNotFoundErr), false;
  if (!ParseAlertTemplate(reinterpret_cast<const UInt8*>(*alrt), size_t(GetHandleSize(alrt)), alert))
    return SetLastDialogError(dialogDamagedErr), false;
  Handle ditl = GetResource(FourCC("DITL"), alert->itemsID);
  if (!ditl) return SetLastDialogError(dialogNotFoundErr), false;
  if (!ParseDialogItemList(reinterpret_cast<const UInt8*>(*ditl), size_t(GetHandleSize(ditl)), items))
    return SetLastDialogError(dialogDamagedErr), false;
  return true;
}

DialogItemIndex RunAlert(SInt16 alertID, ModalFilterUPP filterProc, AlertIcon icon) {
  AlertTemplate alert;
  std::vector<DialogItemTemplate> items;
  if (!LoadAlert(alertID, &alert, &items)) return -1;
  UInt16 stage = NextStage(alertID, alert.stages);
  for (int beep = 0; beep < (stage & 3); ++beep) SysBeep(30);
  SetLastDialogError(noErr);
  if (!(stage & 4)) return -1;
  WindowRef window = nullptr;
  if (CreateNewWindow(kModalWindowClass, kWindowNoAttributes, &alert.bounds, &window) != noErr)
    return SetLastDialogError(memFullErr), -1;
  DialogRef dialog = MakeDialog(window, true);
  if (!AddDialogItems(dialog, items, Point{0, 0})) {
    DisposeWindow(window);
    return SetLastDialogError(dialogDamagedErr), -1;
  }
  AddAlertIcon(dialog, icon, kIconRect);
  if (alert.position == kDialogPositionAlertMainScreen)
    RepositionWindow(window, nullptr, kWindowAlertPositionOnMainScreen);
  else if (alert.position == kDialogPositionCenterMainScreen)
    RepositionWindow(window, nullptr, kWindowCenterOnMainScreen);
  dialog->defaultItem = (stage & 8) ? 2 : 1;
  DialogItemIndex other = dialog->defaultItem == 1 ? 2 : 1;
  if (IsButtonItem(dialog, other)) SetDialogCancelItem(dialog, other);
  FinishDialog(dialog, true);
  DialogItemIndex hit = 0;
  ModalDialog(filterProc, &hit);
  DisposeDialog(dialog);
  return hit;
}

}  // namespace

void AddAlertIcon(DialogRef dialog, AlertIcon icon, const Rect& where) {
  dialog->icon = icon;
  if (icon == AlertIcon::kNone) return;
  ControlRef pane = nullptr;
  if (CreateUserPaneControl(dialog->window, &where, 0, &pane) != noErr) return;
  SetControlProperty(pane, kAlertIconCreator, kAlertIconTag, sizeof icon, &icon);
  ControlUserPaneDrawUPP draw = DrawIconPane;
  SetControlData(pane, kControlEntireControl, kControlUserPaneDrawProcTag, sizeof draw, &draw);
  dialog->iconPane = pane;
}

DialogItemIndex Alert(SInt16 alertID, ModalFilterUPP filterProc) {
  return RunAlert(alertID, filterProc, AlertIcon::kNone);
}

DialogItemIndex StopAlert(SInt16 alertID, ModalFilterUPP filterProc) {
  return RunAlert(alertID, filterProc, AlertIcon::kStop);
}

DialogItemIndex NoteAlert(SInt16 alertID, ModalFilterUPP filterProc) {
  return RunAlert(alertID, filterProc, AlertIcon::kNote);
}

DialogItemIndex CautionAlert(SInt16 alertID, ModalFilterUPP filterProc) {
  return RunAlert(alertID, filterProc, AlertIcon::kCaution);
}

SInt16 GetAlertStage() { return SInt16(std::max<SInt16>(gAlertStage, 0)); }

void ResetAlertStage() {
  gAlertStage = -1;
  gLastAlertID = 0;
}
