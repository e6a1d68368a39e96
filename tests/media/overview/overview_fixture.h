// Shared set-up of the overview tests: audio files made by sox, read back independently with
// libsndfile; the song's referenced-file table and a region list that plays them (with a
// silent region between two parts of the file); the overview a plain per-tick min/max of the
// played samples gives; and an overview block read back tick by tick.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/memory/mac_types.h"
#include "tests/song/conductor/conductor_fixture.h"
#include "tests/test_support.h"

namespace overview_test {

using TickValue = std::optional<std::pair<int32_t, int32_t>>;  // (lowest, highest), none: no waveform

// Samples of a file as libsndfile reads them: 32-bit integers, or floats for a float file.
struct Samples {
  int32_t channels = 0;
  int64_t frames = 0;
  bool isFloat = false;
  std::vector<int32_t> ints;  // interleaved
  std::vector<float> floats;
};

// Makes a file with sox from nothing: the format options, then the effect from "synth" on;
// false when sox fails.
bool MakeSoxFile(const std::string& path, const std::string& arguments);
Samples ReadSamples(const std::string& path);
// A copy of a 16-bit AIFF as an AIFF-C with little-endian ('sowt') samples.
bool WriteSowtCopy(const std::string& from, const std::string& to);

// A played stretch: frames from the file (at a frame of it), or silence.
struct Piece {
  int64_t fileFrame = 0;
  int64_t frames = 0;
  bool silent = false;
};

// The file open in entry 0 of the song's referenced-file table, and regions for the pieces.
class PlayedFile {
 public:
  bool Open(const std::string& path);
  ~PlayedFile();
  Handle MakeRegions(const std::vector<Piece>& pieces) const;
  // The current track gets a new main audio record playing the pieces at rate.
  Handle AttachToCurrentTrack(const std::vector<Piece>& pieces, float rate) const;
  OSType format = 0;
  int16_t bits = 0;
  int16_t channels = 0;
  uint32_t dataOffset = 0;

 private:
  int16_t fork_ = 0;
  Handle table_;
  Handle savedTable_;
};

// The samples the pieces play, one after another.
Samples PlayedSamples(const Samples& file, const std::vector<Piece>& pieces);
// Per tick of the current song, for each channel: the lowest and highest quantised sample of
// the tick (none where all its samples are zero); ticks from 1 to the one the audio ends in.
std::vector<std::vector<TickValue>> ExpectedOverview(const Samples& played, float rate);
// The entries in use of a block as values per tick from tick 1.
std::vector<TickValue> BlockTicks(Handle block);
// The same as ticks, padded with no waveform to length.
std::vector<TickValue> Padded(std::vector<TickValue> ticks, size_t length);

}  // namespace overview_test
