// Keys played into a processor that plays an arpeggiator slot: the key range and its
// learning, the played velocities, the latched chord and the requests that make the engine
// step. MIDI read thread (ArpRemoveKey: clock task); never blocks and never allocates.
#pragma once

#include <cstdint>

#include "sequencer/midi/arp_slots.h"

struct ProcessorState;

// A key went down on the processor (its held counter not yet raised). Answers whether the
// key is forwarded to the processor's output as well.
bool ArpNoteOn(uint8_t* slot, ProcessorState* state, uint8_t key, uint8_t velocity);
// A key came up (its held counter not yet lowered). Answers whether it is forwarded.
bool ArpNoteOff(uint8_t* slot, ProcessorState* state, uint8_t key);
// Takes a key out of the slot's chosen keys and out of the keys shown for the last step.
void ArpRemoveKey(uint8_t* slot, uint8_t key);
// A first key starts the slot: the pattern realigns to the song at the restart tick.
void ArpStart(uint8_t* slot, ArpState* state);
// Starts (1) or stops (0) learning the key range from the keys played next.
void ArpLearnKeyRange(uint8_t* slot, bool on);
