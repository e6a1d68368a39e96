#include "shell/windows/counter_text.h"

#include <algorithm>
#include <cstdlib>

#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "platform/text/pascal_strings.h"
#include "shell/base/counter_digits.h"
#include "shell/drawing/bitmap_resources.h"

int32_t gKeySignaturePenX = 0;

namespace {

constexpr int32_t kMaxAccidentals = 7;
constexpr uint8_t kKeyPlaceMask = 0x3F, kKeyFlats = 0x40;
constexpr int16_t kBandSize = 1000;
// First staff step and step of each further accidental (wrapping by 7 above step 6).
constexpr int32_t kFlatFirstStep = 2, kFlatStep = 4;
constexpr int32_t kSharpFirstStep = 5, kSharpStep = 3;

}  // namespace

void DrawCounterDigits(Point pen, ConstStr255Param text, int16_t baseId, int16_t height, int16_t blankWidth,
                       int16_t mode) {
  int16_t h = pen.h;
  for (int32_t i = 1; i <= text[0]; ++i) {
    uint8_t ch = text[i];
    if (ch == kCounterBlankChar) {
      Rect cell{int16_t(pen.v - height), h, pen.v, int16_t(h + blankWidth)};
      EraseRect(&cell);
      h = int16_t(h + blankWidth);
    } else if (ch >= '0' && ch <= '9') {
      h = int16_t(h + DrawBitmapResource(nullptr, h, int16_t(pen.v - height), mode, int16_t(baseId + ch - '0')));
    }
  }
  MoveTo(h, pen.v);
}

void DrawCounterNumber(int32_t n) {
  Str255 text;
  NumToString(n, text);
  Point pen;
  GetPen(&pen);
  DrawCounterDigits(pen, text, kCounterDigitBitmaps, kCounterDigitHeight, kCounterDigitBlankWidth, 0);
}

void ClipToCounterBand(int16_t edge) {
  Rect band{0, edge, kBandSize, int16_t(edge + kBandSize)};
  ClipRect(&band);
}

bool PositionChanged(const uint8_t* a, const uint8_t* b, int32_t threshold) {
  if (a[4] != b[4] || a[5] != b[5] || a[6] != b[6]) return true;
  return std::abs(int32_t(a[7]) - int32_t(b[7])) > threshold;
}

int32_t LayoutKeySignature(uint8_t key, int16_t left, KeyGlyph out[7]) {
  int32_t place = key & kKeyPlaceMask;
  if (place == 0) return 0;
  bool flats = (key & kKeyFlats) != 0;
  int32_t count = std::clamp<int32_t>(flats ? 12 - place : place, 0, kMaxAccidentals);
  SetCounterDigitSpacing(count);
  int32_t step = flats ? kFlatFirstStep : kSharpFirstStep;
  int32_t x = left;
  for (int32_t i = 0; i < count; ++i) {
    out[i].bitmap = flats ? kFlatBitmap : kSharpBitmap;
    out[i].step = int16_t(step);
    out[i].left = int16_t(x);
    out[i].bottom = kStaffBaselines[step];
    x += gAccidentalSpacing;
    step += flats ? kFlatStep : kSharpStep;
    if (step > 6) step -= 7;
  }
  return count;
}

void DrawKeySignature(uint8_t key, int16_t left) {
  KeyGlyph glyphs[kMaxAccidentals];
  int32_t count = LayoutKeySignature(key, left, glyphs);
  gKeySignaturePenX = left;
  for (int32_t i = 0; i < count; ++i) {
    int16_t height = glyphs[i].bitmap == kFlatBitmap ? kFlatHeight : kSharpHeight;
    DrawBitmapResource(nullptr, glyphs[i].left, int16_t(glyphs[i].bottom - height), 0, glyphs[i].bitmap);
    gKeySignaturePenX = glyphs[i].left + gAccidentalSpacing;
  }
}

int16_t MeterNumeratorLeft(int32_t numerator, int32_t denominator) {
  return numerator > 9 && denominator <= 9 ? 48 : 52;
}
