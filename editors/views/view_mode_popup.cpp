// The view-mode pop-up of a pane header's mode field: the modes the pane's track may take, by
// the kind of track, and the choice applied to the pane and remembered for the track.
#include <algorithm>

#include "editors/lanes/lane_controllers.h"
#include "editors/panes/pane_headers.h"
#include "editors/timeline/lane_values.h"
#include "editors/views/view_modes.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/text.h"
#include "platform/resources/resource_manager.h"
#include "platform/windows/windows.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/insert_racks.h"
#include "shell/dialogs/drawn_popups.h"
#include "shell/drawing/row_metrics.h"
#include "shell/drawing/text_drawing.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "shell/windows/track_view_modes.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/rack_sharing.h"
#include "song/instruments/track_audio_kinds.h"
#include "song/model/song_context.h"
#include "song/model/songs.h"
#include "song/model/track_numbers.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"

void (*gViewModeChangedProc)() = nullptr;

namespace {

constexpr uint8_t kMidiModes[] = {0, 1, 16, 2, 3, 4, 5, 6, 7};
constexpr uint8_t kInstrumentModes[] = {0, 1, 16, 2, 3, 4, 5, 6, 7, 9, 10, 11, 13, 14};
constexpr uint8_t kAudioModes[] = {9, 10, 11, 13, 14};
constexpr uint8_t kAutomationModes[] = {10, 11, 13, 14};
constexpr int16_t kViewModeTitleList = 147;

template <size_t N>
int16_t Append(uint8_t modes[32], int16_t count, const uint8_t (&list)[N]) {
  for (uint8_t mode : list)
    if (count < 32) modes[count++] = mode;
  return count;
}

bool IsTrackPane() { return gCurrentPaneSlot == 0 && gEditorPaneCount > 0 && gEditorPanes[gCurrentPaneIndex].kind < 1; }

// The track's plug-in record runs a chain of at least one plug-in that is not bypassed.
bool HasActivePluginChain() {
  Handle rack = GetTrackInsertRack();
  if (!IsInsertRack(rack) || (GetRackFlags(rack) & kRackFlagInsertsOff)) return false;
  uint32_t head = GetRackChainHead(rack);
  return head != 0 && CountChainPlugins(head) > 0;
}

int16_t InstrumentRowChoices(uint8_t modes[32]) {
  int32_t entry = gCurrentPaneSlot - 1;
  if (entry < gAuxBusCount) return Append(modes, 0, {10, 11});
  modes[0] = uint8_t(entry == gAuxBusCount ? kMasterViewMode : kPluginParameterViewMode);
  return 1;
}

// Modes 3 and 12 and above show a lane title after the mode's: a click on it is the lane's.
bool HandToLaneTitle(const Rect& field, Point mouse) {
  if (gCurrentViewMode != kControllerViewMode && gCurrentViewMode < kPluginParameterViewMode) return false;
  Str255 title;
  GetViewModeTitle(gCurrentViewMode, title);
  RestoreDefaultTextFont();
  int16_t titleEnd = int16_t(field.left + StringWidth(title));
  if (mouse.h < titleEnd) return false;
  HandleLaneTitleClick(Point{field.top, titleEnd});
  return true;
}

// The lanes a chosen mode shows need a controller: a used one for the MIDI lanes, an aux bus
// for the sends.
void PrepareLaneController(int16_t mode) {
  if ((mode == 2 || mode == kControllerViewMode) && (gLaneController < 0 || gLaneController >= kNoLaneController))
    PickUsedLaneController();
  if ((mode == 13 || mode == 14) && (gLaneController < 0 || gLaneController >= gAuxBusCount)) SelectLaneController(0);
}

void ApplyChosenMode(int16_t mode, bool trackPane) {
  PrepareLaneController(mode);
  if (!gCurrentSong || IsSongLocked()) return;
  ClaimTrackNumber();
  int16_t before = gEditorPanes[gCurrentPaneIndex].viewMode;
  SetEditorViewMode(mode);
  if (trackPane) RememberTrackViewMode(uint8_t(gCurrentViewMode), true);
  if (before != gEditorPanes[gCurrentPaneIndex].viewMode && gViewModeChangedProc) gViewModeChangedProc();
}

// The choice of the pop-up as an index of the modes, -1 for none.
int32_t PopUpModes(const uint8_t* modes, int16_t count, const Rect& field) {
  // The corner is taken in the editor's port: building the pop-up makes its own port current.
  Point at{field.top, field.left};
  LocalToGlobal(&at);
  BeginPopUpMenu();
  int32_t current = 0;
  for (int16_t k = 0; k < count; ++k) {
    Str255 title;
    GetViewModeTitle(modes[k], title);
    AddPopUpItem(title);
    if ((modes[k] == 13 || modes[k] == 14) && gAuxBusCount <= 0) DisablePopUpItem(k);
    if (modes[k] == gCurrentViewMode) {
      MarkPopUpItem(k);
      current = k;
    }
  }
  if (PopUpMenuAtPoint(at.v, at.h, current) == 0 || gPopUpChoice < 0 || gPopUpChoice >= count) return -1;
  return gPopUpChoice;
}

}  // namespace

void GetViewModeTitle(int16_t mode, Str255 title) {
  title[0] = 0;
  if (mode >= 0 && mode <= kGreatestViewMode) GetIndString(title, kViewModeTitleList, int16_t(mode + 2));
}

int16_t GetViewModeChoices(uint8_t modes[32]) {
  if (gEditorPaneCount <= 0) return 0;
  if (gCurrentPaneSlot >= 1) return InstrumentRowChoices(modes);
  if (!DoesTrackPlayAudio()) {
    int16_t count = Append(modes, 0, kMidiModes);
    if (GetTrackAudioRecord() && HasActivePluginChain()) count = Append(modes, count, kAutomationModes);
    return count;
  }
  if (IsInstrumentTrack()) return Append(modes, 0, kInstrumentModes);
  if (IsTrackFrozen() && TrackEntryView(gCurrentTrack).EventList()) return Append(modes, 0, kInstrumentModes);
  return Append(modes, 0, kAudioModes);
}

void RunViewModePopUp() {
  if (gCurrentViewMode == kTempoViewMode || gEditorPaneCount <= 0 || !gMainEditorRecord.window) return;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPortWindowPort(gMainEditorRecord.window);
  Rect field = GetPaneHeaderModeField();
  Point mouse{};
  GetMouse(&mouse);
  bool trackPane = IsTrackPane();
  uint8_t modes[32];
  int16_t count = 0;
  if (!EmptyRect(&field) && !(trackPane && HandToLaneTitle(field, mouse))) count = GetViewModeChoices(modes);
  int32_t chosen = count > 0 ? PopUpModes(modes, count, field) : -1;
  if (chosen >= 0) ApplyChosenMode(modes[chosen], trackPane);
  SetPort(saved);
}
