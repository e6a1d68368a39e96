// Interim: services of other parts of the sequencer engine that the clock and the tick
// scheduler call (keyboard poll, the transport's stop and cycle, engine errors).
// Each keeps its final name and does the least that keeps the clock correct until its own
// part is built. The note-off report to a real-time processor is the real one.
#pragma once

#include <cstdint>

// The count-in routine and the cycle at the end of the play range have their own files.
#include "sequencer/transport/count_in.h"
#include "sequencer/transport/playback_control.h"
// The conductor's master volume (ApplyConductorVolume) has its own file.
#include "sequencer/midi/volume_controllers.h"
// The system-exclusive records of tracks (SendTrackSysEx) have their own file.
#include "sequencer/clock/sysex_sender.h"

// The note-input flags word (bit 0x200: note input wants the tick rate while stopped).
extern uint32_t gNoteInputFlags;
// The first latched engine error (0 none).
extern int16_t gLatchedEngineError;

// Keyboard poll after a fire: nothing yet.
void PollKeyboardFromClock();
// Reports a note-off to a real-time processor: {tick, note-off status, note, velocity 64}
// into its input ring (counted when the ring took it).
void ReportNoteOffToProcessor(void* processor, uint32_t tick, uint8_t status, uint8_t note);
extern uint32_t gProcessorNoteOffReports;
// Latches the first engine error and halts the ticks.
void LatchEngineError(int16_t error);
// Playback stop requested from the clock task: switches the task to the idle procedure and
// sets the end bit (0x10) of the transport flags word, which the main thread acts on.
void StopPlaybackFromClock();
// Records the host-time base for the song tick (MIDI input stamping): the tick falls on the
// deadline of the clock fire running now (the host time now elsewhere); the input side turns
// it into its base (PublishHostTimeBase).
void RecordHostTimeBase();
// The current key from the conductor map.
extern uint8_t gPlayingKey;
