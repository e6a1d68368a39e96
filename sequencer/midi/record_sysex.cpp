// System-exclusive blocks on their way into the record buffer: the MIDI read thread queues a
// completed block in pieces, the main thread writes whole blocks into the buffer.
#include <algorithm>
#include <cstring>

#include "sequencer/midi/record_buffers.h"
#include "song/events/data_events.h"

namespace {

int32_t PiecesFor(uint32_t bytes) { return int32_t((bytes + kSysExPieceBytes - 1) / kSysExPieceBytes); }

// Takes the rest of a block after its first piece; copies into out when it is not null.
void TakeBlockPieces(RealtimeProcessor* p, SysExPiece piece, uint8_t* out) {
  uint32_t at = 0;
  for (;;) {
    uint32_t count = std::min<uint32_t>(piece.count, kSysExBufferSize - std::min(at, kSysExBufferSize));
    if (out) std::memcpy(out + at, piece.bytes, count);
    at += count;
    if (piece.last || !p->sysexBlocks.TryPop(&piece)) break;
  }
}

}  // namespace

void AppendSysExRecord(RealtimeProcessor* p, const uint8_t* data) {
  RecordBuffer& r = p->record;
  uint32_t n = std::min(p->sysexLength, kSysExBufferSize);
  p->sysexLength = 0;
  if (n == 0 || !r.active.load(std::memory_order_acquire)) return;
  // The read thread is the only producer, so the room seen now can only grow.
  size_t free = kSysExPieceQueueSize - p->sysexBlocks.Count();
  if (size_t(PiecesFor(n)) > free) {
    p->errorFlags.fetch_or(kProcessorErrorRecordFull, std::memory_order_relaxed);
    return;
  }
  SysExPiece piece;
  piece.tick = p->sysexTick;
  piece.total = n;
  for (uint32_t at = 0; at < n; at += kSysExPieceBytes) {
    piece.count = uint16_t(std::min<uint32_t>(kSysExPieceBytes, n - at));
    piece.first = at == 0;
    piece.last = at + piece.count >= n;
    std::memcpy(piece.bytes, data + at, piece.count);
    p->sysexBlocks.TryPush(piece);
  }
  r.sysexQueued.fetch_add(1, std::memory_order_release);
}

int32_t TakeQueuedSysExBlocks(RealtimeProcessor* p) {
  RecordBuffer& r = p->record;
  int32_t written = 0;
  uint32_t queued = r.sysexQueued.load(std::memory_order_acquire);
  SysExPiece piece;
  while (r.sysexTaken != queued && p->sysexBlocks.TryPop(&piece)) {
    if (!piece.first) continue;  // never happens: blocks are queued whole
    ++r.sysexTaken;
    uint32_t n = piece.total, size = DataEventSize(n);
    uint8_t* base = RecordBufferBytes(p);
    if (!base || r.write > r.end || r.end - r.write < size) {
      p->errorFlags.fetch_or(kProcessorErrorRecordFull, std::memory_order_relaxed);
      TakeBlockPieces(p, piece, nullptr);
      continue;
    }
    r.busy.store(1, std::memory_order_release);
    uint8_t block[kSysExBufferSize];
    TakeBlockPieces(p, piece, block);
    uint8_t* e = base + r.write;
    FillDataEvent(e, piece.tick, block, n);
    if (n & 1) e[kDataEventData + n] = 0xF7;  // padded to an even length with one more 0xF7
    r.write += size;
    r.recordedLength += size;
    r.busy.store(0, std::memory_order_release);
    gSomethingRecorded.store(1, std::memory_order_release);
    ++written;
  }
  return written;
}
