// Fonts for text drawing (inside platform/quickdraw): font numbers and names, the font file
// fontconfig chooses for a number and style, FreeType faces and a glyph cache.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/quickdraw/quickdraw_types.h"

namespace qd_internal {

struct Glyph {
  int advance = 0;  // whole pixels
  int left = 0;     // bitmap offset from the pen
  int top = 0;      // bitmap rows above the baseline
  int width = 0;
  int height = 0;
  std::vector<uint8_t> coverage;  // width x height, 0..255
};

struct FontMetrics {
  int ascent = 0;
  int descent = 0;
  int leading = 0;
  int widMax = 0;
};

// A font number, size and style resolved to a face; null face when no font can be loaded.
struct FontSpec {
  void* face = nullptr;  // FT_Face
  int pixelSize = 12;
  bool synthBold = false;
  bool synthItalic = false;
  Style style = 0;
};

// The face for a number and style at a size (size <= 0 gives 12); false when none loads.
bool ResolveFont(short fontNum, short size, Style style, FontSpec* out);
FontMetrics MetricsOf(const FontSpec& fontSpec);
// The glyph of a character (cached; the reference holds until the next GlyphOf call); a
// missing character gives the face's missing glyph.
const Glyph& GlyphOf(const FontSpec& fontSpec, char32_t ch);
// Advance of a character with the style's condense/extend adjustment.
int StyledAdvance(const FontSpec& fontSpec, char32_t ch);

// Font numbers and names.
short FontNumberForName(const std::string& utf8Name);
std::string FontNameForNumber(short fontNum);
bool FontNumberKnown(short fontNum);
std::string FontFileFor(short fontNum, Style style);

}  // namespace qd_internal
