// Writing click sample files: the build makes the plug-in's two clicks with it, and tests
// make files of every shape the reader has to take or refuse.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/memory/mac_types.h"

struct ClickAiffFormat {
  uint16_t channels = 1;
  uint16_t sampleBits = 16;
  double sampleRate = 44100.0;
  uint32_t frames = 0;
  OSType compression = 0;  // 0: plain AIFF; otherwise an AIFF-C file of that type
};

// The bytes of an AIFF or AIFF-C file holding `data` as the sound data, stored as given.
std::vector<uint8_t> BuildClickAiff(const ClickAiffFormat& format, const uint8_t* data,
                                    size_t dataBytes);

// 16-bit big-endian mono samples of floats (clipped to -1.0 up to 1.0).
std::vector<uint8_t> EncodeClickSamples16(const float* samples, uint32_t frames);

// Writes a 16-bit mono AIFF file: into a new file beside `path`, renamed over it at the end,
// so an existing file is only replaced by a complete one. noErr or kClickIOErr.
OSErr WriteClickAiffFile(const char* path, const float* samples, uint32_t frames,
                         double sampleRate);
