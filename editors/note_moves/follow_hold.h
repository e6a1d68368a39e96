// The follow hold: a byte that marks a note drag in progress, so that the windows that follow
// the song position hold still while notes move under the pointer.
#pragma once

#include <cstdint>

// Non-zero: Return locates to tick 1 without scrolling the windows.
extern uint8_t gFollowHold;
constexpr uint8_t kFollowHoldDrag = 0x02;

// With release false (a drag starts) bit 1 is set when the byte is 0; with release true (the
// drag ends) the byte is cleared when it is non-zero.
void SetFollowHold(bool release);
