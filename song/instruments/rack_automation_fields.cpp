#include "song/instruments/rack_automation_fields.h"

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/memory_reserve.h"
#include "song/instruments/plugin_records.h"
#include "song/instruments/rack_sharing.h"

namespace {

uint8_t* RackFieldBytes(Handle rack) {
  if (!RackHasAutomationFields(rack)) return nullptr;
  return reinterpret_cast<uint8_t*>(HandleData(rack));
}

}  // namespace

bool RackHasAutomationFields(Handle rack) {
  return rack && IsValidHandle(rack) && GetHandleSize(rack) >= kRackRecordBytes;
}

Handle GetRackAutomationList(Handle rack) {
  uint8_t* p = RackFieldBytes(rack);
  return p ? Handle(ReadU32BE(p + kRackAutomationList)) : Handle();
}

void SetRackAutomationList(Handle rack, Handle list) {
  if (uint8_t* p = RackFieldBytes(rack)) WriteU32BE(p + kRackAutomationList, list.id);
}

OSErr DuplicateRackPointList(Handle rack) {
  Handle list = GetRackAutomationList(rack);
  if (!list) return noErr;
  SetRackAutomationList(rack, Handle());
  if (!IsValidHandle(list)) return noErr;
  Handle copy;
  OSErr err = DuplicateHandleWithReserve(list, &copy);
  if (err == noErr) SetRackAutomationList(rack, copy);
  return err;
}

void DisposeRackPointList(Handle rack) {
  Handle list = GetRackAutomationList(rack);
  if (!list) return;
  SetRackAutomationList(rack, Handle());
  if (IsValidHandle(list)) DisposeHandle(list);
}

float GetRackSampleRate(Handle rack) {
  uint8_t* p = RackFieldBytes(rack);
  float rate = p ? ReadF32BE(p + kRackSampleRate) : 0.0f;
  return rate > 0.0f ? rate : kDefaultPluginRate;
}

void SetRackSampleRate(Handle rack, float rate) {
  if (uint8_t* p = RackFieldBytes(rack)) WriteF32BE(p + kRackSampleRate, rate);
}

uint32_t GetRackEngineChannelId(Handle rack) {
  uint8_t* p = RackFieldBytes(rack);
  return p ? ReadU32BE(p + kRackEngineChannel) : 0;
}

void SetRackEngineChannelId(Handle rack, uint32_t id) {
  if (uint8_t* p = RackFieldBytes(rack)) WriteU32BE(p + kRackEngineChannel, id);
}

Handle EnsureInsertRack(uint8_t* cell, float rate, bool markChanged, OSErr* err) {
  *err = noErr;
  Handle rack(ReadU32BE(cell));
  if (rack) return rack;
  rack = NewHandleClearWithReserve(kRackRecordBytes);
  if (!rack) {
    *err = MemError() != noErr ? MemError() : memFullErr;
    return Handle();
  }
  SetRackSampleRate(rack, rate);
  if (markChanged) reinterpret_cast<uint8_t*>(HandleData(rack))[kRackFlags] |= kRackFlagChanged;
  WriteU32BE(cell, rack.id);
  return rack;
}
