// The stream parameters of an AIFF, AIFF-C or WAVE file as its header states them, read the
// way the engine's header reader hands them to a track: the sample format code, width and
// channel count, a WAVE file's format block, and where the sample data lies; and the file
// opened as the engine's stream reads open it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/files/forks.h"
#include "platform/memory/mac_types.h"

namespace stream_test {

struct FileFormat {
  OSType format = 0;
  int16_t width = 0;
  int32_t channels = 0;
  std::vector<uint8_t> wave;  // a WAVE file's format block
  std::vector<uint8_t> data;  // the sample data
  uint32_t dataOffset = 0;    // the byte position of the sample data in the file
};

std::vector<uint8_t> ReadAll(const std::string& path);
// The chunks of an AIFF, AIFF-C or WAVE file; false when it holds no sound.
bool ParseHeader(const std::vector<uint8_t>& file, FileFormat* out);
// The file's data fork opened for reading, as the engine streams it; 0 when it cannot be.
FSIORefNum OpenReadFork(const std::string& path);

}  // namespace stream_test
