// Undo and redo over the ring: mixed edits restored byte for byte, the ring wrapping at its
// level count, Redo blocked by a new edit, kinds that never restore, edits of the song table,
// and no handle left behind once the history is reset.
#include <string>
#include <vector>

#include "song/conductor/conductor_map.h"
#include "song/undo/undo_exchange.h"
#include "song/undo/undo_steps.h"
#include "undo_fixture.h"

using undo_test::Events;
using undo_test::SongImage;

namespace {

int32_t InsertEventOnTrack0(void*) {
  SelectTrackWithNumber(0);
  return InsertShortEvent(0, 480, 0xB0, 7, 100);
}

int32_t InsertEventAndChangeTempo(void* arg) {
  InsertEventOnTrack0(arg);
  return SetTempoAt(1500, 960);
}

int32_t AddTrack3(void*) {
  gCurrentTrackNumber = 3;
  if (AddTrackEntry(kTrackEntrySize) != noErr) return 1;
  undo_test::SetTrackEvents(Events({{50, 0x90, 70}, {60, 0xC0, 5}}));
  RebuildTrackNumberMap();
  return 0;
}

// Removes track 1 (with its children) and edits track 2.
int32_t RemoveTrack1AndEditTrack2(void*) {
  SelectTrackWithNumber(1);
  DisposeTrackContents(nullptr);
  RemoveCurrentTrack();
  RebuildTrackNumberMap();
  SelectTrackWithNumber(2);
  return InsertShortEvent(0, 700, 0xB0, 10, 1);
}

class UndoRingTest : public UndoFixture {
 protected:
  // Runs edit as a step over the given tracks; the song already shows them as its selection,
  // as the editors leave it. Returns the image of the song before the step.
  std::string Step(UndoableEdit edit, const std::vector<int>& slots, int32_t kind) {
    std::vector<uint8_t> scope = undo_test::Scope(slots);
    SelectSong(song0_);
    std::memcpy(gCurrentSong + kSongTrackSelection, scope.data(), scope.size());
    std::string before = SongImage(song0_);
    EXPECT_EQ(1, RunUndoableEditInScope(edit, scope.data()));
    SetCurrentUndoKind(kind);
    SelectSongIndex(0);
    SelectSong(song0_);
    return before;
  }
};

TEST_F(UndoRingTest, ThreeMixedEditsUndoAndRedoByteForByte) {
  BuildSongs();
  std::string b0 = Step(InsertEventAndChangeTempo, {0}, 2);
  std::string b1 = Step(AddTrack3, {3}, 7);
  std::string b2 = Step(RemoveTrack1AndEditTrack2, {1, 2}, 8);
  std::string after = SongImage(song0_);
  ASSERT_NE(after, b2);
  ASSERT_EQ(3, GetSongTrackCount());

  const std::string expectUndo[3] = {b2, b1, b0};
  for (const std::string& expected : expectUndo) {
    ASSERT_TRUE(CanUndo());
    ASSERT_EQ(noErr, UndoLastEdit());
    EXPECT_TRUE(undo_test::SameImage(expected, SongImage(song0_)));
  }
  EXPECT_FALSE(CanUndo());
  const std::string expectRedo[3] = {b1, b2, after};
  for (const std::string& expected : expectRedo) {
    ASSERT_TRUE(CanRedo());
    ASSERT_EQ(noErr, RedoEdit());
    EXPECT_TRUE(undo_test::SameImage(expected, SongImage(song0_)));
  }
  EXPECT_FALSE(CanRedo());
  // And all the way back once more: the records serve both directions again and again.
  for (int i = 0; i < 3; ++i) ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_TRUE(undo_test::SameImage(b0, SongImage(song0_)));
  SelectSong(song0_);
  EXPECT_EQ(1100, ReadU16BE(gCurrentSong + kSongTempo));
  EXPECT_EQ(0, CountConductorRecords(gCurrentSong));
}

TEST_F(UndoRingTest, EveryHandleHasOneOwnerWhileStepsAreKept) {
  BuildSongs();
  Step(InsertEventAndChangeTempo, {0}, 2);
  Step(RemoveTrack1AndEditTrack2, {1, 2}, 8);
  ASSERT_EQ(noErr, UndoLastEdit());  // the kept tracks hold child copies and a listed rack
  std::vector<uint32_t> all;
  for (int32_t slot = 0; slot < gSongCount; ++slot)
    undo_test::CollectSongHandles(GetSongHandleAt(slot), &all);
  for (uint32_t k = gUndoRing->tail; k != gUndoRing->head; k = NextUndoIndex(k)) {
    UndoRecord* r = UndoRecordAt(k);
    undo_test::CollectSongHandles(r->songCopy, &all);
    undo_test::CollectSongHandles(r->spareSong, &all);
  }
  EXPECT_TRUE(undo_test::AllDistinct(all));
}

TEST_F(UndoRingTest, NothingIsLeftBehindAfterTheHistoryIsReset) {
  BuildSongs();
  uint32_t handles = CountLiveHandles();
  int32_t instances = CountOpenPluginInstances();
  std::string b0 = Step(InsertEventAndChangeTempo, {0, 2}, 2);
  Step(AddTrack3, {3}, 7);
  Step(RemoveTrack1AndEditTrack2, {1, 2}, 8);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(noErr, UndoLastEdit());
  ASSERT_EQ(noErr, RedoEdit());
  ASSERT_EQ(noErr, UndoLastEdit());
  ASSERT_TRUE(undo_test::SameImage(b0, SongImage(song0_)));
  ResetUndoHistory();
  DisposeAllEventIndexes();
  EXPECT_EQ(handles, CountLiveHandles());
  EXPECT_EQ(instances, CountOpenPluginInstances());
  for (uint32_t p : plugins_) EXPECT_EQ(1, GetPluginUseCount(p));
  EXPECT_FALSE(CanUndo());
  EXPECT_FALSE(CanRedo());
}

TEST_F(UndoRingTest, ANewEditAfterUndoEmptiesTheStepThatCouldBeRedone) {
  BuildSongs();
  Step(InsertEventOnTrack0, {0}, 2);
  std::string b1 = Step(AddTrack3, {3}, 7);
  ASSERT_EQ(noErr, UndoLastEdit());
  ASSERT_TRUE(CanRedo());
  EXPECT_TRUE(undo_test::SameImage(b1, SongImage(song0_)));
  std::string b2 = Step(InsertEventOnTrack0, {0}, 2);
  EXPECT_FALSE(CanRedo());
  EXPECT_EQ(noErr, RedoEdit());  // nothing to redo: nothing changes
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_TRUE(undo_test::SameImage(b2, SongImage(song0_)));
}

TEST_F(UndoRingTest, KindsThatNeverRestore) {
  BuildSongs();
  const int32_t kinds[] = {kNoUndoKind, kFirstUnrestorableUndoKind, 90, kUndoKindEngineHook};
  for (int32_t kind : kinds) {
    std::string before = SongImage(song0_);
    Step(InsertEventOnTrack0, {0}, kind);
    std::string edited = SongImage(song0_);
    ASSERT_NE(before, edited);
    EXPECT_EQ(kind >= 0, CanUndo()) << kind;
    UndoLastEdit();
    EXPECT_TRUE(undo_test::SameImage(edited, SongImage(song0_))) << kind;
  }
}

TEST_F(UndoRingTest, SongTableEditsAreUndoneWholeSongsAtATime) {
  BuildSongs();
  std::string song1 = SongImage(song1_);
  std::string song0 = SongImage(song0_);
  auto removeSong1 = [](void*) -> int32_t {
    SelectSongIndex(1);
    SelectSong(GetSongHandleAt(1));
    DisposeSong();
    return 0;
  };
  ASSERT_EQ(1, RunUndoableSongTableEdit(removeSong1, 0));
  SetCurrentUndoKind(3);
  ASSERT_FALSE(GetSongHandleAt(1));
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_TRUE(undo_test::SameImage(song1, SongImage(GetSongHandleAt(1))));
  EXPECT_TRUE(undo_test::SameImage(song0, SongImage(GetSongHandleAt(0))));
  std::vector<uint32_t> all;
  for (int32_t slot = 0; slot < gSongCount; ++slot)
    undo_test::CollectSongHandles(GetSongHandleAt(slot), &all);
  UndoRecord* r = UndoRecordAt(gUndoRing->current);
  for (int32_t n = 0; n < GetHandleSize(r->savedSongTable) / 4; ++n)
    undo_test::CollectSongHandles(Handle(ReadU32BE(HandleData(r->savedSongTable) + 4 * n)), &all);
  EXPECT_TRUE(undo_test::AllDistinct(all));
  ASSERT_EQ(noErr, RedoEdit());
  EXPECT_FALSE(GetSongHandleAt(1));
}

class SmallRingTest : public UndoRingTest {
 protected:
  int32_t Levels() const override { return 3; }
};

TEST_F(SmallRingTest, FourEditsInThreeLevelsKeepTheLastThree) {
  BuildSongs();
  std::vector<std::string> before;
  for (int i = 0; i < 4; ++i) before.push_back(Step(InsertEventOnTrack0, {0}, 2));
  int undone = 0;
  while (CanUndo()) {
    ASSERT_EQ(noErr, UndoLastEdit());
    ++undone;
    ASSERT_LE(undone, 3);
  }
  EXPECT_EQ(3, undone);
  EXPECT_TRUE(undo_test::SameImage(before[1], SongImage(song0_)));  // the first edit's step was dropped
  // Round the ring a few times: it never keeps more than three steps.
  for (int i = 0; i < 7; ++i) Step(InsertEventOnTrack0, {0}, 2);
  undone = 0;
  while (CanUndo()) {
    UndoLastEdit();
    ++undone;
  }
  EXPECT_EQ(3, undone);
}

TEST_F(UndoRingTest, ARingThatDoesNotFitFallsBackToOneLevel) {
  DisposeUndoRing();
  uint64_t budget = GetMemoryBudget();
  SetMemoryBudget(GetMemoryInUse() + 64 * 1024);
  OSErr err = AllocateUndoRing(10000);
  SetMemoryBudget(budget);
  EXPECT_NE(noErr, err);
  EXPECT_EQ(1, gUndoLevels);
  ASSERT_NE(nullptr, gUndoRing);
  BuildSongs();
  Step(InsertEventOnTrack0, {0}, 2);
  Step(InsertEventOnTrack0, {0}, 2);
  EXPECT_TRUE(CanUndo());
  UndoLastEdit();
  EXPECT_FALSE(CanUndo());
}

TEST_F(UndoRingTest, AStepTooLargeForMemoryIsAbandonedAndTheEditNotRun) {
  BuildSongs();
  Step(InsertEventOnTrack0, {0}, 2);
  std::string before = SongImage(song0_);
  uint64_t budget = GetMemoryBudget();
  SetMemoryBudget(GetMemoryInUse() + 4096);
  static int ran;
  ran = 0;
  auto edit = [](void*) -> int32_t { return ++ran; };
  EXPECT_EQ(0, RunUndoableEdit(edit));
  SetMemoryBudget(budget);
  EXPECT_EQ(0, ran);
  EXPECT_TRUE(undo_test::SameImage(before, SongImage(song0_)));
  EXPECT_FALSE(CanUndo());  // the history was reset
}

}  // namespace
