// The limit transform of the Transform menu: clamps one kind of data value of the time
// selection into a range.
#pragma once

#include <cstdint>

enum LimitMode : uint8_t {
  kLimitVelocity = 0,         // notes, byte +7
  kLimitReleaseVelocity = 1,  // notes, byte +8
  kLimitChannelPressure = 2,  // byte +6
  kLimitController = 3,       // byte +7; only number N when OnlyControllerN()
};

extern uint8_t gLimitMode;      // 0
extern int32_t gLimitMinimum;   // 0
extern int32_t gLimitMaximum;   // 127

// The byte offset of the value the mode limits in event, or 0 when the event is not of it.
int32_t LimitedValueOffset(const uint8_t* event);
int32_t LimitTrackStep(void* arg);
int32_t ApplyLimitTransform();
