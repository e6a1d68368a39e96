// Plug-in tests in folders of their own: HOME and the Preferences folder in the test's
// temporary folders, no user VST folders, and nothing remembered of an earlier test's
// information file or preferences file.
#pragma once

#include <memory>

#include "platform/files/folders.h"
#include "plugins/library/plugin_info_file.h"
#include "shell/base/preferences_file.h"
#include "tests/test_support.h"

inline void UsePluginTestFolders(const zarin_test::TempFolder& home, const zarin_test::TempFolder& prefs,
                                 std::unique_ptr<zarin_test::ScopedEnv>& homeEnv,
                                 std::unique_ptr<zarin_test::ScopedEnv>& vstEnv) {
  homeEnv = std::make_unique<zarin_test::ScopedEnv>("HOME", home.path());
  vstEnv = std::make_unique<zarin_test::ScopedEnv>("VST_PATH", "");
  RegisterStandardFolder(kPreferencesFolderType, prefs.path());
  ForgetPluginInfoFileSpec();
  ForgetPrefsFileSpec();
}
