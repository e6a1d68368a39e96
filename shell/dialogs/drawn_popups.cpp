#include "shell/dialogs/drawn_popups.h"

#include <algorithm>
#include <cstring>

#include "platform/memory/memory.h"
#include "platform/menus/menus.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/screen.h"
#include "platform/quickdraw/text.h"
#include "platform/resources/resource_manager.h"
#include "platform/text/pascal_strings.h"
#include "platform/windows/appearance.h"
#include "platform/windows/windows.h"
#include "shell/base/app_state.h"
#include "shell/base/app_strings.h"
#include "shell/base/event_records.h"
#include "shell/dialogs/poll_events.h"
#include "shell/dialogs/value_fields.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/drawing/screen_bounds.h"
#include "shell/drawing/text_drawing.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/menu_building.h"
#include "shell/windows/menu_ids.h"

PopUpBuildState gPopUp;
int32_t gPopUpChoice = -1;
uint8_t gPopUpPreferences = 0;

namespace {

constexpr int16_t kItemTextPadding = 10;
constexpr int16_t kTextInset = 5;
constexpr unsigned char kCheckGlyph[] = {1, 0xC3};  // the check mark of the Mac Roman set
constexpr int16_t kGridRowsSmallStep = 3, kGridRowsLargeStep = 2;
constexpr int16_t kGridFontSize = 10, kGridMargin = 19, kGridItems = 17;
const RGBColor kDisabledGrey{0x8000, 0x8000, 0x8000};
const RGBColor kBlack{0, 0, 0};
const RGBColor kWhite{0xFFFF, 0xFFFF, 0xFFFF};

void SetMaskBit(uint32_t* mask, int32_t n, bool on) {
  if (n < 0 || n >= kPopUpMaskItems) return;
  uint32_t bit = 1u << (n % 32);
  if (on) mask[n / 32] |= bit;
  else mask[n / 32] &= ~bit;
}

bool MaskBit(const uint32_t* mask, int32_t n) {
  return n >= 0 && n < kPopUpMaskItems && (mask[n / 32] >> (n % 32) & 1u) != 0;
}

int16_t CheckGlyphWidth() { return MeasurePString(kCheckGlyph); }

// Offset of item n's length byte in the item text, -1 when there is no such item.
Size ItemOffset(int32_t n) {
  if (!gPopUp.itemText || n < 0 || uint32_t(n) >= gPopUp.itemCount) return -1;
  const uint8_t* p = reinterpret_cast<const uint8_t*>(HandleData(gPopUp.itemText));
  Size offset = 0;
  for (int32_t i = 0; i < n && offset < gPopUp.textSize; ++i) offset += 1 + p[offset];
  return offset < gPopUp.textSize ? offset : -1;
}

void DisposeItemText() {
  if (gPopUp.itemText) DisposeHandle(gPopUp.itemText);
  gPopUp.itemText = nullptr;
  gPopUp.textSize = 0;
}

WindowRef PopUpWindow() { return gPopUpPortWindow ? gPopUpPortWindow->window : nullptr; }

// --- the standard form ------------------------------------------------------------------------

int32_t ShowStandardPopUp(int16_t v, int16_t h, int32_t current) {
  static const unsigned char kNoTitle[] = {0};
  MenuRef menu = NewMenu(kTempMenuId, kNoTitle);
  if (!menu) return 0;
  for (uint32_t i = 0; i < gPopUp.itemCount; ++i) {
    Str255 text;
    GetPopUpItemText(int32_t(i), text);
    if (text[0] == 2 && text[1] == '-' && text[2] == '-') PLstrcpy(text, GetAppString(kPopUpSeparatorText));
    MenuItemIndex item = MenuItemIndex(AppendMenuItemLiteral(menu, text));
    if (!IsPopUpItemEnabled(int32_t(i))) DisableMenuItem(menu, item);
    if (gPopUp.checkColumn && IsPopUpItemMarked(int32_t(i))) CheckMenuItem(menu, item, true);
  }
  InsertMenu(menu, -1);
  SetMenuFont(menu, gDefaultFontId, uint16_t(gDefaultFontSize));
  int32_t chosen = PopUpMenuSelect(menu, v, h, int16_t(current + 1));
  int32_t item = chosen & 0xFFFF;
  gPopUpChoice = (chosen >> 16) != 0 && item > 0 ? item - 1 : -1;
  DisposeTempMenu();
  return gPopUpChoice >= 0 ? item : 0;
}

// --- the drawn form -----------------------------------------------------------------------

struct Layout {
  Rect screen{};
  int16_t left = 0, top = 0, width = 0, height = 0;
};

// The cell of item index in window coordinates, limited to the window's right edge.
Rect CellOf(int32_t index) {
  int32_t rows = int32_t(gPopUp.rowsPerColumn);
  int32_t column = (index - gPopUp.firstShown) / rows, row = (index - gPopUp.firstShown) % rows;
  Rect r;
  r.top = int16_t(row * gPopUp.lineHeight + gPopUp.margin);
  r.left = int16_t(column * gPopUp.columnWidth + gPopUp.margin);
  r.bottom = int16_t(r.top + gPopUp.lineHeight);
  r.right = int16_t(std::min<int32_t>(r.left + gPopUp.columnWidth, gPopUp.window.right - gPopUp.window.left));
  return r;
}

int32_t LastShown() {
  return int32_t(std::min<uint32_t>(gPopUp.itemCount, gPopUp.firstShown + gPopUp.fitCount));
}

int32_t ItemAt(Point local) {
  for (int32_t i = gPopUp.firstShown; i < LastShown(); ++i) {
    Rect cell = CellOf(i);
    if (PtInRect(local, &cell)) return i;
  }
  return -1;
}

void DrawItem(int32_t index, bool highlighted) {
  Rect cell = CellOf(index);
  RGBBackColor(highlighted ? &kBlack : &kWhite);
  EraseRect(&cell);
  RGBForeColor(!IsPopUpItemEnabled(index) ? &kDisabledGrey : highlighted ? &kWhite : &kBlack);
  FontInfo info{};
  GetFontInfo(&info);
  int16_t baseline = int16_t(cell.top + info.ascent + info.leading);
  int16_t textLeft = int16_t(cell.left + kTextInset);
  if (gPopUp.checkColumn) {
    if (IsPopUpItemMarked(index)) {
      MoveTo(textLeft, baseline);
      DrawPString(kCheckGlyph);
    }
    textLeft = int16_t(textLeft + CheckGlyphWidth());
  }
  if (IsPopUpItemFlagged(index) && gPopUp.drawHook) {
    gPopUp.drawHook(index, &cell);
  } else {
    Str255 text;
    GetPopUpItemText(index, text);
    if (gPopUp.specialMode == kPopUpGlyphMode && text[0] == 1 && text[1] >= kGlyphBase)
      NumToString(text[1] - kGlyphBase, text);
    MoveTo(textLeft, baseline);
    DrawPString(text);
  }
  RGBForeColor(&kBlack);
  RGBBackColor(&kWhite);
}

// Columns scrolled out of view so that the window fits the screen; the edges clamped.
void PlaceColumns(Layout* layout, int32_t current, int16_t h, int32_t columnsWidth) {
  int32_t rows = int32_t(gPopUp.rowsPerColumn);
  int32_t columns = (int32_t(gPopUp.itemCount) - 1) / rows + 1;
  int32_t visible = std::max<int32_t>(1, columnsWidth / gPopUp.columnWidth);
  int32_t column = current / rows, first = 0;
  int32_t left = h - column * gPopUp.columnWidth - gPopUp.margin;
  while (first < std::min(column, columns - visible) &&
         (left < layout->screen.left || left + layout->width > layout->screen.right)) {
    ++first;
    left += gPopUp.columnWidth;
  }
  gPopUp.firstShown = int16_t(first * rows);
  gPopUp.fitCount = uint32_t(visible * rows);
  int32_t rightmost = std::max<int32_t>(layout->screen.left, layout->screen.right - layout->width);
  layout->left = int16_t(std::clamp<int32_t>(left, layout->screen.left, rightmost));
}

Layout LayOut(int16_t v, int16_t h, int32_t current) {
  Layout layout;
  int16_t extraHeight = 0, extraWidth = 0;
  if (IsAppearanceThemeOn()) GetThemeMenuItemExtra(kThemeMenuItemPlain, &extraHeight, &extraWidth);
  gPopUp.columnWidth = std::max<int16_t>(1, int16_t(gPopUp.widest + (IsAppearanceThemeOn() ? extraWidth : 0)));
  gPopUp.margin = IsAppearanceThemeOn() ? int16_t(extraHeight + 2) : 0;
  int32_t rows = int32_t(gPopUp.rowsPerColumn);
  gPopUp.columnHeight = int16_t(std::min<int32_t>(int32_t(gPopUp.itemCount), rows) * gPopUp.lineHeight);
  Rect around{v, h, int16_t(v + 1), int16_t(h + 1)};
  FindBestScreenForRect(&around, &layout.screen);
  int32_t columns = (int32_t(gPopUp.itemCount) - 1) / rows + 1;
  int32_t available = layout.screen.right - layout.screen.left - 2 * gPopUp.margin;
  int32_t width = std::min(columns * gPopUp.columnWidth, available);
  width = std::max<int32_t>(1, width / gPopUp.columnWidth) * gPopUp.columnWidth;
  layout.width = int16_t(width + 2 * gPopUp.margin);
  layout.height = int16_t(gPopUp.columnHeight + 2 * gPopUp.margin);
  PlaceColumns(&layout, current, h, width);
  int32_t row = current % rows;
  int32_t top = v - (row * gPopUp.lineHeight + gPopUp.margin);
  int32_t lowest = std::max<int32_t>(layout.screen.top, layout.screen.bottom - layout.height);
  layout.top = int16_t(std::clamp<int32_t>(top, layout.screen.top, lowest));
  return layout;
}

void ShowPopUpWindow(WindowRef window, const Layout& layout) {
  WindowClass windowClass = 0;
  GetWindowClass(window, &windowClass);
  if (windowClass != kUtilityWindowClass) HIWindowChangeClass(window, kUtilityWindowClass);
  SizeWindow(window, layout.width, layout.height, false);
  MoveWindow(window, layout.left, layout.top, false);
  gPopUp.window = Rect{layout.top, layout.left, int16_t(layout.top + layout.height),
                       int16_t(layout.left + layout.width)};
  SetPortWindowPort(window);
  TextMode(srcOr);
  PenMode(patCopy);
  ShowHide(window, true);
  BringToFront(window);
  Rect all{0, 0, layout.height, layout.width};
  RGBBackColor(&kWhite);
  if (IsAppearanceThemeOn()) DrawThemeMenuBackground(&all, kThemeMenuTypePopUp);
  else EraseRect(&all);
  for (int32_t i = gPopUp.firstShown; i < LastShown(); ++i) DrawItem(i, false);
}

// Follows the mouse until release; Escape or Command-period cancel (answer -1).
int32_t TrackPopUp(WindowRef window, int32_t highlighted) {
  for (;;) {
    Point where{};
    uint16_t result = 0;
    TrackMouseEvent(GetWindowPort(window), &where, &result, true);
    if (result == kTrackCancelled) {
      if (highlighted >= 0) DrawItem(highlighted, false);
      return -1;
    }
    if (result == kTrackKeyDown) continue;
    int32_t under = ItemAt(where);
    if (under != highlighted) {
      if (highlighted >= 0) DrawItem(highlighted, false);
      if (under >= 0) DrawItem(under, true);
      highlighted = under;
      if (gPopUp.liveHook && under >= 0 && IsPopUpItemEnabled(under) && under < LastShown()) gPopUp.liveHook(under);
    }
    if (result == kTrackMouseUp) return under;
  }
}

int32_t ShowDrawnPopUp(int16_t v, int16_t h, int32_t current, bool contextual) {
  WindowRef window = PopUpWindow();
  if (!window || !gPopUp.itemText || gPopUp.itemCount == 0) return 0;
  EventRecord savedEvent = gLastEvent;
  GrafPtr savedPort = nullptr;
  GetPort(&savedPort);
  gAppState[4] |= kAppWord4PopUpUp;
  current = std::clamp<int32_t>(current, 0, int32_t(gPopUp.itemCount) - 1);
  Layout layout = LayOut(v, h, current);
  ShowPopUpWindow(window, layout);
  gPopUpChoice = -1;
  int32_t highlighted = -1;
  if (!contextual && current >= gPopUp.firstShown && current < LastShown()) {
    DrawItem(current, true);
    highlighted = current;
  }
  int32_t under = TrackPopUp(window, highlighted);
  bool counts = under >= 0 && IsPopUpItemEnabled(under) && under < LastShown();
  // Nothing chosen leaves no index behind, so that no caller acts on a disabled item.
  gPopUpChoice = counts ? under : -1;
  ShowHide(window, false);
  DisposeItemText();
  if (savedPort) SetPort(savedPort);
  gAppState[4] &= uint16_t(~kAppWord4PopUpUp);
  gLastEvent = savedEvent;
  return counts ? 1 : 0;
}

}  // namespace

void BeginPopUpMenu() {
  gPopUp.rowsPerColumn = kDefaultPopUpRows;
  gPopUp.widest = kItemTextPadding;
  gPopUp.textSize = 0;
  gPopUp.columnHeight = 0;
  gPopUp.itemCount = 0;
  gPopUp.specialMode = 0;
  gPopUp.firstShown = 0;
  gPopUp.checkColumn = 1;
  gPopUp.drawHook = nullptr;
  gPopUp.liveHook = nullptr;
  std::fill(std::begin(gPopUp.enabled), std::end(gPopUp.enabled), ~0u);
  std::fill(std::begin(gPopUp.marked), std::end(gPopUp.marked), 0u);
  std::fill(std::begin(gPopUp.flagged), std::end(gPopUp.flagged), 0u);
  if (WindowRef window = PopUpWindow()) SetPortWindowPort(window);
  RestoreDefaultTextFont();
  FontInfo info{};
  GetFontInfo(&info);
  gPopUp.lineHeight = int16_t(info.ascent + info.descent + info.leading);
  if (IsAppearanceThemeOn()) {
    int16_t extraHeight = 0, extraWidth = 0;
    GetThemeMenuItemExtra(kThemeMenuItemPlain, &extraHeight, &extraWidth);
    gPopUp.lineHeight = int16_t(gPopUp.lineHeight + extraHeight);
  }
  TextFace(0);
  RGBBackColor(&kWhite);
  DisposeItemText();
  gPopUp.itemText = NewHandle(0);
}

void AddPopUpItem(ConstStr255Param text) {
  if (!gPopUp.itemText) return;
  Size grown = gPopUp.textSize + 1 + text[0];
  SetHandleSize(gPopUp.itemText, grown);
  if (MemError() != noErr) {
    DisposeItemText();
    gPopUp.itemCount = 0;
    return;
  }
  std::memcpy(HandleData(gPopUp.itemText) + gPopUp.textSize, text, size_t(text[0]) + 1);
  gPopUp.textSize = grown;
  int16_t width = int16_t(MeasurePString(text) + kItemTextPadding + (gPopUp.checkColumn ? CheckGlyphWidth() : 0));
  gPopUp.widest = std::max(gPopUp.widest, width);
  if (gPopUp.itemCount < gPopUp.rowsPerColumn) gPopUp.columnHeight = int16_t(gPopUp.columnHeight + gPopUp.lineHeight);
  ++gPopUp.itemCount;
}

void DisablePopUpItem(int32_t n) { SetMaskBit(gPopUp.enabled, n, false); }
void MarkPopUpItem(int32_t n) { SetMaskBit(gPopUp.marked, n, true); }
void SetPopUpItemFlag(int32_t n) { SetMaskBit(gPopUp.flagged, n, true); }
bool IsPopUpItemEnabled(int32_t n) { return n >= kPopUpMaskItems || MaskBit(gPopUp.enabled, n); }
bool IsPopUpItemMarked(int32_t n) { return MaskBit(gPopUp.marked, n); }
bool IsPopUpItemFlagged(int32_t n) { return MaskBit(gPopUp.flagged, n); }

void GetPopUpItemText(int32_t n, Str255 text) {
  text[0] = 0;
  Size offset = ItemOffset(n);
  if (offset < 0) return;
  const uint8_t* p = reinterpret_cast<const uint8_t*>(HandleData(gPopUp.itemText)) + offset;
  size_t length = std::min<size_t>(p[0], size_t(gPopUp.textSize - offset - 1));
  text[0] = uint8_t(length);
  std::memcpy(text + 1, p + 1, length);
}

int32_t PopUpMenuEx(int16_t v, int16_t h, int32_t current, bool contextual) {
  gPopUpChoice = -1;
  if (gPopUp.specialMode == 0 && (gPopUpPreferences & kPrefStandardPopUps)) {
    int32_t result = ShowStandardPopUp(v, h, current);
    DisposeItemText();
    return result;
  }
  return ShowDrawnPopUp(v, h, current, contextual);
}

int32_t PopUpMenuAtPoint(int16_t v, int16_t h, int32_t current) { return PopUpMenuEx(v, h, current, false); }

int32_t CountStrListItems(int16_t id) {
  Handle list = GetResource(FourCC("STR#"), id);
  if (!list || GetHandleSize(list) < 2) return 0;
  const uint8_t* p = reinterpret_cast<const uint8_t*>(HandleData(list));
  return (p[0] << 8) | p[1];
}

void BuildPopUpFromStrList(int16_t id, int32_t first, uint32_t rowsPerColumn) {
  GrafPtr saved = nullptr;
  GetPort(&saved);
  BeginPopUpMenu();
  if (rowsPerColumn != 0) gPopUp.rowsPerColumn = rowsPerColumn;
  int32_t count = CountStrListItems(id);
  for (int32_t i = first + 1; i <= count; ++i) {
    Str255 text;
    GetIndString(text, id, int16_t(i));
    AddPopUpItem(text);
  }
  if (saved) SetPort(saved);
}

void BuildPopUpFromAllStrings(int16_t id, uint32_t rowsPerColumn) { BuildPopUpFromStrList(id, 1, rowsPerColumn); }

int32_t ShowStrListPopUp(int32_t current, int16_t strListId, int32_t second) {
  BuildPopUpFromStrList(strListId, 0, 0);
  MarkPopUpItem(current);
  if (second >= 0) MarkPopUpItem(second);
  Point corner{gScratchRect.top, gScratchRect.left};
  LocalToGlobal(&corner);
  int32_t result = PopUpMenuAtPoint(corner.v, corner.h, current);
  if (result != 0 && gPopUpChoice >= 0) gValueField.value = gPopUpChoice + 1;
  return result;
}

void FitPopUpToScreen(int32_t n) {
  uint32_t rows = 25;
  if (n >= 20 && n <= 50) rows = uint32_t(n / 2);
  if (n > 100) {
    Rect screen = (*GetMainDevice())->gdRect;
    int32_t line = std::max<int16_t>(gPopUp.lineHeight, 1);
    rows = uint32_t(std::max<int32_t>((screen.bottom - screen.top) / line - 2, 1));
    if (uint32_t(n) / rows <= 1 && rows > 1) rows /= 2;
  }
  gPopUp.rowsPerColumn = std::max<uint32_t>(rows, 1);
}

bool ShowNumberRangePopUp(uint32_t enableMask, int32_t current, int32_t first, int32_t last,
                          int32_t extraFirst, int32_t extraLast, uint32_t rows, int32_t* number,
                          PopUpLiveHook live) {
  BeginPopUpMenu();
  gPopUp.liveHook = live;
  if (rows != 0) gPopUp.rowsPerColumn = rows;
  int32_t mainCount = std::max(0, last - first + 1);
  for (int32_t k = 0; k < mainCount; ++k) {
    Str255 text;
    NumToString(first + k, text);
    AddPopUpItem(text);
    if (k < 32 && !(enableMask >> k & 1u)) DisablePopUpItem(k);
  }
  for (int32_t n = extraFirst + 1; n <= extraLast; ++n) {
    Str255 text;
    NumToString(n, text);
    AddPopUpItem(text);
  }
  int32_t currentItem = current >= first && current <= last ? current - first
                        : current > extraFirst && current <= extraLast ? mainCount + current - extraFirst - 1
                                                                       : 0;
  MarkPopUpItem(currentItem);
  Point mouse{};
  GetGlobalMouse(&mouse);
  if (PopUpMenuAtPoint(mouse.v, mouse.h, currentItem) == 0 || gPopUpChoice < 0) return false;
  int32_t chosen = gPopUpChoice < mainCount ? first + gPopUpChoice : extraFirst + 1 + gPopUpChoice - mainCount;
  if (number) *number = chosen;
  return true;
}

bool ShowGlyphGridPopUp(uint32_t* result, uint8_t choiceByte, bool multi, ConstStr255Param extraItem,
                        int16_t step, int16_t count, uint32_t flagMask, int16_t fontSize,
                        int16_t margin, uint32_t rows, const Rect* anchorRect, PopUpDrawHook drawHook) {
  BeginPopUpMenu();
  step = std::max<int16_t>(step, 1);
  gPopUp.specialMode = kPopUpGlyphMode;
  gPopUp.drawHook = drawHook;
  if (rows != 0) gPopUp.rowsPerColumn = rows;
  if (fontSize > 0) TextSize(fontSize);
  int32_t glyphs = 0;
  for (int32_t value = 0; value <= count && value + kGlyphBase <= 255; value += step, ++glyphs) {
    unsigned char text[2] = {1, uint8_t(kGlyphBase + value)};
    AddPopUpItem(text);
  }
  if (step > 1) {
    unsigned char other[2] = {1, uint8_t(kGlyphOther)};
    AddPopUpItem(other);
  }
  int32_t numbered = int32_t(gPopUp.itemCount);
  if (extraItem && extraItem[0] > 0) AddPopUpItem(extraItem);
  gPopUp.widest = std::max<int16_t>(gPopUp.widest, int16_t(margin + kItemTextPadding));
  int32_t current = std::min<int32_t>(choiceByte / step, numbered - 1);
  for (int32_t i = 0; i < int32_t(gPopUp.itemCount) && i < 32; ++i) {
    if (multi && result && (*result >> i & 1u)) MarkPopUpItem(i);
    if (flagMask >> i & 1u) SetPopUpItemFlag(i);
  }
  if (!multi) MarkPopUpItem(current);
  Point corner{anchorRect ? anchorRect->top : int16_t(0), anchorRect ? anchorRect->left : int16_t(0)};
  if (!anchorRect) GetGlobalMouse(&corner);
  if (PopUpMenuAtPoint(corner.v, corner.h, current) == 0 || gPopUpChoice < 0) return false;
  if (!result) return true;
  if (multi) {
    if (gPopUpChoice < 32) *result ^= 1u << gPopUpChoice;
  } else {
    *result = gPopUpChoice < glyphs ? uint32_t(gPopUpChoice * step)
              : gPopUpChoice < numbered ? uint32_t(kGlyphOther - kGlyphBase)
                                        : 255u;
  }
  return true;
}

bool PopUpMenuWithRect(uint32_t* result, uint8_t choiceByte, bool multi, int16_t step) {
  Rect anchor = gScratchRect;
  Point corner{anchor.top, anchor.left};
  LocalToGlobal(&corner);
  OffsetRect(&anchor, int16_t(corner.h - anchor.left), int16_t(corner.v - anchor.top));
  uint32_t rows = step < 2 ? kGridRowsSmallStep : kGridRowsLargeStep;
  return ShowGlyphGridPopUp(result, choiceByte, multi, nullptr, step, int16_t(kGridItems - 1), 0,
                            kGridFontSize, kGridMargin, rows, &anchor, nullptr);
}
