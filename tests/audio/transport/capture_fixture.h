// The engine heard on the null audio device: the device in manual mode at a buffer size with
// its WAV capture on, device buffers run one at a time (each followed by the engine's mix of
// it), what was heard read back, and a channel of a counting source (1, 2, 3, ... numbered on
// across the halves in the order the disk thread fills them), so that a block heard twice,
// skipped or out of order breaks the count.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_channels.h"
#include "audio/render/channel_render.h"
#include "platform/coreaudio/audio_types.h"
#include "platform/files/forks.h"
#include "tests/sequencer/transport/transport_fixture.h"
#include "tests/test_support.h"

namespace capture_test {

constexpr int32_t kBlocksPerHalf = 4;
constexpr float kStep = 1.0f / 32768.0f;  // one count as heard
constexpr int32_t kCountCycle = 30000;    // the count runs 1 ... 30000, then from 1 again

// The count heard at a frame of a pass (never 0: silence is no count).
inline float CountAt(size_t frame) { return float(1 + int32_t(frame % kCountCycle)) * kStep; }

// The counting source's stream reader; its context is the int32_t count.
int32_t CountingReader(EngineChannel* channel, int32_t half, void* buffer, uint8_t* ready);

// The left channel of a WAV file (empty when it cannot be read).
std::vector<float> ReadLeft(const std::string& path);
// Channel `side` of a WAV file (the last one when it has fewer); empty when it cannot be read.
std::vector<float> ReadSide(const std::string& path, int32_t side);

}  // namespace capture_test

class CaptureTest : public TransportTest {
 protected:
  // Opens the null device as the output at `frames` a buffer, capturing into the named file of
  // the test's folder; the audio hooks installed.
  void OpenCapture(int32_t frames, const std::string& name);
  void TearDown() override;
  // Starts capturing into another file of the test's folder.
  void CaptureInto(const std::string& name);
  // A mono 16-bit channel of the counting source on the host driver, ready in the engine's slots
  // as a song's audio track leaves it (both halves filled), rendered through renderState if any.
  EngineChannel* AddCountingChannel(ChannelRenderState* renderState = nullptr);
  // An audio track's channel as its preparation receives it, on the host driver at unity
  // gain: the file's fork, its format (44.1 kHz) and description, and the regions it plays.
  EngineChannel* AddFileChannel(FSIORefNum fork, OSType format, uint16_t width, int32_t channels,
                                const AudioFileDescription* description, Handle regions);
  // Device buffers, each followed by the engine's mix and (so that a loaded machine never
  // makes an underrun of it) by the disk worker serving the refills that mix asked for.
  void PlayServedCycles(EngineChannel* c, int32_t count);
  // Device buffers, each (while blocks are handed off) followed by the engine's mix of it.
  void Cycles(int32_t count);
  // Closes the output and answers what was heard.
  std::vector<float> Heard();

  AudioDeviceID device_ = kAudioDeviceUnknown;
  AudioDriverOps* savedDevices_ = nullptr;
  zarin_test::TempFolder folder_;
  std::string wav_;
  int32_t counted_ = 0;
  int32_t frames_ = 64;
};
