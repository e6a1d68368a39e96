// The duration transform's engine.
#include "editing/transforms/duration_transform.h"

#include <algorithm>
#include <cmath>

#include "editing/edit_context.h"
#include "editing/event_cursor.h"
#include "editing/time_range_clear.h"
#include "editing/transforms/transform_frame.h"
#include "platform/memory/memory.h"
#include "song/events/event_filter_slots.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/track_length.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"

DurationSettings gDurationSettings;

namespace {

constexpr int32_t kNoNote = -1;

struct DurationWalk {
  DurationSettings s;
  uint32_t start;
  uint32_t end;
  uint32_t respaceAt;       // where the next re-spaced group goes
  int64_t previousStart;    // the previous note's own start (-1 before the first)
  int32_t lastOfPitch[128]; // byte offset of the last note of each pitch, kNoNote for none
  uint32_t latestEnd;
};

uint8_t* ListBase() { return GetCurrentTrackEventsPtr(); }

int32_t RampPercent(const DurationWalk& w, uint32_t t) {
  int64_t span = int64_t(w.end) - w.start;
  if (span <= 0) return w.s.startPercent;
  double p = w.s.startPercent + double(int64_t(t) - w.start) * (w.s.endPercent - w.s.startPercent) / double(span);
  return int32_t(std::lround(p));
}

int32_t ScaledDuration(int32_t duration, int32_t percent) {
  int64_t scaled = std::llround(double(duration) * percent / 100.0);
  return int32_t(std::clamp<int64_t>(scaled, 1, 65535));
}

// The tick of the next note the edit filter takes after event whose start lies more than the
// gap from t, before the selection end; 0 when there is none.
uint32_t NextNoteBeyondGap(uint8_t* event, uint32_t t, const DurationWalk& w) {
  Handle list = GetCurrentTrackEventList();
  uint8_t* listEnd = reinterpret_cast<uint8_t*>(HandleData(list)) + GetHandleSize(list);
  for (uint8_t* p = event + GetSeqEventLength(event); p < listEnd;) {
    uint32_t length = SeqEventLengthWithin(p, uint32_t(listEnd - p));
    uint32_t tick = SeqEventTime(p);
    if (length == 0 || tick == 0 || tick >= w.end) return 0;
    if (SeqEventKind(p) == kKindNote && int64_t(tick) - t > w.s.legatoGap &&
        EventPassesFilter(gEditFilterProc, p))
      return tick;
    p += length;
  }
  return 0;
}

// The new duration by the mode; 0 deletes the note. *alone is set when the note was only
// stretched to the selection end.
int32_t NewDuration(uint8_t* note, const DurationWalk& w, bool* alone) {
  uint32_t t = SeqEventTime(note);
  int32_t duration = GetNoteDuration(note);
  switch (w.s.mode) {
    case kDurationSet: return std::clamp(w.s.fixedLength, 0, 65535);
    case kDurationAdd: return std::clamp(duration + w.s.addedTicks, 1, 65535);
    case kDurationRamp: return ScaledDuration(duration, RampPercent(w, t));
    case kDurationPercent: return ScaledDuration(duration, w.s.fixedPercent);
    default: break;
  }
  uint32_t next = NextNoteBeyondGap(note, t, w);
  if (next != 0) return int32_t(std::min<uint32_t>(next - t, 65535));
  *alone = true;
  if (int64_t(duration) < int64_t(w.end) - t) return int32_t(std::min<uint32_t>(w.end - t, 65535));
  return duration;
}

// Moves the note to the re-space position; the position advances by the fixed length when the
// note lies nearer to the previous start + fixed length than to the previous start.
bool Respace(uint8_t* note, DurationWalk* w) {
  int64_t t = SeqEventTime(note);
  if (w->previousStart >= 0) {
    int64_t stay = std::llabs(t - w->previousStart);
    int64_t step = std::llabs(t - (w->previousStart + w->s.fixedLength));
    if (step < stay) w->respaceAt += uint32_t(std::max(w->s.fixedLength, 0));
  }
  w->previousStart = t;
  uint32_t at = std::max<uint32_t>(w->respaceAt, 1);
  if (at == uint32_t(t)) return false;
  SetSeqEventTime(note, at);
  return true;
}

// Keeps notes of one pitch apart: the previous note ends the minimum gap before this one, and
// this one lasts at least to the previous note's end.
int32_t RemoveOverlap(uint8_t* note, int32_t duration, DurationWalk* w) {
  uint8_t pitch = note[kEventData1] & 0x7F;
  uint8_t* base = ListBase();
  uint32_t t = SeqEventTime(note);
  if (w->lastOfPitch[pitch] != kNoNote) {
    uint8_t* previous = base + w->lastOfPitch[pitch];
    uint32_t previousStart = SeqEventTime(previous);
    uint64_t previousEnd = uint64_t(previousStart) + GetNoteDuration(previous);
    if (t <= previousEnd && previousStart <= t) {
      int64_t shortened = int64_t(t) - w->s.minimumGap - previousStart;
      SetNoteDuration(previous, uint16_t(std::clamp<int64_t>(shortened, 1, 65535)));
      if (uint64_t(t) + duration < previousEnd) duration = int32_t(std::min<uint64_t>(previousEnd - t, 65535));
    }
  }
  w->lastOfPitch[pitch] = int32_t(note - base);
  return duration;
}

int32_t TransformDuration(uint8_t* event, void* arg) {
  DurationWalk* w = static_cast<DurationWalk*>(arg);
  // Only note-ons carry a duration: other records are never written.
  if (SeqEventKind(event) != kKindNote || !EditFilterTakesEvent()) return 0;
  bool alone = false;
  int32_t duration = NewDuration(event, *w, &alone);
  if (duration == 0) {
    DeleteCursorEvent(false);
    return 0;
  }
  int32_t result = 0;
  if (!alone && (w->s.flags & kDurationRespace) && Respace(event, w)) result = kTransformTickMoved;
  if (!alone && (w->s.flags & kDurationRemoveOverlaps)) duration = RemoveOverlap(event, duration, w);
  SetNoteDuration(event, uint16_t(duration));
  w->latestEnd = std::max<uint32_t>(w->latestEnd, SeqEventTime(event) + uint32_t(duration));
  return result;
}

DurationSettings EffectiveSettings(const DurationSettings& settings) {
  DurationSettings s = settings;
  if (s.endPercent < 0) s.endPercent = s.startPercent;
  return s;
}

int32_t DurationTrackStep(void* settings) {
  DurationTransform(*static_cast<const DurationSettings*>(settings));
  return 0;
}

int32_t RunDurationStep(void* settings) {
  RunTransformInStep(kUndoKindDuration, DurationTrackStep, settings);
  return 0;
}

}  // namespace

void DurationTransform(const DurationSettings& settings) {
  if (!GetCurrentTrackEventList() || gTimeSelection.end.tick <= gTimeSelection.start.tick) return;
  DurationWalk w;
  w.s = EffectiveSettings(settings);
  w.start = gTimeSelection.start.tick;
  w.end = gTimeSelection.end.tick;
  w.respaceAt = w.start;
  // The first event of the selection is the "previous start" of the first note.
  uint8_t* first = TargetCurrentTrack();
  w.previousStart = first ? int64_t(SeqEventTime(first)) : -1;
  std::fill(std::begin(w.lastOfPitch), std::end(w.lastOfPitch), kNoNote);
  w.latestEnd = 0;
  // Re-spacing moves the notes, so the walk sorts the list.
  WalkTransformRange(TransformDuration, &w);
  if (w.latestEnd > 0) UpdateTrackEnd(w.latestEnd);
  SetSongModified();
}

bool RunDurationTransform(const DurationSettings& settings) {
  DurationSettings s = settings;
  if (!RunUndoableEdit(RunDurationStep, &s)) return false;
  RedrawAll(0);
  return true;
}
