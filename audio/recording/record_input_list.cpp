#include "audio/recording/record_input_list.h"

#include <new>

#include "audio/devices/audio_driver.h"
#include "audio/engine/plugin_bus_binding.h"
#include "audio/recording/record_buffers.h"
#include "audio/recording/record_files.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"

RecordSettings gRecordSettings;
AudioInput gStaticRecordInput;
int32_t gRecordHomeTrack = 0;

namespace {

constexpr uint16_t kNoInputChannel = 0xFFFF;
constexpr uint8_t kDefaultInputDevice = kDriverIdCoreAudio;

bool IsRecordEnabledAudioTrack(const uint8_t* track) {
  return track && track[kTrackOutputKind] == kAudioTrackOutputKind && (track[kTrackModeFlags] & kTrackModeArmed);
}

// A track's record names no input channel of its own: its input records the driver's chosen
// channels until the audio set-up gives it a pair (SetRecordInputPair).
uint16_t TrackInputChannel(const uint8_t*) { return kNoInputChannel; }

AudioInput* NextInput(AudioInput* previous) {
  if (previous->next) return previous->next;
  auto* input = new (std::nothrow) AudioInput();
  previous->next = input;
  return input;
}

// The device's buffer bytes: frames x bytes per sample x channels.
void ComputeDeviceBufferBytes(AudioInput* input, AudioDriverOps* driver) {
  int32_t frames = driver && driver->GetBufferFrames ? driver->GetBufferFrames() : 0;
  int32_t channels = input->channels < 1 ? 1 : input->channels;
  input->deviceBufferBytes = frames > 0 ? uint32_t(frames * RecordSampleBytes(input->sampleBits) * channels) : 0;
}

// Gives the input its channels through the driver; 110 (channels beyond the device) counts as
// success when the driver offers its channel count and that count is 0 (no device to check).
int16_t AssignDriverChannels(AudioInput* input, uint8_t* track) {
  AudioDriverOps* driver = FindInputDriver(input->deviceId);
  if (!driver || !driver->SetRecordInputChannels) return 0;
  int32_t channel = input->inputChannel == kNoInputChannel ? -1 : input->inputChannel;
  int16_t err = driver->SetRecordInputChannels(input, channel, input->channels > 1 ? 1 : 0);
  if (err == kRecordErrChannelRange && driver->CountInputChannels && driver->CountInputChannels() == 0) err = 0;
  (void)track;
  return err;
}

int16_t SetUpTrackInput(AudioInput* input, uint8_t* track, int32_t index) {
  input->directInput = 0;
  input->inputChannel = TrackInputChannel(track);
  input->trackIndex = uint16_t(index);
  input->armed = 1;
  input->hasArmedTracks = 1;
  int16_t err = SetDefaultInputFormat(input, kDefaultInputDevice);
  if (err == 0) err = AssignDriverChannels(input, track);
  if (err == 0 && input->channels != 1) ComputeDeviceBufferBytes(input, FindInputDriver(input->deviceId));
  return err;
}

}  // namespace

uint32_t InputFormatForBits(int32_t bits) {
  return bits > 24 ? kInputFormatFloat : bits > 16 ? kInputFormatInt24 : kInputFormatNone;
}

AudioDriverOps* FindInputDriver(int32_t deviceId) {
  AudioDriverOps* fallback = nullptr;
  for (AudioDriverOps* d = gOutputDevices; d; d = d->next) {
    if (d->driverId == deviceId) return d;
    if (d->driverId == kDefaultInputDevice) fallback = d;
  }
  return fallback ? fallback : gOutputDevices;
}

uint32_t RecordBufferSizeFor(uint32_t deviceBufferBytes) {
  if (deviceBufferBytes == 0) return 0;
  return (gRecordSettings.bufferBytes / deviceBufferBytes) * deviceBufferBytes;
}

int16_t SetDefaultInputFormat(AudioInput* input, int32_t deviceId) {
  if (deviceId != input->deviceId) {
    AudioDriverOps* old = FindInputDriver(input->deviceId);
    if (old && old->driverId == input->deviceId && old->ArmRecordInput) {
      input->armed = 0;
      old->ArmRecordInput(input);
    }
    input->deviceId = uint8_t(deviceId);
  }
  if (input->channels < 1) input->channels = 1;
  AudioDriverOps* driver = FindInputDriver(input->deviceId);
  if (!driver) return kRecordBadParam;
  if (input == &gStaticRecordInput) {
    if (input->sampleRate <= 0.0f) input->sampleRate = 44100.0f;
    if (input->sampleBits == 0) input->sampleBits = 16;
  } else {
    input->channels = uint16_t(gRecordSettings.channels < 1 ? 1 : gRecordSettings.channels);
    input->sampleRate = gRecordSettings.sampleRate;
    input->sampleBits = uint16_t(gRecordSettings.sampleBits);
  }
  if (driver->sampleRate > 0.0f) input->sampleRate = driver->sampleRate;
  input->formatCode = InputFormatForBits(input->sampleBits);
  ComputeDeviceBufferBytes(input, driver);
  return input->sampleBits < 8 ? kRecordSampleSizeTooSmall : 0;
}

int16_t SetupRecordInputs(int32_t armedCount, int32_t recordTrack, bool midi) {
  (void)armedCount;
  (void)recordTrack;
  (void)midi;
  DisposeAllRecordInputs();
  gRecordInputs = &gStaticRecordInput;
  gStaticRecordInput.hasArmedTracks = 0;
  gStaticRecordInput.armed = 0;
  SetDefaultInputFormat(&gStaticRecordInput, kDefaultInputDevice);
  gRecordHomeTrack = GetCurrentTrackIndex();
  if (!gCurrentSong) return 0;
  int32_t count = SongHeaderView(gCurrentSong).TrackCount();
  AudioInput* input = nullptr;
  int16_t result = 0;
  for (int32_t i = 0; i < count; ++i) {
    uint8_t* track = GetTrackEntryAt(i);
    if (!IsRecordEnabledAudioTrack(track)) continue;
    input = input ? NextInput(input) : &gStaticRecordInput;
    if (!input) return memFullErr;
    int16_t err = SetUpTrackInput(input, track, i);
    if (err != 0 && result == 0) result = err;
  }
  return result;
}

AudioInput* FindRecordInputForTrack(int32_t trackIndex) {
  AudioInput* found = nullptr;
  for (AudioInput* input = gRecordInputs; input; input = input->next) {
    if (!input->hasArmedTracks || input->trackIndex != trackIndex) continue;
    if (input->firstOfStart) return input;
    if (!found) found = input;
  }
  return found;
}

void DisposeRecordInput(AudioInput* input) {
  if (!input) return;
  if (input->channelLink) AttachExternalSource(input->channelLink, input, nullptr);
  input->channelLink = nullptr;
  ReleaseRecordBuffers(input, true);
  if (input->fork != 0) {
    CloseRecordFile(input);
    if (input->fileOpen) DeleteRecordFile(input);
  }
  input->recording = 0;
}

void DisposeAllRecordInputs() {
  DisposeRecordInput(&gStaticRecordInput);
  AudioInput* input = gStaticRecordInput.next;
  gStaticRecordInput.next = nullptr;
  while (input) {
    AudioInput* next = input->next;
    DisposeRecordInput(input);
    delete input;
    input = next;
  }
}

int16_t SetRecordInputPair(AudioInput* input, int32_t pair) {
  if (!input) return kRecordBadParam;
  input->inputChannel = pair < 0 ? kNoInputChannel : uint16_t(pair);
  int16_t err = AssignDriverChannels(input, nullptr);
  ComputeDeviceBufferBytes(input, FindInputDriver(input->deviceId));
  return err;
}

bool RecordInputsConflict(const AudioInput* a, const AudioInput* b) {
  if (!a || !b || a == b || a->deviceId != b->deviceId || a->directInput != b->directInput) return false;
  if (a->inputChannel == kNoInputChannel || b->inputChannel == kNoInputChannel) return false;
  int32_t a0 = a->inputChannel, a1 = a0 + (a->channels > 1 ? 1 : 0);
  int32_t b0 = b->inputChannel, b1 = b0 + (b->channels > 1 ? 1 : 0);
  return a0 <= b1 && b0 <= a1;
}

bool IsInputChannelUsed(int32_t channel) {
  for (const AudioInput* input = gRecordInputs; input; input = input->next) {
    if (!input->hasArmedTracks || input->inputChannel == kNoInputChannel) continue;
    if (channel == input->inputChannel || (input->channels > 1 && channel == input->inputChannel + 1)) return true;
  }
  return false;
}
