// The stream parameters of an AIFF, AIFF-C or WAVE file as its header states them, read the
// way the engine's header reader hands them to a track: the sample format code, width and
// channel count, a WAVE file's format block, and where the sample data lies.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

}  // namespace stream_test
