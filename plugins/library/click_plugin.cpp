#include "plugins/library/click_plugin.h"

#include <cstring>
#include <string>

#include "audio/devices/audio_driver.h"
#include "platform/files/file_locations.h"
#include "platform/files/folders.h"
#include "platform/files/host_files.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/insert_racks.h"
#include "plugins/host/plugin_device_table.h"
#include "plugins/host/plugin_devices.h"
#include "plugins/host/plugin_instances.h"
#include "plugins/library/plugin_bundles.h"
#include "plugins/library/plugin_discovery.h"
#include "plugins/library/plugin_loading.h"
#include "plugins/library/plugin_table.h"
#include "plugins/library/plugin_table_entries.h"
#include "sequencer/clock/click_track.h"
#include "song/instruments/rack_automation_fields.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/song_context.h"

namespace {

const char kClickBundleName[] = "Clickvox.so";

int32_t FindClickEntry() {
  for (int32_t i = 0; i < CountPlugins(); ++i)
    if (IsClickPluginName(PluginInfoAt(i)->name)) return i;
  return -1;
}

// The metronome's track record with a rack: made from the track template the first time.
Handle ClickTrackRack(double rate) {
  Handle rack = GetClickTrackRack();
  if (rack) return rack;
  InitClickTrack();
  OSErr err = noErr;
  return EnsureInsertRack(gClickTrack + kTrackInsertRack, float(rate), false, &err);
}

// Clickvox loaded into the click track's rack as the current track.
OSErr LoadIntoClickTrack(int32_t index, Handle rack, double rate) {
  uint8_t* savedTrack = gCurrentTrack;
  gCurrentTrack = gClickTrack;
  uint32_t head = GetRackChainHead(rack);
  OSErr err = LoadPlugin(index, rate, 0, &head, kLoadNoInsert | kLoadSilent);
  SetRackChainHead(rack, head);
  gCurrentTrack = savedTrack;
  return err;
}

// The click device (254) plays the click track's chain.
void RefreshClickDevice(Handle rack) {
  SetRackFlags(rack, uint8_t(GetRackFlags(rack) | kRackFlagInstrument));
  gClickTrack[kTrackMidiOutput] = uint8_t(kClickPluginDeviceId);
  SetRackDeviceIdByte(rack, uint8_t(kClickPluginDeviceId));
  if (FindPluginDeviceById(kClickPluginDeviceId, 0)) {
    UpdateRackDevice(rack, 2);
  } else {
    RegisterClickDevice();
  }
}

}  // namespace

bool IsClickPluginName(ConstStr255Param name) {
  return std::string(reinterpret_cast<const char*>(name + 1), name[0]).find("Clickvox") !=
         std::string::npos;
}

uint8_t OpenClickPlugin(int32_t index) {
  PluginInfo* entry = PluginInfoAt(index);
  if (entry == nullptr) return 0;
  Handle rack = GetClickTrackRack();
  if (rack && GetRackChainHead(rack) != 0) return GetClickTrackDevice();
  double rate = gAudioSampleRate > 0.0f ? double(gAudioSampleRate) : 0.0;
  rack = ClickTrackRack(rate);
  if (!rack) return 0;
  OSErr err = LoadIntoClickTrack(index, rack, rate);
  if ((err != noErr && err != kPluginBehindInserts) || GetRackChainHead(rack) == 0) return 0;
  PluginInfoAt(index)->deviceByte = uint8_t(kClickPluginDeviceId);
  RefreshClickDevice(rack);
  return GetClickTrackDevice();
}

uint8_t FindClickPlugin(bool retried) {
  int32_t index = FindClickEntry();
  if (index >= 0) {
    PluginInfoAt(index)->pluginFlags |= kPluginFlagReplacing;
    uint8_t device = OpenClickPlugin(index);
    if (device != 0) return device;
  }
  if (retried) return 0;
  FSSpec location;
  if (PathToSpec(HostJoinPath(GetApplicationFolder(), kClickBundleName), &location) != noErr) return 0;
  bool added = false;
  if (AddBundleToPluginTable(&location, &added) != noErr) return 0;
  return FindClickPlugin(true);
}

OSErr AddBundleToPluginTable(const FSSpec* location, bool* added) {
  *added = false;
  if (FindPluginBySpec(location) >= 0) return noErr;
  uint32_t bundle = CreatePluginBundle(SpecToPath(location).c_str());
  if (bundle == 0) return fnfErr;
  int32_t before = CountPlugins();
  FoundPlugin found;
  OSErr err = RegisterPluginBundle(bundle, false, &found, nullptr);
  ReleasePluginBundle(bundle);
  if (err != noErr) return err;
  *added = CountPlugins() > before;
  return *added ? OSErr(noErr) : OSErr(fnfErr);
}
