// Referenced files: names of references, missing files, open forks, bundle media unpacked
// under safe names, and the region marks of files taken from a bundle.
#include <cstring>
#include <unistd.h>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/documents/bundle_media.h"
#include "song/documents/document_file.h"
#include "song/documents/document_open.h"
#include "song/documents/media_references.h"
#include "song/instruments/plugin_records.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"
#include "tests/song/documents/document_fixture.h"

namespace doc_test {
namespace {

using MediaTest = DocumentTest;

Handle ProgramReference(const std::string& path) {
  Handle h = NewHandleClear(Size(13 + path.size()));
  WriteU32BE(*h, kProgramReferenceMagic);
  (*h)[12] = char(path.size());
  std::memcpy(*h + 13, path.data(), path.size());
  return h;
}

std::string Name(ConstStr255Param s) { return std::string(reinterpret_cast<const char*>(s + 1), s[0]); }

// A referenced-file table of the given entries (kind, alias) in document slot 7.
void SetReferencedFiles(const std::vector<std::pair<uint8_t, Handle>>& entries) {
  Handle table = NewHandleClear(Size(entries.size() * kReferencedFileSize));
  for (size_t i = 0; i < entries.size(); ++i) {
    uint8_t* entry = reinterpret_cast<uint8_t*>(*table) + i * kReferencedFileSize;
    entry[kRefKind] = entries[i].first;
    WriteU32BE(entry + kRefAlias, entries[i].second.id);
  }
  SetDocumentSlot(kReferencedFilesSlot, table);
}

TEST_F(MediaTest, NamesOfReferences) {
  Str255 name;
  Handle three = ProgramReference("Disk\\Songs\\Take 3.aif");
  Handle plain = ProgramReference("Loop.caf");
  EXPECT_EQ(noErr, GetReferencedFileName(three, name, 63));
  EXPECT_EQ("Take 3.aif", Name(name));
  EXPECT_EQ(noErr, GetReferencedFileName(plain, name, 63));
  EXPECT_EQ("Loop.caf", Name(name));
  EXPECT_EQ(paramErr, GetReferencedFileName(three, name, 5)) << "a name that does not fit";
  (*plain)[12] = char(200);
  EXPECT_EQ(paramErr, GetReferencedFileName(plain, name, 63)) << "a path beyond the record";
  EXPECT_EQ(paramErr, GetReferencedFileName(Handle(), name, 63));
  WriteFile("real.aif", "FORM");
  FSSpec fileSpec = FileSpecNamed("real.aif");
  Handle alias;
  ASSERT_EQ(noErr, NewAlias(nullptr, &fileSpec, &alias));
  EXPECT_EQ(noErr, GetReferencedFileName(alias, name, 63));
  EXPECT_EQ("real.aif", Name(name));
  DisposeHandle(three);
  DisposeHandle(plain);
  DisposeHandle(alias);
}

TEST_F(MediaTest, FoundFilesAreOpenedAndMissingOnesSkipped) {
  WriteFile("here.aif", "FORM....AIFF");
  WriteFile("gone.aif", "FORM....AIFF");
  FSSpec here = FileSpecNamed("here.aif");
  FSSpec gone = FileSpecNamed("gone.aif");
  FSSpec document = FileSpecNamed("media.bysq");
  Handle a, b;
  ASSERT_EQ(noErr, NewAlias(&document, &here, &a));
  ASSERT_EQ(noErr, NewAlias(&document, &gone, &b));
  BuildSmallDocument();
  SetReferencedFiles({{kRefKindAudio, a}, {kRefKindAudio, b}});
  ASSERT_EQ(noErr, Save("media.bysq"));
  ASSERT_EQ(noErr, FSpDelete(&gone));
  int forks = CountOpenForks();

  ASSERT_EQ(noErr, Open("media.bysq")) << "a missing file does not stop the document";
  ASSERT_EQ(2, CountReferencedFiles());
  uint8_t* found = GetReferencedFileEntry(0);
  uint8_t* missing = GetReferencedFileEntry(1);
  EXPECT_NE(0u, ReadU32BE(found + kRefFork));
  EXPECT_EQ(forks + 1, CountOpenForks());
  EXPECT_EQ(kRefMissing | kRefAliasDropped, ReadU16BE(missing + kRefFlags));
  EXPECT_EQ(0u, ReadU32BE(missing + kRefAlias)) << "a skipped file loses its alias";
  EXPECT_EQ(0u, ReadU32BE(missing + kRefFork));
  CloseSongDocument();
  EXPECT_EQ(forks, CountOpenForks());
}

TEST_F(MediaTest, BundleMediaAreUnpackedUnderSafeNames) {
  BuildSmallDocument();
  SetReferencedFiles({{kRefKindAudio, ProgramReference("../../escape.aif")},
                      {kRefKindMovie, ProgramReference("C:\\Movies\\.hidden")},
                      {kRefKindAudio, ProgramReference("clip")},
                      {kRefKindAudio, Handle()}});
  // The movie refers to its file by a file number that happens to be an open fork here.
  WriteFile("bystander", "x");
  FSSpec bystander = FileSpecNamed("bystander");
  int16_t open = 0;
  ASSERT_EQ(noErr, FSpOpenDF(&bystander, fsRdPerm, &open));
  uint8_t* byNumber = GetReferencedFileEntry(1);
  WriteU16BE(byNumber + kRefFlags, kRefByFileNumber);
  WriteU32BE(byNumber + kRefFork, uint32_t(uint16_t(open)));
  ASSERT_EQ(noErr, Save("bundle"));
  std::string bytes = ReadFile("bundle");
  std::string section(8 + 64, '\0');
  PutU32(&section, 0, 1);
  std::memcpy(&section[4], "\007Bundled", 8);
  auto add = [&](const std::string& data) {
    std::string length(4, '\0');
    PutU32(&length, 0, uint32_t(data.size()));
    section += length + data;
  };
  section.resize(4 + 64);
  add("FORM audio");
  add("movie bytes");
  add("caff sample data");
  add("");
  WriteFile("bundle", bytes + section);
  FSSpec fileSpec = FileSpecNamed("bundle");

  ASSERT_EQ(noErr, OpenSongFile(&fileSpec, 1, false));
  EXPECT_EQ("Bundled", Name(gCurrentDocumentSpec.name));
  EXPECT_EQ("FORM audio", ReadFile("escape.aif"));
  EXPECT_EQ("movie bytes", ReadFile("hidden"));
  EXPECT_EQ("caff sample data", ReadFile("clip"));
  EXPECT_EQ(-1, access((folder_.path() + "/../escape.aif").c_str(), F_OK)) << "nothing outside the folder";
  EXPECT_EQ(-1, access((folder_.path() + "/../../escape.aif").c_str(), F_OK));
  FInfo info;
  FSSpec movie = FileSpecNamed("hidden");
  ASSERT_EQ(noErr, FSpGetFInfo(&movie, &info));
  EXPECT_EQ(FourCC("MooV"), info.fdType);
  FSSpec clip = FileSpecNamed("clip");
  ASSERT_EQ(noErr, FSpGetFInfo(&clip, &info));
  EXPECT_EQ(FourCC("caff"), info.fdType) << "data that begins with 'caff' is a CAF file";
  for (int32_t i = 0; i < 3; ++i) {
    EXPECT_TRUE(ReadU16BE(GetReferencedFileEntry(i) + kRefFlags) & kRefUnpacked) << i;
    FSSpec target;
    EXPECT_EQ(noErr, ResolveReferencedAlias(Handle(ReadU32BE(GetReferencedFileEntry(i) + kRefAlias)), &fileSpec, &target));
  }
  EXPECT_EQ(0u, ReadU32BE(GetReferencedFileEntry(1) + kRefFork)) << "no file number stays behind";
  CloseSongDocument();
  EXPECT_EQ(noErr, FSClose(open)) << "closing the document leaves other forks open";
}

TEST_F(MediaTest, BundleWhoseMediaLieIsRefused) {
  BuildSmallDocument();
  SetReferencedFiles({{kRefKindAudio, ProgramReference("a.aif")}});
  ASSERT_EQ(noErr, Save("bundle"));
  std::string section(4 + 64 + 4, '\0');
  PutU32(&section, 0, 1);
  PutU32(&section, 68, 100000);  // far more than follows
  WriteFile("bundle", ReadFile("bundle") + section + "short");
  CloseSongDocument();
  ResetSongDatabase();
  BuildRichDocument();
  std::string songs = SnapshotSongs();
  FSSpec fileSpec = FileSpecNamed("bundle");
  EXPECT_EQ(eofErr, OpenSongFile(&fileSpec, 1, false));
  EXPECT_EQ(songs, SnapshotSongs());
}

TEST_F(MediaTest, SafeNames) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"../../etc/passwd", "etcpasswd"},
      {"..", "Fallback"},
      {"a:b/c\\d", "abcd"},
      {" .x", "x"},
      {"tab\there", "tabhere"},
      {"", "Fallback"},
  };
  const unsigned char fallback[] = "\010Fallback";
  for (const Case& c : cases) {
    Str255 in;
    in[0] = uint8_t(std::strlen(c.in));
    std::memcpy(in + 1, c.in, in[0]);
    Str255 out;
    MakeSafeMediaFileName(in, out, 56, fallback);
    EXPECT_EQ(c.out, Name(out)) << c.in;
  }
}

TEST_F(MediaTest, RegionMarksFollowTheirFileEntriesWithinTheTable) {
  MakeSong(0, 1);
  Handle record = MakePluginRecord(1);
  Handle regions(ReadU32BE(*record + kPluginRecordRegions));
  SetHandleSize(regions, 3 * 256);
  uint8_t* r = reinterpret_cast<uint8_t*>(*regions);
  WriteU16BE(r + 60, 0);  // a file that was not unpacked
  WriteU16BE(r + 62, 0x08);
  WriteU16BE(r + 256 + 60, 1000);  // past the table
  WriteU16BE(r + 256 + 62, 0x08);
  WriteU16BE(r + 512 + 60, 1);  // a file unpacked from the bundle
  WriteU16BE(r + 512 + 62, 0x08);
  TrackEntryView(gCurrentTrack).SetRegionList(record);
  SetReferencedFiles({{kRefKindAudio, Handle()}, {kRefKindAudio, Handle()}});
  WriteU16BE(GetReferencedFileEntry(1) + kRefFlags, kRefUnpacked);
  UpdateRegionFileMarks();
  EXPECT_EQ(0, ReadU16BE(r + 62));
  EXPECT_EQ(0x08, ReadU16BE(r + 256 + 62));
  EXPECT_EQ(0x08, ReadU16BE(r + 512 + 62));
}

}  // namespace
}  // namespace doc_test
