#include "platform/quickdraw/theme_text.h"

#include <algorithm>
#include <vector>

#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/qd_internal.h"
#include "platform/quickdraw/regions.h"
#include "platform/quickdraw/text.h"
#include "platform/text/mac_roman.h"
#include "platform/text/pascal_strings.h"

using namespace qd_internal;

namespace {

struct ThemeFontEntry {
  ThemeFontID id;
  short size;
  Style style;
};

constexpr ThemeFontEntry kThemeFonts[] = {
    {kThemeSystemFont, 13, normal},           {kThemeSmallSystemFont, 11, normal},
    {kThemeSmallEmphasizedSystemFont, 11, bold}, {kThemeViewsFont, 12, normal},
    {kThemeEmphasizedSystemFont, 13, bold},   {kThemeApplicationFont, 13, normal},
    {kThemeLabelFont, 10, normal},            {kThemeSystemFontDetail, 10, normal},
    {kThemeSystemFontDetailEmphasized, 10, bold}, {kThemeMenuTitleFont, 13, normal},
    {kThemeMenuItemFont, 13, normal},         {kThemeMenuItemMarkFont, 13, normal},
    {kThemeMenuItemCmdKeyFont, 13, normal},   {kThemeWindowTitleFont, 13, normal},
    {kThemePushButtonFont, 13, normal},       {kThemeUtilityWindowTitleFont, 11, normal},
    {kThemeAlertHeaderFont, 13, bold},        {kThemeToolbarFont, 11, normal},
    {kThemeMiniSystemFont, 9, normal},
};

constexpr char32_t kEllipsis = U'\u2026';
constexpr unsigned char kMacRomanEllipsis = 0xC9;
constexpr UInt16 kInactiveGrey = 0x7F7F;

std::u32string CodePoints(CFStringRef s) {
  std::u32string out;
  CFIndex n = s ? CFStringGetLength(s) : 0;
  if (n <= 0) return out;
  std::vector<UniChar> units(static_cast<size_t>(n));
  CFStringGetCharacters(s, CFRangeMake(0, n), units.data());
  for (size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    }
    out.push_back(c);
  }
  return out;
}

struct ThemeSpec {
  short font = 0;
  short size = 13;
  Style style = 0;
};

int Width(const ThemeSpec& f, const std::u32string& s) {
  return MeasureCodePoints(f.font, f.size, f.style, s.data(), s.size());
}

// Cuts text to width with an ellipsis; false when it already fitted.
bool Truncate(const ThemeSpec& f, std::u32string* s, int width, TruncCode where) {
  if (Width(f, *s) <= width) return false;
  std::u32string text = *s;
  const std::u32string ell(1, kEllipsis);
  if (Width(f, ell) > width) {
    s->clear();
    return true;
  }
  size_t keep = text.size();
  while (keep > 0) {
    --keep;
    std::u32string candidate;
    if (where == truncMiddle) {
      size_t head = (keep + 1) / 2, tail = keep - head;
      candidate = text.substr(0, head) + ell + text.substr(text.size() - tail);
    } else {
      candidate = text.substr(0, keep) + ell;
    }
    if (Width(f, candidate) <= width) {
      *s = candidate;
      return true;
    }
  }
  *s = ell;
  return true;
}

// Lines of the text: split at returns and, when wrapping, before words that would pass the width.
std::vector<std::u32string> Lines(const ThemeSpec& f, const std::u32string& text, bool wrap, int width) {
  std::vector<std::u32string> lines;
  std::u32string para;
  auto flush = [&](const std::u32string& p) {
    if (!wrap || width <= 0) {
      lines.push_back(p);
      return;
    }
    std::u32string line;
    size_t i = 0;
    while (i <= p.size()) {
      size_t end = p.find(U' ', i);
      if (end == std::u32string::npos) end = p.size();
      std::u32string word = p.substr(i, end - i);
      std::u32string trial = line.empty() ? word : line + U' ' + word;
      if (Width(f, trial) <= width || line.empty()) {
        line = trial;
      } else {
        lines.push_back(line);
        line = word;
      }
      // A single word wider than the box is broken by characters.
      while (Width(f, line) > width && line.size() > 1) {
        size_t cut = line.size() - 1;
        while (cut > 1 && Width(f, line.substr(0, cut)) > width) --cut;
        lines.push_back(line.substr(0, cut));
        line = line.substr(cut);
      }
      i = end + 1;
    }
    lines.push_back(line);
  };
  for (char32_t c : text) {
    if (c == U'\r' || c == U'\n') {
      flush(para);
      para.clear();
    } else {
      para.push_back(c);
    }
  }
  flush(para);
  return lines;
}

}  // namespace

OSStatus GetThemeFontSpec(ThemeFontID fontID, SInt16* outFont, SInt16* outSize, Style* outStyle) {
  ThemeSpec fontSpec;
  if (fontID == kThemeCurrentPortFont) {
    CGrafPtr port = CurrentPort();
    fontSpec = ThemeSpec{port->txFont, short(port->txSize <= 0 ? 12 : port->txSize), port->txFace};
  } else {
    auto it = std::find_if(std::begin(kThemeFonts), std::end(kThemeFonts),
                           [fontID](const ThemeFontEntry& e) { return e.id == fontID; });
    if (it == std::end(kThemeFonts)) return paramErr;
    fontSpec = ThemeSpec{systemFont, it->size, it->style};
  }
  if (outFont) *outFont = fontSpec.font;
  if (outSize) *outSize = fontSpec.size;
  if (outStyle) *outStyle = fontSpec.style;
  return noErr;
}

OSStatus GetThemeFont(ThemeFontID fontID, ScriptCode, Str255 outFontName, SInt16* outFontSize,
                      Style* outStyle) {
  SInt16 font = 0;
  OSStatus err = GetThemeFontSpec(fontID, &font, outFontSize, outStyle);
  if (err == noErr && outFontName) GetFontName(font, outFontName);
  return err;
}

namespace {

bool SpecFor(ThemeFontID id, ThemeSpec* fontSpec) {
  return GetThemeFontSpec(id, &fontSpec->font, &fontSpec->size, &fontSpec->style) == noErr;
}

}  // namespace

OSStatus GetThemeTextDimensions(CFStringRef inString, ThemeFontID inFontID, ThemeDrawState,
                                Boolean inWrapToWidth, Point* ioBounds, SInt16* outBaseline) {
  ThemeSpec fontSpec;
  if (!ioBounds || !SpecFor(inFontID, &fontSpec)) return paramErr;
  FontInfo fi;
  GetFontInfoFor(fontSpec.font, fontSpec.size, fontSpec.style, &fi);
  auto lines = Lines(fontSpec, CodePoints(inString), inWrapToWidth, ioBounds->h);
  int widest = 0;
  for (const auto& line : lines) widest = std::max(widest, Width(fontSpec, line));
  int lineHeight = fi.ascent + fi.descent + fi.leading;
  int height = int(lines.size()) * lineHeight - fi.leading;
  ioBounds->h = short(widest);
  ioBounds->v = short(std::min(height, 32767));
  if (outBaseline) *outBaseline = short(-fi.ascent);
  return noErr;
}

OSStatus DrawThemeTextBox(CFStringRef inString, ThemeFontID inFontID, ThemeDrawState inState,
                          Boolean inWrapToWidth, const Rect* inBoundingBox, SInt16 inJust, void*) {
  ThemeSpec fontSpec;
  if (!inBoundingBox || !SpecFor(inFontID, &fontSpec)) return paramErr;
  CGrafPtr port = CurrentPort();
  const Rect& box = *inBoundingBox;
  int boxWidth = box.right - box.left;
  FontInfo fi;
  GetFontInfoFor(fontSpec.font, fontSpec.size, fontSpec.style, &fi);
  auto lines = Lines(fontSpec, CodePoints(inString), inWrapToWidth, boxWidth);
  if (!inWrapToWidth && !lines.empty())
    for (auto& line : lines) Truncate(fontSpec, &line, boxWidth, truncEnd);

  RgnHandle savedClip = NewRgn(), boxRgn = NewRgn();
  GetClip(savedClip);
  RectRgn(boxRgn, &box);
  SectRgn(savedClip, boxRgn, boxRgn);
  SetClip(boxRgn);
  RGBColor savedFg = port->rgbFgColor;
  Point savedPen = port->pnLoc;
  short savedMode = port->txMode;
  port->txMode = srcOr;
  if (inState == kThemeStateInactive) port->rgbFgColor = RGBColor{kInactiveGrey, kInactiveGrey, kInactiveGrey};

  int lineHeight = fi.ascent + fi.descent + fi.leading;
  int baseline = box.top + fi.ascent;
  for (const auto& line : lines) {
    int w = Width(fontSpec, line), x = box.left;
    if (inJust == teCenter) x = box.left + (boxWidth - w) / 2;
    if (inJust == teFlushRight) x = box.right - w;
    MoveTo(short(x), short(baseline));
    DrawCodePoints(fontSpec.font, fontSpec.size, fontSpec.style, line.data(), line.size());
    baseline += lineHeight;
    if (baseline - fi.ascent >= box.bottom) break;
  }

  port->txMode = savedMode;
  port->rgbFgColor = savedFg;
  port->pnLoc = savedPen;
  SetClip(savedClip);
  DisposeRgn(savedClip);
  DisposeRgn(boxRgn);
  return noErr;
}

OSStatus TruncateThemeText(CFMutableStringRef inString, ThemeFontID inFontID, ThemeDrawState,
                           SInt16 inPixelWidthLimit, TruncCode inTruncWhere, Boolean* outTruncated) {
  ThemeSpec fontSpec;
  if (!inString || !SpecFor(inFontID, &fontSpec)) return paramErr;
  std::u32string text = CodePoints(inString);
  bool cut = Truncate(fontSpec, &text, inPixelWidthLimit, inTruncWhere);
  if (outTruncated) *outTruncated = cut;
  if (!cut) return noErr;
  std::vector<UniChar> units;
  for (char32_t c : text) {
    if (c >= 0x10000) {
      units.push_back(UniChar(0xD800 + ((c - 0x10000) >> 10)));
      units.push_back(UniChar(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      units.push_back(UniChar(c));
    }
  }
  CFStringDelete(inString, CFRangeMake(0, CFStringGetLength(inString)));
  CFStringAppendCharacters(inString, units.data(), CFIndex(units.size()));
  return noErr;
}

short TruncText(short width, Ptr textPtr, short* length, TruncCode truncWhere) {
  if (!textPtr || !length || *length < 0) return truncErr;
  CGrafPtr port = CurrentPort();
  ThemeSpec fontSpec{port->txFont, port->txSize, port->txFace};
  std::u32string text;
  for (short i = 0; i < *length; ++i) text.push_back(MacRomanToUnicode(static_cast<unsigned char>(textPtr[i])));
  if (!Truncate(fontSpec, &text, width, truncWhere)) return notTruncated;
  short n = 0;
  for (char32_t c : text) {
    unsigned char b = '?';
    if (c == kEllipsis)
      b = kMacRomanEllipsis;
    else
      UnicodeToMacRoman(c, &b);
    textPtr[n++] = static_cast<char>(b);
  }
  *length = n;
  return n == 0 ? truncErr : truncated;
}

short TruncateString(short width, Str255 theString, TruncCode truncWhere) {
  if (!theString) return truncErr;
  short length = theString[0];
  short result = TruncText(width, reinterpret_cast<Ptr>(theString + 1), &length, truncWhere);
  theString[0] = static_cast<unsigned char>(length);
  return result;
}
