#include "shell/base/position_formats.h"

#include "platform/text/pascal_strings.h"
#include "shell/base/app_strings.h"

namespace {

constexpr int16_t kMaxPadWidth = 32;
constexpr int32_t kClockRoundFrames = 14;

void AppendPadded(StringPtr buffer, int32_t n, int16_t width) {
  Str255 padded;
  FormatNumberZeroPadded(padded, n, width);
  AppendPString(buffer, padded);
}

void AppendNumber(StringPtr buffer, int32_t n) { AppendPadded(buffer, n, 0); }

}  // namespace

StringPtr FormatNumberZeroPadded(StringPtr buffer, int32_t n, int16_t width) {
  if (width < 0) width = 0;
  if (width > kMaxPadWidth) width = kMaxPadWidth;
  Str255 digits;
  NumToString(n, digits);
  bool negative = digits[0] > 0 && digits[1] == '-';
  int32_t digitCount = digits[0] - (negative ? 1 : 0);
  int32_t pad = width - digits[0];
  buffer[0] = 0;
  if (negative) AppendPChar(buffer, '-');
  for (int32_t i = 0; i < pad; ++i) AppendPChar(buffer, '0');
  for (int32_t i = 0; i < digitCount; ++i) AppendPChar(buffer, digits[1 + (negative ? 1 : 0) + i]);
  return buffer;
}

StringPtr FormatBarBeatTick(StringPtr buffer, int32_t bar, int32_t beat, int32_t tick) {
  buffer[0] = 0;
  AppendNumber(buffer, bar + 1);
  AppendPChar(buffer, ':');
  AppendPadded(buffer, beat + 1, 2);
  AppendPChar(buffer, ':');
  AppendPadded(buffer, tick, 3);
  return buffer;
}

StringPtr FormatSmpteTime(StringPtr buffer, int32_t h, int32_t m, int32_t s, int32_t f,
                          int32_t sub) {
  buffer[0] = 0;
  AppendNumber(buffer, h);
  const int32_t fields[4] = {m, s, f, sub};
  const unsigned char separators[4] = {':', ':', ':', '.'};
  for (int i = 0; i < 4; ++i) {
    AppendPChar(buffer, separators[i]);
    AppendPadded(buffer, fields[i], 2);
  }
  return buffer;
}

StringPtr FormatClockTime(StringPtr buffer, int32_t h, int32_t m, int32_t s, int32_t f) {
  if (f > kClockRoundFrames) ++s;
  if (s >= 60) {
    s -= 60;
    ++m;
  }
  if (m >= 60) {
    m -= 60;
    ++h;
  }
  buffer[0] = 0;
  if (h != 0) {
    AppendNumber(buffer, h);
    AppendPChar(buffer, ':');
    AppendPadded(buffer, m, 2);
  } else {
    AppendNumber(buffer, m);
  }
  AppendPChar(buffer, ':');
  AppendPadded(buffer, s, 2);
  return buffer;
}

StringPtr ConcatStringAndNumber(ConstStr255Param text, int32_t n) {
  CopyPString(text, gStringBuffer, 255);
  AppendNumber(gStringBuffer, n);
  return gStringBuffer;
}

bool StorePackedIfChanged(int32_t a, int32_t b, int32_t c, int32_t* stored) {
  uint32_t packed = (uint32_t(a) << 16) + (uint32_t(b) << 4) + uint32_t(c);
  int32_t value = static_cast<int32_t>(packed);
  if (value == *stored) return false;
  *stored = value;
  return true;
}

void FormatTenths(int32_t value, StringPtr text) {
  bool negative = value < 0;
  int64_t v = negative ? -int64_t(value) : value;
  NumToString(long(v / 10), text);
  if (negative) {
    for (int i = text[0]; i >= 1; --i) text[i + 1] = text[i];
    text[1] = '-';
    ++text[0];
  }
  text[++text[0]] = '.';
  text[++text[0]] = uint8_t('0' + v % 10);
}

int16_t AppendDotToNumber(StringPtr buffer, int32_t value) {
  FormatTenths(value, buffer);
  int64_t v = value < 0 ? -int64_t(value) : value;
  int16_t digits = 1;
  for (; v >= 10; v /= 10) ++digits;
  return int16_t(4 - digits);
}
