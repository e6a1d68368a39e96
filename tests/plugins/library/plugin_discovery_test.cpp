#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "platform/files/folders.h"
#include "platform/resources/resources.h"
#include "plugins/library/plugin_discovery.h"
#include "plugins/library/plugin_info_file.h"
#include "plugins/library/plugin_name_split.h"
#include "plugins/library/plugin_table.h"
#include "tests/test_support.h"

namespace {

TEST(PluginDiscovery, Smoke) {
  zarin_test::TempFolder prefs;
  zarin_test::TempFolder home;
  zarin_test::ScopedEnv homeEnv("HOME", home.path());
  zarin_test::ScopedEnv vstEnv("VST_PATH", "");
  RegisterStandardFolder(kPreferencesFolderType, prefs.path());
  int16_t ref = 0;
  ASSERT_EQ(noErr, OpenAppResourceFile(ZARIN_TEST_APP_RESOURCES, &ref));
  ResetPluginTable();
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(noErr, ScanAllPlugins(false));
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  std::printf("scan %lld ms, %d plug-ins\n", (long long)ms, CountPlugins());
  for (int32_t i = 0; i < CountPlugins(); ++i) {
    PluginInfo* e = PluginInfoAt(i);
    Str255 v, p;
    SplitPluginName(e, v, p);
    std::printf("%3d %-50.*s [%.*s] id %08x in %u out %u ef %02x pf %06x %s\n", i, e->name[0], e->name + 1, v[0], v + 1,
                e->uniqueId, e->inputCount, e->outputCount, e->entryFlags, e->pluginFlags, e->message);
  }
  ResetPluginTable();
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(noErr, ScanAllPlugins(false));
  ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  std::printf("second scan %lld ms, %d plug-ins\n", (long long)ms, CountPlugins());
  RegisterStandardFolder(kPreferencesFolderType, "");
  CloseResFile(ref);
}

}  // namespace
