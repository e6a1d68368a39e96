// AppleDouble sidecars: layout, when they are written, and damaged ones.
#include <unistd.h>

#include <array>
#include <vector>

#include "platform/files/apple_double.h"
#include "platform/files/catalog.h"
#include "platform/files/sidecars.h"
#include "platform/memory/byte_order.h"
#include "tests/platform/files/files_test_support.h"

using files_test::Exists;
using files_test::SpecOf;
using zarin_test::ReadWholeFile;
using zarin_test::TempFolder;
using zarin_test::WriteWholeFile;

namespace {

// A sidecar image with the given entries: {id, offset, length} and a body.
std::string Sidecar(const std::vector<std::array<UInt32, 3>>& entries, const std::string& body, UInt16 count = 0xFFFF) {
  std::string out(26 + entries.size() * 12, '\0');
  UInt8* p = reinterpret_cast<UInt8*>(out.data());
  WriteU32BE(p, kAppleDoubleMagic);
  WriteU32BE(p + 4, kAppleDoubleVersion);
  WriteU16BE(p + 24, count == 0xFFFF ? UInt16(entries.size()) : count);
  for (size_t i = 0; i < entries.size(); ++i) {
    for (int k = 0; k < 3; ++k) WriteU32BE(p + 26 + 12 * i + 4 * k, entries[i][k]);
  }
  return out + body;
}

TEST(SidecarsTest, TypeComesFromTheExtensionWhenThereIsNoSidecar) {
  TempFolder tmp;
  struct Case {
    const char* name;
    OSType type;
  } cases[] = {{"song.mid", FourCC("Midi")}, {"Song.MIDI", FourCC("Midi")}, {"a.aif", FourCC("AIFF")},
               {"a.aifc", FourCC("AIFC")},   {"a.wav", FourCC("WAVE")},     {"a.caf", FourCC("caff")},
               {"notes.txt", FourCC("TEXT")}, {"noext", 0},                 {".mid", 0}};
  for (const Case& c : cases) {
    ASSERT_TRUE(WriteWholeFile(tmp.File(c.name), "x"));
    FSSpec fileSpec = SpecOf(tmp.File(c.name));
    FInfo info;
    ASSERT_EQ(FSpGetFInfo(&fileSpec, &info), noErr) << c.name;
    EXPECT_EQ(info.fdType, c.type) << c.name;
    EXPECT_EQ(info.fdCreator, 0u);
  }
}

TEST(SidecarsTest, WrittenOnlyForWhatTheExtensionDoesNotSay) {
  TempFolder tmp;
  FSSpec fileSpec = SpecOf(tmp.File("take.mid"));
  ASSERT_EQ(FSpCreate(&fileSpec, 0, FourCC("Midi"), 0), noErr);
  EXPECT_FALSE(Exists(tmp.File("._take.mid")));

  FInfo info;
  info.fdType = FourCC("Midi");
  info.fdCreator = FourCC("V|ov");
  info.fdFlags = kHasBeenInited;
  ASSERT_EQ(FSpSetFInfo(&fileSpec, &info), noErr);
  std::string image = ReadWholeFile(tmp.File("._take.mid"));
  ASSERT_GE(image.size(), 26u + 12u + 32u);
  EXPECT_EQ(ReadU32BE(image.data()), 0x00051607u);
  EXPECT_EQ(ReadU32BE(image.data() + 4), 0x00020000u);
  EXPECT_EQ(ReadU16BE(image.data() + 24), 1);
  EXPECT_EQ(ReadU32BE(image.data() + 26), 9u);
  EXPECT_EQ(ReadU32BE(image.data() + 34), 32u);
  EXPECT_EQ(image.substr(ReadU32BE(image.data() + 30), 8), "MidiV|ov");

  FInfo back;
  ASSERT_EQ(FSpGetFInfo(&fileSpec, &back), noErr);
  EXPECT_EQ(back.fdCreator, FourCC("V|ov"));
  EXPECT_EQ(back.fdFlags, kHasBeenInited);

  info.fdCreator = 0;
  info.fdFlags = 0;
  ASSERT_EQ(FSpSetFInfo(&fileSpec, &info), noErr);
  EXPECT_FALSE(Exists(tmp.File("._take.mid")));
}

// A registered document extension says the type and the creator: a document named with it
// needs no sidecar, also when it was written under another name and renamed into place.
TEST(SidecarsTest, ARegisteredDocumentExtensionNeedsNoSidecar) {
  TempFolder tmp;
  RegisterDocumentExtension("zsd", FourCC("BYSQ"), FourCC("V|ov"));
  FSSpec named = SpecOf(tmp.File("Song.ZSD"));
  ASSERT_EQ(FSpCreate(&named, FourCC("V|ov"), FourCC("BYSQ"), 0), noErr);
  EXPECT_FALSE(Exists(tmp.File("._Song.ZSD")));
  FInfo info;
  ASSERT_EQ(FSpGetFInfo(&named, &info), noErr);
  EXPECT_EQ(info.fdType, FourCC("BYSQ"));
  EXPECT_EQ(info.fdCreator, FourCC("V|ov"));

  FSSpec temporary = SpecOf(tmp.File("Song.tmp"));
  ASSERT_EQ(FSpCreate(&temporary, FourCC("V|ov"), FourCC("BYSQ"), 0), noErr);
  EXPECT_TRUE(Exists(tmp.File("._Song.tmp"))) << "the name says nothing: the sidecar keeps the kind";
  ASSERT_EQ(FSpRename(&temporary, reinterpret_cast<ConstStr255Param>("\010Take.zsd")), noErr);
  EXPECT_FALSE(Exists(tmp.File("._Take.zsd")));
  FSSpec renamed = SpecOf(tmp.File("Take.zsd"));
  ASSERT_EQ(FSpGetFInfo(&renamed, &info), noErr);
  EXPECT_EQ(info.fdCreator, FourCC("V|ov"));

  FSSpec other = SpecOf(tmp.File("Other.zsd"));
  ASSERT_EQ(FSpCreate(&other, FourCC("ttxt"), FourCC("BYSQ"), 0), noErr);
  EXPECT_TRUE(Exists(tmp.File("._Other.zsd"))) << "another creator cannot live in the name";
}

TEST(SidecarsTest, ParserRefusesTablesThatLie) {
  const std::string fi(32, 'F');
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"short header", Sidecar({}, "").substr(0, 20)},
      {"bad magic", "\x00\x05\x16\x00" + Sidecar({}, "").substr(4)},
      {"count beyond the table", Sidecar({{9, 38, 32}}, fi, 2)},
      {"count far beyond", Sidecar({}, "", 0xFFFE)},
      {"offset outside", Sidecar({{9, 5000, 32}}, fi)},
      {"length outside", Sidecar({{2, 38, 33}}, fi)},
      {"length wraps", Sidecar({{2, 38, 0xFFFFFFF0u}}, fi)},
      {"two forks", Sidecar({{2, 50, 1}, {2, 51, 1}}, fi)},
  };
  for (const Case& c : cases) {
    AppleDoubleInfo info;
    info.resourceFork = "untouched";
    EXPECT_EQ(ParseAppleDouble(c.bytes, &info), ioErr) << c.what;
    EXPECT_EQ(info.resourceFork, "untouched") << c.what;
  }
  AppleDoubleInfo ok;
  EXPECT_EQ(ParseAppleDouble(Sidecar({{9, 38, 32}}, fi), &ok), noErr);
}

TEST(SidecarsTest, DamagedSidecarIsRefusedAndLeftAlone) {
  TempFolder tmp;
  ASSERT_TRUE(WriteWholeFile(tmp.File("song"), "data"));
  const std::string damaged = Sidecar({{2, 38, 4000}}, "short");
  ASSERT_TRUE(WriteWholeFile(tmp.File("._song"), damaged));
  FSSpec fileSpec = SpecOf(tmp.File("song"));
  FInfo info;
  std::string fork;
  EXPECT_EQ(FSpGetFInfo(&fileSpec, &info), ioErr);
  EXPECT_EQ(ReadResourceForkBytes(&fileSpec, &fork), ioErr);
  EXPECT_EQ(WriteResourceForkBytes(&fileSpec, "new"), ioErr);
  EXPECT_EQ(FSpSetFInfo(&fileSpec, &info), ioErr);
  FSIORefNum ref = 0;
  EXPECT_EQ(FSpOpenRF(&fileSpec, fsRdPerm, &ref), ioErr);
  EXPECT_EQ(ReadWholeFile(tmp.File("._song")), damaged);
  ASSERT_EQ(FSpOpenDF(&fileSpec, fsRdPerm, &ref), noErr);  // the data fork is fine
  EXPECT_EQ(FSCloseFork(ref), noErr);
}

TEST(SidecarsTest, ForeignEntriesAndLongFinderInfoSurviveARewrite) {
  TempFolder tmp;
  ASSERT_TRUE(WriteWholeFile(tmp.File("x.aif"), "data"));
  std::string fi = "AIFFTVOD" + std::string(24, '\0') + "extended attributes";
  ASSERT_TRUE(WriteWholeFile(tmp.File("._x.aif"), Sidecar({{9, 50, 51}, {3, 101, 4}}, fi + "name")));
  FSSpec fileSpec = SpecOf(tmp.File("x.aif"));
  FInfo info;
  ASSERT_EQ(FSpGetFInfo(&fileSpec, &info), noErr);
  EXPECT_EQ(info.fdCreator, FourCC("TVOD"));
  ASSERT_EQ(WriteResourceForkBytes(&fileSpec, "fork"), noErr);
  AppleDoubleInfo back;
  ASSERT_EQ(ParseAppleDouble(ReadWholeFile(tmp.File("._x.aif")), &back), noErr);
  EXPECT_EQ(back.resourceFork, "fork");
  EXPECT_EQ(back.finderInfoTail, "extended attributes");
  ASSERT_EQ(back.otherEntries.size(), 1u);
  EXPECT_EQ(back.otherEntries[0].id, 3u);
  EXPECT_EQ(back.otherEntries[0].bytes, "name");
}

}  // namespace
