// Stream reads: the work units an audio-track channel issues for its two halves (read a half's
// raw bytes, decode a half), executed on the disk worker or inline; the pool of read requests;
// where region data comes from (the file, a block in memory, or silence); the file position of
// the next read.
//
// Threads: the requests are taken and the work is issued by the engine thread (or the output
// procedure when it mixes inline) and by the main thread while preparing; the disk worker
// executes codes 1, 2, 4 and 5. A request is free while its result is below 1 and busy while it
// is 1; the read stores the final result. No call here allocates or takes a lock.
#pragma once

#include <cstdint>

#include "audio/engine/engine_channels.h"
#include "song/model/audio_region.h"

struct EngineWorker;

// The requests of the pool, and the request result that marks one busy (queued).
constexpr int32_t kReadRequestCount = 48;
constexpr int32_t kReadRequestBusy = 1;

// Work codes of a request (the engine ring's codes): read half 0 or 1, decode half 0 or 1.
constexpr int32_t kStreamWorkReadHalf0 = 1;
constexpr int32_t kStreamWorkReadHalf1 = 2;
constexpr int32_t kStreamWorkDecodeHalf0 = 4;
constexpr int32_t kStreamWorkDecodeHalf1 = 5;

// The reads see a region through its record (song/model/audio_region.h): the byte position of
// its first frame in its file, its bytes per frame, its file's entry, its flags, and the block
// that holds its data when it is kept in memory (from its first frame on, with flag 0x40).
// In a channel's own copy of the regions only: the open fork of the region's file, taken from
// the song's referenced-file table when the stream is prepared (0: the channel's own fork).
constexpr int32_t kRegionCopyForkAt = 140;     // u32

// Error latched and stored when a read delivers fewer bytes than asked (the rest is silence).
constexpr int16_t kStreamErrShortRead = -39;

// The pool (static memory) and its rotating cursor.
extern StreamFileRequest gReadRequests[kReadRequestCount];
// Every request free (result 0) with position mode 0x21 (from the start, not cached); the
// cursor back at the last slot.
void ResetReadRequestPool();
// Scans from the slot after the cursor, wrapping after the last, for a free request; marks it
// busy, moves the cursor to it and returns it. Null (nothing changed) when all are busy.
StreamFileRequest* AcquireReadRequest();

// With a worker, posts {object, code} to it and returns the post's result. Without one, does
// the work at once: codes 1 and 2 read the request (the object) and count a completion on its
// owner for half code - 1; codes 4 and 5 run the channel's (the object) decode procedure for
// half code - 4, clear its decode-pending byte and count a completion. Other codes do nothing.
int32_t RequestStreamWork(void* object, int32_t code, EngineWorker* worker);
// The work of codes 4 and 5 for half 0 or 1: a channel with a reader of its own (the region
// walk, a source made for it) is filled by it, the reader running the decoder itself; else the
// channel's decode procedure fills the decoded half from its input. A decoder that fails
// leaves the half silent and keeps the first error in the channel's pendingError, reported
// when the channel is disposed; the half holds data (halfReady) otherwise. 0, or the reader's
// answer.
int32_t DecodeStreamHalf(EngineChannel* channel, int32_t half);
// The work of codes 1 and 2 (the disk worker's handler too): reads the request's bytes, stores
// the result, counts the completion. A read that delivers less than asked (a missing or short
// file) zeroes the rest of the buffer, stores and latches an error: never stale bytes.
int32_t ExecuteStreamRead(void* request, int32_t code, EngineWorker* worker);

// Fills the request's buffer with `bytes` of the region at the request's file position. Bytes
// of 0 or less: result 0 and nothing else. A region neither in memory, silent nor missing is
// read from its file: *ready = 1, the request busy with `bytes` asked, the read issued (code
// half + 1) and the owner's issued count of the half raised. A region in memory copies its
// bytes at (file position - region start) and sets *ready; a silent or missing region gives
// zeros without touching *ready; both leave result 0. Memory bytes outside the block are
// silence and latch kStreamErrShortRead.
int32_t ReadRegionData(const uint8_t* region, int32_t spare, StreamFileRequest* request, int32_t bytes,
                       uint8_t* ready, int32_t half, EngineWorker* worker);
// The file position of the other half's read = this half's + bytes, folded into the loop when
// the transport cycles and the channel loops (a loop length: modulo it, plus the loop's base),
// and into the region's length when the region loops and the position reached it.
void SetNextReadPosition(EngineChannel* channel, int32_t half, int32_t bytes);
// The start (in samples at `rate`) of repetition `count` of a looping region of `frames`
// frames at `regionRate`.
int64_t RegionLoopOffset(int64_t frames, float regionRate, int32_t count, float rate);
