// The record file of an input: made under a name not taken yet (an existing file is never
// replaced), its header written before the audio and rewritten with the final byte count when
// the take ends, its size set ahead of the take, opened, closed and deleted. Main thread.
#pragma once

#include <cstdint>

#include "audio/engine/record_inputs.h"
#include "platform/memory/mac_types.h"

// The folder takes go to when media names no file (tests, or before a media folder exists):
// volume 0 while none is set.
extern int16_t gRecordFolderVRefNum;
extern int32_t gRecordFolderDirID;

// The largest number of audio bytes a record file may hold (AIFF describes at most 4 GiB;
// CAF takes as much, so the regions' u32 byte lengths are not overrun either).
constexpr uint64_t kMaxRecordFileBytes = kMaxRecordedBytes;

// Asks for a new file named after the track (the record's script code is -1), creates it
// ('AIFF' or 'caff' by the preference) and opens it for reading and writing; -128 when no file
// is given.
OSErr CreateRecordFile(AudioInput* input, ConstStr255Param trackName);
// Opens the record file's data fork with the permission; the fork goes into the input.
OSErr OpenRecordFile(AudioInput* input, int8_t permission);
// Closes the fork; 0 when none is open.
OSErr CloseRecordFile(AudioInput* input);
// Deletes the take's file (the fork closed first).
void DeleteRecordFile(AudioInput* input);
// Sets the fork's size ahead of the take: the pre-allocation setting in megabytes, else the
// samples between the record start and end ticks (an end before the start or past 0x400000
// ticks is replaced by the tick of bar barCount, at most 200).
OSErr PreallocateRecordFile(AudioInput* input, uint32_t startTick, uint32_t endTick, int32_t barCount);
// Writes the header at position 0 with no byte count; the fork position after it becomes the
// data offset.
OSErr WriteRecordHeader(AudioInput* input);
// Re-opens the file, counts only the bytes the file really holds behind the header, rewrites
// the header with that count, sets the file's size to the data offset plus them and closes it.
// A failure leaves the audio bytes in place.
OSErr CompleteRecordFile(AudioInput* input);
