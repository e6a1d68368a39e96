// The PCM stream converters, driven as the disk worker drives them: each call gets the next
// `inputFramesPerCall` frames of the file in the half's input buffer, and the blocks it
// delivers, laid end to end, must be the source resampled by linear interpolation (computed
// here independently, in long double from the exact source values) within one unit in the
// last place of the output format, across every block boundary. A ramp and a sine, for every
// read and write rule, both byte orders, mono and stereo, 44.1 into 48 kHz and 96 into 48.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "audio/engine/engine_channels.h"
#include "audio/streams/stream_converters.h"

namespace {

constexpr OSType kTwos = FourCC("twos");
constexpr OSType kNone = FourCC("NONE");

struct FormatCase {
  const char* name;
  int16_t sourceWidth;
  OSType sourceFormat;  // "fl32" float, "raw " unsigned 8-bit, else signed integers
  bool littleEndian;
  uint16_t channels;
  int16_t outputWidth;  // 32 with "fl32": float output
  OSType outputFormat;
};

bool FloatOut(const FormatCase& c) { return c.outputFormat == kFloat32Format; }
bool Generic(const FormatCase& c) { return c.sourceWidth == 8 || (!FloatOut(c) && c.outputWidth == 8); }
int32_t InBytes(const FormatCase& c) { return c.sourceWidth == 8 ? 1 : c.sourceWidth == 16 ? 2 : c.sourceWidth == 32 ? 4 : 3; }
int32_t OutBytes(const FormatCase& c) { return FloatOut(c) ? 4 : c.outputWidth == 8 ? 1 : 2; }
int32_t Sides(const FormatCase& c) { return c.channels > 1 ? 2 : 1; }

// A source sample as stored: integers in their own width (unsigned for "raw "), floats in -1..1.
struct Source {
  const FormatCase& c;
  std::vector<long double> values;  // frame-major, Sides() per frame
  long double At(int64_t frame, int32_t side) const {
    if (frame < 0) return 0;  // before the stream: the converters start from silence
    return values[size_t(frame * Sides(c) + side)];
  }
};

// The signal in the source's own range: a ramp across the whole range, or a sine.
Source MakeSource(const FormatCase& c, int64_t frames, bool sine) {
  Source s{c, {}};
  long double full = c.sourceFormat == kFloat32Format ? 1.0L : std::ldexp(1.0L, c.sourceWidth - 1) - 1;
  for (int64_t n = 0; n < frames; ++n)
    for (int32_t side = 0; side < Sides(c); ++side) {
      long double x = sine ? 0.9L * std::sin(0.0137L * n * (side + 1) + side)
                           : (2.0L * n / frames - 1.0L) * (side ? -1 : 1);
      long double v = c.sourceFormat == kFloat32Format ? (long double)(float)(x * full) : std::round(x * full);
      if (c.sourceFormat == kRawFormat) v += 128;
      s.values.push_back(v);
    }
  return s;
}

void PutSample(const FormatCase& c, long double v, uint8_t* at) {
  uint32_t bits;
  if (c.sourceFormat == kFloat32Format) {
    float f = float(v);
    std::memcpy(&bits, &f, 4);
  } else {
    bits = uint32_t(int64_t(v));
  }
  int32_t n = InBytes(c);
  for (int32_t i = 0; i < n; ++i) {
    int32_t shift = 8 * (c.littleEndian ? i : n - 1 - i);
    at[i] = uint8_t(bits >> shift);
  }
}

// What the converter reads from a stored sample, in the scale it interpolates in.
long double ReadRule(const FormatCase& c, long double v) {
  bool flt = c.sourceFormat == kFloat32Format;
  if (Generic(c)) {
    int32_t outWidth = c.outputWidth;
    if (c.sourceWidth == 8) {
      long double s = c.sourceFormat == kRawFormat ? v - 128 : v;
      return FloatOut(c) ? s : std::ldexp(s, outWidth - 8);
    }
    if (c.sourceWidth == 16) return v / 256;
    if (c.sourceWidth == 24) return std::floor(v / 256) / 256;
    return flt ? v * std::ldexp(1.0L, outWidth - 1) : std::floor(v / 16777216);
  }
  if (c.sourceWidth == 16) return v;
  if (c.sourceWidth == 24) return FloatOut(c) ? v : std::floor(v / 256);
  if (flt) return FloatOut(c) ? v : v * 32768;
  return FloatOut(c) ? v : v / 65536;
}

long double WriteRule(const FormatCase& c, long double v) {
  if (Generic(c)) v += 0.5L;
  if (FloatOut(c)) return v;
  long double top = c.outputWidth == 8 ? 127 : 32767, bottom = -top - 1;
  return v >= top ? top : v <= bottom ? bottom : std::trunc(v);
}

// Output k lies at k * step input frames; between frames i - 1 and i it is interpolated.
long double Reference(const Source& s, double step, int64_t k, int32_t side, long double* tolerance) {
  long double t = (long double)k * step;
  int64_t i = int64_t(std::ceil(t));
  long double cur = ReadRule(s.c, s.At(i, side)), prev = ReadRule(s.c, s.At(i - 1, side));
  long double y = cur + (prev - cur) * (i - t);
  long double largest = std::max(std::fabs(cur), std::fabs(prev));
  *tolerance = FloatOut(s.c) ? std::nextafter(float(largest), INFINITY) - float(largest) : 1;
  return WriteRule(s.c, y);
}

long double OutputAt(const FormatCase& c, const std::vector<uint8_t>& out, size_t index) {
  const uint8_t* p = out.data() + index * OutBytes(c);
  if (FloatOut(c)) {
    float f;
    std::memcpy(&f, p, 4);
    return f;
  }
  if (OutBytes(c) == 1) return int8_t(p[0]);
  int16_t s;
  std::memcpy(&s, p, 2);
  return s;
}

// A channel set up as the decoder set-up does for the resampler: `blockFrames` output frames a
// call, input for one block at the nominal step plus 8 frames, a carry of 256 input frames.
struct Stream {
  EngineChannel channel;
  std::vector<uint8_t> input[2];
  std::vector<uint8_t> carry;
  std::vector<uint8_t> encoded;  // the whole file's sample data
  size_t readAt = 0;

  Stream(const FormatCase& c, const Source& s, double step, int32_t blockFrames) {
    EngineChannel& ch = channel;
    ch.sourceWidth = uint16_t(c.sourceWidth);
    ch.sourceFormat = c.sourceFormat;
    ch.sourceLittleEndian = c.littleEndian;
    ch.channelCount = c.channels;
    ch.outputWidth = c.outputWidth;
    ch.outputFormat = c.outputFormat;
    ch.floatScale = std::ldexp(1.0f, (FloatOut(c) ? 32 : c.outputWidth) - 1);
    ch.resampleStep = float(step);
    ch.inputBytesPerFrame = uint16_t(InBytes(c) * c.channels);
    ch.outputBytesPerFrame = uint16_t(OutBytes(c) * Sides(c));
    ch.decodedBlockBytes = blockFrames * ch.outputBytesPerFrame;
    ch.nominalInputFrames = uint32_t(blockFrames * step) + (step == 1.0 ? 0 : 8);
    ch.inputFramesPerCall = ch.nominalInputFrames;
    ch.inputBytesPerCall = int32_t(ch.inputFramesPerCall * ch.inputBytesPerFrame);
    ch.carryCapacity = 256u * ch.inputBytesPerFrame;
    carry.assign(ch.carryCapacity, 0);
    ch.carryBuffer = carry.data();
    for (int h = 0; h < 2; ++h) {
      input[h].assign(size_t(ch.nominalInputFrames) * ch.inputBytesPerFrame, 0);
      ch.inputBuffers[h] = input[h].data();
    }
    for (size_t frame = 0; frame * Sides(c) < s.values.size(); ++frame)
      for (int32_t ch2 = 0; ch2 < c.channels; ++ch2) {
        uint8_t bytes[4];
        PutSample(c, s.values[frame * Sides(c) + size_t(std::min(ch2, Sides(c) - 1))], bytes);
        encoded.insert(encoded.end(), bytes, bytes + InBytes(c));
      }
  }

  // Reads the next request into the half and converts it.
  int16_t Call(int32_t half, std::vector<uint8_t>* out) {
    size_t want = size_t(channel.inputBytesPerCall);
    std::fill(input[half].begin(), input[half].end(), 0xA5);
    std::memcpy(input[half].data(), encoded.data() + readAt, std::min(want, encoded.size() - readAt));
    readAt += want;
    std::vector<uint8_t> block(size_t(channel.decodedBlockBytes));
    int16_t result = ConvertStreamBlock(&channel, half, block.data(), nullptr);
    out->insert(out->end(), block.begin(), block.end());
    return result;
  }
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

const FormatCase kFormats[] = {
    {"s16be_mono_to_16", 16, kNone, false, 1, 16, kNone},
    {"s16le_stereo_to_16", 16, FourCC("sowt"), true, 2, 16, kNone},
    {"s16be_stereo_to_float", 16, kNone, false, 2, 32, kFloat32Format},
    {"s16le_mono_to_float", 16, FourCC("sowt"), true, 1, 32, kFloat32Format},
    {"s24be_stereo_to_16", 24, kNone, false, 2, 16, kNone},
    {"s24le_mono_to_16", 24, kNone, true, 1, 16, kNone},
    {"s24be_mono_to_float", 24, kNone, false, 1, 32, kFloat32Format},
    {"s24le_stereo_to_float", 24, kNone, true, 2, 32, kFloat32Format},
    {"s32be_mono_to_16", 32, FourCC("in32"), false, 1, 16, kNone},
    {"s32le_stereo_to_float", 32, FourCC("in32"), true, 2, 32, kFloat32Format},
    {"f32be_stereo_to_16", 32, kFloat32Format, false, 2, 16, kNone},
    {"f32le_mono_to_float", 32, kFloat32Format, true, 1, 32, kFloat32Format},
    {"u8_mono_to_16", 8, kRawFormat, false, 1, 16, kNone},
    {"s8_stereo_to_float", 8, kTwos, false, 2, 32, kFloat32Format},
    {"s16be_mono_to_8", 16, kNone, false, 1, 8, kTwos},
    {"s24le_stereo_to_8", 24, kNone, true, 2, 8, kTwos},
    {"f32be_mono_to_8", 32, kFloat32Format, false, 1, 8, kTwos},
    {"s16be_quad_to_16", 16, kNone, false, 4, 16, kNone},
};

struct RateCase {
  const char* name;
  double sourceRate;
};
void PrintTo(const RateCase& r, std::ostream* os) { *os << r.name; }

const RateCase kRates[] = {{"44k1_to_48k", 44100.0}, {"96k_to_48k", 96000.0}};

class StreamConversion : public ::testing::TestWithParam<std::tuple<FormatCase, RateCase, bool>> {};

TEST_P(StreamConversion, BlocksLaidEndToEndAreTheInterpolatedSource) {
  const auto& [format, rate, sine] = GetParam();
  const double step = float(rate.sourceRate / 48000.0);
  const int32_t blockFrames = 200, blocks = 200;
  Source source = MakeSource(format, int64_t(blockFrames * blocks * step) + 4000, sine);
  Stream stream(format, source, step, blockFrames);
  std::vector<uint8_t> out;
  bool shrank = false;  // the carry filled to half and the request followed what a block takes
  for (int32_t b = 0; b < blocks; ++b) {
    ASSERT_EQ(stream.Call(b & 1, &out), 0) << "block " << b;
    shrank |= stream.channel.inputFramesPerCall < stream.channel.nominalInputFrames;
  }
  EXPECT_TRUE(shrank);
  const int32_t sides = Sides(format);
  for (int64_t k = 0; k < int64_t(blockFrames) * blocks; ++k)
    for (int32_t side = 0; side < sides; ++side) {
      long double tolerance = 0;
      long double want = Reference(source, step, k, side, &tolerance);
      long double got = OutputAt(format, out, size_t(k * sides + side));
      ASSERT_LE(std::fabs(got - want), tolerance)
          << "output frame " << k << " (block " << k / blockFrames << ") side " << side;
    }
}

std::string CaseName(const ::testing::TestParamInfo<StreamConversion::ParamType>& info) {
  return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name +
         (std::get<2>(info.param) ? "_sine" : "_ramp");
}

INSTANTIATE_TEST_SUITE_P(Formats, StreamConversion,
                         ::testing::Combine(::testing::ValuesIn(kFormats), ::testing::ValuesIn(kRates),
                                            ::testing::Bool()),
                         CaseName);

}  // namespace
