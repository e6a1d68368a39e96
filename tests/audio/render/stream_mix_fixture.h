// Channels for the stream mixer's tests: a channel with its two output halves, ramp blocks
// in each width (so a sample that lands on the wrong frame or side shows), and the half read
// back in 16-bit terms.
#pragma once

#include <cstdint>
#include <vector>

#include "audio/engine/engine_channels.h"

namespace stream_mix_test {

// Odd and not a power of two, so a segment cut or a ramp off by one frame shows.
constexpr int32_t kBlockFrames = 45;

struct TestChannel {
  explicit TestChannel(int16_t outputWidth = 16, int32_t frameChannels = 1, int32_t frames = kBlockFrames);
  ~TestChannel();
  TestChannel(const TestChannel&) = delete;
  TestChannel& operator=(const TestChannel&) = delete;
  EngineChannel* operator->() { return channel; }
  // Side `side` of frame f of the half of selector s, as float and as a 16-bit value.
  float Out(uint32_t s, int32_t f, int32_t side) const;
  int32_t Out16(uint32_t s, int32_t f, int32_t side) const;

  EngineChannel* channel;
};

// Ramps: left of frame f is step x (f + 1), right is -step x (f + 1) (mono: the left only).
std::vector<int16_t> Ramp16(int32_t frames, int32_t channels, int32_t step);
std::vector<int8_t> Ramp8(int32_t frames, int32_t channels, int32_t step);
std::vector<float> RampFloat(int32_t frames, int32_t channels, float step);

// A list of automation records {time, level, pan, kind, index}, ended by the end record.
struct TestRecord {
  uint32_t time;
  uint16_t level;
  int16_t pan;
  uint8_t kind;
  int16_t index = 0;
  uint8_t flags = 0;
};
Handle MakeAutomation(const std::vector<TestRecord>& records);

// Installs aux bus channels 1..n as gAuxBusChannels for the test's lifetime.
struct AuxBuses {
  explicit AuxBuses(int32_t count, int16_t outputWidth = 16);
  ~AuxBuses();
  EngineChannel* Bus(int32_t bus) { return buses[size_t(bus - 1)]->channel; }
  std::vector<TestChannel*> buses;
};

}  // namespace stream_mix_test
