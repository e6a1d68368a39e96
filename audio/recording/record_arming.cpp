#include "audio/recording/record_arming.h"

#include "audio/devices/audio_driver.h"
#include "audio/engine/record_inputs.h"
#include "audio/recording/record_input_list.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/transport/record_pass.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"

namespace {

constexpr uint32_t kTransportRecording = 1u << 30;

constexpr int32_t kAnyOutputKind = -1;

int32_t CountArmedOfKind(int32_t kind) {
  if (!gCurrentSong) return 0;
  int32_t count = SongHeaderView(gCurrentSong).TrackCount(), armed = 0;
  for (int32_t i = 0; i < count; ++i) {
    const uint8_t* track = GetTrackEntryAt(i);
    if (track && (kind == kAnyOutputKind || track[kTrackOutputKind] == kind) && (track[kTrackModeFlags] & kTrackModeArmed)) ++armed;
  }
  return armed;
}

// The driver that records the input: the one given when it drives the input's device.
AudioDriverOps* DriverOfInput(const AudioInput* input, AudioDriverOps* given) {
  if (given) return given->driverId == input->deviceId ? given : nullptr;
  return FindInputDriver(input->deviceId);
}

}  // namespace

bool IsTransportPlayingOrRecording() {
  return IsClockTaskPlaying() || IsRecordPassRunning() || (gTransportClock.flags.load() & kTransportRecording) != 0;
}

int32_t CountArmedAudioTracks() { return CountArmedOfKind(kAudioTrackOutputKind); }

int32_t CountArmedInstrumentTracks() { return CountArmedOfKind(kInstrumentTrackOutputKind); }

int32_t CountArmedTracks() { return CountArmedOfKind(kAnyOutputKind); }

OSErr SetAudioInputsArmed(bool on, AudioDriverOps* driver) {
  if (IsTransportPlayingOrRecording()) return noErr;
  for (AudioInput* input = gRecordInputs; input; input = input->next) {
    input->armed = on ? 1 : 0;
    AudioDriverOps* ops = DriverOfInput(input, driver);
    // The driver's arm procedure answers nothing: a path it cannot open stays closed.
    if (ops && (ops->flags & kDriverFlagActive) && ops->ArmRecordInput) ops->ArmRecordInput(input);
  }
  return noErr;
}
