// Paste, Merge and Duplicate: the clipboard into the current song at the time selection's
// start, track by track; and the operations that run the clipboard machinery on a temporary
// clipboard (track-block moves, sequence-reference expansion, audio stretches).
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Paste = (0, 0, 4, null), Merge = (0, 1, 5, null); internal users pass no undo kind (0).
// The first error of the paste (0 when none).
OSErr PasteFromClipboard(int32_t repeat, int32_t merge, int16_t undoKind, void (*applyCallback)());
// The clipboard's tracks into the tracks of the selection (clipboard track n lands on
// n + gPasteTrackOffset; destinations outside 0..47 are left out).
OSErr PasteTracks(bool withRacks, bool noTrackUndo, bool insertAllowed);
// Every clipboard track merged into the current track at the selection start (the event list
// and the list editors' paste).
OSErr PasteIntoCurrentTrack();
// Clipboard track number into its destination track.
OSErr PasteIntoTrack(int32_t number);
// Clipboard track number replaces its destination track whole.
OSErr ReplaceTrackFromClipboard(int32_t number);
// The clipboard song's settings and tracks become the current song's (song-list paste).
OSErr PasteAsSong();
// Edit item 6: the selection copied and pasted right behind itself.
void DuplicateSelection();
// The drag of a block of tracks: tracks first..last, range from (ticks) moved (or copied with
// copyOnly) to the range starting at to.
void TrackRangeClipboardOp(int32_t first, int32_t last, uint32_t fromStart, uint32_t fromEnd,
                           uint32_t to, bool copyOnly);
// The child sequence of a reference (child cell index) merged into the current track at tick
// over length ticks.
OSErr ExpandSequenceReference(int32_t child, uint32_t tick, uint32_t length);
// Edit item 16: every sequence reference of the current track in the time selection expanded.
void ExpandReferencesInSelection();
// A stretch of audio: the track data (a TrackEntry's fixed part with its handles) pasted at
// destination (ticks) over length samples, through a temporary clipboard.
OSErr PasteMediaRange(const uint8_t* trackData, uint64_t length, uint32_t destination);
