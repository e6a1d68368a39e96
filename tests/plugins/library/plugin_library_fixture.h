// The plug-in library's tests: a Preferences folder and a home folder of their own, the
// application's resources open, an empty table of plug-ins.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "plugins/library/plugin_table.h"
#include "tests/test_support.h"

class PluginLibraryTest : public ::testing::Test {
 public:
  // The index of the entry whose name is name, or -1.
  static int32_t FindEntry(const std::string& name);
  static std::string EntryName(const PluginInfo* entry);

 protected:
  void SetUp() override;
  void TearDown() override;

  // Lists the bundles of folder (and its sub-folders) and waits for their examination.
  void ScanFolder(const std::string& folder);
  // The path of a fixture plug-in ("synth", "main_only", "crash", ...).
  static std::string FixturePlugin(const std::string& kind);
  std::string InfoFilePath() const;

  zarin_test::TempFolder prefs_;
  zarin_test::TempFolder home_;
  zarin_test::TempFolder plugins_;

 private:
  std::unique_ptr<zarin_test::ScopedEnv> homeEnv_;
  std::unique_ptr<zarin_test::ScopedEnv> vstEnv_;
  int16_t appResources_ = -1;
};
