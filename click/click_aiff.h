// The click plug-in's own reader of AIFF and AIFF-C sample files. It finds the 'COMM' and
// 'SSND' chunks, checks every length against the file, and decodes integer samples of 1 to
// 32 bits, big- or little-endian ('sowt'), any channel count, into mono floats (the channels
// averaged). Everything else (compressed or float data, absurd rates or lengths) is refused.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/memory/mac_types.h"

// Result codes of the reader (the Mac OS codes of the same meaning).
enum : OSErr {
  kClickIOErr = -36,
  kClickEOFErr = -39,
  kClickFileNotFoundErr = -43,
  kClickPermissionErr = -54,
  kClickNotAudioFileErr = -208,
};

// What a click file may be.
constexpr uint32_t kClickMaxFrames = 1u << 22;
constexpr uint16_t kClickMaxChannels = 32;
constexpr double kClickMinRate = 1000.0;
constexpr double kClickMaxRate = 768000.0;
constexpr size_t kClickMaxFileBytes = size_t(64) << 20;

struct ClickAiffInfo {
  uint16_t channels = 0;
  uint16_t sampleBits = 0;      // as the file states it
  uint16_t bytesPerSample = 0;  // (sampleBits + 7) / 8
  bool littleEndian = false;    // AIFF-C 'sowt'
  double sampleRate = 0.0;      // in Hz
  uint32_t frames = 0;
  uint32_t dataOffset = 0;      // byte offset of the first sample frame in the file
};

// Parses the header of a whole file in memory. On noErr, frames x channels x bytesPerSample
// bytes from dataOffset lie inside the file. kClickNotAudioFileErr for anything else.
OSErr ParseClickAiffHeader(const uint8_t* bytes, size_t size, ClickAiffInfo* info);

// Decodes info.frames mono samples (-1.0 up to 1.0) of a file parsed by ParseClickAiffHeader.
// A 16-bit sample v gives v / 32768.
void DecodeClickSamples(const uint8_t* bytes, const ClickAiffInfo& info, float* out);

// Reads a whole file (at most kClickMaxFileBytes) into a new block the caller frees with
// std::free. kClickFileNotFoundErr or kClickPermissionErr when it cannot be opened,
// kClickNotAudioFileErr when it is no regular file or too large, memFullErr, kClickIOErr.
OSErr ReadClickFileBytes(const char* path, uint8_t** bytes, size_t* size);
