// The arpeggiator's step timing: step pairs with swing, the gate correction, the pattern chain
// and where a song tick falls in it. Clock task (and the main thread while the engine is held).
#pragma once

#include <cstdint>

#include "sequencer/midi/arp_slots.h"

// First half = swing, second half = 2 x step length - first half; the running length starts
// with the first half.
void ArpSetStepLength(ArpState* state, int32_t swing, int32_t stepLength);
// The first-half length of a pattern's step pair: step length x swing / 50 (rounded) for a
// swing of 1..99, else the step length.
int32_t ArpLoadSwing(const uint8_t* pattern);
// gate = step length x gate percent / 100 (rounded), 0 without one.
void ArpLoadGate(ArpState* state, const uint8_t* pattern);
// Makes pattern the one that plays, with its swing, step lengths and gate.
void ArpLoadPattern(uint8_t* slot, ArpState* state, int32_t pattern);
// The chain starts at the slot's current pattern (clamped below the pattern count).
int32_t ArpChainStart(uint8_t* slot);
// The pattern after pattern in the chain; the chain start after its last one.
int32_t ArpNextInChain(uint8_t* slot, int32_t pattern);
// Ticks of one pass through the chain (0: no pattern plays).
uint32_t ArpChainLength(uint8_t* slot);
// The pattern of the chain that holds the tick offset (taken modulo the chain's length);
// offset becomes the offset within that pattern.
int32_t ArpFindPatternForTicks(uint8_t* slot, uint32_t* offset);
// Places the slot at the tick offset: the pattern of the chain, its step (the next one to
// play) in the slot's step index and secondary counter. Answers the ticks until that step (0
// when exactly on it). Mode 3 also shows the pattern in the window and marks a full restart.
uint32_t ArpPositionForTick(uint8_t* slot, uint32_t offset, int32_t* step, int32_t mode);
// The length of step's half of its pair (odd pairs mirrored with the pattern's flag bit 4).
uint32_t ArpHalfLength(const ArpState* state, const uint8_t* pattern, int32_t step);
// The length from step on over the following steps it ties into (length code 22).
uint32_t ArpTieLength(const ArpState* state, uint8_t* pattern, int32_t step);
// The length from step to the end of the chain (the steps left and the chained patterns).
uint32_t ArpRestOfChain(uint8_t* slot, const ArpState* state, int32_t step);
