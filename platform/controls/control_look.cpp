// Drawing primitives of the controls' look, and the controls' text fonts.
#include "platform/controls/control_look.h"

#include <algorithm>
#include <array>
#include <map>
#include <tuple>

#include "platform/text/mac_roman.h"

namespace {

std::u32string CodePoints(const std::string& macRoman, size_t count) {
  std::u32string out;
  count = std::min(count, macRoman.size());
  out.reserve(count);
  for (size_t i = 0; i < count; ++i) out.push_back(MacRomanToUnicode(UInt8(macRoman[i])));
  return out;
}

struct TextSpec {
  SInt16 font = 0;
  SInt16 size = 12;
  Style face = 0;
};

TextSpec SpecOf(ControlRef control) {
  TextSpec s;
  ControlTextFont(control, &s.font, &s.size, &s.face);
  return s;
}

SInt16 Measure(const TextSpec& s, const std::u32string& text) {
  return MeasureCodePoints(s.font, s.size, s.face, text.data(), text.size());
}

// Advance of each Mac Roman character in a font, kept for the few fonts controls use.
const std::array<int, 256>& CharWidths(const TextSpec& s) {
  static std::map<std::tuple<SInt16, SInt16, Style>, std::array<int, 256>> cache;
  auto key = std::make_tuple(s.font, s.size, s.face);
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;
  std::array<int, 256> widths{};
  for (int c = 0; c < 256; ++c) {
    char32_t cp = MacRomanToUnicode(UInt8(c));
    widths[size_t(c)] = MeasureCodePoints(s.font, s.size, s.face, &cp, 1);
  }
  return cache.emplace(key, widths).first->second;
}

int Width(const TextSpec& s, const std::string& macRoman, size_t count) {
  const std::array<int, 256>& widths = CharWidths(s);
  int total = 0;
  count = std::min(count, macRoman.size());
  for (size_t i = 0; i < count; ++i) total += widths[UInt8(macRoman[i])];
  return total;
}

void DrawAt(const TextSpec& s, const std::u32string& text, short h, short v,
            const RGBColor& color) {
  RGBForeColor(&color);
  TextMode(srcOr);
  MoveTo(h, v);
  DrawCodePoints(s.font, s.size, s.face, text.data(), text.size());
}

short AlignedLeft(const Rect& box, SInt16 width, SInt16 just) {
  if (just == teCenter) return short(box.left + (box.right - box.left - width) / 2);
  if (just == teFlushRight) return short(box.right - width);
  return box.left;
}

// Splits Mac Roman text into the lines that fit width, breaking at spaces (or anywhere in a
// word wider than the line) and at carriage returns and line feeds.
std::vector<std::string> WrapLines(const TextSpec& s, const std::string& text, int width) {
  const std::array<int, 256>& widths = CharWidths(s);
  auto w = [&](char c) { return widths[UInt8(c)]; };
  std::vector<std::string> lines;
  std::string line;
  int lineWidth = 0;
  size_t i = 0;
  while (i <= text.size()) {
    if (i == text.size() || text[i] == '\r' || text[i] == '\n') {
      lines.push_back(line);
      line.clear();
      lineWidth = 0;
      ++i;
      continue;
    }
    size_t end = i;
    while (end < text.size() && text[end] != ' ' && text[end] != '\r' && text[end] != '\n') ++end;
    if (end < text.size() && text[end] == ' ') ++end;
    int wordWidth = 0;
    for (size_t k = i; k < end; ++k) wordWidth += w(text[k]);
    if (!line.empty() && lineWidth + wordWidth > width) {
      while (!line.empty() && line.back() == ' ') line.pop_back();
      lines.push_back(line);
      line.clear();
      lineWidth = 0;
    }
    // A word wider than the line is cut where the line ends.
    size_t at = i;
    while (line.empty() && end - at > 1 && wordWidth > width) {
      size_t fit = at;
      int used = 0;
      while (fit < end && (fit == at || used + w(text[fit]) <= width)) used += w(text[fit++]);
      lines.push_back(text.substr(at, fit - at));
      wordWidth -= used;
      at = fit;
    }
    line.append(text, at, end - at);
    lineWidth += wordWidth;
    i = end;
  }
  return lines;
}

}  // namespace

void ControlTextFont(ControlRef control, SInt16* font, SInt16* size, Style* face) {
  *font = systemFont;
  *size = 12;
  *face = normal;
  const ControlFontStyleRec& fs = control->fontStyle;
  if (fs.flags & kControlUseThemeFontIDMask) {
    GetThemeFontSpec(ThemeFontID(fs.font), font, size, face);
  } else if (fs.flags & kControlUseFontMask) {
    *font = fs.font;
  }
  if (fs.flags & kControlUseSizeMask) *size = fs.size > 0 ? fs.size : *size;
  if (fs.flags & kControlAddFontSizeMask) *size = SInt16(std::max(1, *size + fs.size));
  if (fs.flags & kControlUseFaceMask) *face = Style(fs.style);
}

int ControlTextWidth(ControlRef control, const std::string& text, size_t count) {
  return Width(SpecOf(control), text, count);
}

namespace look {

void Fill(const Rect& r, const RGBColor& color) {
  RGBForeColor(&color);
  PenNormal();
  PaintRect(&r);
}

void Frame(const Rect& r, const RGBColor& color) {
  RGBForeColor(&color);
  PenNormal();
  FrameRect(&r);
}

void FillRound(const Rect& r, short oval, const RGBColor& color) {
  RGBForeColor(&color);
  PenNormal();
  PaintRoundRect(&r, oval, oval);
}

void FrameRound(const Rect& r, short oval, const RGBColor& color) {
  RGBForeColor(&color);
  PenNormal();
  FrameRoundRect(&r, oval, oval);
}

void FillOvalIn(const Rect& r, const RGBColor& color) {
  RGBForeColor(&color);
  PenNormal();
  PaintOval(&r);
}

void FrameOvalIn(const Rect& r, const RGBColor& color) {
  RGBForeColor(&color);
  PenNormal();
  FrameOval(&r);
}

void LineBetween(short h1, short v1, short h2, short v2, const RGBColor& color) {
  RGBForeColor(&color);
  PenNormal();
  MoveTo(h1, v1);
  LineTo(h2, v2);
}

void Triangle(const Rect& box, Direction direction, const RGBColor& color) {
  short w = short(box.right - box.left), h = short(box.bottom - box.top);
  short cx = short(box.left + w / 2), cy = short(box.top + h / 2);
  short half = short(std::max(2, std::min<int>(w, h) / 4));
  PolyHandle poly = OpenPoly();
  switch (direction) {
    case Direction::kUp:
      MoveTo(short(cx - half), short(cy + half / 2));
      LineTo(short(cx + half), short(cy + half / 2));
      LineTo(cx, short(cy - half / 2 - 1));
      break;
    case Direction::kDown:
      MoveTo(short(cx - half), short(cy - half / 2));
      LineTo(short(cx + half), short(cy - half / 2));
      LineTo(cx, short(cy + half / 2 + 1));
      break;
    case Direction::kLeft:
      MoveTo(short(cx + half / 2), short(cy - half));
      LineTo(short(cx + half / 2), short(cy + half));
      LineTo(short(cx - half / 2 - 1), cy);
      break;
    case Direction::kRight:
      MoveTo(short(cx - half / 2), short(cy - half));
      LineTo(short(cx - half / 2), short(cy + half));
      LineTo(short(cx + half / 2 + 1), cy);
      break;
  }
  ClosePoly();
  RGBForeColor(&color);
  PenNormal();
  PaintPoly(poly);
  KillPoly(poly);
}

SInt16 LineHeight(ControlRef control) {
  TextSpec s = SpecOf(control);
  FontInfo fi;
  GetFontInfoFor(s.font, s.size, s.face, &fi);
  return SInt16(fi.ascent + fi.descent);
}

SInt16 Ascent(ControlRef control) {
  TextSpec s = SpecOf(control);
  FontInfo fi;
  GetFontInfoFor(s.font, s.size, s.face, &fi);
  return fi.ascent;
}

void TextLine(ControlRef control, const std::string& text, const Rect& box, SInt16 just,
              const RGBColor& color) {
  TextSpec s = SpecOf(control);
  int width = box.right - box.left;
  size_t keep = text.size();
  bool cut = Width(s, text, keep) > width;
  if (cut) {
    // The longest start of the text that leaves room for the ellipsis.
    const std::array<int, 256>& widths = CharWidths(s);
    int room = width - widths[0xC9], used = 0;
    for (keep = 0; keep < text.size() && used + widths[UInt8(text[keep])] <= room; ++keep)
      used += widths[UInt8(text[keep])];
  }
  std::u32string cps = CodePoints(text, keep);
  if (cut) cps += U"\u2026";
  FontInfo fi;
  GetFontInfoFor(s.font, s.size, s.face, &fi);
  short baseline = short(box.top + (box.bottom - box.top - (fi.ascent + fi.descent)) / 2 +
                         fi.ascent);
  short left = AlignedLeft(box, Measure(s, cps), just);
  Clipped(box, [&] { DrawAt(s, cps, left, baseline, color); });
}

void VisibleRun(ControlRef control, const std::string& text, int h, int left, int right,
                size_t* first, size_t* count, int* startH) {
  const std::array<int, 256>& widths = CharWidths(SpecOf(control));
  size_t i = 0;
  while (i < text.size() && h + widths[UInt8(text[i])] <= left) h += widths[UInt8(text[i++])];
  *first = i;
  *startH = h;
  while (i < text.size() && h < right) h += widths[UInt8(text[i++])];
  *count = i - *first;
}

void TextRun(ControlRef control, const std::string& text, size_t first, size_t count, int h,
             int baseline, const RGBColor& color) {
  TextSpec s = SpecOf(control);
  std::u32string cps = CodePoints(text.substr(first, count), count);
  DrawAt(s, cps, short(std::clamp(h, -32767, 32767)), short(baseline), color);
}

void TextWrapped(ControlRef control, const std::string& text, const Rect& box, SInt16 just,
                 const RGBColor& color) {
  TextSpec s = SpecOf(control);
  FontInfo fi;
  GetFontInfoFor(s.font, s.size, s.face, &fi);
  int lineHeight = std::max(1, fi.ascent + fi.descent + fi.leading);
  auto lines = WrapLines(s, text, box.right - box.left);
  Clipped(box, [&] {
    int baseline = box.top + fi.ascent;
    for (const std::string& line : lines) {
      if (baseline - fi.ascent >= box.bottom) break;
      std::u32string cps = CodePoints(line, line.size());
      DrawAt(s, cps, AlignedLeft(box, SInt16(std::min(Width(s, line, line.size()), 32767)), just),
             short(baseline), color);
      baseline += lineHeight;
    }
  });
}

}  // namespace look
