#include "shell/drawing/text_drawing.h"

#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/text.h"
#include "platform/quickdraw/theme_text.h"
#include "platform/text/cf_string.h"
#include "shell/drawing/scratch_rect.h"

uint16_t gDrawPrefs = 0;
int16_t gDefaultFontId = 1;
int16_t gDefaultFontSize = 10;
FontInfo gDefaultFontInfo{};

namespace {

constexpr int16_t kSmallFontId = 1;
constexpr int16_t kSmallFontSize = 9;
constexpr unsigned char kMeasureSample[] = "\4Mgjy";

bool ClassicText() { return gDrawPrefs & kDrawPrefsClassicText; }

// Width and height of the string in a theme font, and the baseline (minus the ascent).
Point ThemeStringSize(CFStringRef string, int16_t themeFont, int16_t* baseline) {
  Point size{0, 0};
  GetThemeTextDimensions(string, ThemeFontID(themeFont), kThemeStateActive, false, &size, baseline);
  return size;
}

Point ThemeTextSize(ConstStr255Param text, int16_t themeFont, int16_t* baseline) {
  CFStringRef string = CFStringCreateWithPascalString(nullptr, text, kCFStringEncodingMacRoman);
  if (!string) return Point{0, 0};
  Point size = ThemeStringSize(string, themeFont, baseline);
  CFRelease(string);
  return size;
}

}  // namespace

void GetPenLocation(Point* point) { GetPen(point); }

void SetTextFontSize(int16_t font, int16_t size) {
  TextFont(font);
  TextSize(size);
}

void RestoreDefaultTextFont() { SetTextFontSize(gDefaultFontId, gDefaultFontSize); }

void SetSmallTextFont() { SetTextFontSize(kSmallFontId, kSmallFontSize); }

void SetDefaultFontSrcCopy() {
  RestoreDefaultTextFont();
  TextMode(srcCopy);
}

void UpdateDefaultFontInfo() { GetFontInfoFor(gDefaultFontId, gDefaultFontSize, 0, &gDefaultFontInfo); }

void SetDefaultFontByName(ConstStr255Param name) {
  short font = 0;
  if (name && name[0]) GetFNum(name, &font);
  gDefaultFontId = font == 0 ? 1 : font;
}

void DrawPString(ConstStr255Param text) { DrawPStringWithThemeFont(text, kProgramThemeFont); }

void DrawPStringWithThemeFont(ConstStr255Param text, int16_t themeFont) {
  if (!text || text[0] == 0) return;
  if (ClassicText()) {
    DrawString(text);
    return;
  }
  Point pen;
  GetPen(&pen);
  CFStringRef string = CFStringCreateWithPascalString(nullptr, text, kCFStringEncodingMacRoman);
  if (!string) return;
  int16_t baseline = 0;
  Point size = ThemeStringSize(string, themeFont, &baseline);
  Rect box{int16_t(pen.v + baseline), pen.h, int16_t(pen.v + baseline + size.v), int16_t(pen.h + size.h + 1)};
  DrawThemeTextBox(string, ThemeFontID(themeFont), kThemeStateActive, false, &box, teFlushLeft, nullptr);
  CFRelease(string);
  MoveTo(int16_t(pen.h + size.h), pen.v);
}

int16_t MeasurePString(ConstStr255Param text) {
  if (!text || text[0] == 0) return 0;
  if (ClassicText()) return StringWidth(text);
  return ThemeTextSize(text, kProgramThemeFont, nullptr).h;
}

namespace {

constexpr int16_t kAlignLeft = 0;
constexpr int16_t kAlignRight = 1;

int16_t AlignedLeft(const Rect& rect, int16_t width, int16_t align) {
  if (align == kAlignLeft) return rect.left;
  if (align == kAlignRight) return int16_t(rect.right - width);
  return int16_t(rect.left + (rect.right - rect.left - width) / 2);
}

bool PortErasesText() {
  GrafPtr port = GetQDGlobalsThePort();
  return port && GetPortTextMode(port) == srcCopy;
}

}  // namespace

Point DrawThemeTextInRect(const Rect* rect, ConstStr255Param text, bool truncate, int16_t align,
                          int16_t themeFont, ThemeDrawState state) {
  if (!rect || !text || text[0] == 0) return Point{0, 0};
  if (PortErasesText()) EraseRect(rect);
  CFStringRef string = CFStringCreateWithPascalString(nullptr, text, kCFStringEncodingMacRoman);
  if (!string) return Point{0, 0};
  int16_t baseline = 0;
  Point size{0, 0};
  GetThemeTextDimensions(string, ThemeFontID(themeFont), state, false, &size, &baseline);
  int16_t boxWidth = int16_t(rect->right - rect->left);
  int16_t width = truncate && size.h > boxWidth ? boxWidth : size.h;
  int16_t left = AlignedLeft(*rect, width, align);
  Rect box{rect->top, left, rect->bottom, int16_t(left + width + 1)};
  if (!truncate) box.right = int16_t(left + size.h + 1);
  DrawThemeTextBox(string, ThemeFontID(themeFont), state, false, &box, teFlushLeft, nullptr);
  CFRelease(string);
  return size;
}

void DrawPStringRightAligned(ConstStr255Param text, bool eraseFirst, int16_t lineHeight) {
  if (lineHeight <= 0) lineHeight = GetLineMetrics(nullptr);
  if (eraseFirst) EraseRect(&gScratchRect);
  if (!text || text[0] == 0) return;
  Rect line = gScratchRect;
  if (line.bottom - line.top > lineHeight) line.top = int16_t(line.bottom - lineHeight);
  if (ClassicText()) {
    FontInfo info{};
    GetFontInfo(&info);
    MoveTo(int16_t(line.right - StringWidth(text)), int16_t(line.bottom - info.descent));
    DrawString(text);
    return;
  }
  DrawThemeTextInRect(&line, text, false, kAlignRight, kProgramThemeFont, kThemeStateActive);
}

void EraseAndDrawPStringRight(ConstStr255Param text, int16_t lineHeight) {
  DrawPStringRightAligned(text, true, lineHeight);
}

int16_t GetLineMetrics(FontInfo* info) {
  FontInfo metrics{};
  int16_t height = 0;
  if (ClassicText()) {
    GetFontInfo(&metrics);
    height = int16_t(metrics.ascent + metrics.descent + metrics.leading);
  } else {
    int16_t baseline = 0;
    Point size = ThemeTextSize(kMeasureSample, kProgramThemeFont, &baseline);
    metrics.ascent = int16_t(-baseline);
    metrics.descent = int16_t(size.v + baseline);
    metrics.leading = 1;
    height = int16_t(size.v + 1);
  }
  if (info) *info = metrics;
  return height;
}

int16_t GetDefaultFontLineHeight() {
  return int16_t(gDefaultFontInfo.ascent + gDefaultFontInfo.descent + gDefaultFontInfo.leading);
}
