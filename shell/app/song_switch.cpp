#include "shell/app/song_switch.h"
#include "shell/windows/notepad_window.h"

#include "editors/key_command_hooks.h"
#include "editing/event_clipboard.h"
#include "editing/record_tracks.h"
#include "editors/lanes/lane_columns.h"
#include "editors/views/track_switches.h"
#include "editors/main_editor_window.h"
#include "editors/panes/timeline_zoom.h"
#include "editors/selection/selection_hooks.h"
#include "platform/resources/resource_manager.h"
#include "sequencer/clock/clock_timer.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/midi/midi_utilities.h"
#include "sequencer/transport/playback_control.h"
#include "sequencer/transport/sync_source.h"
#include "sequencer/transport/transport_engine.h"
#include "sequencer/transport/transport_tempo.h"
#include "platform/memory/byte_order.h"
#include "shell/app/idle_tasks.h"
#include "shell/app/song_activation.h"
#include "shell/base/app_state.h"
#include "shell/base/error_report.h"
#include "shell/base/idle_flag.h"
#include "shell/base/resource_files.h"
#include "shell/dialogs/progress_dialog.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/menus/alias_lists.h"
#include "shell/menus/option_toggles.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/track_view_modes.h"
#include "shell/windows/window_sizing.h"
#include "song/instruments/processor_chain_hooks.h"
#include "song/dialogs/output_remap_dialog.h"
#include "song/documents/document_file.h"
#include "song/documents/document_hooks.h"
#include "song/events/play_range.h"
#include "song/instruments/output_remap.h"
#include "song/model/song_context.h"
#include "song/model/song_slots.h"
#include "song/model/songs.h"

uint32_t gLastLocatedPosition = 0;
uint16_t gLocateDisplayFlags = 0;
uint32_t gCounterPosition = 0;
ScrapRef gRememberedScrap = nullptr;

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
  if (IsEditorWindowInFront()) SyncEditorPaneSelection();
  InvalidateKind(kSongListKind);
  SizeInstrumentWindowToContent();
  RedrawAppWindow(GetWindowForKind(kRemoteControlKind));
  InvalidateNotepadWindow();
  if (gCurrentSong) AssignUniqueSongId();
  InvalidateKind(kTrackWindowKind);
  ForgetEditorPaneScrolls();
  InvalidateKind(kMainEditorWindowKind);
  for (AppWindow* w = gAppWindowList; w; w = w->next) UpdateWindowScrollers(w);
  DrawAllVisibleWindows();
}

constexpr OSErr kNoRecordInputErr = 57;
constexpr int16_t kRemapAfterSongSwitch = 2;

// The armed tracks of the new song; mode 1 makes its record track the record track again.
void RefreshRecordTracks(int16_t mode) {
  UpdateRecordTracks();
  if (mode != 1 || !gCurrentSong) return;
  OSErr err = SetRecordTrack(int8_t(gCurrentSong[kSongRecordTrack]));
  if (err != noErr && err != kNoRecordInputErr) ReportErrorWithSetupFlag(err);
}

// The engine settings the new song brings: its saved insert racks, the document's sync
// source, and, while the clock runs on its own and plays nothing, the song's tempo.
void RefreshEngineAfterSwitch(int16_t mode) {
  InstantiatePendingInsertRacks();
  // A song made on another setup may name outputs that are not here: the user remaps them.
  if (AnyOutputMissing()) RunOutputRemapDialog(kRemapAfterSongSwitch);
  ResetNodeList();  // the thru follows the new song's tracks
  RefreshRecordTracks(mode);
  RecheckTrackModes();
  SetSyncSource(int16_t(ReadU16BE(gSongFileHeader + kFileHeaderSyncSource)));
  LocateToPosition(1);
  ResetLaneDragState();
  if (GetSyncSource() <= kSyncSourceAudioClock && !IsClockTaskPlaying()) RefreshTempo();
}

}  // namespace

void RefreshAfterSongSwitch(int16_t mode) {
  SelectCurrentSongSlot();
  ActivateCurrentSong(false);
  ApplySongZoom();
  CacheSongListInClock();
  RefreshWindowsAfterSwitch();
  RefreshEngineAfterSwitch(mode);
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

void InstallKeyCommandLocateHooks() { gKeyCommandHooks.locateToPosition = LocateToPosition; }

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
  gClipboardOwned = 0;
}

namespace {

// The clock's idle timer stops while another program is in front and comes back with the
// clock's tempo; a clock that plays or follows a source keeps running.
bool gClockPausedInBackground = false;

void ResumeClockInForeground() {
  if (!IsProgressDialogUp()) ApplyTempo(GetScaledTempo());
  if (gClockPausedInBackground && !IsClockTaskActive()) ReinstallIdleClockIfUsed();
  gClockPausedInBackground = false;
}

void PauseClockInBackground() {
  if (!gClockTimerInstalled || GetClockSyncMode() != 1 || IsClockTaskActive()) return;
  ShutDownClockTimer();
  gClockPausedInBackground = true;
}

void ComeToForeground() {
  PostNotificationText(nullptr);
  ResumeClockInForeground();
  UpdateScrapCount();
  if (CurResFile() != gAppResFile) UseResFile(gAppResFile);
}

void GoToBackground() {
  PauseClockInBackground();
  InvalidateAllAliasLists();
  RememberScrap();
}

}  // namespace

void ApplyForegroundChange() {
  if (!IsAppInBackground()) ComeToForeground();
  else GoToBackground();
  if (GetIdleFlag() == 0) RunIdleTask(false);
}

void InstallSelectionHooks() {
  gSelectionHooks.locateToPosition = LocateToPosition;
  gSelectionHooks.isDropTimingSwitchOn = [] { return gValueMenuFlag != 0; };
}
