// MIDI input: the read procedure of the input port splits each packet into messages, stamps
// each with a song tick derived from its host time through the playing song's tempo map, and
// the dispatcher hands it to the real-time processors (which echo it to their thru output
// and queue it for the recorder), follows MIDI clock for tempo and collects
// system-exclusive data.
//
// The read procedure and the dispatch run on the MIDI input thread (midi_input.cpp); the
// host-time base that turns stamps into ticks is set from the main thread and the clock task
// (midi_input_time_base.cpp).
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/coremidi/midi_packets.h"
#include "sequencer/midi/coremidi_driver.h"

// The MIDI input options word: bit 0x200 = tempo from played notes; bit 0x800 set when a
// tapped tempo was taken.
extern uint16_t gMidiInputOptions;
constexpr uint16_t kInputTapTempo = 0x0200;
constexpr uint16_t kInputTempoTapped = 0x0800;
// Bit 6: tempo from a followed MIDI clock is recorded; bit 8: system-exclusive recording on;
// bit 15: note polling suspended.
extern uint16_t gMidiInputFlags;
constexpr uint16_t kInputRecordTempo = 0x0040;
constexpr uint16_t kInputRecordSysEx = 0x0100;
constexpr uint16_t kInputPollSuspended = 0x8000;
// Its value before the preferences give one.
constexpr uint16_t kInputDefaultFlags = 0x05BF;

// A pre-filter answers non-zero for a message that goes on to the processors.
using MidiPreFilter = int32_t (*)(const uint8_t* bytes, int32_t count, uint32_t tick, uint64_t hostNanos);
int32_t IsNotRealTimeStatus(const uint8_t* bytes, int32_t count, uint32_t tick, uint64_t hostNanos);
// The sync input's pre-filter, chosen for the sync source on the main thread and read on the
// MIDI input thread; IsNotRealTimeStatus unless a sync source set one.
extern std::atomic<MidiPreFilter> gSyncPreFilter;
// Offered every channel message first (the remote control); answers 0 when it consumed it.
using RemoteMidiHandler = int32_t (*)(const uint8_t* bytes, int32_t count);
extern RemoteMidiHandler gRemoteMidiHandler;

// The read procedure of the input port.
void MidiReadProc(const MIDIPacketList* list, void* readRefCon, void* connRefCon);
// One message from a connection entry (null: no entry, taken as an ordinary input).
void MidiInputDispatch(const uint8_t* bytes, int32_t count, const MidiEndpointEntry* entry,
                       uint32_t tick, uint64_t hostNanos);

// The song tick of a host time: the current song tick without a host-time base or with
// host-time stamps off; a time before the base counts from the base.
uint32_t HostTimeToTick(uint64_t hostNanos);
// Sets the base so that tick falls on host time hostNanos, plus offset milliseconds.
void SetHostTimeBaseAt(uint32_t tick, uint64_t hostNanos, int32_t offsetMilliseconds);
void ClearHostTimeBase();
// The clock's record of the base: tick fell on hostNanos. Never allocates and never waits
// (the clock task calls it); the base is computed from it by the next HostTimeToTick.
void PublishHostTimeBase(uint32_t tick, uint64_t hostNanos);

// Tenths of a beat per minute from n MIDI clock intervals summing sumNanos (24 a quarter),
// clamped to 120..4500; 0 for no interval.
int32_t TempoFromMidiClock(uint64_t sumNanos, uint32_t n);
// The tempo of two taps tapNanos apart, clamped to 120..4500; 0 when they are under 1 ms
// apart (a chord).
int32_t TempoFromTaps(uint64_t intervalNanos);
