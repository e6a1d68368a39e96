#include "shell/drawing/wrapped_text.h"

#include <algorithm>

#include "platform/quickdraw/quickdraw.h"
#include "platform/quickdraw/text_layout.h"

namespace {

int16_t ClampToShort(int32_t v) { return int16_t(std::clamp<int32_t>(v, -32768, 32767)); }

int16_t ResolveJustification(int16_t justification) {
  if (justification != kJustifyDefault) return justification;
  return GetSysDirection() == 0 ? kJustifyLeft : kJustifyRight;
}

bool EndsWithLineEnd(const unsigned char* text, int32_t end) {
  return end > 0 && (text[end - 1] == '\r' || text[end - 1] == '\n');
}

// Limits the port's clip to rect while it lives.
class ClipToRect {
 public:
  explicit ClipToRect(const Rect* rect) {
    GetClip(saved_);
    RectRgn(clip_, rect);
    SectRgn(clip_, saved_, clip_);
    SetClip(clip_);
  }
  ~ClipToRect() {
    SetClip(saved_);
    DisposeRgn(saved_);
    DisposeRgn(clip_);
  }
  ClipToRect(const ClipToRect&) = delete;
  ClipToRect& operator=(const ClipToRect&) = delete;

 private:
  RgnHandle saved_ = NewRgn();
  RgnHandle clip_ = NewRgn();
};

}  // namespace

int16_t GetLineHeight(const void* text, int32_t length, int16_t lineHeight, int16_t* ascent,
                      int16_t* leading) {
  FontInfo info;
  GetFontInfo(&info);
  int16_t up = info.ascent, down = info.descent;
  if (lineHeight < 0 && text && length > 0 && IsOutline(Point{1, 1}, Point{1, 1})) {
    short yMax = 0, yMin = 0;
    if (OutlineMetrics(short(std::min<int32_t>(length, 32767)), text, Point{1, 1}, Point{1, 1},
                       &yMax, &yMin, nullptr, nullptr, nullptr) == noErr) {
      up = std::max<int16_t>(up, yMax);
      down = std::max<int16_t>(down, int16_t(-yMin));
    }
  }
  if (ascent) *ascent = up;
  if (leading) *leading = info.leading;
  if (lineHeight > 0) return lineHeight;
  return ClampToShort(int32_t(up) + down + info.leading);
}

void DrawTextLine(const void* text, int32_t start, int32_t length, int16_t left, int16_t right,
                  int16_t v, int16_t justification, bool endsParagraph) {
  if (!text || start < 0 || length <= 0) return;
  const auto* line = static_cast<const unsigned char*>(text) + start;
  short visible = short(std::min<int32_t>(VisibleLength(line, length), 32767));
  int32_t slop = int32_t(right) - left - TextWidth(line, 0, visible);
  switch (ResolveJustification(justification)) {
    case kJustifyRight:
      MoveTo(ClampToShort(left + slop), v);
      break;
    case kJustifyCenter:
      MoveTo(ClampToShort(left + slop / 2), v);
      break;
    case kJustifyFull:
      MoveTo(left, v);
      if (!endsParagraph) {
        DrawJustified(line, visible, Fixed(std::clamp<int32_t>(slop, -32768, 32767)) << 16,
                      onlyStyleRun, Point{1, 1}, Point{1, 1});
        return;
      }
      break;
    default:
      MoveTo(left, v);
      break;
  }
  DrawText(line, 0, visible);
}

int16_t DrawWrappedText(const void* text, int32_t length, const Rect* rect, int16_t justification,
                        int16_t lineHeight, int16_t* lastBaseline, int16_t* lineStep) {
  if (!text || !rect || length < 0) return 0;
  int16_t ascent = 0, leading = 0;
  int16_t step = GetLineHeight(text, length, lineHeight, &ascent, &leading);
  int32_t baseline = int32_t(rect->top) + (lineHeight > 0 ? lineHeight : ascent) + leading;
  if (lineStep) *lineStep = step;
  if (lastBaseline) *lastBaseline = ClampToShort(baseline);
  const auto* bytes = static_cast<const unsigned char*>(text);
  Fixed width = Fixed(std::max<int32_t>(0, int32_t(rect->right) - rect->left)) << 16;
  ClipToRect clip(rect);
  int16_t lines = 0;
  for (int32_t lineStart = 0; lineStart < length && lines < 32767; ++lines) {
    Fixed room = width;
    SInt32 lineEnd = 1;  // first run of the line
    StyledLineBreakCode code =
        StyledLineBreak(text, length, lineStart, length, 0, &room, &lineEnd);
    if (lineEnd <= lineStart) lineEnd = lineStart + 1;  // always move on
    bool endsParagraph = code == smBreakOverflow || EndsWithLineEnd(bytes, lineEnd);
    if (baseline - ascent < rect->bottom)
      DrawTextLine(text, lineStart, lineEnd - lineStart, rect->left, rect->right,
                   ClampToShort(baseline), justification, endsParagraph);
    if (lastBaseline) *lastBaseline = ClampToShort(baseline);
    baseline += step;
    lineStart = lineEnd;
  }
  return lines;
}

int16_t DrawWrappedPString(ConstStr255Param text, const Rect* rect, int16_t justification,
                           int16_t lineHeight, int16_t* lastBaseline, int16_t* lineStep) {
  if (!text) return 0;
  return DrawWrappedText(text + 1, text[0], rect, justification, lineHeight, lastBaseline,
                         lineStep);
}

int16_t DrawWrappedTextChars(const char* text, int32_t length, const Rect* rect,
                             int16_t justification, int16_t lineHeight, int16_t* lastBaseline,
                             int16_t* lineStep) {
  return DrawWrappedText(text, length, rect, justification, lineHeight, lastBaseline, lineStep);
}
