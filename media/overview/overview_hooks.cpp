#include "media/overview/overview_hooks.h"

#include "media/background_jobs.h"
#include "media/overview/overview_files.h"
#include "media/track_audio/track_audio.h"
#include "song/conductor/conductor_refresh_hooks.h"
#include "song/documents/document_hooks.h"

namespace {

// Overviews are measured in ticks: new times make every overview of the song stale. The
// worker stops first, so that no job stores an overview of the old times afterwards; the
// next drawing computes them again.
void ForgetOverviewsAfterRetime() {
  WaitForOverviewThread();
  DiscardAllOverviews();
}

}  // namespace

void InstallOverviewHooks() {
  gDocumentHooks.loadOverviewFiles = LoadDocumentOverviewFiles;
  gDocumentHooks.saveOverviewFiles = SaveDocumentOverviewFiles;
  gConductorRefreshHooks.refreshWaveformOverviews = ForgetOverviewsAfterRetime;
}
