#include "editors/follow/step_input.h"

#include <algorithm>
#include <cstring>

#include "editors/follow/play_cursor.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/memory/memory.h"
#include "sequencer/midi/midi_input.h"
#include "sequencer/midi/realtime_processors.h"
#include "song/conductor/timebase.h"
#include "song/events/event_lists.h"
#include "song/events/seq_event.h"
#include "song/events/step_entry_events.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/track_edit_brackets.h"
#include "song/model/track_length.h"
#include "song/model/window_redraw.h"

StepInputHooks gStepInputHooks;
uint8_t gStepChordPending = 0;
uint16_t gStepCounter = 0;

namespace {

Handle gStepList = nullptr;

// The step number as a record keeps it: one byte, so that the comparison of the take-back
// goes on working past 255 steps.
uint8_t StepByte(uint16_t step) { return uint8_t(step & 0xFF); }

int32_t HeldKeyTotal() {
  int32_t total = 0;
  for (int32_t key = 0; key < 128; ++key) total += PolledKeyCount(uint8_t(key));
  return total;
}

void RememberStepNote(const uint8_t* note) {
  if (!gStepList) gStepList = NewHandle(0);
  if (!gStepList) return;
  Size size = GetHandleSize(gStepList);
  SetHandleSize(gStepList, size + kStepRecordSize);
  if (MemError() != noErr) return;
  uint8_t* record = reinterpret_cast<uint8_t*>(HandleData(gStepList)) + size;
  std::memcpy(record, note, kStepRecordSize);
  record[kStepRecordStep] = StepByte(gStepCounter);
}

// The note enters the current track at the insertion point; false when the track has no list.
bool EnterStepNote(uint8_t pitch, uint8_t velocity) {
  if (EnsureTrackEventList() != noErr) return false;
  uint32_t start = gTimeSelection.start.tick == 0 ? 1 : gTimeSelection.start.tick;
  int32_t length = StepNoteLengthAt(int32_t(std::min<uint32_t>(start, INT32_MAX)));
  FillLongEvent(gEventTemplate, start, kKindNote, pitch & 0x7F, velocity, uint16_t(std::min(length, 0xFFFF)));
  if (BeginTrackEdit() != noErr) return false;
  OSErr err = InsertTemplateEvent(start);
  EndTrackEdit();
  if (err != noErr) return false;
  RememberStepNote(gEventTemplate);
  TrackLengthAtLeast(start + uint32_t(length));
  SetSongModified();
  gStepChordPending = 1;
  return true;
}

}  // namespace

int32_t StepNoteValueTicks() {
  int32_t ticks = gStepInputHooks.noteValueTicks ? gStepInputHooks.noteValueTicks() : gTicksPerQuarter;
  return ticks > 0 ? ticks : 1;
}

int32_t StepTicksAt(int32_t tick) {
  int32_t ticks = gStepInputHooks.swungStepTicks ? gStepInputHooks.swungStepTicks(tick) : StepNoteValueTicks();
  return ticks > 0 ? ticks : 1;
}

int32_t StepNoteLengthAt(int32_t tick) {
  int32_t ticks = gStepInputHooks.enteredNoteLength ? gStepInputHooks.enteredNoteLength(tick) : StepNoteValueTicks();
  return ticks > 0 ? ticks : 1;
}

int32_t PollStepInput() {
  EndStepChord();
  int32_t entered = 0;
  for (RealtimeProcessor* p = gRealtimeProcessors; p; p = p->next) {
    uint8_t note = 0, velocity = 0;
    while (!IsInputPollSuspended() && ReadProcessorNote(p, &note, &velocity, nullptr))
      entered += EnterStepNote(note, velocity) ? 1 : 0;
  }
  if (entered > 0) InvalidateEditorWindow();
  return entered;
}

void EndStepChord() {
  if (!gStepChordPending || HeldKeyTotal() != 0) return;
  gStepChordPending = 0;
  StepInputAdvance();
  InvalidateEditorWindow();
}

void StepInputAdvance() {
  uint32_t tick = SeqEventTime(gEventTemplate);
  if (tick == 0) tick = gTimeSelection.start.tick == 0 ? 1 : gTimeSelection.start.tick;
  int32_t at = int32_t(std::min<uint32_t>(tick, INT32_MAX));
  int32_t next = ClampToTickRange(int64_t(tick) + StepTicksAt(at));
  SetTimeRange(uint32_t(next), uint32_t(next));
  if (!IsTickVisible(next)) ScrollToShowTick(next);
  ++gStepCounter;
}

void UndoLastStep() {
  if (!gStepList || gStepCounter == 0) return;
  uint8_t last = StepByte(uint16_t(gStepCounter - 1));
  bool removed = false;
  while (GetHandleSize(gStepList) >= kStepRecordSize) {
    Size size = GetHandleSize(gStepList);
    uint8_t* record = reinterpret_cast<uint8_t*>(HandleData(gStepList)) + size - kStepRecordSize;
    if (record[kStepRecordStep] != last) break;
    uint8_t note[kLongEventSize];
    std::memcpy(note, record, kLongEventSize);
    if (BeginTrackEdit() == noErr) {
      RemoveMatchingEvent(note);
      EndTrackEdit();
      removed = true;
    }
    SetHandleSize(gStepList, size - kStepRecordSize);
  }
  gStepCounter = 0;
  if (!removed) return;
  ComputeTrackEnd();
  SetSongModified();
  InvalidateEditorWindow();
}

void ResetStepInput() {
  for (RealtimeProcessor* p = gRealtimeProcessors; p; p = p->next) {
    RingMessage m;
    while (PopMidiInputRing(p, &m)) {}
  }
  ResetPolledKeys();
  gStepChordPending = 0;
}
