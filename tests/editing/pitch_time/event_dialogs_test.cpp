// The shift, nudge, transpose, note and program-change dialogs run from their nibs on a song:
// OK changes the saved document and Undo gives it back byte for byte; Cancel changes nothing.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editing/edit_commands.h"
#include "editing/nudge_amount.h"
#include "editing/transforms/note_event_dialog.h"
#include "editing/transforms/note_maps.h"
#include "editing/transforms/program_event_dialog.h"
#include "editing/transforms/shift_apply.h"
#include "editing/transforms/shift_dialogs.h"
#include "editing/transforms/transform_menu.h"
#include "editing/transforms/transpose_dialog.h"
#include "editors/key_commands.h"
#include "editors/selection/selection_hooks.h"
#include "platform/memory/memory.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/nib_dialog.h"
#include "shell/dialogs/nib_dialog_text.h"
#include "shell/dialogs/nib_dialog_views.h"
#include "song/conductor/conductor_map.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/model/utility_track_access.h"
#include "song/undo/undo_exchange.h"
#include "tests/editing/round_trips/edit_song_fixture.h"
#include "tests/platform/controls/ui_test_support.h"

namespace edit_test {
namespace {

using namespace ui_test;
using Step = std::function<void(WindowRef)>;

enum : int16_t { kTransposeItem = 3, kShiftItem = 7 };
constexpr int32_t kOk = 1;
constexpr int32_t kCancel = 2;
constexpr int32_t kNoteOk = 22, kNoteCancel = 21, kNoteDelete = 19, kNoteDuplicate = 20;

class EventDialogsTest : public EditSongTest {
 protected:
  void SetUp() override {
    EditSongTest::SetUp();
    ResetDialogState();
    gCurrentNibDialog = nullptr;
    resources_ = std::make_unique<ScopedResources>(zarin_test::ReadWholeFile(ZARIN_PITCH_TIME_DIALOGS_SOURCE));
    MakeSong(1, 97, 6, 8);
    UseTrack(0);
    // The velocity of the note at 200 carries its flag bit.
    SetTrackEvents({{40, 0x90, 60, 30}, {98, 0x90, 60, 50}, {150, 0xC3, 9, 0}, {200, 0x91, 64, 400}, {389, 0x90, 67, 10}});
    EventAt(3)[kEventData2] = 0x80 | 70;
    SelectTime(98, 389);
    gLastShiftAmount = 0;
    gNudgeWord = kDefaultNudgeWord;
    gVelocityStep = 3;
    gRepeatTransposition = RepeatTransposition{};
  }
  void TearDown() override {
    resources_.reset();
    EditSongTest::TearDown();
  }
  static uint8_t* EventAt(int32_t index) {
    uint8_t* e = GetCurrentTrackEventsPtr();
    for (int32_t i = 0; i < index; ++i) e = GetNextSeqEvent(e);
    return e;
  }
  static int32_t OffsetOf(int32_t index) { return int32_t(EventAt(index) - GetCurrentTrackEventsPtr()); }
  // Runs open while the steps act on the dialog, one step per timer tick.
  void Run(const std::function<void()>& open, std::vector<Step> steps) {
    static std::vector<Step>* pending;
    static size_t next;
    pending = &steps;
    next = 0;
    EventLoopTimerRef timer = nullptr;
    InstallEventLoopTimer(
        GetMainEventLoop(), 0.02, 0.02,
        [](EventLoopTimerRef, void*) {
          if (!gCurrentNibDialog || next >= pending->size()) return;
          (*pending)[next++](gCurrentNibDialog->window);
        },
        nullptr, &timer);
    {
      ModalGuard guard;
      open();
    }
    RemoveEventLoopTimer(timer);
    EXPECT_EQ(steps.size(), next) << "the dialog closed before every step ran";
  }
  static Step Press(int32_t id) {
    return [id](WindowRef w) {
      ControlRef c = nullptr;
      ASSERT_EQ(FindDialogView(w, id, &c), noErr) << id;
      PostClick(Global(w, ControlCenter(c)));
    };
  }
  static Step Type(int32_t id, int32_t n) {
    return [id, n](WindowRef w) { SetDialogNumber(w, n, id); };
  }
  static Step Text(int32_t id, const char* text) {
    return [id, text](WindowRef w) {
      Str255 s;
      s[0] = uint8_t(std::strlen(text));
      std::memcpy(s + 1, text, s[0]);
      SetDialogText(w, s, id);
    };
  }
  std::unique_ptr<ScopedResources> resources_;
};

TEST_F(EventDialogsTest, ShiftBackwardByOneBeatMovesTheSelectionAndIsRemembered) {
  std::string before = SavedDocument();
  Run([] { DoTransformMenuItem(kShiftItem, 0); },
      {Type(kShiftBarField, 0), Type(kShiftBeatField, 1), Type(kShiftTickField, 0), Press(kShiftBackwardRadio), Press(kOk)});
  int32_t beat = BarBeatTickToTick(0, 1, 0) - 1;
  EXPECT_EQ(48, beat) << "an eighth at 97 ticks a quarter";
  EXPECT_EQ(-beat, gLastShiftAmount);
  std::vector<Event> after = TrackEvents();
  EXPECT_EQ(40u, after[0].tick);
  EXPECT_EQ(50u, after[1].tick);
  EXPECT_EQ(102u, after[2].tick);
  EXPECT_EQ(152u, after[3].tick);
  EXPECT_EQ(389u, after[4].tick);
  EXPECT_EQ(50u, gTimeSelection.start.tick);
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_EQ(before, SavedDocument());
}

TEST_F(EventDialogsTest, ShiftShowsTheLastAmountAndCancelChangesNothing) {
  gLastShiftAmount = -48;
  std::string before = SavedDocument();
  Run([] { DoTransformMenuItem(kShiftItem, 0); },
      {[](WindowRef w) {
         EXPECT_EQ(1, GetDialogViewValue(w, kShiftBackwardRadio)) << "a negative amount shows Earlier";
         EXPECT_EQ(0, GetDialogNumber(w, kShiftBarField));
         EXPECT_EQ(1, GetDialogNumber(w, kShiftBeatField));
         EXPECT_EQ(0, GetDialogNumber(w, kShiftTickField)) << "48 + 1 is the position bar 0, beat 1";
       },
       Type(kShiftTickField, 9), Press(kCancel)});
  EXPECT_EQ(-48, gLastShiftAmount);
  EXPECT_EQ(before, SavedDocument());
}

TEST_F(EventDialogsTest, NudgeStoresTheTypedTicksAndTheKeyStep) {
  Run([] { RunNudgeDialog(); },
      {[](WindowRef w) { EXPECT_EQ(1, GetDialogViewValue(w, kNudgePixelRadio)); },
       [](WindowRef) {
         PostKey(kVK_ANSI_A, 'a', cmdKey);
         PostText("12");
       },
       [](WindowRef w) { EXPECT_EQ(1, GetDialogViewValue(w, kNudgeTicksRadio)) << "typing the amount chooses ticks"; },
       Type(kNudgeKeyStepField, 9), Press(kOk)});
  EXPECT_EQ(12u, gNudgeWord);
  EXPECT_EQ(9, gVelocityStep);
  Run([] { RunNudgeDialog(); }, {Press(kNudgePixelRadio), Press(kCancel)});
  EXPECT_EQ(12u, gNudgeWord) << "Cancel keeps the word";
  Run([] { RunNudgeDialog(); }, {Press(kNudgePixelRadio), Press(kOk)});
  EXPECT_EQ(kNudgeOnePixel | 12u, gNudgeWord);
}

TEST_F(EventDialogsTest, TransposeToOneNoteAndUndo) {
  std::string before = SavedDocument();
  Run([] { DoTransformMenuItem(kTransposeItem, 0); },
      {Press(5), Text(12, "62"), Press(kOk)});
  EXPECT_EQ(kNoteMapOneNote, gRepeatTransposition.flags & kTransposeModeMask);
  EXPECT_TRUE(gRepeatTransposition.flags & kTransposeOneNote);
  EXPECT_EQ(62, gRepeatTransposition.targetNote);
  std::vector<Event> after = TrackEvents();
  EXPECT_EQ(60, after[0].data1);
  EXPECT_EQ(62, after[1].data1);
  EXPECT_EQ(9, after[2].data1) << "a program change keeps its number";
  EXPECT_EQ(62, after[3].data1);
  EXPECT_EQ(67, after[4].data1);
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_EQ(before, SavedDocument());
}

TEST_F(EventDialogsTest, TransposeByScaleStepsThroughTheStepScale) {
  gTransposeChoices.stepScale = 3;  // major
  Run([] { DoTransformMenuItem(kTransposeItem, 0); },
      {Press(3), Text(kTranspSourceField, "60"), Text(kTranspTargetField, "64"), Press(kOk)});
  std::vector<Event> after = TrackEvents();
  EXPECT_EQ(64, after[1].data1) << "C two steps up";
  EXPECT_EQ(67, after[3].data1) << "E two steps up";
}

TEST_F(EventDialogsTest, NoteDialogWritesTheFieldsBackKeepingTheVelocityFlag) {
  std::string before = SavedDocument();
  int32_t offset = OffsetOf(3);
  Run([offset] { CallOpenNoteEventDialog(offset); },
      {[](WindowRef w) {
         EXPECT_EQ(70, GetDialogNumber(w, kNoteVelocityField)) << "the low seven bits";
         EXPECT_EQ(2, GetDialogNumber(w, kNoteChannelField));
       },
       Type(kNoteVelocityField, 100), Text(kNotePitchField, "62"), Text(kNoteBarField, "1.5"), Press(kNoteOk)});
  std::vector<Event> after = TrackEvents();
  ASSERT_EQ(5u, after.size());
  uint32_t halfBar = uint32_t(BarBeatTickToTick(0, 3, 0));
  bool found = false;
  for (int32_t i = 0; i < 5; ++i) {
    const uint8_t* e = EventAt(i);
    if (SeqEventTime(e) != halfBar) continue;
    found = true;
    EXPECT_EQ(0x91, e[kEventStatus]);
    EXPECT_EQ(62, e[kEventData1]);
    EXPECT_EQ(0x80 | 100, e[kEventData2]) << "the flag bit stays";
    EXPECT_EQ(400, GetNoteDuration(e));
  }
  EXPECT_TRUE(found) << "the note moved to bar 1.5 (tick " << halfBar << ")";
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_EQ(before, SavedDocument());
}

TEST_F(EventDialogsTest, NoteDialogDeleteDuplicateAndCancel) {
  std::string before = SavedDocument();
  Run([] { CallOpenNoteEventDialog(OffsetOf(1)); }, {Type(kNoteVelocityField, 5), Press(kNoteCancel)});
  EXPECT_EQ(before, SavedDocument());

  Run([] { CallOpenNoteEventDialog(OffsetOf(1)); }, {Press(kNoteDelete)});
  EXPECT_EQ(4u, TrackEvents().size());
  EXPECT_EQ(150u, TrackEvents()[1].tick);
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_EQ(before, SavedDocument());

  Run([] { CallOpenNoteEventDialog(OffsetOf(1)); }, {Type(kNoteLengthTicksField, 7), Press(kNoteDuplicate)});
  std::vector<Event> after = TrackEvents();
  ASSERT_EQ(6u, after.size());
  EXPECT_EQ(98u, after[1].tick);
  EXPECT_EQ(98u, after[2].tick);
  EXPECT_EQ(50u, after[1].duration);
  EXPECT_EQ(48u + 7u, after[2].duration) << "the copy has the typed length";
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_EQ(before, SavedDocument());
}

TEST_F(EventDialogsTest, ProgramDialogEditsAreUndoable) {
  std::string before = SavedDocument();
  Run([] { OpenProgramEventDialog(OffsetOf(2)); },
      {[](WindowRef w) {
         EXPECT_EQ(9, GetDialogNumber(w, kProgramNumberField));
         EXPECT_EQ(4, GetDialogNumber(w, kProgramChannelField));
       },
       Type(kProgramNumberField, 21), Type(kProgramChannelField, 16), Press(kNoteOk)});
  std::vector<Event> after = TrackEvents();
  EXPECT_EQ(0xCF, after[2].status);
  EXPECT_EQ(21, after[2].data1);
  EXPECT_EQ(150u, after[2].tick);
  ASSERT_EQ(noErr, UndoLastEdit()) << "the program change's edit is an undo step";
  EXPECT_EQ(before, SavedDocument());

  Run([] { OpenProgramEventDialog(OffsetOf(2)); }, {Press(kNoteDelete)});
  EXPECT_EQ(4u, TrackEvents().size());
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_EQ(before, SavedDocument());
}

}  // namespace
}  // namespace edit_test
