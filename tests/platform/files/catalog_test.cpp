// Creating, deleting, renaming, moving and exchanging, with sidecars following along.
#include <sys/stat.h>
#include <unistd.h>

#include "tests/platform/files/files_test_support.h"

using files_test::Exists;
using files_test::PStr;
using files_test::SpecOf;
using zarin_test::ReadWholeFile;
using zarin_test::TempFolder;
using zarin_test::WriteWholeFile;

namespace {

constexpr OSType kCreator = FourCC("V|ov");

TEST(CatalogTest, CreateRefusesTakenNamesAndMissingFolders) {
  TempFolder tmp;
  FSSpec fileSpec = SpecOf(tmp.File("Prefs"));
  ASSERT_EQ(FSpCreate(&fileSpec, kCreator, FourCC("MPRF"), 0), noErr);
  EXPECT_EQ(FSpCreate(&fileSpec, kCreator, FourCC("MPRF"), 0), dupFNErr);
  EXPECT_EQ(HCreate(0, fileSpec.parID, fileSpec.name, kCreator, FourCC("MPRF")), dupFNErr);
  FInfo info;
  ASSERT_EQ(FSpGetFInfo(&fileSpec, &info), noErr);
  EXPECT_EQ(info.fdType, FourCC("MPRF"));
  EXPECT_EQ(info.fdCreator, kCreator);

  FSSpec inMissing;
  EXPECT_EQ(FSMakeFSSpec(0, DirIDForPath(tmp.File("None")), PStr("x"), &inMissing), dirNFErr);
  inMissing.vRefNum = kZarinVRefNum;
  inMissing.parID = DirIDForPath(tmp.File("None"));
  EXPECT_EQ(FSpCreate(&inMissing, kCreator, FourCC("MPRF"), 0), dirNFErr);

  SInt32 newID = 0;
  FSSpec folder = SpecOf(tmp.File("Folder"));
  ASSERT_EQ(FSpDirCreate(&folder, 0, &newID), noErr);
  EXPECT_EQ(PathForDirID(newID), tmp.File("Folder"));
  EXPECT_EQ(FSpDirCreate(&folder, 0, &newID), dupFNErr);
}

TEST(CatalogTest, CreateDoesNotAdoptALeftOverSidecar) {
  TempFolder tmp;
  ASSERT_TRUE(WriteWholeFile(tmp.File("a.mid"), ""));
  FSSpec fileSpec = SpecOf(tmp.File("a.mid"));
  ASSERT_EQ(WriteResourceForkBytes(&fileSpec, "old fork"), noErr);
  ASSERT_EQ(unlink(tmp.File("a.mid").c_str()), 0);  // removed behind our back
  ASSERT_EQ(FSpCreate(&fileSpec, 0, FourCC("Midi"), 0), noErr);
  std::string fork;
  EXPECT_EQ(ReadResourceForkBytes(&fileSpec, &fork), noErr);
  EXPECT_EQ(fork, "");
  EXPECT_FALSE(Exists(tmp.File("._a.mid")));
}

TEST(CatalogTest, DeleteTakesTheSidecarAndRefusesBusyItems) {
  TempFolder tmp;
  FSSpec fileSpec = SpecOf(tmp.File("Song"));
  ASSERT_EQ(FSpCreate(&fileSpec, kCreator, FourCC("VSng"), 0), noErr);
  ASSERT_TRUE(Exists(tmp.File("._Song")));
  FSIORefNum ref = 0;
  ASSERT_EQ(FSpOpenDF(&fileSpec, fsRdPerm, &ref), noErr);
  EXPECT_EQ(FSpDelete(&fileSpec), fBsyErr);
  ASSERT_EQ(FSCloseFork(ref), noErr);
  ASSERT_EQ(FSpDelete(&fileSpec), noErr);
  EXPECT_FALSE(Exists(tmp.File("Song")));
  EXPECT_FALSE(Exists(tmp.File("._Song")));
  EXPECT_EQ(FSpDelete(&fileSpec), fnfErr);

  ASSERT_EQ(mkdir(tmp.File("Full").c_str(), 0777), 0);
  ASSERT_TRUE(WriteWholeFile(tmp.File("Full/x"), "x"));
  FSSpec full = SpecOf(tmp.File("Full"));
  EXPECT_EQ(FSpDelete(&full), fBsyErr);
  ASSERT_EQ(unlink(tmp.File("Full/x").c_str()), 0);
  ASSERT_TRUE(WriteWholeFile(tmp.File("Full/._x"), "orphan"));
  EXPECT_EQ(FSpDelete(&full), noErr);
  EXPECT_FALSE(Exists(tmp.File("Full")));
}

TEST(CatalogTest, RenameAndMoveCarryTheSidecar) {
  TempFolder tmp;
  ASSERT_EQ(mkdir(tmp.File("Dest").c_str(), 0777), 0);
  FSSpec fileSpec = SpecOf(tmp.File("take.aif"));
  ASSERT_EQ(FSpCreate(&fileSpec, kCreator, FourCC("AIFF"), 0), noErr);
  ASSERT_EQ(WriteResourceForkBytes(&fileSpec, "resources"), noErr);
  FSSpec other = SpecOf(tmp.File("other"));
  ASSERT_EQ(FSpCreate(&other, 0, 0, 0), noErr);

  EXPECT_EQ(FSpRename(&fileSpec, PStr("other")), dupFNErr);
  ASSERT_EQ(FSpRename(&fileSpec, PStr("kept.aif")), noErr);
  EXPECT_FALSE(Exists(tmp.File("._take.aif")));
  FSSpec renamed = SpecOf(tmp.File("kept.aif"));
  FSSpec dest = SpecOf(tmp.File("Dest"));
  ASSERT_EQ(FSpCatMove(&renamed, &dest), noErr);
  FSSpec moved = SpecOf(tmp.File("Dest/kept.aif"));
  FInfo info;
  ASSERT_EQ(FSpGetFInfo(&moved, &info), noErr);
  EXPECT_EQ(info.fdCreator, kCreator);
  std::string fork;
  ASSERT_EQ(ReadResourceForkBytes(&moved, &fork), noErr);
  EXPECT_EQ(fork, "resources");
  EXPECT_EQ(FSpCatMove(&moved, &moved), dirNFErr);  // a file is no folder
  FSSpec destInside = SpecOf(tmp.File("Dest"));
  FSSpec intoItself = SpecOf(tmp.File("Dest"));
  EXPECT_EQ(FSpCatMove(&intoItself, &destInside), badMovErr);
}

TEST(CatalogTest, ExchangeSwapsContentsButNotFinderInfo) {
  TempFolder tmp;
  FSSpec a = SpecOf(tmp.File("a"));
  FSSpec b = SpecOf(tmp.File("b"));
  ASSERT_EQ(FSpCreate(&a, kCreator, FourCC("AAAA"), 0), noErr);
  ASSERT_EQ(FSpCreate(&b, kCreator, FourCC("BBBB"), 0), noErr);
  ASSERT_TRUE(WriteWholeFile(tmp.File("a"), "data of a"));
  ASSERT_TRUE(WriteWholeFile(tmp.File("b"), "data of b"));
  ASSERT_EQ(WriteResourceForkBytes(&a, "fork of a"), noErr);
  ASSERT_EQ(FSpExchangeFiles(&a, &b), noErr);
  EXPECT_EQ(ReadWholeFile(tmp.File("a")), "data of b");
  EXPECT_EQ(ReadWholeFile(tmp.File("b")), "data of a");
  std::string fork;
  ASSERT_EQ(ReadResourceForkBytes(&b, &fork), noErr);
  EXPECT_EQ(fork, "fork of a");
  ASSERT_EQ(ReadResourceForkBytes(&a, &fork), noErr);
  EXPECT_EQ(fork, "");
  FInfo info;
  ASSERT_EQ(FSpGetFInfo(&a, &info), noErr);
  EXPECT_EQ(info.fdType, FourCC("AAAA"));
}

TEST(CatalogTest, VolumeCallsAnswerForTheOneVolume) {
  GetVolParmsInfoBuffer parms;
  HParamBlockRec pb;
  pb.ioVRefNum = kZarinVRefNum;
  pb.ioBuffer = reinterpret_cast<Ptr>(&parms);
  pb.ioReqCount = sizeof parms;
  ASSERT_EQ(PBHGetVolParmsSync(&pb), noErr);
  EXPECT_TRUE(parms.vMAttrib & (1 << bHasMoveRename));
  pb.ioVRefNum = 3;
  EXPECT_EQ(PBHGetVolParmsSync(&pb), nsvErr);
  XVolumeParam vol;
  vol.ioVRefNum = 0;
  ASSERT_EQ(PBXGetVolInfoSync(&vol), noErr);
  EXPECT_GT(vol.ioVTotalBytes, 0u);
}

}  // namespace
