// Ogg Vorbis files for the media tests: made at test time by sox and oggenc (sweeps, so that
// order and channels show), the Debian sound theme's files, and an independent decode of any
// of them by libsndfile.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <sndfile.h>

#include "platform/files/file_types.h"

namespace zarin_test {

// The Debian sound theme's Ogg files (sound-theme-freedesktop).
std::string ThemeSound(const std::string& name);

// Runs a shell command; true when it exits with 0.
bool RunCommand(const std::string& command);
// A sweep of `seconds` at the rate, one sweep per channel in opposite directions, as Ogg
// Vorbis; true when sox made it.
bool MakeOggSweep(const std::string& path, int rate, int channels, double seconds);

// The samples libsndfile decodes from a file, interleaved, in -1..1.
struct DecodedAudio {
  int channels = 0;
  int rate = 0;
  std::vector<float> samples;
  int64_t Frames() const { return channels ? int64_t(samples.size()) / channels : 0; }
};
DecodedAudio DecodeWithSndfile(const std::string& path);

// The integer samples libsndfile reads from a file (scaled to 32 bits), interleaved, with the
// file's format in *info; empty when it cannot read it.
std::vector<int32_t> ReadSndfileInts(const std::string& path, SF_INFO* info);

// A float sample as the 16-bit value the codec's integer output gives (rounded, clipped).
int32_t To16(float sample);

FSSpec SpecFor(const std::string& path);

}  // namespace zarin_test
