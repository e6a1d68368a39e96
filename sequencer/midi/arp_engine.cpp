#include "sequencer/midi/arp_engine.h"

#include <algorithm>
#include <atomic>

#include "platform/memory/byte_order.h"
#include "sequencer/clock/clock_interim_services.h"
#include "sequencer/clock/note_off_queue.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/arp_input.h"
#include "sequencer/midi/arp_note_choice.h"
#include "sequencer/midi/arp_step_timing.h"
#include "sequencer/midi/realtime_processors.h"
#include "sequencer/midi/record_start_hooks.h"
#include "shell/base/arithmetic.h"
#include "song/model/key_codes.h"

namespace {

TransportClock& C() { return gTransportClock; }

constexpr uint8_t kArpChannel = 0;  // the processors' output channel replaces it

uint8_t* SlotNamedBy(RealtimeProcessor* p) {
  uint8_t index = StateOf(p)->arpSlot;
  return index < kArpSlotCount ? gArpSlots[index] : nullptr;
}

uint8_t ReadByte(uint8_t& byte) { return std::atomic_ref<uint8_t>(byte).load(std::memory_order_relaxed); }

// Sends one message through every processor linked to the slot; a note-on with its length,
// which the note-off queue ends (and reports to the processor).
void SendToLinked(int32_t index, uint8_t status, uint8_t key, uint8_t velocity, uint32_t length) {
  RingMessage ring{C().songTick, status, key, velocity, 0, 0, 0};
  for (RealtimeProcessor* p = gRealtimeProcessors; p; p = p->next)
    if (StateOf(p)->arpSlot == index) ProcessorSend(p, ring, status, key, velocity, length, p);
}

void EndHeldNotes(int32_t index, ArpState* st) {
  for (uint8_t ch = 0; ch < 16 && st->heldChannels; ++ch) {
    if (!(st->heldChannels >> ch & 1)) continue;
    SendToLinked(index, uint8_t(0x80 | ch), st->heldKey[ch], 0, 0);
    st->heldChannels = uint16_t(st->heldChannels & ~(1u << ch));
  }
}

void ReleaseLinkedNotes(int32_t index) {
  for (RealtimeProcessor* p = gRealtimeProcessors; p; p = p->next)
    if (StateOf(p)->arpSlot == index) ReleaseProcessorNotes(p, C().songTick);
}

void StopSlot(int32_t index, uint8_t* slot, ArpState* st) {
  ReleaseLinkedNotes(index);
  EndHeldNotes(index, st);
  bool latch = ArpPattern(slot, 0)[kArpFlags] & kArpLatch;
  for (RealtimeProcessor* p = gRealtimeProcessors; p; p = p->next)
    if (latch && StateOf(p)->arpSlot == index) std::atomic_ref<uint8_t>(StateOf(p)->sustained[0]).store(0);
  st->chosenCount = st->extendedCount = 0;
  st->chosen[0] = 0;
  st->restartChord = true;
  slot[kArpRunState] = kArpRunNormal;
}

// The keys released on the input since the last step end.
void ReleaseRingKeys(int32_t index, uint8_t* slot, ArpState* st) {
  uint8_t read = st->releaseRead.load(std::memory_order_relaxed);
  uint8_t write = st->releaseWrite.load(std::memory_order_acquire);
  for (; read != write; read = uint8_t((read + 1) % kArpReleaseRingSize)) {
    uint8_t key = st->releaseRing[read];
    SendToLinked(index, uint8_t(0x80 | kArpChannel), key, 0, 0);
    ArpRemoveKey(slot, key);
  }
  st->releaseRead.store(read, std::memory_order_release);
}

bool InRange(const uint8_t* slot, int32_t key) {
  return slot[kArpHighKey] == 0 || (key >= slot[kArpLowKey] && key <= slot[kArpHighKey]);
}

void BuildChordScale(uint8_t* slot, ArpState* st) {
  st->chordScaleSize = 0;
  if (!(slot[kArpChordScale] & 1) || st->chosenCount < 1 || st->chosenCount > 15) {
    int32_t place = KeyPlace(gPlayingKey);
    st->scaleBase = int8_t(place < 12 ? place * 7 % 12 : 0);
    return;
  }
  int32_t root = st->chosen[0];
  st->scaleBase = int8_t(root % 12);
  bool present[12] = {};
  for (int32_t i = 0; i < st->chosenCount; ++i) present[(st->chosen[i] - root) % 12] = true;
  for (uint8_t pc = 0; pc < 12; ++pc)
    if (present[pc]) st->chordScale[st->chordScaleSize++] = pc;
}

// The chosen keys afresh: the keys held on the processor and the latched ones within the key
// range (the pattern's fixed keys in mode 6), and each with its octave copies up to 127.
void RebuildChosen(RealtimeProcessor* p, uint8_t* slot, ArpState* st, const uint8_t* pattern) {
  ProcessorState* s = StateOf(p);
  bool present[128] = {};
  bool any = false;
  for (int32_t key = 0; key < 128; ++key)
    if (ReadByte(s->held[key]) && InRange(slot, key)) present[key] = any = true;
  if (ArpPattern(slot, 0)[kArpFlags] & kArpLatch) {
    for (int32_t i = 0; i < 128; ++i) {
      uint8_t key = ReadByte(s->sustained[i]);
      if (key == 0) break;
      if (key < 128 && InRange(slot, key)) present[key] = any = true;
    }
  }
  st->chosenCount = 0;
  if (pattern[kArpMode] == kArpFixedKeyMode) {
    for (int32_t i = 0; i < 12 && any; ++i) {
      uint8_t key = pattern[kArpFixedKeys + i];
      if (key && key < 128) st->chosen[st->chosenCount++] = key;
    }
  } else {
    for (int32_t key = 0; key < 128; ++key)
      if (present[key]) st->chosen[st->chosenCount++] = uint8_t(key);
  }
  st->chosen[st->chosenCount] = 0;
  bool copies[128] = {};
  for (int32_t i = 0; i < st->chosenCount; ++i)
    for (int32_t key = st->chosen[i]; key < 128; key += 12) copies[key] = true;
  st->extendedCount = 0;
  for (int32_t key = 0; key < 128; ++key)
    if (copies[key]) st->extended[st->extendedCount++] = uint8_t(key);
  BuildChordScale(slot, st);
  st->walkIndex = -1;
  st->walkStep = 1;
}

int32_t TransposedKey(const ArpState* st, const uint8_t* pattern, const uint8_t* step, int32_t key) {
  int32_t t = ArpStepField(step, kArpStepTranspose);
  if (step[kArpStepFlags] & kArpStepFixedKey) return std::clamp(t, 0, 127);
  if (st->chordScaleSize > 0) return std::clamp(ArpChordScaleKey(key, t, st->scaleBase, st->chordScale, st->chordScaleSize), 0, 127);
  if (pattern[kArpFlags] & kArpScaleTable) return std::clamp(ArpScaleTableKey(key, t, st->scaleBase), 0, 127);
  return std::clamp(key + t, 0, 127);
}

uint8_t NoteVelocity(const ArpState* st, uint8_t* slot, uint8_t* pattern, const uint8_t* step, uint8_t key) {
  if (pattern[kArpSecondaryCycle]) step = ArpStep(pattern, slot[kArpSecondaryStep]);
  int32_t played = st->velocity[key].load(std::memory_order_relaxed);
  if (played == 0) played = 64;
  int32_t own = ArpStepField(step, kArpStepVelocity);
  int32_t v = played;
  if (own != 0 && pattern[kArpVelocityMode] == 0) v = (played + own) / 2;
  else if (own != 0 && pattern[kArpVelocityMode] == 1) v = own;
  return uint8_t(std::clamp(v, 1, 127));
}

uint32_t NoteLength(uint8_t* slot, ArpState* st, uint8_t* pattern, int32_t stepIndex, int32_t nth) {
  const uint8_t* step = ArpStep(pattern, stepIndex);
  int32_t code = ArpStepField(step, kArpStepLengthCode);
  int32_t length = int32_t(ArpHalfLength(st, pattern, stepIndex));
  if (code == kArpLengthTie) length = int32_t(ArpTieLength(st, pattern, stepIndex));
  else if (code == kArpLengthHold) length = int32_t(ArpRestOfChain(slot, st, stepIndex));
  else if (code >= 1 && code <= 20) length = MulDivRound(length, code, 16);
  if (pattern[kArpMode] == 5) length -= nth;
  int32_t gate = st->gate;
  if (step[kArpStepFlags] & kArpStepOwnGate)
    gate = MulDivRound(st->stepLength, ArpStepField(step, kArpStepGate), 100);
  return uint32_t(std::max(length - gate, 1));
}

// Sends the notes of the slot's current step; answers how many keys it chose.
int32_t ArpPlayStep(RealtimeProcessor* p, uint8_t* slot, ArpState* st, uint8_t* pattern) {
  int32_t index = ArpSlotIndex(slot);
  int32_t stepIndex = slot[kArpStepIndex];
  const uint8_t* step = ArpStep(pattern, stepIndex);
  int32_t code = ArpStepField(step, kArpStepLengthCode);
  bool continued = stepIndex > 0 && ArpStepField(ArpStep(pattern, stepIndex - 1), kArpStepLengthCode) == kArpLengthTie;
  st->shownCount = 0;
  if (code == kArpLengthRest || continued) return 0;
  ArpChoiceInput in{st->chosen, st->chosenCount, st->extended, st->extendedCount, st->noteIndex,
                    pattern[kArpWalkByte] >> 2 & 3};
  uint8_t keys[kArpChoiceKeys + 1];
  uint32_t mask = 0;
  int32_t n = ArpChooseNotes(step, ArpStepField(step, kArpStepChoice), in, st, keys, &mask);
  if (n > 0) EndHeldNotes(index, st);
  for (int32_t i = 0; i < n; ++i) {
    uint8_t key = uint8_t(TransposedKey(st, pattern, step, keys[i]));
    if (st->shownCount < kArpShownKeys) st->shown[st->shownCount++] = key;
    uint32_t length = NoteLength(slot, st, pattern, stepIndex, i);
    SendToLinked(index, uint8_t(0x90 | kArpChannel), key, NoteVelocity(st, slot, pattern, step, keys[i]), length);
    if (code == kArpLengthHold) {
      st->heldChannels |= 1u << kArpChannel;
      st->heldKey[kArpChannel] = key;
    }
  }
  (void)p;
  if (gArpWindowHooks.showKeys) gArpWindowHooks.showKeys(index);
  return n;
}

// After a step: the distance to the next one, the step counters and, at the pattern's end,
// the next pattern of the chain. A step that played keys moves the note index on (a rest or a
// tied step does not).
void AdvanceStep(uint8_t* slot, ArpState* st, uint8_t* pattern, bool played) {
  int32_t stepIndex = slot[kArpStepIndex];
  int32_t steps = ArpActiveSteps(pattern);
  st->ticksToNext = ArpHalfLength(st, pattern, stepIndex);
  int8_t direction = int8_t(slot[kArpDirection]);
  if (direction == 0) direction = 1;
  if (played)
    st->noteIndex = ArpNextIndex(pattern[kArpMode], st->noteIndex, std::min(st->chosenCount, kArpChoiceKeys),
                                 steps, &direction);
  slot[kArpDirection] = uint8_t(direction);
  int32_t cycle = pattern[kArpSecondaryCycle];
  slot[kArpSecondaryStep] = uint8_t(cycle ? (slot[kArpSecondaryStep] + 1) % cycle : 0);
  if (++stepIndex >= steps) {
    stepIndex = 0;
    ArpLoadPattern(slot, st, ArpNextInChain(slot, st->chainPattern));
  }
  slot[kArpStepIndex] = uint8_t(stepIndex);
}

void RunStep(RealtimeProcessor* p, uint8_t* slot, ArpState* st) {
  int32_t index = ArpSlotIndex(slot);
  uint8_t* pattern = ArpPattern(slot, st->chainPattern);
  ReleaseRingKeys(index, slot, st);
  if (slot[kArpRunState] == kArpRunRestart) {
    ReleaseLinkedNotes(index);
    slot[kArpRunState] = kArpRunNormal;
    st->restartChord = true;
  }
  RebuildChosen(p, slot, st, pattern);
  if (st->restartChord) {
    int8_t direction = 1;
    st->noteIndex = ArpStartIndex(pattern[kArpMode], std::min(st->chosenCount, kArpChoiceKeys), st->gate != 0, &direction);
    slot[kArpDirection] = uint8_t(direction);
    st->restartChord = false;
  }
  int32_t played = ArpPlayStep(p, slot, st, pattern);
  AdvanceStep(slot, st, pattern, played > 0);
}

void TakeRequests(uint8_t* slot, ArpState* st) {
  uint32_t requests = st->requests.load(std::memory_order_acquire);
  if (requests == st->handled) return;
  uint32_t level = st->pendingLevel.exchange(0, std::memory_order_acq_rel);
  st->handled = requests;
  if (level == 0) return;
  st->restartChord = true;
  bool waitForStep = ArpPattern(slot, st->chainPattern)[kArpFlags] & kArpRestartOnStep;
  if (level >= 2 || !waitForStep) st->ticksToNext = 0;
}

// Calls visit (processor, slot) for each slot a processor names, once, with the first
// processor that names it.
template <typename Visit>
void ForEachNamedSlot(Visit visit) {
  uint32_t done = 0;
  for (RealtimeProcessor* p = gRealtimeProcessors; p; p = p->next) {
    uint8_t* slot = SlotNamedBy(p);
    uint8_t index = StateOf(p)->arpSlot;
    if (!slot || (done >> index & 1)) continue;
    done |= 1u << index;
    visit(p, slot);
  }
}

}  // namespace

bool IsArpeggiatorServiceActive() {
  if (!gArpeggiatorSwitch) return false;
  for (RealtimeProcessor* p = gRealtimeProcessors; p; p = p->next)
    if (SlotNamedBy(p)) return true;
  return false;
}

void ArpRequest(ArpState* state, uint32_t level) {
  if (!state) return;
  uint32_t seen = state->pendingLevel.load(std::memory_order_relaxed);
  while (level > seen && !state->pendingLevel.compare_exchange_weak(seen, level)) {
  }
  state->requests.fetch_add(1, std::memory_order_release);
}

void ArpProcessSlot(RealtimeProcessor* processor, uint8_t* slot) {
  int32_t index = ArpSlotIndex(slot);
  if (index < 0) return;
  ArpState* st = &gArpStates[index];
  if (st->stopRequested.exchange(0)) StopSlot(index, slot, st);
  ProcessorState* s = StateOf(processor);
  if (std::atomic_ref<uint8_t>(s->arpRestart).exchange(0)) ArpRequest(st, 1);  // the pedal came up
  if (slot[kArpRunState] == kArpRunStarting && int32_t(C().songTick - st->restartTick) >= 0) {
    uint32_t ticks = ArpPositionForTick(slot, C().songTick - 1, nullptr, 3);
    st->ticksToNext = ticks;
  }
  TakeRequests(slot, st);
  if (ArpActiveSteps(ArpPattern(slot, st->chainPattern)) == 0) return;
  if (st->ticksToNext > 0) {
    --st->ticksToNext;
    return;
  }
  // Steps due at once follow in the same pass (bounded: a chain holds at most 256 steps).
  for (int32_t n = 0; n < kArpMaxSteps * kArpMaxPatterns && st->ticksToNext == 0; ++n) RunStep(processor, slot, st);
  if (st->ticksToNext > 0) --st->ticksToNext;
}

void ArpServiceAll() {
  if (!gArpeggiatorSwitch || gRecordWaitsForFirstNote.load(std::memory_order_relaxed)) return;
  if (C().holdCount.load() != 0) return;
  ForEachNamedSlot(ArpProcessSlot);
}

void ArpRestartAll(uint32_t tick) {
  ForEachNamedSlot([tick](RealtimeProcessor*, uint8_t* slot) {
    ArpState* st = ArpStateOf(slot);
    ArpLoadPattern(slot, st, ArpChainStart(slot));
    // The next pass comes at tick + 1, which lies at offset tick in the pattern chain (song
    // tick 1 is its start): a step due there plays in that pass.
    st->ticksToNext = ArpPositionForTick(slot, tick, nullptr, 3);
  });
}

void ArpStopAll() {
  for (int32_t k = 0; k < kArpSlotCount; ++k)
    if (gArpSlots[k]) gArpStates[k].stopRequested.store(1);
}
