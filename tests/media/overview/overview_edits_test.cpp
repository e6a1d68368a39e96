// Overview blocks: how entries are appended, and the edits that keep a chain in step with
// inserted and removed time, a range spliced in, and the playback level around a tick.
#include <gtest/gtest.h>

#include <vector>

#include "media/overview/overview_blocks.h"
#include "media/overview/overview_edits.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "tests/media/overview/overview_fixture.h"

namespace {

using overview_test::BlockTicks;
using overview_test::TickValue;
using Entries = std::vector<std::pair<int, int>>;

// A block of channels channels holding the entries, all in use.
Handle BlockOf(const Entries& entries, int16_t channels = 1) {
  OverviewAppendState s;
  s.block = NewOverviewBlock(channels);
  s.capacity = kOverviewNewBlockBytes;
  for (auto [a, b] : entries) {
    WriteU8(*s.block + kOverviewHeaderBytes + s.count * 2, uint8_t(a));
    WriteU8(*s.block + kOverviewHeaderBytes + s.count * 2 + 1, uint8_t(b));
    ++s.count;
  }
  SetOverviewBlockCount(s.block, s.count);
  SetHandleSize(s.block, kOverviewHeaderBytes + s.count * 2);
  return s.block;
}

Entries EntriesOf(Handle block) {
  Entries e;
  const uint8_t* p = reinterpret_cast<const uint8_t*>(*block);
  for (int32_t i = 0; i < OverviewBlockCount(block); ++i)
    e.emplace_back(p[kOverviewHeaderBytes + i * 2], p[kOverviewHeaderBytes + i * 2 + 1]);
  return e;
}

constexpr std::pair<int, int> D(int lo, int hi) { return {lo, hi - lo}; }
constexpr std::pair<int, int> R(int n) { return {255, n}; }

TEST(OverviewBlocks, AppendingWritesRunsThenTheValue) {
  struct Step {
    int32_t ticks, low, high;
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
    Entries want;
  };
  const Case cases[] = {
      {"one tick", {{1, 100, 150}}, {D(100, 150)}},
      {"two ticks are two equal values", {{2, 90, 170}}, {D(90, 170), D(90, 170)}},
      {"a gap becomes a run", {{1, 120, 130}, {3, 10, 250}}, {D(120, 130), R(2), D(10, 250)}},
      {"long gaps in runs of 255", {{258, 0, 255}}, {R(255), R(2), D(0, 255)}},
      {"a full-scale float high of 256 is 255", {{1, 200, 256}}, {D(200, 255)}},
      {"no ticks writes nothing", {{0, 1, 2}, {1, 5, 6}}, {D(5, 6)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OverviewAppendState s;
    s.block = NewOverviewBlock(1);
    s.capacity = kOverviewNewBlockBytes;
    int32_t ticks = 0;
    for (const Step& st : c.steps) {
      AppendOverviewEntry(&s, st.ticks, st.low, st.high);
      ticks += st.ticks;
    }
    EXPECT_EQ(ticks, s.lastTick);
    ASSERT_TRUE(FlushOverviewEntries(&s));
    SetOverviewBlockCount(s.block, s.count);
    EXPECT_EQ(c.want, EntriesOf(s.block));
    DisposeHandle(s.block);
  }
}

TEST(OverviewBlocks, ABlockGrowsPastItsFirstRoomAndIsTrimmedWithTheLastEntryNotInUse) {
  OverviewAppendState s;
  s.block = NewOverviewBlock(2);
  s.capacity = kOverviewNewBlockBytes;
  for (int32_t i = 0; i < 10000; ++i) AppendOverviewEntry(&s, 1, i % 200, i % 200 + 20);
  FinishOverviewBlock(&s);
  EXPECT_EQ(9999, OverviewBlockCount(s.block));
  EXPECT_EQ(kOverviewHeaderBytes + 20000, GetHandleSize(s.block));
  std::vector<TickValue> ticks = BlockTicks(s.block);
  EXPECT_EQ(std::make_pair(199, 219), *ticks[9999 - 200]);
  DisposeHandle(s.block);
}

TEST(OverviewEdits, InsertingAndRemovingTicks) {
  struct Case {
    const char* name;
    Entries before;
    bool insert;
    int32_t tick, count;
    Entries after;
  };
  const Case cases[] = {
      {"insert before a value shifts it", {D(1, 2), D(3, 4)}, true, 2, 3, {D(1, 2), R(3), D(3, 4)}},
      {"insert at tick 1", {D(1, 2)}, true, 1, 300, {R(255), R(45), D(1, 2)}},
      {"insert inside a run goes before the entry after it", {D(1, 2), R(10), D(5, 6)}, true, 5, 2,
       {D(1, 2), R(10), R(2), D(5, 6)}},
      {"insert after the end fills the gap", {D(1, 2)}, true, 5, 2, {D(1, 2), R(5)}},
      {"remove values", {D(1, 2), D(3, 4), D(5, 6)}, false, 2, 1, {D(1, 2), D(5, 6)}},
      {"a run straddling the start is shortened", {D(1, 2), R(10), D(5, 6)}, false, 4, 5, {D(1, 2), R(5), D(5, 6)}},
      {"a run past the range keeps its rest", {D(1, 2), D(3, 4), R(10)}, false, 2, 4, {D(1, 2), R(7)}},
      {"across a run into values", {R(4), D(1, 2), D(3, 4), D(5, 6)}, false, 3, 4, {R(2), D(5, 6)}},
      {"past the end removes what there is", {D(1, 2), D(3, 4)}, false, 2, 50, {D(1, 2)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Handle chain = BlockOf(c.before, 2), second = BlockOf(c.before, 2);
    SetOverviewBlockNext(chain, second);
    if (c.insert) EXPECT_EQ(noErr, InsertOverviewChainTicks(chain, c.tick, c.count));
    else DeleteOverviewChainTicks(chain, c.tick, c.count);
    EXPECT_EQ(c.after, EntriesOf(chain));
    EXPECT_EQ(c.after, EntriesOf(second));
    DisposeOverviewBlocks(chain);
  }
}

TEST(OverviewEdits, APieceIsSplicedInAtItsStartTick) {
  struct Case {
    const char* name;
    Entries existing;
    int32_t start;
    Entries piece, after;
  };
  const Case cases[] = {
      {"between values", {D(1, 2), D(3, 4)}, 2, {D(7, 8), D(9, 9)}, {D(1, 2), D(7, 8), D(9, 9), D(3, 4)}},
      {"a run straddling the start is split", {D(1, 2), R(10)}, 5, {D(7, 8)}, {D(1, 2), R(3), D(7, 8), R(7)}},
      {"after the end the gap is silence", {D(1, 2)}, 4, {D(7, 8)}, {D(1, 2), R(2), D(7, 8)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Handle chain = BlockOf(c.existing), piece = BlockOf(c.piece);
    EXPECT_FALSE(OverviewPieceReplacesChain(chain, piece, 1, c.start));
    EXPECT_EQ(noErr, SpliceOverviewPiece(chain, piece, c.start));
    EXPECT_EQ(c.after, EntriesOf(chain));
    DisposeOverviewBlocks(chain);
    DisposeOverviewBlocks(piece);
  }
  Handle empty = BlockOf({}), stereo = BlockOf({D(1, 2)}, 2), piece = BlockOf({D(1, 2)});
  EXPECT_TRUE(OverviewPieceReplacesChain(empty, piece, 1, 1));
  EXPECT_FALSE(OverviewPieceReplacesChain(empty, piece, 1, 2));
  EXPECT_TRUE(OverviewPieceReplacesChain(stereo, piece, 1, 5));  // mono now
  DisposeOverviewBlocks(empty);
  DisposeOverviewBlocks(stereo);
  DisposeOverviewBlocks(piece);
}

TEST(OverviewEdits, TheLevelFollowsTheTickFromItsCache) {
  Handle b = BlockOf({D(120, 136), R(3), D(28, 228), D(118, 138)});
  EXPECT_EQ(8, OverviewBlockLevel(b, 1));
  EXPECT_EQ(8, OverviewBlockLevel(b, 3));     // walks on from tick 1 into the run
  EXPECT_EQ(100, OverviewBlockLevel(b, 5));   // the loud tick
  EXPECT_EQ(100, OverviewBlockLevel(b, 6));   // passes the loud tick on the way
  EXPECT_EQ(10, OverviewBlockLevel(b, 6));    // from the cache: only the tick's own entry
  EXPECT_EQ(8, OverviewBlockLevel(b, 1));     // before the cache: starts again
  EXPECT_EQ(100, OverviewBlockLevel(b, 40));  // past the end: every entry passed counts
  EXPECT_EQ(0, OverviewBlockLevel(Handle(), 1));
  DisposeHandle(b);
}

}  // namespace
