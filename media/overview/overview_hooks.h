// The waveform overviews' side of the hook tables of lower layers: the song documents' cache
// files and the conductor's re-timing.
#pragma once

// Fills the overview entries of gDocumentHooks and gConductorRefreshHooks. Called by
// InstallProgramHooks.
void InstallOverviewHooks();
