// Insert rack states in the song stream: the block and the blocks its records name written
// and read back in step with what follows, older forms brought to the current one, and
// damaged states refused without reading past their end or freeing what they do not own.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/file_access.h"
#include "shell/base/iteration_abort.h"
#include "song/documents/document_input.h"
#include "song/instruments/insert_rack_state.h"
#include "song/instruments/plugin_records.h"
#include "tests/song/documents/stream_fixture.h"

namespace doc_test {
namespace {

std::string U32(uint32_t v) {
  std::string s(4, '\0');
  PutU32(&s, 0, v);
  return s;
}

std::string Sized(const std::string& block) { return U32(uint32_t(block.size())) + block; }

// A record of `fixed` bytes before its p values and s state bytes, each byte of the
// variable part numbered so that a shifted copy shows.
std::string Record(int32_t fixed, uint32_t id, uint32_t p, uint32_t s) {
  std::string r(size_t(fixed) + 4 * p + s, '\0');
  PutU32(&r, kRackPluginId, id);
  PutU32(&r, kRackPluginParameters, p);
  PutU32(&r, kRackPluginStateLength, s);
  for (size_t i = size_t(fixed); i < r.size(); ++i) r[i] = char(i * 7 + id);
  return r;
}

std::string Header(int32_t bytes, uint32_t count, uint32_t version) {
  std::string h(size_t(bytes), '\0');
  PutU32(&h, kRackStateCount, count);
  PutU32(&h, kRackStateVersionAt, version);
  return h;
}

const uint8_t* At(Handle h, int32_t offset) { return reinterpret_cast<const uint8_t*>(*h) + offset; }

std::string BlockText(uint32_t id) {
  Handle h(id);
  if (!h || !IsValidHandle(h)) return "<none>";
  return std::string(*h, size_t(GetHandleSize(h)));
}

class RackStateIoTest : public StreamTest {
 protected:
  void SetUp() override {
    StreamTest::SetUp();
    gIterationAbort = 0;
  }
  void TearDown() override {
    gIterationAbort = 0;
    StreamTest::TearDown();
  }
};

// Records without a sound bank or a preset record write no block for them: the reader takes
// a block only for a non-zero word, so anything else would put the rest of the song out of
// step.
TEST_F(RackStateIoTest, StateWithMissingBlocksRoundTripsAndTheStreamStaysInStep) {
  std::string bytes = Header(kRackStateHeaderBytes, 2, 0) + Record(108, 1, 2, 5) + Record(108, 2, 3, 0);
  Handle state = NewHandle(Size(bytes.size()));
  std::memcpy(*state, bytes.data(), bytes.size());
  int32_t second = GetRackStateRecord(state, 1);
  ASSERT_GT(second, 0);
  Handle alias = NewHandle(3), preset = NewHandleClear(kRackPresetRecordBytes);
  std::memcpy(*alias, "ali", 3);
  std::memcpy(*preset, "preset", 6);
  WriteU32BE(reinterpret_cast<uint8_t*>(*state) + kRackStateHeaderBytes + kRackPluginAlias, alias.id);
  WriteU32BE(reinterpret_cast<uint8_t*>(*state) + second + kRackPluginPresetRecord, preset.id);

  BeginOutput();
  ASSERT_EQ(noErr, WriteInsertRackState(state));
  ASSERT_EQ(noErr, WriteBlock("\xCA\xFE\xBA\xBE", 4));
  CloseStreamFile();
  std::string file = ReadFile("stream");
  BeginInput(file);
  Handle read;
  ASSERT_EQ(noErr, ReadInsertRackState(&read));
  uint32_t after = 0;
  ASSERT_EQ(noErr, ReadDocumentU32(&after));
  EXPECT_EQ(0xCAFEBABEu, after) << "the next section of the song starts where it should";
  ASSERT_TRUE(read);
  ASSERT_EQ(GetHandleSize(state), GetHandleSize(read));
  EXPECT_EQ(kRackStateVersion, ReadU32BE(At(read, kRackStateVersionAt)));
  EXPECT_EQ("ali", BlockText(ReadU32BE(At(read, kRackStateHeaderBytes + kRackPluginAlias))));
  EXPECT_EQ(0u, ReadU32BE(At(read, kRackStateHeaderBytes + kRackPluginBankAlias)));
  EXPECT_EQ(0u, ReadU32BE(At(read, kRackStateHeaderBytes + kRackPluginPresetRecord)));
  EXPECT_EQ(kRackPresetRecordBytes, Size(BlockText(ReadU32BE(At(read, second + kRackPluginPresetRecord))).size()));
  EXPECT_EQ(0, std::memcmp(At(read, second + kRackPluginValues), At(state, second + kRackPluginValues), 12))
      << "parameter values come back bit for bit";
  DisposeInsertRackState(&read);
  DisposeInsertRackState(&state);
  EXPECT_FALSE(IsValidHandle(alias));
  EXPECT_FALSE(IsValidHandle(preset));
}

// Older forms: below 2 every record gains 64 zero bytes at 44 and its channel mask reads -1
// (below 1 also its message mask, with the 16 filter bytes open); below 3 the 70-byte header
// gains 96 bytes and one output bus from its three old routing bytes; below 4 the two file
// references move from 12 and 36 to 84 and 92, and their blocks are read.
TEST_F(RackStateIoTest, OlderFormsAreBroughtToTheCurrentOne) {
  struct Row {
    uint32_t version;
    int16_t wantKinds;
    int16_t wantChannels;
    bool filterOpen;
  } rows[] = {{0, -1, -1, true}, {1, 0x0102, -1, false}, {2, 0x0102, 0x0304, false}, {3, 0x0102, 0x0304, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.version);
    bool oldHeader = row.version < 3;
    int32_t fixed = row.version < 2 ? 44 : 108;
    std::string header = Header(oldHeader ? kRackStateOldHeaderBytes : kRackStateHeaderBytes, 2, row.version);
    header[36] = 11, header[37] = 2, header[38] = 5;
    std::string first = Record(fixed, 1, 2, 3), second = Record(fixed, 2, 1, 0);
    for (std::string* r : {&first, &second}) {
      PutU16(r, kRackPluginMidiKinds, 0x0102);
      PutU16(r, kRackPluginMidiChannels, 0x0304);
    }
    PutU32(&first, kRackPluginOldAlias, 1);
    PutU32(&second, kRackPluginOldBankAlias, 1);
    BeginInput(Sized(header + first + second) + Sized("plug") + Sized("bank") + U32(0x5EC7104E));
    Handle state;
    ASSERT_EQ(noErr, ReadInsertRackState(&state));
    uint32_t after = 0;
    EXPECT_EQ(noErr, ReadDocumentU32(&after));
    EXPECT_EQ(0x5EC7104Eu, after);
    ASSERT_EQ(2, CountRackStateRecords(state));
    EXPECT_EQ(kRackStateVersion, ReadU32BE(At(state, kRackStateVersionAt)));
    if (oldHeader) {
      EXPECT_EQ(1, *At(state, kRackStateBusCount));
      EXPECT_EQ(1u, ReadU32BE(At(state, kRackStateOutputConfig)));
      EXPECT_EQ(11, *At(state, kRackStateRoutingFirst));
      EXPECT_EQ(2, *At(state, kRackStateRoutingSecond));
      EXPECT_EQ(5, *At(state, kRackStateRoutingThird));
    }
    int32_t r0 = GetRackStateRecord(state, 0), r1 = GetRackStateRecord(state, 1);
    EXPECT_EQ(kRackStateHeaderBytes, r0);
    EXPECT_EQ(r0 + 108 + 8 + 3, r1);
    EXPECT_EQ(0, std::memcmp(At(state, r0 + 108), first.data() + fixed, 11)) << "values and state keep their bytes";
    for (int32_t r : {r0, r1}) {
      EXPECT_EQ(row.wantKinds, ReadI16BE(At(state, r + kRackPluginMidiKinds)));
      EXPECT_EQ(row.wantChannels, ReadI16BE(At(state, r + kRackPluginMidiChannels)));
      EXPECT_EQ(row.filterOpen ? 0xFF : 0, *At(state, r + kRackPluginMidiFilter + 15));
      EXPECT_EQ(0u, ReadU32BE(At(state, r + kRackPluginOldAlias)));
      EXPECT_EQ(0u, ReadU32BE(At(state, r + kRackPluginOldBankAlias)));
    }
    EXPECT_EQ("plug", BlockText(ReadU32BE(At(state, r0 + kRackPluginAlias))));
    EXPECT_EQ("bank", BlockText(ReadU32BE(At(state, r1 + kRackPluginBankAlias))));
    DisposeInsertRackState(&state);
    CloseStreamFile();
  }
}

// A damaged state is refused with the damaged-record error, leaves nothing allocated and
// stops the reading of the song; nothing is read past the block's end.
TEST_F(RackStateIoTest, DamagedStatesAreRefused) {
  struct Row {
    const char* what;
    std::string block;
  } rows[] = {
      {"more plug-ins than records", Header(kRackStateHeaderBytes, 3, 4) + Record(108, 1, 1, 1) + Record(108, 2, 0, 0)},
      {"state bytes past the end", Header(kRackStateHeaderBytes, 1, 4) + Record(108, 1, 2, 0).substr(0, 100) + U32(0)},
      {"a huge parameter count", [] {
         std::string r = Record(108, 1, 0, 0);
         PutU32(&r, kRackPluginParameters, 0x40000001);
         return Header(kRackStateHeaderBytes, 1, 4) + r;
       }()},
      {"an old record past the end", Header(kRackStateOldHeaderBytes, 1, 1) + Record(44, 1, 0, 9).substr(0, 50)},
      {"a later form", Header(kRackStateHeaderBytes, 1, 5) + Record(108, 1, 0, 0)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    uint32_t handles = CountLiveHandles();
    gIterationAbort = 0;
    BeginInput(Sized(row.block) + U32(0));
    Handle state(77);
    EXPECT_EQ(kBadPluginRecordErr, ReadInsertRackState(&state));
    EXPECT_FALSE(state);
    EXPECT_EQ(kBadPluginRecordErr, GetDocumentInputError());
    EXPECT_NE(0, gIterationAbort);
    EXPECT_EQ(handles, CountLiveHandles());
    CloseStreamFile();
  }
}

// The handle words of a record hold the file's values until their blocks are read. A read
// that fails part way must not free a handle of the program whose id a later record's word
// happens to hold.
TEST_F(RackStateIoTest, FailedBlockReadFreesOnlyWhatItRead) {
  Handle bystander = NewHandle(8);
  std::string first = Record(108, 1, 0, 0), second = Record(108, 2, 0, 0);
  PutU32(&first, kRackPluginAlias, 1);
  PutU32(&first, kRackPluginBankAlias, 1);
  PutU32(&second, kRackPluginAlias, bystander.id);
  // The first record's sound-bank block is cut short.
  BeginInput(Sized(Header(kRackStateHeaderBytes, 2, 4) + first + second) + Sized("plug") + U32(40) + "ba");
  uint32_t handles = CountLiveHandles();
  Handle state;
  EXPECT_NE(noErr, ReadInsertRackState(&state));
  EXPECT_FALSE(state);
  EXPECT_TRUE(IsValidHandle(bystander)) << "a word from the file freed a live handle";
  EXPECT_EQ(handles, CountLiveHandles());
  DisposeHandle(bystander);
}

}  // namespace
}  // namespace doc_test
