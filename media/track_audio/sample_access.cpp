#include "media/track_audio/sample_access.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "audio/engine/region_lookup.h"
#include "audio/streams/stream_reads.h"
#include "media/track_audio/track_audio.h"
#include "platform/files/forks.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/file_access.h"
#include "song/documents/media_references.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

namespace {

constexpr OSType kLittleInt32 = FourCC("23ni");
constexpr int32_t kSnapBufferBytes = 16384;
constexpr int32_t kToleranceCount = 4;
constexpr int32_t kNarrowTolerance[kToleranceCount] = {0, 127, 5, 1};
constexpr int32_t kWideTolerance[kToleranceCount] = {0, 32767, 64, 1};

bool IsUnreadableCode(OSType code) {
  return code == FourCC("ACE2") || code == FourCC("ACE8") || code == FourCC("MAC3") || code == FourCC("MAC6");
}

int32_t BytesPerSample(int16_t bits) { return (bits + 7) / 8; }

// The byte position of a sample (mono and stereo).
int64_t SampleByte(int16_t bytes, int16_t channels, int16_t channel, int64_t frame) {
  return (frame * (channels > 1 ? 2 : 1) + channel) * bytes;
}

// A sample of the first channel as a signed value (unsigned 8-bit around 128 is left as is).
double SampleOf(const uint8_t* buffer, int64_t frame, int16_t bits, int16_t channels, int16_t cls) {
  int16_t bytes = int16_t(BytesPerSample(bits));
  switch (cls) {
    case kSampleClassUnsigned: return ReadUnsignedSample(buffer, bits, channels, 0, frame);
    case kSampleClassFloatBig: return ReadF32BE(buffer + SampleByte(4, channels, 0, frame));
    case kSampleClassSignedLittle: return ReadLittleEndianSample(buffer, bytes, channels, 0, frame);
    default: return ReadBigEndianSample(buffer, bytes, channels, 0, frame);
  }
}

}  // namespace

int16_t ClassifySampleEncoding(OSType code, int16_t bits) {
  if (IsUnreadableCode(code) || bits > 32) return kSampleClassUnreadable;
  if (code == 0 || code == FourCC("raw ")) return kSampleClassUnsigned;
  if (bits == 8 && code != FourCC("lpcm")) return kSampleClassSignedBig;
  if (code == FourCC("NONE") || code == FourCC("in24") || code == FourCC("twos")) return kSampleClassSignedBig;
  if (code == FourCC("fl32")) return kSampleClassFloatBig;
  if (code == FourCC("sowt") || code == kLittleInt32) return kSampleClassSignedLittle;
  return kSampleClassUnreadable;
}

int16_t ClassifyDecodedEncoding(OSType code, int16_t bits, const uint32_t* decoderActive) {
  if (decoderActive && *decoderActive) return kSampleClassUnreadable;
  return ClassifySampleEncoding(code, decoderActive ? int16_t(16) : bits);
}

bool IsBigEndianReadable(OSType code, int16_t bits) {
  if (code == FourCC("sowt") || code == kLittleInt32) return false;
  return ClassifySampleEncoding(code, bits) != kSampleClassUnreadable;
}

float PowerOfTwo(int16_t n) { return std::ldexp(1.0f, n); }

OSErr ReadRegionFrames(uint8_t* buffer, int32_t byteOffset, const uint8_t* region, int64_t firstFrame, int64_t count,
                       int64_t* framesRead, bool* silent) {
  *framesRead = 0;
  *silent = false;
  const int32_t frameBytes = region[kRegionBytesPerFrameAt];
  if (frameBytes == 0) return kNoFrameSizeErr;
  count = std::max<int64_t>(0, std::min(count, RegionLength(region) - firstFrame));
  uint16_t flags = ReadU16BE(region + kRegionFlagsAt);
  if (flags & (kRegionFlagSilent | kRegionFlagMissing)) {
    std::memset(buffer + byteOffset, 0, size_t(count * frameBytes));
    *framesRead = count;
    *silent = true;
    return noErr;
  }
  const uint8_t* entry = GetReferencedFileEntry(ReadU16BE(region + kRegionFileIndexAt));
  if (!entry || (ReadU16BE(entry + kRefFlags) & kRefByFileNumber)) return fnOpnErr;
  uint32_t bytes = uint32_t(count * frameBytes);
  int64_t at = int64_t(ReadU32BE(region + kRegionFileOffsetAt)) + firstFrame * frameBytes;
  OSErr err = ReadForkAtLocked(int16_t(ReadU32BE(entry + kRefFork)), fsFromStart, at, &bytes, buffer + byteOffset);
  *framesRead = err == noErr || err == eofErr ? bytes / uint32_t(frameBytes) : 0;
  return err;
}

OSErr ReadRegionListFrames(uint8_t* buffer, int64_t position, Handle regions, int64_t count, int32_t bufferBytes) {
  OSErr first = noErr;
  int32_t filled = 0;
  int32_t total = CountAudioRegions(regions);
  int64_t start = 0, end = 0;
  int32_t index = FindRegionAtPosition(position, &start, &end, regions);
  while (index >= 0 && index < total && count > 0) {
    const uint8_t* region = reinterpret_cast<const uint8_t*>(HandleData(regions)) + size_t(index) * kRegionSize;
    int32_t frameBytes = std::max<int32_t>(region[kRegionBytesPerFrameAt], 1);
    int64_t want = std::min({count, end - position, int64_t((bufferBytes - filled) / frameBytes)});
    if (want <= 0) break;
    int64_t got = 0;
    bool silent = false;
    OSErr err = ReadRegionFrames(buffer, filled, region, position - start, want, &got, &silent);
    if (err != noErr && first == noErr) first = err;
    filled += int32_t(got * frameBytes);
    if (err != noErr || got < want) break;
    count -= got;
    position += got;
    start = end;
    if (++index < total) end = start + RegionLength(region + kRegionSize);
  }
  if (filled < bufferBytes) std::memset(buffer + filled, 0, size_t(bufferBytes - filled));
  return first;
}

uint16_t ReadUnsignedSample(const uint8_t* buffer, int16_t bits, int16_t channels, int16_t channel, int64_t frame) {
  if (bits <= 8) return buffer[SampleByte(1, channels, channel, frame)];
  return ReadU16BE(buffer + SampleByte(2, channels, channel, frame));
}

int32_t ReadLittleEndianSample(const uint8_t* buffer, int16_t bytesPerSample, int16_t channels, int16_t channel,
                               int64_t frame) {
  const uint8_t* p = buffer + SampleByte(bytesPerSample, channels, channel, frame);
  switch (bytesPerSample) {
    case 1: return int8_t(p[0]);
    case 2: return int16_t(p[0] | (p[1] << 8));
    case 3: return int32_t(p[0] | (p[1] << 8) | (uint32_t(int8_t(p[2])) << 16));
    default: return int32_t(uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24));
  }
}

int32_t ReadBigEndianSample(const uint8_t* buffer, int16_t bytesPerSample, int16_t channels, int16_t channel,
                            int64_t frame) {
  const uint8_t* p = buffer + SampleByte(bytesPerSample, channels, channel, frame);
  switch (bytesPerSample) {
    case 1: return int8_t(p[0]);
    case 2: return ReadI16BE(p);
    case 3: return int32_t((uint32_t(int8_t(p[0])) << 16) | (p[1] << 8) | p[2]);
    default: return ReadI32BE(p);
  }
}

void WriteSampleValue(double value, bool floatFile, uint8_t* buffer, int16_t bits, int16_t channels, int16_t channel,
                      int64_t frame) {
  int16_t bytes = int16_t(bits <= 8 ? 1 : bits <= 16 ? 2 : 4);
  if (bits > 16 && !floatFile && bits <= 24) bytes = 3;
  uint8_t* p = buffer + SampleByte(bytes, channels, channel, frame);
  if (bits > 16 && floatFile) {
    WriteF32BE(p, float(value));
    return;
  }
  double limit = std::ldexp(1.0, bytes * 8 - 1);
  double v = std::trunc(std::isnan(value) ? 0.0 : std::clamp(value, -limit, limit - 1.0));
  int32_t n = int32_t(v);
  if (bytes == 1) p[0] = uint8_t(int8_t(n));
  else if (bytes == 2) WriteI16BE(p, int16_t(n));
  else if (bytes == 3) {
    p[0] = uint8_t(n >> 16);
    p[1] = uint8_t(n >> 8);
    p[2] = uint8_t(n);
  } else WriteI32BE(p, n);
}

int64_t FindZeroCrossing(const uint8_t* buffer, int64_t frame, int32_t step, int64_t frameCount, int16_t bits,
                         int16_t channels, int32_t tolerance, int16_t sampleClass) {
  if (frame < 0 || frame >= frameCount || (step != 1 && step != -1)) return -1;
  double zero = sampleClass == kSampleClassUnsigned && bits <= 8 ? 128.0 : 0.0;
  double tol = sampleClass == kSampleClassFloatBig ? tolerance / 32767.0 : bits > 16 ? tolerance * 256.0 : tolerance;
  bool beforeRule = bits == 16 || sampleClass == kSampleClassFloatBig;
  double previous = SampleOf(buffer, frame, bits, channels, sampleClass) - zero;
  if (previous == 0.0) return frame;
  for (int64_t f = frame + step; f >= 0 && f < frameCount; f += step) {
    double s = SampleOf(buffer, f, bits, channels, sampleClass) - zero;
    if (s == 0.0) return f;
    if ((s < 0) != (previous < 0)) {
      bool nowNear = std::fabs(s) <= tol, beforeNear = std::fabs(previous) <= tol;
      if (nowNear) return f;
      if (beforeNear) return beforeRule ? f - step : f;
    }
    previous = s;
  }
  return -1;
}

OSErr SnapToZeroCrossing(Handle record, int64_t position, uint16_t direction, int64_t* out, int16_t toleranceIndex) {
  *out = position;
  TrackAudioView v = ViewTrackAudio(record);
  if (!v || !(direction & (kSnapBackward | kSnapForward))) return paramErr;
  if (position == 0) return noErr;
  int16_t bits = v.BitsPerSample() > 0 ? v.BitsPerSample() : 16;
  int16_t channels = v.Channels() > 1 ? 2 : 1;
  int32_t frameBytes = BytesPerSample(bits) * channels;
  int64_t frames = kSnapBufferBytes / frameBytes;
  int64_t start = std::max<int64_t>(0, position - frames / 2);
  std::vector<uint8_t> buffer(kSnapBufferBytes);
  if (OSErr err = ReadRegionListFrames(buffer.data(), start, v.Regions(), frames, kSnapBufferBytes)) return err;
  int16_t index = int16_t(std::clamp<int32_t>(toleranceIndex, 0, kToleranceCount - 1));
  int32_t tolerance = bits <= 8 ? kNarrowTolerance[index] : kWideTolerance[index];
  int16_t cls = ClassifySampleEncoding(v.Encoding(), bits);
  int64_t at = position - start;
  int64_t back = (direction & kSnapBackward) ? FindZeroCrossing(buffer.data(), at, -1, frames, bits, channels, tolerance, cls) : -1;
  int64_t fore = (direction & kSnapForward) ? FindZeroCrossing(buffer.data(), at, 1, frames, bits, channels, tolerance, cls) : -1;
  if (back < 0 && fore < 0) return kNoZeroCrossingErr;
  bool forward = fore >= 0 && (back < 0 || fore - at <= at - back);
  *out = start + (forward ? fore : back);
  return noErr;
}

void GetTimeSelectionSamples(int64_t* start, int64_t* end, float rate) {
  if (gTimeSelection.start.rate <= 0.0f) SetTimeRange(gTimeSelection.start.tick, gTimeSelection.end.tick);
  if (rate <= 0.0f) rate = TrackAudioRate(gCurrentTrack ? TrackEntryView(gCurrentTrack).RegionList() : Handle());
  double from = gTimeSelection.start.rate;
  *start = int64_t(gTimeSelection.start.sample);
  *end = int64_t(gTimeSelection.end.sample);
  if (from > 0.0 && double(rate) != from) {
    *start = int64_t(std::llround(double(*start) * rate / from));
    *end = int64_t(std::llround(double(*end) * rate / from));
  }
}
