#include "plugins/library/recent_plugins.h"

#include <cstring>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/menus/menus.h"
#include "platform/resources/resources.h"
#include "plugins/host/insert_chains.h"
#include "plugins/library/plugin_table.h"
#include "shell/base/bmid_resources.h"
#include "shell/base/resource_files.h"

namespace {

RecentPlugin gRecentPlugins[kRecentPluginCount];
int32_t gRecentCount = 0;
bool gChooserSettingsLoaded = false;

const unsigned char kRecentName[] = "\003Rec";

bool IsInChain(uint32_t head, uint32_t index) {
  for (int32_t n = 0; n < CountChainPlugins(head); ++n) {
    PluginInstance* record = GetChainPlugin(head, n);
    if (record != nullptr && record->tableIndex == index) return true;
  }
  return false;
}

}  // namespace

OSErr RememberRecentPlugin(int32_t index) {
  if (!gChooserSettingsLoaded) return kChooserSettingsNotLoaded;
  const PluginInfo* entry = PluginInfoAt(index);
  if (entry == nullptr) return paramErr;
  RecentPlugin chosen{entry->uniqueId, entry->kind, uint32_t(index)};
  for (int32_t i = 0; i < gRecentCount; ++i) {
    if (gRecentPlugins[i].uniqueId == chosen.uniqueId && gRecentPlugins[i].kind == chosen.kind) {
      std::memmove(&gRecentPlugins[i], &gRecentPlugins[i + 1],
                   size_t(gRecentCount - i - 1) * sizeof(RecentPlugin));
      --gRecentCount;
      break;
    }
  }
  if (gRecentCount == kRecentPluginCount) --gRecentCount;
  std::memmove(&gRecentPlugins[1], &gRecentPlugins[0], size_t(gRecentCount) * sizeof(RecentPlugin));
  gRecentPlugins[0] = chosen;
  ++gRecentCount;
  return SaveRecentPlugins();
}

OSErr SaveRecentPlugins() {
  Handle h = NewHandleClear(Size(kRecentPluginCount * kRecentPluginItemSize));
  if (!h) return memFullErr;
  for (int32_t i = 0; i < gRecentCount; ++i) {
    uint8_t* item = reinterpret_cast<uint8_t*>(*h) + i * kRecentPluginItemSize;
    WriteU32BE(item, gRecentPlugins[i].uniqueId);
    item[4] = gRecentPlugins[i].kind;
    WriteU32BE(item + 6, gRecentPlugins[i].index);
  }
  OSErr err = WriteBMIDResource(&h, kRecentPluginsResId, kRecentName, true);
  DisposeHandle(h);
  return err;
}

void RemoveRecentPlugin(int32_t n) {
  if (n < 0 || n >= gRecentCount) return;
  std::memmove(&gRecentPlugins[n], &gRecentPlugins[n + 1],
               size_t(gRecentCount - n - 1) * sizeof(RecentPlugin));
  --gRecentCount;
  SaveRecentPlugins();
}

void AddRecentPluginItems(MenuRef menu, uint32_t chainHead, bool check) {
  for (int32_t i = 0; i < gRecentCount; ++i) {
    const PluginInfo* entry = PluginInfoAt(int32_t(gRecentPlugins[i].index));
    if (entry == nullptr) continue;
    AppendMenuItemTextLiteral(menu, entry->name);
    MenuItemIndex item = MenuItemIndex(CountMenuItems(menu));
    SetMenuItemRefCon(menu, item, gRecentPlugins[i].index);
    if (check && IsInChain(chainHead, gRecentPlugins[i].index)) CheckMenuItem(menu, item, true);
  }
}

int32_t CountRecentPlugins() { return gRecentCount; }

RecentPlugin GetRecentPlugin(int32_t n) {
  return n >= 0 && n < gRecentCount ? gRecentPlugins[n] : RecentPlugin();
}

void LoadRecentPlugins() {
  gRecentCount = 0;
  gChooserSettingsLoaded = true;
  if (UsePrefsResFile() != noErr) return;
  Handle h = Get1Resource(kSettingsResType, kRecentPluginsResId);
  UseAppResFile();
  if (!h) return;
  int32_t n = GetHandleSize(h) / kRecentPluginItemSize;
  for (int32_t i = 0; i < n && gRecentCount < kRecentPluginCount; ++i) {
    const uint8_t* item = reinterpret_cast<const uint8_t*>(*h) + i * kRecentPluginItemSize;
    RecentPlugin recent{ReadU32BE(item), item[4], ReadU32BE(item + 6)};
    // The table is new in each run: the item takes the index its plug-in has now.
    int32_t index = -1;
    if (!FindPluginById(recent.uniqueId, &index, recent.kind)) continue;
    recent.index = uint32_t(index);
    gRecentPlugins[gRecentCount++] = recent;
  }
}

void ResetRecentPlugins() {
  gRecentCount = 0;
  gChooserSettingsLoaded = false;
}
