// Interim: the track editors' services that the song model calls, until the editors exist.
#pragma once

#include <cstdint>

// Row height of the track overview in pixels, and the zoom shift applied to event times.
extern int16_t gOverviewRowHeight;
extern int16_t gOverviewZoomShift;

// Marks the new current track armed for recording unless told to skip; true when more
// than one input is armed.
bool ArmNewTrack(bool skipArm, bool refresh);
// Lowers by one every entry index above index kept in the open editor records.
void LowerEditorEntryIndexesAbove(int32_t index);
// Marks the editor rows for redraw.
void MarkEditorRowsForRedraw();
// Redraws the current track's row in the track window.
void InvalidateCurrentTrackRow();
// True when the current track is shown in a drum view.
bool IsCurrentTrackInDrumView();

// Section lists (SectionEntry records of a track): the length kept in the first entry and
// the end of the last entry; false / 0 when the list holds no entry.
bool GetFirstSectionLength(uint32_t list, uint32_t* length);
uint32_t GetLastSectionEnd(uint32_t list);
