#include "shell/base/pen_numbers.h"

#include "platform/quickdraw/quickdraw.h"
#include "platform/text/pascal_strings.h"
#include "shell/base/position_formats.h"

DigitMetrics gDigitMetrics;

namespace {

int16_t ClampToShort(int32_t v) {
  return int16_t(v < -32768 ? -32768 : (v > 32767 ? 32767 : v));
}

}  // namespace

void CacheDigitWidth() {
  FontInfo info;
  GetFontInfo(&info);
  gDigitMetrics.ascent = info.ascent;
  gDigitMetrics.descent = info.descent;
  gDigitMetrics.leading = info.leading;
  gDigitMetrics.digitWidth = CharWidth('8');
}

void PadAndMoveTo(int16_t n) {
  if (n <= 0) return;
  Point pen;
  GetPen(&pen);
  int16_t right = ClampToShort(int32_t(pen.h) + int32_t(n) * gDigitMetrics.digitWidth);
  GrafPtr port = nullptr;
  GetPort(&port);
  if (port && GetPortTextMode(port) == srcCopy) {
    Rect cell{ClampToShort(pen.v - gDigitMetrics.ascent), pen.h,
              ClampToShort(pen.v + gDigitMetrics.descent), right};
    EraseRect(&cell);
  }
  MoveTo(right, pen.v);
}

void PadForNumber(int32_t n, int16_t width) {
  Str255 digits;
  NumToString(n, digits);
  PadAndMoveTo(int16_t(width - digits[0]));
}

void DrawNumber(int32_t n) {
  Str255 digits;
  NumToString(n, digits);
  DrawString(digits);
}

void DrawNumberRightAligned(int32_t n, int16_t width) {
  PadForNumber(n, width);
  DrawNumber(n);
}

void DrawStringCentered(ConstStr255Param text, const Rect* rect, int16_t v) {
  if (!text || !rect) return;
  int32_t slack = int32_t(rect->right) - rect->left - StringWidth(text);
  MoveTo(ClampToShort(rect->left + slack / 2), v);
  DrawString(text);
}

void PrepareRightAlignedText(ConstStr255Param text, int16_t columnWidth) {
  FontInfo info;
  GetFontInfo(&info);
  Point pen;
  GetPen(&pen);
  int16_t right = ClampToShort(int32_t(pen.h) + columnWidth + 1);
  Rect cell{ClampToShort(pen.v - info.ascent), pen.h,
            ClampToShort(pen.v + info.descent + info.leading), right};
  EraseRect(&cell);
  MoveTo(ClampToShort(int32_t(right) - StringWidth(text)), pen.v);
}

void DrawStringRightAligned(ConstStr255Param text, int16_t columnWidth) {
  if (!text) return;
  PrepareRightAlignedText(text, columnWidth);
  DrawString(text);
}

void DrawBarBeatTick(int32_t bar, int32_t beat, int32_t tick, int16_t columnWidth) {
  Str255 text;
  FormatBarBeatTick(text, bar, beat, tick);
  DrawStringRightAligned(text, columnWidth);
}

void SetTextBold() { TextFace(bold); }
