#include "media/overview/overview_hooks.h"

#include "audio/regions/region_media_hooks.h"
#include "media/background_jobs.h"
#include "media/overview/overview_jobs.h"
#include "media/overview/overview_files.h"
#include "media/overview/overview_track.h"
#include "media/track_audio/track_audio.h"
#include "song/conductor/conductor_refresh_hooks.h"
#include "song/documents/document_hooks.h"

#include <cstdint>

namespace {

// Overviews are measured in ticks: new times make every overview of the song stale. The
// worker stops first, so that no job stores an overview of the old times afterwards; the
// next drawing computes them again.
void ForgetOverviewsAfterRetime() {
  WaitForOverviewThread();
  DiscardAllOverviews();
}

// The region edits speak of unsigned ticks; the overview keeps signed ones. Ticks beyond the
// signed range cannot be in a song, so they are clamped rather than wrapped.
int32_t OverviewTick(uint32_t tick) { return tick > INT32_MAX ? INT32_MAX : (int32_t)tick; }

void UpdateOverviewAfterRegionEdit(uint32_t startTick, uint32_t endTick) {
  RequestOverviewUpdate(OverviewTick(startTick), OverviewTick(endTick));
}
void ShiftOverviewAfterInsert(uint32_t tick, uint32_t count) {
  ShiftOverviewForInsert(OverviewTick(tick), OverviewTick(count));
}
void ShiftOverviewAfterDelete(uint32_t tick, uint32_t count) {
  ShiftOverviewForDelete(OverviewTick(tick), OverviewTick(count));
}

}  // namespace

void InstallOverviewHooks() {
  gDocumentHooks.loadOverviewFiles = LoadDocumentOverviewFiles;
  gDocumentHooks.saveOverviewFiles = SaveDocumentOverviewFiles;
  gConductorRefreshHooks.refreshWaveformOverviews = ForgetOverviewsAfterRetime;
  gRegionMediaHooks.requestOverviewUpdate = UpdateOverviewAfterRegionEdit;
  gRegionMediaHooks.shiftOverviewForInsert = ShiftOverviewAfterInsert;
  gRegionMediaHooks.shiftOverviewForDelete = ShiftOverviewAfterDelete;
}
