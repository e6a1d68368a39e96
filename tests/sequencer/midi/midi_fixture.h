// MIDI tests: the clock fixture plus the MIDI driver started on virtual endpoints only, a
// virtual destination that keeps what it receives, and a driver procedure that records
// every message handed to it.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/coremidi/midi_types.h"
#include "tests/sequencer/clock/clock_fixture.h"

struct Received {
  uint64_t stamp;
  std::vector<uint8_t> bytes;
};

// Messages handed to kCaptureProc: {port, MIDI bytes}.
constexpr uint32_t kCaptureProc = 61;
struct Captured {
  uint8_t port;
  std::vector<uint8_t> bytes;
};
extern std::vector<Captured> gCaptured;

class MidiTest : public ClockTest {
 public:
  // Called on the MIDI thread by the destination's read procedure.
  void Keep(uint64_t stamp, const uint8_t* data, size_t n);

 protected:
  void SetUp() override;
  void TearDown() override;
  // A virtual destination of our client; answers its index in the port table.
  int32_t MakeDestination(const char* name);
  // Waits (at most two seconds) until the destination holds n messages.
  std::vector<Received> WaitForReceived(size_t n);
  MIDIEndpointRef destination = 0;
  std::mutex mutex;
  std::vector<Received> received;
};

// Points every track of a song at a driver procedure and port.
void RouteSongTracks(Handle song, uint32_t proc, uint8_t port);
