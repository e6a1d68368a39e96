#include "editors/scale_time.h"

#include "platform/memory/memory.h"
#include "shell/base/arithmetic.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

TimeFitRequest gLastTimeFit;

// Interim: the request is kept; the editors' scale-time operation will stretch the events.
void FitSelectionToTime(uint32_t currentTime, uint32_t newTime) {
  gLastTimeFit.currentTime = currentTime;
  gLastTimeFit.newTime = newTime;
  ++gLastTimeFit.count;
}

namespace {

int32_t Scale(int32_t v, int32_t oldResolution, int32_t newResolution) {
  return MulDivRound(v, newResolution, oldResolution);
}

uint32_t ScalePosition(uint32_t tick, int32_t oldResolution, int32_t newResolution) {
  if (tick == 0) return 0;
  // A position read from a file may be any 32-bit value: no overflow around the scaling.
  int64_t t = int64_t(Scale(int32_t(tick - 1), oldResolution, newResolution)) + 1;
  return t < 1 ? 1u : t > INT32_MAX ? uint32_t(INT32_MAX) : uint32_t(t);
}

uint32_t ScaleLength(uint32_t length, uint32_t limit, int32_t oldResolution,
                     int32_t newResolution) {
  if (length == 0) return 0;
  int64_t scaled = (int64_t(length) * newResolution * 2 + oldResolution) / (2 * int64_t(oldResolution));
  if (scaled < 1) return 1;
  return scaled > limit ? limit : uint32_t(scaled);
}

}  // namespace

// Interim: stands for the editors' scale time until it exists.
void ScaleCurrentTrackToResolution(int32_t oldResolution, int32_t newResolution) {
  if (!gCurrentSong || !gCurrentTrack || oldResolution <= 0 || newResolution <= 0) return;
  TrackEntryView track(gCurrentTrack);
  track.SetTickLength(ScalePosition(track.TickLength(), oldResolution, newResolution));
  Handle list = track.EventList();
  if (!list || !IsValidHandle(list)) return;
  uint8_t* base = reinterpret_cast<uint8_t*>(HandleData(list));
  uint32_t size = uint32_t(GetHandleSize(list));
  for (uint32_t offset = 0; offset < size;) {
    uint8_t* e = base + offset;
    uint32_t length = SeqEventLengthWithin(e, size - offset);
    if (length == 0 || SeqEventTime(e) == 0) break;
    SetSeqEventTime(e, ScalePosition(SeqEventTime(e), oldResolution, newResolution));
    if (SeqEventKind(e) == kKindNote)
      SetNoteDuration(e, uint16_t(ScaleLength(GetNoteDuration(e), 0xFFFF, oldResolution,
                                              newResolution)));
    else if (SeqEventKind(e) == kKindSequenceRef)
      SetEventLongDuration(e, ScaleLength(GetEventLongDuration(e), 0xFFFFFF, oldResolution,
                                          newResolution));
    offset += length;
  }
}
