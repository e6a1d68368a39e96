#include "audio/streams/stream_reads.h"

#include <cstring>

#include "audio/engine/engine_file_requests.h"
#include "audio/engine/engine_thread.h"
#include "platform/files/forks.h"
#include "platform/memory/byte_order.h"

StreamFileRequest gReadRequests[kReadRequestCount];

namespace {

int32_t gReadCursor = kReadRequestCount - 1;

void CountCompletion(EngineChannel* owner, int32_t half) {
  if (owner) owner->halfCompleted[half & 1].fetch_add(1, std::memory_order_release);
}

// Stores a failed request's error (never the busy mark) and silences what it did not fill.
void FailRequest(StreamFileRequest* request, int32_t error, uint32_t filled) {
  if (request->buffer && request->count > filled)
    std::memset(static_cast<uint8_t*>(request->buffer) + filled, 0, request->count - filled);
  request->actualCount = filled;
  request->result.store(error > 0 ? -error : error, std::memory_order_release);
}

// The region's bytes in memory from offset on, as far as its block holds them; the rest of
// `bytes` is silence and an error. Answers 0 or the error.
int32_t CopyMemoryRegion(const uint8_t* region, int64_t offset, uint8_t* out, int32_t bytes) {
  Handle block(ReadU32BE(region + kRegionMemoryBlockAt));
  int64_t size = block ? int64_t(GetHandleSize(block)) : 0;
  int64_t from = offset < 0 ? 0 : offset;
  int64_t available = size > from ? size - from : 0;
  int64_t lead = offset < 0 ? -offset : 0;  // bytes before the region's start
  if (lead > bytes) lead = bytes;
  int64_t copy = bytes - lead < available ? bytes - lead : available;
  std::memset(out, 0, size_t(bytes));
  if (copy > 0) std::memcpy(out + lead, *block + from, size_t(copy));
  return lead == 0 && copy == bytes ? 0 : kStreamErrShortRead;
}

}  // namespace

void ResetReadRequestPool() {
  for (StreamFileRequest& r : gReadRequests) {
    r.positionMode = kStreamReadMode;
    r.owner = nullptr;
    r.result.store(0, std::memory_order_release);
  }
  gReadCursor = kReadRequestCount - 1;
}

StreamFileRequest* AcquireReadRequest() {
  for (int32_t step = 1; step <= kReadRequestCount; ++step) {
    int32_t slot = (gReadCursor + step) % kReadRequestCount;
    int32_t result = gReadRequests[slot].result.load(std::memory_order_acquire);
    if (result >= kReadRequestBusy) continue;
    if (!gReadRequests[slot].result.compare_exchange_strong(result, kReadRequestBusy)) continue;
    gReadCursor = slot;
    return &gReadRequests[slot];
  }
  return nullptr;
}

int32_t ExecuteStreamRead(void* object, int32_t code, EngineWorker*) {
  auto* request = static_cast<StreamFileRequest*>(object);
  if (!request) return 0;
  ByteCount actual = 0;
  OSErr err = paramErr;
  if (request->buffer || request->count == 0)
    err = FSReadFork(request->forkRefNum, request->positionMode, RequestPosition(request), request->count,
                     request->buffer, &actual);
  if (err == noErr && actual < request->count) err = kStreamErrShortRead;
  if (err != noErr) {
    FailRequest(request, err, uint32_t(actual));
  } else {
    request->actualCount = uint32_t(actual);
    request->result.store(0, std::memory_order_release);
  }
  // Latched before the half counts as served, so whoever sees it served sees the error too;
  // counted whatever the result, so the engine never waits for a read that failed.
  if (err != noErr) LatchAudioEngineError(int16_t(err));
  CountCompletion(request->owner, code - kStreamWorkReadHalf0);
  return 0;
}

int32_t DecodeStreamHalf(EngineChannel* channel, int32_t half) {
  half &= 1;
  // A reader of the channel's own (the region walk of a file-streaming channel, a source made
  // for it) reads and decodes in one pass: it runs the channel's decoder itself.
  if (channel->reader || !channel->decodeProc)
    return channel->reader ? channel->reader(channel, half, channel->halfBuffer[half], &channel->halfReady[half]) : 0;
  void* block = channel->halfBuffer[half];
  if (!block) return 0;
  int16_t result = channel->decodeProc(channel, half, block, &channel->halfAtEnd[half]);
  if (result >= 0) {
    channel->halfReady[half] = 1;
    return 0;
  }
  if (channel->decodedBlockBytes > 0) std::memset(block, 0, size_t(channel->decodedBlockBytes));
  channel->halfReady[half] = 0;
  if (channel->pendingError == 0) channel->pendingError = result;
  return 0;  // one track's bad data stops neither the worker nor the sequencer
}

int32_t RequestStreamWork(void* object, int32_t code, EngineWorker* worker) {
  if (worker) return PostEngineMessage(object, code, worker);
  switch (code) {
    case kStreamWorkReadHalf0:
    case kStreamWorkReadHalf1: return ExecuteStreamRead(object, code, nullptr);
    case kStreamWorkDecodeHalf0:
    case kStreamWorkDecodeHalf1:
      return object ? RunStreamDecode(static_cast<EngineChannel*>(object), code - kStreamWorkDecodeHalf0) : 0;
    default: return 0;
  }
}

int32_t ReadRegionData(const uint8_t* region, int32_t, StreamFileRequest* request, int32_t bytes, uint8_t* ready,
                       int32_t half, EngineWorker* worker) {
  if (!request) return 0;
  if (bytes <= 0 || !region) {
    request->result.store(0, std::memory_order_release);
    return 0;
  }
  uint16_t flags = ReadU16BE(region + kRegionFlagsAt);
  auto* out = static_cast<uint8_t*>(request->buffer);
  if (!(flags & (kRegionFlagSilent | kRegionFlagMissing | kRegionFlagInMemory))) {
    *ready = 1;
    request->count = uint32_t(bytes);
    request->result.store(kReadRequestBusy, std::memory_order_release);
    EngineChannel* owner = request->owner;
    if (owner) owner->halfRequested[half & 1].fetch_add(1, std::memory_order_release);
    int32_t posted = RequestStreamWork(request, (half & 1) + 1, worker);
    if (posted != 0) {  // the ring refused it (latched there): silence, and the half is served
      FailRequest(request, posted, 0);
      CountCompletion(owner, half);
    }
    return 0;
  }
  int32_t err = 0;
  if (flags & kRegionFlagInMemory) {
    int64_t offset = RequestPosition(request) - int64_t(ReadU32BE(region + kRegionFileOffsetAt));
    if (out) err = CopyMemoryRegion(region, offset, out, bytes);
    *ready = 1;
  } else if (out) {
    std::memset(out, 0, size_t(bytes));
  }
  request->actualCount = uint32_t(bytes);
  request->result.store(0, std::memory_order_release);
  if (err) LatchAudioEngineError(int16_t(err));
  return 0;
}

void SetNextReadPosition(EngineChannel* channel, int32_t half, int32_t bytes) {
  int64_t position = channel->readPosition[half & 1] + bytes;
  if (channel->loop && channel->loopLength > 0) {
    int64_t inLoop = (position - channel->loopBase) % channel->loopLength;
    if (inLoop < 0) inLoop += channel->loopLength;
    position = channel->loopBase + inLoop;
  }
  if (channel->regionLoopBytes > 0 && position >= channel->regionLoopBytes)
    position %= channel->regionLoopBytes;
  channel->readPosition[(half & 1) ^ 1] = position;
}

int64_t RegionLoopOffset(int64_t frames, float regionRate, int32_t count, float rate) {
  int64_t offset = frames * count;
  if (regionRate > 0.0f && rate > 0.0f && regionRate != rate)
    offset = int64_t(double(offset) * double(rate) / double(regionRate) + 0.5);
  return offset;
}
