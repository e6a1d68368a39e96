// The audio record of audio tracks: its life cycle, the lookups that treat a record without
// regions as no audio, the waveform colour and the overview chain it holds.
#include <gtest/gtest.h>

#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_play_state.h"
#include "media/background_jobs.h"
#include "media/track_audio/track_audio.h"
#include "platform/memory/memory.h"
#include "shell/base/memory_reserve.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_entries.h"
#include "song/instruments/rack_sharing.h"
#include "song/prefs/song_file_options.h"
#include "tests/song/undo/undo_fixture.h"

namespace {

constexpr int32_t kBlockNextAt = 72;
constexpr int32_t kBlockBytes = 96;

class TrackAudioTest : public UndoFixture {
 protected:
  void SetUp() override {
    UndoFixture::SetUp();
    AddSongInSlot(0, 3);
    SetCurrentTrackIndex(0);
    SongHeaderView(gCurrentSong).SetSongMode(1);
  }
  void TearDown() override {
    gDefaultWaveformColor = {0, 0, 0};
    gSongFileOptions = 0;
    gOverviewWaitRequest = 0;
    UndoFixture::TearDown();
  }
  Handle Main() { return TrackEntryView(gCurrentTrack).RegionList(); }
  // A record with a region list of one region.
  Handle ReadyRecord(uint8_t* slot) {
    EXPECT_EQ(noErr, AllocTrackAudio(slot));
    Handle record(ReadU32BE(slot));
    ViewTrackAudio(record).SetRegions(NewHandleClear(256));
    return record;
  }
  // A chain of n blocks, each filled with its own byte, linked through +72.
  static Handle Chain(int n) {
    Handle head, last;
    for (int i = 0; i < n; ++i) {
      Handle b = NewHandleClear(kBlockBytes);
      memset(HandleData(b), 0x10 + i, kBlockNextAt);
      if (last) WriteU32BE(HandleData(last) + kBlockNextAt, b.id);
      else head = b;
      last = b;
    }
    return head;
  }
  static std::vector<Handle> Blocks(Handle head) {
    std::vector<Handle> out;
    for (Handle b = head; b; b = Handle(ReadU32BE(HandleData(b) + kBlockNextAt))) out.push_back(b);
    return out;
  }
};

TEST_F(TrackAudioTest, ANewRecordIsClearedAndTakesTheDefaultColour) {
  gDefaultWaveformColor = {0xAB12, 0x3456, 0xFFFF};
  ASSERT_EQ(noErr, NewTrackAudio());
  Handle record = Main();
  ASSERT_TRUE(record);
  ASSERT_EQ(kTrackAudioBytes, GetHandleSize(record));
  const uint8_t* p = reinterpret_cast<uint8_t*>(HandleData(record));
  for (int i = 0; i < kTrackAudioBytes; ++i) {
    if (i >= kTrackAudioColorAt && i < kTrackAudioColorAt + 3) continue;
    ASSERT_EQ(0, p[i]) << i;
  }
  EXPECT_EQ(0xAB, p[64]);
  EXPECT_EQ(0x34, p[65]);
  EXPECT_EQ(0xFF, p[66]);
  RGBColor c;
  GetTrackAudioColor(record, &c);
  EXPECT_EQ(0xAB00, c.red);
  EXPECT_EQ(0x3400, c.green);
  EXPECT_EQ(0xFF00, c.blue);
  DisposeTrackAudio(gCurrentTrack + kTrackRegionList);
  EXPECT_FALSE(Main());
  EXPECT_FALSE(IsValidHandle(record));
}

TEST_F(TrackAudioTest, AnAllocationThatWouldTouchTheReserveLeavesTheSlotEmpty) {
  uint32_t saved = gMemoryReserve;
  gMemoryReserve = 0xFFFFFFF0u;
  WriteU32BE(gCurrentTrack + kTrackRegionList, 0);
  EXPECT_EQ(memFullErr, NewTrackAudio());
  gMemoryReserve = saved;
  EXPECT_FALSE(Main());
}

TEST_F(TrackAudioTest, ARecordWithoutRegionsCountsAsNoAudioForEveryLookup) {
  ASSERT_EQ(noErr, NewTrackAudio());
  EXPECT_FALSE(GetTrackAudio());
  EXPECT_FALSE(GetActiveTrackAudioRecord());
  EXPECT_FALSE(HasTrackAudio());
  EXPECT_FALSE(IsMainTrackAudioReady());
  Handle regions = NewHandleClear(256);
  ViewTrackAudio(Main()).SetRegions(regions);
  EXPECT_EQ(Main(), GetTrackAudio());
  EXPECT_EQ(Main(), GetActiveTrackAudioRecord());
  EXPECT_TRUE(HasTrackAudio());
  EXPECT_TRUE(IsMainTrackAudioReady());
  // In another song mode the record is there but not offered.
  SongHeaderView(gCurrentSong).SetSongMode(0);
  EXPECT_FALSE(HasTrackAudio());
  EXPECT_FALSE(IsMainTrackAudioReady());
  EXPECT_EQ(Main(), GetTrackAudio());
  DisposeTrackAudio(gCurrentTrack + kTrackRegionList);
  EXPECT_FALSE(IsValidHandle(regions));
}

TEST_F(TrackAudioTest, TheActiveRecordFollowsTheAlternateBit) {
  Handle main = ReadyRecord(gCurrentTrack + kTrackRegionList);
  EXPECT_EQ(main, GetActiveTrackAudioRecord());
  gCurrentTrack[kTrackOutputFlags] |= kTrackOutputSecondRegions;
  EXPECT_FALSE(GetActiveTrackAudioRecord());  // the alternate slot is empty
  Handle alternate = ReadyRecord(gCurrentTrack + kTrackRegionList2);
  EXPECT_EQ(alternate, GetActiveTrackAudioRecord());
  EXPECT_EQ(main, GetTrackAudio());  // the main lookup stays on the main record
  gCurrentTrack[kTrackOutputFlags] &= uint8_t(~kTrackOutputSecondRegions);
  EXPECT_EQ(main, GetActiveTrackAudioRecord());
  DisposeTrackAudio(gCurrentTrack + kTrackRegionList);
  DisposeTrackAudio(gCurrentTrack + kTrackRegionList2);
}

TEST_F(TrackAudioTest, TheEngineChannelIsTheCachedOneElseTheIdByteWhilePlaying) {
  Handle record = ReadyRecord(gCurrentTrack + kTrackRegionList);
  EngineChannel* c = nullptr;
  ASSERT_EQ(0, ClaimEngineChannel(&c));
  c->id = 7;
  EXPECT_EQ(nullptr, GetTrackAudioChannel(record));  // id 0 finds nothing
  ViewTrackAudio(record).SetChannelId(7);
  uint16_t saved = gAudioEnginePlayState;
  gAudioEnginePlayState = 0;
  EXPECT_EQ(nullptr, GetTrackAudioChannel(record));
  gAudioEnginePlayState = 1;
  EXPECT_EQ(c, GetTrackAudioChannel(record));
  gAudioEnginePlayState = saved;
  ViewTrackAudio(record).SetEngineChannelId(7);
  EXPECT_EQ(c, GetTrackAudioChannel(record));
  ReleaseEngineChannels();
  DisposeTrackAudio(gCurrentTrack + kTrackRegionList);
}

TEST_F(TrackAudioTest, TheRateFallsBackToTheFixedFieldAndThenToTheDefault) {
  Handle record = ReadyRecord(gCurrentTrack + kTrackRegionList);
  EXPECT_EQ(44100.0f, TrackAudioRate(record));
  ViewTrackAudio(record).SetFixedRate(0x5DC00000);  // 24000 Hz
  EXPECT_EQ(24000.0f, TrackAudioRate(record));
  ViewTrackAudio(record).SetSampleRate(96000.0f);
  EXPECT_EQ(96000.0f, TrackAudioRate(record));
  DisposeTrackAudio(gCurrentTrack + kTrackRegionList);
}

TEST_F(TrackAudioTest, ClearingTheOverviewDisposesEveryBlockOfTheChain) {
  Handle record = ReadyRecord(gCurrentTrack + kTrackRegionList);
  std::vector<Handle> blocks = Blocks(Chain(3));
  SetTrackOverview(record, blocks[0]);
  ViewTrackAudio(record).SetOverviewState(kOverviewQueued);
  ClearOverviewDirty();
  EXPECT_EQ(kOverviewIdle, ViewTrackAudio(record).OverviewState());
  EXPECT_FALSE(ViewTrackAudio(record).Overview());
  for (Handle b : blocks) EXPECT_FALSE(IsValidHandle(b));
  DisposeTrackAudio(gCurrentTrack + kTrackRegionList);
}

TEST_F(TrackAudioTest, DisposingTheRecordTakesTheWholeOverviewChainWithIt) {
  Handle record = ReadyRecord(gCurrentTrack + kTrackRegionList);
  std::vector<Handle> blocks = Blocks(Chain(2));
  SetTrackOverview(record, blocks[0]);
  DisposeTrackAudio(gCurrentTrack + kTrackRegionList);
  for (Handle b : blocks) EXPECT_FALSE(IsValidHandle(b));
}

TEST_F(TrackAudioTest, AStoredResultSetsTheStateByTheRules) {
  struct Case {
    int8_t before;
    uint8_t waiting;
    bool chain;
    int8_t after;
  } cases[] = {
      {kOverviewQueued, 0, true, kOverviewIdle},      {kOverviewQueued, 0, false, kOverviewGaveUp},
      {kOverviewQueued, 1, false, kOverviewQueued},   {kOverviewUnshowable, 0, false, kOverviewUnshowable},
      {kOverviewIdle, 0, false, kOverviewGaveUp},
  };
  Handle record = ReadyRecord(gCurrentTrack + kTrackRegionList);
  for (const Case& c : cases) {
    ViewTrackAudio(record).SetOverviewState(c.before);
    gOverviewWaitRequest = c.waiting;
    Handle chain = c.chain ? Chain(2) : Handle();
    StoreOverviewResult(record, chain);
    EXPECT_EQ(c.after, ViewTrackAudio(record).OverviewState()) << int(c.before) << " " << int(c.waiting);
    EXPECT_EQ(chain, ViewTrackAudio(record).Overview());
    ClearOverviewDirty();
  }
  // Without a record the chain is disposed.
  std::vector<Handle> orphan = Blocks(Chain(2));
  StoreOverviewResult(Handle(), orphan[0]);
  for (Handle b : orphan) EXPECT_FALSE(IsValidHandle(b));
  DisposeTrackAudio(gCurrentTrack + kTrackRegionList);
}

TEST_F(TrackAudioTest, ACopyMadeWhileTheOverviewIsComputedCarriesNone) {
  Handle record = ReadyRecord(gCurrentTrack + kTrackRegionList);
  std::vector<Handle> blocks = Blocks(Chain(2));
  SetTrackOverview(record, blocks[0]);
  ViewTrackAudio(record).SetOverviewState(kOverviewQueued);
  Handle copy = record;
  ASSERT_EQ(noErr, HandToHand(&copy));
  bool failed = false;
  CopyTrackAudioOverview(copy, &failed);
  EXPECT_FALSE(failed);
  EXPECT_FALSE(ViewTrackAudio(copy).Overview());
  EXPECT_EQ(blocks[0], ViewTrackAudio(record).Overview());  // the original keeps its chain
  DisposeHandle(copy);
  DisposeTrackAudio(gCurrentTrack + kTrackRegionList);
}

TEST_F(TrackAudioTest, ACopiedRecordGetsAChainOfItsOwnWithTheSameBytes) {
  Handle record = ReadyRecord(gCurrentTrack + kTrackRegionList);
  std::vector<Handle> blocks = Blocks(Chain(3));
  SetTrackOverview(record, blocks[0]);
  Handle copy = record;
  ASSERT_EQ(noErr, HandToHand(&copy));
  bool failed = false;
  CopyTrackAudioOverview(copy, &failed);
  ASSERT_FALSE(failed);
  std::vector<Handle> copied = Blocks(ViewTrackAudio(copy).Overview());
  ASSERT_EQ(3u, copied.size());
  for (int i = 0; i < 3; ++i) {
    EXPECT_NE(blocks[size_t(i)], copied[size_t(i)]);
    EXPECT_EQ(0x10 + i, uint8_t(HandleData(copied[size_t(i)])[0]));
  }
  // A failure flag already set copies nothing.
  Handle second = record;
  ASSERT_EQ(noErr, HandToHand(&second));
  failed = true;
  CopyTrackAudioOverview(second, &failed);
  EXPECT_EQ(blocks[0], ViewTrackAudio(second).Overview());
  DisposeHandle(second);
  DisposeOverviewChain(copy);
  DisposeHandle(copy);
  for (Handle b : copied) EXPECT_FALSE(IsValidHandle(b));
  DisposeTrackAudio(gCurrentTrack + kTrackRegionList);
}

TEST_F(TrackAudioTest, DiscardingAllOverviewsForgetsTheAliasOnlyWhenTheOptionAsks) {
  for (int option : {0, 4}) {
    gSongFileOptions = uint8_t(option);
    std::vector<Handle> aliases;
    for (int i = 0; i < 3; ++i) {
      SetCurrentTrackIndex(i);
      Handle record = ReadyRecord(gCurrentTrack + kTrackRegionList);
      SetTrackOverview(record, Chain(1));
      aliases.push_back(NewHandleClear(8));
      ViewTrackAudio(record).SetOverviewAlias(aliases.back());
    }
    DiscardAllOverviews();
    for (int i = 0; i < 3; ++i) {
      SetCurrentTrackIndex(i);
      TrackAudioView v = ViewTrackAudio(Main());
      EXPECT_FALSE(v.Overview()) << i;
      EXPECT_EQ(option == 0, bool(v.OverviewAlias())) << i;
      EXPECT_EQ(option == 0, IsValidHandle(aliases[size_t(i)])) << i;
      DisposeTrackAudio(gCurrentTrack + kTrackRegionList);
    }
  }
}

// A track copied with its song (undo steps, the clipboard) gets a record with blocks of its
// own: disposing either copy leaves the other whole, and no movie state of the original's
// session comes along.
TEST_F(TrackAudioTest, ADuplicatedRecordOwnsItsRegionsAliasAndOverview) {
  Handle record = ReadyRecord(gCurrentTrack + kTrackRegionList);
  Handle alias = NewHandleClear(12);
  TrackAudioView v = ViewTrackAudio(record);
  v.SetOverviewAlias(alias);
  v.SetMovieWord(0x1234);
  v.SetMovieEditState(0x5678);
  SetTrackOverview(record, Chain(2));
  Handle regions = ViewTrackAudio(record).Regions();
  std::vector<Handle> blocks = Blocks(ViewTrackAudio(record).Overview());
  Handle copy;
  ASSERT_EQ(noErr, DuplicateRackShared(record, &copy));
  TrackAudioView c = ViewTrackAudio(copy);
  ASSERT_TRUE(c);
  EXPECT_TRUE(c.Regions() && c.Regions() != regions);
  EXPECT_TRUE(c.OverviewAlias() && c.OverviewAlias() != alias);
  std::vector<Handle> copied = Blocks(c.Overview());
  ASSERT_EQ(2u, copied.size());
  EXPECT_NE(blocks[0], copied[0]);
  EXPECT_NE(blocks[1], copied[1]);
  EXPECT_EQ(0u, c.MovieWord());
  EXPECT_EQ(0u, c.MovieEditState());
  uint8_t slot[4];
  WriteU32BE(slot, copy.id);
  DisposeTrackAudio(slot);
  for (Handle h : {regions, alias, blocks[0], blocks[1]}) EXPECT_TRUE(IsValidHandle(h));
  // While the overview is being computed, the copy carries none.
  ViewTrackAudio(record).SetOverviewState(kOverviewQueued);
  ASSERT_EQ(noErr, DuplicateRackShared(record, &copy));
  EXPECT_FALSE(ViewTrackAudio(copy).Overview());
  WriteU32BE(slot, copy.id);
  DisposeTrackAudio(slot);
  EXPECT_TRUE(IsValidHandle(blocks[0]));
  DisposeTrackAudio(gCurrentTrack + kTrackRegionList);
}

}  // namespace
