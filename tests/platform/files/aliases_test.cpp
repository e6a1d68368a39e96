// Alias records: resolution by absolute and relative path, records that lie, alias files.
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "tests/platform/files/files_test_support.h"

using files_test::NameOf;
using files_test::PStr;
using files_test::SpecOf;
using zarin_test::TempFolder;
using zarin_test::WriteWholeFile;

namespace {

// A song folder holding the song and its media in a sub-folder.
class AliasTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(mkdir(tmp.File("Project").c_str(), 0777), 0);
    ASSERT_EQ(mkdir(tmp.File("Project/Audio").c_str(), 0777), 0);
    ASSERT_TRUE(WriteWholeFile(tmp.File("Project/Song"), "song"));
    ASSERT_TRUE(WriteWholeFile(tmp.File("Project/Audio/take.aif"), "aiff"));
    song = SpecOf(tmp.File("Project/Song"));
    take = SpecOf(tmp.File("Project/Audio/take.aif"));
  }
  void TearDown() override {
    if (alias) DisposeHandle(alias);
  }
  TempFolder tmp;
  FSSpec song;
  FSSpec take;
  AliasHandle alias;
};

TEST_F(AliasTest, ResolvesInPlaceWithoutChange) {
  ASSERT_EQ(NewAlias(&song, &take, &alias), noErr);
  FSSpec target;
  Boolean changed = true;
  ASSERT_EQ(ResolveAlias(&song, alias, &target, &changed), noErr);
  EXPECT_TRUE(IsSameFSSpec(&target, &take));
  EXPECT_FALSE(changed);
  Str63 name;
  ASSERT_EQ(GetAliasInfo(alias, asiAliasName, name), noErr);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(name + 1), name[0]), "take.aif");
  ASSERT_EQ(GetAliasInfo(alias, asiParentName, name), noErr);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(name + 1), name[0]), "Audio");
}

TEST_F(AliasTest, FollowsASongFolderMovedWithItsMedia) {
  ASSERT_EQ(NewAlias(&song, &take, &alias), noErr);
  ASSERT_EQ(rename(tmp.File("Project").c_str(), tmp.File("Moved").c_str()), 0);  // outside our knowledge
  FSSpec movedSong = SpecOf(tmp.File("Moved/Song"));
  FSSpec target;
  Boolean changed = false;
  ASSERT_EQ(ResolveAliasWithMountFlags(&movedSong, alias, &target, &changed, kResolveAliasFileNoUI), noErr);
  EXPECT_TRUE(changed);
  EXPECT_EQ(SpecToPath(&target), tmp.File("Moved/Audio/take.aif"));
  // The record now holds the new place: no referring file needed any more.
  ASSERT_EQ(ResolveAlias(nullptr, alias, &target, &changed), noErr);
  EXPECT_FALSE(changed);
  EXPECT_EQ(SpecToPath(&target), tmp.File("Moved/Audio/take.aif"));
}

TEST_F(AliasTest, MissingTargetIsFnfErr) {
  ASSERT_EQ(NewAlias(&song, &take, &alias), noErr);
  ASSERT_EQ(unlink(tmp.File("Project/Audio/take.aif").c_str()), 0);
  FSSpec target;
  Boolean changed = true;
  EXPECT_EQ(ResolveAlias(&song, alias, &target, &changed), fnfErr);
  EXPECT_FALSE(changed);
  FSSpec missing = SpecOf(tmp.File("Project/none"));
  AliasHandle other;
  EXPECT_EQ(NewAlias(nullptr, &missing, &other), fnfErr);
  ASSERT_EQ(NewAliasMinimal(&missing, &other), noErr);
  EXPECT_EQ(ResolveAlias(nullptr, other, &target, &changed), fnfErr);
  DisposeHandle(other);
}

TEST_F(AliasTest, AFolderAliasDoesNotResolveToAFile) {
  FSSpec audio = SpecOf(tmp.File("Project/Audio"));
  ASSERT_EQ(NewAlias(nullptr, &audio, &alias), noErr);
  ASSERT_EQ(rename(tmp.File("Project/Audio").c_str(), tmp.File("Project/Old").c_str()), 0);
  ASSERT_TRUE(WriteWholeFile(tmp.File("Project/Audio"), "now a file"));
  FSSpec target;
  EXPECT_EQ(ResolveAlias(nullptr, alias, &target, nullptr), fnfErr);
}

TEST_F(AliasTest, UpdateRewritesTheRecord) {
  ASSERT_EQ(NewAlias(&song, &take, &alias), noErr);
  Boolean changed = true;
  ASSERT_EQ(UpdateAlias(&song, &take, alias, &changed), noErr);
  EXPECT_FALSE(changed);
  ASSERT_EQ(UpdateAlias(&song, &song, alias, &changed), noErr);
  EXPECT_TRUE(changed);
  FSSpec target;
  ASSERT_EQ(ResolveAlias(&song, alias, &target, &changed), noErr);
  EXPECT_TRUE(IsSameFSSpec(&target, &song));
}

TEST_F(AliasTest, RecordsThatLieAreRefused) {
  ASSERT_EQ(NewAlias(&song, &take, &alias), noErr);
  const Size size = GetHandleSize(alias);
  std::string good(HandleData(alias), size_t(size));
  struct Case {
    const char* what;
    size_t offset;  // where to poke a big-endian u16 (or cut the record when value is 0xFFFFFFFF)
    UInt32 value;
  } cases[] = {
      {"magic", 0, 0x1234}, {"version", 4, 7}, {"total beyond the handle", 8, 0xFFFF},
      {"name length beyond", 20, 0xFFFF}, {"cut short", 25, 0xFFFFFFFF},
  };
  for (const Case& c : cases) {
    std::string bad = good;
    if (c.value == 0xFFFFFFFF) {
      bad.resize(c.offset);
    } else {
      WriteU16BE(bad.data() + c.offset, UInt16(c.value));
    }
    AliasHandle h;
    ASSERT_EQ(PtrToHand(bad.data(), &h, Size(bad.size())), noErr);
    FSSpec target;
    Boolean changed = false;
    EXPECT_EQ(ResolveAlias(&song, h, &target, &changed), paramErr) << c.what;
    DisposeHandle(h);
  }
  FSSpec target;
  EXPECT_EQ(ResolveAlias(&song, AliasHandle(), &target, nullptr), paramErr);
}

TEST_F(AliasTest, AliasFilesAreSymbolicLinks) {
  ASSERT_EQ(symlink("Audio/take.aif", tmp.File("Project/link1").c_str()), 0);
  ASSERT_EQ(symlink(tmp.File("Project/link1").c_str(), tmp.File("Project/link2").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", tmp.File("Project/dangling").c_str()), 0);
  struct Case {
    const char* name;
    Boolean chains;
    OSErr err;
    const char* resolved;
    Boolean aliased;
  } cases[] = {
      {"Song", true, noErr, "Song", false},
      {"link1", false, noErr, "Audio/take.aif", true},
      {"link2", true, noErr, "Audio/take.aif", true},
      {"link2", false, noErr, "link1", true},
      {"dangling", true, fnfErr, nullptr, true},
      {"Audio", true, noErr, "Audio", false},
  };
  for (const Case& c : cases) {
    FSSpec fileSpec = SpecOf(tmp.File(std::string("Project/") + c.name));
    Boolean folder = false;
    Boolean aliased = !c.aliased;
    EXPECT_EQ(ResolveAliasFile(&fileSpec, c.chains, &folder, &aliased), c.err) << c.name;
    EXPECT_EQ(aliased, c.aliased) << c.name;
    if (c.resolved) {
      EXPECT_EQ(SpecToPath(&fileSpec), tmp.File(std::string("Project/") + c.resolved)) << c.name;
    }
    if (c.resolved) {
      EXPECT_EQ(folder, std::string(c.name) == "Audio") << c.name;
    }
  }
  FSSpec link = SpecOf(tmp.File("Project/link1"));
  FInfo info;
  ASSERT_EQ(FSpGetFInfo(&link, &info), noErr);
  EXPECT_TRUE(info.fdFlags & kIsAlias);
}

}  // namespace
