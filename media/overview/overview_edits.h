// Keeping an overview chain in step with the audio without computing it again: inserted and
// removed time, a range computed anew spliced in, and the level around a tick for the
// playback meters. Every call works on all blocks of a chain (one per channel).
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Inserts count silent ticks at tick into every block; when a block ends before the tick, the
// gap up to it is filled with silence too. Runs of at most 255 ticks. -108 when a block
// cannot grow (the blocks already changed stay changed; the caller discards the chain).
OSErr InsertOverviewChainTicks(Handle chain, int32_t tick, int32_t count);
// Removes count ticks from tick on in every block: a run straddling the first removed tick
// is shortened, whole entries are removed while ticks remain, a run reaching past the range
// keeps its remainder.
void DeleteOverviewChainTicks(Handle chain, int32_t tick, int32_t count);
// Splices a piece computed from startTick into the existing chain (after the piece's ticks
// were removed from it): each piece block's entries in use go in at startTick of the block of
// its channel. -108 when a block cannot grow; paramErr when the chains do not match.
OSErr SpliceOverviewPiece(Handle chain, Handle piece, int32_t startTick);
// True when a range computed anew must replace the chain wholesale: the channel counts differ,
// or the range starts at tick 1 or earlier and the chain's first block has no entries.
bool OverviewPieceReplacesChain(Handle chain, Handle piece, int16_t channels, int32_t startTick);

// The level 0..128 of a block around a tick: the largest distance from the zero level among
// the data entries passed walking on from the block's level-scan cache to the entry holding
// the tick; when the tick lies before the cache the walk starts again from tick 1 and only
// the entry holding the tick counts. The cache then holds the entry reached. 0 for no block.
int32_t OverviewBlockLevel(Handle block, int32_t tick);
