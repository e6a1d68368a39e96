// The converters' rules one at a time: the dispatcher's choice, the clamps and byte orders, the
// input request that follows the carry, and the result codes of short input and a full carry.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "audio/engine/engine_channels.h"
#include "audio/streams/stream_converters.h"

namespace {

constexpr OSType kNone = FourCC("NONE");
constexpr OSType kTwos = FourCC("twos");

// A mono channel at step 1.0 (or `step`) over one input block of `frames` frames.
struct OneBlock {
  EngineChannel channel;
  std::vector<uint8_t> input;
  std::vector<uint8_t> carry;

  OneBlock(int16_t width, OSType format, int16_t outWidth, OSType outFormat, std::vector<uint8_t> bytes,
           int32_t outFrames, float step = 1.0f) {
    EngineChannel& c = channel;
    c.sourceWidth = uint16_t(width);
    c.sourceFormat = format;
    c.outputWidth = outWidth;
    c.outputFormat = outFormat;
    c.floatScale = 32768.0f;
    c.resampleStep = step;
    int32_t inBytes = width == 8 ? 1 : width == 16 ? 2 : width == 32 ? 4 : 3;
    int32_t outBytes = outFormat == kFloat32Format ? 4 : outWidth == 8 ? 1 : 2;
    c.inputBytesPerFrame = uint16_t(inBytes);
    c.outputBytesPerFrame = uint16_t(outBytes);
    c.nominalInputFrames = c.inputFramesPerCall = uint32_t(bytes.size() / size_t(inBytes));
    c.inputBytesPerCall = int32_t(bytes.size());
    c.decodedBlockBytes = outFrames * outBytes;
    c.carryCapacity = 256u * c.inputBytesPerFrame;
    carry.assign(c.carryCapacity, 0);
    c.carryBuffer = carry.data();
    input = std::move(bytes);
    c.inputBuffers[0] = c.inputBuffers[1] = input.data();
  }

  int16_t Run(std::vector<uint8_t>* out) {
    out->assign(size_t(channel.decodedBlockBytes), 0);
    return ConvertStreamBlock(&channel, 0, out->data(), nullptr);
  }
};

std::vector<int16_t> As16(const std::vector<uint8_t>& bytes) {
  std::vector<int16_t> v(bytes.size() / 2);
  std::memcpy(v.data(), bytes.data(), v.size() * 2);
  return v;
}

std::vector<float> AsFloat(const std::vector<uint8_t>& bytes) {
  std::vector<float> v(bytes.size() / 4);
  std::memcpy(v.data(), bytes.data(), v.size() * 4);
  return v;
}

std::vector<uint8_t> BigEndianFloats(std::initializer_list<float> values) {
  std::vector<uint8_t> bytes;
  for (float f : values) {
    uint32_t b;
    std::memcpy(&b, &f, 4);
    for (int s = 24; s >= 0; s -= 8) bytes.push_back(uint8_t(b >> s));
  }
  return bytes;
}

TEST(StreamConverterRules, StepOneWithEqualWidthsGivesTheInputUnchangedCallAfterCall) {
  std::vector<uint8_t> bytes;
  for (int i = 0; i < 64; ++i) {
    int16_t s = int16_t(i * 997 - 30000);
    bytes.push_back(uint8_t(uint16_t(s) >> 8));
    bytes.push_back(uint8_t(s));
  }
  OneBlock b(16, kNone, 16, kNone, bytes, 64);
  for (int call = 0; call < 3; ++call) {
    std::vector<uint8_t> out;
    ASSERT_EQ(b.Run(&out), 0);
    std::vector<int16_t> got = As16(out);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(got[size_t(i)], int16_t(i * 997 - 30000)) << "call " << call;
    EXPECT_EQ(b.channel.carryBytes, 0u);
  }
}

TEST(StreamConverterRules, FloatSourcesClampAtFullScaleInSixteenBits) {
  OneBlock b(32, kFloat32Format, 16, kNone, BigEndianFloats({1.0f, 1.5f, -1.0f, -2.0f, 0.5f, -0.25f}), 6);
  std::vector<uint8_t> out;
  ASSERT_EQ(b.Run(&out), 0);
  EXPECT_EQ(As16(out), (std::vector<int16_t>{32767, 32767, -32768, -32768, 16384, -8192}));
}

TEST(StreamConverterRules, TwentyFourBitLittleEndianKeepsTheUpperBytesInOrder) {
  // 0x123456 and -0x123457 (0xEDCBA9), stored low byte first.
  OneBlock b(24, kNone, 16, kNone, {0x56, 0x34, 0x12, 0xA9, 0xCB, 0xED}, 2);
  b.channel.sourceLittleEndian = 1;
  std::vector<uint8_t> out;
  ASSERT_EQ(b.Run(&out), 0);
  EXPECT_EQ(As16(out), (std::vector<int16_t>{0x1234, int16_t(0xEDCB)}));
}

TEST(StreamConverterRules, TwelveAndTwentyBitSourcesAreReadAsThreeByteSamples) {
  for (int16_t width : {12, 20}) {
    OneBlock b(width, kNone, 16, kNone, {0x12, 0x34, 0x56, 0x80, 0x00, 0x10}, 2);
    b.channel.inputBytesPerFrame = 3;
    b.channel.nominalInputFrames = b.channel.inputFramesPerCall = 2;
    std::vector<uint8_t> out;
    ASSERT_EQ(b.Run(&out), 0) << width;
    EXPECT_EQ(As16(out), (std::vector<int16_t>{0x1234, int16_t(0x8000)})) << width;
  }
}

TEST(StreamConverterRules, EightBitRawIsOffsetByHalfAndTwosIsSigned) {
  struct Case {
    OSType format;
    std::vector<int16_t> want;  // 0.5 is added to each value, then truncated toward zero
  } cases[] = {{kRawFormat, {0, -32767, 32512, -255}}, {kTwos, {-32767, 0, -255, 32512}}};
  for (const Case& c : cases) {
    OneBlock b(8, c.format, 16, kNone, {0x80, 0x00, 0xFF, 0x7F}, 4);
    std::vector<uint8_t> out;
    ASSERT_EQ(b.Run(&out), 0);
    EXPECT_EQ(As16(out), c.want);
  }
  OneBlock f(8, kRawFormat, 32, kFloat32Format, {0x80, 0x00, 0xFF}, 3);
  std::vector<uint8_t> out;
  ASSERT_EQ(f.Run(&out), 0);
  EXPECT_EQ(AsFloat(out), (std::vector<float>{0.5f, -127.5f, 127.5f}));  // the 8-bit scale
}

TEST(StreamConverterRules, WidthsWithoutAConverterAnswerMinusFour) {
  struct Case {
    int16_t width;
    int16_t outWidth;
    OSType outFormat;
  } cases[] = {{16, 24, kNone}, {16, 12, kNone}, {40, 16, kNone}, {40, 32, kFloat32Format}, {8, 0, kTwos}};
  for (const Case& c : cases) {
    OneBlock b(c.width, kNone, c.outWidth, c.outFormat, std::vector<uint8_t>(64, 0), 4);
    std::vector<uint8_t> out;
    EXPECT_EQ(b.Run(&out), unimpErr) << c.width << " -> " << c.outWidth;
    EXPECT_EQ(b.channel.carryBytes, 0u);
  }
}

TEST(StreamConverterRules, NoDestinationAnswersMinusFifty) {
  OneBlock b(16, kNone, 16, kNone, std::vector<uint8_t>(8, 0), 4);
  EXPECT_EQ(ConvertStreamBlock(&b.channel, 0, nullptr, nullptr), paramErr);
}

TEST(StreamConverterRules, AShortInputHoldsItsLastSampleAndSaysSo) {
  // Four frames of input for a block of eight: the buffer ends there, nothing past it is read.
  OneBlock b(16, kNone, 16, kNone, {0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04, 0x00}, 8);
  std::vector<uint8_t> out;
  EXPECT_EQ(b.Run(&out), kConverterInputShort);
  EXPECT_EQ(As16(out), (std::vector<int16_t>{256, 512, 768, 1024, 1024, 1024, 1024, 1024}));
}

TEST(StreamConverterRules, OutputsBeyondAFullCarryAreDroppedAndReported) {
  // 600 input frames for a block of 100 at step 1: 500 outputs want a carry of 256 frames.
  OneBlock b(16, kNone, 16, kNone, std::vector<uint8_t>(1200, 0), 100);
  std::vector<uint8_t> out;
  EXPECT_EQ(b.Run(&out), kConverterCarryCut);
  EXPECT_EQ(b.channel.carryBytes, b.channel.carryCapacity);
}

TEST(StreamConverterRules, TheRequestShrinksOnceTheCarryIsHalfFull) {
  // 44.1 kHz into 48 kHz with the set-up's 8 spare frames: the carry grows each call.
  const int32_t blockFrames = 1000;
  const float step = 44100.0f / 48000.0f;
  const uint32_t nominal = uint32_t(blockFrames * step) + 8;
  OneBlock b(16, kNone, 16, kNone, std::vector<uint8_t>(size_t(nominal) * 2, 0x11), blockFrames, step);
  bool shrank = false;
  for (int call = 0; call < 60 && !shrank; ++call) {
    uint32_t carryBefore = b.channel.carryBytes;
    std::vector<uint8_t> out;
    ASSERT_EQ(b.Run(&out), 0);
    if (b.channel.carryBytes < b.channel.carryCapacity / 2) {
      ASSERT_EQ(b.channel.inputFramesPerCall, nominal) << "call " << call;
      continue;
    }
    // The block took what remained after the carry it started with.
    uint32_t needed = uint32_t(blockFrames - carryBefore / 2);
    EXPECT_LT(b.channel.inputFramesPerCall, nominal);
    EXPECT_NEAR(double(b.channel.inputFramesPerCall), needed * step, 1.5);
    EXPECT_EQ(b.channel.inputBytesPerCall, int32_t(b.channel.inputFramesPerCall * 2));
    shrank = true;
  }
  EXPECT_TRUE(shrank);
}

}  // namespace
