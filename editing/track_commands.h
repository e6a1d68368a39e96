// The Edit menu's track commands: deleting the selected tracks (item 9) and copying or moving
// the selection to a new track (item 18).
#pragma once

// As one undo step (kind 7, with the insert-rack states), every selected track from the last
// to the first is removed with its child sequences; a song keeps at least one (empty) track.
// Then the track numbers, the current track, the instruments, the record tracks and the song
// end are brought up to date and everything is redrawn.
void DeleteSelectedTracks();
// The selection goes through a temporary clipboard (the user's is set aside and put back) into
// the next free track number by Merge; with move the selection is first cleared (undo kind 5).
void CopySelectionToNewTrack(bool move);
