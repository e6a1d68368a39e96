// Expanding sequence references: the child repeated and cut at the reference's end, the
// tracks the children's outputs need, markers from the children's names, children of length
// 0, cancelling, and Undo and Redo of the command.
#include <gtest/gtest.h>

#include "shell/base/progress_hooks.h"
#include "song/conductor/markers.h"
#include "song/model/child_sequences.h"
#include "song/model/sequence_references.h"
#include "song/model/song_copies.h"
#include "tests/song/sequence_references/reference_fixture.h"

namespace {

using refs_test::Row;
using refs_test::RowsOf;
using refs_test::SetTrackRows;

constexpr uint8_t kParentOutput = 1;
constexpr uint8_t kChildOutput = 5;

class ReferenceExpansion : public UndoFixture {
 protected:
  void SetUp() override {
    UndoFixture::SetUp();
    gProgressHooks = {};
  }
  void TearDown() override {
    gProgressHooks = {};
    UndoFixture::TearDown();
  }

  // Song 1 (the child): one audible track of the given length playing kChildOutput with
  // rows, named name. Song 0: track 0 plays kParentOutput, holds parentRows and has song 1
  // as its child 0.
  void BuildSongs(const char* name, uint32_t childLength, const std::vector<Row>& childRows,
                  const std::vector<Row>& parentRows) {
    AddSongInSlot(1, 1);
    uint8_t* songName = gCurrentSong + kSongName;
    songName[0] = uint8_t(std::strlen(name));
    std::memcpy(songName + 1, name, songName[0]);
    SetCurrentTrackIndex(0);
    SetTrackRows(childRows);
    gCurrentTrack[kTrackMidiOutput] = kChildOutput;
    gCurrentTrack[kTrackFlags] |= kTrackFlagAudible;
    WriteU32BE(gCurrentTrack + kTrackTickLength, childLength);
    SetTrackName(reinterpret_cast<ConstStr255Param>("\x04" "Bass"));
    parent_ = AddSongInSlot(0, 1);
    SetCurrentTrackIndex(0);
    gCurrentTrack[kTrackMidiOutput] = kParentOutput;
    SetTrackName(reinterpret_cast<ConstStr255Param>("\x04" "Arr."));
    ASSERT_EQ(0, SetChildCount(1));
    ASSERT_EQ(0, AttachSongAsChild(true, 1, 0));
    SetTrackRows(parentRows);
  }
  // The entry that plays output, or null.
  uint8_t* TrackPlaying(uint8_t output) {
    for (int i = 0; i < GetSongTrackCount(); ++i)
      if (GetTrackEntryAt(i)[kTrackMidiOutput] == output) return GetTrackEntryAt(i);
    return nullptr;
  }
  Handle parent_;
};

// Child tick 1 sounds at the reference's time 1001; the copies start at 1001, 1385 and 1769
// and the reference ends at 1961.
const std::vector<Row> kChild = {
    {1, 0x90, 60, 96}, {100, 0xB0, 7, 0}, {190, 0x90, 62, 100}, {300, 0x90, 64, 50}};

TEST_F(ReferenceExpansion, AChildShorterThanItsReferenceRepeatsAndIsCutAtTheEnd) {
  BuildSongs("Verse", 384, kChild, {{1001, 0x50, 0, 960}, {1100, 0x90, 40, 10}});
  Handle clipboard = NewHandleClear(kClipboardRecordSize);
  gClipboard = clipboard;
  ExpandSequenceReferences();
  EXPECT_EQ(clipboard, gClipboard) << "the clipboard comes back as it was";
  gClipboard = Handle();
  DisposeHandle(clipboard);

  uint8_t* copied = TrackPlaying(kChildOutput);
  ASSERT_NE(nullptr, copied) << "a track for the child's output was made";
  std::vector<Row> expected = {
      {1001, 0x90, 60, 96}, {1100, 0xB0, 7, 0}, {1190, 0x90, 62, 100}, {1300, 0x90, 64, 50},
      {1385, 0x90, 60, 96}, {1484, 0xB0, 7, 0}, {1574, 0x90, 62, 100}, {1684, 0x90, 64, 50},
      {1769, 0x90, 60, 96}, {1868, 0xB0, 7, 0}, {1958, 0x90, 62, 3}};
  EXPECT_EQ(expected, RowsOf(copied));
  Str255 name;
  GetTrackNameText(copied, name);
  EXPECT_EQ("Bass", std::string(reinterpret_cast<char*>(name + 1), name[0]))
      << "the new track takes the child track's settings";

  uint8_t* source = TrackPlaying(kParentOutput);
  ASSERT_NE(nullptr, source);
  EXPECT_EQ((std::vector<Row>{{1100, 0x90, 40, 10}}), RowsOf(source)) << "the reference is gone";
  EXPECT_EQ(0, source[kTrackChildCount]);
  EXPECT_EQ(kTrackEntrySize, ReadI16BE(source + kTrackLength)) << "the children are dropped";

  ASSERT_EQ(1, CountMarkers());
  EXPECT_EQ(1001u, MarkerTick(GetMarkerAt(0)));
  uint8_t* marker = GetMarkerName(GetMarkerAt(0));
  EXPECT_EQ("Verse", std::string(reinterpret_cast<char*>(marker + 1), marker[0]));
}

TEST_F(ReferenceExpansion, AChildPlayingTheSourcesOutputIsCopiedIntoTheSourceTrack) {
  BuildSongs("", 384, kChild, {{1, 0x50, 0, 200}, {150, 0x90, 40, 10}});
  SetCurrentTrackIndex(0);
  gCurrentTrack[kTrackMidiOutput] = kChildOutput;  // parent and child play the same output
  ExpandSequenceReferences();

  ASSERT_EQ(1, GetSongTrackCount()) << "no track had to be made";
  EXPECT_EQ((std::vector<Row>{{1, 0x90, 60, 96}, {100, 0xB0, 7, 0}, {150, 0x90, 40, 10},
                              {190, 0x90, 62, 11}}),
            RowsOf(GetTrackEntryAt(0)));
  EXPECT_EQ(0, CountMarkers()) << "a child without a name adds no marker";
}

TEST_F(ReferenceExpansion, AChildOfLengthZeroEndsTheExpansionWithoutCopies) {
  BuildSongs("Empty", 0, kChild, {{1, 0x50, 0, 960}, {10, 0x90, 40, 10}});
  ExpandSequenceReferences();
  EXPECT_EQ(nullptr, TrackPlaying(kChildOutput));
  EXPECT_EQ((std::vector<Row>{{10, 0x90, 40, 10}}), RowsOf(GetTrackEntryAt(0)));
}

TEST_F(ReferenceExpansion, WithoutAFreeTrackNumberTheReferencesAndChildrenStay) {
  const std::vector<Row> rows = {{1001, 0x50, 0, 960}, {1100, 0x90, 40, 10}};
  BuildSongs("Verse", 384, kChild, rows);
  for (int i = 1; i < kMaxTrackNumbers; ++i) {
    ASSERT_GE(FindFreeTrackNumber(), 0);
    ASSERT_TRUE(AddTrackEntryChecked(kTrackEntrySize));
    ClaimTrackNumber();
  }
  SetCurrentTrackIndex(0);
  ExpandSequenceReferences();
  EXPECT_EQ(kMaxTrackNumbers, GetSongTrackCount());
  EXPECT_EQ(nullptr, TrackPlaying(kChildOutput));
  EXPECT_EQ(rows, RowsOf(GetTrackEntryAt(0)));
  EXPECT_EQ(1, GetTrackEntryAt(0)[kTrackChildCount]);
}

int16_t OpenProgress(int16_t, int32_t) { return 0; }
int16_t CancelAtOnce(int32_t) { return kProgressCancelledErr; }
void CloseProgress() {}

TEST_F(ReferenceExpansion, ACancelGivesTheSongBackAsItWas) {
  BuildSongs("Verse", 384, kChild, {{1001, 0x50, 0, 960}, {1100, 0x90, 40, 10}});
  std::string before = undo_test::SongImage(parent_);
  gProgressHooks = {OpenProgress, CancelAtOnce, CloseProgress};
  ExpandSequenceReferences();
  EXPECT_TRUE(undo_test::SameImage(before, undo_test::SongImage(parent_)));
  EXPECT_EQ(0, CountMarkers());
  EXPECT_FALSE(CanRedo()) << "the cancelled step is forgotten";
}

TEST_F(ReferenceExpansion, UndoGivesTheSongBackAndRedoTheExpansion) {
  BuildSongs("Verse", 384, kChild, {{1001, 0x50, 0, 960}, {1100, 0x90, 40, 10}});
  refs_test::ExpectUndoAndRedo(ExpandSequenceReferences);
}

}  // namespace
