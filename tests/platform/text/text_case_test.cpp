#include <gtest/gtest.h>

#include "platform/text/pascal_strings.h"
#include "tests/platform/text/pstr.h"

namespace {

// Mac Roman: 0x8E e-acute, 0x83 E-acute, 0x8F e-grave, 0x87 a-acute, 0xA7 sharp s,
// 0xBE ae, 0xAE AE, 0x96 n-tilde, 0x84 N-tilde, 0xCF oe.
TEST(TextCase, RelStringOrder) {
  const struct {
    const char* a;
    const char* b;
    bool caseSens;
    bool diacSens;
    int expected;
  } cases[] = {
      {"abc", "abc", true, true, 0},
      {"abc", "abd", true, true, -1},
      {"ab", "abc", true, true, -1},
      {"", "", true, true, 0},
      {"", "a", false, false, -1},
      // Case: equal when insensitive, upper first when sensitive.
      {"ABC", "abc", false, true, 0},
      {"ABC", "abc", true, true, -1},
      // Letters interleave across cases: "apple" < "Banana" either way.
      {"apple", "Banana", false, true, -1},
      {"apple", "Banana", true, true, -1},
      // Diacritics: accented after plain, before the next letter.
      {"e", "\x8E", true, true, -1},
      {"\x8E", "f", true, true, -1},
      {"\x8E", "e", true, false, 0},
      {"caf\x8E", "CAFE", false, false, 0},
      {"caf\x8E", "CAFE", false, true, 1},
      {"\x8E", "\x83", false, true, 0},  // e-acute vs E-acute
      {"\x8F", "\x8E", false, true, -1},  // grave before acute, as in Latin-1
      {"\x96", "o", true, true, -1},
      {"\x84", "\x96", false, true, 0},
      // Ligatures are letters of their own, after every form of their first letter.
      {"\xBE", "\xAE", false, false, 0},
      {"\x87", "\xBE", false, true, -1},
      {"\xBE", "b", false, true, -1},
      {"\xA7", "s", false, false, 1},
      {"\xA7", "t", false, false, -1},
      {"\xCF", "p", false, false, -1},
      // Non-letters keep byte order among themselves and against letters.
      {"1", "A", true, true, -1},
      {"Z", "[", true, true, -1},
      {"z", "{", true, true, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RelString(PStr(c.a), PStr(c.b), c.caseSens, c.diacSens), c.expected)
        << '"' << c.a << "\" vs \"" << c.b << "\" case " << c.caseSens << " diac " << c.diacSens;
    EXPECT_EQ(RelString(PStr(c.b), PStr(c.a), c.caseSens, c.diacSens), -c.expected);
    EXPECT_EQ(EqualString(PStr(c.a), PStr(c.b), c.caseSens, c.diacSens), c.expected == 0);
  }
}

TEST(TextCase, UpperStringAndTextConversions) {
  PStr a("caf\x8E na\x96ve \xA7");
  UpperString(a, true);
  EXPECT_EQ(Text(a), "CAF\x83 NA\x84VE \xA7");  // sharp s has no capital

  PStr b("caf\x8E \xBE");
  UpperString(b, false);
  EXPECT_EQ(Text(b), "CAFE \xAE");  // ligature kept, accent stripped

  char text[] = "d\x8Ej\x88 vu \xD8";  // a-grave, y-diaeresis
  UppercaseText(text, short(sizeof(text) - 1), smSystemScript);
  EXPECT_STREQ(text, "D\x83J\xCB VU \xD9");
  LowercaseText(text, short(sizeof(text) - 1), smSystemScript);
  EXPECT_STREQ(text, "d\x8Ej\x88 vu \xD8");
  StripDiacritics(text, short(sizeof(text) - 1), smSystemScript);
  EXPECT_STREQ(text, "deja vu y");
}

TEST(TextCase, CaseMappingIsConsistentForEveryByte) {
  for (int i = 0; i < 256; ++i) {
    unsigned char c = static_cast<unsigned char>(i);
    unsigned char up = MacRomanToUpper(c);
    EXPECT_EQ(MacRomanToUpper(up), up) << i;
    EXPECT_EQ(MacRomanSortKey(up, false, true), MacRomanSortKey(c, false, true)) << i;
    EXPECT_EQ(MacRomanSortKey(MacRomanStripDiacritic(c), true, false), MacRomanSortKey(c, true, false)) << i;
  }
}

}  // namespace
