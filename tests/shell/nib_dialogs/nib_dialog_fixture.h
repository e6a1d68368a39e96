// A headless screen with a resource file holding a test nib, and a dialog record whose
// handler records the commands it is left with.
#pragma once

#include <memory>
#include <vector>

#include "shell/dialogs/dialog_alerts.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/nib_dialog.h"
#include "shell/dialogs/nib_dialog_events.h"
#include "shell/dialogs/nib_dialog_text.h"
#include "shell/dialogs/nib_dialog_views.h"
#include "tests/platform/controls/ui_test_support.h"

namespace nib_test {

// Fields 3 and 4, arrows 5 (0..10), a clickable label 6, check box 7, radios 8..10,
// Cancel 2 and OK 1.
inline const char* kTestNibSource = R"(
resource 'NIBT' 600 "tdlg" {
  nib {
    window "tdlg" {
      class movableModal
      frame 100 80 300 200
      title "Test"
      view editText { id 0 3 frame 20 20 80 16 text "" }
      view editText { id 0 4 frame 20 50 80 16 text "" }
      view littleArrows { id 0 5 frame 106 18 13 22 min 0 max 10 }
      view staticText { id 0 6 command 6 frame 20 80 80 16 text "Label" }
      view checkBox { id 0 7 command 7 frame 20 100 100 18 title "Check" }
      view radioButton { id 0 8 command 8 frame 150 20 100 18 title "One" }
      view radioButton { id 0 9 command 9 frame 150 40 100 18 title "Two" }
      view radioButton { id 0 10 command 10 frame 150 60 100 18 title "Three" }
      view pushButton { id 0 2 command 'not!' frame 120 170 70 20 title "Cancel" cancel }
      view pushButton { id 0 1 command 'ok  ' frame 210 170 70 20 title "OK" default }
    }
  }
}
)";

struct TestDialog {
  NibDialog base;
  int32_t endOnOkCancel = 1;
  UInt32 endOnCommand = 0;  // a command that ends the loop from the dialog's own handler
  std::vector<UInt32> commands;
};

inline OSStatus HandleTestDialog(EventHandlerCallRef callRef, EventRef event, void* data) {
  TestDialog* d = static_cast<TestDialog*>(data);
  OSStatus result = HandleNibDialogEvent(callRef, event, &d->base, d->endOnOkCancel);
  if (result == paramErr) result = eventNotHandledErr;
  if (result != eventNotHandledErr || GetEventClass(event) != kEventClassCommand) return result;
  UInt32 id = d->base.command.commandID;
  d->commands.push_back(id);
  if (id != 0 && id == d->endOnCommand) {
    d->base.endCommand = id;
    QuitAppModalLoopForWindow(d->base.window);
  }
  return noErr;
}

class NibDialogTest : public ui_test::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    InstallErrorReportHooks();
    ResetDialogState();
    gCurrentNibDialog = nullptr;
    resources = std::make_unique<ui_test::ScopedResources>(kTestNibSource);
  }
  void TearDown() override {
    resources.reset();
    UiTest::TearDown();
  }
  // A created dialog with hooked fields.
  void Create(TestDialog* d) {
    ASSERT_EQ(CreateNibDialog("tdlg", &d->base, HandleTestDialog, 77), noErr);
    NewNibDialogEventUPP(&d->base);
  }
  ControlRef View(const TestDialog& d, int32_t id) {
    ControlRef c = nullptr;
    FindDialogView(d.base.window, id, &c);
    return c;
  }
  Point Where(const TestDialog& d, int32_t id) {
    return ui_test::Global(d.base.window, ui_test::ControlCenter(View(d, id)));
  }
  int32_t Run(TestDialog* d, int32_t focusId, NibDialogIdleProc idle = nullptr) {
    ui_test::ModalGuard guard;
    return RunNibDialogModal(&d->base, focusId, idle);
  }
  std::unique_ptr<ui_test::ScopedResources> resources;
};

}  // namespace nib_test
