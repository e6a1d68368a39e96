#include "plugins/host/plugin_preset_lists.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "plugins/host/plugin_programs.h"

namespace {

int32_t SlotBytes(uint32_t count) { return kProgramRecordBase + 4 * int32_t(count); }

// The largest parameter count a slot may carry: its values must fit a 2 GB block.
constexpr uint32_t kMaxSlotCount = 0x1FFFFFF;

uint8_t* At(Handle list, int32_t offset) {
  return reinterpret_cast<uint8_t*>(HandleData(list)) + offset;
}

void FillSlot(Handle list, int32_t offset, const PluginPresetData& p, bool clearValues) {
  uint8_t* slot = At(list, offset);
  std::memset(slot, 0, size_t(SlotBytes(p.count)));
  WriteU32BE(slot + kPresetSlotIdAt, p.pluginId);
  WriteU32BE(slot + kPresetSlotCountAt, p.count);
  if (p.name != nullptr) {
    uint8_t length = std::min<uint8_t>(p.name[0], kPresetNameMax);
    slot[kPresetSlotNameAt] = length;
    std::memcpy(slot + kPresetSlotNameAt + 1, p.name + 1, length);
  }
  WriteU32BE(slot + kPresetSlotChunkAt, p.chunk.id);
  WriteU32BE(slot + kPresetSlotFlagsAt, p.flags);
  if (p.values == nullptr || clearValues) return;
  for (uint32_t i = 0; i < p.count; ++i) WriteF32BE(slot + kPresetSlotValuesAt + 4 * int32_t(i), p.values[i]);
}

int32_t EndOfSlots(Handle list) {
  int32_t count = CountPresets(list);
  if (count == 0) return kProgramListHeader;
  int32_t last = GetProgramRecord(list, count - 1);
  return last < 0 ? -1 : last + SlotBytes(ReadU32BE(At(list, last) + kPresetSlotCountAt));
}

// Moves what follows the slot so that the slot takes `newBytes`.
OSErr ResizeSlot(Handle list, int32_t offset, int32_t oldBytes, int32_t newBytes) {
  if (newBytes == oldBytes) return noErr;
  Size size = GetHandleSize(list);
  int64_t newSize = int64_t(size) + newBytes - oldBytes;
  if (newSize > INT32_MAX) return memFullErr;
  size_t tail = size_t(size - offset - oldBytes);
  if (newBytes > oldBytes) {
    SetHandleSize(list, Size(newSize));
    if (MemError() != noErr || GetHandleSize(list) != newSize) return memFullErr;
  }
  std::memmove(At(list, offset + newBytes), At(list, offset + oldBytes), tail);
  if (newBytes < oldBytes) SetHandleSize(list, Size(newSize));
  return noErr;
}

}  // namespace

Handle NewPluginPresetList(int32_t slots, uint32_t count) {
  if (slots < 0 || count > kMaxSlotCount) return Handle();
  int64_t bytes = kProgramListHeader + int64_t(slots) * SlotBytes(count);
  if (bytes > INT32_MAX) return Handle();
  return NewHandleClear(Size(bytes));
}

Handle NewSinglePresetList(uint32_t count) {
  Handle list = NewPluginPresetList(1, count);
  if (list) WriteU32BE(At(list, 0), 1);
  return list;
}

int32_t CountPresets(Handle list) {
  if (!list || !IsValidHandle(list) || GetHandleSize(list) < kProgramListHeader) return 0;
  uint32_t count = ReadU32BE(At(list, 0));
  return count > INT32_MAX ? 0 : int32_t(count);
}

OSErr AppendPreset(Handle list, const PluginPresetData& preset) {
  if (!list || preset.count > kMaxSlotCount) return paramErr;
  int32_t end = EndOfSlots(list);
  if (end < 0) return paramErr;
  int64_t size = int64_t(end) + SlotBytes(preset.count);
  if (size > INT32_MAX) return memFullErr;
  Size old = GetHandleSize(list);
  if (size > old) {
    SetHandleSize(list, Size(size));
    if (MemError() != noErr || GetHandleSize(list) < size) return memFullErr;
  }
  FillSlot(list, end, preset, false);
  WriteU32BE(At(list, 0), uint32_t(CountPresets(list) + 1));
  return noErr;
}

OSErr ReplacePresetSlot(Handle list, int32_t k, const PluginPresetData& preset, bool dropChunk,
                        bool clearValues) {
  int32_t offset = GetProgramRecord(list, k);
  if (offset < 0 || preset.count > kMaxSlotCount) return paramErr;
  uint32_t oldCount = ReadU32BE(At(list, offset) + kPresetSlotCountAt);
  Handle oldChunk(ReadU32BE(At(list, offset) + kPresetSlotChunkAt));
  if (ResizeSlot(list, offset, SlotBytes(oldCount), SlotBytes(preset.count)) != noErr) return memFullErr;
  if (dropChunk && oldChunk && oldChunk != preset.chunk && IsValidHandle(oldChunk)) DisposeHandle(oldChunk);
  FillSlot(list, offset, preset, clearValues);
  return noErr;
}

OSErr SetPresetFileAlias(Handle list, int32_t k, const char* path) {
  int32_t offset = GetProgramRecord(list, k);
  if (offset < 0 || path == nullptr) return paramErr;
  Handle alias;
  OSErr err = PtrToHand(path, &alias, Size(std::strlen(path)));
  if (err != noErr) return err;
  offset = GetProgramRecord(list, k);
  Handle old(ReadU32BE(At(list, offset) + kPresetSlotChunkAt));
  if (old && IsValidHandle(old)) DisposeHandle(old);
  WriteU32BE(At(list, offset) + kPresetSlotChunkAt, alias.id);
  WriteU32BE(At(list, offset) + kPresetSlotFlagsAt, kPresetFileAlias);
  return noErr;
}

void GetPresetFileAlias(Handle list, int32_t k, char* path, int32_t capacity) {
  if (path == nullptr || capacity <= 0) return;
  path[0] = '\0';
  Handle alias = GetPresetChunk(list, k);
  if (GetPresetFlags(list, k) != kPresetFileAlias || !alias || !IsValidHandle(alias)) return;
  size_t length = std::min<size_t>(size_t(GetHandleSize(alias)), size_t(capacity - 1));
  std::memcpy(path, HandleData(alias), length);
  path[length] = '\0';
}

void TruncatePresetList(Handle list, int32_t slots) {
  int32_t count = CountPresets(list);
  if (slots < 0 || slots >= count) return;
  for (int32_t k = slots; k < count; ++k) {
    Handle chunk = GetPresetChunk(list, k);
    if (chunk && IsValidHandle(chunk)) DisposeHandle(chunk);
  }
  int32_t end = slots == 0 ? kProgramListHeader : GetProgramRecord(list, slots);
  WriteU32BE(At(list, 0), uint32_t(slots));
  if (end > 0) SetHandleSize(list, end);
}

void DisposePluginPresetList(Handle* list) {
  if (list == nullptr || !*list) return;
  if (IsValidHandle(*list)) {
    int32_t count = CountPresets(*list);
    for (int32_t k = 0; k < count; ++k) {
      Handle chunk = GetPresetChunk(*list, k);
      if (chunk && IsValidHandle(chunk)) DisposeHandle(chunk);
    }
    DisposeHandle(*list);
  }
  *list = Handle();
}

uint32_t GetPresetId(Handle list, int32_t k) {
  int32_t offset = GetProgramRecord(list, k);
  return offset < 0 ? 0 : ReadU32BE(At(list, offset) + kPresetSlotIdAt);
}

uint32_t GetPresetCount(Handle list, int32_t k) {
  int32_t offset = GetProgramRecord(list, k);
  return offset < 0 ? 0 : ReadU32BE(At(list, offset) + kPresetSlotCountAt);
}

void GetPresetName(Handle list, int32_t k, Str31 name) {
  name[0] = 0;
  int32_t offset = GetProgramRecord(list, k);
  if (offset < 0) return;
  const uint8_t* stored = At(list, offset) + kPresetSlotNameAt;
  name[0] = std::min<uint8_t>(stored[0], kPresetNameMax);
  std::memcpy(name + 1, stored + 1, name[0]);
}

void SetPresetName(Handle list, int32_t k, const uint8_t* name) {
  int32_t offset = GetProgramRecord(list, k);
  if (offset < 0 || name == nullptr) return;
  uint8_t* stored = At(list, offset) + kPresetSlotNameAt;
  std::memset(stored, 0, kPresetNameMax + 1);
  stored[0] = std::min<uint8_t>(name[0], kPresetNameMax);
  std::memcpy(stored + 1, name + 1, stored[0]);
}

Handle GetPresetChunk(Handle list, int32_t k) {
  int32_t offset = GetProgramRecord(list, k);
  return offset < 0 ? Handle() : Handle(ReadU32BE(At(list, offset) + kPresetSlotChunkAt));
}

uint32_t GetPresetFlags(Handle list, int32_t k) {
  int32_t offset = GetProgramRecord(list, k);
  return offset < 0 ? 0 : ReadU32BE(At(list, offset) + kPresetSlotFlagsAt);
}

float GetPresetValue(Handle list, int32_t k, int32_t parameter) {
  int32_t offset = GetProgramRecord(list, k);
  if (offset < 0 || parameter < 0 || uint32_t(parameter) >= GetPresetCount(list, k)) return 0.0f;
  return ReadF32BE(At(list, offset) + kPresetSlotValuesAt + 4 * parameter);
}

void SetPresetValue(Handle list, int32_t k, int32_t parameter, float value) {
  int32_t offset = GetProgramRecord(list, k);
  if (offset < 0 || parameter < 0 || uint32_t(parameter) >= GetPresetCount(list, k)) return;
  WriteF32BE(At(list, offset) + kPresetSlotValuesAt + 4 * parameter, value);
}
