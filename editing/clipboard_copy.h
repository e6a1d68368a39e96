// Copy: the selected tracks' events, audio and settings, or the conductor map, into the
// clipboard song. The header and the two handles are editing/event_clipboard.h's.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Which children of the current source track were already copied into the clipboard song.
struct ChildCopyMask {
  uint64_t copied = 0;
  uint64_t failed = 0;
};

// The clipboard song reset to one empty track, the source song's settings copied into it, and
// each selected track copied (not in the marker context); marks gClipboardOwned.
void CopyTracksToClipboard();
// The insert rack of the clipboard rack table's entry for plug-in pane slot n >= 1 (the
// busses, then the master, behind the instruments); 0 when the table has none.
Handle GetClipboardSlotRack(int32_t slot);
// One selected track (the current track of the source song) into the clipboard song.
int32_t CopyTrackToClipboard(void* arg);
// A track's audio (its fixed part and audio handles, entry) into the clipboard song as the
// clipboard's only track; false when memory ran out.
bool CopyTrackAudioToClipboard(const uint8_t* entry);
// The clipboard song reset to the current song's settings and conductor map.
void CopyConductorToClipboard();
// The bytes the copy of the current track's range needs, end record included.
uint32_t CountCopyBytes();
// The bytes the copy can need at most without counting: every record from where the copy
// walk starts to the list's end (a copied record is never longer than its source).
uint32_t CopyBytesBound();
// The current track's events in the time selection that the copy filter takes, into
// destination (CountCopyBytes or CopyBytesBound long; cut to what was written), records
// taken as they stand moved in runs; the children of copied sequence references go into
// the clipboard song's current track once each.
void CopyTrackEvents(Handle destination, ChildCopyMask* children);
