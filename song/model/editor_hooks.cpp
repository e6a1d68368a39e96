#include "song/model/editor_hooks.h"

SongEditorHooks gSongEditorHooks;

bool ArmNewTrack(bool skipArm, bool refresh) {
  return gSongEditorHooks.armNewTrack && gSongEditorHooks.armNewTrack(skipArm, refresh);
}

void LowerEditorEntryIndexesAbove(int32_t index) {
  if (gSongEditorHooks.lowerEntryIndexesAbove) gSongEditorHooks.lowerEntryIndexesAbove(index);
}

void MarkEditorRowsForRedraw() {
  if (gSongEditorHooks.markRowsForRedraw) gSongEditorHooks.markRowsForRedraw();
}

void InvalidateCurrentTrackRow() {
  if (gSongEditorHooks.invalidateCurrentTrackRow) gSongEditorHooks.invalidateCurrentTrackRow();
}

bool IsCurrentTrackInDrumView() {
  return gSongEditorHooks.isCurrentTrackInDrumView && gSongEditorHooks.isCurrentTrackInDrumView();
}

void RescaleCurrentTrackEventTimes(int32_t oldResolution, int32_t newResolution) {
  if (gSongEditorHooks.rescaleCurrentTrackEventTimes)
    gSongEditorHooks.rescaleCurrentTrackEventTimes(oldResolution, newResolution);
}

bool RunWindowKeyActions(uint32_t tick, uint32_t kindMask) {
  if (!gSongEditorHooks.runWindowKeyActions) return false;
  gSongEditorHooks.runWindowKeyActions(tick, kindMask);
  return true;
}
