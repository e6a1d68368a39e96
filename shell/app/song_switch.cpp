#include "shell/app/song_switch.h"

#include "platform/resources/resource_manager.h"
#include "sequencer/transport/transport_engine.h"
#include "shell/app/idle_tasks.h"
#include "shell/base/app_state.h"
#include "shell/base/error_report.h"
#include "shell/base/idle_flag.h"
#include "shell/base/resource_files.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/menus/alias_lists.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/window_sizing.h"
#include "song/instruments/processor_chain_hooks.h"
#include "song/events/play_range.h"
#include "song/model/song_context.h"
#include "song/model/song_slots.h"
#include "song/model/songs.h"

uint32_t gLastLocatedPosition = 0;
uint16_t gLocateDisplayFlags = 0;
uint32_t gCounterPosition = 0;
ScrapRef gRememberedScrap = nullptr;
uint8_t gClipboardStateByte = 0;

namespace {

constexpr uint16_t kFollowLocate = 0x10;
constexpr uint32_t kInfoPanelRefreshBit = 1u << kInfoPanelWindowKind;

// The slot that holds the current song becomes the current index (the song stays current).
void SelectCurrentSongSlot() {
  if (!gCurrentSongHandle) return;
  for (int32_t n = 0; n < gSongCount; ++n)
    if (GetSongHandleAt(n) == gCurrentSongHandle) {
      if (n != gCurrentSongIndex) SelectSongIndex(n);
      return;
    }
}

void InvalidateKind(int16_t kind) { InvalAppWindowPort(GetWindowForKind(kind)); }

void RefreshWindowsAfterSwitch() {
  InvalidateKind(kSongListKind);
  SizeInstrumentWindowToContent();
  RedrawAppWindow(GetWindowForKind(kRemoteControlKind));
  if (gCurrentSong) AssignUniqueSongId();
  InvalidateKind(kTrackWindowKind);
  InvalidateKind(kMainEditorWindowKind);
  for (AppWindow* w = gAppWindowList; w; w = w->next) UpdateWindowScrollers(w);
  DrawAllVisibleWindows();
}

}  // namespace

void RefreshAfterSongSwitch(int16_t) {
  SelectCurrentSongSlot();
  CacheSongListInClock();
  ResetNodeList();  // the thru follows the new song's tracks
  RefreshWindowsAfterSwitch();
  LocateToPosition(1);
}

void DrawAllVisibleWindows() {
  for (AppWindow* w = gAppWindowList; w; w = w->next) RedrawAppWindow(w);
}

void LocateToPosition(uint32_t position) {
  if (position == 0) {
    const TimePosition& start = gTimeSelection.start;
    const TimePosition& end = gTimeSelection.end;
    SetClockPlayRange({start.tick, start.sample, start.rate}, {end.tick, end.sample, end.rate});
    position = start.tick;
  }
  SetLocatePoint(position);
  gLocateDisplayFlags &= uint16_t(~kFollowLocate);
  gLastLocatedPosition = gLocatePoint.tick;
  if (gSectionMode) return;
  StoreClockLocatePosition(gLocatePoint.tick);
  ShowPositionInCounters(gLocatePoint.tick);
}

void ShowPositionInCounters(uint32_t position) {
  gCounterPosition = position;
  gPendingWindowRefresh |= kInfoPanelRefreshBit;
}

void RememberScrap() {
  ScrapRef scrap = nullptr;
  gRememberedScrap = GetCurrentScrap(&scrap) == noErr ? scrap : nullptr;
}

void UpdateScrapCount() {
  ScrapRef scrap = nullptr;
  if (GetCurrentScrap(&scrap) != noErr) scrap = nullptr;
  if (scrap == gRememberedScrap) return;
  gRememberedScrap = scrap;
  gClipboardStateByte = 0;
}

namespace {

void ComeToForeground() {
  PostNotificationText(nullptr);
  UpdateScrapCount();
  if (CurResFile() != gAppResFile) UseResFile(gAppResFile);
}

void GoToBackground() {
  InvalidateAllAliasLists();
  RememberScrap();
}

}  // namespace

void ApplyForegroundChange() {
  if (!IsAppInBackground()) ComeToForeground();
  else GoToBackground();
  if (GetIdleFlag() == 0) RunIdleTask(false);
}
