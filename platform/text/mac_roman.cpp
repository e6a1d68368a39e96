// Mac Roman and Windows-1252 to and from Unicode, from the published mappings.
#include "platform/text/mac_roman.h"

#include <algorithm>

#include "platform/text/unicode.h"

namespace {

// Code points of Mac Roman bytes 0x80-0xFF (0xF0 is the vendor logo in the private use area).
constexpr char16_t kMacRomanHigh[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1,
    0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8,
    0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC,
    0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF,
    0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211,
    0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8,
    0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153,
    0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA,
    0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4,
    0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,
};

// Code points of Windows-1252 bytes 0x80-0x9F (0xA0-0xFF equal Latin-1).
constexpr char16_t kWindows1252C1[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool FindInTable(const char16_t* table, int count, char32_t cp, unsigned char base, unsigned char* out) {
  const char16_t* end = table + count;
  const char16_t* hit = std::find(table, end, cp);
  if (hit == end) return false;
  *out = static_cast<unsigned char>(base + (hit - table));
  return true;
}

}  // namespace

char32_t MacRomanToUnicode(unsigned char c) { return c < 0x80 ? c : kMacRomanHigh[c - 0x80]; }

bool UnicodeToMacRoman(char32_t cp, unsigned char* out) {
  if (cp < 0x80) {
    *out = static_cast<unsigned char>(cp);
    return true;
  }
  return FindInTable(kMacRomanHigh, 128, cp, 0x80, out);
}

std::string MacRomanToUTF8(const unsigned char* bytes, size_t n) {
  std::string out;
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) AppendUTF8(&out, MacRomanToUnicode(bytes[i]));
  return out;
}

std::string PStringToUTF8(ConstStringPtr s) {
  if (s == nullptr) return std::string();
  return MacRomanToUTF8(s + 1, s[0]);
}

bool UTF8ToMacRoman(const std::string& utf8, std::string* out) {
  out->clear();
  bool ok = true;
  size_t pos = 0;
  while (pos < utf8.size()) {
    char32_t cp;
    unsigned char c = '?';
    if (!DecodeUTF8(utf8, &pos, &cp) || !UnicodeToMacRoman(cp, &c)) {
      ok = false;
      c = '?';
    }
    out->push_back(static_cast<char>(c));
  }
  return ok;
}

bool UTF8ToPString(const std::string& utf8, StringPtr out, int maxLen) {
  if (out == nullptr) return false;
  maxLen = std::clamp(maxLen, 0, 255);
  std::string roman;
  bool ok = UTF8ToMacRoman(utf8, &roman);
  if (roman.size() > size_t(maxLen)) {
    roman.resize(maxLen);
    ok = false;
  }
  out[0] = static_cast<unsigned char>(roman.size());
  std::copy(roman.begin(), roman.end(), out + 1);
  return ok;
}

char32_t Windows1252ToUnicode(unsigned char c) {
  return (c >= 0x80 && c < 0xA0) ? kWindows1252C1[c - 0x80] : c;
}

bool UnicodeToWindows1252(char32_t cp, unsigned char* out) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
    *out = static_cast<unsigned char>(cp);
    return true;
  }
  return FindInTable(kWindows1252C1, 32, cp, 0x80, out);
}

std::string Windows1252ToUTF8(const unsigned char* bytes, size_t n) {
  std::string out;
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) AppendUTF8(&out, Windows1252ToUnicode(bytes[i]));
  return out;
}
