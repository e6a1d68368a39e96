// The menus of pop-up buttons and bevel buttons.
#include <algorithm>

#include "platform/controls/control_internal.h"
#include "platform/menus/menus.h"

namespace {

bool HasMenu(ControlRef c) {
  return IsLiveControl(c) && (c->kind == CtlKind::kPopupButton || c->kind == CtlKind::kBevelButton);
}

void FitPopupRange(ControlRef c) {
  if (c->kind != CtlKind::kPopupButton) return;
  MenuRef menu = LiveControlMenu(c);
  SInt32 count = menu ? CountMenuItems(menu) : 0;
  c->minimum = count > 0 ? 1 : 0;
  c->maximum = count;
  c->value = std::clamp(c->value, c->minimum, c->maximum);
}

}  // namespace

void AttachMenuByID(ControlRef c, SInt16 menuID) {
  c->menu = nullptr;
  c->menuID = menuID;
  c->ownsMenu = false;
  MenuRef menu = menuID == -12345 ? nullptr : GetMenuHandle(menuID);
  if (!menu && menuID != -12345) {
    menu = GetMenu(menuID);
    c->ownsMenu = menu && c->kind == CtlKind::kBevelButton;
  }
  if (menu) {
    InsertMenu(menu, hierMenu);
    c->menu = menu;
  }
  FitPopupRange(c);
}

MenuRef LiveControlMenu(ControlRef control) {
  return control->menu && IsValidMenu(control->menu) ? control->menu : nullptr;
}

MenuRef GetControlPopupMenuHandle(ControlRef control) {
  return HasMenu(control) ? control->menu : nullptr;
}

void SetControlPopupMenuHandle(ControlRef control, MenuRef menu) {
  if (!HasMenu(control)) return;
  control->menu = menu;
  if (menu) {
    control->menuID = GetMenuID(menu);
    InsertMenu(menu, hierMenu);
  }
  FitPopupRange(control);
  RedrawControl(control);
}

OSErr GetBevelButtonMenuValue(ControlRef control, SInt16* outValue) {
  if (!IsLiveControl(control) || control->kind != CtlKind::kBevelButton || !outValue) return paramErr;
  *outValue = control->menuValue;
  return noErr;
}

OSErr SetBevelButtonMenuValue(ControlRef control, SInt16 value) {
  if (!IsLiveControl(control) || control->kind != CtlKind::kBevelButton) return paramErr;
  MenuRef menu = LiveControlMenu(control);
  if (menu && (value < 0 || value > CountMenuItems(menu))) return paramErr;
  control->menuValue = value;
  return noErr;
}

OSErr GetBevelButtonMenuHandle(ControlRef control, MenuRef* outMenu) {
  if (!IsLiveControl(control) || control->kind != CtlKind::kBevelButton || !outMenu) return paramErr;
  *outMenu = control->menu;
  return noErr;
}

void DisposeOwnedControlMenu(ControlRef c) {
  if (!c->ownsMenu || !c->menu || !IsValidMenu(c->menu)) return;
  if (GetMenuHandle(c->menuID) == c->menu) DeleteMenu(c->menuID);
  DisposeMenu(c->menu);
  c->menu = nullptr;
  c->ownsMenu = false;
}
