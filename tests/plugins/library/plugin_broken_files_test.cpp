// Plug-in files that cannot work: each is listed as not usable with the reason, loading it
// is refused, and nothing takes the program down.
#include <cstdio>

#include "platform/files/host_files.h"
#include "platform/vst/vst_loader.h"
#include "plugins/library/plugin_loading.h"
#include "plugins/library/plugin_probe.h"
#include "plugins/library/plugin_table_entries.h"
#include "tests/plugins/library/plugin_library_fixture.h"

namespace {

using PluginBrokenFilesTest = PluginLibraryTest;

struct BrokenCase {
  const char* fixture;   // fixture plug-in, or nullptr for the text file below
  const char* name;      // file name in the scanned folder
  OSErr failure;
  const char* message;   // part of the reason
};

const BrokenCase kBrokenCases[] = {
    {"no_entry", "NoEntry.so", kVstNoEntryPoint, "neither \"VSTPluginMain\" nor \"main\""},
    {"bad_magic", "BadMagic.so", kProbeNoEffectErr, "without the effect magic"},
    {"null", "NullEffect.so", kProbeNoEffectErr, "answered no effect"},
    {"crash", "Crash.so", kProbeCrashedErr, "crashed"},
    {nullptr, "Text.so", kVstNotSharedObject, "not a library this system can load"},
};

TEST_F(PluginBrokenFilesTest, BrokenFilesAreListedAsFailedAndRefused) {
  for (const BrokenCase& c : kBrokenCases) {
    std::string bytes;
    for (int line = 0; line < 8; ++line) bytes += "This is a text file, not a plug-in.\n";
    if (c.fixture != nullptr) {
      ASSERT_EQ(noErr, HostReadFile(FixturePlugin(c.fixture), &bytes, 64 << 20));
    }
    ASSERT_TRUE(zarin_test::WriteWholeFile(plugins_.File(c.name), bytes));
  }
  ScanFolder(plugins_.path());
  for (const BrokenCase& c : kBrokenCases) {
    std::string name(c.name);
    SCOPED_TRACE(name);
    int32_t index = FindEntry(name.substr(0, name.size() - 3));
    ASSERT_GE(index, 0);
    PluginInfo* entry = PluginInfoAt(index);
    EXPECT_EQ(c.failure, entry->failure);
    EXPECT_NE(std::string::npos, std::string(entry->message).find(c.message)) << entry->message;
    EXPECT_EQ(0, entry->entryFlags & kPluginEntryUsable);
    uint32_t head = 0;
    EXPECT_EQ(kPluginOpenFailed, LoadPlugin(index, 44100.0, 0, &head, kLoadSilent | kLoadNoInsert));
    EXPECT_EQ(0u, head);
    EXPECT_EQ(0u, PluginInfoAt(index)->openCount);
    EXPECT_EQ(0u, PluginInfoAt(index)->mainEntry);
  }
}

// A plug-in whose entry never returns is stopped when its time is up.
TEST(PluginProbe, APluginThatHangsIsStopped) {
  PluginProbeResult result;
  ProbeVstPlugin((std::string(ZARIN_TEST_FIXTURE_PLUGINS) + "/fixture_hang.so").c_str(), 1500,
                 &result);
  EXPECT_EQ(kProbeTimedOutErr, result.status);
  EXPECT_NE(std::string::npos, std::string(result.message).find("did not answer in time"));
}

TEST(PluginProbe, AWorkingPluginTellsWhatItIs) {
  PluginProbeResult result;
  ProbeVstPlugin((std::string(ZARIN_TEST_FIXTURE_PLUGINS) + "/fixture_synth.so").c_str(), 60000,
                 &result);
  ASSERT_EQ(noErr, result.status) << result.message;
  EXPECT_EQ(FourCC("TySy"), result.uniqueId);
  EXPECT_EQ(0, result.inputs);
  EXPECT_EQ(2, result.outputs);
  EXPECT_TRUE(result.hasVstMain);
  EXPECT_STREQ("Tiny Works", result.vendor);
  ProbeVstPlugin((std::string(ZARIN_TEST_FIXTURE_PLUGINS) + "/fixture_main_only.so").c_str(),
                 60000, &result);
  ASSERT_EQ(noErr, result.status) << result.message;
  EXPECT_FALSE(result.hasVstMain);
  EXPECT_EQ(FourCC("TyFx"), result.uniqueId);
}

}  // namespace
