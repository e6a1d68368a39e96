#include "audio/recording/recording_hooks.h"

#include <algorithm>

#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_prepare.h"
#include "audio/engine/engine_prepare_hooks.h"
#include "audio/recording/record_input_list.h"
#include "audio/recording/record_takes.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/record_buffers.h"
#include "sequencer/transport/record_pass.h"
#include "sequencer/transport/transport_audio_hooks.h"
#include "sequencer/transport/transport_engine.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

RecordingMediaHooks gRecordingMediaHooks = {};

namespace {

constexpr uint32_t kTransportRecording = 1u << 30;

// A record pass of the transport, or a caller that records without one (transport flag bit 30).
bool Recording() { return IsRecordPassRunning() || (gTransportClock.flags.load() & kTransportRecording) != 0; }

// The take's span and mode follow the record pass: the audio starts where the pass plays from
// (the locate point, or the song position for a pass started while playing; the inputs record
// from the next device cycle), and ends at the record range's end (none: the pre-allocation
// falls back to its bar count).
void TakeSpanFromRecordPass() {
  if (!IsRecordPassRunning()) return;
  gAudioRecordStartTick = std::max<uint32_t>(RecordPassStartTick(), 1);
  uint32_t end = gRecordEndTick.load(std::memory_order_relaxed);
  gAudioRecordEndTick = end >= kNoRecordEnd ? 0 : end;
  gAudioRecordReplace = (gRecordOptions & kRecordOptionReplace) != 0;
}

bool AnyArmedInput() {
  for (AudioInput* input = gRecordInputs; input; input = input->next) {
    if (input->hasArmedTracks && input->armed) return true;
  }
  return false;
}

// Phase 0, before the devices open: a record pass starts the takes (files, buffers). Phase 1,
// after they opened: the driver learns the inputs and the write windows open, so that the
// first cycle the devices run is the take's first frame.
int16_t PrepareInputsForEngine(int32_t phase) {
  if (!Recording()) return 0;
  if (phase == 0) {
    TakeSpanFromRecordPass();
    // The list is rebuilt for the tracks armed now (the record track's set-up also does so).
    int32_t armed = gCurrentSong ? SongHeaderView(gCurrentSong).ArmedCount() : 0;
    int32_t track = gCurrentSong ? SongHeaderView(gCurrentSong).RecordTrack() : -1;
    if (int16_t err = SetupRecordInputs(armed, track, false)) return err;
    return AnyArmedInput() ? StartAudioRecording() : 0;
  }
  if (!AnyArmedInput()) return 0;
  for (AudioInput* input = gRecordInputs; input; input = input->next) {
    if (!input->recording) continue;
    AudioDriverOps* driver = FindInputDriver(input->deviceId);
    if (driver && driver->ArmRecordInput) driver->ArmRecordInput(input);
  }
  OpenRecordWindows();
  return 0;
}

// A record pass started while the engine already plays: the armed inputs of the list start
// their takes as at a start from the stop (the list is not rebuilt under the running IO
// procedures), and the engine's stop finishes them. Without a prepared engine nothing records
// audio.
OSErr StartTakesWhilePlaying() {
  if (!gEnginePrepared || !AnyArmedInput()) return noErr;
  TakeSpanFromRecordPass();
  int16_t err = StartAudioRecording();
  if (err == 0) err = PrepareInputsForEngine(1);
  return err;
}

}  // namespace

void InstallRecordingHooks() {
  gEnginePrepareHooks.prepareRecordInputs = PrepareInputsForEngine;
  gEnginePrepareHooks.finishRecordInputs = FinishAudioRecording;
  gTransportAudioHooks.startRecordingWhilePlaying = StartTakesWhilePlaying;
}
