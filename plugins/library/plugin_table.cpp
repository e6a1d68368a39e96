#include <cstring>

#include "plugins/library/plugin_table.h"
#include "platform/memory/memory.h"

namespace {
Handle gPluginTable;
}  // namespace

int32_t CountPlugins() {
  if (!gPluginTable) return 0;
  return GetHandleSize(gPluginTable) / static_cast<int32_t>(sizeof(PluginInfo));
}

PluginInfo* PluginInfoAt(int32_t index) {
  if (index < 0 || index >= CountPlugins()) return nullptr;
  return reinterpret_cast<PluginInfo*>(*gPluginTable) + index;
}

int32_t AppendPluginInfo(const PluginInfo& info) {
  int32_t count = CountPlugins();
  Size size = static_cast<Size>((count + 1) * sizeof(PluginInfo));
  if (!gPluginTable) {
    gPluginTable = NewHandleClear(size);
    if (!gPluginTable) return -1;
  } else {
    SetHandleSize(gPluginTable, size);
    if (GetHandleSize(gPluginTable) != size) return -1;
  }
  std::memcpy(reinterpret_cast<PluginInfo*>(*gPluginTable) + count, &info, sizeof(PluginInfo));
  return count;
}

void ResetPluginTable() {
  if (gPluginTable) DisposeHandle(gPluginTable);
  gPluginTable = Handle();
}

bool IsAudioUnitKind(uint8_t kind) { return kind <= 31 && ((0x1be0u >> kind) & 1u) != 0; }

bool IsVstKind(uint8_t kind) {
  return kind == kPluginKindVstResource || kind == kPluginKindEffectFile ||
         kind == kPluginKindVstBundle || kind == kPluginKindVstOld1 || kind == kPluginKindVstOld2;
}

bool IsEffectPlugin(const PluginInfo& info) {
  if (info.kind == kPluginKindOldCode || info.kind == kPluginKindAuV1Music ||
      info.kind == kPluginKindAuMusic || info.kind == kPluginKindAuGenerator)
    return false;
  return !((info.entryFlags & kPluginEntryInstrument) != 0 && info.inputCount == 0);
}

bool FindPluginById(uint32_t id, int32_t* index, int32_t kind) {
  for (int32_t i = 0; i < CountPlugins(); ++i) {
    const PluginInfo* info = PluginInfoAt(i);
    if (info->uniqueId == id && (kind < 0 || info->kind == kind)) {
      *index = i;
      return true;
    }
  }
  *index = -1;
  return false;
}

bool FindAudioUnitById(uint32_t id, int32_t* index) {
  return FindPluginById(id, index, kPluginKindAuConverter);
}
