// Numbers read from typed dialog texts and appending to full strings.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "shell/dialogs/dialog_text.h"
#include "tests/platform/controls/ui_test_support.h"

namespace {

TEST(DialogText, ReadsNumbers) {
  struct Case {
    const char* text;
    int32_t number;
    int32_t tenths;
    double real;
    bool digits;
  } cases[] = {
      {"12.56", 12, 125, 12.56, false}, {"12", 12, 120, 12.0, true},
      {"12.", 12, 120, 12.0, false},    {"-1.5", -1, -15, -1.5, false},
      {"", 0, 0, 0.0, false},           {"12ab", 12, 120, 12.0, false},
      {"abc", 0, 0, 0.0, false},        {"99999999999", INT32_MAX, INT32_MAX, 99999999999.0, true},
      {"-99999999999", INT32_MIN, INT32_MIN, -99999999999.0, false},
      {"o", 0, 0, 2.0, false},          {"-o5", 0, 0, 2.0, false},
  };
  for (const Case& c : cases) {
    ui_test::PStr t(c.text);
    EXPECT_EQ(c.number, ParseLeadingNumber(t)) << c.text;
    EXPECT_EQ(c.tenths, ParseTenths(t)) << c.text;
    EXPECT_FLOAT_EQ(float(c.real), float(ParseFloatText(t))) << c.text;
    EXPECT_EQ(c.digits, IsAllDigits(t)) << c.text;
  }
}

TEST(DialogText, AFullStringStaysFull) {
  Str255 s;
  s[0] = 254;
  AppendPStringChar(s, 'x');
  AppendPStringChar(s, 'y');
  EXPECT_EQ(255, s[0]);
  EXPECT_EQ('x', s[255]);
  EXPECT_EQ('A', UppercaseChar('a'));
  EXPECT_EQ(0xE0, UppercaseChar(0xE0));  // only a..z
}

}  // namespace
