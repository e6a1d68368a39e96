#include "editors/automation/automation_points.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/instruments/rack_automation_fields.h"
#include "song/instruments/rack_sharing.h"

namespace {

constexpr int32_t kKindOffset = 12;
constexpr uint8_t kLastComparableKind = 5;

uint32_t SaturatedPointTime(uint64_t position) {
  return uint32_t(std::min<uint64_t>(position, kLastPointTime));
}

// The first record after the points of `time` from `at` (the end record at the latest).
uint8_t* SkipPointsOfTime(uint8_t* at, uint8_t* end, uint32_t time, const uint8_t* point, int32_t mode,
                          OSErr* found) {
  *found = 1;
  for (; at < end && AutomationView{at}.Time() == time; at += kAutomationRecordSize) {
    if (!IsSamePointTarget(at, point)) continue;
    if (mode == kRefuseSamePoint) {
      *found = kDuplicatePointErr;
    } else {
      std::memcpy(at, point, kAutomationRecordSize);
      *found = noErr;
    }
    break;
  }
  return at;
}

}  // namespace

float AutomationPoint::Value() const {
  uint32_t bits = View().Value32();
  float v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

void AutomationPoint::SetValue(float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  View().SetValue32(bits);
}

bool IsListRefEmpty(const AutomationListRef& ref) { return !ref.rack && ref.cell == nullptr; }

Handle GetReferencedPointList(const AutomationListRef& ref) {
  if (ref.rack) return GetRackAutomationList(ref.rack);
  return ref.cell ? *ref.cell : Handle();
}

void StoreReferencedPointList(const AutomationListRef& ref, Handle list) {
  if (ref.rack) SetRackAutomationList(ref.rack, list);
  else if (ref.cell) *ref.cell = list;
}

int32_t PointListEndIndex(Handle list) {
  if (!list || !IsValidHandle(list)) return -1;
  Size size = GetHandleSize(list);
  if (size <= 0 || size % kAutomationRecordSize != 0) return -1;
  int32_t count = int32_t(size / kAutomationRecordSize);
  for (int32_t i = 0; i < count; ++i)
    if (AutomationView{PointRecordAt(list, i)}.Time() >= kAutomationEndOfPoints) return i;
  return -1;
}

uint8_t* PointRecordAt(Handle list, int32_t i) {
  return reinterpret_cast<uint8_t*>(HandleData(list)) + size_t(i) * kAutomationRecordSize;
}

bool IsSamePointTarget(const uint8_t* a, const uint8_t* b) {
  AutomationView x{const_cast<uint8_t*>(a)}, y{const_cast<uint8_t*>(b)};
  uint8_t kind = x.Kind();
  if (kind != y.Kind() || kind > kLastComparableKind) return false;
  switch (kind) {
    case kAutomationParameter: return x.Index() == y.Index() && x.PluginIndex() == y.PluginIndex();
    case kAutomationSendLevel:
    case kAutomationSendPan: return x.Index() == y.Index();
    default: return true;
  }
}

OSErr InsertAutomationPoint(const AutomationListRef& ref, const AutomationPoint& point, int32_t mode) {
  AutomationPoint p = point;
  p.SetTime(std::min(p.Time(), kLastPointTime));
  Handle list = GetReferencedPointList(ref);
  int32_t offset = 0;
  if (list) {
    int32_t endIndex = PointListEndIndex(list);
    if (endIndex < 0) return kBadPointListErr;
    uint8_t* base = PointRecordAt(list, 0);
    uint8_t* end = PointRecordAt(list, endIndex);
    OSErr found;
    uint8_t* at = SkipPointsOfTime(FindAutomationRecord(list, p.Time()), end, p.Time(), p.bytes, mode, &found);
    if (found <= 0) return found;
    offset = int32_t(at - base);
  }
  Handle grown = list;
  uint8_t* slot = nullptr;
  OSErr err = InsertAutomationRecord(&grown, &slot, &offset);
  if (err != noErr) {
    if (grown && grown != list) DisposeHandle(grown);
    return err;
  }
  std::memcpy(slot, p.bytes, kAutomationRecordSize);
  if (grown != list) StoreReferencedPointList(ref, grown);
  return noErr;
}

OSErr AddAutomationPoint(const AutomationListRef& ref, uint64_t position, int32_t levelOrPlugin, int16_t pan,
                         uint8_t kind, int16_t target) {
  AutomationPoint p;
  p.SetTime(SaturatedPointTime(position));
  if (kind == kAutomationParameter) {
    p.SetPluginIndex(levelOrPlugin);
  } else {
    p.SetLevel(uint16_t(levelOrPlugin));
    p.SetPan(pan);
  }
  p.SetKind(kind);
  p.SetTarget(target);
  return InsertAutomationPoint(ref, p, kReplaceSamePoint);
}

OSErr AddTrackAutomationPoint(uint64_t position, int32_t levelOrPlugin, int16_t pan, uint8_t kind, int16_t target) {
  Handle rack = GetTrackInsertRack();
  if (!RackHasAutomationFields(rack)) return kNoTrackRackErr;
  return AddAutomationPoint(AutomationListRef{rack}, position, levelOrPlugin, pan, kind, target);
}

void RescalePointTimes(Handle list, double oldRate, double newRate) {
  if (!(oldRate > 0.0) || !(newRate > 0.0) || !std::isfinite(oldRate) || !std::isfinite(newRate)) return;
  int32_t count = PointListEndIndex(list);
  double factor = newRate / oldRate;
  for (int32_t i = 0; i < count; ++i) {
    AutomationView r{PointRecordAt(list, i)};
    double t = std::trunc(double(r.Time()) * factor);
    r.SetTime(t >= double(kLastPointTime) ? kLastPointTime : uint32_t(t));
  }
}
