// The velocity transform of the Transform menu: sets, offsets, scales or ramps the velocity
// (or release velocity) of the notes of the time selection.
#pragma once

#include <cstdint>

// gVelocityFlags: bits 0-2 the mode, bit 4 change the top bit of the velocity byte, bit 5 the
// top bit's new value, bit 6 work on the release velocity.
constexpr uint8_t kVelocityModeMask = 0x07;
constexpr uint8_t kVelocityChangeTopBit = 0x10;
constexpr uint8_t kVelocityTopBitSet = 0x20;
constexpr uint8_t kVelocityRelease = 0x40;

enum VelocityMode : uint8_t {
  kVelocitySet = 0,
  kVelocityAdd = 1,
  kVelocityPercent = 2,
  kVelocityRamp = 3,
  kVelocityPercentRamp = 4,
};

extern uint8_t gVelocityFlags;          // 0
extern int32_t gVelocityPercentFrom;    // 75
extern int32_t gVelocityPercentTo;      // 125

// The new 7-bit value of x (0..127) for a note at tick, selection start..end, by the mode and
// the remembered values; clamped to 0..127.
int32_t TransformVelocityValue(int32_t x, uint32_t tick, uint32_t start, uint32_t end);
// The per-track step (ForEachTrackWithEvents convention): the notes the edit filter accepts.
int32_t VelocityTrackStep(void* arg);
// Runs the transform as one undoable step over the tracks of the edit scope; 1 when it ran.
int32_t ApplyVelocityTransform();
