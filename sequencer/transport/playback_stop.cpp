#include "sequencer/transport/playback_stop.h"

#include <cstdint>

#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/transport/record_pass.h"
#include "sequencer/transport/transport_engine.h"
#include "song/documents/document_hooks.h"
#include "song/model/audio_engine_hooks.h"

namespace {

constexpr uint16_t kEngineStopped = 0;
constexpr uint16_t kEngineStopping = 5;

void StopPlaybackBeforeOpen(bool movie) { StopIfPlaying(!movie); }

}  // namespace

void StopIfPlaying(bool) {
  if (IsClockTaskPlaying() || gTransportRunning || IsRecordPassRunning()) StopTransport(false);
  StopIfEngineBusy(nullptr);
}

bool StopIfEngineBusy(bool (*veto)()) {
  uint16_t state = GetAudioEnginePlayState();
  if (state == kEngineStopped || state == kEngineStopping) return false;
  if (veto && veto()) return true;
  DrainIdleTasks();
  StopAudioEngineChannels(0);
  return false;
}

void InstallPlaybackStopHooks() { gDocumentHooks.stopPlaybackForOpen = StopPlaybackBeforeOpen; }
