// The track selection: the set of tracks that editing operations act on. One global record,
// gTrackSelection (16 bytes: a first and a last track slot and a 14-byte mask with one bit per
// slot, byte slot >> 3, bit 1 << (slot & 7)); only slots 0..47 are used, the mask's other bits
// stay as they were set. A slot counts as selected for a track only when its bit is set and it
// lies within first..last. Whenever the selection changes it is copied into the current song
// (StoreSelectionInSong), so that each song keeps its own and undo steps can restore it.
//
// A first value of 255 marks "nothing chosen yet" during the instrument window's selection walk.
#pragma once

#include <cstdint>

constexpr int kTrackSelectionBytes = 16;
constexpr uint8_t kSelectionWalkUnset = 255;

extern uint8_t gTrackSelection[kTrackSelectionBytes];

void CopySelection16(const uint8_t* source, uint8_t* destination);
void SaveTrackSelection(uint8_t* destination);
void RestoreTrackSelection(const uint8_t* source);

void ClearTrackSelectionMask();    // first and last unchanged
void SetAllTrackSelectionBits();   // all 14 mask bytes 0xFF
void SetTrackSelectionBounds(uint8_t first, uint8_t last);

// The mask bit of slot n of a selection (false for n outside 0..47).
bool IsTrackSlotSelectedIn(const uint8_t* selection, int32_t n);
bool IsTrackSlotSelected(int32_t n);
bool IsCurrentTrackSlotSelected();
// Bit set and slot within first..last.
bool IsSlotInSelection(const uint8_t* selection, int32_t slot);
bool IsTrackEntrySelected(const uint8_t* entry);
bool IsCurrentTrackWithinBounds();
// The current track's slot bit, or else any member of its link group selected.
bool IsCurrentTrackSelected();

// Sets slot n's bit; n outside 0..47 is ignored. Bounds are not touched.
void SelectTrackSlot(int32_t n);
void SelectCurrentTrackSlot();

// first/last = the lowest/highest set bit of slots 0..47 (both 0 when none); with store set,
// then StoreSelectionInSong.
void RecomputeSelectionBounds(uint8_t* selection, bool store);
// Flips slot n (0..47; others ignored) and recomputes the bounds with storing.
void ToggleTrackSlot(uint8_t* selection, int32_t n);
void ToggleCurrentTrackSelected();

void SelectAllTracks();
// Slots first..min(last, 47); a first above 47 or above last leaves the mask empty.
void SelectTrackSlotRange(int32_t first, int32_t last);
// Selects every track of the current song whose number lies in first..last (with linked set,
// the members of each one's link group too); the current track is kept.
void SelectTrackRangeWith(int32_t first, int32_t last, bool linked);
void SelectCurrentTrackOnly(bool linked);

// Copies the selection and the time selection into the current song (nothing without one),
// and asks the main editor and the track window to be drawn again.
void StoreSelectionInSong();
