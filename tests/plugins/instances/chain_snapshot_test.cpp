// Chain snapshots for undo, releasing and removing plug-ins, and restoring a snapshot into a
// rack: use counts, the instances' lives, the relinked order and bypass states, and the
// rack's automation points following their plug-ins.
#include "tests/plugins/instances/chain_fixture.h"

#include <vector>

#include "audio/engine/automation_records.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "plugins/host/insert_racks.h"
#include "plugins/plugin_hooks.h"
#include "song/instruments/rack_automation_fields.h"
#include "song/instruments/rack_sharing.h"

namespace {

TEST_F(ChainTest, ASnapshotHoldsItsPluginsAndRelinksThemInOrder) {
  PluginInstance* a = Add(2, 2);
  PluginInstance* b = Add(2, 2);
  PluginInstance* c = Add(2, 2);
  SetPluginBypass(b, 1, 1);
  Handle snapshot = TakeChainSnapshot(head_);
  ASSERT_TRUE(snapshot);
  // The count, then one 16-byte entry per plug-in, and nothing more.
  EXPECT_EQ(4 + 16 * 3, GetHandleSize(snapshot));
  EXPECT_EQ(3, CountChainSnapshot(snapshot));
  const uint8_t* e = reinterpret_cast<const uint8_t*>(HandleData(snapshot)) + 4 + 16;
  EXPECT_EQ(b->id, ReadU32BE(e));
  EXPECT_EQ(1u, ReadU32BE(e + 4));
  EXPECT_EQ(1, e[12]);
  for (PluginInstance* p : {a, b, c}) {
    EXPECT_EQ(2, p->useCount);
    EXPECT_EQ(1, p->secondCount);
  }
  // The live chain lets go (the rack now keeps only the snapshot).
  ReleaseChainPlugins(head_);
  head_ = 0;
  for (PluginInstance* p : {a, b, c}) EXPECT_EQ(p->useCount, p->secondCount);
  a->next = 0;
  SetPluginBypass(b, 0, 1);
  head_ = RelinkChainSnapshot(snapshot);
  EXPECT_EQ(a->id, head_);
  EXPECT_EQ(b, GetChainPlugin(head_, 1));
  EXPECT_EQ(c, GetChainPlugin(head_, 2));
  EXPECT_EQ(nullptr, GetChainPlugin(head_, 3));
  EXPECT_EQ(1, b->bypass);  // the recorded state is back
  EXPECT_EQ(0, FakeOf(b).LastMains());
  EXPECT_EQ(0x10, b->changeFlags & 0x10);
  DisposeChainSnapshot(snapshot, Handle());
  for (PluginInstance* p : {a, b, c}) {
    EXPECT_EQ(1, p->useCount);
    EXPECT_EQ(0, p->secondCount);
  }
  EXPECT_EQ(Handle(), TakeChainSnapshot(0));
}

TEST_F(ChainTest, AnInstanceHeldByASnapshotStaysOpenUntilTheSnapshotGoes) {
  PluginInstance* a = Add(2, 2);
  PluginInstance* b = Add(2, 2);
  uint32_t bId = b->id;
  FakeEffect& bFake = FakeOf(b);
  Handle snapshot = TakeChainSnapshot(head_);
  int32_t closed = 1;
  head_ = RemoveChainPlugin(head_, &closed, 1, 0);
  EXPECT_EQ(0, closed);
  EXPECT_EQ(1, CountChainPlugins(head_));
  ASSERT_EQ(b, GetPluginInstance(bId));
  EXPECT_EQ(b->useCount, b->secondCount);  // only the snapshot shows it
  EXPECT_TRUE(bFake.CallsOf(kEffClose).empty());
  AddSnapshotUse(snapshot, 1);
  AddSnapshotUse(snapshot, -1);
  DisposeChainSnapshot(snapshot, Handle());
  EXPECT_EQ(nullptr, GetPluginInstance(bId));
  EXPECT_EQ(1u, bFake.CallsOf(kEffClose).size());
  EXPECT_EQ(1, a->useCount);
  // Removing the head closes it at once.
  uint32_t aId = a->id;
  head_ = RemoveChainPlugin(head_, &closed, 0, 0);
  EXPECT_EQ(1, closed);
  EXPECT_EQ(0u, head_);
  EXPECT_EQ(nullptr, GetPluginInstance(aId));
}

TEST_F(ChainTest, RemovingWithTheKeepFlagLeavesThePluginLinked) {
  Add(2, 2);
  PluginInstance* b = Add(2, 2);
  Handle snapshot = TakeChainSnapshot(head_);  // b: use 2, second 1
  int32_t closed = 1;
  head_ = RemoveChainPlugin(head_, &closed, 1, 1);
  EXPECT_EQ(0, closed);
  EXPECT_EQ(b, GetChainPlugin(head_, 1));
  EXPECT_EQ(1, b->useCount);
  EXPECT_EQ(0, b->secondCount);
  DisposeChainSnapshot(snapshot, Handle());  // b's last use: closed
  ReleaseChainPlugins(head_);
  head_ = 0;
}

// A point list from {time, kind, position}, ended.
Handle PointList(const std::vector<std::array<uint32_t, 3>>& points) {
  Handle list = NewHandleClear(Size(points.size() + 1) * kAutomationRecordSize);
  for (size_t i = 0; i < points.size(); ++i) {
    AutomationView view{reinterpret_cast<uint8_t*>(HandleData(list)) + i * kAutomationRecordSize};
    view.SetTime(points[i][0]);
    view.SetKind(uint8_t(points[i][1]));
    if (points[i][1] == kAutomationParameter) view.SetPluginIndex(int32_t(points[i][2]));
  }
  WriteU32BE(HandleData(list) + points.size() * kAutomationRecordSize, kAutomationEndTime);
  return list;
}

std::vector<std::array<uint32_t, 3>> Points(Handle list) {
  std::vector<std::array<uint32_t, 3>> out;
  for (Size i = 0; i < GetHandleSize(list) / kAutomationRecordSize; ++i) {
    AutomationView view{reinterpret_cast<uint8_t*>(HandleData(list)) + i * kAutomationRecordSize};
    if (view.Time() >= kAutomationEndOfPoints) break;
    uint32_t position = view.Kind() == kAutomationParameter ? uint32_t(view.PluginIndex()) : 0;
    out.push_back({view.Time(), view.Kind(), position});
  }
  return out;
}

TEST_F(ChainTest, RestoringASnapshotAppendsItsPluginsWithTheirAutomation) {
  Handle from = NewHandleClear(kRackRecordBytes);
  Handle to = NewHandleClear(kRackRecordBytes);
  // The source chain: an effect and a synth at positions 0 and 1.
  Add(2, 2);
  Add(0, 2);
  uint32_t sourceHead = head_;
  head_ = 0;
  PluginInstance* kept = Add(2, 2);  // the target's own plug-in
  SetRackChainHead(to, head_);
  SetRackAutomationList(from, PointList({{10, kAutomationParameter, 0},
                                         {20, kAutomationVolume, 0},
                                         {30, kAutomationParameter, 1},
                                         {40, kAutomationParameter, 5}}));
  SetRackAutomationList(to, PointList({{15, kAutomationParameter, 0}}));
  Handle snapshot = TakeChainSnapshot(sourceHead);
  ReleaseChainPlugins(sourceHead);
  ASSERT_EQ(noErr, RestoreChainSnapshot(snapshot, from, to, 0));
  head_ = GetRackChainHead(to);
  EXPECT_EQ(kept, GetChainPlugin(head_, 0));
  ASSERT_EQ(3, CountChainPlugins(head_));
  EXPECT_EQ(2, GetChainPlugin(head_, 2)->chainPosition);
  EXPECT_TRUE(GetRackFlags(to) & kRackFlagInstrument);
  using P = std::array<uint32_t, 3>;
  std::vector<P> expected = {{10, kAutomationParameter, 1}, {15, kAutomationParameter, 0},
                             {20, kAutomationVolume, 0}, {30, kAutomationParameter, 2}};
  EXPECT_EQ(expected, Points(GetRackAutomationList(to)));
  DisposeChainSnapshot(snapshot, Handle());
  for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(1, GetChainPlugin(head_, i)->useCount);
  SetRackChainHead(to, 0);
  DisposeRack(from);
  DisposeRack(to);
}

TEST_F(ChainTest, RacksRunTheirChainUnlessInsertsAreOff) {
  InstallPluginHooks();  // the rack copy lists its chain through the song's plug-in hooks
  Handle rack = NewHandleClear(kRackRecordBytes);
  EXPECT_FALSE(RackRunsPluginChain(rack));
  Add(2, 2);
  SetRackChainHead(rack, head_);
  EXPECT_EQ(head_, GetRackChainHead(rack));
  EXPECT_TRUE(RackRunsPluginChain(rack));
  SetRackFlags(rack, kRackFlagInsertsOff);
  EXPECT_FALSE(RackRunsPluginChain(rack));
  SetRackFlags(rack, 0);
  // A copy lists the same plug-in as shared; disposing both closes it once.
  Handle copy = DuplicateRack(rack);
  ASSERT_TRUE(copy);
  EXPECT_TRUE(IsInsertRackShared(copy));
  EXPECT_EQ(0u, GetRackChainHead(copy));
  EXPECT_EQ(2, GetChainPlugin(head_, 0)->useCount);
  head_ = 0;
  DisposeRack(rack);
  DisposeRack(copy);
}

}  // namespace
