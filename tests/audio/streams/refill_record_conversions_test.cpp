// The block conversions between a file's sample formats and the engine's, and the record
// inputs' routines: device floats to 16-bit record buffers, commits and the hand-over of full
// buffers, mixing into a bus pair.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "audio/engine/engine_channels.h"
#include "audio/engine/record_input_commits.h"
#include "audio/engine/record_inputs.h"
#include "audio/render/block_conversions.h"

namespace {

TEST(RefillConversions, IntegersWidenToFloatInPlaceFromTheEnd) {
  struct Case {
    int16_t bits;
    std::vector<uint8_t> bytes;
    std::vector<float> want;
  } cases[] = {
      {8, {0x7F, 0x80, 0x01, 0xFF}, {127, -128, 1, -1}},
      {16, {0x7F, 0xFF, 0x80, 0x00, 0x00, 0x01, 0xFF, 0xFE}, {32767, -32768, 1, -2}},
      {24, {0x7F, 0xFF, 0xFF, 0x80, 0x00, 0x00, 0x00, 0x00, 0x01, 0xFF, 0xFF, 0xFE}, {8388607, -8388608, 1, -2}},
  };
  for (const Case& k : cases) {
    std::vector<float> block(4, 99.0f);
    std::memcpy(block.data(), k.bytes.data(), k.bytes.size());  // the source lies at the block's start
    ConvertIntegerToFloat(block.data(), block.data(), 2, 2, k.bits, true);
    EXPECT_EQ(block, k.want) << k.bits << " bits";
  }
  std::vector<float> silent(6, 5.0f);
  ConvertIntegerToFloat(nullptr, silent.data(), 3, 2, 16, false);
  EXPECT_EQ(silent, std::vector<float>(6, 0.0f));
}

TEST(RefillConversions, LittleEndianSamplesToFloat) {
  uint8_t le24[] = {0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x80};
  float out[2];
  ConvertSwappedToFloat(le24, out, 1, 2, 24, true);
  EXPECT_EQ(out[0], 8388607.0f);
  EXPECT_EQ(out[1], -8388608.0f);
  uint8_t le32[] = {0x01, 0x00, 0x00, 0x80};
  ConvertSwappedToFloat(le32, out, 1, 1, 32, true);
  EXPECT_EQ(out[0], -2147483647.0f);
}

TEST(RefillConversions, BlockTo16ByTheSourceWidth) {
  EngineChannel c;
  c.channelCount = 1;
  c.outputWidth = 16;
  c.sourceFormat = FourCC("fl32");
  c.sourceWidth = 32;
  uint8_t half[] = {0x3F, 0x00, 0x00, 0x00, 0xBF, 0x80, 0x00, 0x00, 0x3F, 0x80, 0x00, 0x00};  // 0.5, -1.0, 1.0
  int16_t out[3];
  ASSERT_EQ(ConvertBlockTo16(&c, half, out, true, sizeof out), 0);
  EXPECT_EQ(out[0], 16384);
  EXPECT_EQ(out[1], -32768);
  EXPECT_EQ(out[2], 32767);  // held to the range, never wrapped
  c.sourceFormat = FourCC("NONE");
  c.sourceWidth = 24;
  uint8_t s24[] = {0x12, 0x34, 0x56, 0xFE, 0xDC, 0xBA};
  ASSERT_EQ(ConvertBlockTo16(&c, s24, out, true, 4), 0);
  EXPECT_EQ(out[0], 0x1234);
  EXPECT_EQ(out[1], int16_t(0xFEDC));
  c.sourceWidth = 32;
  uint8_t s32[] = {0x12, 0x34, 0x56, 0x78};
  ASSERT_EQ(ConvertBlockTo16(&c, s32, out, true, 2), 0);
  EXPECT_EQ(out[0], 0x1234);
  c.sourceWidth = 12;
  EXPECT_EQ(ConvertBlockTo16(&c, s32, out, true, 2), -4);
  out[0] = 7;
  c.sourceWidth = 24;
  ASSERT_EQ(ConvertBlockTo16(&c, nullptr, out, false, 2), 0);
  EXPECT_EQ(out[0], 0);
}

TEST(RefillConversions, ChannelBlockOfLittleEndianChannels) {
  EngineChannel c;
  c.channelCount = 2;
  c.sourceFormat = FourCC("sowt");
  c.sourceWidth = 16;
  float out[2];
  EXPECT_EQ(ConvertChannelBlock(&c, 0, out, true), -4);
  c.sourceWidth = 24;
  uint8_t half[] = {0x01, 0x00, 0x00, 0xFF, 0xFF, 0xFF};
  c.inputBuffers[1] = half;
  c.halfInputBytes[1] = 6;
  c.inputBytesPerFrame = 6;
  ASSERT_EQ(ConvertChannelBlock(&c, 1, out, true), 0);
  EXPECT_EQ(out[0], 1.0f);
  EXPECT_EQ(out[1], -1.0f);
  c.inputBuffers[1] = nullptr;
}

TEST(RefillConversions, ReverseKeepsStereoPairsTogether) {
  int16_t frames[] = {1, -1, 2, -2, 3, -3};
  ReverseFrames(frames, 3, 2, 16);
  EXPECT_EQ(std::vector<int16_t>(frames, frames + 6), (std::vector<int16_t>{3, -3, 2, -2, 1, -1}));
}

// A record input with two small buffers, recording from position 0 with a wide window.
struct RecordInput {
  AudioInput input;
  std::vector<uint8_t> storage[2];
  explicit RecordInput(int32_t bytes) {
    for (int32_t i = 0; i < 2; ++i) {
      storage[i].assign(size_t(bytes), 0xEE);
      input.buffers[i] = storage[i].data();
    }
    input.bufferCount = 2;
    input.bufferBytes = bytes;
    input.writePointer = input.buffers[0];
    input.windowEnd = 1 << 30;
    input.activeMark = 1;
  }
};

TEST(RecordInputs, ChannelAssignment) {
  AudioInput in;
  AssignRecordInputChannels(&in, 1, 1, 0, 0);
  EXPECT_EQ(in.channels, 1);
  EXPECT_EQ(in.leftChannel, 3);  // a mono input records the right index
  AssignRecordInputChannels(&in, 2, 2, 0, 0);
  EXPECT_EQ(in.channels, 2);
  EXPECT_EQ(in.leftChannel, 4);
  EXPECT_EQ(in.rightChannel, 5);
  AssignRecordInputChannels(&in, -1, 2, 6, 9);
  EXPECT_EQ(in.leftChannel, 6);
  EXPECT_EQ(in.rightChannel, 9);
}

TEST(RecordInputs, FloatsBecomeInterleaved16BitWithMagnitudePeaks) {
  RecordInput r(1024);
  r.input.channels = 2;
  // Interleaved device buffer: left ramp up, right ramp down, read with a stride of 2.
  std::vector<float> device;
  for (int32_t i = 0; i < 8; ++i) {
    device.push_back(float(i) / 8.0f);
    device.push_back(-float(i) / 8.0f - 1.0f / 65536.0f);
  }
  device[14] = 1.0f;  // full scale is held at 32767
  TakeEngineError();
  WriteRecordInputFloat(&r.input, device.data(), device.data() + 1, 2, 8, nullptr);
  const auto* s = reinterpret_cast<const int16_t*>(r.storage[0].data());
  for (int32_t i = 0; i < 7; ++i) {
    EXPECT_EQ(s[2 * i], int16_t(i * 4096)) << i;
    EXPECT_EQ(s[2 * i + 1], int16_t(-i * 4096)) << i;  // -x.5 truncates toward zero
  }
  EXPECT_EQ(s[14], 32767);
  EXPECT_EQ(r.input.writePointer, r.input.buffers[0] + 32);
  EXPECT_EQ(r.input.position, 8);
  EXPECT_EQ(r.input.maxPeakLeft, 32767);
  EXPECT_EQ(r.input.maxPeakRight, 28672);  // the negative side counts by its magnitude
  EXPECT_EQ(TakeEngineError(), 0);
}

TEST(RecordInputs, ABufferFillingWhileItsWriteIsPendingLatchesAndIsNotPosted) {
  RecordInput r(16);
  r.input.channels = 1;
  r.input.writeRequests[0].result.store(1);  // still being written
  std::vector<float> device(8, 0.25f);
  TakeEngineError();
  WriteRecordInputFloat(&r.input, device.data(), nullptr, 1, 8, nullptr);
  EXPECT_EQ(TakeEngineError(), -224);
  EXPECT_EQ(r.input.writeRequests[0].count, 0u);
  EXPECT_EQ(r.input.filePosition, 0);
  EXPECT_EQ(r.input.currentBuffer, 0);
  // More input goes nowhere: the pending buffer is never overwritten.
  r.storage[1].assign(16, 0xEE);
  WriteRecordInputFloat(&r.input, device.data(), nullptr, 1, 8, nullptr);
  EXPECT_EQ(r.storage[1], std::vector<uint8_t>(16, 0xEE));
}

TEST(RecordInputs, CommitsOutsideTheWindowOrInactiveAreIgnored) {
  RecordInput r(64);
  r.input.windowStart = 100;
  CommitRecordBytes(&r.input, 8, 4, 10, 10, nullptr);
  EXPECT_EQ(r.input.writePointer, r.input.buffers[0]);
  r.input.windowStart = 0;
  r.input.activeMark = 0;
  CommitRecordBytes(&r.input, 8, 4, 10, 10, nullptr);
  EXPECT_EQ(r.input.writePointer, r.input.buffers[0]);
  r.input.activeMark = 1;
  r.input.writeRequests[0].result.store(-36);  // the last write failed
  TakeEngineError();
  CommitRecordBytes(&r.input, 8, 4, 10, 10, nullptr);
  EXPECT_EQ(TakeEngineError(), -36);
  EXPECT_EQ(r.input.writePointer, r.input.buffers[0]);
}

TEST(RecordInputs, MixIntoBusPairClipsAndPeaks) {
  float source[] = {0.5f, -0.25f, 0.75f, -0.5f};
  float target[] = {0.1f, 0.1f, 0.3f, -0.6f};
  float peaks[2];
  uint8_t clip = 0;
  MixIntoBusPair(source, target, &clip, peaks, 2, false);
  EXPECT_FLOAT_EQ(target[2], 1.05f);
  EXPECT_EQ(clip, 1);
  EXPECT_FLOAT_EQ(peaks[0], 1.05f);
  EXPECT_FLOAT_EQ(peaks[1], 1.1f);
  clip = 0;
  MixIntoBusPair(source, target, &clip, peaks, 2, true);
  EXPECT_EQ(clip, 0);
  EXPECT_FLOAT_EQ(peaks[0], 0.75f);
  EXPECT_FLOAT_EQ(peaks[1], 0.5f);
}

}  // namespace
