#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/dialogs/notification.h"
#include "platform/dialogs/param_text.h"
#include "platform/files/files.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/resources/resources.h"
#include "shell/base/app_state.h"
#include "shell/base/error_report.h"
#include "shell/base/error_report_hooks.h"
#include "shell/base/memory_reserve.h"
#include "shell/dialogs/dialog_alerts.h"
#include "tests/shell/files_errors/resource_fixture.h"

namespace {

std::string AlertText() {
  ConstStringPtr p = GetParamText(0);
  return std::string(reinterpret_cast<const char*>(p + 1), p[0]);
}

// 'SERR' 128 listing {code, text} pairs, laid out as the reporter reads it.
std::string ExactTable(const std::vector<std::pair<int16_t, std::string>>& entries) {
  std::string bytes(4 + 4 * entries.size(), '\0');
  WriteI16BE(&bytes[0], int16_t(entries.size()));
  for (size_t k = 0; k < entries.size(); ++k) {
    WriteI16BE(&bytes[4 + 4 * k], entries[k].first);
    WriteI16BE(&bytes[6 + 4 * k], int16_t(bytes.size()));
    bytes += entries[k].second;
    bytes += '\0';
  }
  return bytes;
}

std::string RangeTable(const std::vector<std::string>& texts) {
  std::string bytes(2, '\0');
  WriteI16BE(&bytes[0], int16_t(texts.size()));
  for (const std::string& t : texts) bytes += char(t.size()) + t;
  return bytes;
}

class ErrorReportTest : public ResourceFixture {
 protected:
  void SetUp() override {
    ResourceFixture::SetUp();
    InstallErrorReportHooks();
    gAppState[3] = 0;
    gInsufficientMemoryShown = 0;
  }
  void AddStandardTexts() {
    AddStrList(kAppMessagesStrList, {"zero", "one", "two", "three", "four", "five", "six", "seven",
                                     "eight", "nine", "ten", "eleven", "twelve", "The disk is full."});
    AddBytes(FourCC("SERR"), 128, ExactTable({{-43, "File not found."}, {-45, "Exact wins."}}));
    std::vector<std::string> range;
    for (int i = 0; i < 10; ++i) range.push_back("range " + std::to_string(-50 + i));
    AddBytes(FourCC("SERR"), -50, RangeTable(range));
  }
};

TEST_F(ErrorReportTest, SilentCodesShowNothing) {
  AddStandardTexts();
  for (int32_t code : {-128, -2019, -9874, 0}) {
    int32_t before = CountAlertsShown();
    EXPECT_EQ(ReportError(code), code);
    EXPECT_EQ(CountAlertsShown(), before) << code;
  }
}

TEST_F(ErrorReportTest, TextsByCodeRangeAndEdges) {
  AddStandardTexts();
  struct Case {
    int32_t code;
    std::string text;
  } cases[] = {
      {13, "The disk is full."},        // application message: item code + 1
      {-43, "-43\rFile not found."},    // exact table
      {-45, "-45\rExact wins."},        // exact table over the range that also covers it
      {-50, "-50\rrange -50"},          // first code of the range
      {-41, "-41\rrange -41"},          // last code of the range (its tenth string)
      {-40, "-40\rAn unexpected error occurred."},  // just past the range: never a bare number
      {-3000, "-3000\rAn unexpected error occurred."},
  };
  for (const Case& c : cases) {
    ReportError(c.code);
    EXPECT_EQ(AlertText(), c.text) << c.code;
    EXPECT_EQ(GetLastAlertId(), kMessageAlertId);
  }
}

TEST_F(ErrorReportTest, MemoryFullHasItsOwnAlert) {
  AddStandardTexts();
  ReportError(memFullErr);
  EXPECT_EQ(AlertText(), " Insufficient Memory    -108");
  EXPECT_EQ(gInsufficientMemoryShown, 1);
}

TEST_F(ErrorReportTest, WithoutExactTableUsesGeneralText) {
  std::vector<std::string> general(72, "");
  general[71] = "An error occurred.";
  AddStrList(kGeneralStrList, general);
  Str255 text;
  FormatErrorText(-43, text, 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(text + 1), text[0]), "-43\rAn error occurred.");
  FormatErrorText(-43, text, 1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(text + 1), text[0]), "An error occurred.");
}

TEST_F(ErrorReportTest, LyingTablesAreReadWithinBounds) {
  std::string exact = ExactTable({{-43, "File not found."}});
  WriteI16BE(&exact[0], 2000);               // a count far beyond the entries
  WriteI16BE(&exact[6], 30000);              // the text offset past the end
  AddBytes(FourCC("SERR"), 128, exact);
  std::string range = RangeTable({"a", "b"});
  WriteI16BE(&range[0], 40);                 // claims 40 strings
  range[4] = char(200);                      // second string runs past the end
  AddBytes(FourCC("SERR"), -60, range);
  Str255 text;
  FormatErrorText(-43, text, 1);
  EXPECT_EQ(text[0], 0);
  FormatErrorText(-59, text, 1);
  EXPECT_EQ(text[0], 0);
  FormatErrorText(-60, text, 1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(text + 1), text[0]), "a");
}

TEST_F(ErrorReportTest, EmptyTextAndBackground) {
  const unsigned char empty[] = "";
  ShowAlertText(empty);
  EXPECT_EQ(AlertText(), "Dangerously Low Memory condition");
  gAppState[3] = 1;
  int32_t before = CountAlertsShown();
  const unsigned char text[] = "\005hello";
  ShowAlertText(text);
  EXPECT_EQ(CountAlertsShown(), before);
  ASSERT_NE(GetInstalledNotification(), nullptr);
  EXPECT_EQ(GetInstalledNotification()->nmStr[0], 5);
  PostNotificationText(nullptr);
  EXPECT_EQ(GetInstalledNotification(), nullptr);
  gAppState[3] = 0;
}

TEST_F(ErrorReportTest, WithoutTheDialogToolkitTheTextGoesToTheConsole) {
  gErrorReportHooks = ErrorReportHooks();
  gAppState[1] = 0;
  int32_t before = CountAlertsShown();
  const unsigned char text[] = "\015Disk is full.";
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(ShowTextInAlert(text), 1);
  std::string console = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(console.find("Disk is full."), std::string::npos) << console;
  EXPECT_EQ(CountAlertsShown(), before);
  EXPECT_EQ(gAppState[1] & kAppWord1DrawingSuppressed, 0);
}

class ReserveTest : public ::testing::Test {
 protected:
  void SetUp() override { budget_ = GetMemoryBudget(); }
  void TearDown() override { SetMemoryBudget(budget_); }
  // Leaves exactly `free` bytes in the largest block.
  void LeaveFree(uint64_t free) { SetMemoryBudget(GetMemoryInUse() + free); }
  uint64_t budget_ = 0;
};

TEST_F(ReserveTest, RefusesAtTheReserveEdge) {
  const Size size = 4096;
  LeaveFree(size + gMemoryReserve);
  uint32_t live = CountLiveHandles();
  EXPECT_FALSE(NewHandleClearWithReserve(size));
  EXPECT_EQ(gLastMemError, memFullErr);
  EXPECT_EQ(CountLiveHandles(), live);
  LeaveFree(size + gMemoryReserve + 1);
  Handle h = NewHandleClearWithReserve(size);
  ASSERT_TRUE(h);
  EXPECT_EQ(gLastMemError, noErr);
  DisposeHandleAndClear(&h);
  EXPECT_FALSE(h);
  // A request larger than all free memory is refused, not wrapped round.
  LeaveFree(1024);
  EXPECT_FALSE(NewHandleClearWithReserve(0x7FFFFFF0));
}

TEST_F(ReserveTest, GrowthRefusedShrinkAlwaysAllowed) {
  Handle h = NewHandle(1000);
  LeaveFree(gMemoryReserve);
  EXPECT_EQ(SetHandleSizeWithReserve(h, 2000), memFullErr);
  EXPECT_EQ(GetHandleSize(h), 1000);
  EXPECT_EQ(SetHandleSizeWithReserve(h, 10), noErr);
  EXPECT_EQ(GetHandleSize(h), 10);
  Handle copy = Handle(1);
  EXPECT_EQ(DuplicateHandleWithReserve(h, &copy), memFullErr);
  EXPECT_FALSE(copy);
  SetMemoryBudget(budget_);
  ASSERT_EQ(DuplicateHandleWithReserve(h, &copy), noErr);
  EXPECT_EQ(GetHandleSize(copy), 10);
  DisposeHandleAndClear(&copy);
  DisposeHandleAndClear(&h);
  Handle none;
  EXPECT_EQ(DisposeHandleAndClear(&none), noErr);
}

}  // namespace
