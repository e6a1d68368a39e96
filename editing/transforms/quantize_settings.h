// The quantize settings: a 24-byte big-endian record that says how notes move toward a grid
// or a groove, the two records the program keeps (the quantize settings of the Transform menu
// and the input-quantize settings of the record pass), and the chord window.
//
//   +0  u32 grid index 0..17 into gNoteValueTicks, last chosen with the arrows
//   +4  u32 grid in ticks (0 is taken as 1 when applied)
//   +8  i16 swing in percent, 50 straight
//   +10 u16 groove track number (kind 2)
//   +12 i16 velocity strength in percent (grooves)
//   +14 i16 timing strength in percent, 100 a full move
//   +16 i16 duration strength in percent (grooves)
//   +18 i16 groove id: the 'GRVE' resource of kind 1
//   +20 u8  kind: 0 grid, 1 'GRVE' resource, 2 another track
//   +21 u8  flags, below
//   +22 u8  options: bit 0 also the triplet positions
//   +23 u8  apply: 1 moves the notes in a groove pass; 0 changes velocities and durations only
//
// Main thread only.
#pragma once

#include <cstdint>

#include "platform/memory/byte_order.h"

constexpr int32_t kQuantizeSettingsSize = 24;

enum : int32_t {
  kQuantizeGridIndex = 0,
  kQuantizeGrid = 4,
  kQuantizeSwing = 8,
  kQuantizeGrooveTrack = 10,
  kQuantizeVelocityStrength = 12,
  kQuantizeTimingStrength = 14,
  kQuantizeDurationStrength = 16,
  kQuantizeGrooveId = 18,
  kQuantizeKind = 20,
  kQuantizeFlags = 21,
  kQuantizeOptions = 22,
  kQuantizeApply = 23,
};

enum : uint8_t { kQuantizeKindGrid = 0, kQuantizeKindResource = 1, kQuantizeKindTrack = 2 };

constexpr uint8_t kQuantizeStarts = 0x01;
constexpr uint8_t kQuantizeDurations = 0x02;
constexpr uint8_t kQuantizeChords = 0x04;      // notes starting together move as one
constexpr uint8_t kQuantizeLoopByBars = 0x08;  // a looped groove starts at a bar line
constexpr uint8_t kQuantizeTriplets = 0x01;    // options

struct QuantizeSettings {
  uint8_t bytes[kQuantizeSettingsSize];
};

extern QuantizeSettings gQuantizeSettings;       // the Transform menu's
extern QuantizeSettings gInputQuantizeSettings;  // the record pass's, kept for the run
// Notes starting within this many ticks of a group's first note form one chord. The same
// byte is the legato gap of the duration dialog.
extern uint8_t gChordWindow;

// The initial value of both records: index 9, grid 0, swing 50, track 0, velocity 100,
// timing 100, duration 10, groove 1, kind 0, flags 0x01, options 0, apply 0.
void InitQuantizeSettings(QuantizeSettings* s);

inline int32_t GetQuantizeU32(const QuantizeSettings* s, int32_t at) {
  return int32_t(ReadU32BE(s->bytes + at));
}
inline void SetQuantizeU32(QuantizeSettings* s, int32_t at, int32_t v) {
  WriteU32BE(s->bytes + at, uint32_t(v));
}
inline int32_t GetQuantizeI16(const QuantizeSettings* s, int32_t at) {
  return ReadI16BE(s->bytes + at);
}
inline void SetQuantizeI16(QuantizeSettings* s, int32_t at, int32_t v) {
  WriteI16BE(s->bytes + at, int16_t(v));
}
inline uint8_t GetQuantizeByte(const QuantizeSettings* s, int32_t at) { return s->bytes[at]; }
inline void SetQuantizeByte(QuantizeSettings* s, int32_t at, uint8_t v) { s->bytes[at] = v; }

// The grid the settings give, at least 1.
int32_t QuantizeGridTicks(const QuantizeSettings* s);
