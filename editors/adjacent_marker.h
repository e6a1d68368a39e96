// Moving between the song's markers with the Tab key.
#pragma once

#include <cstdint>

// Markers of kinds 0 and 1 are the ones Tab stops at.
constexpr uint32_t kTabMarkerKinds = 3;
// The mark of the marker Tab went to (the dragged mark of the marker strip).
constexpr uint8_t kMarkerVisited = 0x04;

// The index of the marker Tab goes to from the song position at tick: forward the first
// marker of a Tab kind after it (the marker count when none), backward the last one before
// it (-1 when none, and forward too when the song has no markers).
int32_t AdjacentMarkerIndex(uint32_t tick, bool backward);
// Tab (backward with shift): the adjacent marker becomes the marker window's current marker
// and the only marked one, and the song position goes to it in the windows that follow it.
// False when there is none that way.
bool GoToAdjacentMarker(bool backward);
