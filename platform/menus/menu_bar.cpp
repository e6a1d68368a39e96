// The menu bar: its menus and the hierarchical menu list, its titles and their drawing.
#include <algorithm>

#include "platform/menus/menus_internal.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/regions.h"
#include "platform/quickdraw/screen.h"
#include "platform/quickdraw/text.h"
#include "platform/quickdraw/theme_text.h"
#include "platform/windows/appearance.h"
#include "platform/windows/windows.h"

using namespace menus_internal;

namespace {

constexpr SInt16 kFirstTitleLeft = 10;
constexpr SInt16 kTitlePadding = 10;

// Kept for the whole run (never destroyed), so the menus stay reachable until the program ends.
std::vector<MenuRef>& gBar = *new std::vector<MenuRef>;
std::vector<MenuRef>& gHier = *new std::vector<MenuRef>;
MenuID gHilited = 0;
bool gHookInstalled = false;

void TitleFont(SInt16* font, SInt16* size, Style* face) {
  GetThemeFontSpec(kThemeMenuTitleFont, font, size, face);
}

SInt16 TitleWidth(MenuRef menu) {
  SInt16 font, size;
  Style face;
  TitleFont(&font, &size, &face);
  std::u32string text = MenuText(menu->title);
  return SInt16(MeasureCodePoints(font, size, face, text.data(), text.size()) + 2 * kTitlePadding);
}

void Fore(UInt32 rgb) {
  RGBColor c{UInt16(((rgb >> 16) & 0xFF) * 257), UInt16(((rgb >> 8) & 0xFF) * 257), UInt16((rgb & 0xFF) * 257)};
  RGBForeColor(&c);
}

void DrawTitle(MenuRef menu, const Rect& r, bool hilited) {
  SInt16 font, size;
  Style face;
  TitleFont(&font, &size, &face);
  FontInfo info;
  GetFontInfoFor(font, size, face, &info);
  Rect fill = r;
  fill.bottom = SInt16(fill.bottom - 1);
  Fore(hilited ? kHighlightPixel : kMenuBarPixel);
  PaintRect(&fill);
  Fore(hilited ? kHighlightTextPixel : (menu->enabled ? kTextPixel : kDisabledTextPixel));
  SInt16 baseline = SInt16(r.top + (r.bottom - r.top - 1 + info.ascent - info.descent) / 2);
  MoveTo(SInt16(r.left + kTitlePadding), baseline);
  std::u32string text = MenuText(menu->title);
  DrawCodePoints(font, size, face, text.data(), text.size());
}

Rect BarRect() {
  Rect screen = (*GetMainDevice())->gdRect;
  return Rect{0, 0, GetMBarHeight(), screen.right};
}

void DrawBarHook() { DrawMenuBar(); }

}  // namespace

namespace menus_internal {

std::vector<MenuRef>& BarMenus() { return gBar; }
std::vector<MenuRef>& HierMenus() { return gHier; }

void ForgetMenuInLists(MenuRef menu) {
  bool inBar = std::find(gBar.begin(), gBar.end(), menu) != gBar.end();
  gBar.erase(std::remove(gBar.begin(), gBar.end(), menu), gBar.end());
  gHier.erase(std::remove(gHier.begin(), gHier.end(), menu), gHier.end());
  if (inBar && gHilited == menu->id) gHilited = 0;
}

Rect TitleRectOf(MenuRef menu) {
  SInt16 left = kFirstTitleLeft;
  for (MenuRef m : gBar) {
    SInt16 width = TitleWidth(m);
    if (m == menu) return Rect{0, left, GetMBarHeight(), SInt16(left + width)};
    left = SInt16(left + width);
  }
  return Rect{};
}

MenuRef BarMenuAt(Point globalPt) {
  if (globalPt.v < 0 || globalPt.v >= GetMBarHeight()) return nullptr;
  for (MenuRef m : gBar) {
    Rect r = TitleRectOf(m);
    if (PtInRect(globalPt, &r)) return m;
  }
  return nullptr;
}

ScreenDrawing::ScreenDrawing(const Rect& clip) {
  CGrafPtr saved = nullptr;
  GetPort(&saved);
  saved_ = saved;
  SetPort(GetScreenPort());
  savedClip_ = NewRgn();
  GetClip(savedClip_);
  ClipRect(&clip);
  PenNormal();
}

ScreenDrawing::~ScreenDrawing() {
  SetClip(savedClip_);
  DisposeRgn(savedClip_);
  auto saved = static_cast<CGrafPtr>(saved_);
  if (IsValidPort(saved)) SetPort(saved);
}

}  // namespace menus_internal

// --- Menu lists -------------------------------------------------------------------------------

void InsertMenu(MenuRef menu, MenuID beforeID) {
  if (!IsLiveMenu(menu)) return;
  EnsureMenuEventHandling();
  if (beforeID == hierMenu) {
    if (std::find(gHier.begin(), gHier.end(), menu) == gHier.end() && !GetMenuHandle(menu->id))
      gHier.push_back(menu);
    return;
  }
  if (std::find(gBar.begin(), gBar.end(), menu) != gBar.end() || GetMenuHandle(menu->id)) return;
  auto at = std::find_if(gBar.begin(), gBar.end(), [&](MenuRef m) { return beforeID != 0 && m->id == beforeID; });
  gBar.insert(at, menu);
}

void DeleteMenu(MenuID menuID) {
  auto match = [&](MenuRef m) { return m->id == menuID; };
  gBar.erase(std::remove_if(gBar.begin(), gBar.end(), match), gBar.end());
  gHier.erase(std::remove_if(gHier.begin(), gHier.end(), match), gHier.end());
  if (gHilited == menuID) gHilited = 0;
}

void ClearMenuBar() {
  gBar.clear();
  gHier.clear();
  gHilited = 0;
}

MenuRef GetMenuHandle(MenuID menuID) {
  for (MenuRef m : gBar)
    if (m->id == menuID) return m;
  for (MenuRef m : gHier)
    if (m->id == menuID) return m;
  return nullptr;
}

MenuRef GetMenuRef(MenuID menuID) { return GetMenuHandle(menuID); }

Boolean GetMenuTitleRect(MenuID menuID, Rect* globalRect) {
  for (MenuRef m : gBar)
    if (m->id == menuID) {
      if (globalRect) *globalRect = TitleRectOf(m);
      return true;
    }
  return false;
}

// --- Drawing ----------------------------------------------------------------------------------

void DrawMenuBar() {
  if (!gHookInstalled) {
    SetMenuBarDrawHook(DrawBarHook);
    gHookInstalled = true;
  }
  Rect bar = BarRect();
  ScreenDrawing drawing(bar);
  Fore(kMenuBarPixel);
  PaintRect(&bar);
  Fore(kMenuBarLinePixel);
  MoveTo(bar.left, SInt16(bar.bottom - 1));
  LineTo(SInt16(bar.right - 1), SInt16(bar.bottom - 1));
  TextMode(srcOr);
  for (MenuRef m : gBar) {
    Rect r = TitleRectOf(m);
    if (r.left >= bar.right) break;
    DrawTitle(m, r, m->id == gHilited);
  }
}

void InvalMenuBar() { DrawMenuBar(); }

void HiliteMenu(MenuID menuID) {
  if (menuID != 0 && !GetMenuTitleRect(menuID, nullptr)) menuID = 0;
  if (menuID == gHilited) return;
  gHilited = menuID;
  DrawMenuBar();
}

MenuID GetHilitedMenuID() { return gHilited; }
