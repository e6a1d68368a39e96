// The live MIDI ring of a plug-in device: 256 short messages that the MIDI input thread, main
// thread tools and the engine thread itself put in, and that the engine takes out once per
// block. Any number of writers, one reader; lock-free (a writer claims a cell with a
// compare-and-swap on the write index and publishes it with a release store of the cell's
// sequence word), never blocks, never allocates. A full ring drops the new message.
#pragma once

#include <atomic>
#include <cstdint>

constexpr uint32_t kLiveRingSize = 256;

struct LiveMidiCell {
  std::atomic<uint32_t> sequence{0};
  uint8_t bytes[3] = {0, 0, 0};
};

struct PluginMidiRing;
void ResetPluginMidiRing(PluginMidiRing* ring);

struct PluginMidiRing {
  PluginMidiRing() { ResetPluginMidiRing(this); }
  std::atomic<uint32_t> writeIndex{0};
  uint32_t readIndex = 0;  // the engine's alone
  LiveMidiCell cells[kLiveRingSize];
};

// ResetPluginMidiRing empties the ring (no writer or reader may run meanwhile).
// Puts status, data1, data2 (above 127 becomes 0) into the ring; false when it was full.
bool PutLiveMidiMessage(PluginMidiRing* ring, uint8_t status, uint8_t data1, uint8_t data2);
// Takes the oldest message; false when none is ready. The reader only.
bool TakeLiveMidiMessage(PluginMidiRing* ring, uint8_t bytes[3]);
