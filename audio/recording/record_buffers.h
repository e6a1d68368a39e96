// An input's record buffers: prepared for the take's fork (the largest whole number of device
// buffers that fits the setting, one write request each), released, the last partial buffer
// written when the take ends, and the bounded wait until no write of the input is in flight.
// Main thread; the IO procedure and the disk thread own the buffers while the take runs.
#pragma once

#include <cstdint>

#include "audio/engine/record_inputs.h"

// Allocates the missing buffers (cleared) and points every write request at the fork; 0, -50
// (no device buffer size, except for an input of no device) or -108.
int16_t PrepareRecordBuffers(AudioInput* input, int32_t count, int16_t fork);
// Frees the buffers; with releaseAll 0 (or for the static input while the engine plays) the
// first is kept as the current one.
void ReleaseRecordBuffers(AudioInput* input, bool releaseAll);
// Writes the current buffer's bytes at the file position when its request is not busy; the
// bytes join the bytes written.
OSErr FlushRecordBuffer(AudioInput* input);
// The file position up to which the take's audio really reached the file: the position after
// the last buffer handed on, or the end of what a failed write managed to write (the earliest
// failed one), since a file made ahead of the take is longer than its audio.
int64_t RecordedDataEnd(const AudioInput* input);
// Waits, at most timeoutMicros, until the disk thread has no message and no request of the
// input is pending; false when the time ran out. The first failed write is the answer's error.
bool WaitForRecordWrites(AudioInput* input, uint32_t timeoutMicros, int32_t* failed);
// Starts the take's write window: the buffers from the first, the file position at the data
// offset, commits open from the first frame and never closed by a punch-out.
void OpenRecordWindow(AudioInput* input);
