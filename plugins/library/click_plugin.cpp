#include "plugins/library/click_plugin.h"

#include <cstring>
#include <string>

#include "audio/devices/audio_driver.h"
#include "platform/files/file_locations.h"
#include "platform/files/folders.h"
#include "platform/files/host_files.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/plugin_devices.h"
#include "plugins/host/plugin_instances.h"
#include "plugins/library/plugin_bundles.h"
#include "plugins/library/plugin_discovery.h"
#include "plugins/library/plugin_loading.h"
#include "plugins/library/plugin_table.h"
#include "plugins/library/plugin_table_entries.h"

namespace {

const char kClickBundleName[] = "Clickvox.so";

uint32_t gClickChainHead = 0;

int32_t FindClickEntry() {
  for (int32_t i = 0; i < CountPlugins(); ++i)
    if (IsClickPluginName(PluginInfoAt(i)->name)) return i;
  return -1;
}

}  // namespace

bool IsClickPluginName(ConstStr255Param name) {
  return std::string(reinterpret_cast<const char*>(name + 1), name[0]).find("Clickvox") !=
         std::string::npos;
}

uint32_t* GetClickChainHead() { return &gClickChainHead; }

uint8_t OpenClickPlugin(int32_t index) {
  PluginInfo* entry = PluginInfoAt(index);
  if (entry == nullptr) return 0;
  if (gClickChainHead != 0) return entry->deviceByte;
  double rate = gAudioSampleRate > 0.0f ? double(gAudioSampleRate) : 0.0;
  OSErr err = LoadPlugin(index, rate, 0, &gClickChainHead, kLoadNoInsert | kLoadSilent);
  PluginInstance* record = GetChainPlugin(gClickChainHead, 0);
  if ((err != noErr && err != kPluginBehindInserts) || record == nullptr) return 0;
  entry = PluginInfoAt(index);
  entry->deviceByte = uint8_t(kClickPluginDeviceId);
  SetInstanceDevice(record, 1, uint8_t(kClickPluginDeviceId));
  return entry->deviceByte;
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
