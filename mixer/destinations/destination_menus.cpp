// The instrument window's go-to submenus: what uses a strip (31924), where it goes (31925),
// and which strips are shown (31926).
#include "mixer/destinations/destination_items.h"

#include "platform/memory/byte_order.h"
#include "platform/resources/resource_manager.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/insert_racks.h"
#include "shell/windows/menu_building.h"
#include "shell/windows/window_sizing.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/model/song_layout.h"
#include "song/model/track_iterators.h"
#include "song/model/utility_track_access.h"

namespace {

constexpr int16_t kJukeboxText = 28;
constexpr int16_t kShowAllText = 30;
constexpr int16_t kShowPluginStripsText = 31;
constexpr int16_t kShowOtherStripsText = 32;
constexpr int16_t kHideSelectedText = 33;
constexpr int16_t kHidePluginStripsText = 34;
constexpr int16_t kHideOtherStripsText = 35;

bool IsAuxBusEntry(int32_t index) { return index >= gInstrumentCount && index < gInstrumentCount + gAuxBusCount; }
bool IsMasterEntry(int32_t index) { return index == gInstrumentCount + gAuxBusCount; }

// Level of send slot `bus` of an entry (instruments send to aux bus i through slot i).
uint16_t SendLevel(const uint8_t* record, int32_t bus) {
  return ReadU16BE(record + kInstSends + kInstSendSize * bus);
}

// The aux bus (0-based) a send of an aux bus feeds, -1 for the device output.
int32_t SendTarget(const uint8_t* record, int32_t send) {
  return int32_t(record[kInstSends + kInstSendSize * send + 3] & 0x0F) - 1;
}

// Whether entry `from` feeds aux bus `bus`: an instrument by a non-zero send level, an aux
// bus by a send targeting it.
bool FeedsAuxBus(int32_t from, int32_t bus) {
  const uint8_t* record = GetInstrumentRecord(from);
  if (!record || bus < 0 || bus >= gAuxBusCount) return false;
  if (from < gInstrumentCount) return SendLevel(record, bus) != 0;
  if (!IsAuxBusEntry(from)) return false;
  for (int32_t s = 0; s < kInstrumentSends; ++s)
    if (SendTarget(record, s) == bus) return true;
  return false;
}

const uint8_t* EntryName(int32_t index) {
  if (IsAuxBusEntry(index) || IsMasterEntry(index)) return GetInstrumentDefaultName(index - gInstrumentCount);
  const uint8_t* record = GetInstrumentRecord(index);
  return record ? record + kInstName : nullptr;
}

uint32_t EntryChainHead(int32_t index) {
  const uint8_t* record = GetInstrumentRecord(index);
  return record ? GetRackChainHead(Handle(ReadU32BE(record + kInstInsertRack))) : 0;
}

bool PlaysThroughPlugin(const uint8_t* record) {
  return record[kInstDeviceKinds] == kDeviceKindPlugin || GetRackChainHead(Handle(ReadU32BE(record + kInstInsertRack))) != 0;
}

struct TrackWalk {
  MenuRef menu;
  Handle items;
  int32_t instrument;
};

int32_t AddTrackOfInstrument(void* arg, uint8_t* entry) {
  auto* walk = static_cast<TrackWalk*>(arg);
  if (!(entry[kTrackFlags] & kTrackFlagPlaysInstrument) || GetTrackInstrument(entry, 0) != walk->instrument) return 0;
  Str255 name;
  GetTrackNameText(entry, name);
  walk->items = AppendDestinationItem(walk->items, walk->menu, kDestTrack, entry[kTrackNumber], name, -1);
  return 0;
}

Handle AppendInserts(Handle items, MenuRef menu, int32_t index) {
  uint32_t head = EntryChainHead(index);
  for (int32_t n = 0, count = CountChainPlugins(head); n < count; ++n)
    if (PluginInstance* plugin = GetChainPlugin(head, n))
      items = AppendDestinationItem(items, menu, kDestInstrumentInsert, index, plugin->name, n);
  return items;
}

Handle AppendJukebox(Handle items, MenuRef menu, int32_t index) {
  auto find = gDestinationRoutes.findJukeboxInstrument;
  if (!find || find() != index) return items;
  Str255 name;
  GetIndString(name, kDestinationTextList, kJukeboxText);
  return AppendDestinationItem(items, menu, kDestJukebox, 0, name, -1);
}

bool AllShown(bool withPlugin) {
  for (int32_t i = 0; i < gInstrumentCount; ++i) {
    const uint8_t* record = GetInstrumentRecord(i);
    if (PlaysThroughPlugin(record) == withPlugin && record[kInstNoDisplayNumber] != 0) return false;
  }
  return true;
}

void SetHiddenWhere(bool withPlugin, uint8_t hidden) {
  for (int32_t i = 0; i < gInstrumentCount; ++i) {
    uint8_t* record = GetInstrumentRecord(i);
    if (PlaysThroughPlugin(record) == withPlugin) record[kInstNoDisplayNumber] = hidden;
  }
}

void AppendText(MenuRef menu, int16_t text) {
  Str255 label;
  GetIndString(label, kDestinationTextList, text);
  AppendMenuItemLiteral(menu, label);
}

}  // namespace

Handle AppendStripSourceItems(MenuRef menu, int32_t index) {
  Handle items;
  if (index >= 0 && index < gInstrumentCount) {
    TrackWalk walk{menu, items, index};
    SearchSongTracks(AddTrackOfInstrument, &walk);
    items = AppendInserts(walk.items, menu, index);
  } else if (IsAuxBusEntry(index)) {
    int32_t bus = index - gInstrumentCount;
    for (int32_t from = 0; from < gInstrumentCount + gAuxBusCount; ++from) {
      if (from == index || !FeedsAuxBus(from, bus)) continue;
      items = AppendDestinationItem(items, menu, kDestInstrument, from, EntryName(from), -1);
      items = AppendDestinationItem(items, menu, kDestAuxBus, bus, GetInstrumentDefaultName(bus), -1);
    }
  }
  return AppendJukebox(items, menu, index);
}

Handle AppendStripTargetItems(MenuRef menu, int32_t index) {
  Handle items;
  if (index >= 0 && index < gInstrumentCount) {
    const uint8_t* record = GetInstrumentRecord(index);
    for (int32_t bus = 0; bus < gAuxBusCount && bus < kInstrumentSends; ++bus) {
      if (SendLevel(record, bus) == 0) continue;
      items = AppendDestinationItem(items, menu, kDestAuxBus, bus, GetInstrumentDefaultName(bus), -1);
      items = AppendDestinationItem(items, menu, kDestInstrument, gInstrumentCount + bus, EntryName(gInstrumentCount + bus), -1);
    }
    return items;
  }
  bool master = IsMasterEntry(index);
  if (!master && !IsAuxBusEntry(index)) return items;
  for (int32_t from = 0; from < gInstrumentCount + gAuxBusCount; ++from) {
    if (from == index) continue;
    if (master || FeedsAuxBus(from, index - gInstrumentCount))
      items = AppendDestinationItem(items, menu, kDestInstrument, from, EntryName(from), -1);
  }
  return items;
}

MenuRef NewShowStripsMenu(int32_t index) {
  MenuRef menu = NewMenu(kShowStripsMenuId, reinterpret_cast<const unsigned char*>("\0"));
  if (!menu) return menu;
  AppendText(menu, kShowAllText);
  AppendMenu(menu, reinterpret_cast<const unsigned char*>("\001-"));
  AppendText(menu, AllShown(true) ? kHidePluginStripsText : kShowPluginStripsText);
  AppendText(menu, AllShown(false) ? kHideOtherStripsText : kShowOtherStripsText);
  AppendText(menu, kHideSelectedText);
  if (AllShown(true) && AllShown(false)) DisableMenuItem(menu, 1);
  if (index < 0 || index >= gInstrumentCount) DisableMenuItem(menu, 5);
  return menu;
}

void HandleShowStripsChoice(int32_t item) {
  switch (item) {
    case 1:
      for (int32_t i = 0; i < gInstrumentCount; ++i) GetInstrumentRecord(i)[kInstNoDisplayNumber] = 0;
      break;
    case 3: SetHiddenWhere(true, AllShown(true) ? 1 : 0); break;
    case 4: SetHiddenWhere(false, AllShown(false) ? 1 : 0); break;
    case 5:
      for (int32_t i = 0; i < gInstrumentCount; ++i) {
        uint8_t* record = GetInstrumentRecord(i);
        if (record[kInstFlags] & kInstFlagSelected) record[kInstNoDisplayNumber] = 1;
      }
      break;
    default: return;
  }
  RebuildInstrumentState();
  SizeInstrumentWindowToContent();
}
