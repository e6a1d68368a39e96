// Alerts from the application's resources answered by posted keys and clicks; the state of
// a running dialog survives an alert.
#include <gtest/gtest.h>

#include "platform/dialogs/dialog_resources.h"
#include "platform/dialogs/param_text.h"
#include "platform/memory/memory.h"
#include "platform/resources/resource_manager.h"
#include "shell/base/error_report.h"
#include "shell/dialogs/dialog_alerts.h"
#include "shell/dialogs/dialog_toolkit.h"
#include "shell/settings/meter_tempo_dialogs.h"
#include "song/dialogs/document_questions.h"
#include "song/documents/media_references.h"
#include "tests/shell/dialogs/dialog_test_support.h"

namespace {

using namespace classic_dialog_test;

class Alerts : public DialogTest {
 protected:
  int16_t Show(int16_t id, int16_t kind, std::function<void(DialogRef)> answer) {
    WhenDialogUp up(std::move(answer));
    ui_test::ModalGuard guard;
    int16_t item = ShowAlert(id, kind);
    EXPECT_TRUE(up.ran()) << id;
    return item;
  }
};

constexpr int16_t kClearRecentAlert = 539;
constexpr int16_t kKeepChangesAlert = 510;

TEST_F(Alerts, AnsweredByKeysAndClicks) {
  struct Case {
    int16_t alert;
    int16_t kind;
    std::function<void(DialogRef)> answer;
    int16_t item;
  } cases[] = {
      {kMessageAlertId, kCautionAlert, [](DialogRef) { PostReturn(); }, 1},
      {kMessageAlertId, kStopAlert, [](DialogRef d) { ClickItem(d, 1); }, 1},
      {kClearRecentAlert, kCautionAlert, [](DialogRef) { PostEscape(); }, 2},
      {kClearRecentAlert, kNoteAlert, [](DialogRef d) { ClickItem(d, 2); }, 2},
      {kKeepChangesAlert, kCautionAlert, [](DialogRef) { ui_test::PostKey(kVK_ANSI_D, 'd'); }, 3},
      {kKeepChangesAlert, kCautionAlert, [](DialogRef) { ui_test::PostKey(kVK_ANSI_C, 'c'); }, 2},
      {kKeepChangesAlert, kCautionAlert, [](DialogRef) { ui_test::PostKey(kVK_ANSI_S, 'S'); }, 1},
  };
  for (const Case& c : cases) {
    int32_t shown = CountAlertsShown();
    EXPECT_EQ(c.item, Show(c.alert, c.kind, c.answer)) << c.alert;
    EXPECT_EQ(shown + 1, CountAlertsShown());
    EXPECT_EQ(c.alert, GetLastAlertId());
    EXPECT_EQ(nullptr, GetDialogFromWindow(FrontNonFloatingWindow())) << "the alert is gone";
  }
}

// Escape in the missing-file alert keeps the reference; only a click forgets it, and the
// next alert's Escape presses item 2 again.
TEST_F(Alerts, EscapeInTheMissingFileAlertKeepsTheReference) {
  static const unsigned char kName[] = "\x08" "Take.aif";
  auto ask = [](std::function<void(DialogRef)> answer) {
    WhenDialogUp up(std::move(answer));
    ui_test::ModalGuard guard;
    return AskForMissingFileAlert(kName, 61, 60, true);
  };
  EXPECT_EQ(kPromptKeep, ask([](DialogRef) { PostEscape(); }));
  EXPECT_EQ(2, ask([](DialogRef d) { ClickItem(d, 2); }));
  EXPECT_EQ(2, Show(kClearRecentAlert, kCautionAlert, [](DialogRef) { PostEscape(); }));
}

TEST_F(Alerts, TheMessageAlertShowsTheText) {
  auto darkInText = [this](ConstStr255Param text) {
    ParamText(text, nullptr, nullptr, nullptr);
    int dark = -1;
    Show(kMessageAlertId, kCautionAlert, [&dark](DialogRef d) {
      DrawDialog(d);
      dark = ui_test::CountDark(GetDialogWindow(d), ItemRect(d, 2));
      PostReturn();
    });
    return dark;
  };
  static const unsigned char kText[] = "\x0d" "Disk is full.";
  static const unsigned char kEmpty[] = "";
  EXPECT_GT(darkInText(kText), 20);
  EXPECT_EQ(0, darkInText(kEmpty));
}

TEST_F(Alerts, ARunningDialogKeepsItsState) {
  ASSERT_TRUE(OpenDialogById(kTempoDialogId));
  ShowCurrentDialog();
  DialogRef dialog = gCurrentDialog;
  gDialogFilterHook = SharedModalFilter;
  gDialogKeyFlags = kDialogKeysHandled | kDialogKeyCapture;
  gDialogBusy = 3;
  EXPECT_EQ(2, Show(kClearRecentAlert, kCautionAlert, [](DialogRef) { PostEscape(); }));
  EXPECT_EQ(dialog, gCurrentDialog);
  EXPECT_EQ(SharedModalFilter, gDialogFilterHook);
  EXPECT_EQ(kDialogKeysHandled | kDialogKeyCapture, gDialogKeyFlags);
  EXPECT_EQ(3u, gDialogBusy);
  CloseCurrentDialog();
}

// The buttons the callers count on: item 1 the default, item 2 (and 3) the other answers.
TEST_F(Alerts, EveryAlertHasTheButtonsItsCallersExpect) {
  struct Case {
    int16_t alert;
    std::vector<std::string> buttons;
  } cases[] = {
      {550, {"OK"}},           {520, {"OK"}},
      {535, {"Cancel", "Revert"}},
      {536, {"OK"}},           {539, {"Cancel", "Clear"}},
      {543, {"OK", "Skip"}},   {561, {"Convert", "Cancel"}},
      {566, {"OK"}},           {510, {"Save", "Cancel", "Don't Save"}},
  };
  for (const Case& c : cases) {
    Handle alrt = GetResource(FourCC("ALRT"), c.alert);
    ASSERT_NE(nullptr, alrt) << c.alert;
    AlertTemplate alert;
    ASSERT_TRUE(ParseAlertTemplate(reinterpret_cast<const UInt8*>(*alrt), size_t(GetHandleSize(alrt)), &alert));
    Handle ditl = GetResource(FourCC("DITL"), alert.itemsID);
    ASSERT_NE(nullptr, ditl) << c.alert;
    std::vector<DialogItemTemplate> items;
    ASSERT_TRUE(ParseDialogItemList(reinterpret_cast<const UInt8*>(*ditl), size_t(GetHandleSize(ditl)), &items));
    std::vector<std::string> buttons;
    for (const DialogItemTemplate& item : items)
      if (item.type == kButtonDialogItem) buttons.push_back(item.text);
    EXPECT_EQ(c.buttons, buttons) << c.alert;
    EXPECT_EQ(kStaticTextDialogItem + itemDisable, items.back().type) << c.alert;
    EXPECT_EQ(4, (alert.stages & 0xF) & 4) << "the first stage shows the alert";
  }
}

// Headless, nobody sees an alert: its words reach the console too, once, whether the alert
// runs (answered here by a posted key) or cannot be shown at all.
TEST_F(Alerts, HeadlessAlertsAreWrittenToTheConsoleOnce) {
  const unsigned char kText[] = "\037\"tune.mid\" could not be opened.";
  for (int16_t alert : {kMessageAlertId, int16_t(4242)}) {
    ParamText(kText, nullptr, nullptr, nullptr);
    testing::internal::CaptureStderr();
    if (alert == kMessageAlertId) Show(alert, kCautionAlert, [](DialogRef) { PostReturn(); });
    else ShowAlert(alert, kCautionAlert);
    std::string console = testing::internal::GetCapturedStderr();
    size_t at = console.find("\"tune.mid\" could not be opened.");
    EXPECT_NE(std::string::npos, at) << alert;
    EXPECT_EQ(std::string::npos, console.find("could not", at + 20)) << console;
  }
}

TEST_F(Alerts, AnAlertThatCannotBeShownAnswersOnTheConsole) {
  SetAlertAnswer(2);
  EXPECT_EQ(2, ShowAlert(4242, kCautionAlert));
  SetAlertAnswer(1);
  EXPECT_EQ(1, ShowAlert(4242, kStopAlert));
  EXPECT_EQ(4242, GetLastAlertId());
}

}  // namespace
