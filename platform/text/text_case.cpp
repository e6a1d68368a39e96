// Case, diacritics and ordering of Mac Roman text, from tables built once out of the
// characters' Unicode identities.
#include "platform/text/text_case.h"

#include <array>

#include "platform/text/mac_roman.h"

namespace {

// What a byte is as a letter: its base letter ('A'..'Z', 0 for a non-letter), a ligature
// number (Æ, Œ, ß, ﬁ: 1, ﬂ: 2), a diacritic variant (0 for the plain letter) and its case.
struct LetterInfo {
  unsigned char base = 0;
  unsigned char ligature = 0;
  unsigned char variant = 0;
  bool lower = false;
};

// Base letters of Latin-1 U+00C0-U+00DF (and, lower-cased, U+00E0-U+00FF);
// '*' marks the AE ligature, '-' a non-letter or a letter without a Mac Roman form.
constexpr char kLatin1Bases[33] = "AAAAAA*CEEEEIIIIDNOOOOO-OUUUUY--";

LetterInfo DescribeCodePoint(char32_t cp) {
  LetterInfo info;
  if (cp < 0x80) {
    if (cp >= 'A' && cp <= 'Z') info.base = static_cast<unsigned char>(cp);
    if (cp >= 'a' && cp <= 'z') info.base = static_cast<unsigned char>(cp - 0x20), info.lower = true;
    return info;
  }
  if (cp >= 0xC0 && cp <= 0xFF && cp != 0xD7 && cp != 0xF7) {
    char32_t upper = cp >= 0xE0 ? cp - 0x20 : cp;
    info.lower = cp >= 0xE0;
    char base = kLatin1Bases[upper - 0xC0];
    if (cp == 0xDF) return LetterInfo{'S', 1, 0, true};   // ß
    if (cp == 0xFF) return LetterInfo{'Y', 0, 32, true};  // ÿ
    if (base == '*') return LetterInfo{'A', 1, 0, info.lower};
    if (base == '-') return LetterInfo{};
    info.base = static_cast<unsigned char>(base);
    info.variant = static_cast<unsigned char>(upper - 0xC0 + 1);
    return info;
  }
  switch (cp) {
    case 0x0152: return LetterInfo{'O', 1, 0, false};   // Œ
    case 0x0153: return LetterInfo{'O', 1, 0, true};    // œ
    case 0x0178: return LetterInfo{'Y', 0, 32, false};  // Ÿ, the partner of ÿ
    case 0x0131: return LetterInfo{'I', 0, 33, true};   // dotless i
    case 0xFB01: return LetterInfo{'F', 1, 0, true};    // fi
    case 0xFB02: return LetterInfo{'F', 2, 0, true};    // fl
    default: return info;
  }
}

struct CaseTables {
  std::array<LetterInfo, 256> info;
  std::array<unsigned char, 256> upper;
  std::array<unsigned char, 256> lower;
  std::array<unsigned char, 256> stripped;
};

// The byte with the given letter description, or fallback when Mac Roman has none.
unsigned char FindLetter(const CaseTables& t, LetterInfo want, unsigned char fallback) {
  for (int b = 0; b < 256; ++b) {
    const LetterInfo& i = t.info[b];
    if (i.base == want.base && i.ligature == want.ligature && i.variant == want.variant && i.lower == want.lower)
      return static_cast<unsigned char>(b);
  }
  return fallback;
}

CaseTables BuildTables() {
  CaseTables t;
  for (int b = 0; b < 256; ++b) t.info[b] = DescribeCodePoint(MacRomanToUnicode(static_cast<unsigned char>(b)));
  for (int b = 0; b < 256; ++b) {
    unsigned char c = static_cast<unsigned char>(b);
    LetterInfo i = t.info[b];
    t.upper[b] = t.lower[b] = t.stripped[b] = c;
    if (i.base == 0) continue;
    t.upper[b] = FindLetter(t, LetterInfo{i.base, i.ligature, i.variant, false}, c);
    t.lower[b] = FindLetter(t, LetterInfo{i.base, i.ligature, i.variant, true}, c);
    t.stripped[b] = FindLetter(t, LetterInfo{i.base, i.ligature, 0, i.lower}, c);
  }
  return t;
}

const CaseTables& Tables() {
  static const CaseTables tables = BuildTables();
  return tables;
}

template <typename Map>
void MapText(Ptr text, short len, Map map) {
  if (text == nullptr) return;
  for (short i = 0; i < len; ++i) {
    unsigned char* p = reinterpret_cast<unsigned char*>(text + i);
    *p = map(*p);
  }
}

}  // namespace

unsigned char MacRomanToUpper(unsigned char c) { return Tables().upper[c]; }
unsigned char MacRomanToLower(unsigned char c) { return Tables().lower[c]; }
unsigned char MacRomanStripDiacritic(unsigned char c) { return Tables().stripped[c]; }

uint32_t MacRomanSortKey(unsigned char c, bool caseSensitive, bool diacSensitive) {
  const LetterInfo& i = Tables().info[c];
  uint32_t primary = i.base != 0 ? i.base : c;
  uint32_t key = ((primary << 2) | i.ligature) << 8;
  if (i.base != 0 && diacSensitive) key |= uint32_t(i.variant) << 1;
  if (i.base != 0 && caseSensitive && i.lower) key |= 1;
  return key;
}

short RelString(ConstStr255Param a, ConstStr255Param b, Boolean caseSensitive, Boolean diacSensitive) {
  static const unsigned char kEmpty[1] = {0};
  if (a == nullptr) a = kEmpty;
  if (b == nullptr) b = kEmpty;
  int n = a[0] < b[0] ? a[0] : b[0];
  for (int i = 1; i <= n; ++i) {
    uint32_t ka = MacRomanSortKey(a[i], caseSensitive, diacSensitive);
    uint32_t kb = MacRomanSortKey(b[i], caseSensitive, diacSensitive);
    if (ka != kb) return ka < kb ? -1 : 1;
  }
  if (a[0] == b[0]) return 0;
  return a[0] < b[0] ? -1 : 1;
}

Boolean EqualString(ConstStr255Param a, ConstStr255Param b, Boolean caseSensitive, Boolean diacSensitive) {
  return RelString(a, b, caseSensitive, diacSensitive) == 0;
}

void UpperString(StringPtr s, Boolean diacSensitive) {
  if (s == nullptr) return;
  for (int i = 1; i <= s[0]; ++i) {
    unsigned char c = diacSensitive ? s[i] : MacRomanStripDiacritic(s[i]);
    s[i] = MacRomanToUpper(c);
  }
}

void UppercaseText(Ptr textPtr, short len, ScriptCode) { MapText(textPtr, len, MacRomanToUpper); }
void LowercaseText(Ptr textPtr, short len, ScriptCode) { MapText(textPtr, len, MacRomanToLower); }
void StripDiacritics(Ptr textPtr, short len, ScriptCode) { MapText(textPtr, len, MacRomanStripDiacritic); }

void UppercaseStripDiacritics(Ptr textPtr, short len, ScriptCode) {
  MapText(textPtr, len, [](unsigned char c) { return MacRomanToUpper(MacRomanStripDiacritic(c)); });
}
