// Region lists: the records of a track's audio played one after another from its start
// (song/model/audio_region.h), and the edits that make borders, silence and cuts in them.
// Positions are 64-bit sample positions from the track's start. Main thread; a list the engine
// plays is edited only inside the audio-edit bracket (the engine plays its own copy).
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Inserts count zeroed records at index (0..count of the list). The memory error; on failure
// the list is as it was.
OSErr InsertRegionRecords(Handle list, int32_t index, int32_t count);
// Sets the region's length: frames 0 gives byte length 0 and the silence flag, otherwise the
// byte length is frames x bytes per frame (0 for a silent region); with alsoAvailable the
// available frames become frames too.
void InitRegionLength(uint8_t* region, int32_t bytesPerFrame, int64_t frames, bool alsoAvailable);
// Copies all 256 bytes and marks the copy (flag 0x0004): it never deletes or releases the file.
void CopyRegion(const uint8_t* source, uint8_t* destination);
// Limits the available frames to what the region's file holds from the region's first frame.
void ClampRegionToFile(uint8_t* region);
// Selects record index (-1: the last) alone; every record loses flag 0x0020.
void SelectRegion(Handle list, int32_t index);
// Every record plays on (step 1) and is not selected.
void ClearRegionMarks(Handle list);
// The start of record index (the lengths before it) and its end.
void RegionSpan(Handle list, int32_t index, int64_t* start, int64_t* end);
// The end of the last record (0 for an empty list).
int64_t RegionListEnd(Handle list);

// Copies record index to index + 1: the first keeps frames frames and gets step, the second
// starts that many frames later in the file.
OSErr SplitRegionAtIndex(Handle list, int32_t index, int64_t frames, int32_t step);
// Makes region borders at positions a and b (a <= b); a position past the end extends the list
// with silence first. The record that ends at b carries the step back to the record at a. The
// last record is selected.
OSErr SplitRegionAt(Handle list, int64_t a, int64_t b);
// Splits the region at position and puts (end - position) frames of silence between the halves
// (silent records of at most 0x3FFFFFFF frames). Nothing past the end of the list.
OSErr InsertSilence(Handle list, int64_t position, int64_t end);
// Makes [start, end) one silent region, or with *remove cuts it out. A start past the end of
// the list changes nothing and sets *remove. -50 for start after end.
OSErr SetRegionRange(Handle list, int64_t start, int64_t end, bool* remove, bool alsoAvailable);
// Merges continuing records, drops empty ones and trailing silence (all of it when the list
// may be disposed, else all but one), selects the last region. The list, or null when it
// was disposed for being empty.
Handle NormalizeRegionList(Handle list, bool disposeWhenEmpty);
// Deletes the records [first, end).
void DeleteRegionRecords(Handle list, int32_t first, int32_t end);
// A copy of the whole list for an edit (no record shares a block in memory or an alias); 0
// when it cannot be made.
Handle CopyRegionList(Handle list);
