#include <gtest/gtest.h>
#include <dlfcn.h>

#include <string>

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
    FSSpec app;
    PathToSpec(appFolder_.File("Zarin.rsrc"), &app);
    FSpCreateResFile(&app, kAppCreator, FourCC("rsrc"), -1);
    gAppResFile = FSpOpenResFile(&app, fsRdPerm);
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
