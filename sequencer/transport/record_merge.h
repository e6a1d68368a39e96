// Taking what a record pass recorded out of the processors' record buffers and merging it into
// the tracks. Main thread only.
//
// The record buffer keeps the notes whose key is still down as open notes (kind 0x60), which
// become notes in place when the key is released. A copy therefore stops at the first open
// note: what lies behind it is taken by a later copy, once the note is finished, so that no
// note is merged before its duration is known.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "sequencer/midi/realtime_processors.h"

// Flag bits of MergeRecordedData.
constexpr uint32_t kMergeSelectEvents = 0x20000000;   // the merged events become selected
constexpr uint32_t kMergeRedrawEditors = 0x40000000;  // the editors are redrawn
constexpr uint32_t kMergeRecordedFlags = kMergeSelectEvents | kMergeRedrawEditors;

// The finished records recorded since the last copy, in a new handle ended by one 14-byte end
// record of zeros; the merged position moves past them. Null when there is nothing finished
// to copy or no memory for the copy (then the records stay in the buffer for the next copy).
Handle CopyRecordedEvents(RealtimeProcessor* p);
// Merges the event list events (ended by an end record) into the current track. With replace
// the track's events in [from, to) go first (sequence references stay). On a memory shortage
// the track keeps its events and the error is answered.
OSErr MergeRecordedData(Handle events, bool replace, uint32_t from, uint32_t to, uint32_t flags);
// Merges the processor's pending range up to tick into the current track: with cycle replace
// the range is the whole cycle; when the range end lies past what was merged, the finished
// records go in (replacing when the record options say so) and the range restarts at its end.
OSErr MergeRecordBuffer(RealtimeProcessor* p, uint32_t tick);
// Forgets what was merged: the next pass starts with the buffer's first record.
void ResetRecordMerge(RealtimeProcessor* p);
