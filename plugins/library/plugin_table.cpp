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
