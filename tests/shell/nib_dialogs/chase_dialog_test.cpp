// The chase options dialog from the program's own nib: OK stores the filter word and the
// numbers, Cancel keeps every setting, the switch note follows its two boxes.
#include <gtest/gtest.h>

#include "sequencer/midi/midi_chase.h"
#include "shell/settings/chase_dialog.h"
#include "tests/shell/dialogs/nib_dialog_script.h"
#include "tests/shell/nib_dialogs/nib_dialog_fixture.h"

namespace nib_test {
namespace {

using namespace ui_test;

class ChaseDialogTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    ResetDialogState();
    gCurrentNibDialog = nullptr;
    resources = std::make_unique<ScopedResources>(
        zarin_test::ReadWholeFile(ZARIN_NIB_DIALOGS_SOURCE));
    gChaseFilter = kChaseFilterDefault;
    gChaseSettings = ChaseSettings{};
  }
  void TearDown() override {
    resources.reset();
    gChaseFilter = kChaseFilterDefault;
    UiTest::TearDown();
  }
  // Runs the dialog; script() posts the input once the window is up (from a timer, when the
  // dialog's controls can be found).
  int32_t Run(void (*script)(WindowRef)) { return RunNibDialogScript(RunChaseDialog, script); }
  static void Click(WindowRef w, int32_t id) { ClickDialogView(w, id); }
  std::unique_ptr<ScopedResources> resources;
};

TEST_F(ChaseDialogTest, CancelKeepsEverySetting) {
  gChaseSettings.rangeBars = 8;
  EXPECT_EQ(Run([](WindowRef w) {
              Click(w, 3);
              Click(w, 16);
              PostText("99");
              Click(w, 2);
            }),
            0);
  EXPECT_EQ(gChaseFilter, kChaseFilterDefault);
  EXPECT_EQ(gChaseSettings.rangeBars, 8);
}

TEST_F(ChaseDialogTest, OkStoresTheBoxesAndTheClampedNumbers) {
  gChaseFilter = 0x0010 | 0x0400;  // polyphonic pressure only
  EXPECT_EQ(Run([](WindowRef w) {
              PostText("12");   // the focus starts in the range field
              Click(w, 3);      // pressure off
              Click(w, 8);      // system exclusive on
              Click(w, 17);     // switches while playing
              Click(w, 12);
              PostKey(kVK_ANSI_A, 'a', cmdKey);
              PostText("300");  // above a byte: held at 255
              Click(w, 1);
            }),
            1);
  EXPECT_EQ(gChaseFilter, 0x8000 | 0x0008 | 0x0001 | 0x0010);
  EXPECT_EQ(gChaseSettings.rangeBars, 12);
  EXPECT_EQ(gChaseSettings.pauseTicks, 255);
}

TEST_F(ChaseDialogTest, TheSwitchNoteIsEnabledOnlyWithASwitchBox) {
  gChaseFilter = 0x0010;
  static bool before, after;
  Run([](WindowRef w) {
    ControlRef note = nullptr;
    FindDialogView(w, 18, &note);
    before = IsControlEnabled(note);
    Click(w, 16);
    // Looked at once the click has been handled, then the dialog is cancelled.
    static EventLoopTimerRef check;
    InstallEventLoopTimer(
        GetMainEventLoop(), 0.2, 0,
        [](EventLoopTimerRef, void*) {
          ControlRef n = nullptr;
          FindDialogView(gCurrentNibDialog->window, 18, &n);
          after = IsControlEnabled(n);
          Click(gCurrentNibDialog->window, 2);
          RemoveEventLoopTimer(check);
        },
        nullptr, &check);
  });
  EXPECT_FALSE(before);
  EXPECT_TRUE(after);
}

TEST_F(ChaseDialogTest, HeldArrowsStepTheFocusField) {
  gChaseSettings.rangeBars = 5;
  static std::unique_ptr<MouseScript> release;
  EXPECT_EQ(Run([](WindowRef w) {
              ControlRef arrows = nullptr;
              FindDialogView(w, 14, &arrows);
              Rect r;
              GetControlBounds(arrows, &r);
              Point up{int16_t(r.top + 3), int16_t((r.left + r.right) / 2)};
              ControlRef ok = nullptr;
              FindDialogView(w, 1, &ok);
              Point okPoint = ControlCenter(ok);
              PostMouse(kEventMouseDown, Global(w, up));
              // Released a little later, so that the arrows step while held; then OK.
              release = std::make_unique<MouseScript>(
                  w, std::vector<MouseScript::Step>{{kEventMouseUp, up},
                                                    {kEventMouseDown, okPoint},
                                                    {kEventMouseUp, okPoint}},
                  0.05);
            }),
            1);
  release.reset();
  EXPECT_GT(gChaseSettings.rangeBars, 5);
}

TEST(ChaseFilterWord, BoxesMakeTheWord) {
  struct Case {
    uint8_t kinds[6];
    bool every, atStart, playing;
    uint16_t word;
  } cases[] = {
      {{0, 0, 0, 0, 0, 0}, false, false, false, 0x0010},
      {{1, 1, 1, 1, 1, 1}, true, false, false, 0xFC12},
      {{0, 0, 0, 0, 0, 0}, false, true, true, 0x001C},  // switches alone: no 0x1
      {{0, 1, 0, 0, 0, 0}, false, true, false, 0x0815},
      {{1, 1, 1, 1, 1, 1}, false, true, true, 0xFC1D},  // the sequencer's default
  };
  for (const Case& c : cases)
    EXPECT_EQ(ChaseFilterFromBoxes(c.kinds, c.every, c.atStart, c.playing), c.word) << c.word;
}

}  // namespace
}  // namespace nib_test
