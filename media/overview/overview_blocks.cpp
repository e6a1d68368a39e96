#include "media/overview/overview_blocks.h"

#include <algorithm>
#include <cstring>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/memory_reserve.h"

namespace {

uint8_t* BlockBytes(Handle block) { return reinterpret_cast<uint8_t*>(*block); }

// Writes the gathered entries into the block, growing it by 8192 bytes at a time until they
// fit; false when it cannot grow (the block is then disposed).
bool FlushStaged(OverviewAppendState* state) {
  if (!state->block || state->staged == 0) return state->block != Handle();
  int32_t needed = kOverviewHeaderBytes + state->count * 2;
  int32_t capacity = state->capacity;
  while (capacity < needed) capacity += kOverviewGrowBytes;
  if (capacity != state->capacity) {
    if (SetHandleSizeWithReserve(state->block, capacity) != noErr) {
      DisposeHandle(state->block);
      state->block = Handle();
      state->staged = 0;
      return false;
    }
    state->capacity = capacity;
  }
  int32_t first = state->count - state->staged;
  std::memcpy(BlockBytes(state->block) + kOverviewHeaderBytes + first * 2, state->stage, size_t(state->staged) * 2);
  state->staged = 0;
  return true;
}

// Gathers one entry; a full batch goes to the block first.
inline bool PutEntry(OverviewAppendState* state, uint8_t first, uint8_t second) {
  if (state->staged == kOverviewStagedEntries && !FlushStaged(state)) return false;
  state->stage[2 * state->staged] = first;
  state->stage[2 * state->staged + 1] = second;
  ++state->staged;
  ++state->count;
  return true;
}

// Writes runs for all ticks but the last n kept (0 or 1), returns false when the block is gone.
bool PutRuns(OverviewAppendState* state, int32_t* ticks, int32_t keep) {
  while (*ticks > keep + 1 || (keep == 0 && *ticks > 0)) {
    int32_t run = std::min(*ticks - keep, kOverviewLongestRun);
    if (!PutEntry(state, kOverviewRunMark, uint8_t(run))) return false;
    *ticks -= run;
  }
  return true;
}

}  // namespace

int16_t OverviewBlockChannels(Handle block) { return block ? ReadI16BE(BlockBytes(block) + kOverviewChannelsAt) : 0; }

int32_t OverviewBlockCount(Handle block) { return block ? ReadI32BE(BlockBytes(block) + kOverviewCountAt) : 0; }

Handle OverviewBlockNext(Handle block) {
  return block ? Handle(ReadU32BE(BlockBytes(block) + kOverviewNextAt)) : Handle();
}

void SetOverviewBlockCount(Handle block, int32_t count) {
  uint8_t* p = BlockBytes(block);
  WriteI32BE(p + kOverviewCountAt, std::max(count, 0));
  WriteI32BE(p + kOverviewDrawTickAt, 0);
  WriteI32BE(p + kOverviewDrawIndexAt, 0);
}

void SetOverviewBlockNext(Handle block, Handle next) {
  uint8_t* p = BlockBytes(block);
  WriteU32BE(p + kOverviewNextAt, next.id);
  WriteU32BE(p + kOverviewNextPadAt, 0);
}

Handle OverviewBlockForChannel(Handle chain, int32_t channel) {
  Handle block = chain;
  for (int32_t i = 0; i < channel && block; ++i) block = OverviewBlockNext(block);
  return block;
}

int32_t CountOverviewBlocks(Handle chain) {
  int32_t n = 0;
  for (Handle b = chain; b; b = OverviewBlockNext(b)) ++n;
  return n;
}

Handle NewOverviewBlock(int16_t channels) {
  Handle block = NewHandleClearWithReserve(kOverviewNewBlockBytes);
  if (block) WriteI16BE(BlockBytes(block) + kOverviewChannelsAt, channels);
  return block;
}

void DisposeOverviewBlocks(Handle first) {
  while (first) {
    Handle next = OverviewBlockNext(first);
    DisposeHandle(first);
    first = next;
  }
}

void AppendOverviewTicks(OverviewAppendState* state, int32_t ticks, int32_t low, int32_t high) {
  state->lastTick += ticks;
  if (!state->block || ticks <= 0) return;
  high = std::min(high, 255);
  low = std::clamp(low, 0, high);
  if (!PutRuns(state, &ticks, 1)) return;
  while (ticks-- > 0) {
    if (!PutEntry(state, uint8_t(low), uint8_t(high - low))) return;
  }
}

void AppendOverviewSilence(OverviewAppendState* state, int32_t ticks) {
  state->lastTick += ticks;
  if (state->block && ticks > 0) PutRuns(state, &ticks, 0);
}

bool FlushOverviewEntries(OverviewAppendState* state) { return FlushStaged(state); }

void FinishOverviewBlock(OverviewAppendState* state) {
  if (!FlushStaged(state)) return;
  SetOverviewBlockCount(state->block, state->count - 1);
  SetHandleSize(state->block, kOverviewHeaderBytes + state->count * 2);
  state->capacity = kOverviewHeaderBytes + state->count * 2;
}

int32_t FindOverviewEntry(Handle block, int32_t tick, int32_t* offset) {
  const uint8_t* p = BlockBytes(block);
  int32_t count = ReadI32BE(p + kOverviewCountAt);
  int32_t at = 1;
  int32_t i = 0;
  for (; i < count && at < tick; ++i) at += OverviewEntryTicks(p + kOverviewHeaderBytes + i * 2);
  *offset = kOverviewHeaderBytes + i * 2;
  return at;
}

int32_t FindOverviewEntryForDrawing(Handle block, int32_t tick, int32_t* offset) {
  uint8_t* p = BlockBytes(block);
  int32_t count = ReadI32BE(p + kOverviewCountAt);
  int32_t at = ReadI32BE(p + kOverviewDrawTickAt);
  int32_t i = ReadI32BE(p + kOverviewDrawIndexAt);
  if (at < 1 || at > tick || i < 0 || i > count) at = 1, i = 0;
  for (; i < count && at < tick; ++i) at += OverviewEntryTicks(p + kOverviewHeaderBytes + i * 2);
  WriteI32BE(p + kOverviewDrawTickAt, at);
  WriteI32BE(p + kOverviewDrawIndexAt, i);
  *offset = kOverviewHeaderBytes + i * 2;
  return at;
}
