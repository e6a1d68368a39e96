#include "editors/views/view_modes.h"

#include <cstring>

#include "editors/lanes/lane_columns.h"
#include "editors/lanes/lane_controllers.h"
#include "editors/panes/drum_list_width.h"
#include "editors/timeline/lane_values.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/windows/windows.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "shell/windows/track_view_modes.h"
#include "shell/windows/window_sizing.h"
#include "song/events/event_lists.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/track_audio_kinds.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_template.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"

uint8_t gEditorDrumState[6] = {};

namespace {

constexpr int32_t kDrumStateBytes = 6;

bool HasRealCurrentTrack() { return gCurrentSong && HasValidCurrentTrack() && gCurrentTrack != gTrackTemplate; }

bool IsDrumView(int16_t mode) { return mode == kRowViewMode || mode == kRowViewMode2; }

EditorPane& CurrentPane() {
  return gEditorPanes[gCurrentPaneIndex >= 0 && gCurrentPaneIndex < gEditorPaneCount ? gCurrentPaneIndex : 0];
}

// Slot s of an instrument row shows the entry s - 1 places after the instruments: an aux bus
// keeps its volume and pan lanes, the master its own row; every other request is the
// plug-in parameter lane.
int16_t AllowedInstrumentRowMode(int16_t mode) {
  int32_t entry = gCurrentPaneSlot - 1;
  if (entry < gAuxBusCount) return mode == 10 || mode == 11 ? mode : kPluginParameterViewMode;
  if (entry == gAuxBusCount) return mode == kMasterViewMode ? mode : kPluginParameterViewMode;
  return kPluginParameterViewMode;
}

// Instrument tracks, tracks on device kind 21 and frozen tracks keep their MIDI views.
bool KeepsMidiViews() {
  return IsInstrumentTrack() || GetTrackOutputDeviceKind() == kDeviceKindReWire || IsTrackFrozen();
}

// The window is no taller than the shell allows the editor; the pane scroll bars and their
// controls follow the note view.
void EnterNoteView() {
  if (WindowRef window = gMainEditorRecord.window) {
    Rect bounds{}, limits{};
    GetWindowPortBounds(window, &bounds);
    GetWindowSizeLimits(&gMainEditorRecord, &limits);
    if (limits.bottom > 0 && bounds.bottom - bounds.top > limits.bottom)
      SetAppWindowSize(&gMainEditorRecord, int16_t(bounds.right - bounds.left), limits.bottom);
  }
  UpdateAllPaneScrollers();
  SetEditorPaneScrollBarsActive(IsEditorWindowInFront());
}

// A drum view needs the track's event list and drum map (no drum map is made here: a track
// without one shows notes); the map's header becomes the editor's drum state.
bool EnterDrumView() {
  if (!HasRealCurrentTrack() || EnsureTrackEventList() != noErr) return false;
  gCurrentTrack[kTrackViewMode] = 0;
  Handle map = TrackEntryView(gCurrentTrack).DrumData();
  if (!map || !IsValidHandle(map) || GetHandleSize(map) < kDrumStateBytes) return false;
  std::memcpy(gEditorDrumState, HandleData(map), kDrumStateBytes);
  UpdateAllPaneScrollers();
  return true;
}

void FinishViewChange() { UpdateDrumListWidth(); }

}  // namespace

int16_t MapAudioTrackViewMode(int16_t mode) {
  if (mode == kControllerViewMode) return gLaneController == kVolumeController ? 10 : 11;
  if (mode == 4) return kPluginParameterViewMode;
  return kWaveformViewMode;
}

int16_t MapMidiTrackViewMode(int16_t mode) {
  if (mode >= 10 && mode <= 14 && IsInstrumentTrack()) return mode;
  switch (mode) {
    case 10:
    case 13: SelectLaneController(kVolumeController); return kControllerViewMode;
    case 11:
    case 14: SelectLaneController(kPanController); return kControllerViewMode;
    case kPluginParameterViewMode:
    case kRowViewMode2: return mode;
    default: return 0;
  }
}

int16_t GetAllowedViewMode(int16_t mode) {
  if (mode < 0 || mode > kGreatestViewMode) mode = 0;
  if (gCurrentPaneSlot >= 1) return AllowedInstrumentRowMode(mode);
  if (!HasRealCurrentTrack()) return mode;
  if (DoesTrackPlayAudio()) {
    if (mode < kTempoViewMode && !KeepsMidiViews()) mode = MapAudioTrackViewMode(mode);
    if (mode == kPluginParameterViewMode && !TrackAudioHasPluginsOrRegions()) mode = kWaveformViewMode;
    return mode;
  }
  return mode > kTempoViewMode ? MapMidiTrackViewMode(mode) : mode;
}

void PickUsedLaneController() {
  if (gCurrentPaneSlot > 0 || (gLaneController >= 0 && gLaneController < kNoLaneController)) return;
  uint8_t used[16] = {};
  GetUsedControllers(used);
  int32_t chosen = 1;
  for (int32_t n = 0; n < kNoLaneController; ++n) {
    if (used[n / 8] & (1u << (n % 8))) {
      chosen = n;
      break;
    }
  }
  StoreTrackLaneController(chosen);
  SelectLaneController(chosen);
}

void SetEditorViewMode(int16_t mode) {
  if (gEditorPaneCount <= 0) return;
  EditorPane& pane = CurrentPane();
  int16_t allowed = GetAllowedViewMode(mode);
  gCurrentViewMode = allowed;
  if (allowed == pane.viewMode) {
    if (IsDrumView(allowed)) UpdateAllPaneScrollers();
    return FinishViewChange();
  }
  pane.previousViewMode = pane.viewMode;
  pane.viewMode = uint8_t(allowed);
  pane.editorData[kPaneRedrawFlag] = 1;
  if (IsDrumView(allowed) && !EnterDrumView()) pane.viewMode = uint8_t(gCurrentViewMode = 0);
  if (pane.viewMode == 0) EnterNoteView();
  if (allowed == 2 || allowed == kControllerViewMode) PickUsedLaneController();
  ResetLaneDragState();
  InvalidateEditorWindow();
  FinishViewChange();
}
