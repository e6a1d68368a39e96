// The Edit menu: the context of each front window, the dispatcher's item table (the text
// window, the dialog window and the jukebox take only their own items), deleting the selected
// tracks with its undo step, Cut's single undo step and its early exits, select all, and the
// routes that reach the dispatcher.
#include <string>
#include <vector>

#include "editing/edit_commands.h"
#include "editing/edit_window_hooks.h"
#include "editing/record_tracks.h"
#include "editors/editor_key_routes.h"
#include "editors/key_command_hooks.h"
#include "editors/note_entry/editor_clicks.h"
#include "shell/app/program_hooks.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/window_activation.h"
#include "song/model/child_sequences.h"
#include "song/model/song_context.h"
#include "song/undo/undo_exchange.h"
#include "song/model/track_sections.h"
#include "song/undo/undo_steps.h"
#include "tests/editing/editing_fixture.h"

using editing_test::EditingFixture;
using editing_test::gFrontKind;
using undo_test::Events;
using undo_test::SongImage;

namespace {

std::vector<uint32_t> gHandedOn;

void RecordCommand(uint32_t command) { gHandedOn.push_back(command); }
void RecordJukeboxItem(int16_t item) { gHandedOn.push_back(uint32_t(1000 + item)); }

int32_t AddControllerToTrack0(void*) {
  SelectTrackWithNumber(0);
  return InsertShortEvent(0, 480, 0xB0, 7, 100);
}

}  // namespace

class EditMenuTest : public EditingFixture {
 protected:
  void SetUp() override {
    EditingFixture::SetUp();
    gHandedOn.clear();
    gEditWindowHooks.textWindowCommand = RecordCommand;
    gEditWindowHooks.jukeboxEditItem = RecordJukeboxItem;
  }
  void TearDown() override {
    gEditWindowHooks = EditWindowHooks();
    EditingFixture::TearDown();
  }
  // Three tracks (numbers 0..2), each with a note and a controller at its own ticks.
  void MakeThreeTracks() {
    MakeSong(3);
    for (int i = 0; i < 3; ++i) {
      SetCurrentTrackIndex(i);
      undo_test::SetTrackEvents(Events({{uint32_t(100 + i), 0x90, uint32_t(60 + i)}, {uint32_t(300 + i), 0xB0, 7}}));
    }
    SetCurrentTrackIndex(0);
  }
  void SelectTracks(const std::vector<int>& numbers) {
    std::vector<uint8_t> scope = undo_test::Scope(numbers);
    RestoreTrackSelection(scope.data());
  }
};

TEST_F(EditMenuTest, ContextFollowsTheFrontWindow) {
  MakeSong(1);
  const struct { int16_t front, viewMode; uint32_t context; } kCases[] = {
      {kSongListKind, 0, kContextSongList},         {kTrackWindowKind, 0, kContextTrackWindow},
      {kInstrumentWindowKindId, 0, kContextInstruments}, {kEventListKind, 0, kContextEventList},
      {kConductorListKind, 0, kContextConductorList}, {kRemoteControlKind, 0, kContextRemote},
      {kNotepadKind, 0, kContextNotepad},           {kMarkerListKind, 0, kContextMarkers},
      {kMixerKind, 0, kContextWindow14},            {kPluginWindowKind, 0, kContextWindow15},
      {kSecondPluginWindowKind, 0, kContextWindow16}, {kDialogAppWindowKind, 0, kContextWindow21},
      {kJukeboxKind, 0, kContextJukebox},           {kMainEditorWindowKind, 0, kContextEditorNotes},
      {kMainEditorWindowKind, 1, kContextEditorNotes}, {kMainEditorWindowKind, 9, kContextEditorNotes},
      {kMainEditorWindowKind, 16, kContextEditorNotes}, {kMainEditorWindowKind, 3, kContextEditorLane},
      {kMainEditorWindowKind, 12, kContextEditorLane}, {kInfoPanelWindowKind, 4, kContextEditorLane},
      {0, 0, kContextEditorNotes},
  };
  for (const auto& c : kCases) {
    gFrontKind = c.front;
    gCurrentViewMode = c.viewMode;
    gCurrentPaneSlot = 2;
    SetEditContextKind();
    EXPECT_EQ(c.context, gEditContextKind) << c.front << "/" << c.viewMode;
    bool editor = c.context == kContextEditorNotes || c.context == kContextEditorLane;
    EXPECT_EQ(editor ? 2 : 0, gCurrentPaneSlot) << c.front;
  }
}

TEST_F(EditMenuTest, SongListEditsAllTracksOverTheWholeSong) {
  MakeSong(2, 7680);
  SelectTracks({1});
  SetTimeRange(960, 1920);
  gFrontKind = kSongListKind;
  SetEditContextKind();
  EXPECT_EQ(1u, gTimeSelection.start.tick);
  EXPECT_EQ(7680u, gTimeSelection.end.tick);
  EXPECT_TRUE(IsTrackSlotSelected(0));
  EXPECT_TRUE(IsTrackSlotSelected(47));
  EXPECT_EQ(NoteOnFilter, gEditFilterProc);
  EXPECT_EQ(AcceptAllEvents, gCopyFilterProc);
}

// With a child sequence opened from the song list, the list's commands act on the list's song:
// the child is left, through the installed activation or, without one, in the model alone.
TEST_F(EditMenuTest, SongListLeavesAnOpenChildForItsSong) {
  BuildSongs();
  WriteU32BE(gCurrentSong + kSongEndTick, 3840);
  SetCurrentTrackIndex(1);
  static int32_t activations;
  for (bool installed : {false, true}) {
    activations = 0;
    gEditWindowHooks.activateSelectedSong = nullptr;
    if (installed) gEditWindowHooks.activateSelectedSong = [] {
        ++activations;
        SelectSongIndex(gCurrentSongIndex);
      };
    ASSERT_TRUE(PushSongContext() == noErr && SelectChildSequence(0));
    ASSERT_TRUE(IsChildSequenceSelected());
    gFrontKind = kSongListKind;
    SetEditContextKind();
    EXPECT_FALSE(IsChildSequenceSelected()) << installed;
    EXPECT_EQ(song0_, gCurrentSongHandle) << installed;
    EXPECT_EQ(installed ? 1 : 0, activations);
    EXPECT_EQ(3840u, gTimeSelection.end.tick) << "the list's song sets the range";
    PopSongContext();
    SelectSongIndex(0);
    SetCurrentTrackIndex(1);
  }
}

TEST_F(EditMenuTest, ContextPredicates) {
  MakeSong(1);
  gEditContextKind = kContextEditorLane;
  gCurrentViewMode = 8;  // lane 6: tempo
  EXPECT_TRUE(IsConductorContext());
  gCurrentViewMode = 15;  // lane 13: master volume
  EXPECT_TRUE(IsConductorContext());
  gCurrentViewMode = 3;
  EXPECT_FALSE(IsConductorContext());
  gCurrentPaneSlot = 1;
  EXPECT_TRUE(IsPluginPaneContext());
  gEditContextKind = kContextConductorList;
  EXPECT_TRUE(IsConductorContext());
  EXPECT_FALSE(IsPluginPaneContext());
  // Audio area: the track contexts, or a shown row of the current track in an audio view.
  gEditContextKind = kContextEditorNotes;
  EXPECT_FALSE(IsAudioAreaContext());
  gEditorPaneCount = 2;
  gEditorPanes[0] = EditorPane();
  gEditorPanes[1] = EditorPane();
  gEditorPanes[1].track = gCurrentTrack[kTrackNumber];
  gEditorPanes[1].viewMode = 10;
  EXPECT_TRUE(IsAudioAreaContext());
  gEditorPanes[1].flags = kPaneHidden;
  EXPECT_FALSE(IsAudioAreaContext());
  gEditContextKind = kContextSongList;
  EXPECT_TRUE(IsAudioAreaContext());
  // The view reset takes the lowest mode of the shown rows of the current track.
  gEditorPanes[0].track = gCurrentTrack[kTrackNumber];
  gEditorPanes[0].viewMode = 16;
  gEditorPanes[1].flags = 0;
  gEditorPanes[1].viewMode = 5;
  gEditContextKind = kContextEditorLane;
  gCurrentViewMode = 5;
  ResetEditorViewForEdit();
  EXPECT_EQ(kContextEditorLane, gEditContextKind);
  gEditorPanes[1].viewMode = 1;
  ResetEditorViewForEdit();
  EXPECT_EQ(kContextEditorNotes, gEditContextKind);
  EXPECT_EQ(1, gCurrentViewMode);
  gEditorPaneCount = 0;
}

TEST_F(EditMenuTest, TextWindowGetsItsCommandsAndUndoStillRuns) {
  MakeThreeTracks();
  gFrontKind = kSecondPluginWindowKind;
  for (int16_t item : {4, 5, 7, 8, 6, 9, 23}) EXPECT_EQ(noErr, DoEditMenuItem(item));
  EXPECT_EQ((std::vector<uint32_t>{105, 106, 107, 103, 0, 0, 0}), gHandedOn);
  std::string before = SongImage(gCurrentSongHandle);
  ASSERT_EQ(1, RunUndoableEdit(AddControllerToTrack0));
  SetCurrentUndoKind(17);
  ASSERT_TRUE(CanUndo());
  DoEditMenuItem(1);
  EXPECT_TRUE(undo_test::SameImage(before, SongImage(gCurrentSongHandle)));
  EXPECT_EQ(7u, gHandedOn.size()) << "Undo is not handed on";
}

TEST_F(EditMenuTest, DialogWindowTakesOnlyUndoAndRedo) {
  MakeThreeTracks();
  gFrontKind = kDialogAppWindowKind;
  SetTimeRange(10, 20);
  SelectTracks({0});
  std::string before = SongImage(gCurrentSongHandle);
  for (int16_t item : {4, 8, 9, 18, 20, 21, 23}) DoEditMenuItem(item);
  EXPECT_EQ(10u, gTimeSelection.start.tick);
  EXPECT_EQ(20u, gTimeSelection.end.tick);
  EXPECT_TRUE(undo_test::SameImage(before, SongImage(gCurrentSongHandle)));
  EXPECT_FALSE(CanUndo());
  ASSERT_EQ(1, RunUndoableEdit(AddControllerToTrack0));
  SetCurrentUndoKind(17);
  DoEditMenuItem(1);
  EXPECT_TRUE(undo_test::SameImage(before, SongImage(gCurrentSongHandle)));
  EXPECT_TRUE(gHandedOn.empty());
}

TEST_F(EditMenuTest, JukeboxTakesItsSelectAllAndNothingElse) {
  MakeThreeTracks();
  gFrontKind = kJukeboxKind;
  SetTimeRange(10, 20);
  SelectTracks({0, 1});
  std::string before = SongImage(gCurrentSongHandle);
  for (int16_t item : {4, 5, 6, 7, 9, 17, 18, 20, 21, 23}) DoEditMenuItem(item);
  EXPECT_EQ((std::vector<uint32_t>{1023}), gHandedOn);
  EXPECT_EQ(10u, gTimeSelection.start.tick);
  EXPECT_TRUE(undo_test::SameImage(before, SongImage(gCurrentSongHandle)));
  EXPECT_EQ(3, GetSongTrackCount());
  ASSERT_EQ(1, RunUndoableEdit(AddControllerToTrack0));
  SetCurrentUndoKind(17);
  DoEditMenuItem(1);
  EXPECT_TRUE(undo_test::SameImage(before, SongImage(gCurrentSongHandle)));
}

TEST_F(EditMenuTest, DeletingTheOnlyTrackKeepsOneEmptyTrack) {
  MakeSong(1);
  undo_test::SetTrackEvents(Events({{10, 0x90, 60}, {20, 0xB0, 7}}));
  SelectTracks({0});
  gFrontKind = kTrackWindowKind;
  std::string before = SongImage(gCurrentSongHandle);
  DoEditMenuItem(9);
  ASSERT_EQ(1, GetSongTrackCount());
  SetCurrentTrackIndex(0);
  EXPECT_TRUE(editing_test::CurrentEvents().size() <= size_t(kEndRecordSize));
  EXPECT_EQ(kUndoKindDeleteTracks, GetCurrentUndoKind());
  DoEditMenuItem(1);
  EXPECT_TRUE(undo_test::SameImage(before, SongImage(gCurrentSongHandle)));
}

TEST_F(EditMenuTest, DeleteSelectedTracksIsOneStepThatUndoAndRedoGiveBack) {
  MakeThreeTracks();
  SelectTracks({0, 2});
  SelectTrackWithNumber(1);
  gFrontKind = kTrackWindowKind;
  std::string before = SongImage(gCurrentSongHandle);
  DoEditMenuItem(9);
  ASSERT_EQ(1, GetSongTrackCount());
  EXPECT_EQ(1, GetTrackEntryAt(0)[kTrackNumber]);
  EXPECT_EQ(1, gCurrentTrack[kTrackNumber]);
  std::string after = SongImage(gCurrentSongHandle);
  DoEditMenuItem(1);
  EXPECT_EQ(3, GetSongTrackCount());
  EXPECT_TRUE(undo_test::SameImage(before, SongImage(gCurrentSongHandle)));
  DoEditMenuItem(2);
  EXPECT_TRUE(undo_test::SameImage(after, SongImage(gCurrentSongHandle)));
}

// An empty track left behind by the deletion is removed in the same step.
TEST_F(EditMenuTest, EmptyTracksGoWithTheDeletionAndComeBackOnUndo) {
  MakeThreeTracks();
  SetCurrentTrackIndex(1);
  undo_test::SetTrackEvents(Events({}));
  SelectTracks({0});
  gFrontKind = kTrackWindowKind;
  std::string before = SongImage(gCurrentSongHandle);
  DoEditMenuItem(9);
  ASSERT_EQ(1, GetSongTrackCount());
  EXPECT_EQ(2, GetTrackEntryAt(0)[kTrackNumber]);
  DoEditMenuItem(1);
  EXPECT_TRUE(undo_test::SameImage(before, SongImage(gCurrentSongHandle)));
}

// Cut stops before it clears when the selection is empty: nothing is copied or cleared, and
// its undo step is forgotten, so Undo takes back the edit before it.
TEST_F(EditMenuTest, CutWithAnEmptySelectionLeavesSongClipboardAndHistory) {
  MakeThreeTracks();
  ASSERT_EQ(1, RunUndoableEdit(AddControllerToTrack0));
  SetCurrentUndoKind(17);
  std::string edited = SongImage(gCurrentSongHandle);
  Handle clipboard = gClipboard;
  UndoRingHeader ring = *gUndoRing;
  gFrontKind = kMainEditorWindowKind;
  SetTimeRange(480, 480);
  EXPECT_EQ(noErr, DoEditMenuItem(4));
  EXPECT_TRUE(undo_test::SameImage(edited, SongImage(gCurrentSongHandle)));
  EXPECT_EQ(clipboard, gClipboard);
  EXPECT_EQ(ring.head, gUndoRing->head);
  EXPECT_EQ(ring.current, gUndoRing->current);
  EXPECT_FALSE(IsUndoBusy());
  EXPECT_EQ(17, GetCurrentUndoKind());
  EXPECT_FALSE(CanRedo());
}

// A Cut over a range without events is still one step, and its Undo gives the song back.
TEST_F(EditMenuTest, CutOfAnEmptyRangeIsOneStepThatUndoesExactly) {
  MakeThreeTracks();
  gFrontKind = kMainEditorWindowKind;
  SetTimeRange(1000, 2000);
  std::string before = SongImage(gCurrentSongHandle);
  UndoRingHeader ring = *gUndoRing;
  DoEditMenuItem(4);
  EXPECT_FALSE(IsUndoBusy());
  EXPECT_LE(gUndoRing->head - ring.head, 1);
  if (CanUndo()) {
    EXPECT_EQ(kUndoKindCut, GetCurrentUndoKind());
    ASSERT_EQ(noErr, UndoLastEdit());
  }
  EXPECT_TRUE(undo_test::SameImage(before, SongImage(gCurrentSongHandle)));
}

TEST_F(EditMenuTest, SelectAllInTheEditorSelectsEveryEventTrackAndTheWholeSong) {
  MakeThreeTracks();
  SelectTracks({1});
  gFrontKind = kMainEditorWindowKind;
  DoEditMenuItem(23);
  EXPECT_EQ(1u, gTimeSelection.start.tick);
  EXPECT_EQ(3840u, gTimeSelection.end.tick);
  for (int n : {0, 1, 2}) EXPECT_TRUE(IsTrackSlotSelected(n)) << n;
  std::vector<uint8_t> events = editing_test::CurrentEvents();
  EXPECT_TRUE(events[kEventFlags] & kEventSelected);
  EXPECT_TRUE(events[kLongEventSize + kEventFlags] & kEventSelected);
}

TEST_F(EditMenuTest, TheKeysAndWindowActivationReachTheEditingCommands) {
  InstallProgramHooks();
  gRedrawHooks.frontWindowKind = [] { return editing_test::gFrontKind; };
  EXPECT_EQ(UpdateEventFilters, gFrontWindowActivatedProc);
  ASSERT_TRUE(gKeyCommandHooks.doEditMenuItem);
  MakeSong(1);
  gFrontKind = kJukeboxKind;
  gKeyCommandHooks.doEditMenuItem(23);
  EXPECT_EQ((std::vector<uint32_t>{1023}), gHandedOn);
}

TEST_F(EditMenuTest, RecordTrackStaysWhileArmedElseTheFirstArmedElseNone) {
  MakeThreeTracks();
  auto arm = [](int index, bool on) {
    uint8_t& flags = GetTrackEntryAt(index)[kTrackModeFlags];
    flags = on ? uint8_t(flags | kTrackModeArmed) : uint8_t(flags & ~kTrackModeArmed);
  };
  for (int i = 0; i < 3; ++i) arm(i, false);
  arm(1, true);
  arm(2, true);
  gCurrentSong[kSongRecordTrack] = 2;
  UpdateRecordTracks();
  EXPECT_EQ(2, gCurrentSong[kSongRecordTrack]);
  EXPECT_EQ(2, gCurrentSong[kSongArmedCount]);
  arm(2, false);
  UpdateRecordTracks();
  EXPECT_EQ(1, gCurrentSong[kSongRecordTrack]);
  arm(1, false);
  UpdateRecordTracks();
  EXPECT_EQ(0xFF, gCurrentSong[kSongRecordTrack]);
  EXPECT_EQ(0, gCurrentSong[kSongArmedCount]);
}

// Copy to a new track: the selected range of the current track lands in a new track, which
// becomes current; the user's clipboard stays.
TEST_F(EditMenuTest, CopyToNewTrackPutsTheRangeIntoANewCurrentTrack) {
  MakeThreeTracks();
  SelectTrackWithNumber(1);
  SelectTracks({1});
  gFrontKind = kTrackWindowKind;
  SetTimeRange(1, 3840);
  Handle clipboard = gClipboard;
  std::string source = undo_test::Bytes(GetCurrentTrackEventList());
  DoEditMenuItem(18);
  ASSERT_EQ(4, GetSongTrackCount());
  EXPECT_EQ(3, gCurrentTrack[kTrackNumber]);
  EXPECT_EQ(source, undo_test::Bytes(GetCurrentTrackEventList()));
  SelectTrackWithNumber(1);
  EXPECT_EQ(source, undo_test::Bytes(GetCurrentTrackEventList()));  // the source is left alone
  EXPECT_EQ(clipboard, gClipboard);
}

// Several selected tracks land on new tracks from the first free number on, each keeping its
// distance from the first; the tracks already there are left alone.
TEST_F(EditMenuTest, CopyToNewTrackKeepsTheDistancesOfSeveralTracks) {
  MakeThreeTracks();
  std::vector<std::string> before;
  for (int n = 0; n < 3; ++n) {
    SelectTrackWithNumber(n);
    before.push_back(undo_test::Bytes(GetCurrentTrackEventList()));
  }
  SelectTrackWithNumber(0);
  SelectTracks({0, 2});
  gFrontKind = kTrackWindowKind;
  SetTimeRange(1, 3840);
  DoEditMenuItem(18);
  ASSERT_EQ(5, GetSongTrackCount());
  const struct { int number; int source; } kLanded[] = {{0, 0}, {1, 1}, {2, 2}, {3, 0}, {5, 2}};
  for (const auto& c : kLanded) {
    ASSERT_TRUE(SelectTrackWithNumber(c.number)) << c.number;
    EXPECT_EQ(before[size_t(c.source)], undo_test::Bytes(GetCurrentTrackEventList())) << c.number;
  }
}

// The editors bring the filters up to date when the view mode or the edit tool changes.
TEST_F(EditMenuTest, ViewModeKeysAndToolChangesUpdateTheFilters) {
  MakeThreeTracks();
  gFrontKind = kMainEditorWindowKind;
  gEditorPaneCount = 1;
  gCurrentPaneIndex = 0;
  gEditorPanes[0] = EditorPane();
  SelectViewModeFromKey(3);
  EXPECT_EQ(LaneEventFilter, gCopyFilterProc);
  EXPECT_EQ(VelocityLaneFilter, gEditFilterProc);
  SelectViewModeFromKey(0);
  EXPECT_EQ(UnflaggedEventFilter, gCopyFilterProc);
  SelectEditTool(kRectangleTool);  // pointer mode 3 edits through the note range
  EXPECT_EQ(NoteRangeFilter, gCopyFilterProc);
  EXPECT_EQ(gCopyFilterProc, gSavedCopyFilterProc);
  SelectEditTool(kArrowTool);
  EXPECT_EQ(UnflaggedEventFilter, gCopyFilterProc);
  gEditorPaneCount = 0;
}

namespace {

// Track operation 3: a section's repeats become events in the room they covered (what lay
// there never played and goes), later events keep their places, and Undo gives it back.
TEST_F(EditMenuTest, UnrollingSectionsFillsTheRepeatsRoomAsOneStep) {
  MakeSong(1);
  gFrontKind = kTrackWindowKind;
  undo_test::SetTrackEvents(Events({{11, 0x90, 60}, {15, 0x90, 61}, {25, 0x90, 99}, {45, 0x90, 62}}));
  ASSERT_EQ(noErr, InsertSection(11, 21, 3));
  SelectTracks({gCurrentTrack[kTrackNumber]});
  std::string before = SongImage(gCurrentSongHandle);
  UndoRingHeader ring = *gUndoRing;
  DoTrackOpsMenuItem(3);
  EXPECT_EQ(ring.head + 1, gUndoRing->head);
  std::vector<uint8_t> expected = Events({{11, 0x90, 60}, {15, 0x90, 61}, {21, 0x90, 60}, {25, 0x90, 61},
                                          {31, 0x90, 60}, {35, 0x90, 61}, {45, 0x90, 62}});
  EXPECT_EQ(expected, editing_test::CurrentEvents());
  EXPECT_FALSE(GetTrackSectionList(gCurrentTrack));
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_EQ(Events({{11, 0x90, 60}, {15, 0x90, 61}, {25, 0x90, 99}, {45, 0x90, 62}}), editing_test::CurrentEvents());
  EXPECT_TRUE(GetTrackSectionList(gCurrentTrack));
  EXPECT_TRUE(undo_test::SameImage(before, SongImage(gCurrentSongHandle)));
}

}  // namespace
