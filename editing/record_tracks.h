// The song's record tracks: how many tracks are armed for recording and which of them is the
// record track.
#pragma once

// Counts the current song's armed tracks into its header and sets its record track: the
// previous one while it is still armed, else the first armed track, else none (-1).
void UpdateRecordTracks();
