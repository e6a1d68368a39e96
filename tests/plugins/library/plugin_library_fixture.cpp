#include "tests/plugins/library/plugin_library_fixture.h"

#include "platform/files/folders.h"
#include "platform/files/host_files.h"
#include "platform/resources/resources.h"
#include "plugins/library/plugin_discovery.h"
#include "plugins/library/plugin_examination.h"
#include "plugins/library/plugin_info_file.h"
#include "plugins/library/recent_plugins.h"
#include "shell/base/preferences_file.h"
#include "tests/plugins/library/plugin_test_folders.h"

void PluginLibraryTest::SetUp() {
  UsePluginTestFolders(home_, prefs_, homeEnv_, vstEnv_);
  ASSERT_EQ(noErr, OpenAppResourceFile(ZARIN_TEST_APP_RESOURCES, &appResources_));
  StopPluginExaminations();
  ResetPluginTable();
  ResetRecentPlugins();
}

void PluginLibraryTest::TearDown() {
  StopPluginExaminations();
  ResetPluginTable();
  ResetRecentPlugins();
  if (appResources_ != -1) CloseResFile(appResources_);
  RegisterStandardFolder(kPreferencesFolderType, "");
  ForgetPluginInfoFileSpec();
  ForgetPrefsFileSpec();
}

void PluginLibraryTest::ScanFolder(const std::string& folder) {
  FoundPlugin found;
  found.cache = Handle();
  int32_t first = CountPlugins();
  ASSERT_EQ(noErr, EnumerateBundlesInFolder(false, &found, folder, nullptr));
  ExamineNewPlugins(first);
  ASSERT_TRUE(WaitForPluginExaminations(120000));
}

int32_t PluginLibraryTest::FindEntry(const std::string& name) {
  for (int32_t i = 0; i < CountPlugins(); ++i)
    if (EntryName(PluginInfoAt(i)) == name) return i;
  return -1;
}

std::string PluginLibraryTest::EntryName(const PluginInfo* entry) {
  return std::string(reinterpret_cast<const char*>(entry->name + 1), entry->name[0]);
}

std::string PluginLibraryTest::FixturePlugin(const std::string& kind) {
  return std::string(ZARIN_TEST_FIXTURE_PLUGINS) + "/fixture_" + kind + ".so";
}

std::string PluginLibraryTest::InfoFilePath() const {
  return prefs_.File("RuvokTechHostPluginInfo");
}
