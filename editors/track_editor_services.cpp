#include "editors/track_editor_services.h"

#include "song/model/song_context.h"
#include "song/model/song_layout.h"

int16_t gOverviewRowHeight = 14;
int16_t gOverviewZoomShift = 0;

// Interim: marks the track armed (bit 0x10 of its type byte); no recording inputs exist.
bool ArmNewTrack(bool skipArm, bool) {
  if (!skipArm && gCurrentTrack) gCurrentTrack[kTrackModeFlags] |= kTrackModeArmed;
  return false;
}

// Interim: no editor records exist yet.
void LowerEditorEntryIndexesAbove(int32_t) {}

// Interim: no editor rows exist yet.
void MarkEditorRowsForRedraw() {}

// Interim: no track window exists yet.
void InvalidateCurrentTrackRow() {}

// Interim: no drum view exists yet.
bool IsCurrentTrackInDrumView() { return false; }

// Interim: section lists are not read yet; a track keeps its own length.
bool GetFirstSectionLength(uint32_t, uint32_t*) { return false; }

// Interim: section lists are not read yet.
uint32_t GetLastSectionEnd(uint32_t) { return 0; }
