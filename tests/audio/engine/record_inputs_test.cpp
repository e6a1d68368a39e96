// Record inputs in the IO procedures: channels found across buffers with their own strides,
// samples clamped into 16- and 24-bit record buffers, meters by magnitude, no write past the
// record buffer, and missing channels reported.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "audio/devices/audio_driver.h"
#include "audio/devices/coreaudio_io.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/record_inputs.h"

namespace {

constexpr uint32_t kN = 4;

// Input buffers: a stereo buffer (device channels 0, 1) and a mono one (channel 2).
struct Inputs {
  float stereo[kN * 2] = {0.5f, -0.25f, 1.5f, -1.5f, -0.75f, 0.1f, 0.0f, 0.0f};
  float mono[kN] = {-0.9f, 0.2f, 0.3f, 0.4f};
  std::vector<uint8_t> bytes = std::vector<uint8_t>(AudioBufferListSize(2));
  AudioBufferList* list() {
    auto* l = reinterpret_cast<AudioBufferList*>(bytes.data());
    l->mNumberBuffers = 2;
    l->mBuffers[0] = AudioBuffer{2, sizeof stereo, stereo};
    l->mBuffers[1] = AudioBuffer{1, sizeof mono, mono};
    return l;
  }
};

// Recorded samples are big-endian, as the record file's header declares them.
int16_t Read16(const uint8_t* at) { return int16_t((uint16_t(at[0]) << 8) | at[1]); }
int32_t Read24BE(const uint8_t* at) { return int32_t((uint32_t(at[0]) << 24) | (uint32_t(at[1]) << 16) | (uint32_t(at[2]) << 8)) >> 8; }

TEST(RecordInputs, StereoAcrossBuffersIsClampedInto16Bits) {
  Inputs in;
  AudioInput input;
  input.channels = 2;
  input.leftChannel = 0;   // first buffer, stride 2
  input.rightChannel = 2;  // second buffer, stride 1
  uint8_t buffer[kN * 2 * 2 + 4] = {};
  input.writePointer = buffer;
  input.writeEnd = buffer + sizeof buffer;
  ASSERT_EQ(CaptureRecordInput(in.list(), nullptr, &input, kN), 0);
  EXPECT_EQ(Read16(buffer + 0), 16384);    // 0.5
  EXPECT_EQ(Read16(buffer + 2), -29491);   // -0.9 from the mono buffer
  EXPECT_EQ(Read16(buffer + 4), 32767);    // 1.5 clamps
  EXPECT_EQ(Read16(buffer + 8), -24576);   // -0.75
  EXPECT_EQ(input.writePointer, buffer + kN * 4);
  EXPECT_EQ(input.peakLeft, 32767);
  EXPECT_EQ(input.peakRight, 29491);       // magnitude of -0.9
  EXPECT_EQ(input.framePosition, int64_t(kN));
  // The next block does not fit: nothing is written past the end.
  EXPECT_EQ(CaptureRecordInput(in.list(), nullptr, &input, kN), kRecordErrBufferFull);
  EXPECT_EQ(input.writePointer, buffer + kN * 4);
}

TEST(RecordInputs, TwentyFourBitSamplesClampAndLevelsTakeTheMagnitude) {
  Inputs in;
  AudioInput input;
  input.sampleBits = 24;
  input.leftChannel = 0;
  uint8_t buffer[kN * 3] = {};
  input.writePointer = buffer;
  input.writeEnd = buffer + sizeof buffer;
  ASSERT_EQ(CaptureRecordInput(in.list(), nullptr, &input, kN), 0);
  EXPECT_EQ(Read24BE(buffer + 3), 8388607);  // 1.5
  EXPECT_EQ(Read24BE(buffer + 0), 4194304);  // 0.5
  // Armed, not recording: the meters read a negative-going signal.
  AudioInput meter;
  meter.armed = 1;
  meter.channels = 2;
  meter.leftChannel = 1;   // -0.25, -1.5, 0.1, 0
  meter.rightChannel = 2;
  ASSERT_EQ(CaptureRecordInput(in.list(), nullptr, &meter, kN), 0);
  uint16_t l = 0, r = 0;
  EXPECT_EQ(meter.levelPending, 1);
  ReadInputLevels(&meter, &l, &r);
  EXPECT_EQ(l, 32767);
  EXPECT_EQ(r, 29491);
  EXPECT_EQ(meter.levelPending, 0);
}

TEST(RecordInputs, MissingOrShortChannelsAreReported) {
  Inputs in;
  AudioInput input;
  input.armed = 1;
  input.leftChannel = 3;  // beyond the last buffer
  EXPECT_EQ(CaptureRecordInput(in.list(), nullptr, &input, kN), kRecordErrChannelMissing);
  input.leftChannel = 2;
  EXPECT_EQ(CaptureRecordInput(in.list(), nullptr, &input, kN * 2), kRecordErrChannelMissing);  // too short
  // Through the dispatch: the error ends the walk and is latched.
  TakeEngineError();
  input.leftChannel = 3;
  input.hasArmedTracks = 1;
  gAudioBufferFrames.store(kN);
  EXPECT_EQ(RecordInputDispatch(in.list(), nullptr, &input, 0, nullptr), kRecordErrChannelMissing);
  EXPECT_EQ(TakeEngineError(), kRecordErrChannelMissing);
}

}  // namespace

// With record buffers, a cycle goes into the current buffer only when all of it fits: a full
// buffer whose write is still pending loses the cycle (-224) and no byte lands past it or in
// the next buffer; a cycle that fits is committed, and the full buffer is posted.
TEST(RecordInputs, RecordBuffersTakeACycleOnlyWhenItFits) {
  Inputs in;
  AudioInput input;
  input.channels = 1;
  input.leftChannel = input.rightChannel = 2;
  std::vector<uint8_t> storage[2] = {std::vector<uint8_t>(3 * kN * 2 + 4, 0xEE), std::vector<uint8_t>(3 * kN * 2 + 4, 0xEE)};
  input.buffers[0] = storage[0].data();
  input.buffers[1] = storage[1].data();
  input.bufferCount = 2;
  input.bufferBytes = 3 * kN * 2;  // three cycles of 16-bit mono
  input.windowEnd = 1 << 30;
  input.activeMark = 1;
  input.writeRequests[1].result.store(1);  // the next buffer's write is still pending
  input.writePointer = input.buffers[0] + 2 * kN * 2 + 2;  // less than a cycle left
  AudioTimeStamp time{};
  EXPECT_EQ(CaptureRecordInput(in.list(), &time, &input, kN), kRecordErrBufferFull);
  for (size_t i = 2 * kN * 2 + 2; i < storage[0].size(); ++i) EXPECT_EQ(storage[0][i], 0xEE) << i;
  EXPECT_EQ(storage[1][0], 0xEE);
  input.writePointer = input.buffers[0] + 2 * kN * 2;  // exactly one cycle left: taken
  EXPECT_EQ(CaptureRecordInput(in.list(), &time, &input, kN), 0);
  EXPECT_EQ(int16_t((storage[0][2 * kN * 2] << 8) | storage[0][2 * kN * 2 + 1]), int16_t(-0.9f * 32768.0f));
  EXPECT_EQ(storage[0][3 * kN * 2], 0xEE);
  EXPECT_EQ(input.position, int64_t(kN));
}
