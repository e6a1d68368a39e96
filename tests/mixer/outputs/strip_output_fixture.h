// A table of MIDI-port instruments whose first output part sends through a driver procedure
// of the test's own, which keeps every message handed to it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "song/instruments/driver_procs.h"

namespace strip_test {

constexpr DriverProcId kKeepProc = 40;

// The MIDI bytes of each record handed to the procedure, with the port it was given.
struct Sent {
  uint8_t port;
  std::vector<uint8_t> bytes;
};
extern std::vector<Sent> gSent;

class StripOutputTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Instrument i: channel, port, the kept procedure for part 0.
  uint8_t* Strip(int32_t i, uint8_t channel, uint8_t port);
};

}  // namespace strip_test
