#include "platform/quickdraw/text_layout.h"

#include <algorithm>
#include <cstdint>

#include "platform/quickdraw/font_catalog.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/qd_internal.h"
#include "platform/quickdraw/text.h"
#include "platform/text/mac_roman.h"

using namespace qd_internal;

namespace {

bool IsBlank(unsigned char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(unsigned char c) { return c == '\r' || c == '\n'; }

// Width of one byte's character in the current port, in 16.16.
Fixed CharFixedWidth(const unsigned char* ch) { return Fixed(TextWidth(ch, 0, 1)) << 16; }

// round(slop x k / n) in whole pixels, with the product kept in 64 bits.
int SlopShare(Fixed slop, int k, int n) {
  int64_t scaled = int64_t(slop) * k / n;
  return int((scaled + 0x8000) >> 16);
}

}  // namespace

StyledLineBreakCode StyledLineBreak(const void* textPtr, SInt32 textLen, SInt32 textStart,
                                    SInt32 textEnd, SInt32, Fixed* textWidth,
                                    SInt32* textOffset) {
  bool firstRun = textOffset && *textOffset != 0;
  textEnd = std::min(textEnd, textLen);
  if (!textPtr || !textWidth || textStart < 0 || textStart >= textEnd) {
    if (textOffset) *textOffset = std::max<SInt32>(textStart, textEnd);
    return smBreakOverflow;
  }
  const auto* text = static_cast<const unsigned char*>(textPtr);
  Fixed available = *textWidth;
  int64_t used = 0;
  SInt32 wordBreak = -1;  // the offset after the last blanks seen
  for (SInt32 i = textStart; i < textEnd; ++i) {
    unsigned char c = text[i];
    if (IsLineEnd(c)) {
      if (textOffset) *textOffset = i + 1;
      return smBreakWord;
    }
    Fixed w = CharFixedWidth(text + i);
    if (IsBlank(c)) {
      used += w;
      wordBreak = i + 1;
      continue;
    }
    if (used + w > available) {
      if (wordBreak > textStart) {
        if (textOffset) *textOffset = wordBreak;
        return smBreakWord;
      }
      if (!firstRun) {
        if (textOffset) *textOffset = textStart;
        return smBreakWord;
      }
      if (textOffset) *textOffset = std::max(i, textStart + 1);
      return smBreakChar;
    }
    used += w;
  }
  *textWidth = Fixed(std::clamp<int64_t>(int64_t(available) - used, INT32_MIN, INT32_MAX));
  if (textOffset) *textOffset = textEnd;
  return smBreakOverflow;
}

SInt32 VisibleLength(const void* textPtr, SInt32 textLength) {
  if (!textPtr || textLength <= 0) return 0;
  const auto* text = static_cast<const unsigned char*>(textPtr);
  while (textLength > 0 && (IsBlank(text[textLength - 1]) || IsLineEnd(text[textLength - 1])))
    --textLength;
  return textLength;
}

void DrawJustified(const void* textPtr, SInt32 textLength, Fixed slop, JustStyleCode, Point,
                   Point) {
  if (!textPtr || textLength <= 0) return;
  const auto* text = static_cast<const unsigned char*>(textPtr);
  textLength = std::min<SInt32>(textLength, 32767);
  int spaces = int(std::count(text, text + textLength, ' '));
  if (spaces == 0) {
    DrawText(text, 0, short(textLength));
    Move(short(SlopShare(slop, 1, 1)), 0);
    return;
  }
  SInt32 runStart = 0;
  int seen = 0;
  for (SInt32 i = 0; i < textLength; ++i) {
    if (text[i] != ' ') continue;
    DrawText(text, short(runStart), short(i + 1 - runStart));
    ++seen;
    Move(short(SlopShare(slop, seen, spaces) - SlopShare(slop, seen - 1, spaces)), 0);
    runStart = i + 1;
  }
  if (runStart < textLength) DrawText(text, short(runStart), short(textLength - runStart));
}

OSErr OutlineMetrics(short byteCount, const void* textPtr, Point, Point, short* yMax,
                     short* yMin, Fixed* awArray, Fixed* lsbArray, Rect* boundsArray) {
  if (!textPtr || byteCount < 0) return paramErr;
  CGrafPtr port = CurrentPort();
  FontSpec fontSpec;
  ResolveFont(port->txFont, port->txSize, port->txFace, &fontSpec);
  const auto* text = static_cast<const unsigned char*>(textPtr);
  int top = 0, bottom = 0;
  for (short i = 0; i < byteCount; ++i) {
    char32_t cp = MacRomanToUnicode(text[i]);
    int advance = fontSpec.face ? StyledAdvance(fontSpec, cp) : 0;
    Glyph g;  // metrics only; the coverage stays in the cache
    if (fontSpec.face) {
      const Glyph& cached = GlyphOf(fontSpec, cp);
      g.left = cached.left, g.top = cached.top, g.width = cached.width, g.height = cached.height;
    }
    if (g.height > 0) {
      top = std::max(top, g.top);
      bottom = std::min(bottom, g.top - g.height);
    }
    if (awArray) awArray[i] = Fixed(advance) << 16;
    if (lsbArray) lsbArray[i] = Fixed(g.left) << 16;
    if (boundsArray)
      boundsArray[i] = Rect{short(-g.top), short(g.left), short(g.height - g.top),
                                short(g.left + g.width)};
  }
  if (yMax) *yMax = short(top);
  if (yMin) *yMin = short(bottom);
  return noErr;
}

Boolean IsOutline(Point, Point) { return true; }

short GetSysDirection() { return 0; }
