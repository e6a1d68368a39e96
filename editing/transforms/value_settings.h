// The remembered settings of the value transforms (velocity, limit, thin and the controller,
// pitch-bend and automation value dialogs). They are program globals kept for the run; a
// dialog reads them when it opens and writes them only when the user confirms.
#pragma once

#include <cstdint>

// Shared by the velocity dialog and the controller value dialogs.
extern int32_t gValueSetValue;     // 64
extern int32_t gValueAddAmount;    // 0
extern int32_t gValuePercent;      // 100
extern int32_t gValueRampStart;    // 64
extern int32_t gValueRampEnd;      // 64

// The controller number N of the limit, thin and controller dialogs (1), and the option byte
// whose bit 1 restricts controllers to number N. The preferences restore both at start-up.
extern int32_t gTransformController;
extern uint8_t gTransformOptions;
constexpr uint8_t kOnlyControllerN = 0x02;

inline bool OnlyControllerN() { return (gTransformOptions & kOnlyControllerN) != 0; }
inline int32_t ClampToMidi(int32_t v) { return v < 0 ? 0 : v > 127 ? 127 : v; }
