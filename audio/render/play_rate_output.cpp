#include "audio/render/play_rate_output.h"

#include <algorithm>
#include <cmath>

#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_channels.h"
#include "audio/render/output_render.h"

PlayRateMix gPlayRateMix;

namespace {

int32_t LargestPowerOfTwoUpTo(int32_t n) {
  int32_t p = 1;
  while (p * 2 <= n) p *= 2;
  return p;
}

void MarkStoppedThisCycle(EngineChannel* list) {
  for (EngineChannel* c = list; c; c = c->next) c->stoppedThisCycle = c->stopped;
}

// Where device frame j of a stretched or decimated block comes from; -1 for none.
int32_t SourceFrame(int32_t j, int32_t frames) {
  const PlayRateMix& m = gPlayRateMix;
  if (m.repeat > 0) {
    int32_t span = frames / m.repeat;
    int32_t first = frames * m.subBlock / m.repeat;
    if (j < first || j >= first + span) return -1;
    int32_t source = (j - first) * m.repeat;
    return source < frames ? source : -1;
  }
  if (m.divisor <= 0) return j;
  int32_t source = m.framesConsumed + j / m.divisor;
  return source < frames ? source : -1;
}

void StoreHeldFrame(float left, float right) {
  gPlayRateMix.heldLeft = left;
  gPlayRateMix.heldRight = right;
}

}  // namespace

int32_t SetPlayRate(int32_t rate) {
  int32_t state = gAudioDriverState.load();
  if (rate != kUnityPlayRate && (state == kDriverHandOff || state == kDriverHandOff5)) {
    gAudioDriverState.store(kDriverRunningAtRate);
  }
  int32_t repeat = rate >> 16;
  if (repeat > 2) repeat = LargestPowerOfTwoUpTo(repeat);
  int32_t divisor = 0;
  if (repeat == 0 && rate != 0) {
    // Slow play writes each source frame `divisor` times, so only 1 / divisor can be played:
    // a quarter step between those (0.75) plays at the next slower one, never faster.
    rate = std::max(rate & int32_t(0xFFFFC000), 0x4000);
    divisor = (kUnityPlayRate + rate - 1) / rate;
    rate = kUnityPlayRate / divisor;
  }
  gPlayRateMix.requestedRepeat = repeat;
  gPlayRateMix.requestedDivisor = divisor;
  gPlayRateMix.requestedRate = rate;
  return 0;
}

int32_t TakeRequestedPlayRate() {
  PlayRateMix& m = gPlayRateMix;
  int32_t previous = m.currentRate;
  if (m.currentRate == m.requestedRate) return previous;
  if (m.requestedRate == 0) m.framesConsumed = 0;
  if (m.framesRemaining == 0 || m.framesConsumed == 0) {
    m.divisor = m.requestedDivisor;
    m.repeat = m.requestedRepeat;
    m.currentRate = m.requestedRate;
    m.framesRemaining = 0;
  }
  return previous;
}

void ConvertChannelToDeviceRate(EngineChannel* channel, const float* block, float* left, UInt32 leftStride,
                                float* right, UInt32 rightStride, int32_t frames) {
  AddBlockToDevice(channel, block, DevicePair{left, leftStride, right, rightStride}, frames,
                   [frames](int32_t j) { return SourceFrame(j, frames); });
}

void CopyChannelToDevice(EngineChannel* channel, uint32_t selector, void* outputData) {
  selector &= 1;
  DevicePair pair;
  if (!ChannelDevicePair(channel, selector, static_cast<AudioBufferList*>(outputData), &pair, false)) return;
  ConvertChannelToDeviceRate(channel, channel->mixBuffer[selector], pair.left, pair.leftStride, pair.right,
                             pair.rightStride, gAudioBufferFrames.load());
  channel->stoppedThisCycle = 1;
}

// Each channel ramps on its own pair from its own held frame, added to what other channels on
// that pair put there.
void RampOutputPair(EngineChannel* channel, AudioBufferList* output, int32_t frames) {
  UInt32 leftStride = 0, rightStride = 0;
  float* left = LocateDeviceChannel(output, 2u * channel->outputPair, &leftStride);
  float* right = LocateDeviceChannel(output, 2u * channel->outputPair + 1, &rightStride);
  if (!left || !right || frames <= 0) return;
  const PlayRateMix& m = gPlayRateMix;
  for (int32_t i = 0; i < frames; ++i) {
    float share = float(i) / float(frames);
    float g = m.fadeMode == kFadeOut ? 1.0f - share : share;
    left[size_t(i) * leftStride] += channel->heldFrame[0] * g;
    right[size_t(i) * rightStride] += channel->heldFrame[1] * g;
  }
}

namespace {

// Going to or coming from rate 0: one ramp, then silence.
void RenderFade(EngineChannel* list, AudioBufferList* output, int32_t previousRate) {
  PlayRateMix& m = gPlayRateMix;
  if (m.currentRate == previousRate) return;  // both 0: silence
  m.fadeMode = previousRate == 0 ? kFadeIn : kFadeOut;
  uint32_t next = list->device ? (list->device->outputSelector.load() & 1) ^ 1 : 0;
  for (EngineChannel* c = list; c; c = c->next) {
    if (c->stopped) continue;
    // Fading in, each channel ramps up to the first frame of its own next block.
    if (m.fadeMode == kFadeIn) {
      const float* block = list->device ? c->mixBuffer[next] : nullptr;
      c->heldFrame[0] = block ? block[0] : 0.0f;
      c->heldFrame[1] = block ? block[1] : 0.0f;
      if (c == list) StoreHeldFrame(c->heldFrame[0], c->heldFrame[1]);
    }
    RampOutputPair(c, output, gAudioBufferFrames.load());
  }
}

// One sub-block: a new engine block when the current one is used up, else more of the last.
void RenderSubBlock(EngineChannel* list, AudioBufferList* output) {
  PlayRateMix& m = gPlayRateMix;
  AudioDriverOps* device = list->device;
  const int32_t frames = gAudioBufferFrames.load();
  uint32_t routine = device ? device->routineSelector.load() & 1 : 0;
  uint32_t mixing = device ? device->outputSelector.load() & 1 : 0;
  bool indexEqual = false;
  if (m.divisor == 0 || m.framesRemaining * m.divisor < frames) {
    if (routine != mixing || m.divisor == 0) {
      HandOffToMixer(list, output, CopyChannelToDevice);
    } else {
      for (EngineChannel* c = list; c; c = c->next) {
        c->stoppedThisCycle = c->stopped;
        if (!c->stopped) CopyChannelToDevice(c, routine, output);
      }
      if (device) device->routineSelector.fetch_xor(1);
      indexEqual = true;
    }
  } else {
    for (EngineChannel* c = list; c; c = c->next) {
      c->stoppedThisCycle = c->stopped;
      if (!c->stopped) CopyChannelToDevice(c, routine ^ 1, output);
    }
  }
  if (m.divisor == 0 || indexEqual) return;
  m.framesConsumed += frames / m.divisor;
  if (m.framesConsumed < frames) {
    m.framesRemaining = frames - m.framesConsumed;
  } else {
    m.framesConsumed = 0;
    m.framesRemaining = 0;
  }
}

}  // namespace

void RenderAtPlayRate(EngineChannel* list, AudioBufferList* output, int32_t previousRate) {
  PlayRateMix& m = gPlayRateMix;
  if (m.currentRate == 0 || previousRate == 0) {
    RenderFade(list, output, previousRate);
    MarkStoppedThisCycle(list);
    return;
  }
  m.fadeMode = kFadeNone;
  if (m.currentRate == kUnityPlayRate) {
    HandOffToMixer(list, output, HandOffChannelToDevice);
    return;
  }
  int32_t passes = std::max(1, m.repeat);
  for (m.subBlock = 0; m.subBlock < passes; ++m.subBlock) RenderSubBlock(list, output);
  m.subBlock = 0;
}
