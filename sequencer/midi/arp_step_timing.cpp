#include "sequencer/midi/arp_step_timing.h"

#include "platform/memory/byte_order.h"
#include "shell/base/arithmetic.h"

namespace {

uint32_t PatternTicks(const uint8_t* pattern) {
  return uint32_t(ReadU16BE(pattern + kArpStepLength)) * uint32_t(ArpActiveSteps(pattern));
}

}  // namespace

void ArpSetStepLength(ArpState* state, int32_t swing, int32_t stepLength) {
  state->stepLength = uint16_t(stepLength);
  state->firstHalf = uint16_t(swing);
  state->secondHalf = uint16_t(2 * stepLength - swing);
  state->runningLength = state->firstHalf;
}

int32_t ArpLoadSwing(const uint8_t* pattern) {
  int32_t length = ReadU16BE(pattern + kArpStepLength);
  int32_t swing = pattern[kArpSwing];
  return swing >= 1 && swing <= 99 ? MulDivRound(length, swing, 50) : length;
}

void ArpLoadGate(ArpState* state, const uint8_t* pattern) {
  int32_t percent = int8_t(pattern[kArpGate]);
  state->gate = percent ? MulDivRound(ReadU16BE(pattern + kArpStepLength), percent, 100) : 0;
}

void ArpLoadPattern(uint8_t* slot, ArpState* state, int32_t pattern) {
  uint8_t* p = ArpPattern(slot, pattern);
  state->chainPattern = uint8_t(pattern);
  ArpSetStepLength(state, ArpLoadSwing(p), ReadU16BE(p + kArpStepLength));
  ArpLoadGate(state, p);
}

int32_t ArpChainStart(uint8_t* slot) {
  int32_t count = ArpPatternCount(slot);
  if (slot[kArpCurrentPattern] >= count) slot[kArpCurrentPattern] = uint8_t(count - 1);
  return slot[kArpCurrentPattern];
}

int32_t ArpNextInChain(uint8_t* slot, int32_t pattern) {
  int32_t next = ArpPattern(slot, pattern)[kArpNextPattern];
  if (next == 0 || next > ArpPatternCount(slot)) return ArpChainStart(slot);
  return next - 1;
}

uint32_t ArpChainLength(uint8_t* slot) {
  int32_t start = ArpChainStart(slot), pattern = start;
  uint32_t length = 0;
  // A link back into the middle of the chain ends it there as well: at most eight patterns.
  for (int32_t n = 0; n < kArpMaxPatterns; ++n) {
    length += PatternTicks(ArpPattern(slot, pattern));
    pattern = ArpNextInChain(slot, pattern);
    if (pattern == start) break;
  }
  return length;
}

int32_t ArpFindPatternForTicks(uint8_t* slot, uint32_t* offset) {
  int32_t pattern = ArpChainStart(slot);
  uint32_t chain = ArpChainLength(slot);
  if (chain == 0) return pattern;
  *offset %= chain;
  for (int32_t n = 0; n < kArpMaxPatterns; ++n) {
    uint32_t ticks = PatternTicks(ArpPattern(slot, pattern));
    if (*offset < ticks) break;
    *offset -= ticks;
    pattern = ArpNextInChain(slot, pattern);
  }
  return pattern;
}

uint32_t ArpPositionForTick(uint8_t* slot, uint32_t offset, int32_t* step, int32_t mode) {
  ArpState* state = ArpStateOf(slot);
  int32_t pattern = ArpFindPatternForTicks(slot, &offset);
  ArpLoadPattern(slot, state, pattern);
  uint8_t* p = ArpPattern(slot, pattern);
  int32_t steps = ArpActiveSteps(p);
  uint32_t ticks = 0;
  int32_t next = 0;
  if (steps > 0) {
    uint32_t pair = 2u * state->stepLength;
    uint32_t rest = offset % pair;
    next = int32_t(offset / pair) * 2;
    if (rest > 0 && rest <= state->firstHalf) {
      next += 1;
      ticks = state->firstHalf - rest;
    } else if (rest > state->firstHalf) {
      next += 2;
      ticks = pair - rest;
    }
    if (next >= steps) {
      next = 0;
      ArpLoadPattern(slot, state, ArpNextInChain(slot, pattern));
    }
    int32_t cycle = p[kArpSecondaryCycle];
    slot[kArpSecondaryStep] = uint8_t(cycle ? next % cycle : next);
  }
  slot[kArpStepIndex] = uint8_t(next);
  if (step) *step = next;
  if (mode == 3) {
    slot[kArpRunState] = kArpRunRestart;
    if (gArpWindowHooks.showPattern) gArpWindowHooks.showPattern(ArpSlotIndex(slot), state->chainPattern);
  }
  return ticks;
}

uint32_t ArpHalfLength(const ArpState* state, const uint8_t* pattern, int32_t step) {
  bool second = (step & 1) != 0;
  if ((pattern[kArpFlags] & kArpSwingMirror) && (step >> 1 & 1)) second = !second;
  return second ? state->secondHalf : state->firstHalf;
}

uint32_t ArpTieLength(const ArpState* state, uint8_t* pattern, int32_t step) {
  int32_t steps = ArpActiveSteps(pattern);
  uint32_t length = ArpHalfLength(state, pattern, step);
  for (int32_t s = step; s + 1 < steps; ++s) {
    if (ArpStepField(ArpStep(pattern, s), kArpStepLengthCode) != kArpLengthTie) break;
    length += ArpHalfLength(state, pattern, s + 1);
  }
  return length;
}

uint32_t ArpRestOfChain(uint8_t* slot, const ArpState* state, int32_t step) {
  uint8_t* pattern = ArpPattern(slot, state->chainPattern);
  uint32_t length = 0;
  for (int32_t s = step; s < ArpActiveSteps(pattern); ++s) length += ArpHalfLength(state, pattern, s);
  int32_t start = ArpChainStart(slot);
  int32_t next = ArpNextInChain(slot, state->chainPattern);
  for (int32_t n = 0; n < kArpMaxPatterns && next != start; ++n) {
    length += PatternTicks(ArpPattern(slot, next));
    next = ArpNextInChain(slot, next);
  }
  return length;
}
