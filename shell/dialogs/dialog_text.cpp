#include "shell/dialogs/dialog_text.h"

#include <cstdlib>
#include <string>

#include "platform/text/pascal_strings.h"
#include "shell/base/app_strings.h"

void AppendPStringChar(StringPtr string, uint8_t c) { AppendPChar(string, c); }

void AppendCharToStringBuffer(uint8_t c) { AppendPStringChar(gStringBuffer, c); }

uint8_t UppercaseChar(uint8_t c) { return c >= 'a' && c <= 'z' ? uint8_t(c - 'a' + 'A') : c; }

bool IsDigitChar(uint8_t c) { return c >= '0' && c <= '9'; }

bool IsAllDigits(ConstStr255Param text) {
  if (text[0] == 0) return false;
  for (int i = 1; i <= text[0]; ++i)
    if (!IsDigitChar(text[i])) return false;
  return true;
}

namespace {

// Reads an optional sign and digits from position *at (1-based); the magnitude is held at
// 2^31 so that the caller can clamp.
int64_t ReadSignedDigits(ConstStr255Param text, int* at, bool* negative) {
  int i = *at;
  *negative = false;
  if (i <= text[0] && (text[i] == '-' || text[i] == '+')) *negative = text[i++] == '-';
  int64_t value = 0;
  while (i <= text[0] && IsDigitChar(text[i])) {
    if (value < (int64_t(1) << 31)) value = value * 10 + (text[i] - '0');
    ++i;
  }
  *at = i;
  return value;
}

int32_t Clamp32(int64_t v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return int32_t(v);
}

}  // namespace

int32_t ParseLeadingNumber(ConstStr255Param text) {
  int at = 1;
  bool negative = false;
  int64_t v = ReadSignedDigits(text, &at, &negative);
  return Clamp32(negative ? -v : v);
}

double ParseFloatText(ConstStr255Param text) {
  int n = text[0];
  if ((n >= 1 && text[1] == 'o') || (n >= 2 && text[1] == '-' && text[2] == 'o')) return 2.0;
  std::string s(reinterpret_cast<const char*>(text + 1), size_t(n));
  return double(float(std::atof(s.c_str())));
}

int32_t ParseTenths(ConstStr255Param text) {
  int at = 1;
  bool negative = false;
  int64_t v = ReadSignedDigits(text, &at, &negative) * 10;
  if (at + 1 <= text[0] && text[at] == '.' && IsDigitChar(text[at + 1])) v += text[at + 1] - '0';
  return Clamp32(negative ? -v : v);
}
