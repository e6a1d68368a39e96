// The live audio-edit bracket: nesting, the command stored, and the waits on the engine that
// give up after their bound instead of hanging the main thread.
#include <gtest/gtest.h>

#include <chrono>

#include "audio/engine/audio_edit_bracket.h"
#include "audio/engine/audio_hooks.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_play_state.h"
#include "audio/regions/region_placement.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/model/audio_region.h"
#include "song/model/track_numbers.h"

namespace {

class EditBracket : public ::testing::Test {
 protected:
  void SetUp() override { gAudioEnginePlayState = 3; }
  void TearDown() override { gAudioEnginePlayState = 0; }
  EngineChannel channel_;
};

TEST_F(EditBracket, OnlyTheOutermostBracketActs) {
  gAudioEnginePlayState = 0;  // nothing plays: no waits
  EXPECT_TRUE(AudioEditBracket(&channel_, 5, kEditOpen));
  EXPECT_EQ(channel_.editState, 5);
  EXPECT_FALSE(AudioEditBracket(&channel_, 6, kEditOpen));  // nested: nothing
  EXPECT_EQ(channel_.editState, 5);
  EXPECT_FALSE(AudioEditBracket(&channel_, kEditResume, kEditClose));  // inner close: nothing
  EXPECT_EQ(channel_.editState, 5);
  EXPECT_EQ(channel_.editNesting, 1);
  EXPECT_TRUE(AudioEditBracket(&channel_, kEditResume, kEditClose));  // the last close acts
  EXPECT_EQ(channel_.editState, kEditResume);
  EXPECT_EQ(channel_.editNesting, 0);
  EXPECT_TRUE(AudioEditBracket(&channel_, 5, kEditOpen));
  EXPECT_FALSE(AudioEditBracket(&channel_, 6, kEditOpen));
  EXPECT_TRUE(AudioEditBracket(&channel_, 7, kEditCloseAll));  // closes every level at once
  EXPECT_EQ(channel_.editState, 7);
  EXPECT_EQ(channel_.editNesting, 0);
  EXPECT_FALSE(AudioEditBracket(&channel_, 7, kEditClose));  // none open
  EXPECT_FALSE(AudioEditBracket(&channel_, 7, 4));
  EXPECT_FALSE(AudioEditBracket(nullptr, 7, kEditOpen));
}

// An engine that never answers: a refill state that does not end and an automation lock that
// is never released. The bracket gives up after its bound and still takes the command.
TEST_F(EditBracket, WaitsOnTheEngineHaveABound) {
  struct Case {
    uint8_t editState;
    uint32_t lock;
    bool inTime;
  };
  for (const Case c : {Case{10, 0, false}, Case{0, 1, false}, Case{11, 0, true}, Case{3, 0, true}}) {
    EngineChannel channel;
    channel.editState = c.editState;
    channel.automationLock.store(c.lock);
    uint8_t cursor = 0;
    channel.automationCursor = &cursor;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(AudioEditBracket(&channel, 2, kEditOpen), c.inTime) << int(c.editState) << " " << c.lock;
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_LT(waited, std::chrono::microseconds(kEditWaitMicros) * 3);
    EXPECT_EQ(channel.editState, 2);
    EXPECT_EQ(channel.automationCursor, nullptr);
    EXPECT_EQ(channel.automationLock.load(), c.lock);  // a lock taken here is given back
  }
  // A stopped channel is not waited for.
  EngineChannel stopped;
  stopped.stopped = 1;
  stopped.editState = 10;
  EXPECT_TRUE(AudioEditBracket(&stopped, 2, kEditOpen));
}

// Resuming a playing channel that decodes through a converter starts playback over: the
// engine is stopped and the command is not stored; without a converter it is stored.
TEST_F(EditBracket, ResumingAConvertedChannelStartsPlaybackOver) {
  InstallAudioHooks();
  int converter = 0;
  for (bool converted : {false, true}) {
    gAudioEnginePlayState = 3;
    EngineChannel channel;
    channel.soundConverter = converted ? &converter : nullptr;
    channel.editState = 2;
    ASSERT_TRUE(AudioEditBracket(&channel, 2, kEditOpen));
    EXPECT_TRUE(AudioEditBracket(&channel, kEditResume, kEditClose));
    EXPECT_EQ(channel.editState, converted ? 2 : kEditResume) << converted;
    EXPECT_EQ(gAudioEnginePlayState, converted ? 0 : 3) << converted;
  }
}

// With the record the channel plays: a record that lost its regions stops a channel of its own
// track; after an edit (not a resume) the record's one-shot engine flag is cleared, with the
// memory flag of its regions, and its list is left unlocked.
TEST_F(EditBracket, TheRecordFollowsTheBracket) {
  gAudioEnginePlayState = 0;
  Handle record = NewHandleClear(158);
  EngineChannel channel;
  channel.startTick = 480;
  ASSERT_TRUE(AudioEditBracket(&channel, 2, kEditOpen, record));
  EXPECT_EQ(channel.stopped, 1);
  EXPECT_EQ(channel.startTick, 0);

  Handle list = NewHandleClear(kRegionSize);
  uint8_t* region = RegionRecord(list, 0);
  SetRegionLength(region, 100);
  WriteU16BE(region + kRegionFlagsAt, kRegionFlagInMemory);
  SetTrackAudioRegionList(record, list);
  WriteU32BE(reinterpret_cast<uint8_t*>(*record) + 70, 0x11);
  HLock(list);
  EngineChannel playing;
  ASSERT_TRUE(AudioEditBracket(&playing, 2, kEditOpen, record));
  EXPECT_EQ(playing.stopped, 0);
  EXPECT_EQ(ReadU32BE(reinterpret_cast<uint8_t*>(*record) + 70), 0x10u);
  EXPECT_EQ(RegionFlags(RegionRecord(list, 0)) & kRegionFlagInMemory, 0);
  EXPECT_EQ(HGetState(list) & kHandleLockedBit, 0);
  DisposeHandle(list);
  DisposeHandle(record);
}

}  // namespace
