// A test rig for the engine: one driver record, engine channels fed by a test-only source (a
// stream reader that fills each half with a constant signal) and device buffers laid out as
// two stereo buffers, so that output pairs 0 and 1 land in different buffers.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_channels.h"
#include "audio/render/channel_render.h"
#include "platform/coreaudio/audio_types.h"

namespace engine_test {

constexpr int32_t kFrames = 64;

struct TestSignal {
  float left = 0.0f;   // in the block's own scale: integers for 16-bit blocks
  float right = 0.0f;
  std::atomic<bool> holdRefills{false};   // a refill waits (bounded) while set: a late disk
  std::atomic<uint32_t> refills{0};
  // A counting source instead: the left side of frame n is n, the right side -n (in the
  // block's own scale), the frames numbered on across refills.
  bool ramp = false;
  int32_t nextFrame = 0;
};

// The test source: fills a half with the constant signal, or with the next frames of the ramp.
int32_t TestSourceReader(EngineChannel* channel, int32_t half, void* buffer, uint8_t* ready);

// A chain that hands its inputs on as its outputs (silence where it has no input).
int32_t PassThroughChain(void* context, float* const* inputs, int32_t inputCount, float** outputs, int32_t count,
                         int32_t frames);

// The null device in manual mode (waiting, bounded, until a device stopped from inside its
// callback may switch) with the given buffer size; kAudioDeviceUnknown on failure.
AudioDeviceID NullDeviceInManualMode(UInt32 frames);

class EngineRig {
 public:
  explicit EngineRig(int32_t frames = kFrames);
  ~EngineRig();
  // A streaming channel fed by the test source: frameChannels 1 or 2, sampleBits 16 or 32.
  EngineChannel* AddChannel(int32_t frameChannels, int16_t sampleBits, float left, float right,
                            int32_t blocksPerHalf = 4, bool ramp = false);
  // A streaming channel fed by the counting source.
  EngineChannel* AddRampChannel(int32_t frameChannels, int16_t sampleBits, int32_t blocksPerHalf = 4);
  TestSignal& Signal(EngineChannel* channel);
  // Runs the output procedure once with zeroed device buffers.
  void Cycle();
  // Waits (bounded) until the disk thread has served every refill of the rig's channels.
  void WaitForRefills();
  // Waits (bounded) until the engine thread has mixed `count` cycles in all.
  bool WaitForMixes(uint32_t count);
  float Sample(uint32_t deviceChannel, int32_t frame) const;

  AudioDriverOps driver;

 private:
  std::vector<EngineChannel*> channels_;
  std::vector<std::unique_ptr<TestSignal>> signals_;
  std::vector<float> buffers_[2];
  std::vector<uint8_t> listBytes_;
  uint64_t hostTime_ = 1000000;
  int32_t frames_ = kFrames;
};

}  // namespace engine_test
