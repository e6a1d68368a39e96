// The conductor lock state around map edits, and the engine channels it re-points.
#include "audio/engine/engine_play_state.h"
#include "audio/engine/engine_run_state.h"
#include "conductor_fixture.h"
#include "song/conductor/conductor_lock_state.h"
#include "song/model/songs.h"

namespace {

class LockTest : public ConductorTest {
 protected:
  void SetUp() override {
    ConductorTest::SetUp();
    TempoAt(1000, 900);
    TempoAt(2000, 1000);
    TempoAt(3000, 1100);
    map_ = Handle(ReadU32BE(Song() + kSongConductorMap));
  }
  void TearDown() override {
    gSectionMode = 0;
    gSectionModeSong = Handle();
    gClockConductorFollow = 0;
    gSongConductorCursor = 0;
    gAudioEnginePlayState = 0;
    gEngineChannels = nullptr;
    gAuxBusChannels = nullptr;
  }
  Handle map_;
};

TEST_F(LockTest, TheMapIsUnlockedForTheEditAndLockedAgainAfter) {
  HLock(map_);
  gClockConductorFollow = 1;
  ConductorLockState state;
  SaveConductorLockState(&state);
  EXPECT_FALSE(IsHandleLocked(map_));
  EXPECT_EQ(1, state.follow);
  EXPECT_EQ(1, gClockConductorFollow);  // not in section mode: the follow byte stays
  // Growing the unlocked map may move it.
  for (int32_t t = 4000; t < 40000; t += 1000) ASSERT_EQ(noErr, SetTempoAt(1000 + t / 1000, t));
  gPlayingSongChangeBits = 0;
  RestoreConductorLockState(&state);
  EXPECT_TRUE(IsHandleLocked(map_));
  EXPECT_EQ(kConductorChangedBits, gPlayingSongChangeBits);
  EXPECT_EQ(39, Count());
  ASSERT_EQ(noErr, SetTempoAtKeepingLock(50000, 1234));
  EXPECT_TRUE(IsHandleLocked(map_));
  EXPECT_EQ(1234, ConductorValue(Record(Count() - 1)));
}

TEST_F(LockTest, SectionModeClearsTheFollowByteAndTheCursor) {
  gSectionMode = 1;
  gSectionModeSong = gCurrentSongHandle;
  ASSERT_TRUE(IsSectionModeOnCurrentSong());
  gClockConductorFollow = 1;
  gSongConductorCursor = 2 * kConductorRecordSize + 1;  // at the third record
  ConductorLockState state;
  SaveConductorLockState(&state);
  EXPECT_EQ(0, gClockConductorFollow);
  EXPECT_EQ(0, gSongConductorCursor);
  EXPECT_EQ(2001, gConductorResumeTick);
  RestoreConductorLockState(&state);
  EXPECT_EQ(1, gClockConductorFollow);

  gSongConductorCursor = 1;  // at the first record
  SaveConductorLockState(&state);
  EXPECT_EQ(1, gConductorResumeTick);
  RestoreConductorLockState(&state);
  gSectionModeSong = Handle();
  EXPECT_FALSE(IsSectionModeOnCurrentSong());
}

TEST_F(LockTest, PlayingChannelsFindTheirConductorRecordAgain) {
  EngineChannel channel, aux;
  channel.next = nullptr;
  gEngineChannels = &channel;
  gAuxBusChannels = &aux;
  GetChannelConductorPosition(&channel)->positionTicks = 1500.7;
  GetChannelConductorPosition(&aux)->positionTicks = 3000.0;
  ConductorLockState state;
  SaveConductorLockState(&state);
  RestoreConductorLockState(&state);
  EXPECT_EQ(-1, GetChannelConductorPosition(&channel)->conductorRecord);  // engine stopped
  gAudioEnginePlayState = 1;
  SaveConductorLockState(&state);
  TempoAt(500, 800);
  RestoreConductorLockState(&state);
  EXPECT_EQ(2 * kConductorRecordSize, GetChannelConductorPosition(&channel)->conductorRecord);
  EXPECT_EQ(3 * kConductorRecordSize, GetChannelConductorPosition(&aux)->conductorRecord);
  ForgetChannelConductorPosition(&channel);
  ForgetChannelConductorPosition(&aux);
}

TEST_F(LockTest, TransportOptionBit7) {
  gClockOptionByte = 0x7f;
  EXPECT_FALSE(IsTransportOptionBit7Set());
  gClockOptionByte = 0x80;
  EXPECT_TRUE(IsTransportOptionBit7Set());
  gClockOptionByte = 0;
}

}  // namespace
