// Copies of songs: full copies and link shells of a dropped song, the copy-name prefix, the
// rack switch between live chains and listed plug-ins, and the swap of kept children with
// open songs.
#include <string>
#include <vector>

#include "shell/base/error_report.h"
#include "shell/base/undo_palette.h"
#include "song/model/linked_song_swap.h"
#include "song/model/song_bodies.h"
#include "song/model/song_copies.h"
#include "undo_fixture.h"

using undo_test::SongImage;

namespace {

class SongCopiesTest : public UndoFixture {
 protected:
  Handle ChildOfTrack1(int cell) {
    SelectSongIndex(0);
    SelectSong(song0_);
    SetCurrentTrackIndex(1);
    return GetChildSequence(cell);
  }
};

TEST_F(SongCopiesTest, AFullCopyOwnsEverythingItHolds) {
  BuildSongs();
  Handle copy = ChildOfTrack1(0);
  ASSERT_TRUE(copy);
  std::vector<uint32_t> source, child;
  undo_test::CollectSongHandles(song1_, &source);
  undo_test::CollectSongHandles(copy, &child);
  EXPECT_TRUE(undo_test::Shared(source, child).empty());
  const uint8_t* c = reinterpret_cast<const uint8_t*>(HandleData(copy));
  const uint8_t* s = reinterpret_cast<const uint8_t*>(HandleData(song1_));
  EXPECT_FALSE(c[kSongFlags] & kSongFlagLinked);
  EXPECT_NE(ReadU16BE(c + kSongId), ReadU16BE(s + kSongId));
  EXPECT_TRUE(ReadU32BE(c + kSongConductorMap));
  // The copy's tracks hold the same events in lists of their own.
  SelectSong(copy);
  SetCurrentTrackIndex(0);
  Handle copied = GetCurrentTrackEventList();
  SelectSong(song1_);
  SetCurrentTrackIndex(0);
  EXPECT_EQ(undo_test::Bytes(GetCurrentTrackEventList()), undo_test::Bytes(copied));
}

TEST_F(SongCopiesTest, ALinkShellHoldsNoHandlesOfTheSongItStandsFor) {
  BuildSongs();
  Handle link = ChildOfTrack1(1);
  ASSERT_TRUE(link);
  const uint8_t* l = reinterpret_cast<const uint8_t*>(HandleData(link));
  const uint8_t* s = reinterpret_cast<const uint8_t*>(HandleData(song1_));
  EXPECT_TRUE(l[kSongFlags] & kSongFlagLinked);
  EXPECT_EQ(ReadU16BE(s + kSongId), ReadU16BE(l + kSongId));
  for (int32_t field : undo_test::kListFields) EXPECT_EQ(0u, ReadU32BE(l + field)) << field;
  std::vector<uint32_t> handles;
  undo_test::CollectSongHandles(link, &handles);
  EXPECT_EQ(std::vector<uint32_t>{link.id}, handles);
  uint16_t rgb[3];
  GetPaletteColor(2, rgb);
  EXPECT_EQ(rgb[0], ReadU16BE(l + kSongColour));
  // The linked song is reached through its id.
  SelectSong(link);
  EXPECT_EQ(song1_, FindLinkedSong());
}

TEST_F(SongCopiesTest, ASongWhoseTrackHoldsChildrenCannotBeDropped) {
  BuildSongs();
  SelectSongIndex(0);
  SelectSong(song0_);
  SetCurrentTrackIndex(2);
  ASSERT_EQ(0, SetChildCount(1));
  // Song 0 dropped on its own current track, which now holds a child cell.
  EXPECT_EQ(1, AttachSongAsChild(true, 0, 0));
  SelectSong(song0_);
  SetCurrentTrackIndex(2);
  Handle child = GetChildSequence(0);
  ASSERT_TRUE(child);  // made before the check; the caller discards it
  EXPECT_EQ(0, ReadU16BE(HandleData(child) + kSongTrackCount));
}

TEST_F(SongCopiesTest, UndoCopiesOfChildrenAreCopiesOrShellsAsTheChildIs) {
  BuildSongs();
  SongCopyContext context;
  context.destination = NewSpareSong();
  SelectSong(song0_);
  SetCurrentTrackIndex(1);
  EXPECT_EQ(0, CopyTrackIntoUndo(&context, gCurrentTrack));
  ASSERT_FALSE(context.failure);
  std::vector<uint32_t> live, kept;
  undo_test::CollectSongHandles(song0_, &live);
  undo_test::CollectSongHandles(song1_, &live);
  undo_test::CollectSongHandles(context.destination, &kept);
  EXPECT_TRUE(undo_test::Shared(live, kept).empty());
  SelectSong(context.destination);
  SetCurrentTrackIndex(0);
  Handle fullCopy = GetChildSequence(0);
  Handle shell = GetChildSequence(1);
  EXPECT_TRUE(undo_test::SameImage(SongImage(ChildOfTrack1(0)), SongImage(fullCopy)));
  EXPECT_TRUE(undo_test::SameImage(SongImage(ChildOfTrack1(1)), SongImage(shell)));
  DisposeSnapshotSong(&context.destination);
}

TEST_F(SongCopiesTest, RacksSwitchBetweenLiveChainsAndListedPlugins) {
  std::vector<uint32_t> p;
  Handle rack = undo_test::NewRackWithPlugins(3, &p);
  SetInsertRackShared(rack, 0, 1);  // already live: untouched
  EXPECT_FALSE(IsInsertRackShared(rack));
  EXPECT_EQ(p[0], ReadU32BE(HandleData(rack) + kRackChainCell));
  SetInsertRackShared(rack, 1, 0);
  ASSERT_TRUE(IsInsertRackShared(rack));
  for (uint32_t id : p) EXPECT_EQ(1, GetPluginUseCount(id));  // held by the list alone
  Handle list(ReadU32BE(HandleData(rack) + kRackChainCell));
  SetInsertRackShared(rack, 1, 0);  // already shared: the same list
  EXPECT_EQ(list.id, ReadU32BE(HandleData(rack) + kRackChainCell));
  Handle copy;
  ASSERT_EQ(noErr, DuplicateRackShared(rack, &copy));
  EXPECT_NE(list.id, ReadU32BE(HandleData(copy) + kRackChainCell));
  for (uint32_t id : p) EXPECT_EQ(2, GetPluginUseCount(id));
  SetInsertRackShared(rack, 0, 1);
  SetInsertRackShared(copy, 0, 1);
  EXPECT_FALSE(IsValidHandle(list));
  // Live again: the same instances, in the same order, with the same bypass states.
  for (Handle r : {rack, copy}) {
    uint32_t at = ReadU32BE(HandleData(r) + kRackChainCell);
    for (uint32_t id : p) {
      EXPECT_EQ(id, at);
      at = GetPluginNext(at);
    }
    EXPECT_EQ(0u, at);
  }
  EXPECT_EQ(1, GetPluginBypass(p[2]));
  EXPECT_EQ(0, GetPluginBypass(p[0]));
  ReleaseRackPlugins(copy);
  ReleaseRackPlugins(rack);
  for (uint32_t id : p) EXPECT_FALSE(IsPluginInstanceOpen(id));
  DisposeHandle(copy);
  DisposeHandle(rack);
}

TEST_F(SongCopiesTest, AKeptChildIsSwappedOnlyWithTheOpenSongCarryingItsId) {
  BuildSongs();
  // The spare song of a step keeps track 1 with a full copy (an id no open song carries)
  // and a link shell (song 1's id).
  SongCopyContext context;
  context.destination = NewSpareSong();
  SelectSong(song0_);
  SetCurrentTrackIndex(1);
  CopyTrackIntoUndo(&context, gCurrentTrack);
  UndoRecord record;
  record.spareSong = context.destination;
  std::string keptBefore = SongImage(record.spareSong);
  SwapUndoChildrenWithLinkedSongs(&record);
  EXPECT_TRUE(undo_test::SameImage(keptBefore, SongImage(record.spareSong)));
  EXPECT_EQ(song1_, GetSongHandleAt(1));
  // A full child that carries song 1's id trades places with it.
  SelectSong(record.spareSong);
  SetCurrentTrackIndex(0);
  Handle full = GetChildSequence(0);
  WriteU16BE(HandleData(full) + kSongId, ReadU16BE(HandleData(song1_) + kSongId));
  SwapUndoChildrenWithLinkedSongs(&record);
  EXPECT_EQ(full, GetSongHandleAt(1));
  SelectSong(record.spareSong);
  SetCurrentTrackIndex(0);
  EXPECT_EQ(song1_, GetChildSequence(0));
  EXPECT_FALSE(HandleData(song1_)[kSongFlags] & kSongFlagLinked);
  EXPECT_TRUE(HandleData(full)[kSongFlags] & kSongFlagLinked);
  DisposeSnapshotSong(&record.spareSong);
}

class CopyNameTest : public TextsFixture {
 protected:
  void SetUp() override {
    TextsFixture::SetUp();
    std::vector<std::string> general(30);
    general[29] = "Copy of ";
    AddStrList(kGeneralStrList, general);
  }
  void SetName(const std::string& name) {
    gCurrentSong[kSongName] = uint8_t(name.size());
    std::memcpy(gCurrentSong + kSongName + 1, name.data(), name.size());
  }
  std::string Name() {
    return std::string(reinterpret_cast<char*>(gCurrentSong + kSongName + 1), gCurrentSong[kSongName]);
  }
};

TEST_F(CopyNameTest, ThePrefixGoesInFrontWithinThirtyOneCharacters) {
  const struct {
    std::string name, expected;
  } cases[] = {
      {"Drums", "Copy of Drums"},
      {"", "Copy of "},
      {std::string(31, 'x'), "Copy of " + std::string(23, 'x')},
      {"abcdefghijklmnopqrstuvw", "Copy of abcdefghijklmnopqrstuvw"},
  };
  for (const auto& c : cases) {
    SetName(c.name);
    PrefixSongCopyName();
    EXPECT_EQ(c.expected, Name()) << c.name;
  }
}

TEST_F(CopyNameTest, ADroppedCopyIsNamedAsACopy) {
  BuildSongs();
  SelectSong(song1_);
  SetName("Verse");
  SelectSong(song0_);
  SetCurrentTrackIndex(0);
  ASSERT_EQ(0, SetChildCount(1));
  ASSERT_EQ(0, AttachSongAsChild(true, 1, 0));
  SelectSong(song0_);
  SetCurrentTrackIndex(0);
  SelectSong(GetChildSequence(0));
  EXPECT_EQ("Copy of Verse", Name());
}

}  // namespace

namespace {

// Closing a document releases its songs' plug-in blocks: a track's rack lets go of its
// plug-ins, which close at their last use (a listed rack's list goes with them).
TEST_F(SongCopiesTest, ReleasingASongsPluginBlocksClosesItsRacksPlugins) {
  BuildSongs();
  for (uint32_t id : plugins_) ASSERT_TRUE(IsPluginInstanceOpen(id));
  ReleaseSongPluginBlocks(song0_);
  for (uint32_t id : plugins_) EXPECT_FALSE(IsPluginInstanceOpen(id));
  ReleaseSongPluginBlocks(song0_);  // a second time finds nothing to release
}

}  // namespace
