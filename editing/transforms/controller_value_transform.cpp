#include "editing/transforms/controller_value_transform.h"

#include <cmath>

#include "editing/edit_context.h"
#include "editing/event_cursor.h"
#include "editing/time_range_clear.h"
#include "editing/transforms/transform_frame.h"
#include "editing/transforms/value_settings.h"
#include "platform/memory/memory.h"
#include "sequencer/transport/song_modes.h"
#include "shell/base/arithmetic.h"
#include "song/conductor/timebase.h"
#include "song/events/event_sort.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/track_edit_brackets.h"
#include "song/model/track_length.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"
#include "shell/windows/editor_panes.h"

uint8_t gValueOperation = kValueSet;
uint8_t gControllerTarget = kTargetModulation;
ControllerEditState gControllerEditState = {200, 0, 64, 64, 64, 100, kNoValueInForce, 0, 0, 0, 1};

namespace {

constexpr int32_t kSineDegreesPerStep = 15;
constexpr int32_t kSineStepsPerCycle = 24;
constexpr int32_t kNoPreviousValue = INT32_MIN;
constexpr int32_t kRampDivisor = 8;
constexpr int32_t kSineDivisor = 64;

uint8_t RunStatusKind() {
  switch (gControllerEditState.runKind) {
    case kRunChannelPressure: return kKindChannelPressure;
    case kRunPitchBend: return kKindPitchBend;
    default: return kKindController;
  }
}

int32_t RangeCents() { return gControllerEditState.bendRangeCents > 0 ? gControllerEditState.bendRangeCents : 200; }

int32_t IsRunCursorEvent() { return gCurrentEvent && IsRunEvent(gCurrentEvent) ? 1 : 0; }

uint8_t* ListEnd(Handle list) { return reinterpret_cast<uint8_t*>(HandleData(list)) + GetHandleSize(list); }

// The last event of the run at or before tick, or null.
const uint8_t* FindValueEvent(uint32_t tick) {
  Handle list = GetCurrentTrackEventList();
  if (!list) return nullptr;
  uint8_t* end = ListEnd(list);
  const uint8_t* found = nullptr;
  for (uint8_t* e = reinterpret_cast<uint8_t*>(HandleData(list)); e < end;) {
    uint32_t length = SeqEventLengthWithin(e, uint32_t(end - e));
    if (length == 0 || SeqEventTime(e) == 0 || SeqEventTime(e) > tick) break;
    if (IsRunEvent(e)) found = e;
    e += length;
  }
  return found;
}

struct ValueWriter {
  uint8_t channel = 0;
  int32_t previous = kNoPreviousValue;
  uint32_t lastTick = 0;
  bool failed = false;
};

// Appends one event of the run; a failed grow has been reported and stops the writer.
void WriteRunValue(ValueWriter* w, uint32_t tick, int32_t value) {
  if (w->failed) return;
  uint8_t event[kShortEventSize] = {};
  event[kEventStatus] = uint8_t(RunStatusKind() | w->channel);
  event[kEventData1] = gControllerEditState.runController;
  StoreRunValue(event, value);
  if (AppendChannelEvent(w->channel, tick, RunStatusKind(), event[kEventData1], event[kEventData2]) != noErr) {
    w->failed = true;
    return;
  }
  w->lastTick = tick;
}

// Values are compared as they are stored: controller values below 0 all store 0.
void WriteIfChanged(ValueWriter* w, uint32_t tick, int32_t value) {
  if (gControllerEditState.runKind != kRunPitchBend) value = ClampToMidi(value);
  if (value == w->previous) return;
  w->previous = value;
  WriteRunValue(w, tick, value);
}

// The song mode whose tracks need a value on every tick ramps in single ticks.
int32_t RampStep(int32_t divisor) {
  if (divisor == kRampDivisor && IsSongModeOne()) return 1;
  int32_t step = gTicksPerQuarter / divisor;
  return step < 1 ? 1 : step;
}

void WriteRamp(ValueWriter* w, uint32_t start, uint32_t end, int32_t from, int32_t to) {
  int32_t span = int32_t(end - start);
  auto rampAt = [&](uint32_t t) { return span == 0 ? to : from + MulDivRound(int32_t(t - start), to - from, span); };
  if (gControllerEditState.sineRamp) {
    int32_t step = RampStep(kSineDivisor);
    double amplitude = from;
    int32_t n = 0;
    for (uint32_t t = start; t <= end && !w->failed; t += uint32_t(step), ++n) {
      if (n > 0 && n % kSineStepsPerCycle == 0) amplitude = rampAt(t);
      double angle = double(n % kSineStepsPerCycle) * kSineDegreesPerStep * M_PI / 180.0;
      WriteIfChanged(w, t, int32_t(std::sin(angle) * amplitude));
    }
    return;
  }
  int32_t step = RampStep(kRampDivisor);
  for (uint32_t t = start; t <= end && !w->failed; t += uint32_t(step)) WriteIfChanged(w, t, rampAt(t));
}

int32_t ValueInForce(const uint8_t* e) {
  if (e) return ReadRunValue(e);
  return gControllerEditState.runKind == kRunPitchBend ? 0 : int32_t(kNoValueInForce);
}

void SetOrRampTrack() {
  uint32_t start = gTimeSelection.start.tick;
  uint32_t end = gTimeSelection.end.tick;
  bool ramp = gValueOperation == kValueRamp;
  const uint8_t* atEnd = FindValueEvent(end);
  const uint8_t* atStart = FindValueEvent(start);
  ValueWriter w;
  if (atEnd) w.channel = EventChannel(atEnd);
  int32_t inForce = ValueInForce(atEnd);
  gControllerEditState.valueInForce = uint32_t(inForce);
  int32_t startInForce = atStart ? ReadRunValue(atStart) : 127;
  DeleteMatchingEventsInRange(start, ramp ? end + 1 : end, IsRunCursorEvent);
  if (ramp) {
    int32_t from = int32_t(std::lround(gControllerEditState.rampStart));
    if (from < 0 && gControllerEditState.runKind != kRunPitchBend) from = startInForce;
    WriteRamp(&w, start, end, from, int32_t(std::lround(gControllerEditState.rampEnd)));
  } else {
    WriteRunValue(&w, start, int32_t(std::lround(gControllerEditState.setValue)));
  }
  if (uint32_t(inForce) != kNoValueInForce) WriteRunValue(&w, end, inForce);
  SortTrackEvents();
  if (w.lastTick) UpdateTrackEnd(w.lastTick);
}

int32_t ChangeRunEvent(uint8_t* event, void*) {
  if (!IsRunEvent(event)) return 0;
  int32_t old = ReadRunValue(event);
  int32_t v = gValueOperation == kValueAdd ? old + int32_t(std::lround(gControllerEditState.addAmount))
                                           : MulDivRound32(old, int32_t(std::lround(gControllerEditState.percent)), 100);
  StoreRunValue(event, v);
  return 0;
}

}  // namespace

int32_t CentsToBendValue(int32_t cents, int32_t rangeCents) {
  if (rangeCents <= 0) return 8192;
  int64_t v = (int64_t(cents) + rangeCents) * 8192 / rangeCents;
  return v < 0 ? 0 : v > 16383 ? 16383 : int32_t(v);
}

int32_t BendValueToCents(int32_t bend, int32_t rangeCents) {
  return int32_t(int64_t(bend) * rangeCents / 8192) - rangeCents;
}

void StoreRunValue(uint8_t* event, int32_t value) {
  switch (SeqEventKind(event)) {
    case kKindPitchBend: {
      int32_t v = CentsToBendValue(value, RangeCents());
      event[kEventData1] = uint8_t(v & 127);
      event[kEventData2] = uint8_t(v >> 7);
      break;
    }
    case kKindChannelPressure: event[kEventData1] = uint8_t(ClampToMidi(value)); break;
    default: event[kEventData2] = uint8_t(ClampToMidi(value)); break;
  }
}

int32_t ReadRunValue(const uint8_t* event) {
  switch (SeqEventKind(event)) {
    case kKindPitchBend: return BendValueToCents(event[kEventData1] + 128 * event[kEventData2], RangeCents());
    case kKindChannelPressure: return event[kEventData1];
    default: return event[kEventData2];
  }
}

bool IsRunEvent(const uint8_t* event) {
  if (SeqEventKind(event) != RunStatusKind()) return false;
  return RunStatusKind() != kKindController || event[kEventData1] == gControllerEditState.runController;
}

int32_t ControllerValueTrackStep(void*) {
  if (gValueOperation == kValueAdd || gValueOperation == kValuePercent) {
    return WalkTransformRange(ChangeRunEvent, nullptr);
  }
  if (BeginTrackEdit() != noErr) return 0;
  SetOrRampTrack();
  EndTrackEdit();
  return 0;
}

namespace {

int32_t RunOnCurrentPane(void* arg) {
  SetCurrentUndoKind(*static_cast<int32_t*>(arg));
  SetSongModified();
  ControllerValueTrackStep(nullptr);
  return 0;
}

}  // namespace

bool IsInstrumentPaneEdit() {
  return (gEditContextKind == kContextEditorNotes || gEditContextKind == kContextEditorLane) && gCurrentPaneSlot >= 1;
}

int32_t ApplyControllerValueEdit(int32_t undoKind) {
  bool once = undoKind == kUndoKindControllerValues && IsInstrumentPaneEdit();
  if (!once) return ApplyTransformToSelection(undoKind, ControllerValueTrackStep, nullptr) ? 1 : 0;
  if (!RunUndoableEdit(RunOnCurrentPane, &undoKind)) return 0;
  RedrawAll(0);
  return 1;
}
