// The track selection: a first and a last track slot and a 14-byte mask with one bit per
// slot (byte slot >> 3, bit 1 << (slot & 7)); only slots 0..47 are used.
#pragma once

#include <cstdint>

constexpr int kTrackSelectionBytes = 16;

extern uint8_t gTrackSelection[kTrackSelectionBytes];

// True when the entry's track number is set in the mask and lies within first..last.
bool IsTrackEntrySelected(const uint8_t* entry);
bool IsSlotInSelection(const uint8_t* selection, int32_t slot);
void SetTrackSelectionBounds(uint8_t first, uint8_t last);
void SelectTrackSlot(int32_t n);
void ClearTrackSelectionMask();
void SaveTrackSelection(uint8_t* buffer);
void RestoreTrackSelection(const uint8_t* buffer);
