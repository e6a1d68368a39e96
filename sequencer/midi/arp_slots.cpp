#include "sequencer/midi/arp_slots.h"

#include <new>

#include "platform/memory/byte_order.h"

namespace {
uint8_t gFirstSlot[kArpSlotBytes] = {};

void StartSlot(uint8_t* slot, int32_t index) {
  ArpState* state = &gArpStates[index];
  state->~ArpState();
  new (state) ArpState();
  slot[kArpClearedMark] = 1;
  WriteU32BE(slot + kArpStateLink, uint32_t(index + 1));
}
}  // namespace

uint8_t* gArpSlots[kArpSlotCount] = {gFirstSlot};
ArpState gArpStates[kArpSlotCount];
uint8_t gArpeggiatorSwitch = 0;
uint32_t gArpRestartDelay = 0;
ArpWindowHooks gArpWindowHooks = {};

uint8_t* NewArpSlot(int32_t index) {
  if (index < 0 || index >= kArpSlotCount) return nullptr;
  if (gArpSlots[index]) return gArpSlots[index];
  uint8_t* slot = new (std::nothrow) uint8_t[kArpSlotBytes]();
  if (!slot) return nullptr;
  StartSlot(slot, index);
  gArpSlots[index] = slot;
  return slot;
}

uint8_t ArpSlotMask() {
  uint8_t mask = 0;
  for (int32_t k = 0; k < kArpSlotCount; ++k)
    if (gArpSlots[k]) mask = uint8_t(mask | (1 << k));
  return mask;
}

uint8_t* ArpSlotAt(int32_t index) {
  return index >= 0 && index < kArpSlotCount ? gArpSlots[index] : nullptr;
}

int32_t ArpSlotIndex(const uint8_t* slot) {
  for (int32_t k = 0; k < kArpSlotCount; ++k)
    if (slot && gArpSlots[k] == slot) return k;
  return -1;
}

ArpState* ArpStateOf(const uint8_t* slot) {
  int32_t index = ArpSlotIndex(slot);
  return index < 0 ? nullptr : &gArpStates[index];
}

int32_t ArpPatternCount(const uint8_t* slot) {
  uint32_t count = ReadU32BE(slot + kArpPatternCount);
  return count < 1 ? 1 : count > uint32_t(kArpMaxPatterns) ? kArpMaxPatterns : int32_t(count);
}

uint8_t* ArpPattern(uint8_t* slot, int32_t pattern) {
  if (pattern < 0 || pattern >= kArpMaxPatterns) pattern = 0;
  return slot + kArpSlotHeaderBytes + pattern * kArpPatternBytes;
}

uint8_t* ArpStep(uint8_t* pattern, int32_t step) {
  return pattern + kArpPatternHeaderBytes + (step & (kArpMaxSteps - 1)) * kArpStepBytes;
}

int16_t ArpStepField(const uint8_t* step, int32_t offset) { return int16_t(ReadU16BE(step + offset)); }

int32_t ArpActiveSteps(const uint8_t* pattern) {
  int32_t steps = pattern[kArpStepCount];
  if (steps > kArpMaxSteps) steps = kArpMaxSteps;
  return ReadU16BE(pattern + kArpStepLength) == 0 ? 0 : steps;
}
