// Engine channel levels, the master level, the latched engine error and the channel slots.
#include <gtest/gtest.h>

#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_channels.h"

namespace {

TEST(EngineChannels, PanLawGivesTheGainsOfEachSide) {
  struct Case {
    int32_t volume, pan, left, right;
  };
  const Case cases[] = {
      {32768, 64, 32768, 32768},  // centre: equal gains
      {32768, 0, 32768, 0},       // hard left
      {32768, 127, 0, 32768},     // hard right
      {32768, -5, 32768, 0},      // negative counts as 0
      {32768, 200, 0, 32768},     // above 127 counts as 127
      {32768, 32, 32768, 16384},
      {32768, 96, 16124, 32768},  // 32768 x 31 / 63 to the nearest
      {1000, 1, 1000, 16},        // (1000 + 32) / 64
  };
  for (const Case& c : cases) {
    int32_t left = -1, right = -1;
    SetChannelGains(c.volume, c.pan, &left, &right);
    EXPECT_EQ(left, c.left) << "pan " << c.pan;
    EXPECT_EQ(right, c.right) << "pan " << c.pan;
  }
}

TEST(EngineChannels, MasterLevelScalesVolumes) {
  int32_t saved = gMasterLevel;
  gMasterLevel = 4096;
  EXPECT_EQ(ScaleByMasterLevel(1000), 1000);
  gMasterLevel = 2048;
  EXPECT_EQ(ScaleByMasterLevel(1000), 500);
  EXPECT_EQ(ScaleByMasterLevel(-1001), -500);  // toward zero
  gMasterLevel = 0;
  EXPECT_EQ(ScaleByMasterLevel(1000), 0);
  gMasterLevel = 9000;
  EXPECT_EQ(ScaleByMasterLevel(1000), 1000);
  gMasterLevel = saved;
}

TEST(EngineChannels, FirstErrorOfARunIsKept) {
  TakeEngineError();
  EXPECT_EQ(LatchAudioEngineError(47), 0);
  EXPECT_EQ(LatchAudioEngineError(100), 47);
  EXPECT_EQ(gEngineError.load(), 47);
  EXPECT_EQ(TakeEngineError(), 47);
  EXPECT_EQ(gEngineError.load(), 0);
}

TEST(EngineChannels, TwentyFifthChannelIsRefusedAndSlotsAreReused) {
  ReleaseEngineChannels();
  EngineChannel* first[kEngineChannelSlots] = {};
  for (int32_t i = 0; i < kEngineChannelSlots; ++i) {
    ASSERT_EQ(ClaimEngineChannel(&first[i]), 0);
    first[i]->volume = 77;
  }
  EngineChannel* extra = nullptr;
  EXPECT_EQ(ClaimEngineChannel(&extra), kEngineErrSlotsInUse);
  EXPECT_EQ(extra, nullptr);
  ReleaseEngineChannels();
  for (int32_t i = 0; i < kEngineChannelSlots; ++i) {
    EngineChannel* again = nullptr;
    ASSERT_EQ(ClaimEngineChannel(&again), 0);
    EXPECT_EQ(again, first[i]);     // same record, no new allocation
    EXPECT_EQ(again->volume, 0);    // cleared
  }
  ReleaseEngineChannels();
}

TEST(EngineChannels, OnlyChannelsOfThePlaybackAreFoundById) {
  ReleaseEngineChannels();
  EngineChannel* claimed[3] = {};
  for (int32_t i = 0; i < 3; ++i) {
    ASSERT_EQ(ClaimEngineChannel(&claimed[i]), 0);
    claimed[i]->id = uint32_t(100 + i);
  }
  EXPECT_EQ(FindEngineChannelById(101), claimed[1]);
  EXPECT_EQ(FindEngineChannelById(102), claimed[2]);
  EXPECT_EQ(FindEngineChannelById(7), nullptr);
  ReleaseEngineChannels();
  EngineChannel* again = nullptr;
  ASSERT_EQ(ClaimEngineChannel(&again), 0);
  EXPECT_EQ(FindEngineChannelById(100), nullptr) << "claimed again: cleared";
  EXPECT_EQ(FindEngineChannelById(102), nullptr) << "a released slot keeps its record but is not in use";
  ReleaseEngineChannels();
}

TEST(EngineChannels, EngineBuffersAreZeroedAndReleased) {
  int16_t err = 1;
  auto* block = static_cast<uint8_t*>(NewEngineBuffer(4096, &err));
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(err, 0);
  for (int i = 0; i < 4096; ++i) ASSERT_EQ(block[i], 0);
  DisposeEngineBuffer(block);
  DisposeEngineBuffer(nullptr);
}

}  // namespace

namespace {

int gStarts = 0;
int16_t CountStart() {
  ++gStarts;
  return 0;
}
int32_t gLastRate = 0;
int32_t TakeRate(int32_t rate) {
  gLastRate = rate;
  return 7;
}

TEST(EngineChannels, DeviceWalksCallOnlyOpenActiveDevices) {
  AudioDriverOps open, idle, inactive;
  EngineChannel channel;
  open.Start = inactive.Start = idle.Start = CountStart;
  open.SetPlayRate = TakeRate;
  open.flags = kDriverFlagActive;
  open.channelList = &channel;
  idle.flags = kDriverFlagActive;  // no channels
  inactive.channelList = &channel; // not active
  open.next = &idle;
  idle.next = &inactive;
  AudioDriverOps* saved = gOutputDevices;
  gOutputDevices = &open;
  gStarts = 0;
  EXPECT_EQ(ResetOutputDevices(), 0);
  EXPECT_EQ(gStarts, 1);
  EXPECT_EQ(PrepareOutputDevices(0x10000), 7);
  EXPECT_EQ(gLastRate, 0x10000);
  gOutputDevices = &idle;
  EXPECT_EQ(PrepareOutputDevices(0x10000), 0);
  gOutputDevices = saved;
}

}  // namespace
