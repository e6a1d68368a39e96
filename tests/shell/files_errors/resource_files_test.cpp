#include <gtest/gtest.h>
#include <dlfcn.h>

#include <cstdio>
#include <string>

#include "platform/dialogs/param_text.h"
#include "platform/files/files.h"
#include "platform/memory/memory.h"
#include "platform/resources/resources.h"
#include "shell/base/preferences_file.h"
#include "shell/base/resource_files.h"
#include "shell/dialogs/dialog_alerts.h"
#include "tests/test_support.h"

namespace {

// The application's resource file at the bottom of the chain, and a preferences folder of
// the test's own.
class PrefsResFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CloseAllResFiles();
    gPrefsResFile = -1;
    RegisterStandardFolder(kPreferencesFolderType, prefs_.path());
    ForgetPrefsFileSpec();
    PathToSpec(appFolder_.File("Zarin.rsrc"), &app_);
    FSpCreateResFile(&app_, kAppCreator, FourCC("rsrc"), -1);
    gAppResFile = FSpOpenResFile(&app_, fsRdPerm);
    ASSERT_NE(gAppResFile, -1);
  }
  void TearDown() override {
    CloseAllResFiles();
    gPrefsResFile = -1;
    RegisterStandardFolder(kPreferencesFolderType, "");
    ForgetPrefsFileSpec();
  }
  zarin_test::TempFolder prefs_;
  zarin_test::TempFolder appFolder_;
  FSSpec app_;
};

TEST_F(PrefsResFileTest, BracketLeavesTheAppFileCurrent) {
  UseAppResFile();  // no preferences file yet: nothing changes
  EXPECT_EQ(CurResFile(), gAppResFile);
  ASSERT_EQ(UsePrefsResFile(), noErr);
  EXPECT_NE(gPrefsResFile, -1);
  EXPECT_EQ(CurResFile(), gPrefsResFile);
  UseAppResFile();
  EXPECT_EQ(CurResFile(), gAppResFile);
}

// A preferences file whose side file, or whose resource fork, is damaged: every use in a run
// (and the next run) would fail on it. It is reported once by name, set aside whole with
// ".damaged" added, and a new file takes its place.
TEST_F(PrefsResFileTest, DamagedResourceForkIsReportedOnceAndSetAside) {
  InstallErrorReportHooks();
  struct Case {
    const char* what;
    bool sideFile;  // the side file itself is garbage, else its resource fork
  } cases[] = {{"damaged side file", true}, {"damaged resource fork", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FSSpec fileSpec;
    GetPrefsFileSpec(&fileSpec);
    std::string path = SpecToPath(&fileSpec);
    FSpDelete(&fileSpec);
    ASSERT_EQ(FSpCreate(&fileSpec, kAppCreator, kPrefsFileType, -1), noErr);
    std::string damage(700, '\0');
    for (size_t i = 0; i < damage.size(); ++i) damage[i] = char(i * 37 + 11);
    if (c.sideFile) {
      FILE* f = std::fopen(SidecarPathFor(path).c_str(), "wb");
      ASSERT_TRUE(f);
      std::fwrite(damage.data(), 1, damage.size(), f);
      std::fclose(f);
    } else {
      ASSERT_EQ(WriteResourceForkBytes(&fileSpec, damage), noErr);
    }
    std::string sideFile = zarin_test::ReadWholeFile(SidecarPathFor(path));
    int32_t alerts = CountAlertsShown();
    for (int32_t use = 0; use < 10; ++use) {  // a run's uses, and a second run
      EXPECT_EQ(UsePrefsResFile(), noErr);
      UseAppResFile();
      if (use == 5) CloseAllResFiles(), gPrefsResFile = -1, gAppResFile = FSpOpenResFile(&app_, fsRdPerm);
    }
    EXPECT_EQ(CountAlertsShown(), alerts + 1);
    std::string said(reinterpret_cast<const char*>(GetParamText(0) + 1), GetParamText(0)[0]);
    EXPECT_EQ(said.find("\"Zarin 7 Preferences\": "), 0u) << said;  // the text is the application's
    EXPECT_EQ(zarin_test::ReadWholeFile(SidecarPathFor(path + ".damaged")), sideFile) << "kept for the user";
    CloseAllResFiles();
    gPrefsResFile = -1;
    gAppResFile = FSpOpenResFile(&app_, fsRdPerm);
  }
}

TEST_F(PrefsResFileTest, DataForkOnlyFileGetsAResourceFork) {
  FSSpec fileSpec;
  GetPrefsFileSpec(&fileSpec);
  ASSERT_EQ(FSpCreate(&fileSpec, kAppCreator, kPrefsFileType, -1), noErr);
  int32_t alerts = CountAlertsShown();
  ASSERT_EQ(UsePrefsResFile(), noErr);
  EXPECT_EQ(CountAlertsShown(), alerts);
  Handle h = NewHandle(4);
  static const unsigned char kName[] = "\004test";
  AddResource(h, FourCC("BMID"), 7, kName);
  EXPECT_EQ(ResError(), noErr);  // opened for writing
  UseAppResFile();
}

TEST_F(PrefsResFileTest, ReopensAfterClosedBehindOurBack) {
  ASSERT_EQ(UsePrefsResFile(), noErr);
  CloseResFile(gPrefsResFile);
  CheckPrefsResFileOpen();
  EXPECT_EQ(gPrefsResFile, -1);
  ASSERT_EQ(UsePrefsResFile(), noErr);
  EXPECT_NE(gPrefsResFile, -1);
  EXPECT_EQ(CurResFile(), gPrefsResFile);
}

TEST(WarpMouse, LooksTheRoutineUpOnceAndDoesNothingWithoutIt) {
  ResetWarpMouseLookup();
  zarin_test::TempFolder empty;
  RegisterStandardFolder(kFrameworksFolderType, empty.path());
  WarpMouseTo(10, 20);  // no framework: nothing happens
  RegisterStandardFolder(kFrameworksFolderType, WARP_MOCK_FRAMEWORKS);
  WarpMouseTo(10, 20);
  WarpMouseTo(30, 40);
  std::string lib = std::string(WARP_MOCK_FRAMEWORKS) +
                    "/ApplicationServices.framework/ApplicationServices.so";
  void* handle = dlopen(lib.c_str(), RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(*static_cast<int*>(dlsym(handle, "gWarpCalls")), 2);
  EXPECT_EQ(*static_cast<int*>(dlsym(handle, "gSuppressionCalls")), 1);
  EXPECT_EQ(*static_cast<float*>(dlsym(handle, "gWarpX")), 30.0f);
  dlclose(handle);
  RegisterStandardFolder(kFrameworksFolderType, "");
  ResetWarpMouseLookup();
}

}  // namespace
