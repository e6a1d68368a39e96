// The value transform dialogs run from their nibs: what is typed or clicked reaches the track
// on OK as one undoable step, and Cancel changes neither the track nor the remembered settings.
#include <gtest/gtest.h>

#include "editing/event_filters.h"
#include "editing/transforms/thin_transform.h"
#include "editing/transforms/value_dialogs.h"
#include "editing/transforms/value_settings.h"
#include "editing/transforms/velocity_transform.h"
#include "editing/transforms/controller_value_transform.h"
#include "editors/timeline/lane_values.h"
#include "platform/windows/windows.h"
#include "song/model/redraw_hooks.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "song/conductor/conductor_map.h"
#include "shell/base/error_report_hooks.h"
#include "platform/memory/memory.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/nib_dialog.h"
#include "shell/dialogs/nib_dialog_views.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/track_numbers.h"
#include "song/model/track_selection.h"
#include "song/model/utility_track_access.h"
#include "song/undo/undo_ring.h"
#include "tests/platform/controls/ui_test_support.h"
#include "tests/shell/dialogs/nib_dialog_script.h"
#include "tests/song/undo/undo_fixture.h"
#include "tests/test_support.h"

namespace {

using namespace ui_test;

class ValueDialogRunTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    ResetDialogState();
    gCurrentNibDialog = nullptr;
    resources = std::make_unique<ScopedResources>(zarin_test::ReadWholeFile(ZARIN_VALUE_DIALOGS_SOURCE));
    DisposeUndoRing();
    ResetSongDatabase();
    ASSERT_EQ(noErr, AllocateUndoRing(kDefaultUndoLevels));
    SelectTrackSlotRange(0, 0);
    SetCurrentTrackIndex(0);
    SetTimeRange(100, 1000);
    SetDefaultEventFilters();
    gVelocityFlags = 0;
    gValueSetValue = 64;
    gThinFlags = 0x0F;
    // Notes at 101 and 103, controller 7 at 105 and 107.
    std::vector<uint8_t> bytes(2 * kLongEventSize + 2 * kShortEventSize + kEndRecordSize, 0);
    FillLongEvent(&bytes[0], 101, 0x90, 60, 20, 10);
    FillLongEvent(&bytes[kLongEventSize], 103, 0x90, 62, 30, 10);
    FillShortEvent(&bytes[2 * kLongEventSize], 105, 0xB0, 7, 10);
    FillShortEvent(&bytes[2 * kLongEventSize + kShortEventSize], 107, 0xB0, 7, 11);
    undo_test::SetTrackEvents(bytes);
  }
  void TearDown() override {
    resources.reset();
    DisposeUndoRing();
    gVelocityFlags = 0;
    gValueSetValue = 64;
    gThinFlags = 0x0F;
    UiTest::TearDown();
  }
  void Run(void (*opener)(), void (*script)(WindowRef)) { RunNibDialogScript(opener, script); }
  static void Click(WindowRef w, int32_t id) { ClickDialogView(w, id); }
  static std::string WindowTitle(WindowRef w) {
    Str255 t = {};
    GetWTitle(w, t);
    return std::string(reinterpret_cast<const char*>(t) + 1, t[0]);
  }
  static std::vector<uint8_t> Bytes() {
    Handle list = GetCurrentTrackEventList();
    auto* p = reinterpret_cast<uint8_t*>(HandleData(list));
    return std::vector<uint8_t>(p, p + GetHandleSize(list));
  }
  std::unique_ptr<ScopedResources> resources;
};

TEST_F(ValueDialogRunTest, VelocitySetFieldReachesTheNotesOnOk) {
  Run(OpenVelocityDialog, [](WindowRef w) {
    PostKey(kVK_ANSI_A, 'a', cmdKey);  // the focus starts in the set field
    PostText("30");
    Click(w, 1);
  });
  uint8_t* list = GetCurrentTrackEventsPtr();
  EXPECT_EQ(30, list[kEventData2]);
  EXPECT_EQ(30, list[kLongEventSize + kEventData2]);
  EXPECT_EQ(30, gValueSetValue);
  EXPECT_TRUE(CanUndo());
}

TEST_F(ValueDialogRunTest, VelocityCancelKeepsTrackAndSettings) {
  std::vector<uint8_t> before = Bytes();
  Run(OpenVelocityDialog, [](WindowRef w) {
    PostKey(kVK_ANSI_A, 'a', cmdKey);
    PostText("30");
    Click(w, 2);
  });
  EXPECT_EQ(before, Bytes());
  EXPECT_EQ(64, gValueSetValue);
  EXPECT_FALSE(CanUndo());
}

TEST_F(ValueDialogRunTest, ThinByTimeBoxThinsTheControllers) {
  Run(OpenThinDialog, [](WindowRef w) {
    Click(w, 8);  // thin by time distance (10 ticks)
    Click(w, 1);
  });
  EXPECT_EQ(kThinByTime, gThinFlags & (kThinByTime | kThinByValue));
  // Of the controllers at 105 and 107 only the first stays.
  EXPECT_EQ(size_t(2 * kLongEventSize + kShortEventSize + kEndRecordSize), Bytes().size());
}

// "conaudio" on the master-volume lane: the typed level becomes a master-volume record at
// the selection start, as one undoable step.
TEST_F(ValueDialogRunTest, AutomationSetOnTheMasterLaneWritesTheConductor) {
  gValueOperation = kValueSet;
  RunNibDialogScript([] { OpenAutomationValueDialog(kLaneMasterVolume); }, [](WindowRef w) {
    PostKey(kVK_ANSI_A, 'a', cmdKey);  // the focus starts in the set field
    PostText("90");
    Click(w, 1);
  });
  uint8_t* r = FindConductorRecordAt(100, GetConductorMap());
  ASSERT_TRUE(r);
  EXPECT_EQ(kConductorMasterVolume, ConductorKind(r));
  EXPECT_EQ(100, ConductorTick(r));
  EXPECT_EQ(90, ConductorValue(r));
  EXPECT_TRUE(CanUndo());
}

// A level above the lane's range is refused with the dialog kept open; Cancel then ends it
// with nothing changed.
TEST_F(ValueDialogRunTest, AutomationValueOutOfRangeKeepsTheDialogOpen) {
  gValueOperation = kValueSet;
  static int32_t alerts;
  alerts = 0;
  gErrorReportHooks.showCautionAlert = [](int16_t) -> int16_t { return int16_t(++alerts); };
  RunNibDialogScript([] { OpenAutomationValueDialog(kLaneMasterVolume); }, [](WindowRef w) {
    PostKey(kVK_ANSI_A, 'a', cmdKey);
    PostText("300");
    Click(w, 1);
    Click(w, 2);
  });
  gErrorReportHooks.showCautionAlert = nullptr;
  EXPECT_EQ(1, alerts);
  EXPECT_FALSE(CanUndo());
}

// Transform item 8 from the master-volume lane of the editor in front opens "conaudio" on
// that lane; from the editor's note view it opens "conmidi".
TEST_F(ValueDialogRunTest, ItemEightFollowsTheEditorsLane) {
  RedrawHooks savedHooks = gRedrawHooks;
  gRedrawHooks.frontWindowKind = []() -> int16_t { return kMainEditorWindowKind; };
  int16_t savedMode = gCurrentViewMode;
  gValueOperation = kValueSet;
  gCurrentViewMode = int16_t(kLaneMasterVolume + kLaneViewModeOffset);
  static std::string title;
  RunNibDialogScript(OpenControllerValueDialog, [](WindowRef w) {
    title = WindowTitle(w);
    PostKey(kVK_ANSI_A, 'a', cmdKey);
    PostText("70");
    Click(w, 1);
  });
  EXPECT_EQ("Automation Values", title);
  EXPECT_EQ(1, gControllerEditState.fromDataLane);
  uint8_t* r = FindConductorRecordAt(100, GetConductorMap());
  ASSERT_TRUE(r);
  EXPECT_EQ(70, ConductorValue(r));
  gCurrentViewMode = 0;  // the note view
  RunNibDialogScript(OpenControllerValueDialog, [](WindowRef w) {
    title = WindowTitle(w);
    Click(w, 2);
  });
  EXPECT_EQ("Controller Values", title);
  EXPECT_EQ(0, gControllerEditState.fromDataLane);
  gCurrentViewMode = savedMode;
  gRedrawHooks = savedHooks;
}

}  // namespace
