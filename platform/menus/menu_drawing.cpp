// Pull-down, hierarchical and pop-up menus on the screen: layout, drawing, and the pixels kept
// under an open menu.
#include <algorithm>
#include <cstring>

#include "platform/menus/menus_internal.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/screen.h"
#include "platform/quickdraw/text.h"
#include "platform/quickdraw/theme_text.h"
#include "platform/text/mac_roman.h"
#include "platform/windows/appearance.h"

using namespace menus_internal;

namespace {

constexpr SInt16 kMenuPadding = 4;   // above the first and below the last item
constexpr SInt16 kMarkColumn = 16;   // the text starts this far into the item
constexpr SInt16 kRightMargin = 8;
constexpr SInt16 kArrowWidth = 16;
constexpr SInt16 kKeyGap = 24;       // between the text and the command key
constexpr SInt16 kMinMenuWidth = 64;

void Fore(UInt32 rgb) {
  RGBColor c{UInt16(((rgb >> 16) & 0xFF) * 257), UInt16(((rgb >> 8) & 0xFF) * 257), UInt16((rgb & 0xFF) * 257)};
  RGBForeColor(&c);
}

// The command key as shown: modifier glyphs, then the key.
std::u32string KeyText(const MenuItemRecord& item) {
  std::u32string text;
  if (item.cmdChar == 0 || item.cmdChar == hMenuCmd || item.cmdChar < 0x20) return text;
  if (item.modifiers & kMenuControlModifier) text.push_back(U'\u2303');
  if (item.modifiers & kMenuOptionModifier) text.push_back(U'\u2325');
  if (item.modifiers & kMenuShiftModifier) text.push_back(U'\u21E7');
  if (!(item.modifiers & kMenuNoCommandModifier)) text.push_back(U'\u2318');
  UInt8 c = item.cmdChar;
  if (c >= 'a' && c <= 'z') c = UInt8(c - 'a' + 'A');
  text.push_back(MacRomanToUnicode(c));
  return text;
}

SInt16 Measure(SInt16 font, SInt16 size, Style face, const std::u32string& text) {
  return MeasureCodePoints(font, size, face, text.data(), text.size());
}

SInt16 ItemHeight(MenuRef menu, const MenuItemRecord& item) {
  if (item.attributes & kMenuItemAttrHidden) return 0;
  if (IsSeparator(item)) {
    SInt16 h = 9;
    GetThemeMenuSeparatorHeight(&h);
    return h;
  }
  SInt16 font, size;
  MenuFontOf(menu, &font, &size);
  FontInfo info;
  GetFontInfoFor(font, size, 0, &info);
  SInt16 extra = 0;
  GetThemeMenuItemExtra(kThemeMenuItemPlain, &extra, nullptr);
  return SInt16(info.ascent + info.descent + info.leading + extra);
}

}  // namespace

namespace menus_internal {

std::u32string MenuText(const std::string& macRoman) {
  std::u32string out;
  for (unsigned char c : macRoman) {
    switch (c) {
      case commandMark: out.push_back(U'\u2318'); break;
      case checkMark: out.push_back(U'\u2713'); break;
      case diamondMark:
      case appleMark: out.push_back(U'\u25C6'); break;
      default:
        if (c >= 0x20) out.push_back(MacRomanToUnicode(c));
    }
  }
  return out;
}

void MenuFontOf(MenuRef menu, SInt16* font, SInt16* size) {
  Style face = 0;
  GetThemeFontSpec(kThemeMenuItemFont, font, size, &face);
  if (menu && menu->fontID != 0) *font = menu->fontID;
  if (menu && menu->fontSize != 0) *size = SInt16(menu->fontSize);
}

MenuLayout LayOutMenu(MenuRef menu, Point topLeft) {
  MenuLayout layout;
  SInt16 font, size;
  MenuFontOf(menu, &font, &size);
  SInt16 widest = 0;
  for (const MenuItemRecord& item : menu->items) {
    if (IsSeparator(item)) continue;
    SInt16 w = Measure(font, size, item.style, MenuText(item.text));
    std::u32string key = KeyText(item);
    if (!key.empty()) w = SInt16(w + kKeyGap + Measure(font, size, 0, key));
    if (SubmenuOf(menu, MenuItemIndex(&item - menu->items.data() + 1))) w = SInt16(w + kArrowWidth);
    widest = std::max(widest, w);
  }
  SInt16 extraWidth = 0;
  GetThemeMenuItemExtra(kThemeMenuItemPlain, nullptr, &extraWidth);
  SInt16 width = std::max<SInt16>(kMinMenuWidth, SInt16(widest + extraWidth));
  SInt16 v = SInt16(topLeft.v + 1 + kMenuPadding);
  for (const MenuItemRecord& item : menu->items) {
    SInt16 h = ItemHeight(menu, item);
    layout.items.push_back(Rect{v, SInt16(topLeft.h + 1), SInt16(v + h), SInt16(topLeft.h + 1 + width)});
    v = SInt16(v + h);
  }
  layout.bounds = Rect{topLeft.v, topLeft.h, SInt16(v + kMenuPadding + 1), SInt16(topLeft.h + width + 2)};
  return layout;
}

void KeepLayoutOnScreen(MenuLayout* layout) {
  Rect screen = (*GetMainDevice())->gdRect;
  screen.top = GetMBarHeight();
  SInt16 dh = 0, dv = 0;
  if (layout->bounds.right > screen.right) dh = SInt16(screen.right - layout->bounds.right);
  if (layout->bounds.left + dh < screen.left) dh = SInt16(screen.left - layout->bounds.left);
  if (layout->bounds.bottom > screen.bottom) dv = SInt16(screen.bottom - layout->bounds.bottom);
  if (layout->bounds.top + dv < screen.top) dv = SInt16(screen.top - layout->bounds.top);
  OffsetRect(&layout->bounds, dh, dv);
  for (Rect& r : layout->items) OffsetRect(&r, dh, dv);
}

void DrawMenuItem(MenuRef menu, const MenuLayout& layout, MenuItemIndex index, bool hilited) {
  if (index < 1 || index > layout.items.size()) return;
  const MenuItemRecord& item = menu->items[index - 1];
  Rect r = layout.items[index - 1];
  if (EmptyRect(&r)) return;
  ScreenDrawing drawing(r);
  bool choosable = IsItemChoosable(menu, index);
  hilited = hilited && choosable;
  Fore(hilited ? kHighlightPixel : kMenuBackgroundPixel);
  PaintRect(&r);
  if (IsSeparator(item)) {
    DrawThemeMenuSeparator(&r);
    return;
  }
  SInt16 font, size;
  MenuFontOf(menu, &font, &size);
  FontInfo info;
  GetFontInfoFor(font, size, 0, &info);
  SInt16 baseline = SInt16(r.top + (r.bottom - r.top - 1 + info.ascent - info.descent) / 2);
  Fore(hilited ? kHighlightTextPixel : (choosable ? kTextPixel : kDisabledTextPixel));
  TextMode(srcOr);
  if (item.mark != 0 && item.cmdChar != hMenuCmd) {
    std::u32string mark = MenuText(std::string(1, char(item.mark)));
    MoveTo(SInt16(r.left + 3), baseline);
    DrawCodePoints(font, size, 0, mark.data(), mark.size());
  }
  std::u32string text = MenuText(item.text);
  MoveTo(SInt16(r.left + kMarkColumn), baseline);
  DrawCodePoints(font, size, item.style, text.data(), text.size());
  SInt16 right = SInt16(r.right - kRightMargin);
  if (SubmenuOf(menu, index)) {
    std::u32string arrow = U"\u25B8";
    MoveTo(SInt16(right - Measure(font, size, 0, arrow)), baseline);
    DrawCodePoints(font, size, 0, arrow.data(), arrow.size());
    right = SInt16(right - kArrowWidth);
  }
  std::u32string key = KeyText(item);
  if (!key.empty()) {
    MoveTo(SInt16(right - Measure(font, size, 0, key)), baseline);
    DrawCodePoints(font, size, 0, key.data(), key.size());
  }
}

void DrawMenu(MenuRef menu, const MenuLayout& layout, MenuItemIndex hilited) {
  {
    ScreenDrawing drawing(layout.bounds);
    Rect inside = layout.bounds;
    InsetRect(&inside, 1, 1);
    DrawThemeMenuBackground(&inside, kThemeMenuTypePullDown);
    Fore(kMenuFramePixel);
    FrameRect(&layout.bounds);
  }
  for (MenuItemIndex i = 1; i <= layout.items.size(); ++i) DrawMenuItem(menu, layout, i, i == hilited);
}

void SaveScreenPixels(const Rect& r, SavedPixels* saved) {
  PixMapHandle pm = GetPortPixMap(GetScreenPort());
  const PixMap& map = **pm;
  Rect clipped;
  SectRect(&r, &map.bounds, &clipped);
  saved->rect = clipped;
  int w = clipped.right - clipped.left, h = clipped.bottom - clipped.top;
  saved->pixels.resize(size_t(std::max(0, w)) * size_t(std::max(0, h)));
  for (int y = 0; y < h; ++y) {
    const char* row = map.baseAddr + size_t(clipped.top - map.bounds.top + y) * map.rowBytesFull;
    std::memcpy(saved->pixels.data() + size_t(y) * w, row + size_t(clipped.left - map.bounds.left) * 4, size_t(w) * 4);
  }
}

void RestoreScreenPixels(const SavedPixels& saved) {
  PixMapHandle pm = GetPortPixMap(GetScreenPort());
  const PixMap& map = **pm;
  const Rect& r = saved.rect;
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return;
  for (int y = 0; y < h; ++y) {
    char* row = map.baseAddr + size_t(r.top - map.bounds.top + y) * map.rowBytesFull;
    std::memcpy(row + size_t(r.left - map.bounds.left) * 4, saved.pixels.data() + size_t(y) * w, size_t(w) * 4);
  }
  MarkScreenDirty(&r);
}

}  // namespace menus_internal

void GetMenuBoundsAt(MenuRef menu, Point topLeft, Rect* globalBounds) {
  if (!globalBounds) return;
  *globalBounds = Rect{};
  if (!IsLiveMenu(menu)) return;
  MenuLayout layout = LayOutMenu(menu, topLeft);
  KeepLayoutOnScreen(&layout);
  *globalBounds = layout.bounds;
}

void GetMenuItemBoundsAt(MenuRef menu, Point topLeft, MenuItemIndex item, Rect* globalBounds) {
  if (!globalBounds) return;
  *globalBounds = Rect{};
  if (!ItemAt(menu, item)) return;
  MenuLayout layout = LayOutMenu(menu, topLeft);
  KeepLayoutOnScreen(&layout);
  *globalBounds = layout.items[item - 1];
}

SInt16 GetMenuItemHeight(MenuRef menu, MenuItemIndex item) {
  MenuItemRecord* record = ItemAt(menu, item);
  return record ? ItemHeight(menu, *record) : 0;
}
