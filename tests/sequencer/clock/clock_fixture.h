// Shared set-up of the clock tests: the manual Time Manager clock, tempo tables at 480 ticks
// per quarter and 30 frames per second, a driver procedure that records every message with the
// manual time it was sent at, and song blocks built in memory.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "platform/memory/mac_types.h"

struct SentMessage {
  uint64_t nanos;
  uint8_t output;
  uint8_t status, data1, data2;
  uint8_t length;
};

constexpr uint32_t kRecorderProc = 60;

extern std::vector<SentMessage> gSent;

struct TestEvent {
  uint32_t tick;
  uint8_t status, d1, d2;
  uint16_t duration;
};

struct TestTrack {
  std::vector<TestEvent> events;
  uint8_t flags = 0x04;
  uint32_t length = 0;
  uint8_t output = 1;
  std::vector<Handle> children;
  Handle drum;
  // Sequence references: {tick, child slot, length in ticks}.
  std::vector<std::array<uint32_t, 3>> references;
};

// A section list of {start, length, repeats} entries: a section of length L plays ticks
// start..start + L - 2, so its end is start + L - 1.
Handle MakeSections(const std::vector<std::array<uint32_t, 3>>& sections);

class ClockTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // A song block of the tracks; conductor records {tick, tempo}.
  Handle MakeSong(const std::vector<TestTrack>& tracks,
                  const std::vector<std::pair<int32_t, uint16_t>>& tempos, uint16_t tempo = 1200);
  // Prepares the song, installs the play task at tick 0 and runs the manual clock for ticks.
  void Play(Handle song, uint32_t ticks);
  // Fires the installed task until the song tick reaches ticks.
  void RunTicks(uint32_t ticks);
  // The key of each note-on sent (velocity above 0), in order.
  std::vector<uint32_t> NoteOnNotes();
  uint64_t startNanos = 0;
  std::vector<Handle> handles;
};
