// Carrying the edits made to a linked song while it played over to its twin: the other open
// song with the same id.
#pragma once

// When the current song is linked (header byte 17 bit 0x80) and was edited while playing
// (bit 0x40): the bit is cleared, the current undo step is handed to the twin, and the twin
// takes the song's selection, tempo and meter fields, as many tracks, and a copy of every
// track with its own handles (never shared); a twin's track keeps its own section list unless
// the edited track's mode bit 0x02 asks for the edited one (then the bit is cleared). The
// current song is unchanged.
void SyncSongEditedDuringPlayback();
