#include "editors/rulers/bar_ruler.h"

#include <algorithm>

#include "editors/panes/grid_lines.h"
#include "editors/panes/pane_colours.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/text.h"
#include "sequencer/clock/time_code_format.h"
#include "shell/base/position_formats.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/drawing/row_metrics.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/drawing/text_drawing.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/conductor_time.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

EditorLayout gEditorLayout;

namespace {

constexpr int32_t kToolbarLend = 4;  // the ruler is line + 4 high

constexpr int32_t kUnlabelledZoom = 7;
constexpr int16_t kBeatTickHeight = 4;
constexpr int16_t kLabelTextInset = 2;
constexpr int16_t kPennantCut = 10;
constexpr int16_t kSongEndGap = 2;
constexpr int16_t kSmallFontSize = 12;
constexpr uint8_t kSubframeDigits = 3;  // ".ss" dropped from a time label

TimeCodeDisplayProc gTimeCodeSource = nullptr;

int32_t DecimalDigits(int32_t number) {
  int32_t n = 1;
  for (uint32_t v = uint32_t(std::max(number, 0)); v >= 10; v /= 10) ++n;
  return n;
}

void TimeLabel(int32_t tick, Str255 text) {
  TimeCodeFields f;
  FormatTimeFromStart(TickToTime(tick), &f);
  FormatSmpteTime(text, f.hours, f.minutes, f.seconds, f.frames, f.subframes);
  text[0] = uint8_t(text[0] > kSubframeDigits ? text[0] - kSubframeDigits : 0);
}

// The tick at which bar starts, leaving the walk's meter in gConductorState alone.
int32_t BarStart(int32_t bar) {
  ConductorState state;
  return BarToTickInSong(gCurrentSong, &state, bar);
}

// The beat ticks of a label: one per beat, or one per bar the label spans.
void DrawBeatTicks(int32_t bar, int32_t tick, int32_t span, int32_t rightTick, int16_t bottom) {
  bool perBar = gZoomLevel >= kUnlabelledZoom;
  int32_t count = perBar ? span : gConductorState.beatsPerBar;
  int32_t beat = std::max(gConductorState.ticksPerBeat, 1);
  for (int32_t k = 0; k < count; ++k) {
    int32_t t = perBar ? (k == 0 ? tick : BarStart(bar + k)) : OffsetTick(tick, int64_t(k) * beat);
    if (t > rightTick) break;
    int16_t x = TickToClampedPixel(t);
    MoveTo(x, int16_t(bottom - kBeatTickHeight));
    LineTo(x, int16_t(bottom - 1));
  }
}

void DrawBarLabel(int32_t bar, int32_t tick, int32_t span, int32_t leftTick, const Rect& strip) {
  int16_t x = TickToClampedPixel(tick);
  int16_t end = TickToClampedPixel(span == 1 ? OffsetTick(tick, gConductorState.ticksPerBar) : BarStart(bar + span));
  Rect frame{strip.top, x, strip.bottom, int16_t(std::min<int32_t>(end + 1, strip.right))};
  FrameRect(&frame);
  Rect label = frame;
  label.left = std::max(x, TickToClampedPixel(leftTick));
  Str255 text;
  if (IsTimeCodeDisplay()) TimeLabel(tick, text);
  else FormatNumberZeroPadded(text, bar + 1, 0);
  DrawCounterLabel(text, label);
}

}  // namespace

void LayoutEditorToolbar(const Rect& window) {
  int16_t line = gStandardLineHeight;
  // The margin is reckoned from the font's line, the strips from the standard line, which may
  // be a few pixels taller: the tool bar takes back up to kToolbarLend pixels from the ruler
  // so that its buttons fit, the ruler keeping at least one line.
  int32_t bottom = gPaneTopMargin - 2 * line - 5;
  bottom += std::clamp<int32_t>(window.top + kToolbarFullHeight - bottom, 0, kToolbarLend);
  gEditorLayout.toolbar = Rect{window.top, window.left, int16_t(bottom),
                               int16_t(std::min<int32_t>(window.right, window.left + kToolbarWidth))};
  gEditorLayout.originY = window.top;
  gEditorLayout.originX = 0;
}

Rect GetMarkerStripRect(int16_t right) {
  int16_t top = int16_t(gEditorLayout.toolbar.bottom - 1);
  return Rect{top, gEditorLayout.toolbar.left, int16_t(top + gStandardLineHeight + 3), right};
}

Rect GetMainRulerRect(int16_t right) {
  int16_t top = int16_t(GetMarkerStripRect(right).top + gStandardLineHeight + 2);
  return Rect{top, gTimelineFrame.originX, gPaneTopMargin, right};
}

void SetTimeCodeDisplaySource(TimeCodeDisplayProc proc) { gTimeCodeSource = proc; }

bool IsTimeCodeDisplay() { return gTimeCodeSource && gTimeCodeSource(); }

int16_t SizeCounterBox(Rect* rect, int32_t number) {
  Str255 eights;
  int32_t n = DecimalDigits(number);
  eights[0] = uint8_t(n);
  std::fill(eights + 1, eights + 1 + n, uint8_t('8'));
  int16_t w = StringWidth(eights);
  rect->right = int16_t(std::min<int32_t>(rect->left + w + w / 4, kQDCoordLimit));
  return w;
}

void DrawCounterLabel(ConstStr255Param text, const Rect& rect) {
  FontInfo info;
  GetFontInfo(&info);
  int16_t baseline = int16_t(rect.bottom - info.descent - (info.ascent + info.descent <= kSmallFontSize ? 1 : 0));
  MoveTo(int16_t(rect.left + kLabelTextInset), baseline);
  DrawString(text);
}

void DrawBarRuler(int16_t top, int32_t firstBar, int32_t leftTick, int32_t rightTick, int16_t bottom, int16_t right) {
  Handle map = gCurrentSong ? SongHeaderView(gCurrentSong).ConductorMap() : Handle();
  if (!map) return;
  int8_t state = HGetState(map);
  HLock(map);
  Rect strip{top, gTimelineFrame.originX, bottom, right};
  ClipRect(&strip);
  SetRulerPen();
  TextMode(srcOr);
  int32_t step = BarsPerLabel(gZoomLevel), limit = GetTimelineBarLimit();
  int32_t bar = std::max(firstBar, 0), tick = BarToTick(bar);
  uint8_t* record = SeekMeterChangeAt(tick, &gConductorState);
  for (; bar < limit && tick <= rightTick; ++bar) {
    record = AdvanceMeterChange(record, &gConductorState, tick);
    bool labelled = gZoomLevel < kUnlabelledZoom || bar % step == 0;
    int32_t span = gZoomLevel < kUnlabelledZoom ? 1 : step;
    if (labelled) {
      DrawBarLabel(bar, tick, span, leftTick, strip);
      DrawBeatTicks(bar, tick, span, rightTick, bottom);
    }
    int32_t next = OffsetTick(tick, std::max(gConductorState.ticksPerBar, 1));
    if (next == tick) break;
    tick = next;
  }
  int16_t end = TickToClampedPixel(tick);
  if (bar >= limit && end <= right) {
    MoveTo(ClampToQDRange(end + kSongEndGap), top);
    LineTo(ClampToQDRange(end + kSongEndGap), int16_t(bottom + 2));
  }
  TextFace(normal);
  TextMode(srcOr);
  HSetState(map, state);
}

void DrawMainRuler() {
  int16_t right = GetMainWindowRight();
  Rect ruler = GetMainRulerRect(right);
  if (ruler.bottom <= ruler.top || ruler.right <= ruler.left) return;
  EraseRect(&ruler);
  DrawBarRuler(ruler.top, TickToBar(gTimelineLeftTick), gTimelineLeftTick, GetTimelineRightTick(), ruler.bottom,
               right);
  ClipToPortBounds();
}

uint8_t HitTestRuler(Point mouse) {
  Rect ruler = GetMainRulerRect(GetMainWindowRight());
  gClickInRuler = PtInRect(mouse, &ruler) ? 1 : 0;
  if (gClickInRuler) HitTestBarLabel(XToTime(mouse.h), mouse);
  return gClickInRuler;
}

uint8_t HitTestBarLabel(int32_t tick, Point mouse) {
  gBarLabelHit = 0;
  if (IsTimeCodeDisplay() || !gCurrentSong) return 0;
  int32_t bar = TickToBar(tick), step = BarsPerLabel(gZoomLevel);
  if (step > 1) bar -= bar % step;
  Rect ruler = GetMainRulerRect(GetMainWindowRight());
  Rect box{ruler.top, TickToClampedPixel(BarToTick(bar)), ruler.bottom, 0};
  SizeCounterBox(&box, bar + 1);
  bool inBox = PtInRect(mouse, &box);
  bool cut = (box.right - mouse.h) + (box.bottom - mouse.v) <= kPennantCut;
  gBarLabelHit = inBox && !cut ? 255 : 0;
  return gBarLabelHit;
}
