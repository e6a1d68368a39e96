// Loading plug-in code for entries of the table: open counts, load counts, unloading with
// the last instance, the entry points, an instrument behind an effect, Clickvox.
#include <vector>

#include "platform/files/folders.h"
#include "platform/files/host_files.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/insert_racks.h"
#include "plugins/host/plugin_devices.h"
#include "plugins/host/plugin_host_hooks.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/library/click_plugin.h"
#include "plugins/library/plugin_bundles.h"
#include "plugins/library/plugin_info_file.h"
#include "plugins/library/plugin_loading.h"
#include "sequencer/clock/click_track.h"
#include "shell/base/bmid_resources.h"
#include "song/instruments/plugin_hooks.h"
#include "shell/base/preferences_file.h"
#include "shell/base/resource_files.h"
#include "tests/plugins/library/plugin_library_fixture.h"

namespace {

class PluginLoadingTest : public PluginLibraryTest {
 protected:
  int32_t Install(const std::string& fixture, const std::string& name) {
    std::string bytes;
    EXPECT_EQ(noErr, HostReadFile(FixturePlugin(fixture), &bytes, 64 << 20));
    EXPECT_TRUE(zarin_test::WriteWholeFile(plugins_.File(name + ".so"), bytes));
    ScanFolder(plugins_.path());
    return FindEntry("Tiny Works-" + name);
  }
  uint32_t CachedLoadCount(const std::string& key) {
    std::string file = zarin_test::ReadWholeFile(InfoFilePath());
    for (size_t at = 8; at + 128 <= file.size(); at += 128) {
      const char* record = file.data() + at;
      if (std::string(record + kCacheName + 1, uint8_t(record[kCacheName])) == key)
        return ReadU32BE(record + kCacheLoadCount);
    }
    return 0xFFFFFFFF;
  }
};

constexpr uint32_t kQuiet = kLoadSilent | kLoadNoInsert;

TEST_F(PluginLoadingTest, CodeStaysLoadedWhileAnInstanceIsOpen) {
  int32_t index = Install("synth", "Tiny");
  ASSERT_GE(index, 0);
  EXPECT_EQ(0u, PluginInfoAt(index)->loadCount);
  uint32_t first = 0;
  uint32_t second = 0;
  ASSERT_EQ(noErr, LoadPlugin(index, 48000.0, 0, &first, kQuiet));
  ASSERT_NE(0u, first);
  PluginInfo* entry = PluginInfoAt(index);
  EXPECT_EQ(1u, entry->openCount);
  EXPECT_EQ(1u, entry->loadCount);
  EXPECT_EQ(1u, CachedLoadCount("Tiny"));  // written at once
  EXPECT_EQ(FourCC("TySy"), entry->uniqueId);
  EXPECT_EQ(0, entry->inputCount);
  EXPECT_EQ(2, entry->outputCount);
  EXPECT_NE(0u, entry->pluginFlags & kPluginFlagVstMain);
  uint32_t module = GetPluginBundleModule(entry->bundle);
  EXPECT_NE(0u, module);

  ASSERT_EQ(noErr, LoadPlugin(index, 48000.0, 0, &second, kQuiet));
  entry = PluginInfoAt(index);
  EXPECT_EQ(2u, entry->openCount);
  EXPECT_EQ(2u, entry->loadCount);
  EXPECT_EQ(module, GetPluginBundleModule(entry->bundle));

  ReleasePluginTableCode(index, first);
  EXPECT_EQ(1u, PluginInfoAt(index)->openCount);
  EXPECT_NE(0u, PluginInfoAt(index)->mainEntry);
  ReleasePluginTableCode(index, second);
  EXPECT_EQ(0u, PluginInfoAt(index)->openCount);
  EXPECT_EQ(0u, PluginInfoAt(index)->mainEntry);
  EXPECT_EQ(0u, GetPluginBundleModule(PluginInfoAt(index)->bundle));
}

TEST_F(PluginLoadingTest, ATrialLoadLeavesTheLoadCountAtZero) {
  int32_t index = Install("synth", "Tiny");
  ASSERT_GE(index, 0);
  uint32_t head = 0;
  ASSERT_EQ(noErr, LoadPlugin(index, 44100.0, 0, &head, kQuiet | kLoadTrial));
  EXPECT_EQ(0u, PluginInfoAt(index)->loadCount);
  EXPECT_EQ(1u, PluginInfoAt(index)->openCount);
  ReleasePluginTableCode(index, head);
}

TEST_F(PluginLoadingTest, OnlyMainExportedWorksWithoutTheEntryPointFlag) {
  int32_t index = Install("main_only", "MainOnly");
  ASSERT_GE(index, 0);
  uint32_t head = 0;
  ASSERT_EQ(noErr, LoadPlugin(index, 44100.0, 0, &head, kQuiet));
  EXPECT_EQ(0u, PluginInfoAt(index)->pluginFlags & kPluginFlagVstMain);
  EXPECT_EQ(FourCC("TyFx"), PluginInfoAt(index)->uniqueId);
  ReleasePluginTableCode(index, head);
}

TEST_F(PluginLoadingTest, AnInstrumentBehindAnEffectIsLoadedWith103) {
  int32_t effect = Install("main_only", "Effect");
  int32_t synth = Install("synth", "Synth");
  ASSERT_GE(effect, 0);
  ASSERT_GE(synth, 0);
  uint32_t head = 0;
  ASSERT_EQ(noErr, LoadPlugin(effect, 44100.0, 0, &head, kQuiet));
  EXPECT_EQ(kPluginBehindInserts, LoadPlugin(synth, 44100.0, 1, &head, kQuiet));
  EXPECT_EQ(2, CountChainPlugins(head));
  EXPECT_EQ(1u, PluginInfoAt(synth)->openCount);
}

// Clickvox ships beside the program: found there when the table does not list it.
TEST_F(PluginLoadingTest, ClickvoxIsFoundBesideTheProgram) {
  SetApplicationFolder(ZARIN_TEST_APP_FOLDER);
  ASSERT_EQ(0, CountPlugins());
  uint8_t device = FindClickPlugin(false);
  ASSERT_EQ(1, CountPlugins());
  PluginInfo* entry = PluginInfoAt(0);
  // Loaded once, the name carries the vendor the plug-in names.
  EXPECT_EQ("Ruvok Technology-Clickvox", EntryName(entry));
  EXPECT_EQ(std::string(ZARIN_TEST_APP_FOLDER) + "/Clickvox.so", entry->path);
  EXPECT_NE(0u, entry->pluginFlags & kPluginFlagReplacing);
  EXPECT_EQ(254, device);
  EXPECT_EQ(254, entry->deviceByte);
  EXPECT_EQ(1u, entry->openCount);
  // It plays in the metronome's own track record, as the click device.
  Handle rack = GetClickTrackRack();
  ASSERT_TRUE(rack);
  uint32_t head = GetRackChainHead(rack);
  ASSERT_NE(0u, head);
  EXPECT_EQ('M', gClickTrack[kTrackName]);
  EXPECT_EQ(4, gClickTrack[kTrackFlags]);
  EXPECT_EQ(254, GetClickTrackDevice());
  uint8_t* click = FindPluginDeviceById(kClickPluginDeviceId, kDevicePending);
  ASSERT_NE(nullptr, click);
  EXPECT_EQ(head, GetDeviceInstanceId(click));
  FindClickPlugin(false);
  EXPECT_EQ(1, CountPlugins());
  EXPECT_EQ(head, GetRackChainHead(GetClickTrackRack())) << "opened once";
  // Dropping the click track's media closes Clickvox and lets its code go.
  InstrumentPluginHooks saved = gInstrumentPluginHooks;
  gInstrumentPluginHooks.disposeInsertRack = DisposeRack;
  gInstrumentPluginHooks.releaseInsertChain = ReleaseChainPlugins;
  DisposeClickTrackMedia();
  gInstrumentPluginHooks = saved;
  EXPECT_EQ(0u, PluginInfoAt(0)->openCount);
  EXPECT_FALSE(GetClickTrackRack());
  ResetDeviceTable();
  SetApplicationFolder("");
}

// The program closes instances through their chains: the last one lets the code go.
TEST_F(PluginLoadingTest, ClosingAnInstanceInItsChainLowersTheOpenCount) {
  int32_t index = Install("synth", "Tiny");
  ASSERT_GE(index, 0);
  uint32_t head = 0;
  ASSERT_EQ(noErr, LoadPlugin(index, 44100.0, 0, &head, kQuiet));
  ASSERT_EQ(kPluginBehindInserts, LoadPlugin(index, 44100.0, 1, &head, kQuiet));
  EXPECT_EQ(2u, PluginInfoAt(index)->openCount);
  int32_t closed = 0;
  head = RemoveChainPlugin(head, &closed, 1, 0);
  EXPECT_EQ(1, closed);
  EXPECT_EQ(1u, PluginInfoAt(index)->openCount);
  EXPECT_NE(0u, PluginInfoAt(index)->mainEntry);
  head = RemoveChainPlugin(head, &closed, 0, 0);
  EXPECT_EQ(0u, head);
  EXPECT_EQ(0u, PluginInfoAt(index)->openCount);
  EXPECT_EQ(0u, PluginInfoAt(index)->mainEntry);
}

// A load for a channel: the category's colour from the preferences, the insert slot told of
// the instance and its settings (not for a load without one).
TEST_F(PluginLoadingTest, ALoadColoursTheEntryAndFillsTheInsertSlot) {
  // This test's own Preferences folder, not one an earlier test left open.
  if (gPrefsResFile != -1) CloseResFileUseApp(gPrefsResFile);
  gPrefsResFile = -1;
  ForgetPrefsFileSpec();
  ASSERT_EQ(noErr, OpenPrefsResFile(fsRdWrPerm));
  Handle colours = NewHandleClear(kCategoryColourCount);
  reinterpret_cast<uint8_t*>(HandleData(colours))[5] = 9;
  ASSERT_EQ(noErr, WriteBMIDResource(&colours, kCategoryColourResId, reinterpret_cast<const unsigned char*>("\x0a" "CatToColor"), true));
  DisposeHandle(colours);
  int32_t index = Install("synth", "Tiny");
  ASSERT_GE(index, 0);
  PluginInfoAt(index)->category = 5;
  static std::vector<uint32_t> slots;
  slots.clear();
  PluginHostHooks saved = gPluginHostHooks;
  gPluginHostHooks.openInsertInstance = [](PluginInstance* instance, int32_t, const PluginSettings*) {
    slots.push_back(instance->id);
  };
  uint32_t head = 0;
  ASSERT_EQ(noErr, LoadPlugin(index, 44100.0, 0, &head, kLoadSilent));
  EXPECT_EQ(9, PluginInfoAt(index)->colourByte);
  EXPECT_EQ(std::vector<uint32_t>{head}, slots);
  ASSERT_EQ(kPluginBehindInserts, LoadPlugin(index, 44100.0, 1, &head, kQuiet));
  EXPECT_EQ(1u, slots.size());
  EXPECT_EQ(0, GetCategoryColour(70)) << "past the table";
  gPluginHostHooks = saved;
  ReleaseChainPlugins(head);
  CloseResFileUseApp(gPrefsResFile);
  gPrefsResFile = -1;
}

}  // namespace
