#include "sequencer/midi/arp_note_choice.h"

#include <algorithm>

namespace {

// Row: the key's place above the tonic; column: the scale steps modulo 12.
constexpr uint8_t kScaleTable[12][12] = {
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, {0, 1, 2, 3, 3, 5, 6, 6, 8, 8, 9, 11},
    {0, 1, 2, 3, 3, 5, 6, 7, 8, 9, 10, 10}, {0, 1, 2, 3, 3, 5, 6, 6, 7, 8, 9, 11},
    {0, 1, 1, 3, 3, 5, 6, 7, 8, 8, 10, 10}, {0, 1, 2, 3, 4, 6, 6, 7, 8, 9, 10, 11},
    {0, 1, 2, 3, 3, 5, 6, 6, 8, 8, 9, 11},  {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 10},
    {0, 1, 2, 3, 3, 5, 6, 6, 7, 8, 9, 11},  {0, 1, 2, 3, 3, 5, 6, 7, 8, 8, 10, 10},
    {0, 1, 2, 3, 3, 5, 6, 6, 8, 9, 9, 11},  {0, 1, 1, 3, 3, 5, 6, 6, 7, 8, 10, 10}};

uint32_t gArpRandom = 0x9E3779B9u;

int32_t FloorDiv(int32_t a, int32_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
int32_t Mod(int32_t a, int32_t b) { return a - FloorDiv(a, b) * b; }

bool Contains(const uint8_t* keys, int32_t n, uint8_t key) { return std::find(keys, keys + n, key) != keys + n; }

// The mask of a choice of 0..5 (0: nothing).
uint32_t ChoiceMask(int32_t choice, int32_t count, int32_t noteIndex, bool enoughKeys) {
  uint32_t all = (1u << count) - 1;
  switch (choice) {
    case 0: return enoughKeys ? 1u << ArpStepIndex(noteIndex, count) : 0;
    case 1: return enoughKeys ? all : 0;
    case 2: return 1;
    case 3: return 1u << (count - 1);
    case 4: {
      if (ArpRandomInRange(0, 1) == 0) return 1u << ArpRandomInRange(0, count - 1);
      int32_t value = ArpRandomInRange(0, 127);
      return value >= 16 ? uint32_t(value - 16) : 0;
    }
    case 5: return 1u << ArpRandomInRange(0, count - 1);
    default: return 0;
  }
}

// The key for a bit beyond the held keys: the walk over the held keys and their octave copies.
int32_t WalkKey(const ArpChoiceInput& in, int32_t mode, ArpState* state) {
  if (mode == 1) return in.held[in.count - 1];
  int32_t n = in.extendedCount;
  if (state->walkIndex < 0 || state->walkIndex >= n) state->walkIndex = int8_t(mode == 3 ? 0 : n - 1);
  int32_t key = in.extended[state->walkIndex];
  int32_t next = state->walkIndex + state->walkStep;
  if (next < 0 || next >= n) {
    if (mode == 2) {
      state->walkStep = int8_t(-state->walkStep);
      next = std::clamp(state->walkIndex + state->walkStep, 0, n - 1);
    } else {
      next = 0;
    }
  }
  state->walkIndex = int8_t(next);
  return key;
}

}  // namespace

int32_t ArpStartIndex(int32_t mode, int32_t count, bool gateSet, int8_t* direction) {
  *direction = mode == 3 ? -1 : 1;
  if (mode == 3) return count > 0 ? count - 1 : 0;
  if (mode == 0 && gateSet && count > 1) return 1;
  return 0;
}

int32_t ArpNextIndex(int32_t mode, int32_t index, int32_t count, int32_t stepCount, int8_t* direction) {
  if (count <= 1) return 0;
  int32_t next = index + *direction;
  if (next >= 0 && next < count) return next;
  switch (mode) {
    case 1:  // the end key again, then the other way
      *direction = int8_t(-*direction);
      return index;
    case 2:
      *direction = int8_t(-*direction);
      return index + *direction;
    case 3: return next < 0 ? count - 1 : 0;
    default:
      if (stepCount == 1) {
        *direction = int8_t(-*direction);
        return index + *direction;
      }
      return next < 0 ? count - 1 : 0;
  }
}

int32_t ArpStepIndex(int32_t index, int32_t count) {
  if (count <= 0) return 0;
  return index < 0 ? 0 : index % count;
}

int32_t ArpRandomInRange(int32_t lo, int32_t hi) {
  if (hi <= lo) return lo;
  uint32_t x = gArpRandom;
  x ^= x << 13;
  x ^= x >> 17;
  x ^= x << 5;
  gArpRandom = x;
  return lo + int32_t(x % uint32_t(hi - lo + 1));
}

int32_t ArpChooseNotes(const uint8_t* step, int32_t choice, const ArpChoiceInput& in,
                       ArpState* state, uint8_t* out, uint32_t* mask) {
  *mask = 0;
  int32_t count = std::min(in.count, kArpChoiceKeys);
  if (count <= 0) return 0;
  int32_t needed = step[kArpStepKeysNeeded];
  bool enoughKeys = needed <= count;
  uint32_t chosen = choice >= 16 ? uint32_t(choice - 16) & 0xFFFF : ChoiceMask(choice, count, in.noteIndex, enoughKeys);
  int32_t walkMode = in.walkMode;
  if (walkMode == 3 && count < 2) walkMode = 2;
  int32_t n = 0;
  for (int32_t bit = 0; bit < kArpChoiceKeys; ++bit) {
    if (!(chosen >> bit & 1)) continue;
    int32_t key = -1;
    if (bit < count) key = in.held[bit];
    else if (walkMode != 0 && in.extendedCount > 0) key = WalkKey(in, walkMode, state);
    if (key < 0 || Contains(out, n, uint8_t(key))) continue;
    out[n++] = uint8_t(key);
  }
  if (needed > 0 && enoughKeys) {
    int32_t key = std::clamp(in.held[needed - 1] + int8_t(step[kArpStepKeyOffset]), 0, 127);
    if (!Contains(out, n, uint8_t(key))) {
      out[n++] = uint8_t(key);
      if (state->velocity[key].load(std::memory_order_relaxed) == 0)
        state->velocity[key].store(state->velocity[in.held[needed - 1]].load(std::memory_order_relaxed),
                                   std::memory_order_relaxed);
    }
  }
  *mask = chosen & ((1u << count) - 1);
  return n;
}

int32_t ArpScaleTableKey(int32_t key, int32_t steps, int32_t base) {
  return key + kScaleTable[Mod(key - base, 12)][Mod(steps, 12)] + 12 * FloorDiv(steps, 12);
}

int32_t ArpChordScaleKey(int32_t key, int32_t steps, int32_t base, const uint8_t* scale, int32_t size) {
  if (size <= 0) return key + steps;
  int32_t place = Mod(key - base, 12);
  int32_t degree = 0;  // the key's own degree: the highest interval not above its place
  for (int32_t d = 0; d < size; ++d)
    if (scale[d] <= place) degree = d;
  int32_t target = degree + steps;
  int32_t octave = FloorDiv(target, size);
  return key - place + scale[Mod(target, size)] + 12 * octave;
}
