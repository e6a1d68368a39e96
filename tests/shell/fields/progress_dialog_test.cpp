// The progress dialog: its two forms, the bar, redraw pacing, cancelling by the button or
// Command-period, the estimate, the movie progress procedure, and that it always closes.
#include <unistd.h>

#include <string>

#include "platform/controls/controls.h"
#include "platform/events/host_input.h"
#include "platform/events/key_codes.h"
#include "platform/menus/menus.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/ports.h"
#include "platform/resources/resource_manager.h"
#include "platform/text/pascal_strings.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/poll_events.h"
#include "shell/dialogs/progress_dialog.h"
#include "tests/shell/fields/fields_fixture.h"

namespace fields_test {
namespace {

void SleepTicks(int ticks) { usleep(useconds_t(ticks) * 1000000 / 60 + 2000); }

std::string ItemText(int16_t item) {
  DialogItemType type = 0;
  DialogItemHandle handle = nullptr;
  Rect r{};
  GetDialogItem(gProgress.dialog, item, &type, &handle, &r);
  Str255 text;
  GetDialogItemText(handle, text);
  return std::string(reinterpret_cast<const char*>(text + 1), text[0]);
}

std::string Message(int n) {
  Str255 text;
  GetIndString(text, kProgressMessagesId, int16_t(n));
  return std::string(reinterpret_cast<const char*>(text + 1), text[0]);
}

ControlRef Bar() {
  ControlRef bar = nullptr;
  GetDialogItemAsControl(gProgress.dialog, kProgressBarItem, &bar);
  return bar;
}

class ProgressTest : public FieldsTest {};

TEST_F(ProgressTest, ShowsAdvancesAndCloses) {
  ASSERT_EQ(OpenProgressDialogEx(1, 0, 0, 1000, nullptr, 0, 0), noErr);
  ASSERT_TRUE(IsProgressDialogUp());
  EXPECT_TRUE(IsWindowVisible(GetDialogWindow(gProgress.dialog)));
  EXPECT_TRUE(IsProgressDialogWindow(GetDialogWindow(gProgress.dialog)));
  EXPECT_EQ(ItemText(kProgressMessageItem), Message(1));
  EXPECT_NE(gDialogBusy, 0u);  // the menus are off while it is up
  struct { int64_t value; int16_t bar; } steps[] = {{250, 8191}, {1000, 32767}, {5000, 32767}, {0, 0}};
  for (auto s : steps) {
    SleepTicks(1);
    EXPECT_EQ(SetProgressValue(int32_t(s.value >> 32), uint32_t(s.value)), noErr);
    EXPECT_EQ(GetControlValue(Bar()), s.bar) << s.value;
  }
  CloseProgressDialog();
  EXPECT_FALSE(IsProgressDialogUp());
  EXPECT_EQ(gDialogBusy, 0u);
  EXPECT_EQ(SetProgressValue(0, 5), noErr);  // nothing happens without the dialog
}

TEST_F(ProgressTest, AnEqualRangeGetsTheIndeterminateBarAndNoEstimate) {
  ASSERT_EQ(OpenProgressDialog(2, 7, 0, 7, 0), noErr);
  Boolean indeterminate = false;
  ASSERT_EQ(GetControlData(Bar(), 0, kControlProgressBarIndeterminateTag, sizeof indeterminate,
                           &indeterminate, nullptr), noErr);
  EXPECT_TRUE(indeterminate);
  SleepTicks(40);
  SetProgressValue(0, 7);
  EXPECT_EQ(gProgress.timeText[0], 0);
}

TEST_F(ProgressTest, UpdatesWithinTheIntervalRedrawOnce) {
  ASSERT_EQ(OpenProgressDialogEx(0, 0, 0, 100, nullptr, 30, 0), noErr);
  SetProgressValue(0, 10);
  int16_t first = gProgress.barValue;
  SetProgressValue(0, 90);
  EXPECT_EQ(gProgress.barValue, first);
  EXPECT_EQ(gProgress.current, 90);
  EXPECT_EQ(UpdateProgressDialog(0, 5), noErr);  // relative to the value last set
  EXPECT_EQ(gProgress.current, 95);
}

TEST_F(ProgressTest, CancelByButtonOrCommandPeriodStopsTheOperation) {
  struct Case { const char* name; bool byKey; } cases[] = {{"Cancel button", false}, {"Command-period", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(OpenProgressDialogEx(0, 0, 0, 100, nullptr, 0, 0), noErr);
    if (c.byKey) {
      PostHostKeyEvent(kEventRawKeyDown, kVK_ANSI_Period, cmdKey, '.');
      PostHostKeyEvent(kEventRawKeyUp, kVK_ANSI_Period, cmdKey, '.');
    } else {
      ControlRef cancel = nullptr;
      ASSERT_EQ(GetDialogItemAsControl(gProgress.dialog, kProgressCancelItem, &cancel), noErr);
      Rect r{};
      GetControlBounds(cancel, &r);
      GrafPtr saved = nullptr;
      GetPort(&saved);
      SetPortWindowPort(GetDialogWindow(gProgress.dialog));
      Point centre{int16_t((r.top + r.bottom) / 2), int16_t((r.left + r.right) / 2)};
      LocalToGlobal(&centre);
      SetPort(saved);
      PostHostMouseEvent(kEventMouseDown, centre, 1, 0);
      PostHostMouseEvent(kEventMouseUp, centre, 1, 0);
    }
    int16_t result = noErr;
    for (int i = 0; i < 20 && result == noErr; ++i) {
      SleepTicks(1);
      result = SetProgressValue(0, uint32_t(i));
    }
    EXPECT_EQ(result, kProgressCancelled);
    CloseProgressDialog();
    EXPECT_FALSE(IsProgressDialogUp());
    EXPECT_EQ(TakeProgressError(), kProgressCancelled);  // kept for the caller once
    EXPECT_EQ(TakeProgressError(), noErr);
  }
}

TEST_F(ProgressTest, ADialogThatCannotBeMadeReportsMemoryAndStillCloses) {
  EXPECT_EQ(OpenProgressDialog(1, 0, 0, 10, 9999), memFullErr);
  EXPECT_FALSE(IsProgressDialogUp());
  EXPECT_EQ(SetProgressValue(0, 5), memFullErr);
  CloseProgressDialog();
  EXPECT_EQ(gDialogBusy, 0u);
  EXPECT_EQ(TakeProgressError(), memFullErr);
}

TEST_F(ProgressTest, StopItemsAndASecondOpen) {
  ASSERT_EQ(OpenProgressDialog(0, 0, 0, 10, 0), noErr);
  SetProgressStop(7);
  EXPECT_EQ(gProgress.error, noErr);
  SetProgressStop(kProgressStopItem);
  EXPECT_EQ(SetProgressValue(0, 1), kProgressStopped);
  // Opening again while one is up replaces it: one dialog, menus follow the new one.
  auto countWindows = [] {
    int n = 0;
    for (WindowRef w = GetWindowList(); w; w = GetNextWindow(w)) ++n;
    return n;
  };
  int before = countWindows();
  ASSERT_EQ(OpenProgressDialog(0, 0, 0, 10, 0), noErr);
  EXPECT_EQ(countWindows(), before);
  EXPECT_EQ(gProgress.error, noErr);
  CloseProgressDialog();
  EXPECT_EQ(gDialogBusy, 0u);
}

TEST_F(ProgressTest, TheEstimateWaitsHalfASecond) {
  ASSERT_EQ(OpenProgressDialogEx(0, 0, 0, 1000, nullptr, 0, 0), noErr);
  SetProgressValue(0, 1);
  SleepTicks(10);
  SetProgressValue(0, 100);
  EXPECT_EQ(gProgress.timeText[0], 0);
  SleepTicks(40);
  SetProgressValue(0, 500);
  EXPECT_GT(gProgress.timeText[0], 0);
  EXPECT_EQ(ItemText(kProgressTimeItem),
            std::string(reinterpret_cast<const char*>(gProgress.timeText + 1), gProgress.timeText[0]));
}

TEST_F(ProgressTest, RemainingTimeText) {
  struct { double seconds; const char* text; } cases[] = {
      {0, "0 s"}, {4.6, "5 s"}, {59, "59 s"}, {125, "2:05"}, {3725, "1:02:05"}, {-3, "0 s"}, {1e12, "99:59:59"}};
  for (auto c : cases) {
    Str255 text;
    FormatRemainingTime(c.seconds, text);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(text + 1), text[0]), c.text) << c.seconds;
  }
}

TEST_F(ProgressTest, MovieProgressShowsTheMessageOrTheFile) {
  MovieProgressRefCon byIndex{12, nullptr};
  ASSERT_EQ(MovieProgressProc(nullptr, kMovieProgressOpen, 0, 0, &byIndex), noErr);
  EXPECT_EQ(ItemText(kProgressMessageItem), Message(12));
  SleepTicks(1);
  EXPECT_EQ(MovieProgressProc(nullptr, kMovieProgressUpdate, 0, 32768, &byIndex), noErr);
  EXPECT_EQ(gProgress.current, 32768);
  EXPECT_EQ(MovieProgressProc(nullptr, kMovieProgressClose, 0, 0, &byIndex), noErr);
  EXPECT_FALSE(IsProgressDialogUp());

  FSSpec fileSpec;
  CopyCStringToPascal("Take 3.mov", fileSpec.name);
  MovieProgressRefCon byFile{0, &fileSpec};
  ASSERT_EQ(MovieProgressProc(nullptr, kMovieProgressOpen, 0, 0, &byFile), noErr);
  EXPECT_EQ(ItemText(kProgressMessageItem), Message(kProgressFileMessage) + ": Take 3.mov");
  MovieProgressProc(nullptr, kMovieProgressClose, 0, 0, &byFile);
  EXPECT_EQ(MovieProgressProc(nullptr, 9, 0, 0, &byFile), 0);
}

}  // namespace
}  // namespace fields_test
