#include "shell/menus/window_menu_items.h"

#include "platform/resources/resource_manager.h"
#include "plugins/plugin_host_commands.h"
#include "sequencer/transport/engine_options.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/menus/menu_bar.h"
#include "shell/menus/menu_dispatch.h"
#include "shell/menus/menu_items.h"
#include "shell/menus/menu_state.h"
#include "shell/menus/option_toggles.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/redraw_requests.h"

int32_t gLoopWindowNumber = 0;

namespace {

constexpr int16_t kItemKinds[kWindowMenuBaseItems + 1] = {0, 3, 22, 23, 0, 2, 5, 4, 7, 8, 6, 11, 0, 9, 25, 20, 10, 13, 14};
constexpr int16_t kViewMarkItem = 13;

bool ItemTextIs(MenuRef menu, int16_t item, ConstStr255Param name) {
  Str255 text;
  GetMenuItemText(menu, MenuItemIndex(item), text);
  return EqualPString(text, name);
}

}  // namespace

int16_t GetWindowMenuItemKind(int16_t item) {
  return (item > 0 && item <= kWindowMenuBaseItems) ? kItemKinds[item] : 0;
}

bool IsFloatingWindow(WindowRef window) {
  WindowClass cls = 0;
  return window && GetWindowClass(window, &cls) == noErr && cls == kFloatingWindowClass;
}

int16_t GetWindowMenuMark(WindowRef window, WindowRef frontDocument) {
  if (!window || !IsWindowVisible(window)) return 0;
  if (window == frontDocument) return kFrontWindowMark;
  return IsFloatingWindow(window) ? kFloatingWindowMark : kShownWindowMark;
}

void CheckWindowsMenuItems() {
  if (!gWindowMenu) return;
  WindowRef front = GetFrontDocWindow();
  for (int16_t item = 1; item <= kWindowMenuBaseItems; ++item) {
    int16_t kind = GetWindowMenuItemKind(item);
    if (kind == 0) continue;
    SetMenuItemMark(gWindowMenu, item, GetWindowMenuMark(GetAppWindowRef(GetWindowForKind(kind)), front));
  }
  int16_t items = int16_t(CountMenuItems(gWindowMenu));
  for (int16_t item = kFirstPluginWindowItem; item <= items; ++item)
    SetMenuItemMark(gWindowMenu, item,
                    GetWindowMenuMark(GetPluginEditorWindow(int16_t(item - kFirstPluginWindowItem)), front));
}

void MarkMenuItemsForOpenWindows(MenuRef menu, ResType type, const int16_t* ids, int32_t count) {
  if (!menu) return;
  int16_t items = int16_t(CountMenuItems(menu));
  for (int16_t item = 1; item <= items; ++item) {
    bool named = false;
    for (int32_t i = 0; i < count && !named; ++i) {
      Handle res = GetResource(type, ids[i]);
      if (!res) continue;
      SInt16 id = 0;
      ResType got = 0;
      Str255 name;
      name[0] = 0;
      GetResInfo(res, &id, &got, name);
      named = name[0] > 0 && ItemTextIs(menu, item, name);
    }
    CheckMenuItem(menu, MenuItemIndex(item), named);
  }
}

void ShowLoopWindowItem() {
  EnableMenuItemIf(gWindowMenu, kLoopWindowItem, true);
  gLoopWindowNumber = GetLoopWindowNumber();
  InvalAppWindowPort(GetWindowForKind(kLoopWindowKind));
}

void HideLoopWindowItem() {
  if (WindowRef window = GetAppWindowRef(GetWindowForKind(kLoopWindowKind))) HideWindow(window);
  EnableMenuItemIf(gWindowMenu, kLoopWindowItem, false);
}

void ToggleViewMarkOption() {
  gViewOptionWord ^= kViewMarkBit;
  if (gViewMenu) CheckMenuItem(gViewMenu, kViewMarkItem, gViewOptionWord & kViewMarkBit);
}

OSStatus HandleWindowMenu(int16_t item) {
  int16_t kind = GetWindowMenuItemKind(item);
  if (kind == 0) return HandlePluginWindowMenuItem(item);
  if (kind == kLoopWindowKind) ShowLoopWindowItem();
  BringWindowToFront(kind);
  return noErr;
}
