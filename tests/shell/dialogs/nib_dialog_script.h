// Driving a nib dialog's modal loop from a test: a script runs once on the dialog's window
// when the loop is up (it posts clicks and keys), and a guard ends a loop that never finishes.
#pragma once

#include <gtest/gtest.h>

#include "shell/dialogs/nib_dialog.h"
#include "shell/dialogs/nib_dialog_views.h"
#include "tests/platform/controls/ui_test_support.h"

namespace ui_test {

// Runs opener (which runs the dialog modally) with script posted to the dialog once its
// window is up; answers what opener answers.
template <typename Opener>
auto RunNibDialogScript(Opener opener, void (*script)(WindowRef)) {
  static void (*pending)(WindowRef);
  pending = script;
  EventLoopTimerRef timer = nullptr;
  InstallEventLoopTimer(
      GetMainEventLoop(), 0.01, 0.01,
      [](EventLoopTimerRef, void*) {
        if (!pending || !gCurrentNibDialog) return;
        pending(gCurrentNibDialog->window);
        pending = nullptr;
      },
      nullptr, &timer);
  struct TimerRemover {
    EventLoopTimerRef timer;
    ~TimerRemover() { RemoveEventLoopTimer(timer); }
  } remover{timer};
  ModalGuard guard;
  return opener();
}

// A click in the middle of the dialog's view id.
inline void ClickDialogView(WindowRef w, int32_t id) {
  ControlRef c = nullptr;
  ASSERT_EQ(FindDialogView(w, id, &c), noErr) << id;
  PostClick(Global(w, ControlCenter(c)));
}

}  // namespace ui_test
