// The drivers behind the layer (private to platform/coremidi). Each keeps its own state; the
// open, close and rescan calls run on the main thread or the MIDI thread, never at once for
// one driver (each driver serialises them itself). The send calls are lock-free.
#pragma once

#include <cstdint>

#include "platform/coremidi/midi_packets.h"

// ---- JACK: one client; an output port of ours for each MIDI input port of the other
// clients (a destination), an input port of ours for each of their MIDI output ports (a
// source).
bool OpenJackMidi();  // false when no JACK server runs
void CloseJackMidi();
bool JackMidiIsOpen();
void RescanJackMidi(bool notify);
void ServiceJackMidi();  // MIDI thread, now and then: measures JACK's clock against host time
// Queues one packet for the port slot; false when the queue is full.
bool SendJackMidi(uint32_t portSlot, const MIDIPacket* packet);
void FlushJackMidi(uint32_t portSlot);  // kAllMidiPorts: every port
uint64_t JackMidiDropCount();
uint64_t JackMidiLateCount();  // messages that came after their stamp's frame had gone by
uint64_t JackMidiPeriodNanos();  // one process cycle; 0 while closed

// ---- ALSA sequencer: one client with one input and one output port; every other client's
// readable port is a source, every writable port a destination (driver index =
// client << 8 | port).
bool OpenAlsaSeq();  // false when the system has no sequencer
void CloseAlsaSeq();
bool AlsaSeqIsOpen();
void RescanAlsaSeq(bool notify);
bool SendAlsaSeq(uint32_t address, const MIDIPacket* packet);
void FlushAlsaSeq(uint32_t address);  // kAllMidiPorts: every destination

// ---- the built-in synth destination
bool StartBuiltInSynthDriver(bool notify);  // registers the destination (offline without a sound font)
void StopBuiltInSynthDriver();
bool SendBuiltInSynth(const MIDIPacket* packet);
void FlushBuiltInSynth();
void ServiceBuiltInSynth();  // MIDI thread: rebuilds the synth when the render rate changed

constexpr uint32_t kAllMidiPorts = 0xFFFFFFFFu;

// Drivers named in ZARIN_MIDI_DRIVERS (a comma-separated list of "alsa" and "jack"; all when
// unset). The synth and virtual endpoints are always there.
bool MidiDriverEnabled(const char* name);
