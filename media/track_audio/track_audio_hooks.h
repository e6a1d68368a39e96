// The track audio record's side of the song's and the engine's media hooks.
#pragma once

// Fills gSongMediaHooks.isTrackAudioReady and copyTrackAudioOverview,
// gStreamMediaHooks.getActiveTrackAudio and gConductorRefreshHooks.refreshWaveformOverviews
// (DiscardAllOverviews). Called by InstallProgramHooks after InstallMediaHooks.
void InstallTrackAudioHooks();
