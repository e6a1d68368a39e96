#include "plugins/library/insert_menu.h"

#include "audio/devices/audio_driver.h"
#include "audio/devices/coreaudio_io.h"
#include "platform/events/classic_events.h"
#include "platform/resources/resource_manager.h"
#include "platform/system/sys_beep.h"
#include "platform/text/pascal_strings.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/insert_racks.h"
#include "plugins/host/plugin_host_hooks.h"
#include "plugins/library/plugin_loading.h"
#include "plugins/library/recent_plugins.h"

#include <algorithm>
#include <string>
#include <vector>
#include "shell/base/resource_files.h"
#include "song/documents/playback_reset.h"

namespace {

constexpr int16_t kCommandItems = 4;
constexpr int16_t kCategoryList = 211;  // item category + 2 names it

int32_t CurrentTableIndex(Handle rack, int32_t slot) {
  PluginInstance* plugin = GetChainPlugin(GetRackChainHead(rack), slot);
  return plugin ? int32_t(plugin->tableIndex) : -1;
}

void AppendLiteral(MenuRef menu, ConstStr255Param text) {
  AppendMenuItemTextLiteral(menu, text);
}

void RemoveSlot(Handle rack, int32_t slot) {
  int32_t closed = 0;
  SetRackChainHead(rack, RemoveChainPlugin(GetRackChainHead(rack), &closed, slot, 0));
}

OSErr PlaceInSlot(Handle rack, int32_t slot, int32_t index) {
  uint32_t head = GetRackChainHead(rack);
  int32_t count = CountChainPlugins(head);
  if (slot < count && CurrentTableIndex(rack, slot) == index) return noErr;
  double rate = gCoreAudioDriver.sampleRate > 0 ? gCoreAudioDriver.sampleRate : 44100.0;
  OSErr err = LoadPlugin(index, rate, int16_t(slot), &head, kLoadCheckLimit);
  bool loaded = CountChainPlugins(head) > count;
  SetRackChainHead(rack, head);
  if (!loaded) return err != noErr ? err : OSErr(kPluginOpenFailed);
  if (slot < count) {
    // The new plug-in takes the place of the old one, which goes.
    MoveChainPlugin(&head, slot, count);
    SetRackChainHead(rack, head);
    RemoveSlot(rack, slot + 1);
  }
  return err == kPluginBehindInserts ? OSErr(noErr) : err;
}

std::string CategoryName(uint32_t category) {
  Str255 name;
  GetIndString(name, kCategoryList, int16_t(category + 2));
  return std::string(reinterpret_cast<const char*>(name + 1), name[0]);
}

void AddPluginItem(MenuRef menu, int32_t index, int32_t current) {
  AppendLiteral(menu, PluginInfoAt(index)->name);
  MenuItemIndex item = CountMenuItems(menu);
  SetMenuItemRefCon(menu, item, URefCon(index));
  if (index == current) CheckMenuItem(menu, item, true);
}

// One submenu per category that has plug-ins of the class, hung below the menu in name
// order; plug-ins without a category named go into the menu itself.
void AddPluginItems(MenuRef menu, int32_t pluginClass, int32_t current) {
  std::vector<std::pair<std::string, uint32_t>> categories;
  std::vector<int32_t> plain;
  for (int32_t i = 0, n = CountPlugins(); i < n; ++i) {
    const PluginInfo* entry = PluginInfoAt(i);
    if (!IsPluginOfClass(pluginClass, entry) || entry->failure != noErr) continue;
    std::string name = entry->category != 0 ? CategoryName(entry->category) : "";
    if (name.empty() || name[0] == '(') {
      plain.push_back(i);
    } else if (std::none_of(categories.begin(), categories.end(), [&](auto& c) { return c.second == entry->category; })) {
      categories.emplace_back(name, entry->category);
    }
  }
  std::sort(categories.begin(), categories.end());
  int16_t id = kInsertFirstCategoryMenuId;
  for (const auto& [name, category] : categories) {
    Str255 title;
    CopyCStringToPascal(name.c_str(), title);
    MenuRef sub = NewMenu(id++, title);
    if (!sub) continue;
    for (int32_t i = 0, n = CountPlugins(); i < n; ++i) {
      const PluginInfo* entry = PluginInfoAt(i);
      if (entry->category == category && IsPluginOfClass(pluginClass, entry) && entry->failure == noErr)
        AddPluginItem(sub, i, current);
    }
    AppendLiteral(menu, title);
    SetMenuItemHierarchicalMenu(menu, CountMenuItems(menu), sub);
  }
  for (int32_t i : plain) AddPluginItem(menu, i, current);
}

}  // namespace

bool IsPluginOfClass(int32_t pluginClass, const PluginInfo* entry) {
  if (!entry) return false;
  if (pluginClass == kPluginClassAll || entry->uniqueId == 0) return true;
  bool instrument = entry->entryFlags & kPluginEntryInstrument;
  if (pluginClass == kPluginClassInstrument) return instrument;
  return !instrument || entry->inputCount > 0;
}

MenuRef BuildInsertMenu(Handle rack, int32_t slot, int32_t pluginClass) {
  MenuRef menu = NewMenu(kInsertMenuId, reinterpret_cast<const unsigned char*>("\0"));
  if (!menu) return menu;
  for (int16_t n = 1; n <= kCommandItems; ++n) {
    Str255 text;
    GetIndString(text, kInsertCommandList, n);
    AppendLiteral(menu, text);
  }
  int32_t current = CurrentTableIndex(rack, slot);
  DisableMenuItem(menu, 1);
  DisableMenuItem(menu, kInsertItemEdit);  // the plug-ins' editor windows are not made here
  if (current < 0) DisableMenuItem(menu, kInsertItemRemove);
  if (MenuRef recent = NewMenu(kInsertRecentMenuId, reinterpret_cast<const unsigned char*>("\0"))) {
    AddRecentPluginItems(recent, GetRackChainHead(rack), true);
    SetMenuItemHierarchicalMenu(menu, kInsertItemRecent, recent);
    if (CountMenuItems(recent) == 0) DisableMenuItem(menu, kInsertItemRecent);
  }
  AppendMenu(menu, reinterpret_cast<const unsigned char*>("\001-"));
  AddPluginItems(menu, pluginClass, current);
  return menu;
}

void DisposeInsertMenu(MenuRef menu) {
  if (!menu) return;
  for (MenuItemIndex item = 1, n = CountMenuItems(menu); item <= n; ++item) {
    MenuRef sub = nullptr;
    if (GetMenuItemHierarchicalMenu(menu, item, &sub) == noErr && sub) {
      DeleteMenu(GetMenuID(sub));
      DisposeMenu(sub);
    }
  }
  DeleteMenu(GetMenuID(menu));
  DisposeMenu(menu);
}

OSErr HandleInsertMenuChoice(MenuRef menu, Handle rack, int32_t slot, int16_t item) {
  if (!menu || !rack || item < 1 || item > int16_t(CountMenuItems(menu))) return paramErr;
  bool main = GetMenuID(menu) == kInsertMenuId;
  if (main && item == kInsertItemRemove) {
    if (CurrentTableIndex(rack, slot) < 0) return paramErr;
    ResetPlaybackState(1);
    RemoveSlot(rack, slot);
    RequestPluginWindowRefresh(kRefreshMixer);
    return noErr;
  }
  if (main && item < kInsertFirstPluginItem) return noErr;
  URefCon index = 0;
  if (GetMenuItemRefCon(menu, MenuItemIndex(item), &index) != noErr || !PluginInfoAt(int32_t(index))) {
    SysBeep(1);
    return paramErr;
  }
  ResetPlaybackState(1);
  OSErr err = PlaceInSlot(rack, slot, int32_t(index));
  RequestPluginWindowRefresh(kRefreshMixer);
  return err;
}

OSErr RunInsertMenu(Handle rack, int32_t slot, int32_t pluginClass, Point where) {
  MenuRef menu = BuildInsertMenu(rack, slot, pluginClass);
  if (!menu) return memFullErr;
  InsertMenu(menu, hierMenu);
  for (MenuItemIndex item = 1, n = CountMenuItems(menu); item <= n; ++item) {
    MenuRef sub = nullptr;
    if (GetMenuItemHierarchicalMenu(menu, item, &sub) == noErr && sub) InsertMenu(sub, hierMenu);
  }
  int32_t chosen = PopUpMenuSelect(menu, where.v, where.h, 0);
  OSErr err = noErr;
  MenuRef chosenMenu = (chosen >> 16) != 0 ? GetMenuHandle(MenuID(chosen >> 16)) : nullptr;
  if (chosenMenu) err = HandleInsertMenuChoice(chosenMenu, rack, slot, int16_t(chosen & 0xFFFF));
  DisposeInsertMenu(menu);
  UseAppResFile();
  return err;
}
