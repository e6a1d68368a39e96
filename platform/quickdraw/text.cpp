#include "platform/quickdraw/text.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/quickdraw/font_catalog.h"
#include "platform/quickdraw/qd_internal.h"
#include "platform/text/mac_roman.h"
#include "platform/text/pascal_strings.h"

using namespace qd_internal;

namespace {

std::vector<char32_t> FromMacRoman(const unsigned char* bytes, size_t n) {
  std::vector<char32_t> out(n);
  for (size_t i = 0; i < n; ++i) out[i] = MacRomanToUnicode(bytes[i]);
  return out;
}

// Width of the text in pixels, with the style's adjustments and the port's space extra.
int RunWidth(const FontSpec& fontSpec, const char32_t* text, size_t n, Fixed spExtra) {
  long width = 0;
  for (size_t i = 0; i < n; ++i) {
    width += StyledAdvance(fontSpec, text[i]);
    if (text[i] == U' ') width += (spExtra + 0x8000) >> 16;
  }
  return int(std::clamp<long>(width, 0, 32767));
}

void FillLineBox(CGrafPtr port, int left, int right, int top, int bottom) {
  PixRegion box(left, top, right, bottom);
  PaintSource bk;  // an all-white pattern draws the background colour in patCopy
  DrawArea(port, box, bk, patCopy);
}

void DrawRun(CGrafPtr port, const FontSpec& fontSpec, const char32_t* text, size_t n) {
  int width = RunWidth(fontSpec, text, n, port->spExtra);
  Point pen = port->pnLoc;
  port->pnLoc.h = short(std::clamp(pen.h + width, -32768, 32767));
  if (port->pnVis < 0 || n == 0 || !fontSpec.face) return;
  FontMetrics m = MetricsOf(fontSpec);
  int mode = port->txMode & ~ditherCopy;
  if (mode == srcCopy) FillLineBox(port, pen.h, pen.h + width, pen.v - m.ascent, pen.v + m.descent);
  int glyphMode = mode == srcCopy ? srcOr : mode;
  PixRegion clip;
  PortDrawableArea(port, &clip);
  const PixMap& pm = port->pixMap;
  int x = PixelX(pm, pen.h), baseline = PixelY(pm, pen.v);
  for (size_t i = 0; i < n; ++i) {
    const Glyph& g = GlyphOf(fontSpec, text[i]);
    if (!g.coverage.empty())
      DrawCoverage(port, clip, x + g.left, baseline - g.top, g.coverage.data(), g.width, g.height,
                   g.width, glyphMode);
    x += StyledAdvance(fontSpec, text[i]);
    if (text[i] == U' ') x += (port->spExtra + 0x8000) >> 16;
  }
  if (fontSpec.style & underline) {
    int thickness = std::max(1, fontSpec.pixelSize / 14);
    PixRegion line(pen.h, pen.v + 1, pen.h + width, pen.v + 1 + thickness);
    PaintSource ink;
    ink.pat = Pattern{{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};
    int lineMode = (glyphMode >= srcCopy && glyphMode <= notSrcBic) ? glyphMode + patCopy : glyphMode;
    DrawArea(port, line, ink, lineMode);
  }
}

FontSpec PortFont(CGrafPtr port) {
  FontSpec fontSpec;
  ResolveFont(port->txFont, port->txSize, port->txFace, &fontSpec);
  return fontSpec;
}

}  // namespace

void TextFont(short font) { CurrentPort()->txFont = font; }
void TextFace(StyleParameter face) { CurrentPort()->txFace = Style(face); }
void TextMode(short mode) { CurrentPort()->txMode = mode; }
void TextSize(short size) { CurrentPort()->txSize = size; }
void SpaceExtra(Fixed extra) { CurrentPort()->spExtra = extra; }

void GetFNum(ConstStr255Param name, short* familyID) {
  if (!familyID) return;
  *familyID = name ? FontNumberForName(PStringToUTF8(name)) : 0;
}

void GetFontName(short familyID, Str255 name) {
  if (!name) return;
  std::string utf8 = FontNameForNumber(familyID);
  UTF8ToPString(utf8, name, 255);
}

Boolean RealFont(short fontNum, short) { return FontNumberKnown(fontNum); }

void GetFontInfoFor(short font, short size, Style face, FontInfo* info) {
  if (!info) return;
  FontSpec fontSpec;
  ResolveFont(font, size, face, &fontSpec);
  FontMetrics m = MetricsOf(fontSpec);
  info->ascent = short(m.ascent);
  info->descent = short(m.descent);
  info->leading = short(m.leading);
  info->widMax = short(m.widMax);
}

void GetFontInfo(FontInfo* info) {
  CGrafPtr port = CurrentPort();
  GetFontInfoFor(port->txFont, port->txSize, port->txFace, info);
}

short CharWidth(short ch) {
  CGrafPtr port = CurrentPort();
  char32_t cp = MacRomanToUnicode(static_cast<unsigned char>(ch));
  return short(RunWidth(PortFont(port), &cp, 1, port->spExtra));
}

short TextWidth(const void* textBuf, short firstByte, short byteCount) {
  if (!textBuf || firstByte < 0 || byteCount <= 0) return 0;
  CGrafPtr port = CurrentPort();
  auto text = FromMacRoman(static_cast<const unsigned char*>(textBuf) + firstByte, size_t(byteCount));
  return short(RunWidth(PortFont(port), text.data(), text.size(), port->spExtra));
}

short StringWidth(ConstStr255Param s) {
  if (!s) return 0;
  return TextWidth(s + 1, 0, s[0]);
}

void DrawText(const void* textBuf, short firstByte, short byteCount) {
  if (!textBuf || firstByte < 0 || byteCount <= 0) return;
  CGrafPtr port = CurrentPort();
  auto text = FromMacRoman(static_cast<const unsigned char*>(textBuf) + firstByte, size_t(byteCount));
  DrawRun(port, PortFont(port), text.data(), text.size());
}

void DrawString(ConstStr255Param s) {
  if (s) DrawText(s + 1, 0, s[0]);
}

void DrawChar(short ch) {
  unsigned char c = static_cast<unsigned char>(ch);
  DrawText(&c, 0, 1);
}

short MeasureCodePoints(short font, short size, Style face, const char32_t* text, size_t count) {
  if (!text) return 0;
  FontSpec fontSpec;
  ResolveFont(font, size, face, &fontSpec);
  return short(RunWidth(fontSpec, text, count, 0));
}

void DrawCodePoints(short font, short size, Style face, const char32_t* text, size_t count) {
  if (!text) return;
  FontSpec fontSpec;
  ResolveFont(font, size, face, &fontSpec);
  CGrafPtr port = CurrentPort();
  Fixed saved = port->spExtra;
  port->spExtra = 0;
  DrawRun(port, fontSpec, text, count);
  port->spExtra = saved;
}

void GetFontFilePath(short font, Style face, char* path, size_t capacity) {
  if (!path || capacity == 0) return;
  std::string file = FontFileFor(font, face);
  size_t n = std::min(file.size(), capacity - 1);
  std::memcpy(path, file.data(), n);
  path[n] = 0;
}
