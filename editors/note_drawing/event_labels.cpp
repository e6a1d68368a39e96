#include "editors/note_drawing/event_labels.h"

#include <algorithm>
#include <cstring>

#include "editors/note_drawing/note_boxes.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/copy_bits.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/text.h"
#include "shell/base/event_records.h"
#include "shell/base/untitled_name.h"
#include "shell/drawing/color_helpers.h"
#include "shell/drawing/row_metrics.h"
#include "shell/drawing/screen_bounds.h"
#include "shell/drawing/text_drawing.h"
#include "shell/windows/editor_panes.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

namespace {

constexpr int16_t kLabelFont = 4;
constexpr int16_t kLabelSize = 9;
constexpr int16_t kLabelStep = 9;
constexpr int32_t kDataEventName = 14;
constexpr int32_t kDataEventNameMax = 15;
constexpr int32_t kSongNameMax = 31;
constexpr int16_t kBlockNameInset = 13;
constexpr int16_t kEndGlyphInset = 10;
constexpr int16_t kGlyphSize = 11;

// The block's start and end marks, 11 by 11 one-bit images, two bytes a row.
const uint8_t kStartGlyphBits[kGlyphSize * 2] = {
    0xC0, 0x00, 0xF0, 0x00, 0xFC, 0x00, 0xFF, 0x00, 0xFF, 0xC0, 0xFF, 0xE0,
    0xFF, 0xC0, 0xFF, 0x00, 0xFC, 0x00, 0xF0, 0x00, 0xC0, 0x00};
const uint8_t kEndGlyphBits[kGlyphSize * 2] = {
    0x00, 0x60, 0x01, 0xE0, 0x07, 0xE0, 0x1F, 0xE0, 0x7F, 0xE0, 0xFF, 0xE0,
    0x7F, 0xE0, 0x1F, 0xE0, 0x07, 0xE0, 0x01, 0xE0, 0x00, 0x60};

void CopyGlyph(const uint8_t* bits, int16_t left, int16_t top) {
  BitMap glyph;
  glyph.baseAddr = Ptr(bits);
  glyph.rowBytes = 2;
  glyph.bounds = Rect{0, 0, kGlyphSize, kGlyphSize};
  Rect to{top, left, int16_t(top + kGlyphSize), int16_t(left + kGlyphSize)};
  GrafPtr port = nullptr;
  GetPort(&port);
  CopyBits(&glyph, GetPortBitMapForCopyBits(port), &glyph.bounds, &to, srcOr, nullptr);
}

Rect CurrentPaneRect() {
  Rect pane;
  GetPaneContentRect(gCurrentPaneIndex, &pane);
  return pane;
}

void ClipInside(Rect r, const Rect& pane) {
  r.left = std::max(r.left, std::max(pane.left, gTimelineFrame.originX));
  r.top = std::max(r.top, pane.top);
  r.right = std::min(r.right, pane.right);
  r.bottom = std::min(r.bottom, pane.bottom);
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  ClipRect(&r);
}

void DrawUprightName(const uint8_t* event, const Rect& label) {
  if (GetSeqEventLength(event) < uint32_t(kDataEventName + kDataEventNameMax + 1)) return;
  int32_t count = std::min<int32_t>({event[kDataEventName], kDataEventNameMax, kSysExLabelChars});
  TextFont(kLabelFont);
  TextSize(kLabelSize);
  for (int32_t i = 0; i < count; ++i) {
    MoveTo(int16_t(label.left + 3), int16_t(label.top + kLabelStep + i * kLabelStep));
    DrawChar(event[kDataEventName + 1 + i]);
  }
  RestoreDefaultTextFont();
}

// The child sequence a reference names: its song block, or null.
const uint8_t* ReferencedChild(const uint8_t* event) {
  if (!gCurrentTrack) return nullptr;
  int32_t index = ReadU16BE(event + kEventChildIndex) / 4;
  if (index >= gCurrentTrack[kTrackChildCount]) return nullptr;
  Handle song = Handle(ReadU32BE(gCurrentTrack + kTrackChildTable + index * kChildCellSize));
  return song ? reinterpret_cast<const uint8_t*>(HandleData(song)) : nullptr;
}

void BlockColour(const uint8_t* child, const RGBColor& given, RGBColor* out) {
  RGBColor own{};
  if (child) own = RGBColor{ReadU16BE(child + kSongColour), ReadU16BE(child + kSongColour + 2),
                            ReadU16BE(child + kSongColour + 4)};
  bool black = own.red == 0 && own.green == 0 && own.blue == 0;
  if (black) *out = given;
  else if (std::memcmp(&given, &gGhostColor, sizeof given) == 0) BlendRGB(out, &own, &given, 95);
  else *out = own;
}

void BlockName(const uint8_t* child, Str255 name) {
  ConstStringPtr source = child && child[kSongName] ? child + kSongName : GetUntitledName();
  name[0] = uint8_t(std::min<int32_t>(source[0], kSongNameMax));
  std::memcpy(name + 1, source + 1, name[0]);
}

}  // namespace

void GetSysExLabelRects(int32_t tick, Rect* foot, Rect* label) {
  Rect pane = CurrentPaneRect();
  int16_t x = TickToClampedPixel(tick);
  *foot = Rect{int16_t(pane.bottom - 12), ClampToQDRange(x + 2), int16_t(pane.bottom - 7), ClampToQDRange(x + 9)};
  *label = Rect{int16_t(pane.top - 2), int16_t(foot->left - 2), int16_t(pane.bottom - 11), int16_t(foot->right + 3)};
}

Rect SequenceBlockRect(int32_t tick, const uint8_t* event) {
  Rect pane = CurrentPaneRect();
  int32_t row = ReadU16BE(event + kEventChildIndex) / 4;
  Rect block;
  block.left = std::max(TickToClampedPixel(tick), gTimelineFrame.originX);
  block.right = std::min(TickToClampedPixel(int32_t(std::min<int64_t>(int64_t(tick) + GetEventLongDuration(event), INT32_MAX))),
                         pane.right);
  block.top = ClampToQDRange(int32_t(gTimelineFrame.top) + row * kSequenceRowHeight);
  block.bottom = ClampToQDRange(int32_t(block.top) + gStandardLineHeight + 2);
  return block;
}

void DrawSysExLabel(int32_t tick, const uint8_t* event) {
  if (!gShowSysExLabels) return;
  Rect pane = CurrentPaneRect();
  if (IsColourScreen() && IsCurrentTrackSelected() && AreNotesInOneColour())
    SetOneColourFore(event[kEventFlags] & kEventSelected);
  Rect foot, label;
  GetSysExLabelRects(tick, &foot, &label);
  for (const Rect* r : {&foot, &label}) {
    EraseRect(r);
    FrameRect(r);
  }
  ClipInside(label, pane);
  DrawUprightName(event, label);
  ClipInside(pane, pane);
}

void DrawSequenceBlock(int32_t tick, const uint8_t* event, BlockPattern pattern, const RGBColor& colour) {
  Rect pane = CurrentPaneRect();
  const uint8_t* child = ReferencedChild(event);
  Rect block = SequenceBlockRect(tick, event);
  if (block.right <= block.left) return;
  ClipInside(block, Rect{int16_t(pane.top + 1), pane.left, pane.bottom, pane.right});
  EraseRect(&block);
  Str255 name;
  BlockName(child, name);
  int16_t width = MeasurePString(name);
  int16_t glyphTop = int16_t(block.top + (gStandardLineHeight - 9) / 2);
  int16_t endGlyph = int16_t(block.right - kEndGlyphInset);
  CopyGlyph(kStartGlyphBits, block.left, glyphTop);
  CopyGlyph(kEndGlyphBits, endGlyph, glyphTop);
  int16_t firstEnd = int16_t(block.left + kBlockNameInset + width);
  MoveTo(int16_t(block.left + kBlockNameInset), int16_t(block.bottom - 3));
  DrawPString(name);
  int16_t secondLeft = int16_t(endGlyph - 2 - width);
  int16_t barRight = int16_t(endGlyph - 2);
  if (secondLeft > firstEnd + 4) {  // room for the name a second time, ending at the end mark
    MoveTo(secondLeft, int16_t(block.bottom - 3));
    DrawPString(name);
    barRight = int16_t(secondLeft - 2);
  }
  Rect bar{int16_t(block.top + 2), int16_t(firstEnd + 2), int16_t(block.bottom - 2), barRight};
  RGBColor fill;
  BlockColour(child, colour, &fill);
  if (bar.right > bar.left) {
    RGBForeColor(&fill);
    Pattern gray;
    if (pattern == kGrayBlockPattern && !IsColourScreen()) FillRect(&bar, GetQDGlobalsGray(&gray));
    else PaintRect(&bar);
    ForeColor(blackColor);
  }
  FrameRect(&block);
  ClipInside(pane, pane);
}

int16_t HitTestSequenceBlock(bool act, const Rect& bounds) {
  (void)act;
  Point p = gLastMousePoint;
  if (!PtInRect(p, &bounds)) return kOutsideBlock;
  if (p.h < bounds.left + kGlyphSize) return kBlockStartMark;
  if (p.h >= bounds.right - kEndGlyphInset) return kBlockEndMark;
  return kBlockBody;
}
