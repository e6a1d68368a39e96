// The track audio record's side of the song's and the engine's media hooks.
#pragma once

#include <cstdint>

// The live audio-edit bracket (AudioEditBracket) on the engine channel that plays the current
// track's active audio record, with that record. Without such a channel, a song in mode one
// (not taking step input) has its playback reset.
void BracketTrackAudioEdit(int32_t command, int32_t phase);

// Fills gSongMediaHooks.isTrackAudioReady and copyTrackAudioOverview,
// gStreamMediaHooks.getActiveTrackAudio, gRegionMediaHooks.bracketAudioEdit and
// gConductorRefreshHooks.refreshWaveformOverviews (DiscardAllOverviews). Called by
// InstallProgramHooks after InstallMediaHooks.
void InstallTrackAudioHooks();
