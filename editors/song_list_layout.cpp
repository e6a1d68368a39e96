#include "editors/song_list_layout.h"

#include <algorithm>

#include "editors/song_list_drawing.h"
#include "editors/song_list_durations.h"
#include "editors/song_list_scroll.h"
#include "editors/song_list_settings.h"
#include "platform/windows/windows.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/window_sizing.h"
#include "song/model/song_context.h"
#include "song/model/songs.h"

namespace {

constexpr int16_t kButtonTop = 4;
constexpr int16_t kButtonBottom = 22;
constexpr int16_t kButtonLeft = 4;
constexpr int16_t kButtonGap = 4;
constexpr int16_t kStateButtonWidth = 79;
constexpr int16_t kSmallButtonWidth = 26;
constexpr int16_t kScrollBarWidth = 15;

// The window's port bounds; false without the window.
bool GetListBounds(Rect* bounds) {
  WindowRef window = GetAppWindowRef(GetWindowForKind(kSongListKind));
  if (!window) return false;
  GetWindowPortBounds(window, bounds);
  return true;
}

int16_t RowHeight() { return std::max<int16_t>(gSongListRowHeight, 1); }

bool Inside(Point p, const Rect& r) { return p.h >= r.left && p.h < r.right && p.v >= r.top && p.v < r.bottom; }

}  // namespace

int32_t CountVisibleSongListRows() {
  Rect bounds;
  if (!GetListBounds(&bounds)) return 1;
  return std::max<int32_t>((bounds.bottom - bounds.top - kSongListTop) / RowHeight(), 1);
}

Rect GetSongListButtonRect(int16_t button) {
  int16_t left = kButtonLeft, width = kStateButtonWidth;
  if (button >= kSongListChainButton) {
    left = int16_t(kButtonLeft + kStateButtonWidth + kButtonGap + (button - 1) * (kSmallButtonWidth + kButtonGap));
    width = kSmallButtonWidth;
  }
  return Rect{kButtonTop, left, kButtonBottom, int16_t(left + width)};
}

int16_t GetSongListTimeColumnWidth() {
  if (gSongListSettings.timeMode == kSongListNoTime) return 0;
  return MeasureSongListTimeColumn();
}

Rect GetSongListTimeHeaderRect() {
  Rect bounds;
  int16_t width = GetSongListTimeColumnWidth();
  if (!GetListBounds(&bounds) || width == 0) return Rect{0, 0, 0, 0};
  int16_t right = int16_t(bounds.right - kScrollBarWidth);
  return Rect{kButtonBottom, int16_t(right - width), kSongListTop, right};
}

int16_t FindSongListButton(Point local) {
  for (int16_t b = 0; b < kSongListButtonCount; ++b)
    if (Inside(local, GetSongListButtonRect(b))) return b;
  return -1;
}

int32_t FindSongListSlot(Point local) {
  if (local.v < kSongListTop) return -1;
  int32_t slot = (local.v - kSongListTop) / RowHeight() + GetSongListScroll();
  return slot < CountSongListSlots() ? slot : -1;
}

int32_t GetSongListRowTop(int32_t slot) { return kSongListTop + (slot - GetSongListScroll()) * RowHeight(); }

int16_t GetSongListHelpPart(Point local) {
  int16_t button = FindSongListButton(local);
  if (button >= 0) return button;
  int32_t slot = FindSongListSlot(local);
  if (slot < 0) return kSongListNoPart;
  if (!GetSongHandleAt(slot)) return kSongListEmptyRowPart;
  return slot == gCurrentSongIndex ? kSongListCurrentRowPart : kSongListOtherRowPart;
}
