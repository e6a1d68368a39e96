// The built-in synth's engine (private to platform/coremidi): the FluidSynth instance, the
// lock-free queue of events for it, and the render path.
#pragma once

#include <cstdint>

#include "platform/coremidi/midi_types.h"

constexpr uint8_t kSynthChannels = 32;        // 0-15: the destination, 16-31: note channels
constexpr uint8_t kFirstNoteChannel = 16;
constexpr size_t kSynthEventBytes = 28;       // longer system-exclusive blocks are dropped

enum SynthEventKind : uint8_t {
  kSynthMidi = 0,         // data: one MIDI message; its channel is the event's channel
  kSynthInstrument = 1,   // data: bank MSB, bank LSB, program, drum (0/1)
  kSynthBendRange = 2,    // data: semitones
  kSynthResetChannel = 3, // sound off, controllers reset
};

struct SynthEvent {
  MIDITimeStamp stamp = 0;  // 0: as soon as possible
  uint32_t seq = 0;
  uint32_t epoch = 0;
  uint8_t kind = kSynthMidi;
  uint8_t channel = 0;
  uint8_t length = 0;
  Byte data[kSynthEventBytes] = {};
};

// Lock-free; false when the queue is full (the event is dropped and counted).
bool QueueSynthEvent(SynthEvent event);
// Drops queued events that are not yet due.
void FlushSynthEvents();
uint64_t SynthDropCount();

// Loads the synth (on the calling thread) when it is not loaded. False without a sound font.
bool StartSynthEngine();
// Frees the synth once no render is using it.
void StopSynthEngine();
// MIDI thread: rebuilds the synth when a render asked for another rate.
void ServiceSynthEngine();
// The sound font: ZARIN_GM_SOUNDFONT, else the system's default General MIDI font.
const char* SynthSoundFontPath();
