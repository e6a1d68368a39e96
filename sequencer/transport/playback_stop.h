// Stopping playback before the songs that may be playing are replaced: opening a document,
// a new song workspace, the preferences that rebuild the clock's memory.
#pragma once

// Stops the transport when it plays or records (what a record pass recorded is kept), then
// the audio engine when it still runs. stopMovies: movies stop too (none play yet).
void StopIfPlaying(bool stopMovies);
// Unless the audio engine is stopped (play state 0 or 5) or veto refuses (answers true), the
// idle tasks run out and the engine stops. Answers whether it was vetoed.
bool StopIfEngineBusy(bool (*veto)());

// Fills gDocumentHooks.stopPlaybackForOpen (song/documents/document_hooks.h): opening a
// document stops playback first (movies keep playing when a movie is opened).
void InstallPlaybackStopHooks();
