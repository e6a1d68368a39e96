#include <gtest/gtest.h>

#include <climits>

#include "platform/text/pascal_strings.h"
#include "tests/platform/text/pstr.h"

namespace {

TEST(PascalStrings, NumToStringAndBack) {
  const struct {
    long value;
    const char* text;
  } cases[] = {
      {0, "0"},           {7, "7"},
      {-1, "-1"},         {1234567890L, "1234567890"},
      {-32768, "-32768"}, {INT32_MIN, "-2147483648"},
      {INT32_MAX, "2147483647"},
      {LONG_MIN, "-9223372036854775808"},
      {LONG_MAX, "9223372036854775807"},
  };
  for (const auto& c : cases) {
    Str255 s;
    NumToString(c.value, s);
    EXPECT_EQ(Text(s), c.text);
    long back = 12345;
    StringToNum(s, &back);
    EXPECT_EQ(back, c.value) << c.text;
  }
}

TEST(PascalStrings, StringToNumKeepsClassicLooseness) {
  const struct {
    const char* text;
    long value;
  } cases[] = {
      {"", 0},  {"-", 0}, {"+42", 42}, {"-0", 0}, {"007", 7},
      // No checking: a non-digit adds (c - '0'), as the original routine did.
      {"1a", 10 + ('a' - '0')},
      // A trailing "-" inside the text is not a sign.
      {"5-", 50 + ('-' - '0')},
  };
  for (const auto& c : cases) {
    long value = -999;
    StringToNum(PStr(c.text), &value);
    EXPECT_EQ(value, c.value) << '"' << c.text << '"';
  }
}

TEST(PascalStrings, StringToNumReadsOnlyTheCountedBytes) {
  // "12" counted, followed by digits that belong to nobody.
  unsigned char raw[8] = {2, '1', '2', '9', '9', '9', '9', '9'};
  long value = 0;
  StringToNum(raw, &value);
  EXPECT_EQ(value, 12);
}

TEST(PascalStrings, CopyAndAppendCutAt255) {
  PStr a(std::string(200, 'a'));
  PStr b(std::string(100, 'b'));
  PLstrcat(a, b);
  EXPECT_EQ(PLstrlen(a), 255);
  EXPECT_EQ(Text(a), std::string(200, 'a') + std::string(55, 'b'));

  AppendPChar(a, 'z');  // full: unchanged
  EXPECT_EQ(PLstrlen(a), 255);
  EXPECT_EQ(a.s[255], 'b');

  PStr c("ab");
  AppendPString(c, PStr("cd"));
  AppendPChar(c, 'e');
  EXPECT_EQ(Text(c), "abcde");

  Str255 d;
  CopyPString(PStr("Hello world"), d, 5);
  EXPECT_EQ(Text(d), "Hello");
  CopyPString(PStr("Hi"), d, 300);
  EXPECT_EQ(Text(d), "Hi");
  PLstrncpy(d, PStr("abcdef"), 3);
  EXPECT_EQ(Text(d), "abc");
  PLstrcpy(d, PStr("xyz"));
  EXPECT_EQ(Text(d), "xyz");
}

TEST(PascalStrings, CompareAndSearch) {
  EXPECT_EQ(PLstrcmp(PStr("abc"), PStr("abc")), 0);
  EXPECT_LT(PLstrcmp(PStr("ab"), PStr("abc")), 0);
  EXPECT_GT(PLstrcmp(PStr("abd"), PStr("abc")), 0);
  EXPECT_GT(PLstrcmp(PStr("\x8E"), PStr("z")), 0);  // bytes compare unsigned
  EXPECT_EQ(PLstrncmp(PStr("abcX"), PStr("abcY"), 3), 0);

  PStr s("a:b:c");
  EXPECT_EQ(PLstrchr(s, ':'), reinterpret_cast<Ptr>(s.s + 2));
  EXPECT_EQ(PLstrrchr(s, ':'), reinterpret_cast<Ptr>(s.s + 4));
  EXPECT_EQ(PLstrchr(s, 'q'), nullptr);
  // A byte after the counted text is never found.
  unsigned char raw[4] = {1, 'a', 'q', 0};
  EXPECT_EQ(PLstrchr(raw, 'q'), nullptr);
  EXPECT_EQ(PLpos(PStr("b:c"), s), 3);
  EXPECT_EQ(PLpos(PStr("zz"), s), 0);
}

TEST(PascalStrings, CAndPascalConversions) {
  char c[300];
  CopyPascalStringToC(PStr("caf\x8E"), c);
  EXPECT_STREQ(c, "caf\x8E");

  Str255 p;
  std::string longText(400, 'x');
  CopyCStringToPascal(longText.c_str(), p);
  EXPECT_EQ(PLstrlen(p), 255);

  // In place, both directions.
  unsigned char buf[256] = "hello";
  c2pstrcpy(buf, reinterpret_cast<const char*>(buf));
  EXPECT_EQ(Text(buf), "hello");
  p2cstrcpy(reinterpret_cast<char*>(buf), buf);
  EXPECT_STREQ(reinterpret_cast<char*>(buf), "hello");
}

}  // namespace
