// The contextual menu of the mixer's header (menu 196): the channel's destinations and
// outputs, the input channel map, and the expanded view.
#include <algorithm>
#include <vector>

#include "mixer/destinations/destination_items.h"
#include "mixer/menus/mixer_menus.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/text/pascal_strings.h"
#include "platform/resources/resource_manager.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/insert_racks.h"
#include "plugins/host/plugin_instance.h"
#include "shell/base/app_strings.h"
#include "shell/base/resource_files.h"
#include "shell/windows/menu_building.h"
#include "song/documents/playback_reset.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_iterators.h"
#include "song/model/track_numbers.h"
#include "song/model/utility_track_access.h"

namespace {

constexpr int16_t kInputMapTexts = 168;
constexpr int16_t kSecondByteText = 3;
constexpr int16_t kNoneText = 23;
constexpr int16_t kFirstMapItem = 5;
constexpr uint8_t kMapAuxBus = 0x80;  // a map value naming aux bus (value & 0x7F) - 1
constexpr int32_t kMaxPairs = 6;

struct TrackName {
  int32_t number;
  Str255 name;
};

int32_t CollectTrack(void* arg, uint8_t* entry) {
  auto* tracks = static_cast<std::vector<TrackName>*>(arg);
  TrackName t{entry[kTrackNumber], {}};
  if (t.number > 47) return 0;
  GetTrackNameText(entry, t.name);
  tracks->push_back(t);
  return 0;
}

std::vector<TrackName> TracksInNumberOrder() {
  std::vector<TrackName> tracks;
  SearchSongTracks(CollectTrack, &tracks);
  std::sort(tracks.begin(), tracks.end(), [](const TrackName& a, const TrackName& b) { return a.number < b.number; });
  return tracks;
}

// The rack of the channel: a track's, an aux bus's or an instrument's.
Handle ChannelRack(MixerChannel channel) {
  if (channel.kind == 1 || channel.kind == 3) {
    int32_t saved = gCurrentTrackNumber;
    SelectTrackNumber(channel.item);
    Handle rack = GetTrackInsertRack();
    SelectTrackNumber(saved);
    return rack;
  }
  int32_t index = channel.kind == 2 ? gInstrumentCount + channel.item - 1 : channel.kind == 4 ? channel.item : -1;
  const uint8_t* record = GetInstrumentRecord(index);
  return record ? Handle(ReadU32BE(record + kInstInsertRack)) : Handle();
}

PluginInstance* ChannelFirstPlugin(MixerChannel channel) {
  return GetChainPlugin(GetRackChainHead(ChannelRack(channel)), 0);
}

Handle AppendTrackTargets(MenuRef menu, MixerChannel channel) {
  Handle items;
  PluginInstance* first = ChannelFirstPlugin(channel);
  uint32_t stereo = 0;
  uint8_t count = 0;
  GetPluginIOConfig(first, &stereo, &count);
  for (int32_t bus = 0; bus < count && bus < kMaxOutputBusBytes; ++bus) {
    uint8_t device = 0, second = 0, pair = 0;
    if (GetPluginOutputBusInfo(first, bus, &device, &second, &pair) != noErr) continue;
    int32_t instrument = second - 1;
    if (instrument < 0 || instrument >= gInstrumentCount) continue;
    items = AppendDestinationItem(items, menu, kDestInstrument, instrument, GetInstrumentRecord(instrument) + kInstName, -1);
  }
  return items;
}

Handle AppendBusTargets(MenuRef menu, int32_t bus) {
  Handle items;
  const uint8_t* record = GetInstrumentRecord(gInstrumentCount + bus);
  if (!record) return items;
  for (int32_t s = 0; s < kInstrumentSends; ++s) {
    int32_t target = (record[kInstSends + kInstSendSize * s + 3] & 0x0F) - 1;
    if (target >= 0 && target < gAuxBusCount && target != bus)
      items = AppendDestinationItem(items, menu, kDestAuxBus, target, GetInstrumentDefaultName(target), -1);
  }
  return items;
}

void BuildDestinationMenus(MixerHeaderMenus* m) {
  MixerChannel c = m->channel;
  if (c.kind == 1 || c.kind == 3) {
    int32_t saved = gCurrentTrackNumber;
    SelectTrackNumber(c.item);
    Str255 name;
    GetTrackNameText(gCurrentTrack, name);
    bool device = GetRackFlags(GetTrackInsertRack()) & kRackFlagInstrument;
    SelectTrackNumber(saved);
    if (!device) m->sourceItems = AppendDestinationItem(m->sourceItems, m->sources, kDestTrack, c.item, name, -1);
    m->targetItems = AppendTrackTargets(m->targets, c);
  } else if (c.kind == 2) {
    m->sourceItems = AppendStripSourceItems(m->sources, gInstrumentCount + c.item - 1);
    m->targetItems = AppendBusTargets(m->targets, c.item - 1);
  } else if (c.kind == 4) {
    m->sourceItems = AppendStripSourceItems(m->sources, c.item);
    m->targetItems = AppendStripTargetItems(m->targets, c.item);
  }
}

void AppendLiteral(MenuRef menu, ConstStr255Param text) { AppendMenuItemLiteral(menu, text); }

MenuRef BuildPairMenu(MixerHeaderMenus* m, int32_t pair, PluginInstance* first) {
  MenuRef menu = NewMenu(int16_t(kInputMapMenuId + 1 + pair), reinterpret_cast<const unsigned char*>("\0"));
  if (!menu) return menu;
  AppendLiteral(menu, GetAppString(kNoneText));
  AppendMenu(menu, reinterpret_cast<const unsigned char*>("\001-"));
  Str255 text;
  GetIndString(text, kInputMapTexts, kSecondByteText);
  AppendLiteral(menu, text);
  AppendMenu(menu, reinterpret_cast<const unsigned char*>("\001-"));
  int32_t values = 0;
  for (const TrackName& t : TracksInNumberOrder()) {
    AppendLiteral(menu, t.name);
    m->mapValues[values++] = uint8_t(t.number + 1);
  }
  if (m->channel.kind != 2) {
    for (int32_t b = 0; b < gAuxBusCount; ++b) {
      AppendLiteral(menu, GetInstrumentDefaultName(b));
      m->mapValues[values++] = uint8_t(kMapAuxBus | (b + 1));
    }
  }
  m->mapValueCount = values;
  uint8_t second = 0;
  uint8_t value = AccessPluginChannelMap(pair, first, 0, &second, 0);
  if (value == 0) CheckMenuItem(menu, 1, true);
  CheckMenuItem(menu, kSecondByteText, second != 0);
  for (int32_t i = 0; i < values; ++i)
    if (value != 0 && m->mapValues[i] == value) CheckMenuItem(menu, MenuItemIndex(kFirstMapItem + i), true);
  return menu;
}

void BuildInputMapMenus(MixerHeaderMenus* m) {
  PluginInstance* first = ChannelFirstPlugin(m->channel);
  if (!first || first->inputChannels == 0) return;
  m->pairCount = std::min<int32_t>(kMaxPairs, int32_t(first->inputChannels + 1) / 2);
  m->inputPairs = NewMenu(kInputMapMenuId, reinterpret_cast<const unsigned char*>("\0"));
  if (!m->inputPairs) return;
  for (int32_t p = 0; p < m->pairCount; ++p) {
    Str255 label;
    NumToString(2 * p + 1, label);
    AppendPChar(label, '-');
    Str255 next;
    NumToString(2 * p + 2, next);
    AppendPString(label, next);
    AppendLiteral(m->inputPairs, label);
    m->inputMaps[p] = BuildPairMenu(m, p, first);
    if (m->inputMaps[p]) SetMenuItemHierarchicalMenu(m->inputPairs, MenuItemIndex(p + 1), m->inputMaps[p]);
  }
}

// Sets input pair p's map entry from item `item` of its menu.
void ChooseInputMap(MixerHeaderMenus* m, int32_t pair, int16_t item) {
  PluginInstance* first = ChannelFirstPlugin(m->channel);
  if (!first || pair < 0 || pair >= m->pairCount) return;
  uint8_t second = 0;
  uint8_t value = AccessPluginChannelMap(pair, first, 0, &second, 0);
  if (item == 1) {
    value = 0;
  } else if (item == kSecondByteText) {
    second = second ? 0 : 1;
  } else if (item >= kFirstMapItem && item - kFirstMapItem < m->mapValueCount) {
    value = m->mapValues[item - kFirstMapItem];
  } else {
    return;
  }
  AccessPluginChannelMap(pair, first, 1, &second, value);
  ResetPlaybackState(0);
  SetSongModified();
}

}  // namespace

void BuildMixerHeaderMenus(MixerHeaderMenus* m, MixerChannel channel, bool expanded) {
  *m = MixerHeaderMenus();
  m->channel = channel;
  m->menu = GetMenu(kMixerHeaderMenuId);
  if (!m->menu) return;
  m->sources = NewMenu(kDestinationSourcesMenuId, reinterpret_cast<const unsigned char*>("\0"));
  m->targets = NewMenu(kDestinationTargetsMenuId, reinterpret_cast<const unsigned char*>("\0"));
  BuildDestinationMenus(m);
  BuildInputMapMenus(m);
  if (m->sources) SetMenuItemHierarchicalMenu(m->menu, kHeaderItemSources, m->sources);
  if (m->targets) SetMenuItemHierarchicalMenu(m->menu, kHeaderItemTargets, m->targets);
  if (m->inputPairs) SetMenuItemHierarchicalMenu(m->menu, kHeaderItemInputMap, m->inputPairs);
  else DisableMenuItem(m->menu, kHeaderItemInputMap);
  CheckMenuItem(m->menu, kHeaderItemExpanded, !expanded);
}

bool HandleMixerHeaderChoice(MixerHeaderMenus* m, int16_t menuId, int16_t item) {
  if (menuId == kMixerHeaderMenuId) return item == kHeaderItemExpanded;
  if (menuId == kDestinationSourcesMenuId) GoToDestinationItem(m->sourceItems, item);
  else if (menuId == kDestinationTargetsMenuId) GoToDestinationItem(m->targetItems, item);
  else if (menuId > kInputMapMenuId && menuId <= kInputMapMenuId + m->pairCount)
    ChooseInputMap(m, menuId - kInputMapMenuId - 1, item);
  return false;
}

void DisposeMixerHeaderMenus(MixerHeaderMenus* m) {
  for (int32_t p = 0; p < m->pairCount; ++p) {
    DeleteMenu(int16_t(kInputMapMenuId + 1 + p));
    if (m->inputMaps[p]) DisposeMenu(m->inputMaps[p]);
  }
  const int16_t ids[] = {kInputMapMenuId, kDestinationSourcesMenuId, kDestinationTargetsMenuId, kMixerHeaderMenuId};
  for (int16_t id : ids) DeleteMenu(id);
  for (MenuRef menu : {m->inputPairs, m->sources, m->targets, m->menu})
    if (menu) DisposeMenu(menu);
  if (m->sourceItems) DisposeHandle(m->sourceItems);
  if (m->targetItems) DisposeHandle(m->targetItems);
  *m = MixerHeaderMenus();
  UseAppResFile();
}

bool RunMixerHeaderMenu(MixerChannel channel, bool expanded, Point where) {
  MixerHeaderMenus m;
  BuildMixerHeaderMenus(&m, channel, expanded);
  if (!m.menu) return false;
  InsertMenu(m.menu, hierMenu);
  UInt32 selection = 0;
  MenuID chosenMenu = 0;
  MenuItemIndex chosenItem = 0;
  bool toggle = false;
  if (ContextualMenuSelect(m.menu, where, false, 0, nullptr, nullptr, &selection, &chosenMenu, &chosenItem) == noErr &&
      selection == kCMMenuItemSelected)
    toggle = HandleMixerHeaderChoice(&m, chosenMenu, int16_t(chosenItem));
  DisposeMixerHeaderMenus(&m);
  return toggle;
}
