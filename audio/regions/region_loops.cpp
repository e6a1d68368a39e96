#include "audio/regions/region_loops.h"

#include "audio/engine/region_lookup.h"
#include "audio/regions/region_lists.h"
#include "platform/memory/byte_order.h"
#include "sequencer/transport/playback_control.h"
#include "sequencer/transport/transport_engine.h"
#include "song/conductor/sample_position.h"
#include "song/model/audio_region.h"

OSErr SplitRegionAtTicks(Handle list, uint32_t startTick, uint32_t endTick, float rate) {
  return SplitRegionAt(list, TickToSamplePosition(int32_t(startTick), rate), TickToSamplePosition(int32_t(endTick), rate));
}

OSErr PrepareRegionLoops(Handle list, float rate) {
  if (!list) return noErr;
  uint32_t start = gCycleStartPoint.tick, end = gCycleStopPoint.tick;
  if (!gCycleMode || end <= start) {
    ClearRegionMarks(list);
    return noErr;
  }
  OSErr err = SplitRegionAtTicks(list, start, end, rate);
  if (err != noErr) return err;
  int64_t regionStart = 0, regionEnd = 0;
  int32_t atEnd = FindRegionAtPosition(TickToSamplePosition(int32_t(end), rate), &regionStart, &regionEnd, list);
  if (atEnd > 0) SelectRegion(list, atEnd - 1);
  return noErr;
}
