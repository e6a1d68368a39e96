#include "song/model/track_selection.h"

#include <cstring>

#include "song/model/song_layout.h"

uint8_t gTrackSelection[kTrackSelectionBytes] = {0, 47};

bool IsSlotInSelection(const uint8_t* selection, int32_t slot) {
  if (slot < 0 || slot >= kMaxTrackNumbers) return false;
  if (slot < selection[kSelectionFirstSlot] || slot > selection[kSelectionLastSlot]) return false;
  return (selection[kSelectionMask + (slot >> 3)] & (1 << (slot & 7))) != 0;
}

bool IsTrackEntrySelected(const uint8_t* entry) {
  return IsSlotInSelection(gTrackSelection, entry[kTrackNumber]);
}

void SetTrackSelectionBounds(uint8_t first, uint8_t last) {
  gTrackSelection[kSelectionFirstSlot] = first;
  gTrackSelection[kSelectionLastSlot] = last;
}

void SelectTrackSlot(int32_t n) {
  if (n < 0 || n >= kMaxTrackNumbers) return;
  gTrackSelection[kSelectionMask + (n >> 3)] |= uint8_t(1 << (n & 7));
}

void ClearTrackSelectionMask() {
  std::memset(gTrackSelection + kSelectionMask, 0, kSelectionMaskBytes);
}

void SaveTrackSelection(uint8_t* buffer) { std::memcpy(buffer, gTrackSelection, 16); }

void RestoreTrackSelection(const uint8_t* buffer) { std::memcpy(gTrackSelection, buffer, 16); }
