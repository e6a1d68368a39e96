// The arpeggiator's choice of notes: the note index that walks over the held keys in the
// pattern's direction, the keys a step's note choice takes, and the transpose in scale steps.
// Clock task.
#pragma once

#include <cstdint>

#include "sequencer/midi/arp_slots.h"

constexpr int32_t kArpChoiceKeys = 16;  // at most this many held keys take part in a choice

// The first note index of a direction mode (0 up, 1 up and down repeating the ends, 2 up and
// down, 3 down) over count keys, and its direction in *direction.
int32_t ArpStartIndex(int32_t mode, int32_t count, bool gateSet, int8_t* direction);
// The index after index: mode 0 wraps at the top (turns when stepCount is 1), mode 1 turns at
// both ends playing the end key twice, mode 2 turns at both ends, mode 3 wraps from the bottom
// to the top.
int32_t ArpNextIndex(int32_t mode, int32_t index, int32_t count, int32_t stepCount, int8_t* direction);
// An index past the end folded back onto the keys.
int32_t ArpStepIndex(int32_t index, int32_t count);

// A uniform number in lo..hi (clock task's own generator; never blocks).
int32_t ArpRandomInRange(int32_t lo, int32_t hi);

// The keys a step takes. held: the held keys (ascending), count of them (only the first 16
// count); extended: the held keys with their octave copies, for the walk. Answers the number of
// keys written to out (at most 17) and the mask of held keys chosen in *mask.
struct ArpChoiceInput {
  const uint8_t* held;
  int32_t count;
  const uint8_t* extended;
  int32_t extendedCount;
  int32_t noteIndex;
  int32_t walkMode;
};
int32_t ArpChooseNotes(const uint8_t* step, int32_t choice, const ArpChoiceInput& in,
                       ArpState* state, uint8_t* out, uint32_t* mask);

// The key a transpose in scale steps gives in the built-in table, from base (the key
// signature's tonic).
int32_t ArpScaleTableKey(int32_t key, int32_t steps, int32_t base);
// The same in a scale of intervals above base (size entries, ascending, first 0).
int32_t ArpChordScaleKey(int32_t key, int32_t steps, int32_t base, const uint8_t* scale, int32_t size);
