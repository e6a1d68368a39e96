#include "shell/menus/menu_commands.h"

#include <algorithm>
#include <iterator>

#include "platform/memory/memory.h"
#include "platform/resources/resource_manager.h"
#include "platform/windows/windows.h"
#include "shell/app/app_events.h"
#include "shell/base/error_report.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/window_appearance.h"
#include "shell/windows/window_sizing.h"
#include "song/model/song_context.h"

namespace {

constexpr int16_t kResetWindowsItem = 20;
// The default frames are the windows' own 'WIND' resources (0: no default).
constexpr int16_t kDefaultFrameWind[17] = {0, 0, 354, 350, 355, 353, 359, 357, 0, 361, 0, 362, 0, 364, 365, 0, 0};

bool DefaultFrame(int16_t kind, Rect* frame) {
  return kDefaultFrameWind[kind] && GetWindResourceBounds(kDefaultFrameWind[kind], frame) &&
         frame->bottom > frame->top && frame->right > frame->left;
}

void ResetWindowFrame(AppWindow* w, const Rect& frame) {
  Rect limits;
  GetWindowSizeLimits(w, &limits);
  int16_t width = std::clamp<int16_t>(int16_t(frame.right - frame.left), limits.left, limits.right);
  int16_t height = std::clamp<int16_t>(int16_t(frame.bottom - frame.top), limits.top, limits.bottom);
  MoveWindow(GetAppWindowRef(w), frame.left, frame.top, false);
  SetAppWindowSize(w, width, height);
}

PluginMenuQuery gPluginMenuQuery = nullptr;

}  // namespace

void SetPluginMenuQuery(PluginMenuQuery query) { gPluginMenuQuery = query; }

MenuRef gMappedPluginMenu = nullptr;

int16_t MapDispatchMenuId(int16_t menuId) {
  if (menuId >= kFirstPluginMenuId && menuId <= kLastPluginMenuId) menuId = kPluginMenuGroupId;
  gMappedPluginMenu = gPluginMenuQuery ? gPluginMenuQuery(menuId) : nullptr;
  if (gMappedPluginMenu) menuId = kPluginProcessingMenuId;
  return menuId;
}

OSStatus HandleStyleMenu(int16_t item) {
  MenuRef menu = GetMenuHandle(kStyleMenuResId);
  if (!menu) return kEventNotHandled;
  Str255 name;
  GetMenuItemText(menu, MenuItemIndex(item), name);
  Handle style = GetNamedResource(FourCC("MSTL"), name);
  if (!style) {
    ReportError(ResError() ? ResError() : -192);
    return noErr;
  }
  SInt16 id = 0;
  ResType type = 0;
  Str255 ignored;
  GetResInfo(style, &id, &type, ignored);
  if (id != gCurrentStyleId) {
    gCurrentStyleId = id;
    SetSongModified();
    SetUpWindowAppearance(false);
  }
  return noErr;
}

void ResetWindowPositions() {
  for (int16_t kind = kSongListKind; kind < int16_t(std::size(kDefaultFrameWind)); ++kind) {
    AppWindow* w = GetWindowForKind(kind);
    Rect frame;
    if (GetAppWindowRef(w) && DefaultFrame(kind, &frame)) ResetWindowFrame(w, frame);
  }
  RecordWindowLayoutFromWindows(false);
  LoadTrackWindowBounds();
}

OSStatus HandleToolsMenu(int16_t item) {
  if (item != kResetWindowsItem) return kEventNotHandled;  // the editors' and instruments' commands
  ResetWindowPositions();
  return noErr;
}
