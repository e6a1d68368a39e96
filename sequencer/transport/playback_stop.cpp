#include "sequencer/transport/playback_stop.h"

#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/transport/playback_control.h"
#include "song/documents/document_hooks.h"

namespace {

void StopPlaybackBeforeOpen(bool movie) { StopIfPlaying(!movie); }

}  // namespace

void StopIfPlaying(bool) {
  if (IsClockTaskPlaying()) StopPlayback();
}

void InstallPlaybackStopHooks() { gDocumentHooks.stopPlaybackForOpen = StopPlaybackBeforeOpen; }
