#include "audio/recording/aiff_header.h"

#include <cstring>

#include "audio/recording/audio_file_header.h"
#include "platform/files/forks.h"
#include "platform/memory/byte_order.h"

namespace {

constexpr uint32_t kAifcVersion = 0xA2805140;  // the one AIFF-C version
constexpr int32_t kCommBodySize = 18;
constexpr int32_t kRateOffsetInBody = 8;
constexpr int32_t kLargestHeader = 128;

bool IsPlainAiff(OSType formatCode) { return formatCode == kFormatNone || formatCode == kFormatInt24; }

// The compression name AIFF-C carries after the type, as a Pascal string padded to even length.
const char* CompressionName(OSType formatCode) {
  return formatCode == kFormatFloat32 ? "32-bit floating point" : "";
}

int32_t PaddedNameLength(OSType formatCode) {
  int32_t n = int32_t(std::strlen(CompressionName(formatCode))) + 1;
  return n + (n & 1);
}

int32_t CommSize(OSType formatCode) {
  return IsPlainAiff(formatCode) ? kCommBodySize : kCommBodySize + 4 + PaddedNameLength(formatCode);
}

// Writes a chunk header and returns the bytes after it.
uint8_t* PutChunk(uint8_t* at, const char (&type)[5], uint32_t size) {
  WriteU32BE(at, FourCC(type));
  WriteU32BE(at + 4, size);
  return at + 8;
}

uint8_t* PutComm(uint8_t* at, int16_t channels, int16_t bits, OSType formatCode, uint32_t frames,
                 double rate) {
  uint8_t* body = PutChunk(at, "COMM", uint32_t(CommSize(formatCode)));
  WriteI16BE(body, channels);
  WriteU32BE(body + 2, frames);
  WriteI16BE(body + 6, bits);
  WriteExtended80(body + kRateOffsetInBody, rate);
  if (IsPlainAiff(formatCode)) return body + kCommBodySize;
  WriteU32BE(body + kCommBodySize, formatCode);
  uint8_t* name = body + kCommBodySize + 4;
  std::memset(name, 0, size_t(PaddedNameLength(formatCode)));
  name[0] = uint8_t(std::strlen(CompressionName(formatCode)));
  std::memcpy(name + 1, CompressionName(formatCode), name[0]);
  return name + PaddedNameLength(formatCode);
}

// The header as the classic routine lays it out, the rate given in 16.16.
int32_t BuildHeader(uint8_t* out, int16_t channels, int16_t bits, OSType formatCode, uint32_t byteCount,
                    uint32_t frames, uint32_t fixedRate) {
  const int32_t length = AiffHeaderLength(formatCode);
  uint8_t* at = PutChunk(out, "FORM", uint32_t(length - 8) + byteCount);
  WriteU32BE(at, FourCC(IsPlainAiff(formatCode) ? "AIFF" : "AIFC"));
  at += 4;
  if (!IsPlainAiff(formatCode)) {
    at = PutChunk(at, "FVER", 4);
    WriteU32BE(at, kAifcVersion);
    at += 4;
  }
  at = PutComm(at, channels, bits, formatCode, frames, double(fixedRate) / 65536.0);
  at = PutChunk(at, "SSND", 8 + byteCount);
  std::memset(at, 0, 8);  // offset and block size
  return length;
}

uint32_t FramesForBytes(uint64_t byteCount, int16_t channels, int16_t bits) {
  uint64_t frameBytes = uint64_t(channels) * uint64_t((bits + 7) / 8);
  return frameBytes ? uint32_t(byteCount / frameBytes) : 0;
}

// The classic header routine: the header at the fork's position, in one write.
OSErr SetupAiffHeader(int16_t fork, int16_t channels, uint32_t fixedRate, int16_t bits, OSType formatCode,
                      uint32_t byteCount, uint32_t frames) {
  uint8_t header[kLargestHeader];
  int32_t length = BuildHeader(header, channels, bits, formatCode, byteCount, frames, fixedRate);
  ByteCount written = 0;
  OSErr err = FSWriteFork(fork, fsAtMark, 0, ByteCount(length), header, &written);
  if (err == noErr && written != ByteCount(length)) err = ioErr;
  return err;
}

}  // namespace

int32_t AiffHeaderLength(OSType formatCode) {
  const int32_t form = 12, fver = 12, ssnd = 16;
  if (IsPlainAiff(formatCode)) return form + 8 + CommSize(formatCode) + ssnd;
  return form + fver + 8 + CommSize(formatCode) + ssnd;
}

uint64_t MaxAiffAudioBytes(OSType formatCode) {
  // The FORM size counts the header after its own 8 bytes and the audio, in 32 bits.
  return 0xFFFFFFFFull - uint64_t(AiffHeaderLength(formatCode) - 8);
}

OSErr WriteAiffHeader(int16_t fork, int16_t channels, int16_t bits, OSType formatCode, uint64_t byteCount,
                      uint32_t frameCount, double rate) {
  if (formatCode == kFormatInt24) {
    formatCode = kFormatNone;
    bits = 24;
  }
  if (channels <= 0 || bits <= 0) return paramErr;
  if (byteCount > MaxAiffAudioBytes(formatCode)) return kAudioFileTooLargeErr;
  if (frameCount == 0) frameCount = FramesForBytes(byteCount, channels, bits);
  OSErr err = SetupAiffHeader(fork, channels, RateToFixed(rate), bits, formatCode, uint32_t(byteCount),
                              frameCount);
  if (err != noErr || !(rate >= 65536.0)) return err;
  SInt64 saved = 0;
  err = FSGetForkPosition(fork, &saved);
  if (err != noErr) return err;
  PatchAiffSampleRate(fork, rate);
  return FSSetForkPosition(fork, fsFromStart, saved);
}

void PatchAiffSampleRate(int16_t fork, double rate) {
  SInt64 forkSize = 0;
  if (FSGetForkSize(fork, &forkSize) != noErr) return;
  SInt64 offset = 0;
  uint8_t chunk[8 + kCommBodySize];
  while (offset + 8 <= forkSize) {
    if (FSReadFork(fork, fsFromStart, offset, 8, chunk, nullptr) != noErr) return;
    OSType type = ReadU32BE(chunk);
    SInt64 size = ReadU32BE(chunk + 4);
    if (type == FourCC("COMM")) {
      if (size < kCommBodySize || offset + 8 + kCommBodySize > forkSize) return;
      if (FSReadFork(fork, fsAtMark, 0, kCommBodySize, chunk + 8, nullptr) != noErr) return;
      WriteExtended80(chunk + 8 + kRateOffsetInBody, rate);
      FSWriteFork(fork, fsFromStart, offset, sizeof chunk, chunk, nullptr);
      return;
    }
    if (type == FourCC("FORM")) size = 4;
    offset += size + (size & 1) + 8;
  }
}
