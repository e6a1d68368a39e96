// Automation points: the time-sorted 16-byte point lists of the insert racks (mixer and
// plug-in automation), inserting a point, comparing targets and rescaling times to another
// sample rate. The list operations of time editing, the rack in focus and the refresh of the
// engine's playback copy are declared in the headers included at the end.
//
// A point (big-endian, the engine's AutomationView reads the same bytes):
//   +0 u32 time: sample position at the rack's rate   +4 f32 value: kind 3, 0.0..1.0
//   +8 u16 level: kinds 1 and 4 (32768 unity)          +10 i16 pan: kinds 2 and 5 (0..127)
//      (kind 3: +8..+11 is the i32 index of the plug-in in the rack's chain)
//   +12 u8 kind: 1 volume, 2 pan, 3 plug-in parameter, 4 send level, 5 send pan
//   +13 u8 0   +14 i16 target: the parameter (kind 3) or the send's aux bus (kinds 4, 5)
// A list ends with a record whose time is 0x7FFFFFFF or more (a new list: 0xFFFFFFFF, kind 0).
// Point times are kept at or below kLastPointTime so that no point reads as the end.
#pragma once

#include <cstdint>

#include "audio/engine/automation_records.h"
#include "platform/memory/mac_types.h"

constexpr uint32_t kLastPointTime = kAutomationEndOfPoints - 1;
constexpr OSErr kDuplicatePointErr = -128;
constexpr OSErr kNoTrackRackErr = -50;
constexpr OSErr kBadPointListErr = -50;

// InsertAutomationPoint modes for a point of the same time and target.
constexpr int32_t kReplaceSamePoint = 0;
constexpr int32_t kRefuseSamePoint = 1;

// One point by value: the 16 bytes a list holds.
struct AutomationPoint {
  uint8_t bytes[kAutomationRecordSize] = {};
  // The engine's view of the same bytes (it only reads through a const point).
  AutomationView View() const { return AutomationView{const_cast<uint8_t*>(bytes)}; }
  uint32_t Time() const { return View().Time(); }
  float Value() const;
  uint16_t Level() const { return View().Value(); }
  int16_t Pan() const { return View().Pan(); }
  uint8_t Kind() const { return View().Kind(); }
  int16_t Target() const { return View().Index(); }
  int32_t PluginIndex() const { return View().PluginIndex(); }
  void SetTime(uint32_t t) { View().SetTime(t); }
  void SetValue(float v);
  void SetLevel(uint16_t v) { View().SetValue(v); }
  void SetPan(int16_t v) { View().SetPan(v); }
  void SetKind(uint8_t v) { View().SetKind(v); }
  void SetTarget(int16_t v) { View().SetIndex(v); }
  void SetPluginIndex(int32_t v) { View().SetPluginIndex(v); }
};

// Where a point list is kept: the list cell of an insert rack, or else a plain handle cell
// (a list that belongs to no rack). An empty reference names no list.
struct AutomationListRef {
  Handle rack;
  Handle* cell = nullptr;
};
bool IsListRefEmpty(const AutomationListRef& ref);
Handle GetReferencedPointList(const AutomationListRef& ref);
void StoreReferencedPointList(const AutomationListRef& ref, Handle list);

// The index of the list's end record (the number of points before it); -1 for a list that is
// not whole records or has no end record.
int32_t PointListEndIndex(Handle list);
// The address of record i (the block must not move while it is used).
uint8_t* PointRecordAt(Handle list, int32_t i);

// The same kind (at most 5) and: kinds 0..2 always; kind 3 the same parameter and plug-in;
// kinds 4 and 5 the same aux bus.
bool IsSamePointTarget(const uint8_t* a, const uint8_t* b);

// Inserts the point in time order, after the points of its time (equal times keep their
// insertion order), making the list when there is none. A point of the same time and target
// is overwritten in mode 0 (the list does not grow) and refused with -128 in mode 1. A time
// above kLastPointTime is stored as kLastPointTime. 0, the memory error (the list as it was)
// or -50 for a malformed list.
OSErr InsertAutomationPoint(const AutomationListRef& ref, const AutomationPoint& point, int32_t mode);
// A cleared point (value 0) at the position (saturated to kLastPointTime) with the level (the
// plug-in index for kind 3), pan, kind and target, inserted in mode 0.
OSErr AddAutomationPoint(const AutomationListRef& ref, uint64_t position, int32_t levelOrPlugin, int16_t pan,
                         uint8_t kind, int16_t target);
// The same on the current track's rack; -50 when the track has no rack.
OSErr AddTrackAutomationPoint(uint64_t position, int32_t levelOrPlugin, int16_t pan, uint8_t kind, int16_t target);

// Every point time t becomes trunc(t x newRate / oldRate), worked in double precision and
// kept at or below kLastPointTime; the end record stays. Nothing for a rate that is not
// above 0.
void RescalePointTimes(Handle list, double oldRate, double newRate);

#include "editors/automation/automation_playback.h"
#include "editors/automation/point_list_edits.h"
#include "editors/automation/rack_focus.h"
