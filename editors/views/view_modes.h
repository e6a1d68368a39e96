// The view modes of the main editor's panes: which modes a pane may take, switching modes, the
// view-mode pop-up, removing panes and the single-pane layout.
//
// Modes: 0 notes; 1 and 16 drums; 2..7 MIDI data lanes (lane kind mode - 2); 8 the tempo
// lane; 9 the waveform; 10, 11, 13, 14 volume, pan and send automation; 12 the plug-in
// parameter lane; 15 the master entry's row.
#pragma once

#include <cstdint>

#include "platform/events/classic_events.h"
#include "platform/memory/mac_types.h"

constexpr int16_t kWaveformViewMode = 9;
constexpr int16_t kTempoViewMode = 8;
constexpr int16_t kControllerViewMode = 3;
constexpr int16_t kPluginParameterViewMode = 12;
constexpr int16_t kGreatestViewMode = 16;
// The lane controllers the automation requests of a MIDI track become.
constexpr int32_t kVolumeController = 7;
constexpr int32_t kPanController = 10;
constexpr int32_t kNoLaneController = 128;

// The drum map's 6-byte header, copied when a pane enters a drum view.
extern uint8_t gEditorDrumState[6];

// (IsAudioViewMode: editing/track_views.h.)
// The mode the current pane may take for the request (instrument rows, audio-playing tracks
// and MIDI tracks each have their rules); a MIDI track's automation request selects the lane
// controller it becomes.
int16_t GetAllowedViewMode(int16_t mode);
// An audio-playing track's request below 8: 3 gives 11 (10 with lane controller 7), 4 gives
// 12, any other 9.
int16_t MapAudioTrackViewMode(int16_t mode);
// A MIDI track's request above 8.
int16_t MapMidiTrackViewMode(int16_t mode);
// Switches the current pane to the allowed mode of the request.
void SetEditorViewMode(int16_t mode);
// Modes 2 and 3 without a chosen controller (128 and up) take the first controller the track
// uses (1 when it uses none); the choice is stored in the track and selected.
void PickUsedLaneController();

// The modes the pop-up offers the current pane, in menu order; the count.
int16_t GetViewModeChoices(uint8_t modes[32]);
// Item mode + 2 of 'STR#' 147.
void GetViewModeTitle(int16_t mode, Str255 title);
// The view-mode pop-up at the current pane header's mode field (the pointer decides whether a
// lane title takes the click instead).
void RunViewModePopUp();
// Runs after the pop-up changed a pane's mode (the editor's tool and filter follow-up).
extern void (*gViewModeChangedProc)();

// Pane n removed from the table (never the last pane).
void RemoveEditorPane(int16_t n);
// Pane n alone fills the window, or the stacked layout comes back.
void ToggleSinglePaneLayout(int16_t n);
// The one other pane that shows pane n's track; -1 when none or more than one does.
int16_t FindOtherPaneOfTrack(int16_t n);
// The window point lies in pane n's band (its top to the next divider) and the pane is shown.
bool IsPointInPane(int16_t n, Point where);
