// Song activation: when another song becomes current, its settings become the program's:
// its track numbers, its tempo factor, its time selection as the play range, its record
// track (when asked), and a sync source that suits it (audio tracks follow the audio sample
// clock; a song without them runs on the program's own clock).
#pragma once

// The first half of the activation: the song's track numbers, the new-track template, the
// preference bytes it keeps, the timebase and its tempo at the first tick, its tempo factor
// (100 % when it keeps none; not in section mode), its duration for the song list, the track
// window's title, and the song's windows redrawn.
void LoadSongSettings();
// The settings of the current song into the program-wide state; with reselectTrack the
// song's record track becomes the record track again.
void ActivateCurrentSong(bool reselectTrack);
// The sync source for the current song's tracks: with audio tracks that play, a source other
// than the own clock and the movie is kept and any other becomes the audio sample clock;
// without them the sample clock and the external device fall back to the own clock, as does
// the movie when the song has none.
void UpdateSyncModeForSong();
