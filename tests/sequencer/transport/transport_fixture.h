// The clock tests' fixture with the transport's state reset: the song under test is the
// transport's song, MIDI clock goes to the recorder on its own port, and the idle tasks,
// cycle, count-in and sync settings start cleared.
#pragma once

#include "tests/sequencer/clock/clock_fixture.h"

constexpr uint8_t kClockPort = 9;

// A track of these events on output 1.
TestTrack Track(std::vector<TestEvent> events);

class TransportTest : public ClockTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Fires the installed task for the given manual time.
  void RunFor(uint64_t nanos);
  // Messages sent on a port.
  std::vector<SentMessage> SentOn(uint8_t port) const;
};
