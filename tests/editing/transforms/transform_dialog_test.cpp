// The transform dialogs run from their nibs on a song, as the Transform menu opens them: OK
// changes the saved document and Undo gives it back byte for byte, Cancel changes nothing
// (neither the song nor the remembered settings), and a number out of range keeps the dialog
// open.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "editing/edit_context.h"
#include "editing/transforms/channel_change.h"
#include "editing/transforms/duration_transform.h"
#include "editing/transforms/humanize.h"
#include "editing/transforms/transform_menu.h"
#include "platform/resources/resource_files.h"
#include "platform/system/quickdraw_random.h"
#include "shell/dialogs/dialog_alerts.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/nib_dialog.h"
#include "shell/dialogs/nib_dialog_text.h"
#include "shell/dialogs/nib_dialog_views.h"
#include "song/events/seq_event.h"
#include "song/model/utility_track_access.h"
#include "song/undo/undo_exchange.h"
#include "song/undo/undo_ring.h"
#include "tests/editing/round_trips/edit_song_fixture.h"
#include "tests/platform/controls/ui_test_support.h"
#include "tests/song/undo/undo_fixture.h"

namespace edit_test {
namespace {

using namespace ui_test;

enum : int16_t { kDurationItem = 2, kHumanizeItem = 4, kChannelItem = 6 };

class TransformDialogTest : public EditSongTest {
 protected:
  void SetUp() override {
    EditSongTest::SetUp();
    ResetDialogState();
    gCurrentNibDialog = nullptr;
    // The program's own resource file: the menu items find their nibs where the program does.
    ASSERT_EQ(noErr, OpenAppResourceFile(ZARIN_TEST_APP_RESOURCES, &resources_));
    MakeSong(1, 480, 6, 8);
    UseTrack(0);
    SetTrackEvents({{481, 0x90, 60, 100}, {601, 0x91, 64, 100}, {700, 0xB2, 7, 0}, {961, 0x90, 67, 100}});
    SelectTime(481, 961);
    gRememberedChannel = 0;
    gDurationSettings = DurationSettings{};
    gHumanizeSettings = HumanizeSettings{};
  }
  void TearDown() override {
    if (resources_ != -1) CloseResFile(resources_);
    EditSongTest::TearDown();
  }
  // Runs the menu item while the steps act on the dialog, one step per timer tick.
  void RunItem(int16_t item, std::vector<std::function<void(WindowRef)>> steps) {
    static std::vector<std::function<void(WindowRef)>>* pending;
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
      DoTransformMenuItem(item, 0);
    }
    RemoveEventLoopTimer(timer);
    EXPECT_EQ(steps.size(), next) << "the dialog closed before every step ran";
  }
  static void Click(WindowRef w, int32_t id) {
    ControlRef c = nullptr;
    ASSERT_EQ(FindDialogView(w, id, &c), noErr) << id;
    PostClick(Global(w, ControlCenter(c)));
  }
  static std::function<void(WindowRef)> Type(int32_t id, int32_t n) {
    return [id, n](WindowRef w) { SetDialogNumber(w, n, id); };
  }
  static std::function<void(WindowRef)> Press(int32_t id) {
    return [id](WindowRef w) { Click(w, id); };
  }
  SInt16 resources_ = -1;
};

constexpr int32_t kOk = 1;
constexpr int32_t kCancel = 2;

TEST_F(TransformDialogTest, ChannelOkStampsTheEventsAndUndoGivesThemBack) {
  std::string before = SavedDocument();
  RunItem(kChannelItem, {Type(3, 17), Press(kOk)});
  EXPECT_EQ(15u, gRememberedChannel) << "17 is stored as channel 16";
  std::vector<Event> after = TrackEvents();
  EXPECT_EQ(0x9F, after[0].status) << "the event at the selection start changes";
  EXPECT_EQ(0x9F, after[1].status);
  EXPECT_EQ(0xBF, after[2].status);
  EXPECT_EQ(0x90, after[3].status) << "the event at the selection end stays";
  EXPECT_NE(before, SavedDocument());
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_EQ(before, SavedDocument());
}

TEST_F(TransformDialogTest, ChannelZeroIsChannelOneAndCancelChangesNothing) {
  std::string before = SavedDocument();
  RunItem(kChannelItem, {Type(3, 0), Press(kCancel)});
  EXPECT_EQ(0u, gRememberedChannel);
  EXPECT_EQ(before, SavedDocument());
  RunItem(kChannelItem, {Type(3, 0), Press(kOk)});
  EXPECT_EQ(0u, gRememberedChannel);
  EXPECT_EQ(0x91 & 0xF0, TrackEvents()[1].status);
}

TEST_F(TransformDialogTest, DurationOkRunsTheTypedModeAndCancelKeepsTheSettings) {
  std::string before = SavedDocument();
  RunItem(kDurationItem, {Type(15, 50), Press(15), Press(kCancel)});
  EXPECT_EQ(before, SavedDocument());
  EXPECT_EQ(kDurationSet, gDurationSettings.mode);
  EXPECT_EQ(100, gDurationSettings.fixedPercent);

  RunItem(kDurationItem, {Type(15, 50), Press(7), Press(kOk)});
  EXPECT_EQ(kDurationPercent, gDurationSettings.mode);
  EXPECT_EQ(50, gDurationSettings.fixedPercent);
  std::vector<Event> after = TrackEvents();
  EXPECT_EQ(50u, after[0].duration);
  EXPECT_EQ(50u, after[1].duration);
  EXPECT_EQ(100u, after[3].duration);
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_EQ(before, SavedDocument());
}

TEST_F(TransformDialogTest, HumanizeRefusesANumberOutOfRangeAndKeepsTheDialogOpen) {
  std::string before = SavedDocument();
  int32_t alerts = CountAlertsShown();
  RunItem(kHumanizeItem, {Type(7, 30), Type(8, 300), Press(kOk),
                          [](WindowRef) { PostKey(kVK_Return, kReturnCharCode); },  // the alert
                          [](WindowRef w) {
                            EXPECT_NE(nullptr, gCurrentNibDialog) << "the dialog stays open";
                            EXPECT_EQ(8u, gDialogFocusItem) << "the field out of range has the focus";
                            Click(w, kCancel);
                          }});
  EXPECT_EQ(alerts + 1, CountAlertsShown()) << "one error text for the refused confirm";
  EXPECT_EQ(30, gHumanizeSettings.timingTicks) << "fields checked before the bad one are stored";
  EXPECT_EQ(5, gHumanizeSettings.timingPercent);
  EXPECT_EQ(before, SavedDocument());
}

TEST_F(TransformDialogTest, HumanizeOkAppliesAndUndoGivesTheDocumentBack) {
  std::string before = SavedDocument();
  SetQDGlobalsRandomSeed(4242);
  RunItem(kHumanizeItem, {Type(11, 40), Press(kOk)});
  EXPECT_EQ(40, gHumanizeSettings.velocityRange);
  EXPECT_NE(before, SavedDocument());
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_EQ(before, SavedDocument());
}

}  // namespace
}  // namespace edit_test

namespace edit_test {
namespace {

class ChannelChangeTest : public EditSongTest {
 protected:
  void SetUp() override {
    EditSongTest::SetUp();
    MakeSong(1, 480, 4, 4);
    UseTrack(0);
  }
};

// Records without a channel keep their status byte; only the selected events change while
// the note view's copy filter takes the selected ones.
TEST_F(ChannelChangeTest, OnlySelectedChannelMessagesTakeTheChannel) {
  std::vector<uint8_t> bytes(14 * 3 + 8 * 2 + 20 + 14, 0);
  uint8_t* p = bytes.data();
  FillLongEvent(p, 100, 0x92, 60, 64, 10);
  FillVariableEvent(p + 14, 110, 20);
  FillShortEvent(p + 34, 120, 0xF2, 1, 2);
  FillShortEvent(p + 42, 130, 0xB3, 7, 100);
  FillLongEvent(p + 50, 140, 0x94, 62, 64, 10);
  FillLongEvent(p + 64, 150, 0x95, 64, 64, 10);
  undo_test::SetTrackEvents(bytes);
  SelectTime(100, 150);
  uint8_t* list = GetCurrentTrackEventsPtr();
  list[50 + kEventFlags] &= uint8_t(~kEventSelected);  // the note at 140 left out
  SetEditContextKind();
  gRememberedChannel = 9;
  std::string before = SavedDocument();
  ASSERT_TRUE(ChangeChannel());
  list = GetCurrentTrackEventsPtr();
  EXPECT_EQ(0x99, list[kEventStatus]);
  EXPECT_EQ(kKindVariable, list[14 + kEventStatus]);
  EXPECT_EQ(0xF2, list[34 + kEventStatus]) << "a system message keeps its status";
  EXPECT_EQ(0xB9, list[42 + kEventStatus]);
  EXPECT_EQ(0x94, list[50 + kEventStatus]) << "an unselected note stays";
  EXPECT_EQ(0x95, list[64 + kEventStatus]) << "the selection end is outside";
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_EQ(before, SavedDocument());
}

}  // namespace
}  // namespace edit_test
