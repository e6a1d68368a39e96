#include "media/overview/overview_edits.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "media/overview/overview_blocks.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"

namespace {

uint8_t* Bytes(Handle block) { return reinterpret_cast<uint8_t*>(*block); }

// Entries for ticks of silence: runs of at most 255 ticks.
std::vector<uint8_t> SilentRuns(int32_t ticks) {
  std::vector<uint8_t> runs;
  for (; ticks > 0; ticks -= kOverviewLongestRun) {
    runs.push_back(kOverviewRunMark);
    runs.push_back(uint8_t(std::min(ticks, kOverviewLongestRun)));
  }
  return runs;
}

// Inserts entry bytes at a byte offset and adds their entries to the count in use.
OSErr InsertEntries(Handle block, int32_t offset, const uint8_t* entries, int32_t bytes) {
  if (bytes == 0) return noErr;
  int32_t count = OverviewBlockCount(block);
  if (Munger(block, offset, nullptr, 0, entries, bytes) < 0 || MemError() != noErr) return memFullErr;
  SetOverviewBlockCount(block, count + bytes / 2);
  WriteI32BE(Bytes(block) + kOverviewLevelTickAt, 0);
  WriteI32BE(Bytes(block) + kOverviewLevelIndexAt, 0);
  return noErr;
}

void RemoveEntries(Handle block, int32_t offset, int32_t entries) {
  if (entries <= 0) return;
  Munger(block, offset, nullptr, entries * 2, "", 0);
  SetOverviewBlockCount(block, OverviewBlockCount(block) - entries);
}

OSErr InsertBlockTicks(Handle block, int32_t tick, int32_t count) {
  int32_t offset = 0;
  int32_t at = FindOverviewEntry(block, tick, &offset);
  if (at < tick) count += tick - at;  // the block ends before the tick: fill the gap
  std::vector<uint8_t> runs = SilentRuns(count);
  return InsertEntries(block, offset, runs.data(), int32_t(runs.size()));
}

// The entry holding a tick: its byte offset and the tick it begins at; false past the end.
bool EntryHolding(Handle block, int32_t tick, int32_t* offset, int32_t* begins) {
  const uint8_t* p = Bytes(block);
  int32_t count = OverviewBlockCount(block);
  int32_t at = 1;
  for (int32_t i = 0; i < count; ++i) {
    int32_t n = OverviewEntryTicks(p + kOverviewHeaderBytes + i * 2);
    if (tick < at + n) {
      *offset = kOverviewHeaderBytes + i * 2;
      *begins = at;
      return true;
    }
    at += n;
  }
  return false;
}

void DeleteBlockTicks(Handle block, int32_t tick, int32_t count) {
  int32_t offset = 0, begins = 0;
  if (count <= 0 || !EntryHolding(block, tick, &offset, &begins)) return;
  uint8_t* p = Bytes(block);
  if (begins < tick) {  // a run straddles the first removed tick: shorten it
    int32_t n = p[offset + 1];
    int32_t taken = std::min(count, begins + n - tick);
    p[offset + 1] = uint8_t(n - taken);
    count -= taken;
    offset += 2;
  }
  int32_t whole = 0, end = kOverviewHeaderBytes + OverviewBlockCount(block) * 2;
  while (count > 0 && offset + whole * 2 < end) {
    uint8_t* e = p + offset + whole * 2;
    int32_t n = OverviewEntryTicks(e);
    if (n > count) {  // a run reaching past the range keeps its remainder
      e[1] = uint8_t(n - count);
      break;
    }
    count -= n;
    ++whole;
  }
  RemoveEntries(block, offset, whole);
  WriteI32BE(Bytes(block) + kOverviewLevelTickAt, 0);
  WriteI32BE(Bytes(block) + kOverviewLevelIndexAt, 0);
}

OSErr SpliceBlock(Handle block, Handle piece, int32_t startTick) {
  int32_t offset = 0;
  int32_t at = FindOverviewEntry(block, startTick, &offset);
  if (at < startTick) {
    if (OSErr err = InsertBlockTicks(block, at, startTick - at)) return err;
    at = FindOverviewEntry(block, startTick, &offset);
  }
  int32_t split = at - startTick;  // a run before the place straddled the start tick
  std::vector<uint8_t> entries(Bytes(piece) + kOverviewHeaderBytes,
                               Bytes(piece) + kOverviewHeaderBytes + OverviewBlockCount(piece) * 2);
  if (split > 0) {
    Bytes(block)[offset - 1] = uint8_t(Bytes(block)[offset - 1] - split);
    std::vector<uint8_t> rest = SilentRuns(split);
    entries.insert(entries.end(), rest.begin(), rest.end());
  }
  return InsertEntries(block, offset, entries.data(), int32_t(entries.size()));
}

}  // namespace

OSErr InsertOverviewChainTicks(Handle chain, int32_t tick, int32_t count) {
  for (Handle b = chain; b; b = OverviewBlockNext(b))
    if (OSErr err = InsertBlockTicks(b, std::max(tick, 1), count)) return err;
  return noErr;
}

void DeleteOverviewChainTicks(Handle chain, int32_t tick, int32_t count) {
  for (Handle b = chain; b; b = OverviewBlockNext(b)) DeleteBlockTicks(b, std::max(tick, 1), count);
}

bool OverviewPieceReplacesChain(Handle chain, Handle piece, int16_t channels, int32_t startTick) {
  if (!chain) return true;
  if (OverviewBlockChannels(chain) != channels || OverviewBlockChannels(piece) != channels) return true;
  return startTick <= 1 && OverviewBlockCount(chain) == 0;
}

OSErr SpliceOverviewPiece(Handle chain, Handle piece, int32_t startTick) {
  if (CountOverviewBlocks(chain) != CountOverviewBlocks(piece)) return paramErr;
  for (Handle b = chain, q = piece; b && q; b = OverviewBlockNext(b), q = OverviewBlockNext(q))
    if (OSErr err = SpliceBlock(b, q, std::max(startTick, 1))) return err;
  return noErr;
}

int32_t OverviewBlockLevel(Handle block, int32_t tick) {
  if (!block) return 0;
  uint8_t* p = Bytes(block);
  int32_t count = OverviewBlockCount(block);
  int32_t at = ReadI32BE(p + kOverviewLevelTickAt), i = ReadI32BE(p + kOverviewLevelIndexAt);
  bool restarted = at < 1 || tick < at || i < 0 || i > count;
  if (restarted) at = 1, i = 0;
  int32_t level = 0;
  for (; i < count; ++i) {
    const uint8_t* e = p + kOverviewHeaderBytes + i * 2;
    int32_t n = OverviewEntryTicks(e);
    if (IsOverviewData(e) && (!restarted || tick < at + n))
      level = std::max({level, std::abs(e[0] - kOverviewZeroLevel), std::abs(e[0] + e[1] - kOverviewZeroLevel)});
    if (tick < at + n) break;
    at += n;
  }
  WriteI32BE(p + kOverviewLevelTickAt, at);
  WriteI32BE(p + kOverviewLevelIndexAt, i);
  return std::min(level, 128);
}
