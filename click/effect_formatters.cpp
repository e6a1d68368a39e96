// Parameter-display texts of AudioEffect: decibels, hertz, milliseconds, floats, integers.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "click/audio_effect.h"

// Puts at most maxLen characters of s into text and ends it with a zero.
static void PutFormattedText(const char* s, char* text, VstInt32 maxLen) {
  if (!text || maxLen < 0) return;
  size_t n = strnlen(s, static_cast<size_t>(maxLen));
  std::memcpy(text, s, n);
  text[n] = 0;
}

// Appends the decimal digits of v (none for 0) to s at *at.
static void AppendDigits(uint64_t v, char* s, size_t* at) {
  char digits[24];
  size_t n = 0;
  for (; v; v /= 10) digits[n++] = static_cast<char>('0' + v % 10);
  while (n) s[(*at)++] = digits[--n];
}

void AudioEffect::FormatFloat(float value, char* text, VstInt32 maxLen) {
  constexpr size_t kWidth = 8;
  double v = value;
  if (std::isnan(v) || v > 99999999.0 || v < -9999999.0) {
    PutFormattedText("Huge!", text, maxLen);
    return;
  }
  char s[32];
  size_t at = 0;
  if (v < 0) s[at++] = '-';
  double magnitude = std::fabs(v);
  uint64_t whole = static_cast<uint64_t>(magnitude);
  if (whole == 0)
    s[at++] = '0';
  else
    AppendDigits(whole, s, &at);
  if (at + 2 <= kWidth) {
    s[at++] = '.';
    double fraction = magnitude - static_cast<double>(whole);
    while (at < kWidth) {
      fraction *= 10.0;
      int digit = static_cast<int>(fraction);
      if (digit > 9) digit = 9;
      s[at++] = static_cast<char>('0' + digit);
      fraction -= digit;
    }
  }
  s[at] = 0;
  PutFormattedText(s, text, maxLen);
}

void AudioEffect::FormatInteger(VstInt32 value, char* text, VstInt32 maxLen) {
  if (value >= 100000000) {
    PutFormattedText("Huge!", text, maxLen);
    return;
  }
  char s[16];
  size_t at = 0;
  int64_t v = value;
  if (v < 0) s[at++] = '-';
  AppendDigits(static_cast<uint64_t>(v < 0 ? -v : v), s, &at);
  s[at] = 0;
  PutFormattedText(s, text, maxLen);
}

void AudioEffect::FormatDecibels(float value, char* text, VstInt32 maxLen) {
  if (value > 0.0f)
    FormatFloat(static_cast<float>(20.0 * std::log10(value)), text, maxLen);
  else
    PutFormattedText("-oo", text, maxLen);
}

void AudioEffect::FormatHertz(float samples, char* text, VstInt32 maxLen) {
  FormatFloat(samples != 0.0f ? sampleRate / samples : 0.0f, text, maxLen);
}

void AudioEffect::FormatMilliseconds(float samples, char* text, VstInt32 maxLen) {
  FormatFloat(sampleRate > 0.0f ? samples * 1000.0f / sampleRate : 0.0f, text, maxLen);
}
