// What a data lane shows behind its graph: the backdrop colour, the track's notes as a
// miniature piano roll and, in the mix lanes, the track's waveform overview.
#include <algorithm>

#include "editors/lanes/lane_columns.h"
#include "editors/lanes/lane_drawing.h"
#include "editors/timeline/lane_values.h"
#include "editors/timeline/timeline_axis.h"
#include "editors/waveforms/track_waveform.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "shell/base/arithmetic.h"
#include "shell/drawing/color_helpers.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/drawing/screen_bounds.h"
#include "shell/windows/editor_panes.h"
#include "song/events/seq_event.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

namespace {

constexpr int16_t kBackdropInset = 3;
constexpr int16_t kDrumViewMode = 1;
constexpr int16_t kDrumViewMode2 = 16;

bool TrackHasEvents() {
  bool any = false;
  WalkLaneTrackEvents(GetLaneTrackEvents(), [&](const uint8_t*) { return !(any = true); });
  return any;
}

uint8_t OutputKind() { return gCurrentTrack ? TrackEntryView(gCurrentTrack).OutputKind() : 0; }

struct Roll {
  int32_t lowest = 127, rows = 1, inner = 0, rowHeight = 1;
  int16_t bottom = 0;
};

Roll MeasureRoll(const LaneTrackEvents& b) {
  Roll r;
  int32_t highest = 0;
  WalkLaneTrackEvents(b, [&](const uint8_t* e) {
    if (SeqEventKind(e) != kKindNote) return true;
    r.lowest = std::min<int32_t>(r.lowest, e[kEventData1] & 127);
    highest = std::max<int32_t>(highest, e[kEventData1] & 127);
    return true;
  });
  if (highest < r.lowest) highest = r.lowest;
  r.rows = highest - r.lowest + 1;
  if (r.rows < 4) {
    r.lowest -= 2;
    r.rows = highest - r.lowest + 3;
  }
  r.bottom = int16_t(gScratchRect.bottom - kBackdropInset);
  r.inner = std::max<int32_t>(r.bottom - (gScratchRect.top + kBackdropInset) - 3, 0);
  r.rowHeight = std::max<int32_t>(r.inner / r.rows, 1);
  return r;
}

void PaintBar(int32_t left, int32_t right, int32_t top, int32_t bottom) {
  Rect bar{ClampToQDRange(top), ClampToQDRange(left), ClampToQDRange(bottom), ClampToQDRange(std::max(right, left + 1))};
  PaintRect(&bar);
}

void PaintLongEvent(const uint8_t* e, const Roll& r) {
  RGBColor caller;
  GetForeColor(&caller);
  SetPaletteColorIfColor(e[kEventData3], false);
  int64_t start = SeqEventTime(e);
  PaintBar(TickToClampedPixel(int32_t(start)), TickToClampedPixel(ClampToTickRange(start + GetEventLongDuration(e))),
           r.bottom - 2, r.bottom);
  RGBForeColor(&caller);
}

void DrawOverviewBetween(int16_t left, int16_t right) {
  if (!gCurrentTrack || !GetTrackInsertRack()) return;
  RGBColor colour;
  RGB8ToRGBColor(gLaneBackdropColour, &colour);
  Rect saved = gScratchRect;
  gScratchRect.left = std::max(gTimelineFrame.originX, left);
  gScratchRect.right = std::min(gScratchRect.right, right);
  if (gScratchRect.left < gScratchRect.right)
    DrawTrackOverview(XToTime(gScratchRect.left), XToTime(right), gZoomLevel, kWavePassAlone, &colour);
  gScratchRect = saved;
}

}  // namespace

void DrawLaneEventBackdrop(int16_t left, int16_t right) {
  bool instrumentTrack = OutputKind() == kInstrumentTrackOutputKind;
  if (!TrackHasEvents() || (OutputKind() == kAudioTrackOutputKind && !instrumentTrack)) return;
  LaneTrackEvents b = GetLaneTrackEvents();
  Roll r = MeasureRoll(b);
  int32_t leftTick = XToTime(left), rightTick = XToTime(right);
  bool drums = gCurrentViewMode == kDrumViewMode || gCurrentViewMode == kDrumViewMode2;
  WalkLaneTrackEvents(b, [&](const uint8_t* e) {
    int64_t start = SeqEventTime(e);
    if (start > rightTick) return false;
    uint8_t kind = SeqEventKind(e);
    if (kind == kKindSequenceRef) {
      if (start + GetEventLongDuration(e) >= leftTick) PaintLongEvent(e, r);
      return true;
    }
    if (kind != kKindNote || start + GetNoteDuration(e) < leftTick) return true;  // other kinds are skipped
    int32_t x0 = TickToClampedPixel(int32_t(start));
    int32_t x1 = drums ? x0 + r.rowHeight : TickToClampedPixel(ClampToTickRange(start + GetNoteDuration(e)));
    int32_t barBottom = r.bottom - MulDivRound((e[kEventData1] & 127) - r.lowest, r.inner, r.rows);
    PaintBar(x0, x1, barBottom - r.rowHeight, barBottom);
    return true;
  });
}

void DrawLaneBackdrop(int32_t kind, int16_t left, int16_t right) {
  if (gLaneBackdropHidden) return;
  RGBColor colour;
  RGB8ToRGBColor(gLaneBackdropColour, &colour);
  if (IsColourScreen()) RGBForeColor(&colour);
  else {
    Pattern gray;
    PenPat(GetQDGlobalsGray(&gray));
  }
  bool mixLane = kind == kLaneVolumeAutomation || kind == kLanePanAutomation;
  if (OutputKind() == kInstrumentTrackOutputKind && TrackHasEvents() && mixLane) {
    DrawLaneEventBackdrop(left, right);
  } else {
    if (kind >= kFirstAutomationLane && kind <= kLaneControllerAutomation2) DrawOverviewBetween(left, right);
    if ((kind >= kLanePitchBend && kind <= kLanePolyPressure) || kind == kLanePluginParameter)
      DrawLaneEventBackdrop(left, right);
  }
  PenNormal();
  ForeColor(blackColor);
}
