#include "audio/devices/coreaudio_record_arm.h"

#include <algorithm>

#include "audio/devices/audio_driver.h"
#include "audio/devices/coreaudio_devices.h"
#include "audio/devices/coreaudio_io.h"
#include "audio/devices/coreaudio_settings.h"
#include "audio/engine/engine_run_state.h"
#include "audio/engine/record_inputs.h"
#include "platform/coreaudio/audio_hardware.h"
#include "sequencer/clock/transport_clock.h"
#include "shell/base/error_report.h"

namespace {

constexpr uint32_t kTransportRecording = 1u << 30;
constexpr UInt32 kMaxStreams = 32;

bool Recording() { return (gTransportClock.flags.load() & kTransportRecording) != 0; }

void ForgetRecordInputs() {
  gCoreAudioIO.firstRecordInput = nullptr;
  gCoreAudioIO.firstDirectInput = nullptr;
}

// The channel count of each of a side's streams ('slay'); answers the number of streams.
UInt32 StreamChannels(AudioDeviceID device, Boolean isInput, UInt32 channels[kMaxStreams]) {
  alignas(AudioBufferList) uint8_t bytes[AudioBufferListSize(kMaxStreams)] = {};
  auto* list = reinterpret_cast<AudioBufferList*>(bytes);
  UInt32 size = sizeof bytes;
  if (AudioDeviceGetProperty(device, 0, isInput, kAudioDevicePropertyStreamConfiguration, &size, list) != 0) return 0;
  UInt32 fit = UInt32((size - offsetof(AudioBufferList, mBuffers)) / sizeof(AudioBuffer));
  UInt32 streams = std::min({list->mNumberBuffers, fit, kMaxStreams});
  for (UInt32 s = 0; s < streams; ++s) channels[s] = list->mBuffers[s].mNumberChannels;
  return streams;
}

bool InputUsesChannels(const AudioInput* input, int32_t from, int32_t to) {
  auto inside = [&](int32_t c) { return c >= from && c < to; };
  return inside(input->leftChannel) || (input->channels == 2 && inside(input->rightChannel));
}

// An input stream is on when an armed input (from the first on) records a channel inside it.
bool InputStreamWanted(AudioInput* first, int32_t from, int32_t to) {
  if (gCoreAudioDevices.useAllInputStreams) return true;
  for (AudioInput* input = first; input; input = input->next) {
    if (input->armed && input->deviceId == kDriverIdCoreAudio && InputUsesChannels(input, from, to)) return true;
  }
  return false;
}

bool SideHasProc(bool inputSide) {
  bool shared = SharedCoreAudioDevice();
  if (inputSide) return shared ? gCoreAudioIO.outputProcInstalled.load() : gCoreAudioIO.inputProcInstalled.load();
  return gCoreAudioIO.outputProcInstalled.load();
}

OSStatus SetSideUsage(AudioInput* first, AudioDeviceID device, AudioDeviceIOProc proc, bool inputSide) {
  UInt32 channels[kMaxStreams] = {};
  UInt32 streams = StreamChannels(device, inputSide, channels);
  alignas(AudioHardwareIOProcStreamUsage) uint8_t bytes[AudioStreamUsageSize(kMaxStreams)] = {};
  auto* usage = reinterpret_cast<AudioHardwareIOProcStreamUsage*>(bytes);
  usage->mIOProc = reinterpret_cast<void*>(proc);
  UInt32 size = UInt32(AudioStreamUsageSize(kMaxStreams));
  if (OSStatus err = AudioDeviceGetProperty(device, 0, inputSide, kAudioDevicePropertyIOProcStreamUsage, &size, usage))
    return err;
  streams = std::min({streams, usage->mNumberStreams, kMaxStreams});
  bool anyOn = false;
  int32_t from = 0;
  for (UInt32 s = 0; s < streams; ++s) {
    int32_t to = from + int32_t(channels[s]);
    bool on = !inputSide || InputStreamWanted(first, from, to);
    usage->mStreamIsOn[s] = on ? 1 : 0;
    anyOn = anyOn || on;
    from = to;
  }
  size = UInt32(AudioStreamUsageSize(usage->mNumberStreams));
  OSStatus err = AudioDeviceSetProperty(device, nullptr, 0, inputSide, kAudioDevicePropertyIOProcStreamUsage, size, usage);
  if (err == 0 && inputSide) {
    gCoreAudioSettings.inputStreamsUsed = anyOn ? 1 : 0;
    gCoreAudioDevices.useAllInputStreams = 0;
  }
  return err;
}

}  // namespace

AudioInput* FindDriverRecordInput() {
  if (!(gCoreAudioDriver.flags & kDriverFlagInputAvailable)) return gCoreAudioIO.firstRecordInput;
  for (AudioInput* input = gRecordInputs; input; input = input->next) {
    if (input->deviceId != kDriverIdCoreAudio) continue;
    if (!gCoreAudioIO.firstRecordInput) gCoreAudioIO.firstRecordInput = input;
    if (input->directInput && !gCoreAudioIO.firstDirectInput) gCoreAudioIO.firstDirectInput = input;
  }
  return gCoreAudioIO.firstRecordInput;
}

OSStatus UpdateStreamUsage(AudioInput* first, AudioDeviceID device, AudioDeviceIOProc proc, uint32_t mask) {
  bool shared = SharedCoreAudioDevice();
  for (bool inputSide : {true, false}) {
    if (!(mask & (inputSide ? kUsageInputSide : kUsageOutputSide))) continue;
    bool sharedOutput = !inputSide && shared && SideHasProc(true);
    if (!SideHasProc(inputSide) && !sharedOutput) continue;
    if (OSStatus err = SetSideUsage(first, device, proc, inputSide)) {
      MarkAudioSuspend();
      ReportError(MapCoreAudioError(err));
      return err;
    }
  }
  return 0;
}

void ArmRecordInput(AudioInput* input) {
  if (!input) return;
  bool inputRuns = gCoreAudioIO.sides[kSideIn].running.load() != 0;
  if (!input->armed) {
    if (gAudioDriverState.load() == kDriverInputOnly) {
      if (gCoreAudioDriver.Stop) gCoreAudioDriver.Stop(0);
      inputRuns = false;
    } else if (!Recording()) {
      ForgetRecordInputs();
    }
  } else {
    if (!gCoreAudioIO.firstRecordInput && !gCoreAudioIO.firstDirectInput) FindDriverRecordInput();
    int32_t idle = kDriverIdle;
    gAudioDriverState.compare_exchange_strong(idle, kDriverInputOnly);
  }
  if (inputRuns && !Recording()) {
    bool shared = SharedCoreAudioDevice();
    AudioDeviceID device = shared ? gCoreAudioIO.outputDevice.load() : gCoreAudioIO.inputDevice.load();
    UpdateStreamUsage(input, device, shared ? AudioDuplexProc : AudioInputProc, kUsageInputSide);
  }
  if (input->armed && !gCoreAudioIO.firstRecordInput) gCoreAudioIO.firstRecordInput = input;
}

int16_t SetRecordInputChannels(AudioInput* input, int32_t channel, int32_t stereo) {
  if (!input) return kRecordErrChannelRange;
  int32_t left = gCoreAudioSettings.firstChannel, right = gCoreAudioSettings.secondChannel;
  if (channel >= 0) {
    left = 2 * channel;
    right = left + 1;
  }
  if (!stereo) left = right;
  if (!input->directInput) {
    AudioDeviceID device = gCoreAudioDevices.inputDevice != kAudioDeviceUnknown ? gCoreAudioDevices.inputDevice
                                                                                : gCoreAudioDevices.outputDevice;
    int32_t count = int32_t(CountDeviceChannels(device, kSideIn, nullptr));
    if (left < 0 || right < 0 || left >= count || right >= count) return kRecordErrChannelRange;
  }
  input->channels = stereo ? 2 : 1;
  input->leftChannel = left;
  input->rightChannel = right;
  return 0;
}
