// Taking a track's event list apart and giving the current track a new one, for the
// operations of the model that move events between tracks.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/memory/mac_types.h"

// The whole records of list (time-sorted SeqEvents) up to its end record, without it; a
// damaged record ends them there. Empty for a null list.
std::vector<uint8_t> CopyListRecords(Handle list);
// The length of the record at offset at of records (0 when none fits there).
uint32_t RecordLengthAt(const std::vector<uint8_t>& records, size_t at);
// The current track's list becomes records followed by the end record; the old list is
// disposed unless an undo step holds it. The track's list length follows and its end is
// recomputed. On a memory shortage the track keeps its list and the error is answered.
OSErr ReplaceCurrentTrackEvents(const std::vector<uint8_t>& records);
// The same with the current track's records and records merged in time order (at equal
// times the track's own come first).
OSErr MergeIntoCurrentTrack(const std::vector<uint8_t>& records);
