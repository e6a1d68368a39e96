#include "editors/panes/grid_lines.h"

#include <algorithm>

#include "editors/panes/pane_colours.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/drawing/screen_bounds.h"
#include "song/conductor/timebase.h"
#include "song/model/track_length.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

namespace {

constexpr int32_t kRoomyStepPixels = 40;
constexpr int32_t kNarrowStepPixels = 9;
constexpr int32_t kLeastStepPixels = 8;
constexpr int32_t kFirstSubdivisions = 3;
constexpr int32_t kFirstIncrement = 4;

GridFlagsProc gGridFlagsSource = nullptr;
GridStep gGridStep;

void VerticalLine(int16_t x, int16_t top, int16_t bottom) {
  MoveTo(x, top);
  LineTo(x, bottom);
}

}  // namespace

void SetGridFlagsSource(GridFlagsProc proc) { gGridFlagsSource = proc; }

uint32_t GetGridFlagWord() { return gGridFlagsSource ? gGridFlagsSource() : 0; }

GridStep ChooseGridStep(int16_t zoom, const ConductorState& meter) {
  int32_t beat = std::max(meter.ticksPerBeat, 1);
  bool triplet = (GetGridFlagWord() & kGridTripletBit) != 0;
  GridStep g;
  g.ticks = std::max(triplet ? beat / 3 : beat / 4, 1);
  int64_t px = int64_t(TimeToX(OffsetTick(gTimelineLeftTick, g.ticks), gTimelineLeftTick)) - gTimelineFrame.originX;
  g.code = kFirstSubdivisions;
  int32_t inc = kFirstIncrement;
  while (px > kRoomyStepPixels && g.ticks > gSixteenthNoteTicks / 4 && g.ticks > 1) {
    px /= 2;
    g.ticks /= 2;
    g.code += inc;
    inc *= 2;
  }
  if (zoom >= 0 && px < kNarrowStepPixels) {
    if (!triplet) {
      g.ticks = std::max(beat / 2, 1);
      g.code = 1;
    }
    if ((g.ticks >> std::min<int32_t>(zoom, 30)) < kLeastStepPixels) {
      g.ticks = beat;
      g.code = 0;
    }
    px = int64_t(TimeToX(OffsetTick(gTimelineLeftTick, g.ticks), gTimelineLeftTick)) - gTimelineFrame.originX;
  }
  g.pixels = int32_t(std::clamp<int64_t>(px, 0, kQDCoordLimit));
  gGridStep = g;
  return g;
}

int32_t OffsetTick(int32_t tick, int64_t ticks) { return int32_t(std::clamp<int64_t>(tick + ticks, 1, INT32_MAX)); }

bool DrawGridLines(int32_t offset, int16_t top, int16_t bottom, int16_t rightLimit) {
  int32_t tick = OffsetTick(gTimelineLeftTick, offset);
  int16_t x = TickToClampedPixel(tick);
  if (x > rightLimit) return true;
  VerticalLine(x, top, bottom);
  if (gGridStep.code > 0) SetSubdivisionPen();
  for (int32_t k = 0; k < gGridStep.code; ++k) {
    tick = OffsetTick(tick, gGridStep.ticks);
    x = TickToClampedPixel(tick);
    if (x > rightLimit) return true;
    VerticalLine(x, top, bottom);
  }
  return false;
}

int32_t GetTimelineBarLimit() {
  if (!gCurrentSong) return 0;
  if (TestLongestTrackFlag()) return MaxBarsInTimeline();
  return int32_t(std::min<uint32_t>(SongHeaderView(gCurrentSong).Bars(), uint32_t(MaxBarsInTimeline())));
}

void DrawPaneBarLines(int32_t rightTick, int32_t firstBar, int16_t top, int16_t rightLimit, bool withBeats) {
  Handle map = gCurrentSong ? SongHeaderView(gCurrentSong).ConductorMap() : Handle();
  if (!map) return;
  int8_t state = HGetState(map);
  HLock(map);
  int32_t limit = GetTimelineBarLimit(), labelStep = BarsPerLabel(gZoomLevel);
  int32_t bar = std::max(firstBar, 0), tick = BarToTick(bar);
  if (bar > 0 && TickToClampedPixel(tick) > gTimelineFrame.originX) tick = BarToTick(--bar);
  uint8_t* record = SeekMeterChangeAt(tick, &gConductorState);
  int16_t bottom = int16_t(std::min<int32_t>(gScratchRect.bottom + 2, kQDCoordLimit));
  bool beats = withBeats;
  for (; bar < limit && tick <= rightTick; ++bar) {
    record = AdvanceMeterChange(record, &gConductorState, tick);
    int32_t numerator = gConductorState.beatsPerBar, beat = std::max(gConductorState.ticksPerBeat, 1);
    int32_t end = OffsetTick(tick, std::max(gConductorState.ticksPerBar, 1));
    int16_t left = TickToClampedPixel(tick), right = TickToClampedPixel(end);
    bool wide = right - left > numerator;
    if (!wide) beats = false;
    SetBarPen();
    if (wide || (bar + 1) % labelStep == 0) VerticalLine(right, int16_t(top - 1), bottom);
    if (beats && numerator > 0) {
      ChooseGridStep(gZoomLevel, gConductorState);
      for (int32_t b = 0; b < numerator; ++b) {
        if (b > 0) SetBeatPen();
        if (DrawGridLines(int32_t(int64_t(tick) - gTimelineLeftTick + int64_t(b) * beat), top, bottom, rightLimit)) break;
      }
    }
    if (end == tick) break;
    tick = end;
  }
  SetRulerPen();
  HSetState(map, state);
}
