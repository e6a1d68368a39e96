// Documents cut short or whose counts, lengths and offsets lie: each is refused with a clear
// error, the open document stays exactly as it was and nothing is left allocated or open.
#include <functional>

#include "platform/memory/memory.h"
#include "shell/base/error_report.h"
#include "song/documents/document_file.h"
#include "song/documents/document_open.h"
#include "song/model/song_database.h"
#include "tests/song/documents/document_fixture.h"

namespace doc_test {
namespace {

// Where things lie in the small document (no document-wide blocks, no instrument table).
constexpr size_t kSlotTable = 356;
constexpr size_t kSongRecord = 488;
constexpr size_t kSongBlock = kSongRecord + 2;
constexpr size_t kTrack0 = kSongBlock + 404;
constexpr size_t kTrack1 = kTrack0 + 264;
constexpr size_t kTrack0Events = kSongBlock + 404 + 264 + 272;

// Position of the last occurrence of bytes in the file.
size_t FindLast(const std::string& file, const std::string& bytes) {
  size_t at = file.rfind(bytes);
  EXPECT_NE(std::string::npos, at) << "pattern not in the document";
  return at;
}

class DamagedDocumentTest : public DocumentTest {
 protected:
  // The small document as a file, and a rich document open in its place.
  void SetUp() override {
    DocumentTest::SetUp();
    BuildSmallDocument();
    ASSERT_EQ(noErr, Save("small.bysq"));
    small_ = ReadFile("small.bysq");
    CloseSongDocument();
    ResetSongDatabase();
    BuildRichDocument();
    KeepOpenDocument();
  }

  std::string small_;
};

TEST_F(DamagedDocumentTest, EveryTruncationIsRefused) {
  ASSERT_GT(small_.size(), kTrack0Events);
  for (size_t length = 0; length < small_.size(); ++length) {
    OSErr err = OpenRefused(small_.substr(0, length), "cut at " + std::to_string(length));
    if (HasFailure()) break;
    EXPECT_TRUE(err == eofErr || err == kDocumentDamagedErr) << "cut at " << length << ": " << err;
  }
  WriteFile("whole.bysq", small_);
  EXPECT_EQ(noErr, Open("whole.bysq")) << "the whole document opens";
}

TEST_F(DamagedDocumentTest, LyingCountsLengthsAndOffsetsAreRefused) {
  size_t tempo = FindLast(small_, std::string("\x02\x00\x00\x00\x01\x91", 6));
  size_t markers = FindLast(small_, std::string("\x00\x00\x00\x01\x00\x05Intro", 11)) - 4;
  struct Case {
    const char* what;
    std::function<void(std::string&)> lie;
    OSErr result;
  } cases[] = {
      {"a slot table larger than a document has", [](std::string& s) { PutU16(&s, 0, 1000); }, kDocumentDamagedErr},
      {"a song in slot 16", [](std::string& s) { PutU32(&s, kSlotTable + 16 * 4, 1); }, kDocumentDamagedErr},
      {"a song record shorter than a header", [](std::string& s) { PutU16(&s, kSongRecord, 100); }, kDocumentDamagedErr},
      {"a song record longer than the file", [](std::string& s) { PutU16(&s, kSongRecord, 0xFFFF); }, eofErr},
      {"a song record longer than its entries",
       [](std::string& s) { PutU16(&s, kSongRecord, uint16_t(GetU16(s, kSongRecord) + 8)); }, kDocumentDamagedErr},
      {"more tracks than the record holds", [](std::string& s) { PutU16(&s, kSongBlock, 5); }, kDocumentDamagedErr},
      {"fewer tracks than the record holds", [](std::string& s) { PutU16(&s, kSongBlock, 1); }, kDocumentDamagedErr},
      {"a track length below an entry", [](std::string& s) { PutU16(&s, kTrack0, 100); }, kDocumentDamagedErr},
      {"a negative track length", [](std::string& s) { PutU16(&s, kTrack0, 0x8000); }, kDocumentDamagedErr},
      {"a track length past the record", [](std::string& s) { PutU16(&s, kTrack0, 264 + 8 * 60); }, kDocumentDamagedErr},
      {"a track length that is no whole cell", [](std::string& s) { PutU16(&s, kTrack1, 268); }, kDocumentDamagedErr},
      {"more children than cells", [](std::string& s) { s[kTrack1 + 2] = 2; }, kDocumentDamagedErr},
      {"more children than a track may have", [](std::string& s) { s[kTrack1 + 2] = 70; }, kDocumentDamagedErr},
      {"a track number above 47", [](std::string& s) { s[kTrack0 + 3] = 100; }, kDocumentDamagedErr},
      {"an event list longer than the file", [](std::string& s) { PutU32(&s, kTrack0 + 22, 0x7fffffff); }, eofErr},
      {"an event list that cuts a record", [](std::string& s) { PutU32(&s, kTrack0 + 22, 20); }, kDocumentDamagedErr},
      {"an event whose stored length lies",
       [](std::string& s) { PutU32(&s, kTrack0Events + 22 + 6, 5000); }, kDocumentDamagedErr},
      {"a conductor map longer than the file", [&](std::string& s) { PutU32(&s, tempo - 4, 0x7ffffff0); }, eofErr},
      {"a marker count beyond its records", [&](std::string& s) { PutU32(&s, markers, 1000); }, kDocumentDamagedErr},
      {"a marker list longer than the file", [&](std::string& s) { PutU32(&s, markers - 4, 0x7ffffff0); }, eofErr},
  };
  for (const Case& c : cases) {
    std::string bytes = small_;
    c.lie(bytes);
    EXPECT_EQ(c.result, OpenRefused(bytes, c.what)) << c.what;
  }
}

TEST_F(DamagedDocumentTest, DocumentLargerThanMemoryIsRefusedWithMemoryFull) {
  CloseSongDocument();
  ResetSongDatabase();
  MakeSong(0, 1);
  FillTrack(0, 20000, 1);  // an event list of about 240 KB
  ASSERT_EQ(noErr, Save("large.bysq"));
  std::string large = ReadFile("large.bysq");
  CloseSongDocument();
  ResetSongDatabase();
  BuildRichDocument();
  KeepOpenDocument();
  uint64_t budget = GetMemoryBudget();
  SetMemoryBudget(GetMemoryInUse() + 100 * 1024);
  OSErr err = OpenRefused(large, "a list larger than memory");
  SetMemoryBudget(budget);
  EXPECT_EQ(memFullErr, err);
  EXPECT_EQ(0, gInsufficientMemoryShown) << "the memory alert is not left pending";
}

TEST_F(DamagedDocumentTest, NewerVersionChangesNothing) {
  std::string bytes = small_;
  PutU16(&bytes, 2, uint16_t(gSongFileVersion + 1));
  EXPECT_EQ(kDocumentDamagedErr, OpenRefused(bytes, "newer version"));
}

TEST_F(DamagedDocumentTest, FileThatIsNoDocumentChangesNothing) {
  EXPECT_NE(noErr, OpenRefused(std::string(5000, '\xff'), "all ones"));
  EXPECT_NE(noErr, OpenRefused(std::string(5000, '\0'), "all zeros"));
}

}  // namespace
}  // namespace doc_test
