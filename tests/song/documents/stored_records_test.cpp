// Stored records read from a stream: plug-in records in their old and current forms, event
// lists, conductor maps, pane tables and the further blocks of a track.
#include <cstring>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/file_access.h"
#include "song/conductor/conductor_map.h"
#include "song/documents/document_file.h"
#include "song/documents/document_input.h"
#include "song/documents/track_data_io.h"
#include "song/events/seq_event.h"
#include "song/instruments/plugin_records.h"
#include "song/model/song_bodies.h"
#include "song/model/song_layout.h"
#include "tests/song/documents/stream_fixture.h"

namespace doc_test {
namespace {

class StoredRecordTest : public StreamTest {};

std::string U32(uint32_t v) {
  std::string s(4, '\0');
  PutU32(&s, 0, v);
  return s;
}

TEST_F(StoredRecordTest, SeventyByteRecordIsWidenedWithItsHandleWordsMoved) {
  std::string old(70, '\0');
  for (int i = 4; i < 16; ++i) old[size_t(i)] = char(i);
  PutU16(&old, 16, 0x1122);
  PutU32(&old, 20, 0x33445566);
  PutU32(&old, 40, 1);  // a block follows for the first slot
  BeginInput(U32(70) + old + U32(3) + "abc");
  uint8_t slot[8] = {0};
  ASSERT_EQ(noErr, ReadPluginRecord(slot, true, 0));
  Handle record(ReadU32BE(slot));
  ASSERT_EQ(kPluginRecordBytes, GetHandleSize(record));
  uint8_t* p = reinterpret_cast<uint8_t*>(*record);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(i + 4, p[70 + i]);
  EXPECT_EQ(0x1122, ReadU16BE(p + 82));
  EXPECT_EQ(0x33445566u, ReadU32BE(p + 86));
  EXPECT_EQ(0u, ReadU32BE(p + 40)) << "the old places are cleared";
  Handle first(ReadU32BE(p + 110));
  ASSERT_TRUE(IsValidHandle(first));
  EXPECT_EQ(0, std::memcmp(*first, "abc", 3));
  EXPECT_EQ(kDefaultPluginRate, ReadF32BE(p + kPluginRecordRate)) << "a record without a rate";
  DisposePluginRecord(record);
}

// An instrument's rate pair: the float +32 and the 16.16 fixed-point +82. A missing fixed rate
// comes from the float; files up to 1343 take the float from the fixed rate. Track records
// (other kinds) keep other fields at +82.
TEST_F(StoredRecordTest, InstrumentRatePairIsCompletedAndOldFilesTakeTheFixedRate) {
  struct Row {
    int32_t kind;
    uint16_t version;
    float rate;
    uint32_t fixed;
    float wantRate;
    uint32_t wantFixed;
  } rows[] = {
      {1, 1400, 48000.0f, 0, 48000.0f, 48000u * 65536u},
      {1, 1343, 44100.0f, 22050u * 65536u, 22050.0f, 22050u * 65536u},
      {1, 1344, 48000.0f, 22050u * 65536u, 48000.0f, 22050u * 65536u},
      {1, 1040, 32000.5f, 0, 32000.5f, 2097184768u},
      {0, 1300, 48000.0f, 0x00050007, 48000.0f, 0x00050007},
  };
  for (const Row& row : rows) {
    Handle record = NewHandleClear(kPluginRecordBytes);
    uint8_t* p = reinterpret_cast<uint8_t*>(*record);
    WriteF32BE(p + kPluginRecordRate, row.rate);
    WriteU32BE(p + 82, row.fixed);
    UpgradeInstrumentPluginRecord(record, row.kind, row.version);
    EXPECT_EQ(row.wantRate, ReadF32BE(p + kPluginRecordRate)) << row.version << " kind " << row.kind;
    EXPECT_EQ(row.wantFixed, ReadU32BE(p + 82)) << row.version << " kind " << row.kind;
    DisposeHandle(record);
  }
}

TEST_F(StoredRecordTest, RecordOfAnUnknownSizeIsRefused) {
  uint32_t handles = CountLiveHandles();
  BeginInput(U32(100) + std::string(100, '\x01'));
  uint8_t slot[8] = {9, 9, 9, 9, 9, 9, 9, 9};
  EXPECT_EQ(kBadPluginRecordErr, ReadPluginRecord(slot, true, 1));
  EXPECT_EQ(0u, ReadU32BE(slot));
  EXPECT_EQ(handles, CountLiveHandles());
}

TEST_F(StoredRecordTest, RecordTailKeepsOneEndRecord) {
  std::string record(kPluginRecordBytes, '\0');
  PutU32(&record, kPluginRecordTail, 1);
  std::string tail(48, '\0');
  tail[12] = 1;  // in use; the two records after it are not
  BeginInput(U32(kPluginRecordBytes) + record + U32(48) + tail);
  uint8_t slot[8] = {0};
  ASSERT_EQ(noErr, ReadPluginRecord(slot, true, 0));
  Handle r(ReadU32BE(slot));
  Handle t(ReadU32BE(*r + kPluginRecordTail));
  ASSERT_EQ(32, GetHandleSize(t));
  EXPECT_EQ(0xFFFFFFFFu, ReadU32BE(*t + 16));
  DisposePluginRecord(r);
}

TEST_F(StoredRecordTest, EventListsGetTheirEndRecordOrAreRefused) {
  std::vector<uint8_t> bytes(kLongEventSize + kShortEventSize);
  FillLongEvent(bytes.data(), 5, 0x90, 60, 100, 10);
  FillShortEvent(bytes.data() + kLongEventSize, 9, 0xB0, 7, 100);
  Handle list = NewHandle(Size(bytes.size()));
  std::memcpy(*list, bytes.data(), bytes.size());
  ASSERT_EQ(noErr, CheckStoredEventList(list));
  ASSERT_EQ(Size(bytes.size() + kEndRecordSize), GetHandleSize(list));
  EXPECT_EQ(0u, SeqEventTime(reinterpret_cast<uint8_t*>(*list) + bytes.size()));
  ASSERT_EQ(noErr, CheckStoredEventList(list)) << "a closed list stays as it is";
  EXPECT_EQ(Size(bytes.size() + kEndRecordSize), GetHandleSize(list));
  DisposeHandle(list);

  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"a record of no known length", {0, 0, 0, 1, 0, 0x00, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"a variable record longer than the list", [] {
         std::vector<uint8_t> v(24 + kEndRecordSize, 0);
         FillVariableEvent(v.data(), 3, 24);
         WriteU32BE(v.data() + kEventVariableLength, 400);
         return v;
       }()},
      {"an end record cut short", {0, 0, 0, 0, 0, 0}},
      {"a record cut short", {0, 0, 0, 1, 0, 0x90, 60}},
  };
  for (const Case& c : cases) {
    Handle h = NewHandle(Size(c.bytes.size()));
    std::memcpy(*h, c.bytes.data(), c.bytes.size());
    EXPECT_EQ(kDocumentDamagedErr, CheckStoredEventList(h)) << c.what;
    DisposeHandle(h);
  }
}

TEST_F(StoredRecordTest, ConductorMapStopsAtItsFirstEndRecord) {
  uint8_t records[40];
  MakeConductorRecord(records, kConductorTempo, 0, 10, 1200, 0);
  MakeConductorRecord(records + 10, kConductorKey, 0, 20, 0x0300, 0);
  MakeConductorRecord(records + 20, kConductorEnd, 0, 30, 0, 0);
  MakeConductorRecord(records + 30, kConductorTempo, 0, 40, 900, 0);
  BeginInput(U32(40) + std::string(reinterpret_cast<char*>(records), 40));
  std::vector<uint8_t> song(kSongHeaderSize, 0);
  ASSERT_EQ(noErr, ReadStoredConductorMap(song.data()));
  EXPECT_EQ(20u, ReadU32BE(song.data() + kSongConductorLength));
  Handle map(ReadU32BE(song.data() + kSongConductorMap));
  ASSERT_TRUE(IsValidHandle(map));
  EXPECT_GE(GetHandleSize(map), 200);
  EXPECT_EQ(kConductorEnd, (*map)[20]);
  EXPECT_EQ(kConductorEndTick, ReadI32BE(*map + 22));
  DisposeHandle(map);
}

TEST_F(StoredRecordTest, OldPaneTableIsWidenedTwice) {
  Handle table = NewHandleClear(8 * 16);
  for (int i = 0; i < 8; ++i) {
    (*table)[i * 16] = char(i + 1);
    (*table)[i * 16 + 2] = char(0x55);
    (*table)[i * 16 + 15] = char(i == 3 ? 200 : 10 + i);
  }
  ASSERT_EQ(noErr, WidenPaneTable(table));
  ASSERT_EQ(kSongPaneTableSize, GetHandleSize(table));
  uint8_t* p = reinterpret_cast<uint8_t*>(*table);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(i + 1, p[i * kPaneSize]) << i;
    EXPECT_EQ(0u, ReadU32BE(p + i * kPaneSize + 2)) << "the word at +2 is cleared";
    if (i == 3) {
      EXPECT_EQ(200, p[i * kPaneSize + 15]) << "a byte of 128 or more stays";
    } else {
      EXPECT_EQ(255, p[i * kPaneSize + 15]);
      EXPECT_EQ(10 + i, ReadI16BE(p + i * kPaneSize + 22));
    }
  }
  for (int i = 8; i < kPaneCount; ++i) EXPECT_EQ(255, p[i * kPaneSize + 15]) << "a missing pane";
  DisposeHandle(table);
}

TEST_F(StoredRecordTest, TrackBlocksAreReadBehindTheirPresenceWords) {
  std::vector<uint8_t> entry(kTrackEntrySize, 0);
  WriteU16BE(entry.data(), kTrackEntrySize);
  WriteU32BE(entry.data() + kTrackExtraBlock, 0x12345678);   // stale id from the writer
  WriteU32BE(entry.data() + kTrackDrumData + 4, 0x1);        // the alternate word counts
  WriteU32BE(entry.data() + kTrackFirstEventOffset, 0x999);  // run-time offset
  TrackPresence presence;
  TakeTrackPresence(entry.data(), true, &presence);
  EXPECT_TRUE(presence.extra);
  EXPECT_TRUE(presence.drums);
  EXPECT_FALSE(presence.sections);
  EXPECT_EQ(0u, ReadU32BE(entry.data() + kTrackExtraBlock)) << "no file word stays in a handle field";
  EXPECT_EQ(0u, ReadU32BE(entry.data() + kTrackFirstEventOffset));
  BeginInput(U32(2) + "dd" + U32(9) + std::string(8, '\0') + "x");
  ASSERT_EQ(noErr, ReadTrackData(entry.data(), presence));
  Handle extra(ReadU32BE(entry.data() + kTrackExtraBlock));
  ASSERT_EQ(5, GetHandleSize(extra)) << "a block that begins with two zero words loses one";
  DisposeStoredTrackHandles(entry.data());
}

// A long list is read and checked in pieces: records that straddle a piece's end, damage far
// behind the first piece and an end record in the middle are judged as in one walk.
TEST_F(StoredRecordTest, LongEventListsAreCheckedAsTheyAreRead) {
  constexpr size_t kRecords = 40000;  // about 440 KB: several pieces
  constexpr uint32_t kVariableSize = 300;
  std::vector<uint8_t> list;
  std::vector<size_t> starts;
  for (size_t i = 0; i < kRecords; ++i) {
    size_t at = list.size();
    starts.push_back(at);
    uint32_t time = uint32_t(1 + i);
    bool variable = i % 997 == 0;
    list.resize(at + (variable ? kVariableSize : i % 3 == 0 ? kShortEventSize : kLongEventSize));
    if (variable) FillVariableEvent(&list[at], time, kVariableSize);
    else if (i % 3 == 0) FillShortEvent(&list[at], time, 0xB0, 7, 1);
    else FillLongEvent(&list[at], time, 0x90, 60, 100, 10);
  }
  std::vector<uint8_t> closed = list;
  closed.resize(closed.size() + kEndRecordSize, 0);
  size_t far = starts[kRecords * 3 / 4];  // well behind the first piece
  size_t farVariable = starts[997 * 30];
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    OSErr check;
  } cases[] = {
      {"a closed list", closed, noErr},
      {"records that fill the list", list, kEventListOpen},
      {"a record of no known kind far in", [&] { auto v = closed; v[far + kEventStatus] = 0x05; return v; }(),
       kDocumentDamagedErr},
      {"a variable record longer than the list", [&] {
         auto v = closed;
         WriteU32BE(&v[farVariable + kEventVariableLength], uint32_t(v.size()));
         return v;
       }(), kDocumentDamagedErr},
      {"an end record in the middle", [&] { auto v = closed; WriteU32BE(&v[far], 0); v[far + 20] = 0xFF; return v; }(),
       noErr},
      {"the last record cut short", std::vector<uint8_t>(list.begin(), list.end() - 3), kDocumentDamagedErr},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> entry(kTrackEntrySize, 0);
    WriteU16BE(entry.data(), kTrackEntrySize);
    WriteU32BE(entry.data() + kTrackEventBytes, uint32_t(c.bytes.size()));
    TrackPresence presence;
    TakeTrackPresence(entry.data(), true, &presence);
    BeginInput(std::string(c.bytes.begin(), c.bytes.end()));
    OSErr check = 1234;
    ASSERT_EQ(noErr, ReadTrackData(entry.data(), presence, &check)) << c.what;
    EXPECT_EQ(c.check, check) << c.what;
    Handle events(ReadU32BE(entry.data() + kTrackEventList));
    OSErr whole = c.check == kDocumentDamagedErr ? OSErr(kDocumentDamagedErr) : OSErr(noErr);
    EXPECT_EQ(whole, CheckStoredEventList(events))
        << c.what << ": the whole-list check agrees";
    DisposeStoredTrackHandles(entry.data());
    FSClose(fork_);
    fork_ = 0;
  }
}

}  // namespace
}  // namespace doc_test
