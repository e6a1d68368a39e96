// Paste, Merge and Duplicate: a clipboard copied from a song in memory pasted into its tracks,
// the repeats and the per-note step, the mapping of clipboard tracks to destination tracks,
// the paste into lanes and the conductor map, the check of pasted sequence references, and
// the undo of a paste.
#include <cstdlib>
#include <cstring>

#include "editing/insert_remove_time.h"
#include "editing/event_list_range_copy.h"
#include "editing/lane_paste.h"
#include "editing/paste.h"
#include "editing/paste_events.h"
#include "editing/time_range_clear.h"
#include "platform/events/host_input.h"
#include "platform/events/key_codes.h"
#include "shell/base/error_report_hooks.h"
#include "shell/windows/editor_panes.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/markers.h"
#include "song/instruments/plugin_hooks.h"
#include "song/undo/undo_exchange.h"
#include "tests/editing/clipboard/clipboard_fixture.h"

using clip_test::Ev;
using clip_test::Note;
using clip_test::Reference;

namespace {

int gReports = 0;
int32_t gLastReport = 0;

class PasteFixture : public ClipboardFixture {
 protected:
  void SetUp() override {
    ClipboardFixture::SetUp();
    gReports = 0;
    kept_ = gErrorReportHooks;
    gErrorReportHooks.showCautionAlert = [](int16_t) -> int16_t {
      ++gReports;
      return 1;
    };
  }
  void TearDown() override {
    gErrorReportHooks = kept_;
    PostHostModifiersEvent(0);
    gCurrentLaneNumber = 0;
    ClipboardFixture::TearDown();
  }

  // Track to, with only it selected, takes the clipboard at start (the selection start..end).
  OSErr PasteAt(int32_t to, uint32_t start, uint32_t end, bool merge = false, bool repeat = false) {
    SelectOnly(to);
    SetTimeRange(start, end);
    return PasteFromClipboard(repeat, merge, 0, nullptr);
  }

  // Runs the range clear of the editing on a scratch track: false while it is not built.
  ErrorReportHooks kept_;
};

struct PasteCase {
  const char* name;
  uint8_t options;
  uint32_t count;       // gPasteRepeatCount
  bool repeat;
  bool merge;
  uint32_t start, end;  // the destination selection
  std::vector<Ev> destination;
  std::vector<Ev> expected;
};

// The clipboard of every case: track 1's range 1000..1096.
const std::vector<Ev> kSource = {Note(990, 40, 48), Note(1000, 96, 60, 100), {1070, 0xB0, 7, 90},
                                 Note(1090, 30, 64, 50), Note(1096, 10, 72)};

void PrintTo(const PasteCase& c, std::ostream* out) { *out << c.name; }

class PasteTableTest : public PasteFixture, public ::testing::WithParamInterface<PasteCase> {};

TEST_P(PasteTableTest, PastesTheClipboardRangeAsExpected) {
  const PasteCase& c = GetParam();
  gPasteOptions = c.options;
  SetEvents(1, kSource);
  Copy(1, 1000, 1096);
  ASSERT_NE(nullptr, GetClipboardRecord());
  SetEvents(2, c.destination);
  gPasteRepeatCount = c.count;
  gRepeatTransposition.targetNote = 62;  // +2 when transposing
  EXPECT_EQ(noErr, PasteAt(2, c.start, c.end, c.merge, c.repeat));
  EXPECT_EQ(c.expected, EventsOf(2));
  EXPECT_EQ(kSource, EventsOf(1));
}

constexpr uint8_t kNoSplit = kPasteNoSplit;
constexpr uint8_t kFill = kPasteNoSplit | (1 << kPasteRepeatModeShift);
constexpr uint8_t kToEnd = kPasteNoSplit | (2 << kPasteRepeatModeShift);

INSTANTIATE_TEST_SUITE_P(
    Cases, PasteTableTest,
    ::testing::Values(
        PasteCase{"OneCopyIntoAnEmptyTrack", kNoSplit, 1, false, false, 2000, 2000, {},
                  {Note(2000, 96, 60, 100), {2070, 0xB0, 7, 90}, Note(2090, 30, 64, 50)}},
        // The per-note step of a repeat cuts the last note at the end of the copies.
        PasteCase{"RepeatByTheInitialCountPastesOnce", kNoSplit, 1, true, false, 2000, 2000, {},
                  {Note(2000, 96, 60, 100), {2070, 0xB0, 7, 90}, Note(2090, 6, 64, 50)}},
        PasteCase{"RepeatByCountTwoCutsTheLastNoteAtTheEnd", kNoSplit, 2, true, false, 2000, 2000, {},
                  {Note(2000, 96, 60, 100), {2070, 0xB0, 7, 90}, Note(2090, 30, 64, 50),
                   Note(2096, 96, 60, 100), {2166, 0xB0, 7, 90}, Note(2186, 6, 64, 50)}},
        // 250 ticks: copies at S and S + 96 and a last one of 58 ticks.
        PasteCase{"RepeatFillsTheSelection", kFill, 1, true, false, 2000, 2250, {},
                  {Note(2000, 96, 60, 100), {2070, 0xB0, 7, 90}, Note(2090, 30, 64, 50),
                   Note(2096, 96, 60, 100), {2166, 0xB0, 7, 90}, Note(2186, 30, 64, 50),
                   Note(2192, 58, 60, 100)}},
        PasteCase{"RepeatToTheSongEnd", kToEnd, 1, true, false, 3850, 3850, {},
                  {Note(3850, 96, 60, 100), {3920, 0xB0, 7, 90}, Note(3940, 30, 64, 50),
                   Note(3946, 54, 60, 100)}},
        PasteCase{"RepeatTransposesEveryCopyByTheSameInterval", kNoSplit | kPasteTranspose, 2, true, false,
                  2000, 2000, {},
                  {Note(2000, 96, 62, 100), {2070, 0xB0, 7, 90}, Note(2090, 30, 66, 50),
                   Note(2096, 96, 62, 100), {2166, 0xB0, 7, 90}, Note(2186, 6, 66, 50)}},
        PasteCase{"TransposeOnlyWhenRepeating", kNoSplit | kPasteTranspose, 1, false, false, 2000, 2000, {},
                  {Note(2000, 96, 60, 100), {2070, 0xB0, 7, 90}, Note(2090, 30, 64, 50)}},
        PasteCase{"MergeKeepsWhatTheDestinationHeld", kNoSplit, 1, false, true, 2000, 2000,
                  {Note(2000, 10, 40), Note(2050, 10, 41)},
                  {Note(2000, 10, 40), Note(2000, 96, 60, 100), Note(2050, 10, 41), {2070, 0xB0, 7, 90},
                   Note(2090, 30, 64, 50)}},
        PasteCase{"SplitNotesComeFromTheRangeStart", 0, 1, false, false, 2000, 2000, {},
                  {Note(2000, 30, 48), Note(2000, 96, 60, 100), {2070, 0xB0, 7, 90}, Note(2090, 6, 64, 50)}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PasteFixture, ARepeatOfAnEmptyRangeEndsAfterOneCopy) {
  SetEvents(1, {Note(1000, 10)});
  Copy(1, 1000, 1096);
  EventClipboardView(GetClipboardRecord()).SetEndTick(1000);  // an empty clipboard range
  gPasteOptions = kFill;
  EXPECT_EQ(noErr, PasteAt(2, 2000, 2250, false, true));
  EXPECT_EQ(std::vector<Ev>{}, EventsOf(2));
}

TEST_F(PasteFixture, ARepeatRunsInTicksWhenTheSelectionHasNoSampleRate) {
  SetEvents(1, {Note(1000, 10)});
  Copy(1, 1000, 1100);
  gPasteOptions = kFill;
  SelectOnly(2);
  SetTimeRange(2000, 2200);
  gTimeSelection.start.rate = gTimeSelection.end.rate = 0.0f;
  gTimeSelection.start.sample = gTimeSelection.end.sample = 0;
  EXPECT_EQ(noErr, PasteFromClipboard(1, 0, 0, nullptr));
  EXPECT_EQ((std::vector<Ev>{Note(2000, 10), Note(2100, 10)}), EventsOf(2));
}

TEST_F(PasteFixture, ClipboardTracksWhoseDestinationLiesPastTheLastTrackAreLeftOut) {
  for (int n = 0; n < kTracks; ++n) SetEvents(n, {Note(1000 + n, 10, uint8_t(40 + n))});
  undo_test::SelectAllTracks();
  SetTimeRange(1000, 1100);
  CopyToClipboard(0, 2);
  ASSERT_NE(nullptr, GetClipboardRecord());
  SelectSong(song_);
  ClearTrackSelectionMask();
  SelectTrackSlot(46);
  RecomputeSelectionBounds(gTrackSelection, false);
  SetTimeRange(2000, 2000);
  EXPECT_EQ(noErr, PasteFromClipboard(0, 0, 0, nullptr));
  EXPECT_EQ(std::vector<Ev>{Note(2000, 10, 40)}, EventsOf(46));
  EXPECT_EQ(std::vector<Ev>{Note(2001, 10, 41)}, EventsOf(47));
  EXPECT_EQ(kTracks + 2, GetSongTrackCount());
  for (int32_t i = 0; i < GetSongTrackCount(); ++i) {
    const uint8_t* entry = GetTrackEntryAt(i);
    ASSERT_NE(nullptr, entry);
    EXPECT_LT(entry[kTrackNumber], kMaxTrackNumbers);
  }
}

TEST_F(PasteFixture, PasteReplacesTheDestinationRangeAndMergeKeepsIt) {
  const std::vector<Ev> existing = {Note(1000, 20, 50), Note(1050, 20, 51), Note(1095, 20, 52),
                                    Note(1096, 20, 53)};
  SetEvents(1, {Note(500, 10, 70)});
  Copy(1, 500, 596);
  SetEvents(2, existing);
  EXPECT_EQ(noErr, PasteAt(2, 1000, 1000, true));
  EXPECT_EQ((std::vector<Ev>{Note(1000, 20, 50), Note(1000, 10, 70), Note(1050, 20, 51),
                             Note(1095, 20, 52), Note(1096, 20, 53)}),
            EventsOf(2));
  SetEvents(2, existing);
  EXPECT_EQ(noErr, PasteAt(2, 1000, 1000));
  EXPECT_EQ((std::vector<Ev>{Note(1000, 10, 70), Note(1096, 20, 53)}), EventsOf(2));
}

TEST_F(PasteFixture, CopyThenPasteIntoAnEmptyTrackGivesTheSameBytes) {
  SetEvents(1, {Note(1000, 40, 60, 90), {1010, 0xE0, 0, 70}, {1020, 0xB0, 7, 100}, Note(1030, 50, 62, 80),
                {1040, 0xD0, 33, 0}});
  std::vector<uint8_t> bytes = clip_test::ListBytes(GetCurrentTrackEventList());
  Copy(1, 1000, 1100);
  EXPECT_EQ(noErr, PasteAt(2, 1000, 1000));
  SelectTrackWithNumber(2);
  EXPECT_EQ(bytes, clip_test::ListBytes(GetCurrentTrackEventList()));
}

TEST_F(PasteFixture, PasteLeavesTheSelectionAtTheEndOfWhatWasPasted) {
  SetEvents(1, {Note(1000, 10)});
  Copy(1, 1000, 1096);
  PasteAt(2, 2000, 2500);
  EXPECT_EQ(2096u, gTimeSelection.start.tick);
  EXPECT_EQ(2096u, gTimeSelection.end.tick);
  gPasteOptions = kFill;
  PasteAt(2, 2000, 2500, false, true);
  EXPECT_EQ(2500u, gTimeSelection.start.tick);
}

TEST_F(PasteFixture, PasteThenUndoGivesTheTrackBackAndRedoPastesAgain) {
  SetEvents(1, {Note(1000, 10), Note(1050, 20, 70)});
  SetEvents(2, {Note(100, 10, 40)});
  std::vector<uint8_t> before = clip_test::ListBytes(GetCurrentTrackEventList());
  Copy(1, 1000, 1096);
  SelectOnly(2);
  SetTimeRange(2000, 2000);
  ASSERT_EQ(noErr, PasteFromClipboard(0, 1, kUndoKindMerge, nullptr));
  std::vector<Ev> pasted = EventsOf(2);
  ASSERT_EQ(3u, pasted.size());
  ASSERT_EQ(noErr, UndoLastEdit());
  SelectSong(song_);
  SelectTrackWithNumber(2);
  EXPECT_EQ(before, clip_test::ListBytes(GetCurrentTrackEventList()));
  ASSERT_EQ(noErr, RedoEdit());
  EXPECT_EQ(pasted, EventsOf(2));
}

TEST_F(PasteFixture, DuplicatePastesTheSelectionBehindItselfAndSelectsTheCopy) {
  SetEvents(1, {Note(97, 20), Note(150, 100, 62), Note(200, 5, 64)});
  SelectOnly(1);
  SetTimeRange(97, 193);
  Copy(1, 200, 300);  // the user's clipboard, which Duplicate leaves alone
  std::string clipboard = undo_test::Bytes(gClipboard);
  SetTimeRange(97, 193);
  DuplicateSelection();
  // The copy replaces what stood behind the selection: the note at 200 goes.
  EXPECT_EQ((std::vector<Ev>{Note(97, 20), Note(150, 100, 62), Note(193, 20), Note(246, 100, 62)}),
            EventsOf(1));
  EXPECT_EQ(193u, gTimeSelection.start.tick);
  EXPECT_EQ(289u, gTimeSelection.end.tick);
  EXPECT_EQ(clipboard, undo_test::Bytes(gClipboard));
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_EQ((std::vector<Ev>{Note(97, 20), Note(150, 100, 62), Note(200, 5, 64)}), EventsOf(1));
}

TEST_F(PasteFixture, PasteWithOptionOpensAGapFirst) {
  SetEvents(1, {Note(500, 10, 70)});
  Copy(1, 500, 596);
  SetEvents(2, {Note(900, 10, 40), Note(1000, 10, 41), Note(1200, 10, 42)});
  SelectOnly(2);
  SetTimeRange(1000, 1000);
  PostHostModifiersEvent(optionKey);
  EXPECT_EQ(noErr, PasteFromClipboard(0, 0, kUndoKindPaste, nullptr));
  PostHostModifiersEvent(0);
  EXPECT_EQ((std::vector<Ev>{Note(900, 10, 40), Note(1000, 10, 70), Note(1096, 10, 41), Note(1296, 10, 42)}),
            EventsOf(2));
}

// The tempo at tick in the current song's conductor map, 0 without a record there.
int32_t TempoRecordAt(int32_t tick) {
  const uint8_t* map = GetConductorMap();
  for (const uint8_t* r = map; r && r[0] != kConductorEnd; r += kConductorRecordSize)
    if (r[0] == kConductorTempo && ReadI32BE(r + kConductorTickOffset) == tick)
      return ReadU16BE(r + kConductorValueOffset);
  return 0;
}

TEST_F(PasteFixture, ATempoLaneClipboardWritesTempoIntoTheTempoLaneOnly) {
  SelectSong(song_);
  ASSERT_EQ(noErr, SetTempoAt(1500, 1100));
  gEditContextKind = kContextConductorList;
  Copy(1, 1000, 1200);
  ASSERT_NE(nullptr, GetClipboardRecord());
  EXPECT_EQ(kClipboardKindConductor, GetClipboardRecord()[kClipboardKind]);
  SetEvents(2, {});
  gEditContextKind = kContextEditorLane;
  gCurrentLaneNumber = kLaneVelocity + 1;
  std::vector<uint8_t> map = clip_test::ListBytes(Handle(ReadU32BE(gCurrentSong + kSongConductorMap)));
  EXPECT_EQ(noErr, PasteAt(2, 2000, 2000));
  EXPECT_EQ(std::vector<Ev>{}, EventsOf(2)) << "the velocity lane has no lane value";
  EXPECT_EQ(map, clip_test::ListBytes(Handle(ReadU32BE(gCurrentSong + kSongConductorMap))));
  gCurrentLaneNumber = kLaneTempo + 1;
  EXPECT_EQ(noErr, PasteAt(2, 2000, 2000));
  EXPECT_EQ(1500, TempoRecordAt(2100));
}

TEST_F(PasteFixture, EventsPastedIntoALaneBecomeItsValues) {
  SetEvents(1, {{1000, 0xB0, 7, 100}, {1000, 0xB0, 10, 5}, {1010, 0xE0, 0, 64}, Note(1020, 10, 60, 32),
                {1030, 0xF0, 0, 0}});
  Copy(1, 1000, 1100);
  gEditContextKind = kContextEditorLane;
  gCurrentLaneNumber = kLaneChannelPressure + 1;
  gEventChannel = 2;
  SetEvents(2, {});
  EXPECT_EQ(noErr, PasteAt(2, 2000, 2000));
  EXPECT_EQ((std::vector<Ev>{{2000, 0xD2, 100, 0}, {2010, 0xD2, 64, 0}, {2020, 0xD2, 32, 0}}), EventsOf(2));
}

class ReferencePasteFixture : public PasteFixture {
 protected:
  void SetUp() override {
    PasteFixture::SetUp();
    AddSongInSlot(1, 1);
    SelectSongIndex(0);
    SelectSong(song_);
    ASSERT_TRUE(SelectTrackWithNumber(1));
    ASSERT_EQ(0, SetChildCount(1));
    ASSERT_EQ(0, AttachSongAsChild(true, 1, 0));
    SetEvents(1, {Reference(100, 200)});
    Copy(1, 100, 300);
  }
};

TEST_F(ReferencePasteFixture, AReferenceOverlappingAnotherToTheSameChildIsDroppedWithError18) {
  EXPECT_EQ(kDroppedReferencesError, PasteAt(1, 200, 200, true));
  EXPECT_EQ(std::vector<Ev>{Reference(100, 200)}, EventsOf(1));
  EXPECT_EQ(1, gReports);
}

TEST_F(ReferencePasteFixture, AReferenceClearOfTheOthersIsKeptUnmarked) {
  EXPECT_EQ(noErr, PasteAt(1, 300, 300, true));
  EXPECT_EQ((std::vector<Ev>{Reference(100, 200), Reference(300, 200)}), EventsOf(1));
  EXPECT_EQ(0, gReports);
}

TEST_F(ReferencePasteFixture, AReferenceToAChildTheDestinationLacksIsDropped) {
  SetEvents(2, {Note(50, 10)});
  EXPECT_EQ(kDroppedReferencesError, PasteAt(2, 100, 100, true));
  EXPECT_EQ(std::vector<Ev>{Note(50, 10)}, EventsOf(2));
}

TEST_F(ReferencePasteFixture, ExpandingAReferenceMergesItsChildAtItsTime) {
  PushSongContext();
  SelectSong(GetSongHandleAt(1));
  SetCurrentTrackIndex(0);
  undo_test::SetTrackEvents(clip_test::Bytes({Note(1, 10, 50), Note(50, 10, 51), Note(300, 10, 52)}));
  PopSongContext();
  // The child in cell 0 is a copy made when it was attached; give it the same events.
  SelectSong(song_);
  SelectTrackWithNumber(1);
  PushSongContext();
  ASSERT_TRUE(SelectChildSequence(0));
  SetCurrentTrackIndex(0);
  undo_test::SetTrackEvents(clip_test::Bytes({Note(1, 10, 50), Note(50, 10, 51), Note(300, 10, 52)}));
  PopSongContext();
  SelectOnly(1);
  SetTimeRange(1, 1000);
  ExpandReferencesInSelection();
  EXPECT_EQ((std::vector<Ev>{Reference(100, 200), Note(100, 10, 50), Note(149, 10, 51)}), EventsOf(1));
}

}  // namespace

namespace {

TEST_F(PasteFixture, ACopiedTrackBlockLandsAtTheDropAndTheUserClipboardStays) {
  SetEvents(0, {Note(1000, 10, 39)});
  SetEvents(1, {Note(1000, 10, 40)});
  SetEvents(2, {Note(1050, 10, 41)});
  Copy(0, 1, 2000);
  std::string clipboard = undo_test::Bytes(gClipboard);
  TrackRangeClipboardOp(1, 2, 1000, 1100, 3000, true);
  EXPECT_EQ(std::vector<Ev>{Note(1000, 10, 39)}, EventsOf(0));
  EXPECT_EQ((std::vector<Ev>{Note(1000, 10, 40), Note(3000, 10, 40)}), EventsOf(1));
  EXPECT_EQ((std::vector<Ev>{Note(1050, 10, 41), Note(3050, 10, 41)}), EventsOf(2));
  EXPECT_EQ(clipboard, undo_test::Bytes(gClipboard));
}

// Every event of track n selected (select) or the count of its selected events.
int32_t MarkSelected(int32_t n, bool select) {
  if (!SelectTrackWithNumber(n)) return -1;
  int32_t count = 0;
  for (uint8_t* e = GetCurrentTrackEventsPtr(); e && SeqEventTime(e) != 0; e += GetSeqEventLength(e)) {
    if (select) e[kEventFlags] |= kEventSelected;
    count += (e[kEventFlags] & kEventSelected) != 0;
  }
  return count;
}

class ListPasteTest : public PasteFixture, public ::testing::WithParamInterface<uint32_t> {};

// The track list (1) and the event list (5) merge the clipboard into their own track and leave
// none of its events selected, though the copied events came selected.
TEST_P(ListPasteTest, APasteInAListWindowLeavesNoEventOfTheTrackSelected) {
  SetEvents(1, {Note(1000, 10), {1050, 0xB0, 7, 90}});
  MarkSelected(1, true);
  Copy(1, 1000, 1096);
  SetEvents(2, {Note(100, 10, 40), Note(2010, 10, 41)});
  MarkSelected(2, true);
  gEditContextKind = GetParam();
  EXPECT_EQ(noErr, PasteAt(2, 2000, 2000));
  EXPECT_EQ((std::vector<Ev>{Note(100, 10, 40), Note(2000, 10), {2050, 0xB0, 7, 90}}), EventsOf(2));
  EXPECT_EQ(0, MarkSelected(2, false));
  EXPECT_EQ(2, MarkSelected(1, false)) << "the source keeps its selection";
}

INSTANTIATE_TEST_SUITE_P(Contexts, ListPasteTest, ::testing::Values(1u, uint32_t(kContextEventList)));

// The paste looks at the destination through its drum view for the moment; the editor's view
// mode is its own again afterwards.
TEST_F(PasteFixture, APasteGivesTheEditorItsViewModeBack) {
  SetEvents(1, {Note(1000, 10)});
  Copy(1, 1000, 1096);
  gEditorPaneCount = 1;
  gEditorPanes[0] = EditorPane();
  gEditorPanes[0].track = 2;
  gEditorPanes[0].viewMode = 1;
  gCurrentViewMode = 0;
  EXPECT_EQ(noErr, PasteAt(2, 2000, 2000));
  EXPECT_EQ((std::vector<Ev>{Note(2000, 10)}), EventsOf(2));
  EXPECT_EQ(0, gCurrentViewMode);
  gPasteOptions = kPasteNoSplit | kPasteRepeated | (3 << kPasteRepeatModeShift);  // pastes nothing
  EXPECT_EQ(noErr, PasteAt(2, 3000, 3000, false, true));
  EXPECT_EQ(0, gCurrentViewMode);
  gEditorPaneCount = 0;
}

TEST_F(PasteFixture, AMergeWithoutAClipboardDoesNothing) {
  SetEvents(2, {Note(100, 10)});
  EXPECT_EQ(noErr, PasteAt(2, 50, 50, true));
  EXPECT_EQ(std::vector<Ev>{Note(100, 10)}, EventsOf(2));
}

TEST_F(PasteFixture, RandomisedVelocitiesStayWithinTheWidthAndTheMidiRange) {
  SetEvents(1, {Note(1000, 10, 60, 126), Note(1010, 10, 61, 1), Note(1020, 10, 62, 64)});
  Copy(1, 1000, 1100);
  gPasteOptions = kPasteNoSplit | kPasteRandomVelocity;
  gPasteRepeatCount = 20;
  gVelocityRandomWidth = 5;
  SetEvents(2, {});
  PasteAt(2, 2000, 2000, false, true);
  gVelocityRandomWidth = 34;
  std::vector<Ev> pasted = EventsOf(2);
  ASSERT_EQ(60u, pasted.size());
  bool changed = false;
  for (const Ev& e : pasted) {
    int original = e.d1 == 60 ? 126 : e.d1 == 61 ? 1 : 64;
    EXPECT_LE(std::abs(e.d2 - original), 4) << e;
    EXPECT_LE(e.d2, 127);
    changed |= e.d2 != original;
  }
  EXPECT_TRUE(changed);
}

}  // namespace

namespace {

TEST_F(PasteFixture, APatternToolCopiesARangeBetweenTwoListsAndRepeatsItToTheExtent) {
  Handle source = NewHandleClear(0);
  std::vector<uint8_t> bytes = clip_test::Bytes({Note(100, 30, 60), Note(150, 80, 64), Note(200, 5, 67)});
  SetHandleSize(source, Size(bytes.size()));
  std::memcpy(HandleData(source), bytes.data(), bytes.size());
  Handle destination = NewHandleClear(kEmptyEventListSize);
  SetEvents(2, {Note(10, 10)});
  std::vector<uint8_t> own = clip_test::ListBytes(GetCurrentTrackEventList());
  SetEvents(1, {Note(500, 10)});
  Copy(1, 400, 600);
  std::string clipboard = undo_test::Bytes(gClipboard);
  SelectOnly(2);
  gPasteOptions = kFill;  // repeated, filling the extent
  gPasteOptions |= kPasteRepeated;
  gEditContextKind = kContextTrackWindow;
  EXPECT_EQ(noErr, CopyRangeBetweenEventLists(source, destination, 100, 200, 250, true));
  EXPECT_EQ((std::vector<Ev>{Note(100, 30, 60), Note(150, 80, 64), Note(200, 30, 60), Note(250, 80, 64),
                             Note(300, 30, 60)}),
            clip_test::Read(reinterpret_cast<uint8_t*>(HandleData(destination))))
      << "the last copy holds the first 50 ticks";
  EXPECT_EQ(own, clip_test::ListBytes(GetCurrentTrackEventList())) << "the track keeps its own list";
  EXPECT_EQ(clipboard, undo_test::Bytes(gClipboard));
  EXPECT_EQ(kContextTrackWindow, gEditContextKind);
  DisposeHandle(source);
  DisposeHandle(destination);
}

TEST_F(PasteFixture, AWholeTrackPasteInTheTrackWindowReplacesTheTrack) {
  SetEvents(1, {Note(100, 10, 70), Note(3000, 10, 71)});
  const unsigned char theme[] = {5, 'T', 'h', 'e', 'm', 'e'};
  SetTrackName(theme);
  SetEvents(2, {Note(200, 10, 40)});
  const unsigned char old[] = {3, 'O', 'l', 'd'};
  SetTrackName(old);
  gEditContextKind = kContextTrackWindow;
  Copy(1, 1, 4000);
  EXPECT_EQ(noErr, PasteAt(2, 1, 1));
  EXPECT_EQ((std::vector<Ev>{Note(100, 10, 70), Note(3000, 10, 71)}), EventsOf(2));
  Str255 name;
  GetTrackNameText(gCurrentTrack, name);
  EXPECT_EQ("Theme", std::string(reinterpret_cast<char*>(name + 1), name[0]));
  EXPECT_EQ(2, gCurrentTrack[kTrackNumber]);
}

int gDeviceTableRebuilds = 0;

// A whole track armed for recording replaces an unarmed one: the song counts both armed
// tracks, the record track stays the one it was, and the plug-in devices are registered
// again for the replaced track's rack.
TEST_F(PasteFixture, AReplacedTrackBringsItsRecordArmingIntoTheSongsCount) {
  InstrumentPluginHooks keptHooks = gInstrumentPluginHooks;
  gDeviceTableRebuilds = 0;
  gInstrumentPluginHooks.rebuildDeviceTable = [] { ++gDeviceTableRebuilds; };
  for (int32_t n = 0; n < kTracks; ++n)
    if (SelectTrackWithNumber(n)) gCurrentTrack[kTrackModeFlags] &= uint8_t(~kTrackModeArmed);
  SetEvents(1, {Note(100, 10, 70)});
  gCurrentTrack[kTrackModeFlags] |= kTrackModeArmed;
  SetEvents(2, {Note(200, 10, 40)});
  gCurrentTrack[kTrackModeFlags] &= uint8_t(~kTrackModeArmed);
  gCurrentSong[kSongArmedCount] = 1;
  gCurrentSong[kSongRecordTrack] = 1;
  gEditContextKind = kContextTrackWindow;
  Copy(1, 1, 4000);
  ASSERT_EQ(noErr, PasteAt(2, 1, 1));
  ASSERT_EQ((std::vector<Ev>{Note(100, 10, 70)}), EventsOf(2));
  EXPECT_EQ(2, gCurrentSong[kSongArmedCount]);
  EXPECT_EQ(1, gCurrentSong[kSongRecordTrack]);
  EXPECT_EQ(1, gDeviceTableRebuilds);
  PasteAt(3, 1000, 1000);  // an ordinary paste replaces no track
  EXPECT_EQ(1, gDeviceTableRebuilds);
  gInstrumentPluginHooks = keptHooks;
}

}  // namespace

namespace {

TEST_F(PasteFixture, AWholeSongClipboardBringsTheMarkersOfItsRange) {
  SetEvents(0, {Note(100, 10)});
  const unsigned char verse[] = {5, 'V', 'e', 'r', 's', 'e'};
  ASSERT_EQ(noErr, AddMarker(verse, 1500, 1, 0, 0));
  ASSERT_EQ(noErr, AddMarker(verse, 2500, 1, 0, 0));
  undo_test::SelectAllTracks();
  SetTimeRange(1, 2000);
  CopyToClipboard(0, 2);
  ASSERT_EQ(1, EventClipboardView(GetClipboardRecord()).WholeSong());
  SetTimeRange(2001, 2001);
  EXPECT_EQ(noErr, PasteFromClipboard(0, 1, 0, nullptr));
  ASSERT_EQ(3, CountMarkers());
  EXPECT_EQ(1500u, MarkerTick(GetMarkerAt(0)));
  EXPECT_EQ(2500u, MarkerTick(GetMarkerAt(1)));
  EXPECT_EQ(3500u, MarkerTick(GetMarkerAt(2)));
  EXPECT_EQ((std::vector<Ev>{Note(100, 10), Note(2100, 10)}), EventsOf(0));
}

}  // namespace

namespace {

struct TransposeCase {
  int32_t options;
  int32_t delta;
  uint8_t note;
  uint8_t flags;
};

TEST_F(PasteFixture, ThePatternToolsTransposeTheCursorEventByWrappingOrFolding) {
  const TransposeCase cases[] = {
      {0, 10, 118, 1},  // folded by an octave
      {1, 10, 2, 1},    // wrapped by 128
      {2, -2, 118, 0},  // deselected
      {1, -125, 123, 1},
  };
  for (const TransposeCase& c : cases) {
    SetEvents(1, {Note(100, 10, 120)});
    gCurrentEvent = GetCurrentTrackEventsPtr();
    gCurrentEvent[kEventFlags] = kEventSelected;
    TransposeCursorEvent(c.options, 300, c.delta);
    EXPECT_EQ(300u, SeqEventTime(gCurrentEvent));
    EXPECT_EQ(c.note, gCurrentEvent[kEventData1]) << c.options << " " << c.delta;
    EXPECT_EQ(c.flags, gCurrentEvent[kEventFlags]);
  }
}

TEST_F(PasteFixture, AppendTransposedEventAddsATransposedCopyToThePasteSource) {
  SetEvents(1, {Note(100, 10, 60), Note(200, 40, 64)});
  std::vector<uint8_t> bytes = clip_test::Bytes({Note(5, 5, 50)});
  gPasteSourceEvents = NewHandleClear(Size(bytes.size()));
  std::memcpy(HandleData(gPasteSourceEvents), bytes.data(), bytes.size());
  TransposeRequest request;
  request.delta = 3;
  for (uint8_t* e = GetCurrentTrackEventsPtr(); SeqEventTime(e) != 0; e += GetSeqEventLength(e)) {
    gCurrentEvent = e;
    request.tick = SeqEventTime(e) + 1000;
    ASSERT_EQ(noErr, AppendTransposedEvent(&request));
  }
  EXPECT_EQ((std::vector<Ev>{Note(5, 5, 50), Note(1100, 10, 63), Note(1200, 40, 67)}),
            clip_test::Read(reinterpret_cast<uint8_t*>(HandleData(gPasteSourceEvents))));
  EXPECT_EQ(1240u, request.latestEnd);
  EXPECT_EQ((std::vector<Ev>{Note(100, 10, 60), Note(200, 40, 64)}), EventsOf(1));
  DisposeHandle(gPasteSourceEvents);
  gPasteSourceEvents = Handle();
}

}  // namespace
