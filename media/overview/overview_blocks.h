// Waveform overview blocks: one relocatable block per audio channel, chained channel after
// channel. Big-endian, an 80-byte header followed by 2-byte entries, one per song tick:
//   +0  i16  channels of the audio the overview was computed from (same in every block)
//   +8  i32  entries in use
//   +12 i32  level scan: first tick of the entry at the cached index (0 in a new block)
//   +16 i32  level scan: entry index
//   +20 i32  drawing scan: first tick of the cached entry (0: no cache)
//   +24 i32  drawing scan: entry index
//   +72 handle  the next block of the chain (0 for the last)   +76 u32 always 0
// An entry (first, second) with first + second < 256 is one tick whose lowest value is first
// and highest first + second, 128 being the zero level; otherwise (255, n) is a run of n ticks
// without waveform. The first entry covers tick 1; each entry begins where the last ended.
// The same bytes are stored in the overview cache files.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr int32_t kOverviewHeaderBytes = 80;
constexpr int32_t kOverviewChannelsAt = 0;
constexpr int32_t kOverviewCountAt = 8;
constexpr int32_t kOverviewLevelTickAt = 12;
constexpr int32_t kOverviewLevelIndexAt = 16;
constexpr int32_t kOverviewDrawTickAt = 20;
constexpr int32_t kOverviewDrawIndexAt = 24;
constexpr int32_t kOverviewNextAt = 72;
constexpr int32_t kOverviewNextPadAt = 76;
constexpr int32_t kOverviewNewBlockBytes = 8272;  // the header and 4096 entries
constexpr int32_t kOverviewGrowBytes = 8192;
constexpr uint8_t kOverviewRunMark = 255;
constexpr int32_t kOverviewLongestRun = 255;
constexpr int32_t kOverviewZeroLevel = 128;

int16_t OverviewBlockChannels(Handle block);
int32_t OverviewBlockCount(Handle block);
Handle OverviewBlockNext(Handle block);
// The count field (0 when negative); clears the drawing-scan cache.
void SetOverviewBlockCount(Handle block, int32_t count);
// The link to the next block; the word after it becomes 0.
void SetOverviewBlockNext(Handle block, Handle next);
// The block of a channel (0 the first), or 0 past the chain.
Handle OverviewBlockForChannel(Handle chain, int32_t channel);
int32_t CountOverviewBlocks(Handle chain);

// True for a data entry, false for a run.
inline bool IsOverviewData(const uint8_t* entry) { return entry[0] + entry[1] < 256; }
// The ticks an entry covers: 1 for data, n for a run (255, n).
inline int32_t OverviewEntryTicks(const uint8_t* entry) { return IsOverviewData(entry) ? 1 : entry[1]; }

// A new cleared block of 8272 bytes for the channel count, with the memory reserve kept;
// 0 when memory runs out.
Handle NewOverviewBlock(int16_t channels);
// Disposes a block and every block linked behind it.
void DisposeOverviewBlocks(Handle first);

// The appending state of a block being computed. Entries are gathered here and written to
// the block a batch at a time (the block holds them all once FinishOverviewBlock has run).
constexpr int32_t kOverviewStagedEntries = 512;
struct OverviewAppendState {
  Handle block;          // 0 after a growth failed (the block is then disposed)
  int32_t count = 0;     // entries appended
  int32_t capacity = 0;  // the block's size in bytes
  int32_t lastTick = 0;  // the last tick written
  int32_t staged = 0;    // entries gathered, not yet in the block
  uint8_t stage[2 * kOverviewStagedEntries];
};
// Adds ticks to the last tick written; with a block and ticks > 0 writes the ticks since the
// last value as silent runs of at most 255 ticks and then the value (low, high) at the last
// tick (high above 255 becomes 255); two ticks become two equal data entries. The block
// grows by 8192 bytes when full; when it cannot, it is disposed and the state's block is 0.
void AppendOverviewTicks(OverviewAppendState* state, int32_t ticks, int32_t low, int32_t high);
// The same, the common case (one tick's value in range) gathered without a call.
inline void AppendOverviewEntry(OverviewAppendState* state, int32_t ticks, int32_t low, int32_t high) {
  if (ticks == 1 && state->block && state->staged < kOverviewStagedEntries && low >= 0 && low <= high && high <= 255) {
    state->stage[2 * state->staged] = uint8_t(low);
    state->stage[2 * state->staged + 1] = uint8_t(high - low);
    ++state->staged;
    ++state->count;
    ++state->lastTick;
    return;
  }
  AppendOverviewTicks(state, ticks, low, high);
}
// Appends ticks of silence only (runs of at most 255 ticks).
void AppendOverviewSilence(OverviewAppendState* state, int32_t ticks);
// Writes the entries gathered so far into the block (false when it could not grow and is
// gone).
bool FlushOverviewEntries(OverviewAppendState* state);
// Ends a computed block: the count field is one less than the entries appended (the last
// is not in use) and the block is trimmed to the entries appended.
void FinishOverviewBlock(OverviewAppendState* state);

// Walks the entries in use from tick 1 to the first that begins at or after tick; returns
// the tick that entry begins at (or the tick after the last entry when they end first) and
// its byte offset in the block.
int32_t FindOverviewEntry(Handle block, int32_t tick, int32_t* offset);
// The same walk for drawing: it starts from the block's drawing-scan cache when the cached
// tick is not beyond tick (else from tick 1) and leaves the position reached in the cache.
int32_t FindOverviewEntryForDrawing(Handle block, int32_t tick, int32_t* offset);
