// The building blocks of render-time MIDI delivery shared by its files: the fixed event lists,
// the song's tempo as the block scheduler reads it, and ticks as samples.
#pragma once

#include <cstdint>

#include "plugins/host/plugin_midi_delivery.h"

// A free event, taken off the free list, or null when it is empty.
PluginMidiEvent* TakeFreeEvent(PluginMidiState* state);
// Appends to a list; false (nothing added) when it is full.
bool PushEvent(MidiEventList* list, PluginMidiEvent* event);
// Fills an event: offset, the three MIDI bytes, note length and note-off velocity; flags 0.
void SetMidiEvent(PluginMidiEvent* event, int32_t offset, uint8_t status, uint8_t data1, uint8_t data2,
                  int32_t noteLength = 0, uint8_t noteOffVelocity = 0);
// The sample of the block at which an event whose exact place is `exact` (samples from the
// block's start, a fraction) sounds: rounded down after a thousandth is added, kept inside
// the block.
int32_t BlockOffset(const PluginMidiState* state, double exact);
// The note's length in samples from its exact start to its exact end; its note-off is added to
// the block at once when it falls inside it (a zero-length note's right after it), otherwise
// the note stays pending until the block it ends in.
void QueueNoteOffAfter(PluginMidiState* state, PluginMidiEvent* on, double exact, double samples);
// A free event filled and put on the output and the pending list; null when none is free or
// the output is full.
PluginMidiEvent* QueueBlockEvent(PluginMidiState* state, int32_t offset, uint8_t status, uint8_t data1,
                                 uint8_t data2);

// The song's bytes (null for none).
uint8_t* SongBytes(Handle song);
// Ticks per quarter note of the song (480 when it has none).
int32_t SongResolution(const uint8_t* song);
// A conductor tempo as the block plays it: the transport's tempo scale applied, kept to
// 120..4500 tenths of a beat per minute.
int32_t ScaleBlockTempo(int32_t tempo);
double SecondsPerTickAt(int32_t tempo, int32_t resolution);
// The scaled tempo in force at tick, and the index of the first conductor record after it.
int32_t TempoInForceAt(uint8_t* song, double tick, int32_t* nextRecord);
// Samples from tick `from` for `ticks` ticks, each stretch at its own tempo.
double TicksAsSamples(uint8_t* song, double from, double ticks, float rate);
