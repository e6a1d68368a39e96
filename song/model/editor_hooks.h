// What the song asks of the track editors: arming a new track, keeping the editors' entry
// indexes and rows in step with the track list, and the scale time that a change of
// resolution applies. Installed by the editors at start-up (InstallEditorHooks); an entry not
// installed does nothing. All of them run on the main thread.
#pragma once

#include <cstdint>

struct SongEditorHooks {
  bool (*armNewTrack)(bool skipArm, bool refresh);
  void (*lowerEntryIndexesAbove)(int32_t index);
  void (*markRowsForRedraw)();
  void (*invalidateCurrentTrackRow)();
  bool (*isCurrentTrackInDrumView)();
  void (*rescaleCurrentTrackEventTimes)(int32_t oldResolution, int32_t newResolution);
  void (*runWindowKeyActions)(uint32_t tick, uint32_t kindMask);
};
extern SongEditorHooks gSongEditorHooks;

// Marks the new current track armed for recording unless told to skip; true when more
// than one input is armed. Not installed: nothing is armed, false.
bool ArmNewTrack(bool skipArm, bool refresh);
// Lowers by one every entry index above index kept in the open editor records.
void LowerEditorEntryIndexesAbove(int32_t index);
// Marks the editor rows for redraw.
void MarkEditorRowsForRedraw();
// Redraws the current track's row in the track window.
void InvalidateCurrentTrackRow();
// True when the current track is shown in a drum view. Not installed: false.
bool IsCurrentTrackInDrumView();
// The editors' scale time over the whole song, as the resolution change uses it: every
// event time of the current track goes from oldResolution to newResolution. Not installed:
// nothing is rescaled.
void RescaleCurrentTrackEventTimes(int32_t oldResolution, int32_t newResolution);
// Locates the song to tick and brings the visible windows of the kinds in kindMask (bit n:
// kind n; kAllWindowKinds: every kind that follows a locate) to it. False when not installed
// (the caller locates by itself).
constexpr uint32_t kAllWindowKinds = 0xFFFFFFFFu;
bool RunWindowKeyActions(uint32_t tick, uint32_t kindMask);
