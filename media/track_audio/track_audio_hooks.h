// The track audio record's side of the song's and the engine's media hooks.
#pragma once

// Fills gSongMediaHooks.isTrackAudioReady and gStreamMediaHooks.getActiveTrackAudio. Called by
// InstallProgramHooks after InstallMediaHooks.
void InstallTrackAudioHooks();
