// FSSpecs, paths, names, directory ids and refs.
#include <sys/stat.h>

#include "tests/platform/files/files_test_support.h"

using files_test::NameOf;
using files_test::PStr;
using files_test::SpecOf;
using zarin_test::TempFolder;
using zarin_test::WriteWholeFile;

namespace {

class SpecsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(mkdir(tmp.File("Songs").c_str(), 0777), 0);
    ASSERT_TRUE(WriteWholeFile(tmp.File("Songs/Take 1.aif"), "AIFF"));
    rootID = DirIDForPath(tmp.path());
    songsID = DirIDForPath(tmp.File("Songs"));
  }
  TempFolder tmp;
  SInt32 rootID = 0;
  SInt32 songsID = 0;
};

TEST_F(SpecsTest, MakeFSSpecAnswersAsTheFileManager) {
  struct Case {
    SInt16 vRefNum;
    bool inSongs;  // dirID of Songs, else of the temp folder
    std::string name;
    OSErr err;
    std::string path;  // expected SpecToPath when filled
  } cases[] = {
      {0, true, "Take 1.aif", noErr, "Songs/Take 1.aif"},
      {-1, true, "Missing.aif", fnfErr, "Songs/Missing.aif"},
      {0, false, ":Songs:Take 1.aif", noErr, "Songs/Take 1.aif"},
      {0, true, "::Songs:Take 1.aif", noErr, "Songs/Take 1.aif"},
      {0, false, ":Songs:New", fnfErr, "Songs/New"},
      {0, false, ":Nowhere:File", dirNFErr, ""},
      {0, false, "Songs:", nsvErr, ""},  // a full path on an unknown volume
      {0, false, ":Songs:", noErr, "Songs"},
      {0, true, "", noErr, "Songs"},
      {7, true, "Take 1.aif", nsvErr, ""},
  };
  for (const Case& c : cases) {
    FSSpec fileSpec;
    OSErr err = FSMakeFSSpec(c.vRefNum, c.inSongs ? songsID : rootID, PStr(c.name), &fileSpec);
    EXPECT_EQ(err, c.err) << c.name;
    if ((err == noErr || err == fnfErr) && !c.path.empty()) {
      EXPECT_EQ(SpecToPath(&fileSpec), tmp.File(c.path)) << c.name;
    }
  }
}

TEST_F(SpecsTest, MissingFileStillFillsTheSpecAndUnknownFolderIsRefused) {
  FSSpec fileSpec;
  ASSERT_EQ(FSMakeFSSpec(0, songsID, PStr("Later.mid"), &fileSpec), fnfErr);
  EXPECT_EQ(fileSpec.vRefNum, kZarinVRefNum);
  EXPECT_EQ(fileSpec.parID, songsID);
  EXPECT_EQ(NameOf(fileSpec), "Later.mid");
  EXPECT_EQ(FSMakeFSSpec(0, 999999, PStr("x"), &fileSpec), dirNFErr);
  SInt32 goneID = DirIDForPath(tmp.File("Gone"));
  EXPECT_EQ(FSMakeFSSpec(0, goneID, PStr("x"), &fileSpec), dirNFErr);
}

TEST_F(SpecsTest, FullPathsStartWithTheVolumeName) {
  FSSpec fileSpec = SpecOf(tmp.File("Songs/Take 1.aif"));
  std::string hfs = SpecToHFSPath(&fileSpec);
  ASSERT_EQ(hfs.rfind("Disk:", 0), 0u) << hfs;
  FSSpec again;
  ASSERT_EQ(FSMakeFSSpec(0, 0, PStr(hfs), &again), noErr);
  EXPECT_TRUE(IsSameFSSpec(&fileSpec, &again));
  ASSERT_EQ(PathToSpec("/", &fileSpec), noErr);
  EXPECT_EQ(fileSpec.parID, fsRtParID);
  EXPECT_EQ(SpecToPath(&fileSpec), "/");
}

TEST_F(SpecsTest, NamesCrossBetweenMacRomanAndUTF8) {
  // Mac Roman 0x8E is e-acute; '/' in a Mac name is ':' on disk.
  FSSpec fileSpec;
  const std::string macName = std::string("Caf\x8E / Mix");
  ASSERT_EQ(FSMakeFSSpec(0, songsID, PStr(macName), &fileSpec), fnfErr);
  EXPECT_EQ(SpecToPath(&fileSpec), tmp.File("Songs/Caf\xC3\xA9 : Mix"));
  ASSERT_EQ(FSpCreate(&fileSpec, 0, FourCC("TEXT"), 0), noErr);
  FSSpec back = SpecOf(tmp.File("Songs/Caf\xC3\xA9 : Mix"));
  EXPECT_EQ(NameOf(back), macName);
}

TEST_F(SpecsTest, NamesThatDoNotFitAreShortenedAndStillFound) {
  const std::string longName = std::string(100, 'a') + ".aiff";
  const std::string cjk = "\xE9\x9F\xB3\xE6\xA5\xBD.wav";  // no Mac Roman form
  for (const std::string& disk : {longName, cjk}) {
    ASSERT_TRUE(WriteWholeFile(tmp.File("Songs/" + disk), "x"));
    FSSpec fileSpec = SpecOf(tmp.File("Songs/" + disk));
    std::string name = NameOf(fileSpec);
    EXPECT_LE(name.size(), 63u);
    EXPECT_NE(name.find('#'), std::string::npos) << name;
    EXPECT_EQ(SpecToPath(&fileSpec), tmp.File("Songs/" + disk));
    FSSpec again;
    EXPECT_EQ(FSMakeFSSpec(0, songsID, fileSpec.name, &again), noErr);
  }
  std::string shortened = NameOf(SpecOf(tmp.File("Songs/" + longName)));
  EXPECT_EQ(shortened.size(), 63u);
  EXPECT_EQ(shortened.substr(0, 52), std::string(51, 'a') + "#");  // stem, '#', six hex digits, extension
  EXPECT_EQ(shortened.substr(58), ".aiff");
}

TEST_F(SpecsTest, DirectoryIDsAreStableAndFollowRenamedFolders) {
  EXPECT_EQ(DirIDForPath(tmp.File("Songs")), songsID);
  EXPECT_EQ(DirIDForPath(tmp.File("Songs/../Songs/")), songsID);
  EXPECT_EQ(DirIDForPath("/"), fsRtDirID);
  FSSpec folder = SpecOf(tmp.File("Songs"));
  ASSERT_EQ(FSpRename(&folder, PStr("Renamed")), noErr);
  EXPECT_EQ(PathForDirID(songsID), tmp.File("Renamed"));
  FSSpec file;
  EXPECT_EQ(FSMakeFSSpec(0, songsID, PStr("Take 1.aif"), &file), noErr);
}

TEST_F(SpecsTest, RefsNameExistingItemsAndGiveTheirCatalogInfo) {
  FSSpec missing = SpecOf(tmp.File("Songs/None"));
  FSRef ref;
  EXPECT_EQ(FSpMakeFSRef(&missing, &ref), fnfErr);
  FSSpec file = SpecOf(tmp.File("Songs/Take 1.aif"));
  ASSERT_EQ(FSpMakeFSRef(&file, &ref), noErr);
  FSRef same;
  ASSERT_EQ(FSPathMakeRef(tmp.File("Songs/./Take 1.aif"), &same), noErr);
  EXPECT_EQ(FSCompareFSRefs(&ref, &same), noErr);

  FSCatalogInfo info;
  HFSUniStr255 name;
  FSSpec fileSpec;
  FSRef parent;
  ASSERT_EQ(FSGetCatalogInfo(&ref, kFSCatInfoGettableInfo, &info, &name, &fileSpec, &parent), noErr);
  EXPECT_EQ(info.nodeFlags & kFSNodeIsDirectoryMask, 0);
  EXPECT_EQ(info.parentDirID, UInt32(songsID));
  EXPECT_EQ(info.dataLogicalSize, 4u);
  EXPECT_EQ(info.finderInfo.fdType, FourCC("AIFF"));
  EXPECT_EQ(name.length, 10);
  EXPECT_TRUE(IsSameFSSpec(&fileSpec, &file));
  EXPECT_EQ(RefToPath(&parent), tmp.File("Songs"));
  ASSERT_EQ(FSGetCatalogInfo(&parent, kFSCatInfoGettableInfo, &info, nullptr, nullptr, nullptr), noErr);
  EXPECT_NE(info.nodeFlags & kFSNodeIsDirectoryMask, 0);
  EXPECT_EQ(info.nodeID, UInt32(songsID));
  EXPECT_EQ(info.valence, 1u);

  const UniChar take[] = {'T', 'a', 'k', 'e', ' ', '1', '.', 'a', 'i', 'f'};
  FSRef byName;
  ASSERT_EQ(FSMakeFSRefUnicode(&parent, 10, take, 0, &byName), noErr);
  EXPECT_EQ(FSCompareFSRefs(&byName, &ref), noErr);
  EXPECT_EQ(FSMakeFSRefUnicode(&parent, 2, take, 0, &byName), fnfErr);
}

TEST_F(SpecsTest, IndexedCatalogWalkSkipsSidecarsAndEndsWithFnfErr) {
  FSSpec file = SpecOf(tmp.File("Songs/Take 1.aif"));
  ASSERT_EQ(WriteResourceForkBytes(&file, "fork"), noErr);
  ASSERT_EQ(mkdir(tmp.File("Songs/Sub").c_str(), 0777), 0);
  std::vector<std::string> seen;
  for (SInt16 index = 1;; ++index) {
    Str255 name;
    CInfoPBRec pb;
    pb.ioNamePtr = name;
    pb.ioFDirIndex = index;
    pb.ioDirID = songsID;
    OSErr err = PBGetCatInfoSync(&pb);
    if (err == fnfErr) break;
    ASSERT_EQ(err, noErr);
    seen.push_back(std::string(reinterpret_cast<char*>(name + 1), name[0]) +
                   ((pb.ioFlAttrib & kioFlAttribDirMask) ? "/" : ""));
    if (!(pb.ioFlAttrib & kioFlAttribDirMask)) {
      EXPECT_EQ(pb.ioFlRLgLen, 4);
    }
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"Sub/", "Take 1.aif"}));
}

}  // namespace
