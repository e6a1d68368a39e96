#include "audio/render/output_render.h"

#include <cmath>

#include "audio/devices/audio_driver.h"
#include "audio/devices/coreaudio_io.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_start.h"
#include "audio/engine/engine_thread.h"
#include "audio/render/mix_cycle.h"
#include "audio/render/play_rate_output.h"

std::atomic<uint32_t> gLateMixHandOffs{0};

namespace {

void HandOffRoutine(EngineChannel* channel, uint32_t selector, void* output) {
  HandOffChannelToDevice(channel, selector, output);
}

// Runs on the device thread: a full ring refuses the cycle at once (the hand-off then finds the
// mix late) rather than sleeping through the device's deadline.
void PostMix(EngineChannel* list) {
  gEngineQueue.mixChannelFilter = 0;
  PostEngineMessage(list, kEngineMsgMixCycle, &gEngineQueue);
}

}  // namespace

float* LocateDeviceChannel(AudioBufferList* list, UInt32 channel, UInt32* stride) {
  if (!list) return nullptr;
  for (UInt32 b = 0; b < list->mNumberBuffers; ++b) {
    AudioBuffer& buffer = list->mBuffers[b];
    if (channel < buffer.mNumberChannels) {
      *stride = buffer.mNumberChannels;
      return buffer.mData ? static_cast<float*>(buffer.mData) + channel : nullptr;
    }
    channel -= buffer.mNumberChannels;
  }
  return nullptr;
}

void FinishDevicePeaks(EngineChannel* channel, float peakLeft, float peakRight, float outPeak) {
  if (outPeak >= 1.0f) channel->clipped = 1;
  int32_t wl = peakLeft >= 1.0f ? 32767 : int32_t(peakLeft * 32768.0f);
  int32_t wr = peakRight >= 1.0f ? 32767 : int32_t(peakRight * 32768.0f);
  if (wl > channel->peakLeft) channel->peakLeft = wl;
  if (wr > channel->peakRight) channel->peakRight = wr;
}

void ConvertChannelToDevice(EngineChannel* channel, const float* block, float* left, UInt32 leftStride,
                            float* right, UInt32 rightStride, int32_t frames) {
  AddBlockToDevice(channel, block, DevicePair{left, leftStride, right, rightStride}, frames,
                   [](int32_t j) { return j; });
}

bool ChannelDevicePair(EngineChannel* channel, uint32_t selector, AudioBufferList* output, DevicePair* pair,
                       bool countLate) {
  pair->left = LocateDeviceChannel(output, 2u * channel->outputPair, &pair->leftStride);
  pair->right = LocateDeviceChannel(output, 2u * channel->outputPair + 1, &pair->rightStride);
  if (!pair->left || !pair->right || (gEngineFlags.load() & kEngineWorkersHeld) || channel->stoppedThisCycle ||
      channel->offDevice)
    return false;
  if (!channel->selectorRendered[selector]) {
    channel->peakLeft = channel->peakRight = 0;
    if (countLate) gLateMixHandOffs.fetch_add(1, std::memory_order_relaxed);
    return false;
  }
  if (!channel->mixBuffer[selector]) {
    LatchAudioEngineError(2);
    return false;
  }
  return true;
}

void HandOffChannelToDevice(EngineChannel* channel, uint32_t selector, void* outputData) {
  selector &= 1;
  DevicePair pair;
  if (!ChannelDevicePair(channel, selector, static_cast<AudioBufferList*>(outputData), &pair, true)) return;
  ConvertChannelToDevice(channel, channel->mixBuffer[selector], pair.left, pair.leftStride, pair.right,
                         pair.rightStride, gAudioBufferFrames.load());
  channel->stoppedThisCycle = 1;
  channel->selectorRendered[selector] = 0;
}

int32_t HandOffToMixer(EngineChannel* list, AudioBufferList* output, void (*routine)(EngineChannel*, uint32_t, void*)) {
  if (GetAudioMode() == 1) {
    if (list == gEngineRecordObject.load()) gEngineSampleClock.fetch_add(gAudioBufferFrames.load());
    return MixEngineCycle(list, routine, output, nullptr, 0);
  }
  AudioDriverOps* device = list->device;
  uint32_t r = device ? device->routineSelector.load() & 1 : 0;
  for (EngineChannel* c = list; c; c = c->next) {
    c->stoppedThisCycle = c->stopped;
    if (!c->stopped) routine(c, r, output);
  }
  if (device) device->routineSelector.fetch_xor(1);
  if (!(gEngineFlags.load() & kEngineWorkersHeld)) PostMix(list);
  return 0;
}

namespace {

// Warm-up at a rate other than 1.0: state 6 from here; at rate 0 nothing is handed off.
bool WarmUpAtPlayRate() {
  if (gPlayRateMix.requestedRate == kUnityPlayRate) return false;
  SetAudioDriverState(kDriverRunningAtRate);
  gPlayRateMix.framesRemaining = gAudioBufferFrames.load();
  return gPlayRateMix.requestedRate == 0;
}

// Record inputs that record the program's own output take it from the buffers just written.
void RecordOwnOutput(AudioBufferList* output, const AudioTimeStamp* outputTime, const AudioTimeStamp* now) {
  if (AudioInput* direct = gCoreAudioIO.firstDirectInput) RecordInputDispatch(output, outputTime, direct, 1, now);
}

}  // namespace

void RenderAudioOutput(EngineChannel* list, AudioBufferList* output, const AudioTimeStamp* outputTime, int32_t state,
                       const AudioTimeStamp* now) {
  if (!list) return;
  int32_t previousRate = TakeRequestedPlayRate();
  RenderStateBlock(list, output, state, previousRate);
  RecordOwnOutput(output, outputTime, now);
}

void RenderStateBlock(EngineChannel* list, AudioBufferList* output, int32_t state, int32_t previousRate) {
  switch (state) {
    case kDriverPrime:
      RenderPrimeState(list);
      return;
    case kDriverWarmUp: {
      SetAudioDriverState(kDriverHandOff);
      if (WarmUpAtPlayRate()) return;
      for (EngineChannel* c = list; c; c = c->next) {
        c->stoppedThisCycle = c->stopped;
        if (!c->stopped) HandOffChannelToDevice(c, 0, output);
        c->selectorRendered[0] = 0;
      }
      if (list->device) list->device->routineSelector.store(1);
      // Mixing inline, the next block is mixed now, so that no buffer of silence follows the
      // first one.
      if (GetAudioMode() != 1) PostMix(list);
      else MixEngineCycle(list, nullptr, nullptr, nullptr, 0);
      return;
    }
    case kDriverHandOff:
    case kDriverHandOff5:
      HandOffToMixer(list, output, HandOffRoutine);
      return;
    case kDriverRunningAtRate:
      RenderAtPlayRate(list, output, previousRate);
      return;
    default:
      return;
  }
}
