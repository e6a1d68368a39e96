// The main editor's rows (its panes of kind below 1) as views of tracks: the view mode each row
// shows and the one a track remembers (TrackEntry byte 81), and keeping the rows in step with
// the track selection and the current track.
#pragma once

#include <cstdint>

// The mode a track's row takes when nothing else is known, and the answer for a slot no row shows.
constexpr uint8_t kNoteViewMode = 0;
constexpr uint8_t kNoRowViewMode = 12;

// Bit k: the row of pane k shows a selected track.
extern uint32_t gSelectedRowMask;

bool IsEditorWindowInFront();
// The rows of kind below 1 that show the current track, and how many of them show it in a drum
// view (modes 1 and 16) or in the note view.
void CountRowsShowingTrack(int16_t* all, int16_t* drum, int16_t* note);
// The view mode of the row of an instrument slot (a pane of kind slot + 5), kNoRowViewMode when
// none shows it.
uint8_t GetRowViewModeForSlot(int16_t slot);
// Modes 0 (notes), 1 and 16 (drums).
bool IsDrumOrNoteMode(uint8_t mode);
bool IsNoteOrDrumView();
// The lane a mode shows: mode - 2 (16 counts as 1), not below 0.
int16_t GetLaneViewIndex();
// Keeps mode in the current track's byte 81 when asked (when), when one row shows the track
// and the mode is neither the special view (8) nor the master view (15).
void RememberTrackViewMode(uint8_t mode, bool when);
// The current row takes mode (a drum view falls back to the note view when the track has no
// drum data) and the track remembers it.
void ApplyViewMode(uint8_t mode);
// With flag set, the current row takes the mode the current track remembers.
void RestoreRowViewMode(bool flag);
// The first row of kind below 1 that shows track number track; false when none does.
bool FindRowForTrack(int16_t track, int16_t* index);
void UpdateSelectedRowMask();
// Makes the row of the current track the current row (when one shows it) and marks the rows
// of the selected tracks; the editor is drawn again.
void SyncEditorPaneSelection();
// Every row showing the current track takes its remembered mode (with relayout, the panes are
// laid out again).
void RelayoutRowsForTrack(bool relayout);
void RefreshEditorRows();
// Makes track number track current, draws the track list again and brings the editor's rows in
// step (with relayout, the rows showing the track take its remembered mode and are laid out).
void RefreshTrackListControl(int16_t track, bool relayout);
// As RefreshTrackListControl for the row of track alone: that row of the track list is drawn
// again, and with rows the editor's rows are brought in step as well.
void RefreshTrackListRow(int16_t track, bool rows, bool relayout);
