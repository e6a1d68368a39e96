// The classic dialog tests: a headless screen, the application's dialog and alert resources
// compiled from their source, and input posted once a dialog is up.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/dialogs/dialogs.h"
#include "shell/dialogs/dialog_alerts.h"
#include "shell/dialogs/dialog_state.h"
#include "tests/platform/controls/ui_test_support.h"

namespace classic_dialog_test {

// Runs the steps from the event loop, one at a time, while the front window is a dialog
// (the modal loop of the code under test is then waiting for input) and the input of the
// step before has been taken from the queue.
class WhenDialogUp {
 public:
  using Step = std::function<void(DialogRef)>;
  explicit WhenDialogUp(Step step) : WhenDialogUp(std::vector<Step>{std::move(step)}) {}
  explicit WhenDialogUp(std::vector<Step> steps) : steps_(std::move(steps)) {
    InstallEventLoopTimer(GetMainEventLoop(), 0.02, 0.02, Fire, this, &timer_);
  }
  ~WhenDialogUp() { RemoveEventLoopTimer(timer_); }
  WhenDialogUp(const WhenDialogUp&) = delete;
  WhenDialogUp& operator=(const WhenDialogUp&) = delete;
  bool ran() const { return next_ == steps_.size(); }

 private:
  static void Fire(EventLoopTimerRef, void* data) {
    auto* self = static_cast<WhenDialogUp*>(data);
    DialogRef dialog = GetDialogFromWindow(FrontNonFloatingWindow());
    if (self->ran() || !dialog || GetNumEventsInQueue(GetMainEventQueue()) != 0) return;
    self->steps_[self->next_++](dialog);
  }
  std::vector<Step> steps_;
  size_t next_ = 0;
  EventLoopTimerRef timer_ = nullptr;
};

inline Rect ItemRect(DialogRef dialog, DialogItemIndex item) {
  DialogItemType type = 0;
  DialogItemHandle handle = nullptr;
  Rect r;
  GetDialogItem(dialog, item, &type, &handle, &r);
  return r;
}

inline std::string ItemText(DialogRef dialog, DialogItemIndex item) {
  DialogItemType type = 0;
  DialogItemHandle handle = nullptr;
  Rect r;
  GetDialogItem(dialog, item, &type, &handle, &r);
  Str255 text;
  GetDialogItemText(handle, text);
  return ui_test::FromPString(text);
}

inline void ClickItem(DialogRef dialog, DialogItemIndex item) {
  ui_test::PostClick(ui_test::Global(GetDialogWindow(dialog), ui_test::Center(ItemRect(dialog, item))));
}

inline void PostReturn() { ui_test::PostKey(kVK_Return, kReturnCharCode); }
inline void PostEscape() { ui_test::PostKey(kVK_Escape, kEscapeCharCode); }

// Selects the whole text of an edit item and types over it.
inline void TypeInto(DialogRef dialog, DialogItemIndex item, const std::string& text) {
  SelectDialogItemText(dialog, item, 0, 32767);
  ui_test::PostText(text);
}

class DialogTest : public ui_test::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    InstallErrorReportHooks();
    ResetDialogState();
    resources_ = std::make_unique<ui_test::ScopedResources>(zarin_test::ReadWholeFile(ZARIN_DIALOGS_SOURCE));
  }
  void TearDown() override {
    resources_.reset();
    UiTest::TearDown();
  }
  std::unique_ptr<ui_test::ScopedResources> resources_;
};

}  // namespace classic_dialog_test
