// Referenced files: names of references, missing files, open forks, bundle media unpacked
// under safe names, and the region marks of files taken from a bundle.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/files/aliases.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/documents/bundle_media.h"
#include "song/documents/document_dialog_hooks.h"
#include "song/documents/document_hooks.h"
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

// A file that is not found keeps its reference: the document saved again still names it, and
// once the file is back the reference opens it.
TEST_F(MediaTest, FoundFilesAreOpenedAndMissingOnesKeptForLater) {
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
  EXPECT_EQ(kRefMissing, ReadU16BE(missing + kRefFlags));
  EXPECT_NE(0u, ReadU32BE(missing + kRefAlias)) << "the reference is kept";
  EXPECT_EQ(0u, ReadU32BE(missing + kRefFork));
  ASSERT_EQ(noErr, Save("media.bysq"));
  CloseSongDocument();
  EXPECT_EQ(forks, CountOpenForks());

  WriteFile("gone.aif", "FORM....AIFF");
  ASSERT_EQ(noErr, Open("media.bysq"));
  ASSERT_EQ(2, CountReferencedFiles());
  EXPECT_NE(0u, ReadU32BE(GetReferencedFileEntry(1) + kRefFork)) << "the file back in its place opens";
  EXPECT_EQ(0, ReadU16BE(GetReferencedFileEntry(1) + kRefFlags));
  CloseSongDocument();
}

// The answers of the missing-file prompt, scripted through the hook tables: keep, forget,
// find (the open dialog), and the answers for every further file.
class MissingFileAnswers : public MediaTest {
 protected:
  void SetUp() override {
    MediaTest::SetUp();
    savedDocument_ = gDocumentHooks;
    savedDialogs_ = gDocumentDialogHooks;
    gAnswers.clear();
    gAsked = 0;
    gDocumentHooks.askForMissingFile = [](ConstStr255Param name, int16_t, int16_t, bool) -> int16_t {
      gAskedNames += Name(name) + ";";
      return NextAnswer();
    };
    gDocumentHooks.askAfterFailedFind = [](ConstStr255Param) -> int16_t { return NextAnswer(); };
    gDocumentDialogHooks.getFile = [](int16_t, const OSType*, FSSpec* out, int16_t, uint32_t) -> OSErr {
      if (gFindAnswer.name[0] == 0) return userCanceledErr;
      *out = gFindAnswer;
      return noErr;
    };
    gAskedNames.clear();
    gFindAnswer = FSSpec{};
  }
  void TearDown() override {
    gDocumentHooks = savedDocument_;
    gDocumentDialogHooks = savedDialogs_;
    MediaTest::TearDown();
  }
  static int16_t NextAnswer() {
    ++gAsked;
    if (gAnswers.empty()) return kPromptKeep;
    int16_t answer = gAnswers.front();
    gAnswers.erase(gAnswers.begin());
    return answer;
  }
  // A saved document referring to the files a.aif, b.aif and c.aif of which only those named
  // in `present` exist when it is opened.
  void SaveReferences(const std::string& present) {
    FSSpec document = FileSpecNamed("refs.bysq");
    std::vector<std::pair<uint8_t, Handle>> entries;
    for (const char* name : {"a.aif", "b.aif", "c.aif"}) {
      WriteFile(name, "FORM....AIFF");
      FSSpec file = FileSpecNamed(name);
      Handle alias;
      ASSERT_EQ(noErr, NewAlias(&document, &file, &alias));
      entries.push_back({kRefKindAudio, alias});
    }
    BuildSmallDocument();
    SetReferencedFiles(entries);
    ASSERT_EQ(noErr, Save("refs.bysq"));
    CloseSongDocument();
    ResetSongDatabase();
    for (const char* name : {"a.aif", "b.aif", "c.aif"}) {
      if (present.find(name[0]) != std::string::npos) continue;
      FSSpec file = FileSpecNamed(name);
      ASSERT_EQ(noErr, FSpDelete(&file));
    }
  }
  // Per entry: 'o' opened, 'k' missing with its reference kept, 'd' reference dropped.
  static std::string States() {
    std::string out;
    for (int32_t i = 0; i < CountReferencedFiles(); ++i) {
      const uint8_t* entry = GetReferencedFileEntry(i);
      if (ReadU32BE(entry + kRefFork) != 0) out += 'o';
      else if (ReadU32BE(entry + kRefAlias) != 0) out += (ReadU16BE(entry + kRefFlags) == kRefMissing ? 'k' : '?');
      else out += (ReadU16BE(entry + kRefFlags) == (kRefMissing | kRefAliasDropped) ? 'd' : '?');
    }
    return out;
  }
  static inline std::vector<int16_t> gAnswers;
  static inline int32_t gAsked = 0;
  static inline std::string gAskedNames;
  static inline FSSpec gFindAnswer{};
  DocumentHooks savedDocument_{};
  DocumentDialogHooks savedDialogs_{};
};

TEST_F(MissingFileAnswers, EachAnswerKeepsDropsOrFindsTheReference) {
  struct Case {
    const char* present;            // the files there when the document opens
    std::vector<int16_t> answers;   // prompt (and failed-find alert) answers in order
    bool findMoved;                 // the open dialog finds the moved file
    const char* expect;             // States() after the open
    int32_t asked;
  } cases[] = {
      {"ac", {kPromptKeep}, false, "oko", 1},
      {"ac", {kPromptSkip}, false, "odo", 1},
      // an answer for every further file is asked once, and a file that is found later
      // still opens
      {"b", {kPromptSkipAll}, false, "dod", 1},
      {"b", {kPromptKeepAll}, false, "kok", 1},
      {"ac", {kPromptFind}, true, "ooo", 1},
      // not found by the dialog either: alert 543 keeps (1) or forgets (2) it
      {"ac", {kPromptFind, kPromptKeep}, false, "oko", 2},
      {"ac", {kPromptFind, kPromptSkip}, false, "odo", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.present) + " " + c.expect);
    SaveReferences(c.present);
    WriteFile("moved.aif", "FORM....AIFF");
    gFindAnswer = c.findMoved ? FileSpecNamed("moved.aif") : FSSpec{};
    gAnswers = c.answers;
    gAsked = 0;
    gAskedNames.clear();
    ASSERT_EQ(noErr, Open("refs.bysq"));
    EXPECT_EQ(c.expect, States());
    EXPECT_EQ(c.asked, gAsked);
    if (c.findMoved) {
      // The reference now names the file that was found, also after a save.
      ASSERT_EQ(noErr, Save("refs.bysq"));
      CloseSongDocument();
      ResetSongDatabase();
      gAnswers.clear();
      gAsked = 0;
      ASSERT_EQ(noErr, Open("refs.bysq"));
      EXPECT_EQ("ooo", States());
      EXPECT_EQ(0, gAsked);
    }
    CloseSongDocument();
    ResetSongDatabase();
  }
  EXPECT_EQ("b.aif;", gAskedNames) << "the prompt names the missing file";
}

// A movie that is not found is kept for later too, unless the user forgets it.
TEST_F(MissingFileAnswers, MissingMoviesAreKeptUnlessForgotten) {
  for (int16_t answer : {kPromptKeep, kPromptSkip}) {
    SCOPED_TRACE(answer);
    WriteFile("film.mov", "moov");
    FSSpec film = FileSpecNamed("film.mov");
    FSSpec document = FileSpecNamed("film.bysq");
    Handle alias;
    ASSERT_EQ(noErr, NewAlias(&document, &film, &alias));
    BuildSmallDocument();
    SetReferencedFiles({{kRefKindMovie, alias}});
    ASSERT_EQ(noErr, Save("film.bysq"));
    CloseSongDocument();
    ResetSongDatabase();
    ASSERT_EQ(noErr, FSpDelete(&film));
    gAnswers = {answer};
    ASSERT_EQ(noErr, Open("film.bysq"));
    ASSERT_EQ(1, CountReferencedFiles());
    const uint8_t* entry = GetReferencedFileEntry(0);
    if (answer == kPromptKeep) {
      EXPECT_NE(0u, ReadU32BE(entry + kRefAlias));
      EXPECT_EQ(kRefKindMovie, entry[kRefKind]);
      ASSERT_EQ(noErr, Save("film.bysq"));
      CloseSongDocument();
      ResetSongDatabase();
      WriteFile("film.mov", "moov");
      ASSERT_EQ(noErr, Open("film.bysq"));
      EXPECT_EQ(kRefResolved, ReadU16BE(GetReferencedFileEntry(0) + kRefFlags) & (kRefResolved | kRefMissing))
          << "back in its place, the movie is found";
    } else {
      EXPECT_EQ(0u, ReadU32BE(entry + kRefAlias));
      EXPECT_EQ(0, ReadU16BE(entry + kRefFlags));
    }
    CloseSongDocument();
    ResetSongDatabase();
  }
}

// A reference of the program's own form is looked for by its name beside the document and
// then becomes an alias of the file; one that is not there, or whose name would leave the
// folder, stays as it was.
TEST_F(MissingFileAnswers, ProgramReferencesAreFoundBesideTheDocument) {
  WriteFile("take.aif", "FORM....AIFF");
  mkdir(Path("sub").c_str(), 0755);
  WriteFile("sub/x.aif", "FORM....AIFF");
  BuildSmallDocument();
  SetReferencedFiles({{kRefKindAudio, ProgramReference("Disk\\Old Songs\\take.aif")},
                      {kRefKindAudio, ProgramReference("Disk\\absent.aif")},
                      {kRefKindAudio, ProgramReference("Disk\\sub/x.aif")}});
  ASSERT_EQ(noErr, Save("song.bysq"));
  CloseSongDocument();
  ResetSongDatabase();

  ASSERT_EQ(noErr, Open("song.bysq"));
  EXPECT_EQ("okk", States());
  EXPECT_EQ(2, gAsked);
  Handle first(ReadU32BE(GetReferencedFileEntry(0) + kRefAlias));
  ASSERT_GE(GetHandleSize(first), 4);
  EXPECT_NE(kProgramReferenceMagic, ReadU32BE(*first)) << "a real alias took its place";
  Handle second(ReadU32BE(GetReferencedFileEntry(1) + kRefAlias));
  EXPECT_EQ(kProgramReferenceMagic, ReadU32BE(*second));
  ASSERT_EQ(noErr, Save("song.bysq"));
  CloseSongDocument();
  ResetSongDatabase();

  // The document moved away from take.aif: the alias still finds it.
  mkdir(Path("moved").c_str(), 0755);
  ASSERT_EQ(0, rename(Path("song.bysq").c_str(), Path("moved/song.bysq").c_str()));
  WriteFile("moved/absent.aif", "FORM....AIFF");
  ASSERT_EQ(noErr, Open("moved/song.bysq"));
  EXPECT_EQ("ook", States());
  CloseSongDocument();
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
