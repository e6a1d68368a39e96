// Resource forks of files named by FSSpec: creating a map, opening, writing back through
// the file's sidecar, and damaged forks left alone.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/files/files.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/resources/resources.h"
#include "tests/test_support.h"

namespace {

using zarin_test::ReadWholeFile;
using zarin_test::TempFolder;
using zarin_test::WriteWholeFile;

constexpr ResType kBMID = FourCC("BMID");
constexpr OSType kCreator = FourCC("V|ov");
constexpr OSType kPrefsType = FourCC("MPRF");

class ResourceFilesTest : public ::testing::Test {
 protected:
  void TearDown() override { CloseAllResFiles(); }

  FSSpec FileSpecNamed(const char* name) {
    FSSpec fileSpec;
    OSErr err = PathToSpec(folder_.File(name), &fileSpec);
    EXPECT_TRUE(err == noErr || err == fnfErr) << err;
    return fileSpec;
  }

  std::string Fork(const FSSpec& fileSpec) {
    std::string bytes;
    EXPECT_EQ(ReadResourceForkBytes(&fileSpec, &bytes), noErr);
    return bytes;
  }

  TempFolder folder_;
};

TEST_F(ResourceFilesTest, CreateOpenWriteAndReadBack) {
  FSSpec fileSpec = FileSpecNamed("Settings");
  EXPECT_EQ(FSpOpenResFile(&fileSpec, 3), -1);
  EXPECT_EQ(ResError(), fnfErr);

  FSpCreateResFile(&fileSpec, kCreator, kPrefsType, -1);
  ASSERT_EQ(ResError(), noErr);
  FInfo info;
  ASSERT_EQ(FSpGetFInfo(&fileSpec, &info), noErr);
  EXPECT_EQ(info.fdType, kPrefsType);
  EXPECT_EQ(info.fdCreator, kCreator);
  FSpCreateResFile(&fileSpec, kCreator, kPrefsType, -1);
  EXPECT_EQ(ResError(), dupFNErr);  // a map is there already

  SInt16 refNum = FSpOpenResFile(&fileSpec, 3);
  ASSERT_GT(refNum, 0);
  Boolean inChain = false;
  SInt16 found = 0;
  EXPECT_TRUE(FSpResourceFileAlreadyOpen(&fileSpec, &inChain, &found));
  EXPECT_TRUE(inChain);
  EXPECT_EQ(found, refNum);
  EXPECT_EQ(FSpOpenResFile(&fileSpec, 3), refNum);

  Handle h = NewHandle(4);
  std::memcpy(*h, "OSXM", 4);
  const unsigned char name[] = "\x04OSXM";
  AddResource(h, kBMID, 135, name);
  CloseResFile(refNum);
  ASSERT_EQ(ResError(), noErr);
  EXPECT_FALSE(FSpResourceFileAlreadyOpen(&fileSpec, &inChain, &found));
  EXPECT_EQ(ReadWholeFile(folder_.File("Settings")), "");  // the data fork is untouched

  refNum = FSpOpenResFile(&fileSpec, 1);
  ASSERT_GT(refNum, 0);
  Handle back = Get1NamedResource(kBMID, name);
  ASSERT_TRUE(back);
  EXPECT_EQ(std::string(*back, 4), "OSXM");
}

TEST_F(ResourceFilesTest, DataForkWithoutResourceForkGetsAMap) {
  std::string path = folder_.File("Prefs");
  ASSERT_TRUE(WriteWholeFile(path, "data fork"));
  FSSpec fileSpec = FileSpecNamed("Prefs");
  EXPECT_EQ(FSpOpenResFile(&fileSpec, 3), -1);
  EXPECT_EQ(ResError(), eofErr);
  FSpCreateResFile(&fileSpec, kCreator, kPrefsType, -1);
  EXPECT_EQ(ResError(), noErr);
  EXPECT_GT(FSpOpenResFile(&fileSpec, 3), 0);
  EXPECT_EQ(ReadWholeFile(path), "data fork");
}

TEST_F(ResourceFilesTest, DamagedForkIsRefusedAndLeftAlone) {
  ASSERT_TRUE(WriteWholeFile(folder_.File("Damaged"), ""));
  FSSpec fileSpec = FileSpecNamed("Damaged");
  std::string garbage = std::string(16, '\0') + "not a resource map";
  WriteU32BE(garbage.data() + 4, 16);   // map at 16
  WriteU32BE(garbage.data() + 12, 18);  // shorter than a map header
  ASSERT_EQ(WriteResourceForkBytes(&fileSpec, garbage), noErr);

  EXPECT_EQ(FSpOpenResFile(&fileSpec, 3), -1);
  EXPECT_EQ(ResError(), mapReadErr);
  FSpCreateResFile(&fileSpec, kCreator, kPrefsType, -1);
  EXPECT_EQ(ResError(), mapReadErr);
  EXPECT_EQ(Fork(fileSpec), garbage);
}

}  // namespace
