// The song slots as the song list works on them: a new song in an empty slot, the link flags,
// the list selection (header byte 48 bit 2), moving the selected songs to another row,
// disposing them, and the next slot that holds a song. Songs live in slots 0..15 only.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Slots a song may take: 0..15.
constexpr int32_t kMaxSongSlots = 16;
// The slot table never shrinks below this when songs are removed.
constexpr int32_t kLeastSongSlotCount = 32;

// A one-track song with a unique id in the current (empty) slot, made current; the document
// is marked modified and the track selection is the new song's. On failure the slot stays
// empty (nothing of the new song is kept) and the memory error is returned.
OSErr MakeSongInEmptySlot();
// Sets bit 0x80 of header byte 17 on every song whose id another open song carries, and
// clears it on the others.
void UpdateSongLinkFlags();

bool IsSongSlotSelected(int32_t slot);
// A plain click selects only the slot's song; with shift the range from the previous click
// to the slot; with command the slot's song is toggled. The slot is remembered for the next
// shift click.
void SelectSongListRows(int32_t slot, uint32_t modifiers);
// Marks the slot's song selected (nothing for an empty slot).
void MarkSongSlotSelected(int32_t slot);

// Moves the selected songs so that they start at row, keeping the order of the moved songs
// and of the others. A row past the last slot grows the table; when the moved songs would
// not end within slots 0..15, nothing moves and -108 is returned. Slot 0 is given a fresh song when it
// would be left empty.
OSErr MoveSelectedSongsToRow(int32_t row);
// Disposes every selected song that nothing else holds (the clipboard, the undo ring, the
// playing clock), shrinks the table to one past the highest slot in use but not below 32,
// and returns the slot to make current: the nearest slot before the first one removed that
// holds a song (0 when it was slot 0; -1 when nothing was removed).
int32_t DisposeSelectedSongs();
// The next (delta > 0) or previous slot that holds a song, wrapping within the first 16
// slots (or fewer); the current slot when no other holds one.
int32_t FindSteppedSongSlot(int32_t from, int32_t delta);
