// Copy into the program's own clipboard: the header record, the split of notes at the range
// edges, the children of copied sequence references, the tracks that take part, and the
// clipboard set aside while an operation uses the machinery.
#include <cstring>

#include "editing/clipboard_copies.h"
#include "editing/clipboard_copy.h"
#include "song/instruments/instrument_table.h"
#include "shell/windows/editor_panes.h"
#include "song/model/song_copies.h"
#include "song/undo/undo_exchange.h"
#include "platform/system/quickdraw_random.h"
#include "tests/editing/clipboard/clipboard_fixture.h"

using clip_test::Ev;
using clip_test::Note;
using clip_test::Reference;

namespace {

struct SplitCase {
  const char* name;
  uint8_t options;
  std::vector<Ev> source;
  std::vector<Ev> copied;
};

void PrintTo(const SplitCase& c, std::ostream* out) { *out << c.name; }

class CopySplitTest : public ClipboardFixture, public ::testing::WithParamInterface<SplitCase> {};

TEST_P(CopySplitTest, CopiesTheRangeWithNotesCutAtItsEdges) {
  const SplitCase& c = GetParam();
  gPasteOptions = c.options;
  SetEvents(1, c.source);
  Copy(1, 97, 193);
  ASSERT_NE(nullptr, GetClipboardRecord());
  EXPECT_EQ(c.copied, ClipboardEventsOf(1));
  EXPECT_EQ(c.source, EventsOf(1)) << "the copy leaves the source alone";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CopySplitTest,
    ::testing::Values(
        SplitCase{"NoteAcrossBothEdgesSplit", 0, {Note(49, 192)}, {Note(97, 96)}},
        SplitCase{"NoteAcrossBothEdgesWhole", kPasteNoSplit, {Note(49, 192)}, {}},
        SplitCase{"NoteIntoTheStartSplit", 0, {Note(49, 100)}, {Note(97, 52)}},
        SplitCase{"NoteEndingAtTheStart", 0, {Note(49, 48)}, {}},
        SplitCase{"NoteOutOfTheEndSplit", 0, {Note(150, 100)}, {Note(150, 43)}},
        SplitCase{"NoteOutOfTheEndWhole", kPasteNoSplit, {Note(150, 100)}, {Note(150, 100)}},
        SplitCase{"OtherEventsAtTheEdges", 0,
                  {{96, 0xB0, 7, 1}, {97, 0xB0, 7, 2}, {192, 0xE0, 0, 64}, {193, 0xB0, 7, 3}},
                  {{97, 0xB0, 7, 2}, {192, 0xE0, 0, 64}}}),
    [](const auto& info) { return std::string(info.param.name); });

// A copy filter that takes an event when the drawing layer's generator says so.
int32_t TakeAtRandom() { return Random() > 0 ? 1 : 0; }

// The bytes are counted with the filter before the copy: both walks must draw the same
// numbers, or the copy takes other events than it made room for.
TEST_F(ClipboardFixture, ARandomCopyFilterTakesTheEventsItCountedRoomFor) {
  std::vector<Ev> source;
  for (uint32_t i = 0; i < 24; ++i) source.push_back(Note(100 + 10 * i, 5, uint8_t(40 + i)));
  SetEvents(1, source);
  SetQDGlobalsRandomSeed(12345);
  std::vector<Ev> expected;
  for (const Ev& e : source)
    if (TakeAtRandom()) expected.push_back(e);
  ASSERT_GT(expected.size(), 4u);
  ASSERT_LT(expected.size(), source.size());
  SetQDGlobalsRandomSeed(12345);
  gCopyFilterProc = TakeAtRandom;
  Copy(1, 100, 340);
  gCopyFilterProc = nullptr;
  EXPECT_EQ(expected, ClipboardEventsOf(1));
}

TEST_F(ClipboardFixture, TheHeaderSaysWhatWasCopiedAndFromWhere) {
  SetEvents(2, {Note(100, 10)});
  gFilterLowNote = 36;
  gFilterHighNote = 72;
  Copy(2, 97, 193);
  uint8_t* record = GetClipboardRecord();
  ASSERT_NE(nullptr, record);
  EventClipboardView clip(record);
  EXPECT_EQ(100, GetHandleSize(gClipboard));
  EXPECT_EQ(kClipboardKindTracks, clip.Kind());
  EXPECT_EQ(4000u, clip.SongLength());
  EXPECT_EQ(97u, clip.StartTick());
  EXPECT_EQ(193u, clip.EndTick());
  EXPECT_EQ(36, clip.LowNote());
  EXPECT_EQ(72, clip.HighNote());
  EXPECT_EQ(kContextEditorNotes, clip.Context());
  EXPECT_EQ(0, clip.WholeSong()) << "one track of four";
  EXPECT_TRUE(IsSlotInSelection(clip.Tracks(), 2));
  EXPECT_FALSE(IsSlotInSelection(clip.Tracks(), 1));
  EXPECT_EQ(1, gClipboardOwned);
  EXPECT_EQ(gClipboardPart2, GetClipboardSongPart());
  EXPECT_EQ(Handle(), GetClipboardInstrumentTable()) << "track data, not instrument data";
}

TEST_F(ClipboardFixture, EverySelectedTrackInTheNoteContextIsAWholeSongCopy) {
  SetEvents(0, {Note(100, 10)});
  undo_test::SelectAllTracks();
  SetTimeRange(1, 4000);
  CopyToClipboard(0, 2);
  ASSERT_NE(nullptr, GetClipboardRecord());
  EXPECT_EQ(1, EventClipboardView(GetClipboardRecord()).WholeSong());
}

TEST_F(ClipboardFixture, AnEmptySelectionCopiesNothingAndKeepsTheClipboard) {
  SetEvents(1, {Note(100, 10)});
  Copy(1, 97, 193);
  Handle before = gClipboard;
  Copy(1, 300, 300);
  EXPECT_EQ(before, gClipboard);
  EXPECT_EQ(std::vector<Ev>{Note(100, 10)}, ClipboardEventsOf(1));
}

TEST_F(ClipboardFixture, ATrackWithNeitherEventsNorAudioLeavesTheClipboardSelection) {
  SetEvents(1, {Note(100, 10)});
  SetEvents(2, {Note(110, 10)});
  SetEvents(3, {Note(120, 10)});
  // The editor shows track 1 in the note view and track 3 in an audio view; track 2 nowhere.
  gEditorPaneCount = 2;
  gEditorPanes[0] = EditorPane();
  gEditorPanes[0].track = 1;
  gEditorPanes[1] = EditorPane();
  gEditorPanes[1].track = 3;
  gEditorPanes[1].viewMode = 9;
  ClearTrackSelectionMask();
  SelectTrackSlot(1);
  SelectTrackSlot(2);
  SelectTrackSlot(3);
  RecomputeSelectionBounds(gTrackSelection, false);
  SetTimeRange(97, 193);
  CopyToClipboard(0, 2);
  gEditorPaneCount = 0;
  ASSERT_NE(nullptr, GetClipboardRecord());
  const uint8_t* tracks = GetClipboardRecord() + kClipboardTracks;
  EXPECT_TRUE(IsSlotInSelection(tracks, 1));
  EXPECT_FALSE(IsSlotInSelection(tracks, 2));
  EXPECT_TRUE(IsSlotInSelection(tracks, 3));
  EXPECT_EQ(1, tracks[kSelectionFirstSlot]);
  EXPECT_EQ(3, tracks[kSelectionLastSlot]);
  EXPECT_EQ(std::vector<Ev>{Note(120, 10)}, EventsOf(3));
  EXPECT_EQ(std::vector<Ev>{}, ClipboardEventsOf(3)) << "an audio view copies no events";
}

class ChildFixture : public ClipboardFixture {
 protected:
  void SetUp() override {
    ClipboardFixture::SetUp();
    child_ = AddSongInSlot(1, 1);
    SetCurrentTrackIndex(0);
    undo_test::SetTrackEvents(clip_test::Bytes({Note(10, 20)}));
    SelectSongIndex(0);
    SelectSong(song_);
    ASSERT_TRUE(SelectTrackWithNumber(1));
    ASSERT_EQ(0, SetChildCount(1));
    ASSERT_EQ(0, AttachSongAsChild(true, 1, 0));
  }
  // The handles the clipboard song holds, children included.
  std::vector<uint32_t> ClipboardHandles() {
    std::vector<uint32_t> handles;
    undo_test::CollectSongHandles(gClipboardPart2, &handles);
    return handles;
  }
  Handle child_;
};

TEST_F(ChildFixture, AReferenceCopiedTwiceCopiesItsChildOnce) {
  SetEvents(1, {Reference(100, 50), Reference(160, 50), Note(170, 5)});
  Copy(1, 97, 300);
  std::vector<uint32_t> twice = ClipboardHandles();
  EXPECT_EQ((std::vector<Ev>{Reference(100, 50), Reference(160, 50), Note(170, 5)}), ClipboardEventsOf(1));
  SetEvents(1, {Reference(100, 50), Note(170, 5)});
  Copy(1, 97, 300);
  std::vector<uint32_t> once = ClipboardHandles();
  EXPECT_EQ(once.size(), twice.size()) << "the second reference adds no second child copy";
  PushSongContext();
  SelectSong(gClipboardPart2);
  ASSERT_TRUE(SelectTrackWithNumber(1));
  Handle copy(ReadU32BE(gCurrentTrack + kTrackChildTable));
  EXPECT_TRUE(copy && copy != child_ && IsValidHandle(copy)) << "the clipboard owns its own copy";
  PopSongContext();
  EXPECT_TRUE(undo_test::AllDistinct(twice));
}

TEST_F(ChildFixture, AReferenceReachingPastTheRangeIsCutAtItsEnd) {
  SetEvents(1, {Reference(150, 200)});
  Copy(1, 97, 193);
  EXPECT_EQ(std::vector<Ev>{Reference(150, 43)}, ClipboardEventsOf(1));
}

TEST_F(ChildFixture, ARangeWithoutReferencesCopiesNoChild) {
  SetEvents(1, {Reference(10, 20), Note(100, 5)});
  Copy(1, 97, 193);
  PushSongContext();
  SelectSong(gClipboardPart2);
  ASSERT_TRUE(SelectTrackWithNumber(1));
  EXPECT_EQ(0u, ReadU32BE(gCurrentTrack + kTrackChildTable));
  PopSongContext();
}

TEST_F(ClipboardFixture, SaveClipboardStateEmptiesItAndRestoreBringsItBackUnchanged) {
  SetEvents(1, {Note(100, 10), Note(150, 30)});
  Copy(1, 97, 193);
  std::string header = undo_test::Bytes(gClipboard);
  std::string song = undo_test::SongImage(gClipboardPart2);
  ClipboardState kept;
  SaveClipboardState(&kept);
  EXPECT_EQ(nullptr, GetClipboardRecord());
  EXPECT_EQ(Handle(), gClipboardPart2);
  EXPECT_EQ(0, gClipboardOwned);
  SetEvents(2, {Note(400, 10)});
  Copy(2, 300, 500);  // the running operation's own clipboard
  EXPECT_EQ(std::vector<Ev>{Note(400, 10)}, ClipboardEventsOf(2));
  ClipboardCommand(true, true);
  RestoreClipboardState(&kept, true);
  EXPECT_EQ(header, undo_test::Bytes(gClipboard));
  EXPECT_TRUE(undo_test::SameImage(song, undo_test::SongImage(gClipboardPart2)));
  EXPECT_EQ(1, gClipboardOwned);
}

TEST_F(ClipboardFixture, DisposingTheClipboardFreesEverythingItMade) {
  SetEvents(1, {Note(100, 10)});
  uint32_t before = CountLiveHandles();
  Copy(1, 97, 193);
  EXPECT_GT(CountLiveHandles(), before);
  ClipboardCommand(true, true);
  EXPECT_EQ(before, CountLiveHandles());
  EXPECT_EQ(nullptr, GetClipboardRecord());
}

TEST_F(ClipboardFixture, TheUndoCopyOfTheRecordOwnsItsRackTable) {
  ASSERT_EQ(noErr, CreateInstrumentTable(2, 0));
  SetEvents(1, {Note(100, 10)});
  Copy(1, 97, 193);
  EventClipboardView clip(GetClipboardRecord());
  ASSERT_TRUE(clip.RackTable());
  EXPECT_EQ(2, clip.InstrumentCount());
  EXPECT_NE(gInstrumentTable, clip.RackTable());
  OSErr err = noErr;
  Handle copy = CopyClipboardRecord(gClipboard, &err);
  ASSERT_EQ(noErr, err);
  Handle copiedTable = ClipboardRackTableOf(copy);
  EXPECT_TRUE(copiedTable);
  EXPECT_NE(clip.RackTable(), copiedTable);
  EXPECT_EQ(undo_test::Bytes(gClipboard).substr(0, kClipboardRackTable),
            undo_test::Bytes(copy).substr(0, kClipboardRackTable));
  DisposeClipboardRecord(&copy);
  EXPECT_FALSE(IsValidHandle(copiedTable));
  DisposeInstrumentTable();
}

}  // namespace

namespace {

TEST_F(ClipboardFixture, UndoOfACopyBringsThePreviousClipboardBack) {
  SetEvents(1, {Note(100, 10), Note(400, 10, 62)});
  SelectOnly(1);
  SetTimeRange(97, 193);
  CopySelection();
  ASSERT_NE(nullptr, GetClipboardRecord());
  std::string first = undo_test::Bytes(gClipboard);
  SetTimeRange(300, 500);
  CopySelection();
  EXPECT_EQ(std::vector<Ev>{Note(400, 10, 62)}, ClipboardEventsOf(1));
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_EQ(first, undo_test::Bytes(gClipboard));
  EXPECT_EQ(std::vector<Ev>{Note(100, 10)}, ClipboardEventsOf(1));
  ASSERT_EQ(noErr, RedoEdit());
  EXPECT_EQ(std::vector<Ev>{Note(400, 10, 62)}, ClipboardEventsOf(1));
}

}  // namespace
