// MIDI output: the in-memory MIDI message every send procedure takes, the output lock that
// serialises sends to the MIDI services, the driver procedure of MIDI port outputs (a
// track's or an instrument's port and channel become a MIDISend on the client's output
// port), and sending one message to all output slots of an instrument.
#pragma once

#include <cstdint>

#include "platform/coremidi/midi_types.h"
#include "sequencer/midi/midi_short_messages.h"
#include "song/instruments/driver_procs.h"

constexpr int32_t kMidiMessageHeader = 6;
constexpr int32_t kMidiMessageMaxBytes = 249;
constexpr uint8_t kOriginOutput = 0x80;
constexpr uint8_t kOriginInput = 0;

// The record handed to driver procedures: a 6-byte header (length byte = 6 + MIDI bytes,
// origin) and the MIDI bytes.
struct MidiMessage {
  uint8_t flag = 0;
  uint8_t length = kMidiMessageHeader;
  uint8_t zero = 0;
  uint8_t origin = kOriginOutput;
  uint8_t unused[2] = {0, 0};
  uint8_t bytes[kMidiMessageMaxBytes] = {};

  uint8_t* Record() { return &flag; }
  int32_t ByteCount() const { return length > kMidiMessageHeader ? length - kMidiMessageHeader : 0; }
};
static_assert(sizeof(MidiMessage) == kMidiMessageHeader + kMidiMessageMaxBytes);

// Fills a message with a status and its data; data2 of 128 or more makes a two-byte message,
// and so do a program change and channel pressure, which carry one data byte.
void BuildMidiMessage(MidiMessage* m, uint8_t status, uint8_t data1, uint8_t data2, uint8_t origin);

// The output lock: re-entrant for the thread that holds it. A wait for it is bounded
// (kMidiOutputLockMicros); a send that cannot get the lock in time fails.
constexpr uint32_t kMidiOutputLockMicros = 200000;
bool LockMidiOutput();
void UnlockMidiOutput();

// The client's output port (set by the MIDI driver; 0 while there is none).
extern MIDIPortRef gMidiOutputPort;

// The time stamp of a send: when the MIDI services need a lead (JACK), what the clock sends
// is due at its fire's deadline plus the lead, and anything else now plus the lead, so every
// message keeps its place in time and order; without a lead (or under the manual clock), 0.
MIDITimeStamp MidiSendStamp();
// One message (a driver record) to one destination endpoint, under the output lock.
OSStatus MidiSendPacket(const uint8_t* record, MIDIEndpointRef destination);
// To port-table entry n: sets its used flag; nothing for a bad n or an absent destination.
OSStatus SendToPortIndex(const uint8_t* record, int32_t n);
// To every port whose channel mask holds the message's channel (with onlyUsed non-zero, only
// to ports that were sent to before); returns 0. The instrument table's SendToThruPorts.
int32_t SendRecordToThruPorts(uint8_t* record, int32_t onlyUsed);
// The driver procedure of MIDI port outputs: the record to the port (arg).
int32_t MidiPortDriverProc(uint8_t* record, int32_t port);
// Installs MidiPortDriverProc as the procedure of MIDI port outputs.
void InstallMidiOutputProcs();

// Builds a message and sends it through sendProc to port; a non-zero delay (a note length
// in scheduler passes) schedules the note's end that many passes later first. A null
// sendProc sends nothing. A note whose end a processor owns (noteOwner) can be ended early
// with ReleaseProcessorNotes, and its end is reported into that processor's ring.
int32_t SendMidiMessage(DriverProcId sendProc, uint8_t status, uint8_t data1, uint8_t data2,
                        uint8_t port, uint32_t delay, void* noteOwner = nullptr);
// Sends status (kind | slot channel) to every output slot of an instrument, lowest first; a
// program change goes to slot 0 only and is remembered as the instrument's program (and as
// sent); a control change is tracked into the instrument (TrackInstrumentController).
int32_t SendToInstrumentSlots(int32_t instrument, uint8_t status, uint8_t data1, uint8_t data2,
                              uint32_t delay, void* noteOwner = nullptr);
