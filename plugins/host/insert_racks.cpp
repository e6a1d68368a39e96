#include "plugins/host/insert_racks.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "audio/engine/automation_records.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/plugin_instances.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/plugin_records.h"
#include "song/instruments/rack_automation_fields.h"
#include "song/instruments/rack_sharing.h"

namespace {

uint8_t* RackBytes(Handle rack) { return reinterpret_cast<uint8_t*>(HandleData(rack)); }

using PointRecord = std::array<uint8_t, kAutomationRecordSize>;

// The points of a list before its end record.
std::vector<PointRecord> ReadPoints(Handle list) {
  std::vector<PointRecord> points;
  if (!list || !IsValidHandle(list)) return points;
  Size count = GetHandleSize(list) / kAutomationRecordSize;
  for (Size i = 0; i < count; ++i) {
    PointRecord r;
    std::memcpy(r.data(), HandleData(list) + i * kAutomationRecordSize, kAutomationRecordSize);
    if (AutomationView{r.data()}.Time() >= kAutomationEndOfPoints) break;
    points.push_back(r);
  }
  return points;
}

// The source rack's points for the moved plug-ins: parameter points of an old position
// renumbered, other parameter points dropped.
std::vector<PointRecord> MovedPoints(Handle fromRack, const std::vector<int32_t>& oldPositions,
                                     int32_t newStart) {
  std::vector<PointRecord> points;
  for (PointRecord r : ReadPoints(GetRackAutomationList(fromRack))) {
    AutomationView view{r.data()};
    if (view.Kind() == kAutomationParameter) {
      auto at = std::find(oldPositions.begin(), oldPositions.end(), view.PluginIndex());
      if (at == oldPositions.end()) continue;
      view.SetPluginIndex(newStart + int32_t(at - oldPositions.begin()));
    }
    points.push_back(r);
  }
  return points;
}

OSErr MergePoints(Handle toRack, const std::vector<PointRecord>& added) {
  if (added.empty()) return noErr;
  Handle old = GetRackAutomationList(toRack);
  std::vector<PointRecord> points = ReadPoints(old);
  points.insert(points.end(), added.begin(), added.end());
  std::stable_sort(points.begin(), points.end(), [](const PointRecord& a, const PointRecord& b) {
    return AutomationView{const_cast<uint8_t*>(a.data())}.Time() <
           AutomationView{const_cast<uint8_t*>(b.data())}.Time();
  });
  Handle list = NewHandleClear(Size(points.size() + 1) * kAutomationRecordSize);
  if (!list) return memFullErr;
  for (size_t i = 0; i < points.size(); ++i)
    std::memcpy(HandleData(list) + i * kAutomationRecordSize, points[i].data(), kAutomationRecordSize);
  WriteU32BE(HandleData(list) + points.size() * kAutomationRecordSize, kAutomationEndTime);
  SetRackAutomationList(toRack, list);
  if (old && IsValidHandle(old)) DisposeHandle(old);
  return noErr;
}

}  // namespace

uint8_t GetRackFlags(Handle rack) { return IsInsertRack(rack) ? RackBytes(rack)[kRackFlags] : 0; }

void SetRackFlags(Handle rack, uint8_t flags) {
  if (IsInsertRack(rack)) RackBytes(rack)[kRackFlags] = flags;
}

uint32_t GetRackChainHead(Handle rack) {
  if (!IsInsertRack(rack) || IsInsertRackShared(rack)) return 0;
  return ReadU32BE(RackBytes(rack) + kRackChainCell);
}

void SetRackChainHead(Handle rack, uint32_t head) {
  if (IsInsertRack(rack) && !IsInsertRackShared(rack))
    WriteU32BE(RackBytes(rack) + kRackChainCell, head);
}

uint32_t GetCurrentTrackChainHead() {
  Handle rack = GetTrackInsertRack();
  if (GetRackFlags(rack) & kRackFlagInsertsOff) return 0;
  return GetRackChainHead(rack);
}

OSErr RestoreChainSnapshot(Handle snapshot, Handle fromRack, Handle toRack, int32_t) {
  if (!IsInsertRack(toRack) || IsInsertRackShared(toRack)) return paramErr;
  uint32_t head = GetRackChainHead(toRack);
  int32_t oldEnd = CountChainPlugins(head);
  std::vector<int32_t> oldPositions;
  for (int32_t i = 0, n = CountChainSnapshot(snapshot); i < n; ++i) {
    PluginInstance* p = ChainSnapshotPlugin(snapshot, i);
    if (p == nullptr) continue;
    oldPositions.push_back(int32_t(ReadU32BE(HandleData(snapshot) + kChainSnapshotHeader +
                                             kChainSnapshotEntry * i + 4)));
    AppendToChain(&head, p);
    p->chainPosition = oldEnd + int32_t(oldPositions.size()) - 1;
  }
  SetRackChainHead(toRack, head);
  if (FindInstrumentInChain(head) != nullptr)
    SetRackFlags(toRack, GetRackFlags(toRack) | kRackFlagInstrument);
  uint8_t device = 0, second = 0, pair = 0;
  PluginInstance* first = GetPluginInstance(head);
  if (first != nullptr && GetPluginOutputBusInfo(first, 0, &device, &second, &pair) == noErr &&
      device == kBusNotConnected)
    SetChainBusBytes(0, head, gDefaultInstrumentDevice[1], gDefaultInstrumentDevice[0], second);
  return MergePoints(toRack, MovedPoints(fromRack, oldPositions, oldEnd));
}

void DisposeRack(Handle rack) {
  if (!rack || !IsValidHandle(rack)) return;
  ReleaseRackPlugins(rack);
  DisposePluginRecord(rack);
}

Handle DuplicateRack(Handle rack) {
  Handle copy;
  return DuplicateRackShared(rack, &copy) == noErr ? copy : Handle();
}

bool RackRunsPluginChain(Handle rack) {
  if (GetRackFlags(rack) & kRackFlagInsertsOff) return false;
  return GetRackChainHead(rack) != 0;
}
