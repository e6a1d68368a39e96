// UTF-8 and UTF-16 coding of code points.
#include "platform/text/unicode.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsSurrogate(char32_t cp) { return cp >= 0xD800 && cp <= 0xDFFF; }
bool IsValidCodePoint(char32_t cp) { return cp <= 0x10FFFF && !IsSurrogate(cp); }

}  // namespace

void AppendUTF8(std::string* out, char32_t cp) {
  if (!IsValidCodePoint(cp)) cp = kReplacement;
  if (cp < 0x80) {
    out->push_back(char(cp));
  } else if (cp < 0x800) {
    out->push_back(char(0xC0 | (cp >> 6)));
    out->push_back(char(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(char(0xE0 | (cp >> 12)));
    out->push_back(char(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(char(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(char(0xF0 | (cp >> 18)));
    out->push_back(char(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(char(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(char(0x80 | (cp & 0x3F)));
  }
}

void AppendUTF16(std::u16string* out, char32_t cp) {
  if (!IsValidCodePoint(cp)) cp = kReplacement;
  if (cp < 0x10000) {
    out->push_back(char16_t(cp));
  } else {
    cp -= 0x10000;
    out->push_back(char16_t(0xD800 + (cp >> 10)));
    out->push_back(char16_t(0xDC00 + (cp & 0x3FF)));
  }
}

bool DecodeUTF8(std::string_view s, size_t* pos, char32_t* cp) {
  size_t i = *pos;
  unsigned char lead = static_cast<unsigned char>(s[i]);
  int extra;
  char32_t value;
  char32_t minimum;
  if (lead < 0x80) {
    *cp = lead;
    *pos = i + 1;
    return true;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1, value = lead & 0x1F, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2, value = lead & 0x0F, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3, value = lead & 0x07, minimum = 0x10000;
  } else {
    *cp = kReplacement;
    *pos = i + 1;
    return false;
  }
  if (s.size() - i - 1 < size_t(extra)) {
    *cp = kReplacement;
    *pos = i + 1;
    return false;
  }
  for (int k = 1; k <= extra; ++k) {
    unsigned char c = static_cast<unsigned char>(s[i + k]);
    if ((c & 0xC0) != 0x80) {
      *cp = kReplacement;
      *pos = i + 1;
      return false;
    }
    value = (value << 6) | (c & 0x3F);
  }
  if (value < minimum || !IsValidCodePoint(value)) {
    *cp = kReplacement;
    *pos = i + 1;
    return false;
  }
  *cp = value;
  *pos = i + 1 + extra;
  return true;
}

bool DecodeUTF16(std::u16string_view s, size_t* pos, char32_t* cp) {
  char16_t u = s[*pos];
  ++*pos;
  if (!IsSurrogate(u)) {
    *cp = u;
    return true;
  }
  if (u <= 0xDBFF && *pos < s.size() && s[*pos] >= 0xDC00 && s[*pos] <= 0xDFFF) {
    *cp = 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(s[*pos]) - 0xDC00);
    ++*pos;
    return true;
  }
  *cp = kReplacement;
  return false;
}

bool UTF8ToUTF16(std::string_view in, std::u16string* out) {
  bool ok = true;
  size_t pos = 0;
  while (pos < in.size()) {
    char32_t cp;
    ok &= DecodeUTF8(in, &pos, &cp);
    AppendUTF16(out, cp);
  }
  return ok;
}

bool UTF16ToUTF8(std::u16string_view in, std::string* out) {
  bool ok = true;
  size_t pos = 0;
  while (pos < in.size()) {
    char32_t cp;
    ok &= DecodeUTF16(in, &pos, &cp);
    AppendUTF8(out, cp);
  }
  return ok;
}
