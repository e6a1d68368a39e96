#include "audio/devices/builtin_synth_output.h"

#include "platform/coreaudio/core_audio.h"
#include "platform/coremidi/builtin_synth.h"

namespace {

// Runs on the device's real-time thread.
void RenderSynthIntoMix(float* left, float* right, UInt32 frames, Float64 sampleRate,
                        UInt64 firstFrameHostTime, void*) {
  RenderBuiltInSynthAt(left, right, frames, sampleRate, firstFrameHostTime);
}

Float64 DeviceRate(AudioDeviceID device) {
  Float64 rate = 0;
  UInt32 size = sizeof rate;
  if (AudioDeviceGetProperty(device, 0, false, kAudioDevicePropertyNominalSampleRate, &size, &rate) != 0)
    return 0;
  return rate;
}

}  // namespace

OSStatus ConnectBuiltInSynthToDevice(AudioDeviceID device) {
  Float64 rate = DeviceRate(device);
  if (rate > 0) PrepareBuiltInSynth(rate);
  return AddDeviceOutputContributor(device, RenderSynthIntoMix, nullptr);
}

OSStatus DisconnectBuiltInSynthFromDevice(AudioDeviceID device) {
  return RemoveDeviceOutputContributor(device, RenderSynthIntoMix, nullptr);
}
