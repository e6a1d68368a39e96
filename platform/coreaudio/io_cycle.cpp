// One device buffer on the device's real-time thread: the started IO procedures, each with
// zeroed output, summed into the device output, then the output contributors. No allocation,
// no locks: the slots are read through their atomic words.
#include <algorithm>

#include "platform/coreaudio/audio_internal.h"

namespace {

thread_local const AudioDeviceRecord* tCycleDevice = nullptr;

AudioBufferList MakeBufferList(UInt32 channels, float* data, UInt32 frames) {
  AudioBufferList list;
  list.mNumberBuffers = channels == 0 ? 0 : 1;
  list.mBuffers[0].mNumberChannels = channels;
  list.mBuffers[0].mDataByteSize = data == nullptr ? 0 : UInt32(frames * channels * sizeof(float));
  list.mBuffers[0].mData = data;
  return list;
}

void AddInto(float* target, const float* source, size_t count) {
  for (size_t i = 0; i < count; ++i) target[i] += source[i];
}

// Runs the started procedures; answers true when one ran.
bool RunProcs(AudioDeviceRecord* device, UInt32 frames, const IOCycleTimes& times) {
  const UInt32 outs = device->sides[kSideOutput].channels;
  const UInt32 ins = device->sides[kSideInput].channels;
  const size_t samples = size_t(frames) * outs;
  float* mix = device->outputMix.data();
  bool mixTaken = false;
  bool anyRan = false;
  for (IOProcSlot& slot : device->procs) {
    if (slot.state.load(std::memory_order_acquire) != kSlotInstalled || !slot.started.load()) continue;
    AudioDeviceIOProc proc = slot.proc.load();
    void* clientData = slot.clientData.load();
    bool outputOn = slot.streamOn[kSideOutput].load();
    bool inputOn = slot.streamOn[kSideInput].load();
    if (!anyRan && !device->running.exchange(true)) {
      PostDevicePropertyNotice(device->id, kAudioDevicePropertyDeviceIsRunning);
    }
    anyRan = true;
    // The first procedure writes straight into the zeroed mix; later ones into zeroed scratch.
    float* target = mixTaken ? device->procScratch.data() : mix;
    if (mixTaken) std::fill_n(target, samples, 0.0f);
    AudioBufferList input = MakeBufferList(ins, inputOn ? device->inputBuffer.data() : nullptr, frames);
    AudioBufferList output = MakeBufferList(outs, outputOn ? target : nullptr, frames);
    proc(device->id, &times.now, &input, &times.input, &output, &times.output, clientData);
    if (!outputOn) continue;
    if (mixTaken) AddInto(mix, target, samples);
    mixTaken = true;
  }
  if (!anyRan && device->running.exchange(false)) {
    PostDevicePropertyNotice(device->id, kAudioDevicePropertyDeviceIsRunning);
  }
  return anyRan;
}

bool RunContributors(AudioDeviceRecord* device, UInt32 frames, UInt64 firstFrameHostTime) {
  const UInt32 outs = device->sides[kSideOutput].channels;
  const Float64 rate = device->sampleRate.load();
  float* left = device->contributorLeft.data();
  float* right = device->contributorRight.data();
  float* mix = device->outputMix.data();
  bool anyRan = false;
  for (ContributorSlot& slot : device->contributors) {
    if (slot.state.load(std::memory_order_acquire) != kSlotInstalled) continue;
    AudioOutputContributorProc proc = slot.proc.load();
    void* context = slot.context.load();
    std::fill_n(left, frames, 0.0f);
    std::fill_n(right, frames, 0.0f);
    proc(left, right, frames, rate, firstFrameHostTime, context);
    anyRan = true;
    if (outs >= 2) {
      for (UInt32 f = 0; f < frames; ++f) {
        mix[f * outs] += left[f];
        mix[f * outs + 1] += right[f];
      }
    } else if (outs == 1) {
      for (UInt32 f = 0; f < frames; ++f) mix[f] += 0.5f * (left[f] + right[f]);
    }
  }
  return anyRan;
}

}  // namespace

bool OnDeviceThread(const AudioDeviceRecord* device) { return tCycleDevice == device; }

bool OnAnyDeviceThread() { return tCycleDevice != nullptr; }

AudioTimeStamp MakeTimeStamp(Float64 sampleTime, UInt64 hostTime) {
  AudioTimeStamp stamp;
  stamp.mSampleTime = sampleTime;
  stamp.mHostTime = hostTime;
  stamp.mRateScalar = 1.0;
  stamp.mFlags = kAudioTimeStampSampleHostTimeValid | kAudioTimeStampRateScalarValid;
  return stamp;
}

bool RunIOCycle(AudioDeviceRecord* device, UInt32 frames, const IOCycleTimes& times) {
  frames = std::min(frames, device->capacityFrames);
  tCycleDevice = device;
  device->cycleSequence.fetch_add(1);
  std::fill_n(device->outputMix.data(), size_t(frames) * device->sides[kSideOutput].channels, 0.0f);
  bool played = RunProcs(device, frames, times);
  played = RunContributors(device, frames, times.output.mHostTime) || played;
  device->cycleSequence.fetch_add(1);
  tCycleDevice = nullptr;
  if (!played && !device->idleNoticePosted.exchange(true)) {
    PostAudioNotice(kNoticeDeviceIdle, device->id, 0, false, 0);
  }
  return played;
}
