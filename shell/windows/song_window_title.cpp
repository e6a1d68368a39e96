#include "shell/windows/song_window_title.h"

#include <algorithm>
#include <cstring>

#include "platform/text/pascal_strings.h"
#include "platform/windows/windows.h"
#include "shell/base/app_strings.h"
#include "shell/base/untitled_name.h"
#include "shell/windows/app_windows.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

namespace {

constexpr int16_t kSequenceTitleText = 30;  // general text item 31
constexpr int16_t kSongTitleText = 31;      // item 32
constexpr uint8_t kMaxSongName = 31;

void AppendText(Str255 title, ConstStr255Param text) {
  uint8_t n = uint8_t(std::min<int>(text[0], 255 - title[0]));
  std::memcpy(title + 1 + title[0], text + 1, n);
  title[0] = uint8_t(title[0] + n);
}

}  // namespace

void GetSongWindowTitle(Str255 title) {
  title[0] = 0;
  if (!gCurrentSong) return;
  bool child = gCurrentChildIndex >= 0;
  AppendText(title, GetAppString(child ? kSequenceTitleText : kSongTitleText));
  Str255 number;
  NumToString((child ? gCurrentChildIndex : gCurrentSongIndex) + 1, number);
  AppendText(title, number);
  AppendText(title, reinterpret_cast<ConstStringPtr>("\002: "));
  Str255 name;
  name[0] = std::min(gCurrentSong[kSongName], kMaxSongName);
  std::memcpy(name + 1, gCurrentSong + kSongName + 1, name[0]);
  AppendText(title, name[0] ? name : GetUntitledName());
}

void SetSongWindowTitle() {
  WindowRef window = GetAppWindowRef(GetWindowForKind(kTrackWindowKind));
  if (!window) return;
  Str255 title;
  GetSongWindowTitle(title);
  SetWTitle(window, title);
}
