#include "audio/recording/aiff_header.h"

#include <cmath>
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

// What the walk over the chunks found.
struct AiffScan {
  bool commSeen = false;
  bool ssndSeen = false;
  int16_t channels = 0;
  uint32_t frames = 0;
  int16_t bits = 0;
  double rate = 0.0;
  OSType compression = kFormatNone;
  int64_t dataStart = 0;
};

constexpr int32_t kAifcCommSize = kCommBodySize + 4;  // with the compression type
constexpr int32_t kSsndFieldsSize = 8;                // offset and block size

OSErr ReadComm(int16_t fork, int64_t body, uint32_t size, AiffScan& scan) {
  if (size < uint32_t(kCommBodySize) || (size > uint32_t(kCommBodySize) && size < uint32_t(kAifcCommSize)))
    return kAudioFormatUnsupportedErr;
  uint8_t b[kAifcCommSize];
  ByteCount length = size > uint32_t(kCommBodySize) ? kAifcCommSize : kCommBodySize;
  if (OSErr err = FSReadFork(fork, fsFromStart, body, length, b, nullptr)) return err;
  scan.channels = ReadI16BE(b);
  scan.frames = ReadU32BE(b + 2);
  scan.bits = ReadI16BE(b + 6);
  scan.rate = ReadExtended80(b + kRateOffsetInBody);
  scan.compression = length == kAifcCommSize ? ReadU32BE(b + kCommBodySize) : kFormatNone;
  scan.commSeen = true;
  return noErr;
}

OSErr ReadSsnd(int16_t fork, int64_t body, uint32_t size, int64_t forkSize, AiffScan& scan) {
  if (size < uint32_t(kSsndFieldsSize) || body + kSsndFieldsSize > forkSize) return kAudioFormatUnsupportedErr;
  uint8_t b[kSsndFieldsSize];
  if (OSErr err = FSReadFork(fork, fsFromStart, body, kSsndFieldsSize, b, nullptr)) return err;
  scan.dataStart = body + kSsndFieldsSize + int64_t(ReadU32BE(b));
  if (scan.dataStart > forkSize) return kAudioFormatUnsupportedErr;
  scan.ssndSeen = true;
  return noErr;
}

// Reads the chunk at pos; *next is where the one after it starts (past a pad byte). Only the
// sound data chunk may reach past the end of the file (a recording cut short).
OSErr ScanAiffChunk(int16_t fork, int64_t pos, int64_t forkSize, AiffScan& scan, int64_t* next) {
  uint8_t header[8];
  if (OSErr err = FSReadFork(fork, fsFromStart, pos, sizeof header, header, nullptr)) return err;
  OSType type = ReadU32BE(header);
  uint32_t size = ReadU32BE(header + 4);
  int64_t body = pos + 8;
  bool sound = type == FourCC("SSND");
  if (int64_t(size) > forkSize - body && !sound) return kAudioFormatUnsupportedErr;
  *next = body + int64_t(size) + (size & 1);
  if (type == FourCC("COMM") && !scan.commSeen) return ReadComm(fork, body, size, scan);
  if (sound && !scan.ssndSeen) return ReadSsnd(fork, body, size, forkSize, scan);
  return noErr;
}

// The program's format code and sample size for a compression type; 0 when it cannot play it.
// The companded and ADPCM types go to the sound converter as they are.
OSType FormatForCompression(OSType compression, int16_t* bits) {
  switch (compression) {
    case FourCC("NONE"):
    case FourCC("twos"):
      return *bits >= 1 && *bits <= 32 ? kFormatNone : 0;
    case FourCC("in24"):
      *bits = 24;
      return kFormatNone;
    case FourCC("in32"):
      *bits = 32;
      return compression;
    case FourCC("raw "):
      *bits = 8;
      return compression;
    case FourCC("fl32"):
    case FourCC("FL32"):
      *bits = 32;
      return kFormatFloat32;
    case FourCC("fl64"):
    case FourCC("FL64"):
      *bits = 64;
      return kFormatFloat64;
    case FourCC("sowt"):
      return *bits == 16 ? kFormatSwapped16 : 0;
    case FourCC("ulaw"):
    case FourCC("alaw"):
    case FourCC("ima4"):
      return compression;
    default:
      return 0;
  }
}

// Bytes of one frame in the file; 0 when the frames are packed in blocks ('ima4').
uint64_t FileFrameBytes(OSType format, int16_t channels, int16_t bits) {
  if (format == FourCC("ima4")) return 0;
  if (format == FourCC("ulaw") || format == FourCC("alaw")) return uint64_t(channels);
  return uint64_t(channels) * uint64_t((bits + 7) / 8);
}

OSErr FinishAiffHeader(const AiffScan& scan, int64_t forkSize, uint8_t* description, uint64_t* frameCount,
                       uint32_t* dataOffset, float* rate) {
  int16_t bits = scan.bits;
  OSType format = FormatForCompression(scan.compression, &bits);
  if (format == 0 || scan.channels <= 0 || !std::isfinite(scan.rate) || !(scan.rate > 0.0) ||
      scan.dataStart > int64_t(UINT32_MAX))
    return kAudioFormatUnsupportedErr;
  uint64_t frameBytes = FileFrameBytes(format, scan.channels, bits);
  uint64_t framesInFile = frameBytes ? uint64_t(forkSize - scan.dataStart) / frameBytes : UINT64_MAX;
  WriteU32BE(description + kSoundDescFormat, format);
  WriteI16BE(description + kSoundDescChannels, scan.channels);
  WriteI16BE(description + kSoundDescBits, bits);
  WriteU32BE(description + kSoundDescRate, RateToFixed(scan.rate));
  *rate = float(scan.rate);
  *frameCount = scan.frames < framesInFile ? scan.frames : framesInFile;
  *dataOffset = uint32_t(scan.dataStart);
  return noErr;
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

OSErr ReadAiffHeader(int16_t fork, uint8_t* description, uint64_t* frameCount, uint32_t* dataOffset,
                     float* rate) {
  SInt64 pos = 0, forkSize = 0;
  OSErr err = FSGetForkPosition(fork, &pos);
  if (err == noErr) err = FSGetForkSize(fork, &forkSize);
  if (err != noErr) return err;
  uint8_t form[12];
  if (forkSize - pos < int64_t(sizeof form)) return kAudioFormatUnsupportedErr;
  if ((err = FSReadFork(fork, fsFromStart, pos, sizeof form, form, nullptr)) != noErr) return err;
  OSType formType = ReadU32BE(form + 8);
  if (ReadU32BE(form) != FourCC("FORM") || (formType != FourCC("AIFF") && formType != FourCC("AIFC")))
    return kAudioFormatUnsupportedErr;
  AiffScan scan;
  // Each chunk moves the walk on by at least its 8-byte header; it ends at the file's end.
  for (pos += sizeof form; !(scan.commSeen && scan.ssndSeen) && pos + 8 <= forkSize;) {
    int64_t next = pos;
    if ((err = ScanAiffChunk(fork, pos, forkSize, scan, &next)) != noErr) return err;
    pos = next;
  }
  if (!(scan.commSeen && scan.ssndSeen)) return kAudioFormatUnsupportedErr;
  return FinishAiffHeader(scan, forkSize, description, frameCount, dataOffset, rate);
}
