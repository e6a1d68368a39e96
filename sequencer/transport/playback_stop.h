// Stopping playback before the songs that may be playing are replaced: opening a document,
// a new song workspace, the preferences that rebuild the clock's memory.
#pragma once

// Stops the transport when the clock plays. stopMovies: movies stop too (none play yet).
void StopIfPlaying(bool stopMovies);

// Fills gDocumentHooks.stopPlaybackForOpen (song/documents/document_hooks.h): opening a
// document stops playback first (movies keep playing when a movie is opened).
void InstallPlaybackStopHooks();
