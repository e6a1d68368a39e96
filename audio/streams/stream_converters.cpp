#include "audio/streams/stream_converters.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "audio/engine/engine_channels.h"

namespace {

// --- Sample reads (integers sign-extended) and writes (host order) ---

int32_t Read16(const uint8_t* p, bool be) {
  return int16_t(be ? (p[0] << 8) | p[1] : (p[1] << 8) | p[0]);
}

// The 16 most significant bits of a 24-bit sample.
int32_t Read24Upper16(const uint8_t* p, bool be) {
  return int16_t(be ? (p[0] << 8) | p[1] : (p[2] << 8) | p[1]);
}

int32_t Read24(const uint8_t* p, bool be) {
  uint32_t v = be ? (uint32_t(p[0]) << 16) | (p[1] << 8) | p[2] : (uint32_t(p[2]) << 16) | (p[1] << 8) | p[0];
  return int32_t(v << 8) >> 8;
}

uint32_t Read32Bits(const uint8_t* p, bool be) {
  if (be) return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
  return (uint32_t(p[3]) << 24) | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
}

float Read32Float(const uint8_t* p, bool be) {
  uint32_t bits = Read32Bits(p, be);
  float v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

int32_t Read32Int(const uint8_t* p, bool be) { return int32_t(Read32Bits(p, be)); }

// Truncated toward zero; at or above 32767 gives 32767, at or below -32768 gives -32768.
int16_t Truncate16(double v) {
  if (!(v < 32767.0)) return v != v ? 0 : 32767;
  if (v <= -32768.0) return -32768;
  return int16_t(v);
}

int8_t Truncate8(double v) {
  if (!(v < 127.0)) return v != v ? 0 : 127;
  if (v <= -128.0) return -128;
  return int8_t(v);
}

void Write16(uint8_t* out, double v) {
  int16_t s = Truncate16(v);
  std::memcpy(out, &s, sizeof s);
}

void WriteFloat(uint8_t* out, double v) {
  float f = float(v);
  std::memcpy(out, &f, sizeof f);
}

// --- The resampling loop every converter runs ---

// No source is more than this many times faster than the engine.
constexpr float kLargestStep = 1024.0f;

struct ResampleRun {
  const uint8_t* input = nullptr;
  int64_t inputFrames = 0;  // frames the block holds
  int32_t inStride = 0;     // bytes from one input frame to the next
  int32_t inSample = 0;     // bytes of one input sample
  int32_t outSample = 0;    // bytes of one output sample
  int32_t sides = 1;
  double position = 0.0;    // the next output, in input frames of this block
  double step = 1.0;
  float previous[2] = {0.0f, 0.0f};
  float current[2] = {0.0f, 0.0f};
};

// Where outputs go: `room` frames at `at`, `written` of them used.
struct OutputSink {
  uint8_t* at = nullptr;
  int64_t room = 0;
  int64_t written = 0;
};

// Reads input frame i; past the block's end the last sample is held.
template <class Read>
void ReadFrame(ResampleRun& r, int64_t i, Read read) {
  if (i >= r.inputFrames) {
    r.current[0] = r.previous[0];
    r.current[1] = r.previous[1];
    return;
  }
  const uint8_t* p = r.input + i * r.inStride;
  r.current[0] = read(p);
  if (r.sides > 1) r.current[1] = read(p + r.inSample);
}

// Writes the outputs that fall on frame i (between it and the frame before) while the sink has
// room; false when the sink filled before the frame's last output.
template <class Write>
bool EmitFrame(ResampleRun& r, int64_t i, OutputSink& sink, Write write) {
  const int32_t frameBytes = r.outSample * r.sides;
  while (double(i) - r.position >= 0.0) {
    if (sink.written >= sink.room) return false;
    double weight = double(i) - r.position;
    uint8_t* out = sink.at + sink.written * frameBytes;
    for (int32_t side = 0; side < r.sides; ++side) {
      double cur = r.current[side];
      write(out + side * r.outSample, cur + (double(r.previous[side]) - cur) * weight);
    }
    ++sink.written;
    r.position += r.step;
  }
  return true;
}

// Steps over the outputs of frame i that find no room.
void SkipFrameOutputs(ResampleRun& r, int64_t i) {
  double behind = double(i) - r.position;
  if (behind >= 0.0) r.position += (std::floor(behind / r.step) + 1.0) * r.step;
}

void KeepPrevious(ResampleRun& r) {
  r.previous[0] = r.current[0];
  r.previous[1] = r.current[1];
}

// Fills the block: returns the frames it consumed (a frame whose outputs did not all fit is not
// consumed). Frames past the block's end hold the last sample; frames that would give no output
// there are passed over at once.
template <class Read, class Write>
int64_t FillBlock(ResampleRun& r, OutputSink& block, Read read, Write write) {
  int64_t i = 0;
  while (block.written < block.room) {
    if (i > r.inputFrames) i = std::max(i, int64_t(std::ceil(r.position)));
    ReadFrame(r, i, read);
    if (!EmitFrame(r, i, block, write)) break;
    KeepPrevious(r);
    ++i;
  }
  return i;
}

// Runs the frames left in the block into the carry; true when outputs had to be dropped.
template <class Read, class Write>
bool FillCarry(ResampleRun& r, int64_t first, OutputSink& carry, Read read, Write write) {
  bool cut = false;
  for (int64_t i = first; i < r.inputFrames; ++i) {
    ReadFrame(r, i, read);
    if (!EmitFrame(r, i, carry, write)) {
      cut = true;
      SkipFrameOutputs(r, i);
    }
    KeepPrevious(r);
  }
  return cut;
}

// The carry of the last call to the destination's start; what does not fit moves to the
// carry's start. Returns the frames delivered.
int64_t DeliverCarry(EngineChannel* c, uint8_t* destination, int32_t frameBytes, int64_t blockFrames,
                     int64_t* carryLeft) {
  int64_t carried = c->carryBuffer ? c->carryBytes / frameBytes : 0;
  int64_t delivered = std::min(carried, blockFrames);
  if (delivered > 0) std::memcpy(destination, c->carryBuffer, size_t(delivered * frameBytes));
  *carryLeft = carried - delivered;
  if (*carryLeft > 0)
    std::memmove(c->carryBuffer, c->carryBuffer + delivered * frameBytes, size_t(*carryLeft * frameBytes));
  return delivered;
}

// The next call's input request: nominal while the carry is below half its size, else the
// frames this block consumed (at most nominal, -1024 beyond).
int16_t SetNextRequest(EngineChannel* c, int64_t consumed) {
  int16_t result = 0;
  int64_t request = c->nominalInputFrames;
  if (c->carryBytes >= c->carryCapacity / 2 && c->carryCapacity > 0) {
    request = consumed;
    if (consumed > int64_t(c->nominalInputFrames)) {
      request = c->nominalInputFrames;
      result = kConverterNeedsMoreInput;
    }
  }
  if (uint32_t(request) != c->inputFramesPerCall) {
    c->inputFramesPerCall = uint32_t(request);
    c->inputBytesPerCall = int32_t(request * c->inputBytesPerFrame);
  }
  return result;
}

ResampleRun StartRun(const EngineChannel* c, const void* source, int32_t inSample, int32_t outSample) {
  ResampleRun r;
  r.input = static_cast<const uint8_t*>(source);
  r.inputFrames = std::min(c->inputFramesPerCall, c->nominalInputFrames);
  r.sides = c->channelCount > 1 ? 2 : 1;
  r.inSample = inSample;
  r.inStride = c->inputBytesPerFrame ? c->inputBytesPerFrame : inSample * std::max<int32_t>(c->channelCount, 1);
  r.outSample = outSample;
  r.position = c->outputPosition;
  r.step = c->resampleStep;
  r.previous[0] = c->previousLeft;
  r.previous[1] = c->previousRight;
  return r;
}

// One call of a converter: carry out, block, carry in, position, request, previous samples.
template <class Read, class Write>
int16_t RunConverter(EngineChannel* c, const void* source, void* destination, int32_t inSample,
                     int32_t outSample, Read read, Write write) {
  if (!(c->resampleStep > 0.0f && c->resampleStep <= kLargestStep)) return paramErr;
  ResampleRun r = StartRun(c, source, inSample, outSample);
  if (r.inStride < inSample * r.sides) return paramErr;
  const int32_t frameBytes = outSample * r.sides;
  auto* out = static_cast<uint8_t*>(destination);
  int64_t blockFrames = std::max<int32_t>(c->decodedBlockBytes, 0) / frameBytes;
  int64_t carryLeft = 0;
  int64_t delivered = DeliverCarry(c, out, frameBytes, blockFrames, &carryLeft);
  OutputSink block{out + delivered * frameBytes, blockFrames - delivered, 0};
  int64_t consumed = FillBlock(r, block, read, write);
  int16_t result = consumed > r.inputFrames ? kConverterInputShort : 0;
  OutputSink carry{c->carryBuffer, c->carryBuffer ? int64_t(c->carryCapacity / frameBytes) : 0, carryLeft};
  if (FillCarry(r, consumed, carry, read, write)) result = kConverterCarryCut;
  c->carryBytes = uint32_t(carry.written * frameBytes);
  c->outputPosition = r.position - double(std::max(consumed, r.inputFrames));
  if (int16_t request = SetNextRequest(c, consumed)) result = request;
  c->previousLeft = r.previous[0];
  c->previousRight = r.previous[1];
  return result;
}

// Bytes of one input sample: 1 for 8 bits, 2 for 16, 4 for 32, else the 24-bit rule (3).
int32_t InputSampleBytes(int32_t width) {
  if (width == 8) return 1;
  if (width == 16) return 2;
  if (width == 32) return 4;
  return 3;
}

}  // namespace

int16_t Resample16To16(EngineChannel* c, const void* source, void* destination, bool be) {
  auto read = [be](const uint8_t* p) { return float(Read16(p, be)); };
  return RunConverter(c, source, destination, 2, 2, read, Write16);
}

int16_t Resample16ToFloat(EngineChannel* c, const void* source, void* destination, bool be) {
  auto read = [be](const uint8_t* p) { return float(Read16(p, be)); };
  return RunConverter(c, source, destination, 2, 4, read, WriteFloat);
}

int16_t Resample24To16(EngineChannel* c, const void* source, void* destination, bool be) {
  auto read = [be](const uint8_t* p) { return float(Read24Upper16(p, be)); };
  return RunConverter(c, source, destination, 3, 2, read, Write16);
}

int16_t Resample24ToFloat(EngineChannel* c, const void* source, void* destination, bool be) {
  auto read = [be](const uint8_t* p) { return float(Read24(p, be)); };
  return RunConverter(c, source, destination, 3, 4, read, WriteFloat);
}

int16_t Resample32To16(EngineChannel* c, const void* source, void* destination, bool floatSource, bool be) {
  const float scale = c->floatScale;
  auto read = [be, floatSource, scale](const uint8_t* p) {
    return floatSource ? Read32Float(p, be) * scale : float(Read32Int(p, be)) * 1.52587890625e-05f;
  };
  return RunConverter(c, source, destination, 4, 2, read, Write16);
}

int16_t Resample32ToFloat(EngineChannel* c, const void* source, void* destination, bool floatSource, bool be) {
  auto read = [be, floatSource](const uint8_t* p) {
    return floatSource ? Read32Float(p, be) : float(Read32Int(p, be));
  };
  return RunConverter(c, source, destination, 4, 4, read, WriteFloat);
}

float ReadScaledSample(const uint8_t** cursor, int32_t inputWidth, int32_t outputWidth,
                       const EngineChannel* channel, bool floatSource, bool be) {
  const uint8_t* p = *cursor;
  *cursor += InputSampleBytes(inputWidth);
  bool floatOutput = channel->outputFormat == kFloat32Format;
  switch (InputSampleBytes(inputWidth)) {
    case 1: {
      int32_t v = channel->sourceFormat == kRawFormat ? int32_t(p[0]) - 128 : int32_t(int8_t(p[0]));
      return floatOutput ? float(v) : float(v) * float(1 << std::clamp(outputWidth - 8, 0, 23));
    }
    case 2:
      return float(Read16(p, be)) * 0.00390625f;
    case 3:
      return float(Read24Upper16(p, be)) * 0.00390625f;
    default:
      if (floatSource)
        return floatOutput ? Read32Float(p, be) : Read32Float(p, be) * std::ldexp(1.0f, outputWidth - 1);
      return float(Read32Int(p, be) >> 24);
  }
}

int16_t ResampleGeneric(EngineChannel* c, const void* source, void* destination, bool floatSource, bool be) {
  const int32_t outWidth = c->outputWidth;
  if (outWidth <= 0) return unimpErr;
  const int32_t inWidth = c->sourceWidth;
  auto read = [=](const uint8_t* p) { return ReadScaledSample(&p, inWidth, outWidth, c, floatSource, be); };
  const int32_t inBytes = InputSampleBytes(inWidth);
  if (outWidth > 16)
    return RunConverter(c, source, destination, inBytes, 4, read,
                        [](uint8_t* out, double v) { WriteFloat(out, v + 0.5); });
  if (outWidth > 8)
    return RunConverter(c, source, destination, inBytes, 2, read,
                        [](uint8_t* out, double v) { Write16(out, v + 0.5); });
  return RunConverter(c, source, destination, inBytes, 1, read, [](uint8_t* out, double v) {
    int8_t s = Truncate8(v + 0.5);
    std::memcpy(out, &s, 1);
  });
}

int16_t ResampleBlock(EngineChannel* c, const void* source, void* destination, int32_t /*spare*/,
                      bool bigEndian) {
  const int32_t outWidth = c->outputFormat == kFloat32Format ? 32 : c->outputWidth;
  const int32_t inWidth = c->sourceWidth;
  const bool floatSource = c->sourceFormat == kFloat32Format;
  if (inWidth == 8 || outWidth == 8) return ResampleGeneric(c, source, destination, floatSource, bigEndian);
  if (outWidth != 16 && outWidth != 32) return unimpErr;
  const bool toFloat = outWidth == 32;
  if (inWidth == 16)
    return toFloat ? Resample16ToFloat(c, source, destination, bigEndian)
                   : Resample16To16(c, source, destination, bigEndian);
  if (inWidth <= 24)
    return toFloat ? Resample24ToFloat(c, source, destination, bigEndian)
                   : Resample24To16(c, source, destination, bigEndian);
  if (inWidth == 32)
    return toFloat ? Resample32ToFloat(c, source, destination, floatSource, bigEndian)
                   : Resample32To16(c, source, destination, floatSource, bigEndian);
  return unimpErr;
}

int16_t ConvertStreamBlock(EngineChannel* c, int32_t half, void* destination, uint8_t* /*flag*/) {
  if (!destination || !c || half < 0 || half > 1) return paramErr;
  return ResampleBlock(c, c->inputBuffers[half], destination, 0, c->sourceLittleEndian == 0);
}
