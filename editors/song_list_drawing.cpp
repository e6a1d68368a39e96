#include "editors/song_list_drawing.h"

#include <algorithm>
#include <cstring>

#include "platform/memory/memory.h"
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

constexpr int16_t kEmptySlotText = 28;  // general text: an empty slot's row
constexpr int16_t kRowInset = 4;
const unsigned char kWidestLabel[] = "\005000) ";  // the number column fits three digits

struct RowLayout {
  Rect list;
  int16_t height;
  int16_t baseline;
  int16_t nameLeft;
};

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
  TruncateString(int16_t(layout.list.right - layout.nameLeft - kRowInset), text, smTruncEnd);
  MoveTo(layout.nameLeft, int16_t(top + layout.baseline));
  DrawPString(text);
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
  gScratchRect.top = int16_t(gScratchRect.top + kSongListTop);
  if (gScratchRect.bottom > gScratchRect.top) {
    RowLayout layout{gScratchRect, std::max<int16_t>(gSongListRowHeight, 1), 0, 0};
    BackColor(whiteColor);
    EraseScratchRect();
    RestoreDefaultTextFont();
    ForeColor(blackColor);
    FontInfo info;
    GetLineMetrics(&info);
    layout.baseline = int16_t((layout.height + info.ascent - info.descent) / 2);
    layout.nameLeft = int16_t(layout.list.left + kRowInset + MeasurePString(kWidestLabel));
    int32_t rows = std::min(gSongCount, kSongListMaxRows);
    for (int32_t slot = 0; slot < rows; ++slot) {
      int32_t top = layout.list.top + slot * layout.height;
      if (top >= layout.list.bottom) break;
      DrawSlotRow(slot, int16_t(top), layout);
    }
    ClipToPortBounds();
  }
  if (saved) SetPort(saved);
}
