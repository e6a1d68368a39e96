#include "sequencer/midi/arp_input.h"

#include <algorithm>
#include <atomic>

#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/arp_engine.h"
#include "sequencer/midi/realtime_processors.h"

namespace {

uint8_t Load(uint8_t& byte) { return std::atomic_ref<uint8_t>(byte).load(std::memory_order_relaxed); }
void Store(uint8_t& byte, uint8_t value) { std::atomic_ref<uint8_t>(byte).store(value, std::memory_order_relaxed); }

bool InRange(const uint8_t* slot, uint8_t key) {
  return slot[kArpHighKey] == 0 || (key >= slot[kArpLowKey] && key <= slot[kArpHighKey]);
}

int32_t HeldInRange(ProcessorState* s, const uint8_t* slot) {
  int32_t n = 0;
  for (int32_t key = 0; key < 128; ++key)
    if (Load(s->held[key]) && InRange(slot, uint8_t(key))) ++n;
  return n;
}

// While the key range is learned: a key down becomes a limit.
void LearnKey(uint8_t* slot, uint32_t learning, uint8_t key) {
  if (learning == 1) {
    slot[kArpLowKey] = key;
    if (slot[kArpHighKey] == 0) slot[kArpHighKey] = key;
  } else {
    slot[kArpHighKey] = key < slot[kArpLowKey] ? 0 : key;
  }
}

// The latched chord: the processor's collected keys, begun afresh by a new chord.
void CollectKey(ProcessorState* s, uint8_t key) {
  if (std::atomic_ref<uint8_t>(s->arpFirstNote).exchange(0)) Store(s->sustained[0], 0);
  int32_t n = 0;
  while (n < 127 && Load(s->sustained[n]) != 0) {
    if (Load(s->sustained[n]) == key) return;
    ++n;
  }
  if (n >= 127) return;
  Store(s->sustained[n + 1], 0);
  Store(s->sustained[n], key);
}

bool Forwarded(const uint8_t* slot, int32_t rangeMode) {
  if (rangeMode == 2 || rangeMode == 3) return true;
  // Keys pass until the slot plays: while it waits to start, or while its pattern is off.
  uint8_t* pattern = ArpPattern(const_cast<uint8_t*>(slot), ArpStateOf(slot)->chainPattern);
  return slot[kArpRunState] == kArpRunStarting || ArpActiveSteps(pattern) == 0;
}

}  // namespace

void ArpStart(uint8_t* slot, ArpState* state) {
  state->restartTick = gTransportClock.songTick + gArpRestartDelay;
  slot[kArpRunState] = kArpRunStarting;
}

void ArpLearnKeyRange(uint8_t* slot, bool on) {
  ArpState* state = ArpStateOf(slot);
  if (!state) return;
  state->learning.store(on ? 1 : 0);
  if (!on) slot[kArpHighKey] = 0;
}

bool ArpNoteOn(uint8_t* slot, ProcessorState* s, uint8_t key, uint8_t velocity) {
  ArpState* st = ArpStateOf(slot);
  if (!st) return true;
  key &= 0x7F;
  if (uint32_t learning = st->learning.load()) {
    LearnKey(slot, learning, key);
    return false;
  }
  uint8_t* first = ArpPattern(slot, 0);
  int32_t rangeMode = ArpPattern(slot, st->chainPattern)[kArpRangeMode];
  if (!InRange(slot, key)) return rangeMode == 1 || rangeMode == 2;
  st->velocity[key].store(velocity, std::memory_order_relaxed);
  bool latch = first[kArpFlags] & kArpLatch;
  if (rangeMode == 1 && !latch && HeldInRange(s, slot) == 0) {
    ArpStart(slot, st);
    return true;
  }
  ArpRequest(st, 2);
  if (latch) CollectKey(s, key);
  return Forwarded(slot, rangeMode);
}

bool ArpNoteOff(uint8_t* slot, ProcessorState* s, uint8_t key) {
  ArpState* st = ArpStateOf(slot);
  if (!st) return true;
  key &= 0x7F;
  if (uint32_t learning = st->learning.load()) {
    st->learning.store(learning >= 2 ? 0 : learning + 1);
    return false;
  }
  int32_t rangeMode = ArpPattern(slot, st->chainPattern)[kArpRangeMode];
  if (!InRange(slot, key)) return rangeMode == 1 || rangeMode == 2;
  if (rangeMode == 1) {
    uint8_t write = st->releaseWrite.load(std::memory_order_relaxed);
    uint8_t next = uint8_t((write + 1) % kArpReleaseRingSize);
    if (next != st->releaseRead.load(std::memory_order_acquire)) {
      st->releaseRing[write] = key;
      st->releaseWrite.store(next, std::memory_order_release);
    }
  }
  // The key is still counted: fewer than two left once it is up begins a new chord.
  if (HeldInRange(s, slot) - 1 < 2) Store(s->arpFirstNote, 1);
  ArpRequest(st, 1);
  return Forwarded(slot, rangeMode);
}

void ArpRemoveKey(uint8_t* slot, uint8_t key) {
  ArpState* st = ArpStateOf(slot);
  if (!st) return;
  auto drop = [key](uint8_t* keys, int32_t n) { return int32_t(std::remove(keys, keys + n, key) - keys); };
  st->chosenCount = drop(st->chosen, st->chosenCount);
  st->chosen[st->chosenCount] = 0;
  st->shownCount = uint8_t(drop(st->shown, st->shownCount));
}
