// Discovery: the real VST plug-ins of the system folders, the layouts of bundle folders, and
// the information file that spares later scans the examination.
#include <elf.h>

#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/files/catalog.h"
#include "platform/files/sidecars.h"
#include "platform/files/file_locations.h"
#include "platform/files/host_files.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "plugins/library/plugin_bundles.h"
#include "plugins/library/plugin_discovery.h"
#include "plugins/library/plugin_examination.h"
#include "plugins/library/plugin_list_state.h"
#include "plugins/library/plugin_name_split.h"
#include "plugins/library/plugin_probe.h"
#include "shell/base/busy_cursor.h"
#include "shell/base/progress_hooks.h"
#include "tests/plugins/library/plugin_library_fixture.h"

namespace {

using PluginDiscoveryTest = PluginLibraryTest;

struct RealPlugin {
  const char* name;
  const char* maker;
  const char* id;
  uint16_t inputs;
  uint16_t outputs;
  bool instrument;
  bool vstMain;
};

// What the installed plug-ins say about themselves.
const RealPlugin kRealPlugins[] = {
    {"Kars-vst", "Kars", "DKrs", 0, 1, true, false},
    {"Nekobi-vst", "Nekobi", "DNek", 0, 1, true, false},
    {"MaBitcrush-vst", "MaBitcrush", "DMbc", 1, 2, false, false},
    {"3BandSplitter-vst", "3BandSplitter", "D3ES", 2, 6, false, false},
    {"DISTRHO-ProM", "DISTRHO", "DPrM", 2, 2, false, false},
    {"lsp-plugins-comp-delay-mono", "lsp-plugins", nullptr, 1, 1, false, true},
    {"lsp-plugins-crossover-lr", "lsp-plugins", nullptr, 2, 18, false, true},
};

void ExpectRealPlugins(const char* when) {
  for (const RealPlugin& real : kRealPlugins) {
    SCOPED_TRACE(std::string(when) + ": " + real.name);
    int32_t index = PluginLibraryTest::FindEntry(real.name);
    ASSERT_GE(index, 0);
    PluginInfo* entry = PluginInfoAt(index);
    Str255 maker;
    Str255 product;
    SplitPluginName(entry, maker, product);
    EXPECT_EQ(real.maker, std::string(reinterpret_cast<char*>(maker + 1), maker[0]));
    if (real.id != nullptr) {
      EXPECT_EQ(ReadU32BE(real.id), entry->uniqueId);
    }
    EXPECT_NE(0u, entry->uniqueId);
    EXPECT_EQ(real.inputs, entry->inputCount);
    EXPECT_EQ(real.outputs, entry->outputCount);
    EXPECT_EQ(real.instrument, (entry->entryFlags & kPluginEntryInstrument) != 0);
    EXPECT_EQ(real.vstMain, (entry->pluginFlags & kPluginFlagVstMain) != 0);
    EXPECT_NE(0, entry->entryFlags & kPluginEntryUsable);
    EXPECT_EQ(kPluginKindVstBundle, entry->kind);
  }
}

// The installed plug-ins are examined once; a second run knows them from the information
// file alone and examines nothing.
TEST_F(PluginDiscoveryTest, TheInstalledPluginsAreListedAndRememberedWithoutASecondExamination) {
  ASSERT_EQ(0, system(("mkdir -p '" + home_.File(".vst") + "'").c_str()));
  ASSERT_EQ(noErr, ScanAllPlugins(false));
  ASSERT_TRUE(WaitForPluginExaminations(180000));
  ExpectRealPlugins("examined");
  int32_t count = CountPlugins();
  // The folder holding the lsp-plugins core library is listed, but it is no plug-in.
  int32_t core = -1;
  for (int32_t i = 0; i < count; ++i)
    if (EntryName(PluginInfoAt(i)).find("lsp-plugins-vst2") != std::string::npos) core = i;
  if (core >= 0) {
    EXPECT_EQ(0, PluginInfoAt(core)->entryFlags & kPluginEntryUsable);
    EXPECT_NE(std::string(), PluginInfoAt(core)->message);
  }

  ResetPluginTable();
  ASSERT_EQ(noErr, ScanAllPlugins(false));
  int32_t waiting = 0;
  for (int32_t i = 0; i < CountPlugins(); ++i)
    if (PluginInfoAt(i)->uniqueId == 0 && PluginInfoAt(i)->failure == noErr) ++waiting;
  // Only what failed before (the core library) is examined again.
  EXPECT_LE(waiting, core >= 0 ? 1 : 0);
  EXPECT_EQ(count, CountPlugins());
  ExpectRealPlugins("remembered");

  // A rescan adds nothing that is listed already, and leaves the menus to be built again.
  gPluginMenusStale = 0;
  ASSERT_EQ(noErr, ScanAllPlugins(false));
  EXPECT_EQ(count, CountPlugins());
  EXPECT_EQ(1, gPluginMenusStale);
}

struct LayoutCase {
  const char* path;     // inside the scanned folder; the synth fixture is copied there
  const char* listedAs; // nullptr: not listed. A name without a vendor part takes the
                        // vendor the plug-in names ("Tiny Works").
};

TEST_F(PluginDiscoveryTest, BundleFoldersNamesPrefixesAndDisabledFolders) {
  const LayoutCase kCases[] = {
      {"Echo.VST/Echo.so", "Tiny Works-Echo"},
      {"Plain.so", "Tiny Works-Plain"},
      {"Echo.plugin/Inner.so", "Echo.plugin-Inner"},
      {"Vendor/Deeper/Deep.so", "Deeper-Deep"},
      {"Old Disabled Stuff/Gone.so", nullptr},
      {"disabled/Gone2.so", nullptr},
  };
  std::string synth;
  ASSERT_EQ(noErr, HostReadFile(FixturePlugin("synth"), &synth, 64 << 20));
  for (const LayoutCase& c : kCases) {
    std::string path = plugins_.File(c.path);
    std::string folder = HostParentPath(path);
    ASSERT_EQ(0, system(("mkdir -p '" + folder + "'").c_str()));
    ASSERT_TRUE(zarin_test::WriteWholeFile(path, synth));
  }
  ASSERT_TRUE(zarin_test::WriteWholeFile(plugins_.File("notes.txt"), "not a plug-in"));
  ScanFolder(plugins_.path());
  int32_t listed = 0;
  for (const LayoutCase& c : kCases) {
    SCOPED_TRACE(c.path);
    if (c.listedAs == nullptr) continue;
    ++listed;
    int32_t index = FindEntry(c.listedAs);
    ASSERT_GE(index, 0);
    EXPECT_EQ(FourCC("TySy"), PluginInfoAt(index)->uniqueId);
  }
  EXPECT_EQ(listed, CountPlugins());
}

// A shared object built for another machine is not listed at all; the scan goes on.
TEST_F(PluginDiscoveryTest, AForeignExecutableIsNotListed) {
  std::string bytes;
  ASSERT_EQ(noErr, HostReadFile(FixturePlugin("synth"), &bytes, 64 << 20));
  std::string foreign = bytes;
  Elf64_Ehdr header;
  std::memcpy(&header, foreign.data(), sizeof header);
  header.e_machine = header.e_machine == EM_AARCH64 ? EM_X86_64 : EM_AARCH64;
  std::memcpy(foreign.data(), &header, sizeof header);
  ASSERT_TRUE(zarin_test::WriteWholeFile(plugins_.File("Foreign.so"), foreign));
  ASSERT_TRUE(zarin_test::WriteWholeFile(plugins_.File("Native.so"), bytes));
  uint32_t bundle = CreatePluginBundle(plugins_.File("Foreign.so").c_str());
  EXPECT_EQ(0, CheckNativeExecutable(bundle));
  ReleasePluginBundle(bundle);
  ScanFolder(plugins_.path());
  EXPECT_EQ(1, CountPlugins());
  EXPECT_GE(FindEntry("Tiny Works-Native"), 0);
}

// A linked folder is searched as a folder: its bundles by the folder scan, its resource-file
// plug-ins by the walk, which also follows a link it meets as an item.
TEST_F(PluginDiscoveryTest, LinkedFoldersAreSearchedLikeFolders) {
  zarin_test::TempFolder elsewhere;
  std::string synth;
  ASSERT_EQ(noErr, HostReadFile(FixturePlugin("synth"), &synth, 64 << 20));
  ASSERT_TRUE(zarin_test::WriteWholeFile(elsewhere.File("Far.so"), synth));
  ASSERT_TRUE(zarin_test::WriteWholeFile(elsewhere.File("Old Effect"), "code"));
  FSSpec old;
  ASSERT_EQ(noErr, PathToSpec(elsewhere.File("Old Effect"), &old));
  FInfo info{};
  ASSERT_EQ(noErr, FSpGetFInfo(&old, &info));
  info.fdType = FourCC("vst ");
  ASSERT_EQ(noErr, FSpSetFInfo(&old, &info));
  ASSERT_EQ(0, symlink(elsewhere.path().c_str(), plugins_.File("Linked").c_str()));
  ScanFolder(plugins_.path());
  EXPECT_GE(FindEntry("Linked-Far"), 0);

  FoundPlugin found;
  found.cache = Handle();
  SetCursorResource(kArrowCursorId);
  ASSERT_EQ(noErr, WalkPluginFolder(&found, -1, DirIDForPath(plugins_.path()), 0, 3, nullptr));
  EXPECT_GE(GetCursorResourceId(), kBusyCursorFirstId) << "the walk turns the busy cursor";
  EXPECT_LT(GetCursorResourceId(), kBusyCursorFirstId + kBusyCursorFrames);
  RestoreArrowCursor();
  int32_t index = FindEntry("Old Effect");
  ASSERT_GE(index, 0);
  EXPECT_EQ(kPluginKindVstResource, PluginInfoAt(index)->kind);
  // At the deepest level a folder is an item, and no plug-in.
  int32_t before = CountPlugins();
  ASSERT_EQ(noErr, WalkPluginFolder(&found, -1, DirIDForPath(plugins_.path()), 0, 0, nullptr));
  EXPECT_EQ(before, CountPlugins());
}

// The scan's progress names every 16th item as "count. name", a plug-in for another machine
// as "name not native, ignored", and a program asked to quit stops listing.
TEST_F(PluginDiscoveryTest, TheScanShowsItsItemsAndStopsWhenTheProgramQuits) {
  static std::vector<std::string> lines;
  static bool quitting = false;
  lines.clear();
  quitting = false;
  ProgressHooks saved = gProgressHooks;
  gProgressHooks.setValue = [](int32_t) -> int16_t { return 0; };
  gProgressHooks.setText = [](const unsigned char* text) {
    lines.emplace_back(reinterpret_cast<const char*>(text + 1), text[0]);
  };
  gProgressHooks.isQuitting = [] { return quitting; };
  ResetScanProgressCount();
  for (int32_t i = 1; i < 16; ++i) EXPECT_EQ(noErr, ShowScanProgress(true, reinterpret_cast<const unsigned char*>("\x01x")));
  EXPECT_TRUE(lines.empty());
  EXPECT_EQ(noErr, ShowScanProgress(true, reinterpret_cast<const unsigned char*>("\x04" "Echo")));
  EXPECT_EQ(std::vector<std::string>{"16. Echo"}, lines);

  std::string bytes;
  ASSERT_EQ(noErr, HostReadFile(FixturePlugin("synth"), &bytes, 64 << 20));
  Elf64_Ehdr header;
  std::memcpy(&header, bytes.data(), sizeof header);
  header.e_machine = header.e_machine == EM_AARCH64 ? EM_X86_64 : EM_AARCH64;
  std::memcpy(bytes.data(), &header, sizeof header);
  ASSERT_TRUE(zarin_test::WriteWholeFile(plugins_.File("Foreign.so"), bytes));
  FoundPlugin found;
  found.cache = Handle();
  ASSERT_EQ(noErr, EnumerateBundlesInFolder(true, &found, plugins_.path(), nullptr));
  EXPECT_EQ("Foreign not native, ignored", lines.back());

  ASSERT_EQ(noErr, HostReadFile(FixturePlugin("synth"), &bytes, 64 << 20));
  ASSERT_TRUE(zarin_test::WriteWholeFile(plugins_.File("Native.so"), bytes));
  quitting = true;
  ASSERT_EQ(noErr, EnumerateBundlesInFolder(false, &found, plugins_.path(), nullptr));
  EXPECT_EQ(0, CountPlugins());
  gProgressHooks = saved;
}

struct VersionCase {
  const char* text;
  uint32_t version;
};

TEST(PluginBundleVersion, VersionStringsAndTheirLimits) {
  const VersionCase kCases[] = {
      {"1.2.3", 0x123},   {"v1.25", 0x125},  {"2.5", 0x250},    {"Version 15.15.15", 0xfff},
      {"16.0", 0},        {"1.160", 0},      {"1.2.16", 0},     {"", 0},
      {"beta", 0},        {"3", 0x300},
  };
  for (const VersionCase& c : kCases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.version, ParseBundleVersion(c.text));
  }
}

// A ".vst" folder may name its executable and version in its Info file.
TEST_F(PluginDiscoveryTest, AVstFolderTakesItsInfo) {
  std::string synth;
  ASSERT_EQ(noErr, HostReadFile(FixturePlugin("synth"), &synth, 64 << 20));
  ASSERT_EQ(0, system(("mkdir -p '" + plugins_.File("Named.vst") + "'").c_str()));
  ASSERT_TRUE(zarin_test::WriteWholeFile(plugins_.File("Named.vst/code.so"), synth));
  ASSERT_TRUE(zarin_test::WriteWholeFile(plugins_.File("Named.vst/Info"),
                                         "CFBundleExecutable = code.so\n"
                                         "CFBundleShortVersionString = v1.25\n"));
  ScanFolder(plugins_.path());
  int32_t index = FindEntry("Tiny Works-Named");
  ASSERT_GE(index, 0);
  EXPECT_EQ(0x125u, PluginInfoAt(index)->version);
  EXPECT_EQ(FourCC("TySy"), PluginInfoAt(index)->uniqueId);
}

}  // namespace
