// Humanize: the per-event deviations, the tempo walk and the apply step.
#include "editing/transforms/humanize.h"

#include <algorithm>

#include "editing/edit_commands.h"
#include "editing/transforms/transform_frame.h"
#include "shell/base/busy_cursor.h"
#include "shell/base/random_numbers.h"
#include "song/conductor/conductor_lock_state.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/markers.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/events/utility_event_selection.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_steps.h"

HumanizeSettings gHumanizeSettings;

namespace {

constexpr int32_t kMinimumTempoStep = 8;
constexpr uint8_t kVelocityTopBit = 0x80;

bool IsEditedNote(const uint8_t* event) {
  return SeqEventKind(event) == kKindNote && EditFilterTakesEvent();
}

// The new start of the event, or its own tick when it is not moved.
uint32_t HumanizedTick(const uint8_t* event, const HumanizeSettings& s) {
  uint32_t tick = SeqEventTime(event);
  int64_t width = s.timingTicks;
  if (s.flags & kHumanizeRelativeTiming) {
    if (!IsEditedNote(event)) return tick;
    width = int64_t(GetNoteDuration(event)) * s.timingPercent / 100;
  }
  int64_t early = width * s.earlyShare / 100;
  int64_t moved = int64_t(tick) + RandomBelow(uint32_t(width)) - early;
  return uint32_t(std::clamp<int64_t>(moved, 1, kSortSentinelTime - 1));
}

void HumanizeDuration(uint8_t* note, const HumanizeSettings& s) {
  int32_t duration = GetNoteDuration(note);
  // The range is a 16-bit number; a long note keeps the widest range instead of wrapping.
  int32_t range = int32_t(std::min<int64_t>(int64_t(duration) * s.durationPercent / 100, 32767));
  int32_t changed = duration + RandomSigned(range);
  SetNoteDuration(note, uint16_t(std::clamp(changed, 1, 65535)));
}

void HumanizeVelocity(uint8_t* note, const HumanizeSettings& s) {
  uint8_t byte = note[kEventData2];
  if (byte == 0) return;
  int32_t v = (byte & 0x7F) + RandomSigned(s.velocityRange);
  v = v <= 0 ? 1 : std::min(v, 127);
  note[kEventData2] = uint8_t((byte & kVelocityTopBit) | v);
}

int32_t HumanizeEvent(uint8_t* event, void* arg) {
  const HumanizeSettings& s = *static_cast<const HumanizeSettings*>(arg);
  int32_t result = 0;
  if ((s.flags & kHumanizeTiming) && CopyFilterTakesEvent()) {
    uint32_t tick = HumanizedTick(event, s);
    if (tick != SeqEventTime(event)) {
      SetSeqEventTime(event, tick);
      result = kTransformTickMoved;
    }
  }
  bool note = (s.flags & (kHumanizeDurations | kHumanizeVelocities)) && IsEditedNote(event);
  if (note && (s.flags & kHumanizeDurations)) HumanizeDuration(event, s);
  if (note && (s.flags & kHumanizeVelocities)) HumanizeVelocity(event, s);
  return result;
}

// The random walk of tempo changes from the selection start.
void WriteTempoWalk(int32_t tempo, int32_t ticksPerBar, int32_t range) {
  const int32_t start = int32_t(gTimeSelection.start.tick);
  const int32_t end = int32_t(gTimeSelection.end.tick);
  // The whole doubled bar length (never cut to 16 bits, which left 8-tick steps for long bars).
  uint32_t span = (uint32_t(std::max(ticksPerBar, 0)) * 2u) & ~1u;
  for (int64_t t = start; t < end;) {
    SpinBusyCursorIfDue();
    int32_t d = RandomSigned(range);
    if (d != 0) {
      tempo = ClampTempo(tempo + d);
      SetTempoAt(tempo, int32_t(t));
    }
    t += std::max<uint32_t>(RandomBelow(span), kMinimumTempoStep);
  }
}

int32_t RunHumanizeStep(void* arg) {
  HumanizeSettings* s = static_cast<HumanizeSettings*>(arg);
  RunTransformInStep(kUndoKindHumanize, HumanizeTrack, s);
  if (s->flags & kHumanizeTempo) HumanizeTempo(*s);
  return 0;
}

}  // namespace

int32_t HumanizeTrack(void* settings) { return WalkTransformRange(HumanizeEvent, settings); }

void HumanizeTempo(const HumanizeSettings& s) {
  if (!HasTimeSelection()) return;
  ConductorLockState lock;
  SaveConductorLockState(&lock);
  // The selection ends before its end tick: a change at the end tick stays.
  gConductorRange[0] = int32_t(gTimeSelection.start.tick);
  gConductorRange[1] = int32_t(gTimeSelection.end.tick) - 1;
  GetConductorStateAt(gConductorRange[0]);
  int32_t tempo = int32_t(gConductorState.tempo & 0xFFFF);
  int32_t ticksPerBar = gConductorState.ticksPerBar;
  DeleteTempoChangesInRange();
  if (s.tempoTenths != 0) WriteTempoWalk(tempo, ticksPerBar, s.tempoTenths);
  RestoreConductorLockState(&lock);
  RefreshMarkers(1);
}

bool ApplyHumanize(const HumanizeSettings& settings) {
  HumanizeSettings s = settings;
  if (!RunUndoableEdit(RunHumanizeStep, &s)) return false;
  RedrawAll(0);
  return true;
}
