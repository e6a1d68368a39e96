#include "click/click_aiff.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "platform/memory/byte_order.h"

namespace {

constexpr uint32_t kFormID = FourCC("FORM");
constexpr uint32_t kAiffType = FourCC("AIFF");
constexpr uint32_t kAifcType = FourCC("AIFC");
constexpr uint32_t kCommonID = FourCC("COMM");
constexpr uint32_t kSoundDataID = FourCC("SSND");
constexpr size_t kCommonSize = 18;      // channels, frames, sample size, 80-bit rate
constexpr size_t kCommonSizeAifc = 22;  // and the compression type

struct ChunkScan {
  bool haveCommon = false;
  bool haveSound = false;
  uint32_t compression = FourCC("NONE");
  uint64_t dataStart = 0;
  uint64_t dataEnd = 0;
};

bool ReadCommonChunk(const uint8_t* body, uint64_t bodySize, bool aifc, ClickAiffInfo* info,
                     ChunkScan* scan) {
  if (bodySize < (aifc ? kCommonSizeAifc : kCommonSize)) return false;
  info->channels = ReadU16BE(body);
  info->frames = ReadU32BE(body + 2);
  info->sampleBits = ReadU16BE(body + 6);
  info->sampleRate = ReadExtended80(body + 8);
  if (aifc) scan->compression = ReadU32BE(body + 18);
  scan->haveCommon = true;
  return true;
}

void ReadSoundChunk(const uint8_t* body, uint64_t bodyStart, uint64_t bodyEnd, ChunkScan* scan) {
  if (bodyEnd - bodyStart < 8) return;
  scan->dataStart = bodyStart + 8 + ReadU32BE(body);
  scan->dataEnd = bodyEnd;
  scan->haveSound = true;
}

// Walks the chunks inside the FORM (or the file, when the FORM claims more than there is).
bool ScanChunks(const uint8_t* bytes, size_t size, bool aifc, ClickAiffInfo* info,
                ChunkScan* scan) {
  uint64_t end = std::min<uint64_t>(size, 8 + uint64_t(ReadU32BE(bytes + 4)));
  uint64_t pos = 12;
  while (pos + 8 <= end) {
    uint32_t id = ReadU32BE(bytes + pos);
    uint64_t bodyStart = pos + 8;
    uint64_t bodyEnd = std::min<uint64_t>(end, bodyStart + ReadU32BE(bytes + pos + 4));
    if (id == kCommonID && !scan->haveCommon) {
      if (!ReadCommonChunk(bytes + bodyStart, bodyEnd - bodyStart, aifc, info, scan)) return false;
    } else if (id == kSoundDataID && !scan->haveSound) {
      ReadSoundChunk(bytes + bodyStart, bodyStart, bodyEnd, scan);
    }
    uint64_t chunkSize = ReadU32BE(bytes + pos + 4);
    pos = bodyStart + chunkSize + (chunkSize & 1);
  }
  return scan->haveCommon && scan->haveSound;
}

bool CheckFormat(ClickAiffInfo* info, const ChunkScan& scan) {
  if (scan.compression == FourCC("sowt"))
    info->littleEndian = true;
  else if (scan.compression != FourCC("NONE") && scan.compression != FourCC("twos"))
    return false;
  if (info->channels < 1 || info->channels > kClickMaxChannels) return false;
  if (info->sampleBits < 1 || info->sampleBits > 32) return false;
  if (!(info->sampleRate >= kClickMinRate && info->sampleRate <= kClickMaxRate)) return false;
  if (info->frames < 1 || info->frames > kClickMaxFrames) return false;
  info->bytesPerSample = static_cast<uint16_t>((info->sampleBits + 7) / 8);
  uint64_t needed = uint64_t(info->frames) * info->channels * info->bytesPerSample;
  if (scan.dataStart > scan.dataEnd || scan.dataEnd - scan.dataStart < needed) return false;
  info->dataOffset = static_cast<uint32_t>(scan.dataStart);
  return true;
}

// One sample of `width` bytes as a signed value scaled to -1.0 up to 1.0.
double SampleValue(const uint8_t* p, uint16_t width, bool littleEndian) {
  uint32_t raw = 0;
  for (uint16_t i = 0; i < width; ++i) {
    uint8_t b = littleEndian ? p[width - 1 - i] : p[i];
    raw = (raw << 8) | b;
  }
  unsigned bits = 8u * width;
  int64_t value = raw;
  if (raw & (uint32_t(1) << (bits - 1))) value -= int64_t(1) << bits;
  return static_cast<double>(value) / static_cast<double>(int64_t(1) << (bits - 1));
}

}  // namespace

OSErr ParseClickAiffHeader(const uint8_t* bytes, size_t size, ClickAiffInfo* info) {
  *info = ClickAiffInfo{};
  if (!bytes || size < 12 || ReadU32BE(bytes) != kFormID) return kClickNotAudioFileErr;
  uint32_t type = ReadU32BE(bytes + 8);
  if (type != kAiffType && type != kAifcType) return kClickNotAudioFileErr;
  ChunkScan scan;
  if (!ScanChunks(bytes, size, type == kAifcType, info, &scan) || !CheckFormat(info, scan)) {
    *info = ClickAiffInfo{};
    return kClickNotAudioFileErr;
  }
  return noErr;
}

void DecodeClickSamples(const uint8_t* bytes, const ClickAiffInfo& info, float* out) {
  const uint8_t* p = bytes + info.dataOffset;
  for (uint32_t frame = 0; frame < info.frames; ++frame) {
    double sum = 0.0;
    for (uint16_t channel = 0; channel < info.channels; ++channel) {
      sum += SampleValue(p, info.bytesPerSample, info.littleEndian);
      p += info.bytesPerSample;
    }
    out[frame] = static_cast<float>(sum / info.channels);
  }
}

static OSErr OpenErrorCode(int error) {
  if (error == ENOENT || error == ENOTDIR) return kClickFileNotFoundErr;
  if (error == EACCES || error == EPERM) return kClickPermissionErr;
  return kClickIOErr;
}

// Reads exactly `size` bytes, or answers kClickEOFErr / kClickIOErr.
static OSErr ReadFully(int fd, uint8_t* into, size_t size) {
  size_t done = 0;
  while (done < size) {
    ssize_t got = read(fd, into + done, size - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return kClickIOErr;
    if (got == 0) return kClickEOFErr;
    done += static_cast<size_t>(got);
  }
  return noErr;
}

OSErr ReadClickFileBytes(const char* path, uint8_t** bytes, size_t* size) {
  *bytes = nullptr;
  *size = 0;
  int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return OpenErrorCode(errno);
  struct stat st;
  OSErr err = noErr;
  if (fstat(fd, &st) != 0)
    err = kClickIOErr;
  else if (!S_ISREG(st.st_mode) || st.st_size < 0 || uint64_t(st.st_size) > kClickMaxFileBytes)
    err = kClickNotAudioFileErr;
  uint8_t* block = nullptr;
  size_t length = err ? 0 : static_cast<size_t>(st.st_size);
  if (!err) {
    block = static_cast<uint8_t*>(std::malloc(length ? length : 1));
    if (!block) err = memFullErr;
  }
  if (!err) err = ReadFully(fd, block, length);
  close(fd);
  if (err) {
    std::free(block);
    return err;
  }
  *bytes = block;
  *size = length;
  return noErr;
}
