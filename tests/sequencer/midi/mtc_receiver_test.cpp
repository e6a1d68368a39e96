// The time-code receiver's rules that do not show on the wire: a jump of the reference is
// corrected only when it persists, a drift at once; a full frame is a locate that stops a
// running pass; bytes that are not time code go on to the processors.
#include <gtest/gtest.h>

#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/mtc_receiver.h"
#include "sequencer/transport/playback_control.h"
#include "song/conductor/song_start_offset.h"
#include "song/conductor/tempo_tables.h"

namespace {

class MtcReceiverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetMtcReceiver();
    SetSmpteFrameRate(1);
    gSongStartOffset = 0;
    gTransportClock.syncStarted = 1;
    gTransportClock.tickDebt = 0;
    gTransportClock.subframeIncrement = 2u << 16;  // two subframes a tick
    gRealTimePosition = uint64_t(10000) << 16;
  }
  void TearDown() override {
    gTransportClock.syncStarted = 0;
    gTransportClock.tickDebt = 0;
    gTransportClock.runBits = 0;
    gTransportClock.playBits = 0;
    gAudioClockMode = 0;
    gRealTimePosition = 0;
    SetSmpteFrameRate(3);
    ResetMtcReceiver();
  }
};

TEST_F(MtcReceiverTest, AJumpIsCorrectedOnlyWhenItPersistsADriftAtOnce) {
  SetSyncDebtFromSubframes(10000 + 38);
  EXPECT_EQ(19, gTransportClock.tickDebt) << "a drift of 38 subframes is corrected at once (in ticks)";
  gTransportClock.tickDebt = 0;
  SetSyncDebtFromSubframes(10000 + 39);
  EXPECT_EQ(19, gTransportClock.tickDebt) << "39 subframes is still a drift";
  gTransportClock.tickDebt = 0;
  for (int i = 1; i < kMtcDefaultJumpLimit; ++i) {
    SetSyncDebtFromSubframes(10000 + 400);
    EXPECT_EQ(0, gTransportClock.tickDebt) << "jump " << i << " was corrected before the limit";
  }
  SetSyncDebtFromSubframes(10000 + 400);
  EXPECT_EQ(200, gTransportClock.tickDebt) << "a jump that persists to the limit is corrected";
}

TEST_F(MtcReceiverTest, BeforeTheStartTheClockWaits) {
  gTransportClock.syncStarted = 0;
  SetSyncDebtFromSubframes(12345);
  EXPECT_EQ(kSyncDebtWait, gTransportClock.tickDebt);
}

TEST_F(MtcReceiverTest, AFullFrameIsALocateAtItsRate) {
  // 01:00:10:05 at 25 frames (rate type 1 in bits 5-6 of the hours).
  const uint8_t full[] = {0xF0, 0x7F, 0x7F, 0x01, 0x01, 0x21, 0x00, 0x0A, 0x05, 0xF7};
  EXPECT_EQ(0, ReceiveMtcMessage(full, int32_t(sizeof full), 0, 0)) << "the full frame went on to the processors";
  EXPECT_EQ((3600 + 10) * 2000 + 5 * 80, gMtcReceivedPosition.load());
  EXPECT_EQ(1, gAudioClockMode);
  uint32_t count = 0;
  ReceivedTimeCode tc;
  ASSERT_TRUE(TakeReceivedTimeCode(&count, &tc));
  EXPECT_EQ(1, tc.rateCode);
  EXPECT_FALSE(tc.fromQuarterFrames) << "a full frame is not ahead of its time";
  EXPECT_FALSE(TakeReceivedTimeCode(&count, &tc)) << "the same time code was taken twice";
}

// The eight pieces of hh:mm:ss:ff at 25 frames, each as F1 nn.
void SendQuarterFrames(uint8_t hours, uint8_t minutes, uint8_t seconds, uint8_t frames, int pieces = 8) {
  const uint8_t nibbles[8] = {uint8_t(frames & 15),  uint8_t(frames >> 4),  uint8_t(seconds & 15),
                              uint8_t(seconds >> 4), uint8_t(minutes & 15), uint8_t(minutes >> 4),
                              uint8_t(hours & 15),   uint8_t((hours >> 4) | 1 << 1)};
  for (int k = 0; k < pieces; ++k) {
    const uint8_t message[] = {0xF1, uint8_t(k << 4 | nibbles[k])};
    ReceiveMtcMessage(message, 2, 0, 0);
  }
}

TEST_F(MtcReceiverTest, EveryQuarterFrameMovesTheReceivedPositionOnAQuarterFrame) {
  SendQuarterFrames(1, 0, 10, 5, 7);
  EXPECT_EQ(-1, gMtcReceivedPosition.load()) << "pieces before the first complete time code placed a position";
  SendQuarterFrames(1, 0, 10, 5, 8);
  const int64_t first = (3600 + 10) * 2000 + 5 * 80 + kMtcQuarterFrameLead;
  ASSERT_EQ(first, gMtcReceivedPosition.load());
  const uint8_t next[8] = {7, 0, 10, 0, 0, 0, 1, 1 << 1};
  for (int k = 0; k < 7; ++k) {
    const uint8_t message[] = {0xF1, uint8_t(k << 4 | next[k])};
    ReceiveMtcMessage(message, 2, 0, 0);
    EXPECT_EQ(first + 20 * (k + 1), gMtcReceivedPosition.load()) << "after piece " << k;
  }
  const uint8_t last[] = {0xF1, uint8_t(7 << 4 | next[7])};
  ReceiveMtcMessage(last, 2, 0, 0);
  EXPECT_EQ(first + 160, gMtcReceivedPosition.load()) << "the completed time code two frames on, ahead by its lead";
}

TEST_F(MtcReceiverTest, OtherMessagesGoOnAndRealTimeBytesStop) {
  const uint8_t note[] = {0x90, 60, 100};
  EXPECT_NE(0, ReceiveMtcMessage(note, 3, 0, 0));
  const uint8_t clock[] = {0xF8};
  EXPECT_EQ(0, ReceiveMtcMessage(clock, 1, 0, 0));
  // Another universal message is taken and forgotten: no time code comes of it.
  const uint8_t other[] = {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
  ReceiveMtcMessage(other, int32_t(sizeof other), 0, 0);
  EXPECT_EQ(-1, gMtcReceivedPosition.load());
}

}  // namespace
