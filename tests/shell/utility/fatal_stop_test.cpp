#include <gtest/gtest.h>

#include <cstdio>

#include "platform/dialogs/param_text.h"
#include "platform/memory/memory.h"
#include "shell/base/error_report_hooks.h"
#include "shell/base/fatal_stop.h"

namespace {

using ::testing::ExitedWithCode;

TEST(FatalStopDeathTest, ShowsTheTextAndTheNumberAndEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const unsigned char text[] = "\017Disk is locked.";
  EXPECT_EXIT(FatalErrorStop(126, text), ExitedWithCode(1), "Disk is locked\\.    126");
}

// The alert stands in for the dialog toolkit: it says on the console which alert it showed
// and with what text, so that the dying child can tell the parent.
int16_t ReportShownAlert(int16_t alertId) {
  ConstStringPtr text = GetParamText(0);
  std::fprintf(stderr, "alert %d shown: %.*s\n", alertId, int(text[0]), reinterpret_cast<const char*>(text + 1));
  return 1;
}

TEST(FatalStopDeathTest, TheMessageIsShownInTheAlertBeforeTheEnd) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const unsigned char text[] = "\017Disk is locked.";
  EXPECT_EXIT(
      {
        gErrorReportHooks.showCautionAlert = ReportShownAlert;
        FatalErrorStop(126, text);
      },
      ExitedWithCode(1), "alert [0-9]+ shown: Disk is locked\\.    126");
}

TEST(FatalStopDeathTest, MissingTextsStillGiveAMessage) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // No resource file is open in the tests, so the built-in texts stand in.
  EXPECT_EXIT(FatalResourceStop(127), ExitedWithCode(1), "resource .* missing.*    127");
  EXPECT_EXIT(FatalMemoryStop(-108), ExitedWithCode(1), "out of memory.*    -108");
}

TEST(FatalStopDeathTest, NewPtrClearOrStopEndsWithTheMemoryError) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  Ptr p = NewPtrClearOrStop(64);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[0], 0);
  DisposePtr(p);
  EXPECT_EXIT(
      {
        SetMemoryBudget(4096);
        NewPtrClearOrStop(1 << 20);
      },
      ExitedWithCode(1), "out of memory.*    -108");
}

}  // namespace
