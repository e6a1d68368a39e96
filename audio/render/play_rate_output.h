// The output path at play rates other than 1.0: fast play repeats the hand-off several
// times per device buffer, each engine block decimated; slow play stretches one engine block
// over several device buffers, each source frame written several times; going to or coming
// from rate 0 plays a short ramp from or to the last frame heard.
#pragma once

#include <cstdint>

#include "platform/coreaudio/audio_types.h"

struct EngineChannel;

constexpr int32_t kUnityPlayRate = 0x10000;  // 16.16

enum PlayRateFade : uint8_t { kFadeNone = 0, kFadeIn = 1, kFadeOut = 2, kFadeSilence = 3 };

// The requested play rate and the one the output path plays at, with the state of the block
// being stretched. Written by SetPlayRate (main thread: the requested fields) and by the
// output path (device thread: the rest).
struct PlayRateMix {
  int32_t requestedRate = kUnityPlayRate;
  int32_t requestedRepeat = 1;
  int32_t requestedDivisor = 0;
  int32_t currentRate = kUnityPlayRate;
  int32_t repeat = 1;    // engine blocks per device buffer (fast play)
  int32_t divisor = 0;   // device buffers per engine block (slow play)
  int32_t subBlock = 0;
  int32_t framesConsumed = 0;
  int32_t framesRemaining = 0;
  float heldLeft = 0.0f;  // the last frame written to the device
  float heldRight = 0.0f;
  uint8_t fadeMode = kFadeNone;
};
extern PlayRateMix gPlayRateMix;

// The driver's prepare call: repeat counts are powers of two (3 plays as 2, 5..7 as 4 ...);
// slower rates go in quarter steps from 0.25 with the divisor 0x10000 / rate (0.75 plays as
// 0.5: a divisor plays whole fractions only). A rate other
// than 1.0 moves the hand-off states (4, 5) to state 6. Answers 0.
int32_t SetPlayRate(int32_t rate);
// Takes the requested rate when no stretched block is under way; answers the rate before.
int32_t TakeRequestedPlayRate();

// Adds a block at the current repeat count or divisor into two device channels.
void ConvertChannelToDeviceRate(EngineChannel* channel, const float* block, float* left, UInt32 leftStride,
                                float* right, UInt32 rightStride, int32_t frames);
// The per-channel routine of the play-rate path: as the hand-off, but the block stays marked
// as rendered (it may be played again).
void CopyChannelToDevice(EngineChannel* channel, uint32_t selector, void* output);
// m frames of the fade ramp from or to the channel's held frame, added into its own pair.
void RampOutputPair(EngineChannel* channel, AudioBufferList* output, int32_t frames);
// State 6: one device buffer at the current play rate.
void RenderAtPlayRate(EngineChannel* list, AudioBufferList* output, int32_t previousRate);
