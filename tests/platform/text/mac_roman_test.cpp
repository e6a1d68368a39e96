#include <gtest/gtest.h>

#include <set>

#include "platform/text/mac_roman.h"
#include "platform/text/unicode.h"
#include "tests/platform/text/pstr.h"

namespace {

TEST(MacRoman, EveryByteRoundTripsThroughUTF8) {
  std::set<char32_t> seen;
  for (int i = 0; i < 256; ++i) {
    unsigned char c = static_cast<unsigned char>(i);
    std::string utf8 = MacRomanToUTF8(&c, 1);
    if (i < 0x80) {
      EXPECT_EQ(utf8, std::string(1, char(i)));
    }
    std::string back;
    EXPECT_TRUE(UTF8ToMacRoman(utf8, &back)) << i;
    EXPECT_EQ(back, std::string(1, char(c))) << i;
    EXPECT_TRUE(seen.insert(MacRomanToUnicode(c)).second) << "duplicate mapping at " << i;
  }
}

TEST(MacRoman, KnownCharacters) {
  const struct {
    unsigned char byte;
    const char* utf8;
  } cases[] = {
      {0x80, "\u00C4"}, {0x8E, "\u00E9"}, {0xA5, "\u2022"}, {0xA9, "\u00A9"}, {0xAA, "\u2122"},
      {0xC9, "\u2026"}, {0xCA, "\u00A0"}, {0xD2, "\u201C"}, {0xDB, "\u20AC"}, {0xDE, "\uFB01"},
      {0xF0, "\uF8FF"}, {0xFF, "\u02C7"},
  };
  for (const auto& c : cases) EXPECT_EQ(MacRomanToUTF8(&c.byte, 1), c.utf8) << int(c.byte);
}

TEST(MacRoman, UnmappableAndMalformedBecomeQuestionMarks) {
  std::string out;
  EXPECT_FALSE(UTF8ToMacRoman("a\u4E2Db\U0001F600c", &out));
  EXPECT_EQ(out, "a?b?c");
  EXPECT_FALSE(UTF8ToMacRoman("x\xC3", &out));  // cut-off sequence
  EXPECT_EQ(out, "x?");
  EXPECT_FALSE(UTF8ToMacRoman("\xC0\xAF", &out));  // overlong '/'
  EXPECT_EQ(out, "??");
  EXPECT_TRUE(UTF8ToMacRoman("caf\u00E9", &out));
  EXPECT_EQ(out, "caf\x8E");
}

TEST(MacRoman, PascalStringEdges) {
  Str255 p;
  EXPECT_TRUE(UTF8ToPString("Caf\u00E9 \u2022", p, 255));
  EXPECT_EQ(Text(p), "Caf\x8E \xA5");
  EXPECT_EQ(PStringToUTF8(p), "Caf\u00E9 \u2022");

  EXPECT_FALSE(UTF8ToPString("abcdef", p, 3));
  EXPECT_EQ(Text(p), "abc");
  std::string longText(300, 'x');
  EXPECT_FALSE(UTF8ToPString(longText, p, 1000));
  EXPECT_EQ(p[0], 255);
}

TEST(MacRoman, Windows1252) {
  const unsigned char bytes[] = {'a', 0x80, 0x93, 0xE9, 0x81};
  EXPECT_EQ(Windows1252ToUTF8(bytes, sizeof bytes), "a\u20AC\u201C\u00E9\u0081");
  unsigned char b = 0;
  EXPECT_TRUE(UnicodeToWindows1252(0x0160, &b));
  EXPECT_EQ(b, 0x8A);
  EXPECT_FALSE(UnicodeToWindows1252(0x2022 + 1, &b));
}

TEST(Unicode, UTF16RoundTripAndBadSurrogates) {
  std::u16string u16;
  EXPECT_TRUE(UTF8ToUTF16("a\u00E9\U0001F600", &u16));
  EXPECT_EQ(u16, u"a\u00E9\U0001F600");
  std::string back;
  EXPECT_TRUE(UTF16ToUTF8(u16, &back));
  EXPECT_EQ(back, "a\u00E9\U0001F600");

  std::u16string lone = u"x";
  lone.push_back(char16_t(0xD800));
  back.clear();
  EXPECT_FALSE(UTF16ToUTF8(lone, &back));
  EXPECT_EQ(back, "x\uFFFD");
  u16.clear();
  EXPECT_FALSE(UTF8ToUTF16("\xED\xA0\x80", &u16));  // encoded surrogate
}

}  // namespace
