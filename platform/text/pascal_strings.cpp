// Length-prefixed strings.
#include "platform/text/pascal_strings.h"

#include <algorithm>
#include <cstring>

namespace {

const unsigned char kEmptyPString[1] = {0};

ConstStr255Param OrEmpty(ConstStr255Param s) { return s != nullptr ? s : kEmptyPString; }

// Appends count bytes to dst, cutting at 255 characters.
void AppendBytes(StringPtr dst, const unsigned char* bytes, int count) {
  int room = 255 - dst[0];
  int n = std::clamp(count, 0, room);
  std::memmove(dst + 1 + dst[0], bytes, n);
  dst[0] = static_cast<unsigned char>(dst[0] + n);
}

}  // namespace

short PLstrlen(ConstStr255Param s) { return OrEmpty(s)[0]; }

StringPtr PLstrcpy(StringPtr dst, ConstStr255Param src) {
  src = OrEmpty(src);
  std::memmove(dst, src, size_t(src[0]) + 1);
  return dst;
}

StringPtr PLstrncpy(StringPtr dst, ConstStr255Param src, short max) {
  src = OrEmpty(src);
  int n = std::clamp<int>(max, 0, src[0]);
  std::memmove(dst + 1, src + 1, n);
  dst[0] = static_cast<unsigned char>(n);
  return dst;
}

StringPtr PLstrcat(StringPtr dst, ConstStr255Param src) {
  src = OrEmpty(src);
  AppendBytes(dst, src + 1, src[0]);
  return dst;
}

StringPtr PLstrncat(StringPtr dst, ConstStr255Param src, short max) {
  src = OrEmpty(src);
  AppendBytes(dst, src + 1, std::clamp<int>(max, 0, src[0]));
  return dst;
}

short PLstrcmp(ConstStr255Param a, ConstStr255Param b) { return PLstrncmp(a, b, 255); }

short PLstrncmp(ConstStr255Param a, ConstStr255Param b, short max) {
  a = OrEmpty(a);
  b = OrEmpty(b);
  int la = std::min<int>(a[0], std::max<short>(max, 0));
  int lb = std::min<int>(b[0], std::max<short>(max, 0));
  int c = std::memcmp(a + 1, b + 1, std::min(la, lb));
  if (c != 0) return c < 0 ? -1 : 1;
  return la == lb ? 0 : (la < lb ? -1 : 1);
}

Ptr PLstrchr(ConstStr255Param s, short c) {
  s = OrEmpty(s);
  const void* hit = std::memchr(s + 1, static_cast<unsigned char>(c), s[0]);
  return const_cast<Ptr>(static_cast<const char*>(hit));
}

Ptr PLstrrchr(ConstStr255Param s, short c) {
  s = OrEmpty(s);
  for (int i = s[0]; i >= 1; --i)
    if (s[i] == static_cast<unsigned char>(c)) return reinterpret_cast<Ptr>(const_cast<unsigned char*>(s + i));
  return nullptr;
}

Ptr PLstrstr(ConstStr255Param s, ConstStr255Param needle) {
  s = OrEmpty(s);
  needle = OrEmpty(needle);
  const unsigned char* end = s + 1 + s[0];
  const unsigned char* hit = std::search(s + 1, end, needle + 1, needle + 1 + needle[0]);
  if (hit == end && needle[0] != 0) return nullptr;
  return reinterpret_cast<Ptr>(const_cast<unsigned char*>(hit));
}

short PLpos(ConstStr255Param needle, ConstStr255Param s) {
  Ptr hit = PLstrstr(s, needle);
  return hit == nullptr ? 0 : static_cast<short>(reinterpret_cast<const unsigned char*>(hit) - s);
}

void CopyPascalStringToC(ConstStr255Param src, char* dst) {
  src = OrEmpty(src);
  int n = src[0];
  std::memmove(dst, src + 1, n);
  dst[n] = '\0';
}

void CopyCStringToPascal(const char* src, StringPtr dst) {
  size_t n = src != nullptr ? strnlen(src, 255) : 0;
  std::memmove(dst + 1, src, n);
  dst[0] = static_cast<unsigned char>(n);
}

void c2pstrcpy(StringPtr dst, const char* src) { CopyCStringToPascal(src, dst); }
void p2cstrcpy(char* dst, ConstStr255Param src) { CopyPascalStringToC(src, dst); }

void CopyPString(ConstStr255Param src, StringPtr dst, int maxLen) {
  PLstrncpy(dst, src, static_cast<short>(std::clamp(maxLen, 0, 255)));
}

void AppendPString(StringPtr dst, ConstStr255Param src) { PLstrcat(dst, src); }

void AppendPChar(StringPtr dst, unsigned char c) { AppendBytes(dst, &c, 1); }

void NumToString(long theNum, StringPtr theString) {
  // Work on the magnitude as unsigned, so the most negative number needs no special case.
  unsigned long magnitude = theNum < 0 ? 0UL - static_cast<unsigned long>(theNum) : static_cast<unsigned long>(theNum);
  unsigned char digits[24];
  int n = 0;
  do {
    digits[n++] = static_cast<unsigned char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  int len = 0;
  if (theNum < 0) theString[++len] = '-';
  while (n > 0) theString[++len] = digits[--n];
  theString[0] = static_cast<unsigned char>(len);
}

void StringToNum(ConstStr255Param theString, long* theNum) {
  theString = OrEmpty(theString);
  int len = theString[0];
  int i = 1;
  bool negative = false;
  if (len >= 1 && (theString[1] == '-' || theString[1] == '+')) {
    negative = theString[1] == '-';
    i = 2;
  }
  // Unsigned arithmetic: wraps like the original instead of overflowing.
  unsigned long value = 0;
  for (; i <= len; ++i) value = value * 10 + static_cast<unsigned long>(long(theString[i]) - '0');
  if (negative) value = 0UL - value;
  *theNum = static_cast<long>(value);
}
