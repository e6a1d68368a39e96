// The output render path at play rate 1.0: once per device buffer it advances the driver
// state through prime, warm-up and hand-off, copies the block the engine mixed last into the
// device's output buffers by each channel's output pair, flips the routine selector and has
// the engine thread mix the next block.
//
// Play rates other than 1.0 and their fades are in play_rate_output.h. Interim: no output
// unit (an effect over the whole device output) is opened yet.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/coreaudio/audio_types.h"

struct EngineChannel;

// Hand-offs that found the channel's block not yet mixed (the engine thread was late).
extern std::atomic<uint32_t> gLateMixHandOffs;

void RenderAudioOutput(EngineChannel* list, AudioBufferList* output, const AudioTimeStamp* outputTime,
                       int32_t state, const AudioTimeStamp* now);
// The state's part of one device buffer; previousRate is the play rate before this buffer.
void RenderStateBlock(EngineChannel* list, AudioBufferList* output, int32_t state, int32_t previousRate);
int32_t HandOffToMixer(EngineChannel* list, AudioBufferList* output,
                       void (*routine)(EngineChannel*, uint32_t, void*));
void HandOffChannelToDevice(EngineChannel* channel, uint32_t selector, void* output);
// Adds an interleaved stereo block into two device channels (each with its buffer's stride);
// the peak words take the largest magnitude, clipped is set at 1.0 or beyond.
void ConvertChannelToDevice(EngineChannel* channel, const float* block, float* left, UInt32 leftStride,
                            float* right, UInt32 rightStride, int32_t frames);
// The sample of device channel c: its buffer's data and stride; null when the channel is
// beyond the last buffer.
float* LocateDeviceChannel(AudioBufferList* list, UInt32 channel, UInt32* stride);

// The two device channels of a channel's output pair, each with its buffer's stride.
struct DevicePair {
  float* left = nullptr;
  UInt32 leftStride = 0;
  float* right = nullptr;
  UInt32 rightStride = 0;
};
// True when the channel's block of the selector goes to the device this cycle (pair filled).
// A block not mixed yet clears the channel's peaks (counted as a late hand-off when
// countLate); a missing block latches error 2.
bool ChannelDevicePair(EngineChannel* channel, uint32_t selector, AudioBufferList* output, DevicePair* pair,
                       bool countLate);
// Raises the channel's peak words (largest magnitudes) and sets clipped at 1.0 or beyond.
void FinishDevicePeaks(EngineChannel* channel, float peakLeft, float peakRight, float outPeak);

// Adds an interleaved stereo block into a device pair: device frame j takes source frame
// sourceOf(j) (none when negative); 0.0 leaves the device sample alone. The last frame
// written becomes the play-rate path's held frame.
template <typename SourceOf>
void AddBlockToDevice(EngineChannel* channel, const float* block, const DevicePair& pair, int32_t frames,
                      SourceOf sourceOf);

#include "audio/render/output_render_block.h"
