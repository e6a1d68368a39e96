// The MMC sender's messages byte for byte, its device addressing and gap, and the time-code
// fields it sends (drop-frame and plain).
#include <functional>

#include "platform/system/host_time.h"
#include "sequencer/clock/tick_scheduler.h"
#include "sequencer/clock/time_code_format.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/mmc_sender.h"
#include "song/conductor/tempo_tables.h"
#include "song/instruments/driver_procs.h"
#include "tests/sequencer/transport/transport_fixture.h"

namespace {

constexpr DriverProcId kMmcRecorderProc = 61;

struct MmcMessage {
  std::vector<uint8_t> bytes;
  uint64_t millis;
};
std::vector<MmcMessage> gMmc;

int32_t RecordMmc(uint8_t* record, int32_t) {
  EXPECT_EQ(0x80, record[0]);
  gMmc.push_back({std::vector<uint8_t>(record + 6, record + record[1]), GetMillisecondClock()});
  return 0;
}

using Bytes = std::vector<uint8_t>;

class MmcTest : public TransportTest {
 protected:
  void SetUp() override {
    TransportTest::SetUp();
    SetDriverProcById(kMmcRecorderProc, RecordMmc);
    gMmcOutputSend = kMmcRecorderProc;
    gMmcEnabled = 1;
    gMachineControl = 1;
    gMmcDeviceId = 5;
    gMmcResetSent = 0;
    gMmcRecording = 0;
    gMmcMinGapMilliseconds = 0;
    gMmcOffsetFrames = 0;
    gPunchEnabled = 0;
    gPunchedIn = 0;
    gMmc.clear();
    // 120 beats per minute at 480 per quarter, 30 frames: 57,600 ticks a minute.
    ASSERT_EQ(noErr, PreparePlayback(MakeSong({TestTrack()}, {}), 0));
  }
  void TearDown() override {
    SetDriverProcById(kMmcRecorderProc, nullptr);
    gMmcOutputSend = kNoDriverProc;
    TransportTest::TearDown();
  }
};

std::vector<Bytes> Sent() {
  std::vector<Bytes> out;
  for (const MmcMessage& m : gMmc) out.push_back(m.bytes);
  return out;
}

TEST_F(MmcTest, MessagesAreSentByteForByte) {
  const uint32_t kMinute = 1 + 57600;  // 00:01:00:00
  const uint32_t kTwoSecondsTenFrames = 1 + 1920 + 320;  // 00:00:02:10 (960 ticks a second)
  struct Case {
    const char* name;
    std::function<void()> send;
    std::vector<Bytes> expected;
  };
  const Case cases[] = {
      {"reset", [] { MmcResetOnce(); MmcResetOnce(); }, {{0xF0, 0x7F, 0x7F, 0x06, 0x0D, 0xF7}}},
      {"setup",
       [] { MmcSetup(); },
       {{0xF0, 0x7F, 0x7F, 0x06, 0x49, 0x01, 0x05, 0xF7},
        {0xF0, 0x7F, 0x05, 0x06, 0x40, 0x04, 0x5F, 0x02, 0x00, 0x01, 0xF7},
        {0xF0, 0x7F, 0x05, 0x06, 0x4B, 0x01, 0x02, 0xF7}}},
      {"locate",
       [=] { MmcLocate(kMinute); },
       {{0xF0, 0x7F, 0x7F, 0x06, 0x44, 0x06, 0x01, 0x60, 0x01, 0x00, 0x00, 0x00, 0xF7}}},
      {"locate and play",
       [=] { MmcLocateAndPlay(kTwoSecondsTenFrames); },
       {{0xF0, 0x7F, 0x7F, 0x06, 0x44, 0x06, 0x01, 0x60, 0x00, 0x02, 0x0A, 0x00, 0xF7},
        {0xF0, 0x7F, 0x7F, 0x06, 0x03, 0xF7}}},
      {"punch",
       [=] { MmcSetPunch(kTwoSecondsTenFrames, kMinute); },
       {{0xF0, 0x7F, 0x7F, 0x06, 0x40, 0x0C, 0x09, 0x60, 0x00, 0x02, 0x0A, 0x00, 0x0A, 0x60,
         0x01, 0x00, 0x00, 0x00, 0xF7},
        {0xF0, 0x7F, 0x7F, 0x06, 0x51, 0x06, 0x00, 0x01, 0x00, 0x01, 0x09, 0x06, 0xF7},
        {0xF0, 0x7F, 0x7F, 0x06, 0x51, 0x06, 0x00, 0x02, 0x00, 0x01, 0x0A, 0x07, 0xF7}}},
      {"punch events off",
       [] { MmcSetPunch(0, 0); },
       {{0xF0, 0x7F, 0x7F, 0x06, 0x51, 0x02, 0x01, 0x01, 0xF7},
        {0xF0, 0x7F, 0x7F, 0x06, 0x51, 0x02, 0x01, 0x02, 0xF7},
        {0xF0, 0x7F, 0x7F, 0x06, 0x40, 0x0C, 0x09, 0x60, 0, 0, 0, 0, 0x0A, 0x60, 0, 0, 0, 0, 0xF7},
        {0xF0, 0x7F, 0x7F, 0x06, 0x51, 0x06, 0x00, 0x01, 0x00, 0x01, 0x09, 0x06, 0xF7},
        {0xF0, 0x7F, 0x7F, 0x06, 0x51, 0x06, 0x00, 0x02, 0x00, 0x01, 0x0A, 0x07, 0xF7}}},
      {"record", [] { MmcRecord(true, false); MmcRecord(false, false); },
       {{0xF0, 0x7F, 0x7F, 0x06, 0x06, 0xF7}, {0xF0, 0x7F, 0x7F, 0x06, 0x07, 0xF7}}},
      {"record with punch needs force",
       [] {
         gPunchEnabled = 1;
         MmcRecord(true, false);
         MmcRecord(true, true);
         gPunchEnabled = 0;
       },
       {{0xF0, 0x7F, 0x7F, 0x06, 0x06, 0xF7}}},
      {"stop", [] { MmcStop(); }, {{0xF0, 0x7F, 0x7F, 0x06, 0x01, 0xF7}}},
      {"all-call device gets no addressed set-up",
       [] {
         gMmcDeviceId = 127;
         MmcSetup();
         gMmcDeviceId = 5;
       },
       {{0xF0, 0x7F, 0x7F, 0x06, 0x49, 0x01, 0x7F, 0xF7}}},
      {"disabled sends nothing",
       [] {
         gMmcEnabled = 0;
         MmcStop();
         MmcLocate(1);
         gMmcEnabled = 1;
         gMachineControl = 0;
         MmcStop();
         gMachineControl = 1;
       },
       {}},
  };
  for (const Case& c : cases) {
    gMmc.clear();
    gMmcResetSent = 0;
    c.send();
    EXPECT_EQ(c.expected, Sent()) << c.name;
  }
}

TEST_F(MmcTest, ADeviceIdOutsideTheRangeAddressesAllDevices) {
  gMmcDeviceId = 200;
  MmcBegin(false);
  int32_t length = 0;
  const uint8_t* bytes = MmcBufferBytes(&length);
  ASSERT_EQ(4, length);
  EXPECT_EQ(0x7F, bytes[2]);
  // The buffer keeps 64 bytes and drops the rest.
  for (int i = 0; i < 100; ++i) MmcPutByte(0x11);
  MmcBufferBytes(&length);
  EXPECT_EQ(kMmcBufferSize, length);
}

TEST_F(MmcTest, PunchFollowsTheSongTickInsideTheRange) {
  gPunchEnabled = 1;
  gPunchInTick = 100;
  gPunchOutTick = 200;
  gPunchedIn = 1;
  const std::pair<uint32_t, std::vector<Bytes>> steps[] = {
      {50, {}},
      {100, {{0xF0, 0x7F, 0x7F, 0x06, 0x06, 0xF7}}},
      {150, {}},
      {200, {{0xF0, 0x7F, 0x7F, 0x06, 0x07, 0xF7}}},
  };
  for (const auto& [tick, expected] : steps) {
    gMmc.clear();
    gTransportClock.songTick = tick;
    MmcUpdatePunch();
    EXPECT_EQ(expected, Sent()) << "tick " << tick;
  }
}

TEST_F(MmcTest, MessagesKeepTheMinimumGap) {
  gMmcMinGapMilliseconds = 20;
  gMmcLastMessageMilliseconds = 0;
  MmcStop();
  MmcStop();
  MmcStop();
  ASSERT_EQ(3u, gMmc.size());
  EXPECT_GE(gMmc[1].millis - gMmc[0].millis, 20u);
  EXPECT_GE(gMmc[2].millis - gMmc[1].millis, 20u);
}

TEST(TimeCodeFormat, DropAndNonDropFields) {
  struct Case {
    uint8_t rate;
    uint32_t subframes;
    TimeCodeFields expected;
  };
  const Case cases[] = {
      {2, 17982u * 80, {0, 10, 0, 0, 0}},
      {2, 1800u * 80, {0, 1, 0, 2, 0}},
      // The end of the first second of a dropped minute is second 1, never frame 30.
      {2, 144000 + 2240, {0, 1, 1, 0, 0}},
      {2, 144000 + 2239, {0, 1, 0, 29, 79}},
      {2, 6u * 1438560 + 80, {1, 0, 0, 1, 0}},
      {1, 2000, {0, 0, 1, 0, 0}},
      {3, 2400u * 3661 + 85, {1, 1, 1, 1, 5}},
  };
  uint8_t saved = gSmpteRateCode;
  for (const Case& c : cases) {
    gSmpteRateCode = c.rate;
    TimeCodeFields f;
    FormatTimeCode(c.subframes, &f);
    EXPECT_EQ(c.expected.hours, f.hours) << c.subframes;
    EXPECT_EQ(c.expected.minutes, f.minutes) << c.subframes;
    EXPECT_EQ(c.expected.seconds, f.seconds) << c.subframes;
    EXPECT_EQ(c.expected.frames, f.frames) << c.subframes;
    EXPECT_EQ(c.expected.subframes, f.subframes) << c.subframes;
  }
  gSmpteRateCode = saved;
}

}  // namespace
