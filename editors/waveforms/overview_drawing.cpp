#include "editors/waveforms/overview_drawing.h"

#include <algorithm>

#include "media/overview/overview_blocks.h"
#include "media/overview/overview_compute.h"
#include "media/overview/overview_track.h"
#include "media/track_audio/track_audio.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/pens.h"

namespace {

constexpr int16_t kNoColumn = INT16_MIN;

// The values of the column being walked.
struct PendingColumn {
  int16_t column = kNoColumn;
  int16_t last = kNoColumn;
  int32_t low = 256, high = -1;
};

// A column is complete: drawn when it lies at or right of the lane's left edge.
void FlushColumn(const WaveLane& lane, PendingColumn* p) {
  if (p->column == kNoColumn) return;
  if (p->column >= lane.left) {
    if (p->high >= 0) DrawOverviewColumn(lane, p->column, &p->last, p->low, p->high);
    else if (p->last != kNoColumn && p->column > p->last + 1) DrawOverviewColumn(lane, p->column, &p->last, 128, 128);
    p->last = p->column;
  }
  p->low = 256, p->high = -1;
}

// Walks the entries from index (beginning at tick) to the right tick, or the end of one
// repeat, each entry at the column of its first tick (moved on by offset ticks).
void WalkEntries(const WaveLane& lane, Handle block, int32_t index, int32_t tick, int32_t offset, int32_t endTick,
                 const OverviewSpan& span) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(*block);
  int32_t count = OverviewBlockCount(block);
  PendingColumn pending;
  for (; index < count; ++index) {
    int64_t at = int64_t(tick) + offset;
    if (at > span.rightTick || at >= endTick) break;
    const uint8_t* e = p + kOverviewHeaderBytes + index * 2;
    int16_t column = TickColumn(int32_t(at), span.leftTick, span.shift, lane.left);
    if (column != pending.column) {
      FlushColumn(lane, &pending);
      pending.column = column;
    }
    if (IsOverviewData(e)) {
      pending.low = std::min<int32_t>(pending.low, e[0]);
      pending.high = std::max<int32_t>(pending.high, e[0] + e[1]);
    }
    tick += OverviewEntryTicks(e);
  }
  FlushColumn(lane, &pending);
}

// The first entry at or after a tick of the block: its index and the tick it begins at.
int32_t FirstEntry(Handle block, int32_t firstTick, int32_t tick, bool cached, int32_t* index) {
  int32_t offset = 0;
  int32_t relative = std::max(tick - firstTick + 1, 1);
  int32_t at = cached ? FindOverviewEntryForDrawing(block, relative, &offset) : FindOverviewEntry(block, relative, &offset);
  *index = (offset - kOverviewHeaderBytes) / 2;
  return at + firstTick - 1;
}

void DrawBlock(Handle block, int32_t firstTick, const WaveLane& lane, const OverviewSpan& span, const RGBColor& colour) {
  int8_t state = HGetState(block);
  HLock(block);
  int32_t index = 0;
  int32_t tick = FirstEntry(block, firstTick, span.leftTick, firstTick == 1, &index);
  RGBForeColor(&colour);
  int32_t end = span.loopLength > 0 ? span.loopLength + 1 : INT32_MAX;
  WalkEntries(lane, block, index, tick, 0, end, span);
  if (span.loopLength > 0) {
    RGBForeColor(&kSecondWaveformColor);
    for (int64_t offset = span.loopLength; offset + firstTick <= span.rightTick; offset += span.loopLength) {
      tick = FirstEntry(block, firstTick, int32_t(std::max<int64_t>(span.leftTick - offset, 1)), false, &index);
      WalkEntries(lane, block, index, tick, int32_t(offset), int32_t(std::min<int64_t>(offset + end, INT32_MAX)), span);
    }
  }
  HSetState(block, state);
}

}  // namespace

int32_t DrawOverviewColumn(const WaveLane& lane, int16_t column, int16_t* lastColumn, int32_t low, int32_t high) {
  if (*lastColumn != kNoColumn && column > *lastColumn + 1) {
    int16_t zero = OverviewValueToY(lane, kOverviewZeroLevel);
    MoveTo(*lastColumn, zero);
    LineTo(column, zero);
  }
  MoveTo(column, OverviewValueToY(lane, low));
  LineTo(column, OverviewValueToY(lane, high));
  *lastColumn = column;
  return 1;
}

void DrawOverviewChain(Handle chain, int32_t firstTick, const Rect& r, const OverviewSpan& span, int16_t channels,
                       const RGBColor& colour) {
  int32_t lanes = channels > 0 ? channels : OverviewBlockChannels(chain);
  int32_t c = 0;
  for (Handle block = chain; block; block = OverviewBlockNext(block), ++c)
    DrawBlock(block, firstTick, ChannelLane(r, c, lanes), span, colour);
}

OSErr DrawOverviewFromAudio(const OverviewSpan& span, Handle record, const Rect& r, const RGBColor& colour) {
  Handle chain;
  OSErr err = ComputeOverviewRange(record, span.leftTick, span.rightTick + 1, &chain);
  if (err == kOverviewUnreadableFormat) return kWaveUnreadableFormat;
  if (err == kOverviewNoRegions) return kWaveNoRegions;
  if (err != noErr) return err;
  OverviewSpan once = span;
  once.loopLength = 0;
  DrawOverviewChain(chain, span.leftTick, r, once, ViewTrackAudio(record).Channels(), colour);
  DisposeOverviewBlocks(chain);
  return noErr;
}
