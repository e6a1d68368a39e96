#include "editors/song_list_settings.h"

#include <algorithm>

#include "editors/song_list_layout.h"
#include "shell/dialogs/dialog_controls.h"
#include "shell/dialogs/dialog_toolkit.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/windows/app_windows.h"
#include "song/model/song_context.h"

SongListSettings& gSongListSettings = gWindowLayout.songList;

namespace {

constexpr int16_t kSettingsDialogId = 147;
constexpr int16_t kOkItem = 1, kCancelItem = 2;
constexpr int16_t kPauseItem = 3;
constexpr int16_t kTotalItem = 11;
constexpr int16_t kFirstModeItem = 12, kLastModeItem = 14;

void Changed() {
  SetSongModified();
  InvalAppWindowPort(&gSongListRecord);
}

void FillSettingsDialog() {
  SetDialogItemNumber(gSongListSettings.pause, kPauseItem);
  SetDialogCheckbox(kTotalItem, gSongListSettings.flags & kSongListShowTotal);
  SelectRadioInGroup(kFirstModeItem, kLastModeItem, int16_t(kFirstModeItem + gSongListSettings.timeMode));
}

void StoreSettingsDialog() {
  gSongListSettings.pause = uint8_t(std::clamp<int32_t>(GetDialogItemNumber(kPauseItem), 0, kSongListMaxPause));
  if (GetDialogControlValue(kTotalItem)) gSongListSettings.flags |= kSongListShowTotal;
  else gSongListSettings.flags &= uint8_t(~kSongListShowTotal);
  gSongListSettings.timeMode = uint8_t(GetSelectedRadioIndex(kFirstModeItem, kSongListTimeModes));
}

}  // namespace

void ToggleSongListPlayMode(int16_t button) {
  uint8_t& mode = gSongListSettings.playMode;
  if (button == kSongListStateButton) mode = mode == kSongListChainOnce ? kSongListSingle : kSongListChainOnce;
  else mode = mode == kSongListChainLoop ? kSongListSingle : kSongListChainLoop;
  Changed();
}

void CycleSongListTimeMode() {
  gSongListSettings.timeMode = uint8_t((gSongListSettings.timeMode + 1) % kSongListTimeModes);
  Changed();
}

bool EditSongListSettings() {
  if (!OpenDialogById(kSettingsDialogId)) return false;
  FillSettingsDialog();
  ShowCurrentDialog();
  SelectDialogItemAllText(kPauseItem);
  bool ok = false;
  for (;;) {
    int16_t item = RunModalDialog();
    if (item == kOkItem) {
      StoreSettingsDialog();
      ok = true;
    }
    if (item == kOkItem || item == kCancelItem || item == 0) break;
    if (item == kTotalItem) ToggleDialogControl(kTotalItem);
    else if (item >= kFirstModeItem && item <= kLastModeItem) SelectRadioInGroup(kFirstModeItem, kLastModeItem, item);
  }
  CloseCurrentDialog();
  if (ok) Changed();
  return ok;
}
