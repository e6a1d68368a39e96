// Reading what the real program played: the null device's WAV capture, and whether the
// program's information file knows a plug-in (its background examination has answered).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace program_test {

// The samples of a float or 16-bit WAV file, every channel; the data chunk is read to the
// end of the file, so a capture whose header was never finished still counts.
std::vector<float> WavSamples(const std::string& bytes);
float Peak(const std::vector<float>& samples);
// True when a file below the folder holds the plug-in's unique ID (either byte order).
bool FolderKnowsId(const std::string& folder, uint32_t id);

}  // namespace program_test
