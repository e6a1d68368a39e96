// A small world for the instrument table tests: a table of instruments on MIDI ports, and open
// songs made of TrackEntry records whose instrument words point into it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/memory/mac_types.h"

namespace instrument_test {

// One track of a test song: its instrument words (channel 0 first) and whether it plays
// through the table.
struct TrackSpec {
  std::vector<uint16_t> words;
  bool playsThroughTable = true;
  std::vector<Handle> children;  // child sequences, each a song block
};

class InstrumentTableTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A table of `count` instruments: instrument i on device kind 18, port i / 16, channel i % 16.
  void MakeTable(int32_t count);
  // A song block (not registered as open) with the given tracks.
  Handle MakeSongBlock(const std::vector<TrackSpec>& tracks, bool link = false);
  // Registers song blocks as the open songs; CloseSongs disposes them.
  void OpenSongs(const std::vector<Handle>& songs);
  void CloseSongs();
  uint16_t Word(Handle song, int32_t track, int32_t channel) const;
  bool PlaysThroughTable(Handle song, int32_t track) const;
  std::string Name(int32_t index) const;
  void SetOutput(int32_t index, uint8_t kind, uint8_t port, uint8_t channel);

  std::vector<Handle> songs_;
  uint32_t liveHandlesAtStart_ = 0;
};

}  // namespace instrument_test
