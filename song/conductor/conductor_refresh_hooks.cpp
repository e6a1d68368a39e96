#include "song/conductor/conductor_refresh_hooks.h"

#include "song/model/utility_iteration.h"

ConductorRefreshHooks gConductorRefreshHooks;

void RefreshWaveformOverviews() {
  if (gConductorRefreshHooks.refreshWaveformOverviews) gConductorRefreshHooks.refreshWaveformOverviews();
}

void PrepareEnginePlaybackAfterRetime(int32_t full) {
  if (gConductorRefreshHooks.prepareEnginePlayback) gConductorRefreshHooks.prepareEnginePlayback(full);
}

void ResetSectionChase() {
  if (gConductorRefreshHooks.resetSectionChase) gConductorRefreshHooks.resetSectionChase();
}

void RefreshToolWindows() {
  if (gConductorRefreshHooks.refreshToolWindows) gConductorRefreshHooks.refreshToolWindows();
}

void RefreshAfterResolutionChange() {
  if (gConductorRefreshHooks.refreshAfterResolutionChange)
    gConductorRefreshHooks.refreshAfterResolutionChange();
}

void RunTrackMeterProcedure() {
  if (gConductorRefreshHooks.trackMeterProcedure)
    ForEachTrack(gConductorRefreshHooks.trackMeterProcedure, nullptr);
}

void BeginTempoMapChange() {
  if (gConductorRefreshHooks.keepAudioAtTicks) gConductorRefreshHooks.keepAudioAtTicks();
}

void EndTempoMapChange(int32_t reanchor) {
  if (gConductorRefreshHooks.moveAudioToTicks) gConductorRefreshHooks.moveAudioToTicks(reanchor);
}
