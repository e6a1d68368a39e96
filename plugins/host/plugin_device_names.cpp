// Device names: made from the chain's instrument plug-in, unique in the table, shown in
// brackets when the device is not live; and the plug-ins that send MIDI out.
#include <cstdio>
#include <cstring>

#include "platform/memory/memory.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/plugin_device_table.h"
#include "plugins/host/plugin_devices.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/library/plugin_table.h"
#include "sequencer/midi/midi_port_build.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

namespace {

constexpr uint8_t kMaxDeviceName = 31;

void CopyName(uint8_t* to, const uint8_t* from, uint8_t limit) {
  uint8_t n = from[0] > limit ? limit : from[0];
  to[0] = n;
  std::memcpy(to + 1, from + 1, n);
}


bool NameTaken(Handle table, int32_t count, const uint8_t* name) {
  if (!table) return false;
  const auto* p = reinterpret_cast<const uint8_t*>(HandleData(table));
  int32_t records = CountDeviceRecords(table) < count ? CountDeviceRecords(table) : count;
  for (int32_t n = 0; n < records; ++n)
    if (std::memcmp(p + size_t(n) * kPluginDeviceSize, name, size_t(name[0]) + 1) == 0) return true;
  return false;
}

// The number after a trailing '-' (0 when there is none) and where the '-' stands.
int32_t TrailingNumber(const uint8_t* name, int32_t* dash) {
  int32_t i = name[0];
  while (i > 0 && name[i] >= '0' && name[i] <= '9') --i;
  if (i == name[0] || i < 1 || name[i] != '-') return 0;
  *dash = i;
  int32_t value = 0;
  for (int32_t k = i + 1; k <= name[0] && value < 100000; ++k) value = value * 10 + (name[k] - '0');
  return value;
}

// The next name of the series: "-2" appended, or the trailing number raised by one; a name
// too long for the number loses characters before it so that it fits in 31.
bool NextName(uint8_t* name) {
  int32_t dash = 0;
  int32_t number = TrailingNumber(name, &dash);
  char digits[12];
  int32_t len = number > 0 ? std::snprintf(digits, sizeof digits, "%d", number + 1) : 1;
  if (number <= 0) { dash = name[0] + 1; digits[0] = '2'; }
  if (len + 2 > kMaxDeviceName) return false;
  if (dash + len > kMaxDeviceName) dash = kMaxDeviceName - len;
  name[dash] = '-';
  std::memcpy(name + dash + 1, digits, size_t(len));
  name[0] = uint8_t(dash + len);
  return true;
}

}  // namespace

void GetPluginInstanceName(const PluginInstance* record, uint8_t* name) {
  const PluginInfo* info = PluginInfoAt(int32_t(record->tableIndex));
  CopyName(name, info && info->name[0] ? info->name : record->name, kMaxDeviceName);
}

void MakeDeviceName(Handle table, uint32_t chainHead, int32_t count, uint8_t* name) {
  const PluginInstance* instrument = FindInstrumentInChain(chainHead);
  if (instrument) {
    GetPluginInstanceName(instrument, name);
  } else {
    name[0] = 2;
    name[1] = name[2] = '-';
  }
  while (NameTaken(table, count, name))
    if (!NextName(name)) break;
}

void RefreshDeviceName(uint8_t* record) {
  if (const PluginInstance* instance = GetPluginInstance(GetDeviceInstanceId(record))) {
    uint8_t name[32];
    GetPluginInstanceName(instance, name);
    PluginDeviceView{record}.SetName(name);
  }
}

const uint8_t* GetDeviceDisplayName(uint32_t kind, uint32_t id, int32_t bracket) {
  static uint8_t shown[256];
  shown[0] = 0;
  PluginDeviceView d{kind == kPluginDeviceKind ? FindPluginDeviceById(id, 0) : nullptr};
  if (!d.p) return shown;
  CopyName(shown, d.Name(), kMaxDeviceName);
  bool otherSong = d.IsTrackDevice() && (!gCurrentSong || d.SongId() != SongHeaderView(gCurrentSong).Id());
  if (d.IsPending() || (bracket && otherSong)) BracketName(shown, sizeof shown);
  return shown;
}

uint32_t FindDeviceNamedLike(uint32_t id) {
  PluginDeviceView given{FindPluginDeviceById(id, 0)};
  if (!given.p || given.Name()[0] == 0) return id;
  const char* wanted = reinterpret_cast<const char*>(given.Name() + 1);
  size_t length = given.Name()[0];
  for (int32_t n = 0; n < CountTableRecords(); ++n) {
    PluginDeviceView d{GetPluginDeviceRecord(n)};
    const char* name = reinterpret_cast<const char*>(d.Name() + 1);
    if (d.IsPending() || d.Name()[0] < length) continue;
    for (size_t at = 0; at + length <= d.Name()[0]; ++at)
      if (std::memcmp(name + at, wanted, length) == 0) return d.Id();
  }
  return id;
}

void ForEachMidiOutputPlugin(MidiOutputPluginProc callback, void* context) {
  if (!callback) return;
  for (int32_t n = 0; n < CountTableRecords(); ++n) {
    PluginInstance* instance = GetPluginInstance(gDeviceLinks[n].instance);
    if (!instance || instance->outputRouting == 0 || !(instance->openFlags & kPluginOpenMidiOutput)) continue;
    const PluginInfo* info = PluginInfoAt(int32_t(instance->tableIndex));
    if (!info || info->kind == kPluginKindVstResource || info->kind == kPluginKindAuV1Effect) continue;
    callback(info, GetPluginDeviceRecord(n), instance->outputRouting, context);
  }
}

void GetPluginOutputName(uint8_t* name, uint32_t routing) {
  name[0] = 0;
  for (int32_t n = 0; n < CountTableRecords() && routing != 0; ++n) {
    const PluginInstance* instance = GetPluginInstance(gDeviceLinks[n].instance);
    if (instance && instance->outputRouting == routing) {
      GetPluginInstanceName(instance, name);
      return;
    }
  }
}
