#include "audio/recording/aiff_tags.h"

#include <cstring>
#include <vector>

#include "audio/recording/aiff_header.h"
#include "audio/recording/audio_file_header.h"
#include "platform/files/forks.h"
#include "platform/memory/byte_order.h"

namespace {

constexpr uint32_t kId3HeaderBytes = 10;
constexpr uint32_t kId3FrameHeaderBytes = 6;
constexpr uint8_t kId3Version = 2;
constexpr uint8_t kTagTextMax = 63;
constexpr uint32_t kMaxTagChunkBytes = 16u << 20;  // larger tag chunks (cover art) are passed over

// Copies the frame's text without its zero bytes, at most 63 characters.
void CopyTagText(const uint8_t* text, uint32_t size, uint8_t* out) {
  out[0] = 0;
  for (uint32_t i = 0; i < size && out[0] < kTagTextMax; ++i)
    if (text[i] != 0) out[++out[0]] = text[i];
}

// The leading decimal number of the text (its zero bytes skipped), as StringToNum reads it.
int32_t TagYear(const uint8_t* text, uint32_t size) {
  int64_t value = 0;
  bool negative = false, digits = false;
  for (uint32_t i = 0; i < size; ++i) {
    uint8_t c = text[i];
    if (c == 0 || (!digits && c == ' ')) continue;
    if (!digits && c == '-' && !negative) { negative = true; continue; }
    if (c < '0' || c > '9') break;
    digits = true;
    if (value < 100000000) value = value * 10 + (c - '0');
  }
  return int32_t(negative ? -value : value);
}

}  // namespace

bool ParseId3v22Tag(const uint8_t* tag, uint32_t size, AudioFileTags* tags) {
  if (size < kId3HeaderBytes || tag[0] != 'I' || tag[1] != 'D' || tag[2] != '3' || tag[3] != kId3Version) return false;
  for (uint32_t at = kId3HeaderBytes; at + kId3FrameHeaderBytes <= size;) {
    const uint8_t* frame = tag + at;
    uint32_t length = (uint32_t(frame[3]) << 16) | (uint32_t(frame[4]) << 8) | frame[5];
    if (length == 0) break;
    uint32_t avail = size - at - kId3FrameHeaderBytes;
    const uint8_t* text = frame + kId3FrameHeaderBytes;
    uint32_t n = length < avail ? length : avail;  // a frame never reaches past the tag
    if (!std::memcmp(frame, "TT2", 3)) CopyTagText(text, n, tags->title);
    else if (!std::memcmp(frame, "TP1", 3)) CopyTagText(text, n, tags->artist);
    else if (!std::memcmp(frame, "TAL", 3)) CopyTagText(text, n, tags->album);
    else if (!std::memcmp(frame, "TYE", 3)) tags->year = TagYear(text, n);
    if (length >= avail) break;
    at += kId3FrameHeaderBytes + length;
  }
  return true;
}

OSErr ReadAiffTags(int16_t fork, AudioFileTags* tags) {
  SInt64 pos = 0, forkSize = 0;
  OSErr err = FSGetForkPosition(fork, &pos);
  if (err == noErr) err = FSGetForkSize(fork, &forkSize);
  if (err != noErr) return err;
  uint8_t header[12];
  if ((err = FSReadFork(fork, fsFromStart, pos, sizeof header, header, nullptr)) != noErr) return err;
  if (ReadU32BE(header) != FourCC("FORM")) return kAudioFormatUnsupportedErr;
  // Each chunk moves the walk on by at least its 8-byte header and stays inside the file.
  for (pos += sizeof header; pos + 8 <= forkSize;) {
    if ((err = FSReadFork(fork, fsFromStart, pos, 8, header, nullptr)) != noErr) return err;
    int64_t size = ReadU32BE(header + 4);
    if (pos + 8 + size > forkSize) return kAudioFormatUnsupportedErr;
    if (ReadU32BE(header) == FourCC("ID3 ") && size <= int64_t(kMaxTagChunkBytes)) {
      std::vector<uint8_t> tag(static_cast<size_t>(size));
      if ((err = FSReadFork(fork, fsFromStart, pos + 8, ByteCount(size), tag.data(), nullptr)) != noErr) return err;
      if (ParseId3v22Tag(tag.data(), uint32_t(size), tags)) return noErr;
    }
    pos += 8 + size + (size & 1);
  }
  return eofErr;
}

OSErr ReadAiffHeader(int16_t fork, uint8_t* description, uint64_t* frameCount, uint32_t* dataOffset,
                     float* rate, AudioFileTags* tags) {
  SInt64 start = 0;
  OSErr err = FSGetForkPosition(fork, &start);
  if (err != noErr) return err;
  err = ReadAiffHeader(fork, description, frameCount, dataOffset, rate);
  if (err != noErr || !tags) return err;
  if (FSSetForkPosition(fork, fsFromStart, start) == noErr) ReadAiffTags(fork, tags);
  return noErr;
}

bool IsWaveHeader(const uint8_t* first16) {
  return ReadU32BE(first16 + 8) == FourCC("WAVE") && ReadU32BE(first16 + 12) == FourCC("fmt ");
}
