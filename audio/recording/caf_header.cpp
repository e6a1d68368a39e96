#include "audio/recording/caf_header.h"

#include <cmath>

#include "audio/recording/audio_file_header.h"
#include "platform/files/forks.h"
#include "platform/memory/byte_order.h"

namespace {

constexpr OSType kLinearPcm = FourCC("lpcm");
constexpr uint32_t kCafFloatFlag = 1;
constexpr uint32_t kCafLittleEndianFlag = 2;
constexpr int32_t kChunkHeaderSize = 12;
constexpr int32_t kDescSize = 32;
constexpr int64_t kSizeUnknown = -1;

OSErr WritePiece(int16_t fork, const uint8_t* bytes, int32_t length) {
  ByteCount written = 0;
  OSErr err = FSWriteFork(fork, fsAtMark, 0, ByteCount(length), bytes, &written);
  if (err == noErr && written != ByteCount(length)) err = ioErr;
  return err;
}

void PutChunkHeader(uint8_t* at, const char (&type)[5], int64_t size) {
  WriteU32BE(at, FourCC(type));
  WriteI64BE(at + 4, size);
}

void PutDescription(uint8_t* at, int16_t channels, int16_t bits, OSType formatCode, double rate) {
  WriteF64BE(at, rate);
  WriteU32BE(at + 8, kLinearPcm);  // also for 8 bits, which other readers need
  WriteU32BE(at + 12, formatCode == kFormatFloat32 ? kCafFloatFlag : 0);
  WriteU32BE(at + 16, uint32_t(bits / 8) * uint32_t(channels));
  WriteU32BE(at + 20, 1);
  WriteU32BE(at + 24, uint32_t(channels));
  WriteU32BE(at + 28, uint32_t(bits));
}

// What the scan found.
struct CafScan {
  bool descSeen = false;
  bool dataSeen = false;
  bool infoSeen = false;
  uint8_t desc[kDescSize] = {};
  int64_t dataStart = 0;
  int64_t dataSize = 0;
};

// Reads the chunk at pos; *next is where the following one starts.
OSErr ScanChunk(int16_t fork, int64_t pos, int64_t forkSize, CafScan& scan, int64_t* next) {
  uint8_t header[kChunkHeaderSize];
  OSErr err = FSReadFork(fork, fsFromStart, pos, kChunkHeaderSize, header, nullptr);
  if (err != noErr) return err;
  OSType type = ReadU32BE(header);
  int64_t size = ReadI64BE(header + 4);
  int64_t room = forkSize - pos - kChunkHeaderSize;
  if (type == FourCC("data") && size == kSizeUnknown) size = room;
  if (size < 0 || size > room) return kAudioFormatUnsupportedErr;
  *next = pos + kChunkHeaderSize + size;
  if (type == FourCC("desc")) {
    if (size != kDescSize) return kAudioFormatUnsupportedErr;
    err = FSReadFork(fork, fsAtMark, 0, kDescSize, scan.desc, nullptr);
    scan.descSeen = err == noErr;
    return err;
  }
  if (type == FourCC("data")) {
    if (size < 4) return kAudioFormatUnsupportedErr;  // the edit count belongs to the chunk
    scan.dataStart = pos + kChunkHeaderSize + 4;
    scan.dataSize = size;
    scan.dataSeen = true;
  } else if (type == FourCC("info")) {
    scan.infoSeen = true;
  }
  return noErr;
}

// The program's format code for the description; 0 when the samples cannot be described.
OSType FormatCodeFor(OSType formatId, uint32_t flags, int32_t bits) {
  if (formatId != kLinearPcm) return formatId;
  if (flags & kCafLittleEndianFlag)
    return (flags & kCafFloatFlag) == 0 && bits == 16 ? kFormatSwapped16 : 0;
  if (!(flags & kCafFloatFlag)) return kFormatNone;
  if (bits == 32) return kFormatFloat32;
  if (bits == 64) return kFormatFloat64;
  return 0;
}

// Checks the description against the data chunk and sets the outputs.
OSErr FinishCafHeader(const CafScan& scan, uint8_t* description, uint64_t* frameCount, uint32_t* dataOffset,
                      float* rate) {
  double sampleRate = ReadF64BE(scan.desc);
  uint32_t bytesPerPacket = ReadU32BE(scan.desc + 16);
  uint32_t channels = ReadU32BE(scan.desc + 24);
  uint32_t bits = ReadU32BE(scan.desc + 28);
  OSType format = FormatCodeFor(ReadU32BE(scan.desc + 8), ReadU32BE(scan.desc + 12), int32_t(bits));
  if (!std::isfinite(sampleRate) || sampleRate <= 0.0 || channels == 0 || channels > 0x7FFF || bits > 0x7FFF ||
      bytesPerPacket == 0 || format == 0 || scan.dataStart > int64_t(UINT32_MAX))
    return kAudioFormatUnsupportedErr;
  WriteU32BE(description + kSoundDescFormat, format);
  WriteI16BE(description + kSoundDescChannels, int16_t(channels));
  WriteI16BE(description + kSoundDescBits, int16_t(bits));
  WriteU32BE(description + kSoundDescRate, RateToFixed(sampleRate));
  *rate = float(sampleRate);
  *frameCount = uint64_t(scan.dataSize - 4) / bytesPerPacket;
  *dataOffset = uint32_t(scan.dataStart);
  return noErr;
}

}  // namespace

OSErr WriteCafHeader(int16_t fork, int16_t channels, int16_t bits, OSType formatCode, uint64_t byteCount,
                     double rate) {
  if (byteCount > uint64_t(INT64_MAX) - 4) return kAudioFileTooLargeErr;
  uint8_t file[8], descHeader[12], desc[kDescSize], dataHeader[12], editCount[4] = {0, 0, 0, 0};
  WriteU32BE(file, kCafFileType);
  WriteU16BE(file + 4, 1);
  WriteU16BE(file + 6, 0);
  PutChunkHeader(descHeader, "desc", kDescSize);
  PutDescription(desc, channels, bits, formatCode, rate);
  PutChunkHeader(dataHeader, "data", byteCount ? int64_t(byteCount + 4) : kSizeUnknown);
  const uint8_t* pieces[] = {file, descHeader, desc, dataHeader, editCount};
  const int32_t lengths[] = {8, 12, kDescSize, 12, 4};
  for (int32_t i = 0; i < 5; ++i)
    if (OSErr err = WritePiece(fork, pieces[i], lengths[i])) return err;
  return noErr;
}

OSErr ReadCafHeader(int16_t fork, uint8_t* description, uint64_t* frameCount, uint32_t* dataOffset,
                    float* rate, bool needInfo) {
  uint8_t head[8];
  OSErr err = FSReadFork(fork, fsAtMark, 0, sizeof head, head, nullptr);
  if (err != noErr) return err;
  if (ReadU32BE(head) != kCafFileType) return kAudioFormatUnsupportedErr;
  SInt64 pos = 0, forkSize = 0;
  if ((err = FSGetForkPosition(fork, &pos)) != noErr || (err = FSGetForkSize(fork, &forkSize)) != noErr)
    return err;
  CafScan scan;
  scan.infoSeen = !needInfo;
  // Each chunk moves the scan on by at least its 12-byte header, never past the fork's end.
  while (!(scan.descSeen && scan.dataSeen && scan.infoSeen)) {
    int64_t next = pos;
    err = ScanChunk(fork, pos, forkSize, scan, &next);
    if (err != noErr) break;
    pos = next;
  }
  if (!(scan.descSeen && scan.dataSeen)) return err != noErr ? err : kAudioFormatUnsupportedErr;
  return FinishCafHeader(scan, description, frameCount, dataOffset, rate);
}
