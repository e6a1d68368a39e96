#include "editors/scale_time/scale_time.h"

#include <algorithm>

#include "platform/memory/memory.h"
#include "shell/base/arithmetic.h"
#include "song/conductor/conductor_map.h"
#include "song/events/event_sort.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/events/event_filter_slots.h"
#include "song/events/utility_event_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_edit_brackets.h"
#include "song/model/track_iterators.h"
#include "song/model/track_length.h"
#include "song/model/track_sections.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"

TimeFitRequest gLastTimeFit;
ScaleTimeSettings gScaleTimeSettings;

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

namespace {

constexpr uint32_t kMaxLongLength = 0xFFFFFF;

uint32_t ScaleTime(uint32_t t, const ScaleTrackStep& step) {
  int64_t scaled = int64_t(step.start) + (int64_t(t) - int64_t(step.start)) * step.numerator / step.denominator;
  return uint32_t(std::clamp<int64_t>(scaled, 1, INT32_MAX));
}

uint32_t ScaleLength(uint32_t length, uint32_t limit, const ScaleTrackStep& step) {
  return uint32_t(std::clamp<int64_t>(int64_t(length) * step.numerator / step.denominator, 1, limit));
}

bool InStep(uint32_t t, const ScaleTrackStep& step) { return t >= step.start && t < step.end; }

void ScaleEvent(uint8_t* e, const ScaleTrackStep& step) {
  SetSeqEventTime(e, ScaleTime(SeqEventTime(e), step));
  if (SeqEventKind(e) == kKindNote && GetNoteDuration(e) != 0)
    SetNoteDuration(e, uint16_t(ScaleLength(GetNoteDuration(e), 0xFFFF, step)));
  else if (SeqEventKind(e) == kKindSequenceRef && GetEventLongDuration(e) != 0)
    SetEventLongDuration(e, ScaleLength(GetEventLongDuration(e), kMaxLongLength, step));
}

int32_t ScaleSelectedTrack(void* context) {
  const auto& step = *static_cast<const ScaleTrackStep*>(context);
  ScaleTrackTime(step);
  // The sections that start in the selection follow the events.
  ScaleSections(double(step.numerator) / double(step.denominator));
  return 0;
}

// The tempo changes of the range move with the events; the map is put back in order.
void ScaleTempoChanges(const ScaleTrackStep& step) {
  uint8_t* map = GetConductorMap();
  if (!map) return;
  for (uint8_t* r = map; ConductorKind(r) != kConductorEnd; r += kConductorRecordSize) {
    ConductorRecordView record(r);
    if (record.Kind() == kConductorTempo && InStep(uint32_t(record.Tick()), step))
      record.SetTick(int32_t(ScaleTime(uint32_t(record.Tick()), step)));
  }
  SortConductorMap();
  NoteConductorMapChanged();
}

int32_t RecomputeEnd(void*) {
  ComputeTrackEnd();
  return 0;
}

}  // namespace

void ScaleTrackTime(const ScaleTrackStep& step) {
  Handle list = GetCurrentTrackEventList();
  if (!list || step.denominator <= 0 || step.numerator <= 0 || BeginTrackEdit() != noErr) return;
  auto* base = reinterpret_cast<uint8_t*>(HandleData(list));
  uint32_t size = uint32_t(GetHandleSize(list));
  for (uint32_t at = 0; at < size;) {
    uint8_t* e = base + at;
    uint32_t length = SeqEventLengthWithin(e, size - at);
    if (length == 0 || SeqEventTime(e) == 0 || SeqEventTime(e) >= step.end) break;
    if (InStep(SeqEventTime(e), step) && EventPassesFilter(gEditFilterProc, e)) ScaleEvent(e, step);
    at += length;
  }
  SortTrackEvents();
  uint32_t trackEnd = GetTrackLength();
  if (InStep(trackEnd, step)) {
    ClearTrackLengthFlag();
    StoreTrackLength(ScaleTime(trackEnd, step));
  } else {
    ComputeTrackEnd();
  }
  EndTrackEdit();
}

void ScaleTimeSelection(int16_t mode, int32_t numerator, int32_t denominator, uint16_t flags) {
  if (numerator <= 0 || denominator <= 0 || !gCurrentSong) return;
  if (!(flags & kScaleKeepsRatioOrder)) std::swap(numerator, denominator);
  ScaleTrackStep step{gTimeSelection.start.tick, gTimeSelection.end.tick, numerator, denominator};
  if (step.end <= step.start) return;
  ForEachSelectedTrackWithData(ScaleSelectedTrack, &step);
  uint32_t newEnd = std::max(ScaleTime(step.end, step), step.start + 1);
  if (mode != 0) {
    ScaleTempoChanges(step);
    StoreConductorEndTickAtLeast(int32_t(std::min<uint32_t>(newEnd, INT32_MAX)));
    if (mode & kScaleRetimesTracks) ForEachTrack(RecomputeEnd, nullptr);
  }
  SetTimeRange(step.start, newEnd);
  UpdateSongEnd();
  RedrawAll(0);
  SetSongModified();
}
