#include "editors/automation/point_list_edits.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "editors/automation/automation_points.h"
#include "editors/timeline/lane_values.h"
#include "platform/memory/memory.h"

namespace {

constexpr uint64_t kLastPosition = 0xFFFFFFFFull;

using PointBytes = std::array<uint8_t, kAutomationRecordSize>;

uint32_t ClampedPosition(uint64_t position) { return uint32_t(std::min(position, kLastPosition)); }

uint32_t ShiftedTime(uint32_t time, int64_t delta) {
  return uint32_t(std::clamp<int64_t>(int64_t(time) + delta, 0, int64_t(kLastPointTime)));
}

// Sorts the points before the end record by time, keeping the order of equal times.
void SortPoints(Handle list, int32_t count) {
  auto time = [](const PointBytes& p) { return AutomationView{const_cast<uint8_t*>(p.data())}.Time(); };
  uint8_t* base = PointRecordAt(list, 0);
  std::vector<PointBytes> points(static_cast<size_t>(count));
  std::memcpy(points.data(), base, size_t(count) * kAutomationRecordSize);
  if (std::is_sorted(points.begin(), points.end(), [&](auto& a, auto& b) { return time(a) < time(b); })) return;
  std::stable_sort(points.begin(), points.end(), [&](auto& a, auto& b) { return time(a) < time(b); });
  std::memcpy(base, points.data(), size_t(count) * kAutomationRecordSize);
}

// Closes the list over the dropped points: the kept ones (first `kept` of the first `count`)
// are already packed at the front; the end record and what follows it move down.
void CloseGap(Handle list, int32_t kept, int32_t count) {
  Size size = GetHandleSize(list);
  uint8_t* base = PointRecordAt(list, 0);
  size_t tail = size_t(size) - size_t(count) * kAutomationRecordSize;
  std::memmove(base + size_t(kept) * kAutomationRecordSize, base + size_t(count) * kAutomationRecordSize, tail);
  SetHandleSize(list, Size(size_t(kept) * kAutomationRecordSize + tail));
}

}  // namespace

bool PointPassesTest(const uint8_t* point, uint32_t mask, int32_t pluginIndex) {
  AutomationView r{const_cast<uint8_t*>(point)};
  uint8_t kind = r.Kind();
  if (kind != 0 && (kind >= 32 || !(mask & (1u << kind)))) return false;
  if ((mask & kPointMaskController) && r.Index() != gLaneController) return false;
  if ((mask & kPointMaskPlugin) && pluginIndex >= 0 && r.PluginIndex() != pluginIndex) return false;
  return true;
}

OSErr CutPointListRange(Handle list, uint64_t start, uint64_t end, bool shift, uint32_t mask, int32_t pluginIndex) {
  int32_t count = PointListEndIndex(list);
  if (count < 0) return kBadPointListErr;
  uint32_t from = ClampedPosition(start), to = ClampedPosition(end);
  if (to <= from) return noErr;
  int64_t back = -int64_t(to - from);
  int32_t kept = 0;
  bool stayedInRange = false;
  for (int32_t i = 0; i < count; ++i) {
    uint8_t* p = PointRecordAt(list, i);
    AutomationView r{p};
    bool inRange = r.Time() >= from && r.Time() < to;
    if (inRange && PointPassesTest(p, mask, pluginIndex)) continue;
    stayedInRange = stayedInRange || inRange;
    if (shift && r.Time() >= to) r.SetTime(ShiftedTime(r.Time(), back));
    if (kept != i) std::memmove(PointRecordAt(list, kept), p, kAutomationRecordSize);
    ++kept;
  }
  if (kept != count) CloseGap(list, kept, count);
  if (shift && stayedInRange) SortPoints(list, kept);
  return noErr;
}

void ShiftPointsFrom(Handle list, uint64_t start, uint64_t end, int64_t delta, uint32_t mask, int32_t pluginIndex) {
  int32_t count = PointListEndIndex(list);
  if (count <= 0 || delta == 0) return;
  uint64_t from = std::min(start, kLastPosition), to = std::min(end, kLastPosition + 1);
  for (int32_t i = 0; i < count; ++i) {
    uint8_t* p = PointRecordAt(list, i);
    AutomationView r{p};
    if (r.Time() < from || r.Time() >= to || !PointPassesTest(p, mask, pluginIndex)) continue;
    r.SetTime(ShiftedTime(r.Time(), delta));
  }
  SortPoints(list, count);
}

void ShiftPointListAt(Handle list, uint64_t start, uint64_t end) {
  int64_t delta = int64_t(ClampedPosition(end)) - int64_t(ClampedPosition(start));
  ShiftPointsFrom(list, start, kLastPosition + 1, delta, kAllPointKinds, kNoPluginIndex);
}
