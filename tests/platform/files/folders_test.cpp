// Standard folders from the environment.
#include <sys/stat.h>

#include "tests/platform/files/files_test_support.h"

using files_test::Exists;
using zarin_test::ScopedEnv;
using zarin_test::TempFolder;

namespace {

TEST(FoldersTest, StandardFoldersFollowTheEnvironment) {
  TempFolder tmp;
  ScopedEnv config("XDG_CONFIG_HOME", tmp.File("config"));
  ScopedEnv data("XDG_DATA_HOME", tmp.File("data"));
  ScopedEnv temp("TMPDIR", tmp.path());
  struct Case {
    OSType type;
    std::string path;
  } cases[] = {
      {kPreferencesFolderType, tmp.File("config/Zarin")},
      {kApplicationSupportFolderType, tmp.File("data/Zarin")},
      {kTemporaryFolderType, tmp.path()},
  };
  for (const Case& c : cases) {
    SInt16 vRefNum = 0;
    SInt32 dirID = 0;
    if (c.type != kTemporaryFolderType) {
      EXPECT_EQ(FSFindFolder(kOnSystemDisk, c.type, kDontCreateFolder, &vRefNum, &dirID), fnfErr);
    }
    ASSERT_EQ(FSFindFolder(kUserDomain, c.type, kCreateFolder, &vRefNum, &dirID), noErr);
    EXPECT_EQ(vRefNum, kZarinVRefNum);
    EXPECT_EQ(PathForDirID(dirID), c.path);
    EXPECT_TRUE(Exists(c.path));
    FSRef ref;
    ASSERT_EQ(FSFindFolder(kOnAppropriateDisk, c.type, kDontCreateFolder, &ref), noErr);
    EXPECT_EQ(RefToPath(&ref), c.path);
  }
  SInt16 vRefNum = 0;
  SInt32 dirID = 0;
  EXPECT_EQ(FSFindFolder(kNetworkDomain, kApplicationSupportFolderType, kCreateFolder, &vRefNum, &dirID), fnfErr);
  EXPECT_EQ(FSFindFolder(kUserDomain, FourCC("zzzz"), kCreateFolder, &vRefNum, &dirID), fnfErr);
}

TEST(FoldersTest, FrameworksBesideTheApplicationAreNeverCreated) {
  EXPECT_FALSE(GetApplicationFolder().empty());
  TempFolder app;
  SetApplicationFolder(app.path());
  SInt16 vRefNum = 0;
  SInt32 dirID = 0;
  EXPECT_EQ(FSFindFolder(kOnAppropriateDisk, kFrameworksFolderType, kCreateFolder, &vRefNum, &dirID), fnfErr);
  EXPECT_FALSE(Exists(app.File("Frameworks")));
  ASSERT_EQ(mkdir(app.File("Frameworks").c_str(), 0777), 0);
  ASSERT_EQ(FSFindFolder(kOnAppropriateDisk, kFrameworksFolderType, kDontCreateFolder, &vRefNum, &dirID), noErr);
  EXPECT_EQ(PathForDirID(dirID), app.File("Frameworks"));
  FSSpec fileSpec;
  ASSERT_EQ(GetApplicationFolderSpec(&fileSpec), noErr);
  EXPECT_EQ(SpecToPath(&fileSpec), app.path());
  SetApplicationFolder("");
}

}  // namespace
