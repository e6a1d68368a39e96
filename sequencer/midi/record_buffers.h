// Recording MIDI into a processor's record buffer: incoming messages become SeqEvent records
// (short events of 8 bytes, notes of 14 bytes with the duration paired from note-on and
// note-off, system-exclusive blocks). While a key is down its note is an open note (kind
// 0x60) linked into the processor's open-note list; the note-off turns it into a note.
//
// Everything here runs on the main thread except AppendSysExRecord, which the MIDI read
// thread calls: it only queues the completed block, and the main thread writes it into the
// buffer (TakeQueuedSysExBlocks, also run by the record pump). Every write checks the room
// for the whole record first; a full buffer sets error bit 2 of the processor.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/memory/mac_types.h"
#include "sequencer/midi/realtime_processors.h"

// The record filter and state bits of gMidiInputFlags (midi_input.h).
constexpr uint16_t kRecordNotes = 0x0001;
constexpr uint16_t kRecordPolyPressure = 0x0002;
constexpr uint16_t kRecordControllers = 0x0004;  // controllers other than 1
constexpr uint16_t kRecordPrograms = 0x0008;
constexpr uint16_t kRecordChannelPressure = 0x0010;
constexpr uint16_t kRecordPitchBend = 0x0020;
constexpr uint16_t kRecordModulation = 0x0080;   // controller 1
constexpr uint16_t kRecordTrackFlagsAtPunch = 0x0400;
constexpr uint16_t kRecordOutsideRangeOnly = 0x0800;  // nothing is recorded inside the range
constexpr uint16_t kRecordWaitFirstEvent = 0x1000;    // the first event's tick - 1 starts it
constexpr uint16_t kRecordNoFlagChanges = 0x2000;     // no flag changes at punch in and out
constexpr uint16_t kRecordMadeEvent = 0x4000;         // the last call produced an event
constexpr uint16_t kRecordPunchedIn = 0x8000;

// Open-note records: kind 0x60 | channel, the u32 link at +6 is the offset + 1 of the next
// open note in the buffer (0: the last), key at +12, velocity at +13.
constexpr uint8_t kKindOpenNote = 0x60;
constexpr int32_t kOpenNoteLink = 6;
constexpr int32_t kOpenNoteKey = 12;
constexpr int32_t kOpenNoteVelocity = 13;

// A note still held when a cycle merge took it into the track: the note layout (key at +6,
// velocity at +7, duration at +12) with this kind; the note-off that comes after the cycle
// restart turns it into a note (kind 0x90) with its duration.
constexpr uint8_t kKindHeldNote = 0x70;

// The end of the record range (ticks; the start is gRecordStartTick, record_start_hooks.h).
extern std::atomic<uint32_t> gRecordEndTick;
// Set when something was recorded into a record buffer (the record pass clears it).
extern std::atomic<uint8_t> gSomethingRecorded;
// Set by the record pass while the first note played in the count-in's last moments may
// start the recording (record_pump).
extern std::atomic<uint8_t> gRecordWaitsForCountIn;
// The clock's bar when the recorder last punched in.
extern uint32_t gPunchInBar;
// The latest tick of a message the pump took.
extern uint32_t gRecordReachedTick;

// The record-filter bit of a channel message (controller 1 has a bit of its own); 0 for
// other messages.
uint16_t RecordClassBit(uint8_t status, uint8_t data1);
// Whether tick lies in the record range [gRecordStartTick, gRecordEndTick) (any thread).
bool IsInRecordRange(uint32_t tick);

// Gives the processor a record buffer of bytes bytes (0 frees it) and empties it. -108 when
// the memory is not there (the old buffer is kept).
OSErr PrepareRecordBuffer(RealtimeProcessor* p, uint32_t bytes);
// Empties the buffer: write = start = 0, no open notes, nothing queued.
void ResetRecordBuffer(RealtimeProcessor* p);
// The buffer's first byte (null without one); valid until the handle is resized.
uint8_t* RecordBufferBytes(RealtimeProcessor* p);

// Writes one channel message (the channel replaced by outputChannel when flags has the
// rechannel bit and it is below 16); 0 when the buffer is full (nothing written), else 1.
int32_t WriteRecordedMessage(RealtimeProcessor* p, const RingMessage& message, bool pairNotes,
                             uint8_t flags, uint8_t outputChannel);
// A received song position pointer becomes the clock's song position.
void TakeSongPositionPointer(uint8_t low, uint8_t high);
// Records one ring message; 0 when the buffer is full (nothing written), else 1.
int32_t RecordInputMessage(RealtimeProcessor* p, const RingMessage& message, bool pairNotes);
// Writes the message the parser completed in p->record.parse (length 8 or 14); 1 when the
// buffer is full.
int32_t StoreParsedEvent(RealtimeProcessor* p, MidiParseState* state, int32_t length);
// The byte-stream parser with running status (files: standard MIDI files, system-exclusive
// dumps); 1 when the buffer is full.
int32_t ParseMidiByte(RealtimeProcessor* p, uint8_t byte, uint32_t tick);
// Closes a system-exclusive block the parser still has open (the end of the stream).
void CloseParsedSysEx(RealtimeProcessor* p);

// MIDI read thread: queues the block collected in p->sysex (p->sysexLength bytes after the
// 0xF0, ending with 0xF7, from tick p->sysexTick) for the record buffer; error bit 2 when the
// queue has no room for it. The collector's length is reset either way.
void AppendSysExRecord(RealtimeProcessor* p, const uint8_t* data);
// Main thread: writes the queued blocks into the buffer; a block without room is dropped
// whole (error bit 2). Answers the blocks written.
int32_t TakeQueuedSysExBlocks(RealtimeProcessor* p);

// Called repeatedly while recording: answers 1 while the caller should go on, else whether
// the clock has stopped.
int32_t RecordPump(RealtimeProcessor* p);
// Punches out when punched in: the armed tracks (and the current track) sound again. A pass
// that ends before its record end punches out this way.
void PunchOutRecording();
// Punch in and out of the armed tracks (with bit 0x400 of gMidiInputFlags): each armed
// record input's track gets flags byte (flags & andMask) | orMask.
void SetRecordTrackFlags(uint8_t flags, uint8_t andMask, uint8_t orMask);
