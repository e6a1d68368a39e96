// The thin transform of the Transform menu: deletes controller-like events of the time
// selection that follow too closely in time or in value.
#pragma once

#include <cstdint>

// gThinFlags: which kinds are thinned and by which tests.
constexpr uint8_t kThinPitchBend = 0x01;
constexpr uint8_t kThinChannelPressure = 0x02;
constexpr uint8_t kThinPolyPressure = 0x04;
constexpr uint8_t kThinControllers = 0x08;
constexpr uint8_t kThinByValue = 0x10;
constexpr uint8_t kThinByTime = 0x20;

extern uint8_t gThinFlags;          // 0x0F
extern int32_t gThinMinimumChange;  // 10 (0..127; pitch bend in steps of its high byte)
extern int32_t gThinMinimumTicks;   // 10 (255: 255 or more)

// The per-track step: compacts the current track's list in place.
int32_t ThinTrackStep(void* arg);
int32_t ApplyThinTransform();
