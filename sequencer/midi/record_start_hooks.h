// Recording that waits for the first note: while the recorder waits, the first note-on that
// reaches a real-time processor starts it. The processor (on the MIDI thread) takes the
// note's tick as the record start tick and asks the audio engine to start its record clock
// there: the engine moves its sample clock back by the waiting record object's offset and
// makes that object the one it records into. Filled by the audio engine; not installed, the
// record start tick is all that happens. The entry runs on the MIDI thread: it never blocks
// and never allocates.
#pragma once

#include <atomic>
#include <cstdint>

struct RecordStartHooks {
  void (*startRecordClock)();
};
extern RecordStartHooks gRecordStartHooks;

// Set by the recorder while it waits for the first note; cleared by the note that starts it.
extern std::atomic<uint8_t> gRecordWaitsForFirstNote;
// The tick of the note that started the recording.
extern std::atomic<uint32_t> gRecordStartTick;

// A note-on with this tick reached a processor: starts a waiting recording (any thread).
void StartRecordOnFirstNote(uint32_t tick);
