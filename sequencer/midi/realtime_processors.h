// Real-time processors: every MIDI message that arrives is handed to one or more of them. A
// processor holds the ring of incoming messages for the recorder and for note polling, the
// held-note counters, the sustain-pedal state, a transpose, the MIDI thru output of live
// input and the system-exclusive input buffer.
//
// The ring takes messages from any number of threads at once (the MIDI read thread, the
// clock task's note-offs, the remote control, plug-in input) and never tears or loses a
// message it accepted; a full ring refuses the new message and says so in the error flags.
#pragma once

#include <atomic>
#include <cstdint>
#include <new>

#include "platform/memory/mac_types.h"
#include "platform/threads/lock_free_queue.h"
#include "song/instruments/driver_procs.h"

// One message of the ring (16 bytes): data 2 is 0xFF for a message with one data byte.
struct RingMessage {
  uint32_t tick = 0;
  uint8_t status = 0;
  uint8_t data1 = 0;
  uint8_t data2 = 0;
  uint8_t spare = 0;
  uint32_t sourceId = 0;
  uint32_t spare2 = 0;
};
static_assert(sizeof(RingMessage) == 16);

constexpr int32_t kProcessorRingSize = 256;
constexpr uint8_t kOneDataByte = 0xFF;

// The live state of a processor, kept in its state bytes (all plain bytes and words, so
// clearing the bytes resets it).
struct ProcessorState {
  DriverProcId send;            // the MIDI thru output
  uint32_t channelBits;         // bit n: a note went on on channel n since all-notes-off
  uint16_t instrument;          // the instrument's position in the table when routed
  uint8_t flags;                // below
  uint8_t outputChannel;        // 0..15; 16 and above keep each message's channel
  uint8_t port;                 // handed to the send procedure
  uint8_t routeThroughInstrument;
  uint8_t sustainDown;
  uint8_t resetByAllNotesOff;
  uint8_t arpFirstNote, arpRestart;
  uint8_t arpSlot;              // 0..7; 8 or more: none
  int8_t transpose;
  uint8_t held[128];            // held-note counters per key
  uint8_t sustained[129];       // keys held by the pedal, ended by 0
};

constexpr uint8_t kNoArpSlot = 8;

constexpr uint8_t kProcessorLive = 0x01;
constexpr uint8_t kProcessorRechannel = 0x02;
constexpr uint8_t kProcessorNoPrograms = 0x04;

constexpr uint8_t kProcessorErrorRingFull = 0x01;
constexpr uint8_t kProcessorErrorSysExFull = 0x02;
constexpr uint8_t kProcessorErrorRecordFull = 0x04;

// The byte-stream parser's state: the status (kept for running status), the data bytes
// collected, the index of the next byte in the record being built and its tick.
struct MidiParseState {
  uint8_t status = 0;
  uint8_t dataCount = 0;
  uint8_t data[2] = {};
  uint32_t index = 0;
  uint32_t tick = 0;
};

// The record buffer: SeqEvent records written at `write`, between `start` and `end` (byte
// offsets into `events`, a handle the recorder owns). Only the main thread writes it; the
// MIDI read thread hands completed system-exclusive blocks over through `sysexBlocks`.
constexpr uint32_t kNoSysExBlock = 0xFFFFFFFF;
struct RecordBuffer {
  Handle events;
  uint32_t write = 0;           // offset of the next record
  uint32_t end = 0;             // offset past the last byte records may use
  uint32_t start = 0;           // offset of the first record of the pass
  uint32_t recordedLength = 0;  // bytes recorded since the buffer was prepared
  uint32_t openNotes = 0;       // offset + 1 of the newest open note (0: none)
  std::atomic<uint8_t> busy{0}; // set while a record is half written
  uint8_t rescan = 0;           // rebuild the open-note list from the buffer before use
  uint16_t closeTrack = 0;      // track number + 1 of held notes still to be closed
  uint16_t closeCount = 0;      // how many
  uint32_t openSysEx = kNoSysExBlock;  // offset of a block the parser still has open
  MidiParseState parse;
  // Set while the buffer exists: the MIDI read thread queues system-exclusive blocks only
  // then. Blocks queued whole (counted after their last piece) and blocks taken.
  std::atomic<uint8_t> active{0};
  std::atomic<uint32_t> sysexQueued{0};
  uint32_t sysexTaken = 0;
};

// A piece of a completed system-exclusive block on its way from the MIDI read thread to the
// main thread. The first piece of a block carries its tick and its total byte count (the
// message after its 0xF0, ending with 0xF7).
constexpr int32_t kSysExPieceBytes = 52;
struct SysExPiece {
  uint32_t tick = 0;
  uint32_t total = 0;
  uint16_t count = 0;
  uint8_t first = 0;
  uint8_t last = 0;
  uint8_t bytes[kSysExPieceBytes] = {};
};
static_assert(sizeof(SysExPiece) == 64);
constexpr int32_t kSysExPieceQueueSize = 256;

// What the record pass has taken of the record buffer (the transport's record merge): the
// offset up to which records were copied out and how many, the tick up to which the track
// was merged (0: not yet this pass) and the tick range of the pending merge.
struct RecordMergeState {
  uint32_t merged = 0;
  uint32_t mergedCount = 0;
  uint32_t mergedUpTo = 0;
  uint32_t from = 0;
  uint32_t to = 0;
};

constexpr int32_t kProcessorStateBytes = int32_t((sizeof(ProcessorState) + 7) & ~size_t(7));
constexpr uint32_t kSysExBufferSize = 4096;

struct RealtimeProcessor {
  RealtimeProcessor* next = nullptr;
  // Fields the instrument table and the shell keep (run flags in bits 0-1; the high byte is
  // handed around table changes).
  uint16_t flags = 0;
  uint16_t instrument = 0;      // instrument word: index in the high byte
  uint8_t deviceKind = 0;
  uint8_t port = 0;
  uint8_t channel = 0;
  uint32_t driverProc = 0;
  int32_t trackSettings[4] = {};
  uint8_t trackNumber = 0;
  // The live state (a ProcessorState image; see StateOf).
  alignas(8) uint8_t state[kProcessorStateBytes] = {};

  std::atomic<uint32_t> highestVelocity{0};
  std::atomic<uint8_t> errorFlags{0};
  uint16_t channelFilter = 0;   // bit n: messages on channel n are ignored
  uint32_t sourceId = 0;        // 0: every source
  RingMessage current{1, 0x90, 0, 0, 0, 0, 0};  // the message being dispatched
  // System-exclusive input (the MIDI read thread only).
  uint8_t sysex[kSysExBufferSize] = {};
  uint32_t sysexLength = 0;
  uint32_t sysexTick = 0;
  uint8_t sysexComplete = 0;    // counts completed blocks (for the recorder)
  LockFreeQueue<RingMessage, kProcessorRingSize> ring;
  // Recording (record_buffers.h).
  RecordBuffer record;
  LockFreeQueue<SysExPiece, kSysExPieceQueueSize> sysexBlocks;
  RecordMergeState merge;
};

inline ProcessorState* StateOf(RealtimeProcessor* p) {
  return std::launder(reinterpret_cast<ProcessorState*>(p->state));
}

// Head of the processor chain and of the input list (the default input object first).
extern RealtimeProcessor* gRealtimeProcessors;
extern RealtimeProcessor* gMidiInputs;
// Forwards time-code quarter frames to the thru output when set.
extern uint8_t gForwardQuarterFrames;

// The live state takes the processor's output binding (send procedure, port, output channel,
// instrument) and its flags byte (the flags word's low byte).
void PublishProcessorBinding(RealtimeProcessor* p);
// Creates the default input object at start-up (once); answers it.
RealtimeProcessor* CreateDefaultInputProcessor();
// The flag byte of the first processor (its flags >> 8); -1 when there is none.
int32_t FirstRealtimeProcessorFlags();
// Points every processor routed to an instrument at or past count (when count > 0) at the last
// instrument.
void ClampRealtimeProcessorInstruments(int32_t count);
// Frees the default object and empties both lists.
void DisposeDefaultInputProcessor();

// Puts one message into the ring; false (and error bit 0) when the ring is full or the
// message is a time-code quarter frame.
bool QueueProcessorInput(RealtimeProcessor* p, const RingMessage& message);
// Takes the oldest message; false when the ring is empty.
bool PopMidiInputRing(RealtimeProcessor* p, RingMessage* out);
// Reads and clears the error flags.
uint8_t TakeProcessorErrors(RealtimeProcessor* p);

// Live processing of one message (null: the processor's current message).
void ProcessLiveInput(RealtimeProcessor* p, const RingMessage* message);
// Sends a message through the processor's output, then queues ringMessage into its ring. A
// note-on with a delay (its length) gets its note-off scheduled, owned by noteOwner when set.
void ProcessorSend(RealtimeProcessor* p, const RingMessage& ringMessage, uint8_t status,
                   uint8_t data1, uint8_t data2, uint32_t delay, void* noteOwner = nullptr);
// All-notes-off: a note-on of velocity 0 for every held key; with queueInto, a note-off for
// every held key on every flagged channel goes into its ring.
void ReleaseHeldNotes(RealtimeProcessor* p, RealtimeProcessor* queueInto);
// Note polling for step entry and dialogs. Suspended while bit 0x8000 of the input flags
// word is set (midi_input.h).
bool IsInputPollSuspended();
// Takes ring messages of a processor (null: the first) until a note-on or note-off comes out;
// a note-on answers true with its key, velocity and tick. A per-key count of held keys is
// kept (+1 on note-on, -1 on note-off, never below 0).
bool ReadProcessorNote(RealtimeProcessor* p, uint8_t* note, uint8_t* velocity, uint32_t* tick);
int32_t PolledKeyCount(uint8_t key);
// Every key's count of ReadProcessorNote back to 0.
void ResetPolledKeys();
// Drains the first processor's ring; the last note-on seen (note 0 when none). Stops early
// when polling becomes suspended.
void ReadLastInputNote(uint8_t* note, uint8_t* velocity);
// The song position for messages that plug-in instruments receive: the clock's song tick.
uint32_t GetCurrentSongPosition();
// Keys held in low..high (both 0: all); countAll false stops at the first.
int32_t CountHeldNotes(RealtimeProcessor* p, bool countAll, uint8_t low, uint8_t high);
