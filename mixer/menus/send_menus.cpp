// The aux-bus send menu and the track output menu of the mixer's header.
#include "mixer/menus/mixer_menus.h"

#include "audio/engine/engine_channels.h"
#include "audio/engine/instrument_binding.h"
#include "platform/memory/byte_order.h"
#include "platform/resources/resource_manager.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/insert_racks.h"
#include "plugins/host/plugin_host_hooks.h"
#include "shell/base/app_strings.h"
#include "shell/base/resource_files.h"
#include "shell/dialogs/dialog_toolkit.h"
#include "shell/windows/menu_building.h"
#include "shell/windows/window_sizing.h"
#include "song/dialogs/song_setup_commands.h"
#include "song/documents/playback_reset.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/instrument_volumes.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/song_context.h"

// The last routing choice (device, second byte, pair), kept across a nested new-instrument
// dialog.
uint8_t gLastRoutingChoice[3] = {};

namespace {

constexpr int16_t kDeviceListTexts = 139;
constexpr int16_t kNewAuxBusText = 1;       // STR# 215: the send menu's own texts
constexpr int16_t kOutputCountText = 2;
constexpr int16_t kMixerMenuTexts = 215;
constexpr int16_t kNewInstrumentText = 100; // application string
constexpr uint8_t kDeviceOutputKind = 11;

void AppendText(MenuRef menu, ConstStr255Param text) { AppendMenuItemLiteral(menu, text); }

void AppendListText(MenuRef menu, int16_t list, int16_t item) {
  Str255 text;
  GetIndString(text, list, item);
  AppendText(menu, text);
}

MenuRef NewBuiltMenu(int16_t id) {
  return NewMenu(id, reinterpret_cast<const unsigned char*>("\0"));
}

int32_t RunBuiltMenu(MenuRef menu, int16_t id, Point where) {
  InsertMenu(menu, hierMenu);
  int32_t chosen = PopUpMenuSelect(menu, where.v, where.h, 0);
  DeleteMenu(id);
  DisposeMenu(menu);
  UseAppResFile();
  return (chosen >> 16) == id ? (chosen & 0xFFFF) : 0;
}

// The aux bus's engine channel takes send s's new target.
void UpdateBusChannelSend(int32_t bus, int32_t send, uint8_t target) {
  if (bus >= kMaxAuxBuses) return;
  EngineChannel* channel = FindAuxBusChannel(bus + 1);
  if (!channel || send >= gAuxBusCount) return;
  channel->sendGains[send].bus = target;
  ResetPlaybackState(0);
}

uint32_t TrackChainHead() { return GetRackChainHead(GetTrackInsertRack()); }

int32_t ChainOutputChannels(uint32_t head) {
  int32_t firstIn = 0, firstOut = 0, largestOut = 0, lastOut = 0, largestIn = 0;
  GetChainChannelCounts(head, &firstIn, &firstOut, &largestOut, &lastOut, &largestIn);
  return lastOut;
}

void RouteBus(int32_t bus, uint8_t device, uint8_t second, uint8_t pair) {
  uint32_t head = TrackChainHead();
  SetChainBusBytes(bus, head, pair, device, second);
  gLastRoutingChoice[0] = device;
  gLastRoutingChoice[1] = second;
  gLastRoutingChoice[2] = pair;
}

void RouteToInstrument(int32_t bus, int32_t instrument) {
  const uint8_t* record = GetInstrumentRecord(instrument);
  if (!record) return;
  RouteBus(bus, record[kInstDeviceKinds], uint8_t(instrument + 1), record[kInstPorts]);
}

void RunNewInstrument(void* saved) {
  auto* bytes = static_cast<uint8_t*>(saved);
  for (int i = 0; i < 3; ++i) bytes[i] = gLastRoutingChoice[i];
  // The dialog starts at the device and port last chosen (the default device before any).
  uint8_t device = gLastRoutingChoice[0] ? gLastRoutingChoice[0] : gDefaultInstrumentDevice[0];
  uint8_t port = gLastRoutingChoice[0] ? gLastRoutingChoice[2] : gDefaultInstrumentDevice[1];
  RunNewInstrumentDialog(device, port);
  for (int i = 0; i < 3; ++i) gLastRoutingChoice[i] = bytes[i];
}

// The new-instrument dialog over the current one; the new instrument's index, -1 when it
// was cancelled.
int32_t NewInstrumentForBus() {
  int32_t before = gInstrumentCount;
  uint8_t saved[3] = {};
  if (!RunNestedDialogCall(RunNewInstrument, saved)) return -1;
  return gInstrumentCount > before ? gInstrumentCount - 1 : -1;
}

void SetBusCountFromChain(uint32_t head) {
  PluginInstance* first = GetChainPlugin(head, 0);
  if (!first) return;
  int32_t channels = ChainOutputChannels(head);
  int32_t buses = (channels + 1) / 2;
  uint32_t stereo = 0;
  for (int32_t b = 0; b < buses && b < 32; ++b)
    if (2 * b + 1 < channels) stereo |= 1u << b;
  SetPluginIOConfig(first, stereo, uint8_t(buses));
}

}  // namespace

MenuRef BuildSendTargetMenu(int32_t bus, int32_t send) {
  const uint8_t* record = GetInstrumentRecord(gInstrumentCount + bus);
  MenuRef menu = NewBuiltMenu(kSendTargetMenuId);
  if (!menu || !record || send < 0 || send >= kInstrumentSends) return menu;
  AppendListText(menu, kDeviceListTexts, 1);
  for (int32_t b = 0; b < gAuxBusCount; ++b) AppendText(menu, GetInstrumentDefaultName(b));
  if (gAuxBusCount < kMaxAuxBuses) AppendListText(menu, kMixerMenuTexts, kNewAuxBusText);
  CheckMenuItem(menu, MenuItemIndex(GetSendBus(record, send) + 1), true);
  return menu;
}

OSErr HandleSendTargetChoice(int32_t bus, int32_t send, int16_t item) {
  if (bus < 0 || bus >= gAuxBusCount || send < 0 || send >= kInstrumentSends || item < 1) return paramErr;
  int32_t target = item - 1;  // 0 the device output, b aux bus b, then the new bus
  if (target > gAuxBusCount + 1 || (target == gAuxBusCount + 1 && gAuxBusCount >= kMaxAuxBuses)) return paramErr;
  if (target == gAuxBusCount + 1) {
    OSErr err = SetAuxBusCount(gAuxBusCount + 1, gDefaultInstrumentDevice[0], gDefaultInstrumentDevice[1], false);
    if (err != noErr) return err;
    SizeInstrumentWindowToContent();
  }
  uint8_t* record = GetInstrumentRecord(gInstrumentCount + bus);
  if (!record) return paramErr;
  SetSendBus(record, send, uint8_t(target));
  UpdateBusChannelSend(bus, send, uint8_t(target));
  SetSongModified();
  return noErr;
}

OSErr RunSendTargetMenu(int32_t bus, int32_t send, Point where) {
  MenuRef menu = BuildSendTargetMenu(bus, send);
  if (!menu) return memFullErr;
  int32_t item = RunBuiltMenu(menu, kSendTargetMenuId, where);
  return item > 0 ? HandleSendTargetChoice(bus, send, int16_t(item)) : OSErr(noErr);
}

MenuRef BuildTrackOutputMenu(int32_t bus) {
  MenuRef menu = NewBuiltMenu(kTrackOutputMenuId);
  uint32_t head = TrackChainHead();
  PluginInstance* first = GetChainPlugin(head, 0);
  if (!menu) return menu;
  AppendListText(menu, kDeviceListTexts, 1);
  for (int32_t i = 0; i < gInstrumentCount; ++i) AppendText(menu, GetInstrumentRecord(i) + kInstName);
  AppendText(menu, GetAppString(kNewInstrumentText));
  AppendMenu(menu, reinterpret_cast<const unsigned char*>("\001-"));
  AppendListText(menu, kMixerMenuTexts, kOutputCountText);
  MenuItemIndex countItem = CountMenuItems(menu);
  if (ChainOutputChannels(head) < 2) DisableMenuItem(menu, countItem);
  uint32_t stereo = 0;
  uint8_t count = 0;
  GetPluginIOConfig(first, &stereo, &count);
  CheckMenuItem(menu, countItem, count > 1);
  uint8_t device = 0, second = 0, pair = 0;
  if (first && GetPluginOutputBusInfo(first, bus, &device, &second, &pair) == noErr) {
    int32_t instrument = second - 1;
    bool toInstrument = instrument >= 0 && instrument < gInstrumentCount;
    CheckMenuItem(menu, MenuItemIndex(toInstrument ? kOutputItemFirstInstrument + instrument : kOutputItemDevice), true);
  }
  return menu;
}

OSErr HandleTrackOutputChoice(int32_t bus, int16_t item) {
  uint32_t head = TrackChainHead();
  if (!head || bus < 0 || bus >= kMaxOutputBusBytes || item < 1) return paramErr;
  int32_t newItem = kOutputItemFirstInstrument + gInstrumentCount;
  int32_t countItem = newItem + 2;
  if (item == kOutputItemDevice) {
    RouteBus(bus, gDefaultInstrumentDevice[0], 0, gDefaultInstrumentDevice[1]);
  } else if (item < newItem) {
    RouteToInstrument(bus, item - kOutputItemFirstInstrument);
  } else if (item == newItem) {
    int32_t created = NewInstrumentForBus();
    if (created < 0) return userCanceledErr;
    RouteToInstrument(bus, created);
  } else if (item == countItem) {
    if (ChainOutputChannels(head) < 2) return paramErr;
    SetBusCountFromChain(head);
  } else {
    return paramErr;
  }
  ResetPlaybackState(0);
  RequestPluginWindowRefresh(kRefreshMixer);
  SetSongModified();
  return noErr;
}

OSErr RunTrackOutputMenu(int32_t bus, Point where) {
  MenuRef menu = BuildTrackOutputMenu(bus);
  if (!menu) return memFullErr;
  int32_t item = RunBuiltMenu(menu, kTrackOutputMenuId, where);
  return item > 0 ? HandleTrackOutputChoice(bus, int16_t(item)) : OSErr(noErr);
}
