#include "editors/song_list_scroll.h"

#include <algorithm>

#include "editors/song_list_layout.h"
#include "platform/controls/controls.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/window_sizing.h"
#include "song/model/song_context.h"

namespace {

constexpr int16_t kRowUp = 20, kRowDown = 21, kPageUp = 22, kPageDown = 23;

ControlRef ListBar() { return gSongListRecord.vScrollBar; }

int32_t MaxScroll() { return std::max<int32_t>(CountSongListSlots() - CountVisibleSongListRows(), 0); }

}  // namespace

int32_t GetSongListScroll() { return ListBar() ? GetControl32BitValue(ListBar()) : 0; }

void SetSongListScroll(int32_t value) {
  ControlRef bar = ListBar();
  if (!bar) return;
  value = std::clamp<int32_t>(value, 0, MaxScroll());
  if (value == GetControl32BitValue(bar)) return;
  SetControl32BitValue(bar, value);
  InvalAppWindowPort(&gSongListRecord);
}

void ScrollSongList(int32_t delta) { SetSongListScroll(GetSongListScroll() + delta); }

void ScrollSongListToCurrent() {
  int32_t first = GetSongListScroll(), rows = CountVisibleSongListRows();
  if (gCurrentSongIndex < first) SetSongListScroll(gCurrentSongIndex);
  else if (gCurrentSongIndex >= first + rows) SetSongListScroll(gCurrentSongIndex - rows + 1);
}

void HandleSongListKey(int16_t code) {
  int32_t page = std::max<int32_t>(CountVisibleSongListRows() - 1, 1);
  switch (code) {
    case kRowUp: ScrollSongList(-1); break;
    case kRowDown: ScrollSongList(1); break;
    case kPageUp: ScrollSongList(-page); break;
    case kPageDown: ScrollSongList(page); break;
    default: break;
  }
}
