#include "editors/song_list_drawing.h"

#include <algorithm>
#include <cstring>

#include "editors/song_list_durations.h"
#include "editors/song_list_layout.h"
#include "editors/song_list_scroll.h"
#include "editors/song_list_settings.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/text.h"
#include "platform/text/pascal_strings.h"
#include "platform/quickdraw/theme_text.h"
#include "shell/base/app_strings.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/drawing/text_drawing.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/window_sizing.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"

namespace {

constexpr int16_t kEmptySlotText = 27;  // general text: an empty slot's row (item 28)
constexpr int16_t kTitleText = 28;       // general text item 29: the list's title
constexpr int16_t kFirstTimeModeText = 52;  // items 54 and 55: the time column's heading (+ mode)
constexpr int16_t kTotalText = 55;       // item 56: before the total
constexpr int16_t kRowInset = 4;
constexpr int16_t kHeaderBaseline = 17;
constexpr int16_t kColumnBaseline = 39;
const unsigned char kButtonLabels[kSongListButtonCount][8] = {"\004Play", "\001R", "\003..."};
const unsigned char kWidestLabel[] = "\005000) ";  // the number column fits three digits

struct RowLayout {
  Rect list;
  int16_t height;
  int16_t baseline;
  int16_t nameLeft;
  int16_t timeLeft;  // the time column's left edge (list.right without it)
};

void CopyAppString(int16_t n, Str255 out) { std::memcpy(out, GetAppString(n), sizeof(Str255)); }

// A header button: framed, filled while its play mode is on.
void DrawHeaderButton(int16_t button) {
  Rect r = GetSongListButtonRect(button);
  bool on = (button == kSongListStateButton && gSongListSettings.playMode == kSongListChainOnce) ||
            (button == kSongListChainButton && gSongListSettings.playMode == kSongListChainLoop);
  EraseRect(&r);
  FrameRect(&r);
  int16_t width = MeasurePString(kButtonLabels[button]);
  MoveTo(int16_t((r.left + r.right - width) / 2), int16_t(r.bottom - 5));
  DrawPString(kButtonLabels[button]);
  if (on) {
    Rect inside = r;
    InsetRect(&inside, 1, 1);
    InvertRect(&inside);
  }
}

// The buttons, the title in bold, the time column's heading and, when asked and room is left,
// the total of every song and pause.
void DrawHeader(const Rect& port) {
  Rect header{port.top, port.left, int16_t(port.top + kSongListTop), port.right};
  EraseRect(&header);
  for (int16_t b = 0; b < kSongListButtonCount; ++b) DrawHeaderButton(b);
  Str255 text;
  CopyAppString(kTitleText, text);
  TextFace(bold);
  MoveTo(int16_t(GetSongListButtonRect(kSongListSettingsButton).right + 10), kHeaderBaseline);
  DrawPString(text);
  TextFace(normal);
  Rect column = GetSongListTimeHeaderRect();
  if (column.right > column.left) {
    CopyAppString(int16_t(kFirstTimeModeText + gSongListSettings.timeMode), text);
    MoveTo(column.left, kColumnBaseline);
    DrawPString(text);
  }
  if (!(gSongListSettings.flags & kSongListShowTotal)) return;
  Str255 total;
  CopyAppString(kTotalText, text);
  FormatSongListTime(SumSongListTimes(), total);
  text[++text[0]] = ' ';
  PLstrcat(text, total);
  int16_t right = int16_t(port.right - 19);
  if (right - MeasurePString(text) < GetSongListButtonRect(kSongListSettingsButton).right) return;
  MoveTo(int16_t(right - MeasurePString(text)), kHeaderBaseline);
  DrawPString(text);
}

// A song's duration at the right of its row.
void DrawRowTime(const uint8_t* song, int16_t baseline, const RowLayout& layout) {
  if (!song || layout.timeLeft >= layout.list.right) return;
  Str255 text;
  FormatSongListTime(ReadU32BE(song + kSongDuration), text);
  MoveTo(int16_t(layout.list.right - kRowInset - MeasurePString(text)), baseline);
  DrawPString(text);
}

// The slot's number and ") ".
void SlotLabel(int32_t slot, Str255 label) {
  Str255 digits;
  NumToString(slot + 1, digits);
  std::memcpy(label, digits, size_t(digits[0]) + 1);
  label[++label[0]] = ')';
  label[++label[0]] = ' ';
}

void DrawSlotRow(int32_t slot, int16_t top, const RowLayout& layout) {
  Handle handle = GetSongHandleAt(slot);
  const uint8_t* song = handle ? reinterpret_cast<const uint8_t*>(*handle) : nullptr;
  int16_t bottom = int16_t(std::min<int32_t>(top + layout.height, layout.list.bottom));
  SetRectFields(&gScratchRect, layout.list.left, top, layout.list.right, bottom);
  ClipToScratchRect();
  if (song && (song[kSongOptions] & kSongOptionListSelected)) {
    RGBColor highlight;
    LMGetHiliteRGB(&highlight);
    RGBBackColor(&highlight);
  }
  EraseScratchRect();
  TextFace(slot == gCurrentSongIndex ? bold : normal);
  Str255 text;
  SlotLabel(slot, text);
  MoveTo(int16_t(layout.list.left + kRowInset), int16_t(top + layout.baseline));
  DrawPString(text);
  GetSongListName(song, text);
  TruncateString(int16_t(layout.timeLeft - layout.nameLeft - kRowInset), text, smTruncEnd);
  MoveTo(layout.nameLeft, int16_t(top + layout.baseline));
  DrawPString(text);
  DrawRowTime(song, int16_t(top + layout.baseline), layout);
  TextFace(normal);
  BackColor(whiteColor);
}

}  // namespace

void GetSongListName(const uint8_t* song, Str255 name) {
  if (!song) {
    std::memcpy(name, GetAppString(kEmptySlotText), sizeof(Str255));
    return;
  }
  const uint8_t* stored = song + kSongName;
  name[0] = std::min<uint8_t>(stored[0], 31);
  std::memcpy(name + 1, stored + 1, name[0]);
}

void DrawSongListWindow() {
  AppWindow* w = GetWindowForKind(kSongListKind);
  if (!GetAppWindowRef(w)) return;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  FocusAppWindow(w);
  LoadAppWindowContentRect(w);
  BackColor(whiteColor);
  RestoreDefaultTextFont();
  ForeColor(blackColor);
  DrawHeader(gScratchRect);
  gScratchRect.top = int16_t(gScratchRect.top + kSongListTop);
  if (gScratchRect.bottom > gScratchRect.top) {
    RowLayout layout{gScratchRect, std::max<int16_t>(gSongListRowHeight, 1), 0, 0, gScratchRect.right};
    layout.timeLeft = int16_t(layout.list.right - GetSongListTimeColumnWidth());
    EraseScratchRect();
    FontInfo info;
    GetLineMetrics(&info);
    layout.baseline = int16_t((layout.height + info.ascent - info.descent) / 2);
    layout.nameLeft = int16_t(layout.list.left + kRowInset + MeasurePString(kWidestLabel));
    int32_t rows = CountSongListSlots();
    for (int32_t slot = GetSongListScroll(); slot < rows; ++slot) {
      int32_t top = GetSongListRowTop(slot);
      if (top >= layout.list.bottom) break;
      DrawSlotRow(slot, int16_t(top), layout);
    }
    ClipToPortBounds();
  }
  if (saved) SetPort(saved);
}
