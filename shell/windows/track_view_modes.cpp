#include "shell/windows/track_view_modes.h"

#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "song/model/editor_hooks.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_selection.h"
#include "song/model/track_template.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"

uint32_t gSelectedRowMask = 0;

namespace {

constexpr uint8_t kWaveformViewMode = 9;

bool IsTrackRow(const EditorPane& pane) { return pane.kind < 1; }

bool IsDrumMode(uint8_t mode) { return mode == kRowViewMode || mode == kRowViewMode2; }

bool HasRealCurrentTrack() {
  return gCurrentSong && HasValidCurrentTrack() && gCurrentTrack != gTrackTemplate;
}

int16_t CurrentTrackNumber() { return HasRealCurrentTrack() ? gCurrentTrack[kTrackNumber] : -1; }

int16_t PaneCount() {
  return gEditorPaneCount < 0 ? 0 : gEditorPaneCount > kMaxEditorPanes ? kMaxEditorPanes : gEditorPaneCount;
}

// An audio track shows its waveform where a MIDI track shows notes, drums or data.
bool IsCurrentAudioTrack() {
  return HasRealCurrentTrack() && TrackEntryView(gCurrentTrack).OutputKind() == kAudioTrackOutputKind;
}

// A drum view needs the track's drum data; an audio track takes the waveform view for the
// modes below 8.
uint8_t UsableMode(uint8_t mode) {
  if (mode < kSpecialViewMode && IsCurrentAudioTrack()) return kWaveformViewMode;
  if (!IsDrumMode(mode)) return mode;
  return HasRealCurrentTrack() && TrackEntryView(gCurrentTrack).DrumData() ? mode : kNoteViewMode;
}

}  // namespace

bool IsEditorWindowInFront() { return GetFrontWindowKind() == kMainEditorWindowKind; }

void CountRowsShowingTrack(int16_t* all, int16_t* drum, int16_t* note) {
  *all = *drum = *note = 0;
  int16_t track = CurrentTrackNumber();
  for (int16_t k = 0; track >= 0 && k < PaneCount(); ++k) {
    const EditorPane& pane = gEditorPanes[k];
    if (!IsTrackRow(pane) || pane.track != track) continue;
    ++*all;
    if (IsDrumMode(pane.viewMode)) ++*drum;
    else if (pane.viewMode == kNoteViewMode) ++*note;
  }
}

uint8_t GetRowViewModeForSlot(int16_t slot) {
  for (int16_t k = 0; k < PaneCount(); ++k) {
    if (gEditorPanes[k].kind >= kPaneKindPluginBase && gEditorPanes[k].kind - kPaneKindPluginBase == slot)
      return gEditorPanes[k].viewMode;
  }
  return kNoRowViewMode;
}

bool IsDrumOrNoteMode(uint8_t mode) { return mode == kNoteViewMode || IsDrumMode(mode); }

bool IsNoteOrDrumView() {
  return gCurrentViewMode >= 0 && IsDrumOrNoteMode(uint8_t(gCurrentViewMode));
}

int16_t GetLaneViewIndex() {
  int16_t mode = gCurrentViewMode == kRowViewMode2 ? kRowViewMode : gCurrentViewMode;
  return mode - 2 < 0 ? 0 : int16_t(mode - 2);
}

void RememberTrackViewMode(uint8_t mode, bool when) {
  if (!when || !HasRealCurrentTrack() || mode == kSpecialViewMode || mode == kMasterViewMode) return;
  int16_t all, drum, note;
  CountRowsShowingTrack(&all, &drum, &note);
  if (all == 1) gCurrentTrack[kTrackViewMode] = mode;
}

void ApplyViewMode(uint8_t mode) {
  if (PaneCount() == 0) return;
  EditorPane& pane = gEditorPanes[gCurrentPaneIndex < PaneCount() ? gCurrentPaneIndex : 0];
  pane.viewMode = UsableMode(mode);
  gCurrentViewMode = pane.viewMode;
  RememberTrackViewMode(pane.viewMode, true);
  InvalidateEditorWindow();
}

void RestoreRowViewMode(bool flag) {
  if (!flag || !HasRealCurrentTrack() || PaneCount() == 0) return;
  EditorPane& pane = gEditorPanes[gCurrentPaneIndex < PaneCount() ? gCurrentPaneIndex : 0];
  if (!IsTrackRow(pane)) return;
  pane.viewMode = UsableMode(gCurrentTrack[kTrackViewMode]);
  gCurrentViewMode = pane.viewMode;
}

bool FindRowForTrack(int16_t track, int16_t* index) {
  for (int16_t k = 0; k < PaneCount(); ++k) {
    if (IsTrackRow(gEditorPanes[k]) && gEditorPanes[k].track == track) {
      *index = k;
      return true;
    }
  }
  return false;
}

void UpdateSelectedRowMask() {
  uint32_t mask = 0;
  for (int16_t k = 0; k < PaneCount(); ++k) {
    const EditorPane& pane = gEditorPanes[k];
    if (IsTrackRow(pane) && IsSlotInSelection(gTrackSelection, pane.track)) mask |= 1u << k;
  }
  gSelectedRowMask = mask;
}

void SyncEditorPaneSelection() {
  int16_t index;
  int16_t track = CurrentTrackNumber();
  bool onOtherTrack = gCurrentPaneIndex >= 0 && gCurrentPaneIndex < PaneCount() &&
                      gEditorPanes[gCurrentPaneIndex].track != track;
  if (track >= 0 && onOtherTrack && FindRowForTrack(track, &index)) SelectEditorPaneIndex(index);
  RefreshEditorRows();
}

void RelayoutRowsForTrack(bool relayout) {
  int16_t track = CurrentTrackNumber();
  if (track < 0) return;
  uint8_t mode = UsableMode(gCurrentTrack[kTrackViewMode]);
  for (int16_t k = 0; k < PaneCount(); ++k) {
    if (IsTrackRow(gEditorPanes[k]) && gEditorPanes[k].track == track) gEditorPanes[k].viewMode = mode;
  }
  if (relayout) LayoutEditorPanes();
  RefreshEditorRows();
}

void RefreshEditorRows() {
  UpdateSelectedRowMask();
  InvalidateEditorWindow();
}

void RefreshTrackListControl(int16_t track, bool relayout) {
  SelectTrackNumber(track);
  InvalidateTrackWindow();
  if (relayout) RelayoutRowsForTrack(true);
  else RefreshEditorRows();
  InvalidateEditorAndLanes();
}

void RefreshTrackListRow(int16_t track, bool rows, bool relayout) {
  SelectTrackNumber(track);
  InvalidateCurrentTrackRow();
  if (rows && relayout) RelayoutRowsForTrack(true);
  else if (rows) RefreshEditorRows();
  InvalidateEditorAndLanes();
}
