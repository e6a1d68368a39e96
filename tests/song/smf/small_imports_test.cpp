// The small importers: system-exclusive dumps, name lists (with the old event form), lyrics
// and drum maps.
#include <cstring>

#include "platform/files/sidecars.h"
#include "platform/memory/byte_order.h"
#include "shell/base/memory_reserve.h"
#include "song/conductor/markers.h"
#include "song/documents/import_files.h"
#include "song/documents/lyrics_files.h"
#include "song/documents/sysex_dumps.h"
#include "song/events/data_events.h"
#include "song/events/old_event_lists.h"
#include "song/instruments/name_lists.h"
#include "song/prefs/drum_map_files.h"
#include "song/undo/undo_exchange.h"
#include "song/undo/undo_ring.h"
#include "tests/platform/files/files_test_support.h"
#include "tests/song/smf/smf_fixture.h"

namespace {

class SmallImportTest : public SmfTest {
 protected:
  FSSpec FileSpecNamed(const std::string& name, const Bytes& bytes, OSType type = 0) {
    FSSpec fileSpec;
    EXPECT_EQ(noErr, PathToSpec(WriteFile(name, bytes), &fileSpec));
    if (type) files_test::SetFileType(fileSpec, type);
    return fileSpec;
  }
  std::vector<std::pair<uint32_t, Bytes>> DataEvents() {
    std::vector<std::pair<uint32_t, Bytes>> out;
    for (const SeenEvent& e : Events(0))
      if (e.status == kKindVariable) out.push_back({e.tick, e.data});
    return out;
  }
};

Bytes Sized(const Bytes& block) {
  uint32_t n = uint32_t(block.size());
  Bytes out{uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)};
  Append(&out, block);
  return out;
}

TEST_F(SmallImportTest, SysExDumpMessagesBecomeDataEventsASixteenthApart) {
  Bytes dump = {0x01, 0x02};  // bytes outside messages are ignored
  Append(&dump, {0xF0, 0x41, 0x10, 0xF7});
  Bytes second{0xF0};
  while (dump.size() + second.size() < 140) second.push_back(uint8_t(second.size() & 0x7F));
  second.push_back(0xF7);  // runs across the first 128-byte block
  Append(&dump, second);
  Append(&dump, {0xF0, 0x7E, 0x00, 0xF0, 0x7E, 0x01, 0xF7});  // the first F0 is dropped
  FSSpec fileSpec = FileSpecNamed("dump.syx", dump);
  SysExDumpResult result;
  ASSERT_EQ(noErr, ImportSysExDump(&fileSpec, 961, &result));
  EXPECT_EQ(3, result.messages);
  EXPECT_EQ(961u + 3 * 120, result.nextTick);
  std::vector<std::pair<uint32_t, Bytes>> events = DataEvents();
  ASSERT_EQ(3u, events.size());
  EXPECT_EQ(961u, events[0].first);
  EXPECT_EQ((Bytes{0x41, 0x10, 0xF7}), events[0].second);
  EXPECT_EQ(1081u, events[1].first);
  EXPECT_EQ(Bytes(second.begin() + 1, second.end()), events[1].second);
  EXPECT_EQ(1201u, events[2].first);
  EXPECT_EQ((Bytes{0x7E, 0x01, 0xF7}), events[2].second);
  EXPECT_EQ(1, gSongModified);
}

// A dump whose file ends inside a message keeps every complete message before it, across the
// 128-byte blocks, and says that it was cut.
TEST_F(SmallImportTest, ADumpCutShortKeepsItsCompleteMessages) {
  Bytes dump = {0xF0, 0x01, 0xF7};
  Bytes second{0xF0};
  while (second.size() < 150) second.push_back(uint8_t(second.size() & 0x7F));
  second.push_back(0xF7);
  Append(&dump, second);
  Append(&dump, {0xF0, 0x02, 0x03});  // the file ends here
  FSSpec fileSpec = FileSpecNamed("cut.syx", dump);
  SysExDumpResult result;
  ASSERT_EQ(noErr, ImportSysExDump(&fileSpec, 1, &result));
  EXPECT_TRUE(result.cutShort);
  EXPECT_EQ(2, result.messages);
  std::vector<std::pair<uint32_t, Bytes>> events = DataEvents();
  ASSERT_EQ(2u, events.size());
  EXPECT_EQ((Bytes{0x01, 0xF7}), events[0].second);
  EXPECT_EQ(Bytes(second.begin() + 1, second.end()), events[1].second);
  Handle messages = nullptr;
  std::vector<uint32_t> lengths;
  bool cutShort = false;
  ASSERT_EQ(noErr, CollectSysExMessages(dump.data(), uint32_t(dump.size()), &messages, &lengths, &cutShort));
  EXPECT_TRUE(cutShort);
  EXPECT_EQ((std::vector<uint32_t>{3, uint32_t(second.size())}), lengths);
  EXPECT_EQ(Size(3 + second.size()), GetHandleSize(messages));
  DisposeHandle(messages);
}

TEST_F(SmallImportTest, DumpMessagesGoBehindTheEventsOfTheirTick) {
  // One track: notes at ticks 1, 121, 181, 241 and 1000 (deltas between the note-ons).
  Bytes events;
  uint32_t last = 0;
  for (uint32_t t : {0u, 120u, 180u, 240u, 999u}) {
    Append(&events, Vlq(t - last));
    Append(&events, {0x90, 60, 100});
    Append(&events, {0x00, 0x80, 60, 0});
    last = t;
  }
  ASSERT_EQ(noErr, Import(File({Header(0, 1, 480), Chunk("MTrk", events)})));
  FSSpec fileSpec = FileSpecNamed("dump.syx", {0xF0, 0x01, 0xF7, 0xF0, 0x02, 0xF7, 0xF0, 0x03, 0xF7});
  SysExDumpResult result;
  ASSERT_EQ(noErr, ImportSysExDump(&fileSpec, 1, &result));
  std::vector<std::pair<uint32_t, uint8_t>> seen;
  for (const SeenEvent& e : Events(0)) seen.push_back({e.tick, uint8_t(e.status & 0xF0)});
  std::vector<std::pair<uint32_t, uint8_t>> expected{
      {1, 0x90},   {1, kKindVariable},   {121, 0x90}, {121, kKindVariable}, {181, 0x90},
      {241, 0x90}, {241, kKindVariable}, {1000, 0x90}};
  EXPECT_EQ(expected, seen);
  std::vector<std::pair<uint32_t, Bytes>> data = DataEvents();
  ASSERT_EQ(3u, data.size());
  EXPECT_EQ((Bytes{0x03, 0xF7}), data[2].second);
}

TEST_F(SmallImportTest, DamagedDumpsInsertNothing) {
  ASSERT_EQ(noErr, ImportFixture("running_status.mid"));
  std::string before = SongTableSnapshot();
  uint32_t handles = CountLiveHandles();
  struct Case {
    const char* what;
    Bytes bytes;
    OSErr err;
  } cases[] = {
      {"empty", {}, kSysExNoMessageErr},
      {"no message", {0x90, 0x40, 0x40, 0x01}, kSysExNoMessageErr},
      {"interrupted only", {0xF0, 0x01, 0x90, 0x02, 0xF7}, kSysExNoMessageErr},
      {"cut short before any complete message", {0x05, 0xF0, 0x02, 0x03}, kSysExCutShortErr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FSSpec fileSpec = FileSpecNamed("bad.syx", c.bytes);
    SysExDumpResult result;
    EXPECT_EQ(c.err, ImportSysExDump(&fileSpec, 1, &result));
    EXPECT_EQ(0, result.messages);
    EXPECT_EQ(before, SongTableSnapshot());
    EXPECT_EQ(handles, CountLiveHandles());
  }
  // Too little memory for the events: nothing changes either.
  Bytes big{0xF0};
  big.resize(60000, 0x11);
  big.push_back(0xF7);
  FSSpec fileSpec = FileSpecNamed("big.syx", big);
  uint64_t budget = GetMemoryBudget();
  SetMemoryBudget(GetMemoryInUse() + 100000);
  SysExDumpResult result;
  OSErr err = ImportSysExDump(&fileSpec, 1, &result);
  SetMemoryBudget(budget);
  EXPECT_EQ(memFullErr, err);
  EXPECT_EQ(before, SongTableSnapshot());
  EXPECT_EQ(handles, CountLiveHandles());
}

TEST_F(SmallImportTest, NameListsOfBothForms) {
  Bytes names = {0, 2, 3, 'B', 'a', 's', 4, 'L', 'e', 'a', 'd'};
  Bytes events(28, 0);  // one 14-byte note and the end record
  events[3] = 5;
  events[5] = 0x90;
  events[6] = 60;
  events[7] = 100;
  events[11] = 1;
  events[13] = 96;
  Bytes old(20, 0);  // one 10-byte note of the old form, then its end
  WriteU32BE(&old[0], 7);
  old[5] = 0x91;
  old[6] = 62;
  old[7] = 90;
  WriteU16BE(&old[8], 48);
  Bytes current = {0x03, 0x10};  // version 784
  Append(&current, Sized(names));
  Append(&current, Sized(events));
  Bytes older = {0x02, 0x00};    // version 512: the event block is converted
  Append(&older, Sized(names));
  Append(&older, Sized(old));

  uint32_t handles = CountLiveHandles();
  NameListResult result;
  FSSpec fileSpec = FileSpecNamed("names.mpn", Sized(names), kNameListType);
  ASSERT_EQ(noErr, ImportNameList(&fileSpec, &result));
  EXPECT_EQ(names, Bytes(HandleData(result.names), HandleData(result.names) + GetHandleSize(result.names)));
  EXPECT_FALSE(result.events);
  EXPECT_EQ(std::string("names.mpn"), std::string(reinterpret_cast<char*>(result.fileName + 1), result.fileName[0]));
  DisposeHandle(result.names);

  fileSpec = FileSpecNamed("current.mpn", current, kNameList2Type);
  ASSERT_EQ(noErr, ImportNameList(&fileSpec, &result));
  EXPECT_EQ(784, result.version);
  EXPECT_EQ(events, Bytes(HandleData(result.events), HandleData(result.events) + GetHandleSize(result.events)));
  DisposeHandle(result.names);
  DisposeHandle(result.events);

  fileSpec = FileSpecNamed("older.mpn", older, kNameList2Type);
  ASSERT_EQ(noErr, ImportNameList(&fileSpec, &result));
  ASSERT_EQ(28, GetHandleSize(result.events));
  const uint8_t* e = reinterpret_cast<const uint8_t*>(HandleData(result.events));
  EXPECT_EQ(7u, SeqEventTime(e));
  EXPECT_EQ(0x91, e[kEventStatus]);
  EXPECT_EQ(62, e[kEventData1]);
  EXPECT_EQ(48, GetNoteDuration(e));
  EXPECT_EQ(1, e[kEventKindMarker]);
  DisposeHandle(result.names);
  DisposeHandle(result.events);
  EXPECT_EQ(handles, CountLiveHandles());
}

TEST_F(SmallImportTest, DamagedNameListsGiveAnErrorAndNoHandles) {
  Bytes names = {0, 2, 3, 'B', 'a', 's', 4, 'L', 'e', 'a', 'd'};
  Bytes tooMany = names;
  tooMany[1] = 3;  // a third string that is not there
  Bytes pastEnd = Sized(names);
  pastEnd[3] = 200;
  Bytes badEvents = {0x03, 0x10};  // version 784: the events must be a list as they stand
  Append(&badEvents, Sized(names));
  Append(&badEvents, Sized(Bytes(10, 0x55)));
  Bytes pastEndRecord = {0x03, 0x10};  // bytes after the end record are not the list's
  Append(&pastEndRecord, Sized(names));
  Append(&pastEndRecord, Sized(Bytes(kEndRecordSize + 6, 0)));
  struct Case {
    const char* what;
    Bytes bytes;
    OSType type;
    OSErr err;
  } cases[] = {
      {"count beyond the strings", Sized(tooMany), kNameListType, paramErr},
      {"size beyond the file", pastEnd, kNameListType, eofErr},
      {"no version", {0x03}, kNameList2Type, eofErr},
      {"events not a list", badEvents, kNameList2Type, paramErr},
      {"bytes after the end record", pastEndRecord, kNameList2Type, paramErr},
      {"not a name list", Sized(names), FourCC("TEXT"), unimpErr},
  };
  uint32_t handles = CountLiveHandles();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FSSpec fileSpec = FileSpecNamed("bad.mpn", c.bytes, c.type);
    NameListResult result;
    EXPECT_EQ(c.err, ImportNameList(&fileSpec, &result));
    EXPECT_FALSE(result.names);
    EXPECT_FALSE(result.events);
    EXPECT_EQ(handles, CountLiveHandles());
  }
}

TEST_F(SmallImportTest, BuildNameListFromProcedures) {
  static const char* kNames[] = {"Kick", "Snare"};
  Handle names = BuildNameList([](void*) { return int32_t(2); },
                               [](int32_t i, StringPtr out, void*) {
                                 out[0] = uint8_t(std::strlen(kNames[i]));
                                 std::memcpy(out + 1, kNames[i], out[0]);
                                 return true;
                               },
                               nullptr);
  ASSERT_TRUE(names);
  EXPECT_TRUE(IsValidNameList(names));
  EXPECT_EQ(2 + 5 + 6, GetHandleSize(names));
  DisposeHandle(names);
  uint32_t handles = CountLiveHandles();
  EXPECT_FALSE(BuildNameList([](void*) { return int32_t(2); },
                             [](int32_t i, StringPtr, void*) { return i == 0; }, nullptr));
  EXPECT_EQ(handles, CountLiveHandles());
}

TEST_F(SmallImportTest, LyricWordsKeepOneFollowingBlank) {
  const char text[] = "Hel-lo  world\r\n\tagain";
  std::vector<std::vector<uint8_t>> words;
  SplitLyricWords(reinterpret_cast<const uint8_t*>(text), sizeof text - 1, &words);
  ASSERT_EQ(3u, words.size());
  EXPECT_EQ("Hel-lo ", std::string(words[0].begin(), words[0].end()));
  EXPECT_EQ("world", std::string(words[1].begin(), words[1].end()));
  EXPECT_EQ("again", std::string(words[2].begin(), words[2].end()));

  // A file of more words than lyrics can hold gives the first kMaxLyricWords.
  std::string many;
  for (size_t i = 0; i < kMaxLyricWords + 5; ++i) many += "la ";
  words.clear();
  SplitLyricWords(reinterpret_cast<const uint8_t*>(many.data()), uint32_t(many.size()), &words);
  EXPECT_EQ(kMaxLyricWords, words.size());
}

TEST_F(SmallImportTest, LyricsLandOnTheNotes) {
  // Five notes, a quarter apart from tick 1.
  Bytes events;
  for (int i = 0; i < 5; ++i) Append(&events, {0, 0x90, uint8_t(60 + i), 100, 0x78, 0x80, uint8_t(60 + i), 0});
  ASSERT_EQ(noErr, Import(File({Header(0, 1, 120), Chunk("MTrk", events)})));
  FSSpec fileSpec = FileSpecNamed("words.txt", Bytes{'H', 'e', 'l', '-', 'l', 'o', ' ', ' ', 'w', 'o', 'r', 'l', 'd', '\n', 'e', 'n', 'd'});
  ASSERT_EQ(noErr, ImportLyricsFile(&fileSpec, 1));
  ASSERT_EQ(3, CountMarkers());
  // "Hel-lo " takes two notes, "world" the third, "end" the fourth.
  uint32_t ticks[] = {1, 961, 1441};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(kLyricMarkerKind, MarkerKind(GetMarkerAt(i)));
    EXPECT_EQ(ticks[i], MarkerTick(GetMarkerAt(i)));
  }
  const uint8_t* first = GetMarkerName(GetMarkerAt(0));
  EXPECT_EQ("Hel-lo ", std::string(reinterpret_cast<const char*>(first + 1), first[0]));
}

TEST_F(SmallImportTest, LyricsAreOneUndoStep) {
  ASSERT_EQ(noErr, AllocateUndoRing(kDefaultUndoLevels));
  Bytes events;
  for (int i = 0; i < 3; ++i) Append(&events, {0, 0x90, uint8_t(60 + i), 100, 0x78, 0x80, uint8_t(60 + i), 0});
  ASSERT_EQ(noErr, Import(File({Header(0, 1, 120), Chunk("MTrk", events)})));
  FSSpec fileSpec = FileSpecNamed("words.txt", Bytes{'o', 'n', 'e', ' ', 't', 'w', 'o'});
  ASSERT_EQ(noErr, ImportLyricsFile(&fileSpec, 1));
  ASSERT_EQ(2, CountMarkers());
  ASSERT_TRUE(CanUndo());
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_EQ(0, CountMarkers());
  DisposeUndoRing();
}

TEST_F(SmallImportTest, LyricsNeedATrackWithEvents) {
  FSSpec fileSpec = FileSpecNamed("words.txt", Bytes{'l', 'a'});
  EXPECT_EQ(paramErr, ImportLyricsFile(&fileSpec, 1));
  EXPECT_EQ(0, CountMarkers());
}

TEST_F(SmallImportTest, DrumMapBlock) {
  Bytes block(300, 0x42);
  FSSpec fileSpec = FileSpecNamed("kit.mdrm", Sized(block), kDrumMapType);
  Str63 name;
  OSErr err = noErr;
  Handle map = ImportDrumMapFile(&fileSpec, name, &err);
  ASSERT_EQ(noErr, err);
  ASSERT_TRUE(map);
  EXPECT_EQ(300, GetHandleSize(map));
  EXPECT_EQ(std::string("kit.mdrm"), std::string(reinterpret_cast<char*>(name + 1), name[0]));
  DisposeHandle(map);
  Bytes cut = Sized(block);
  cut.resize(100);
  fileSpec = FileSpecNamed("cut.mdrm", cut, kDrumMapType);
  uint32_t handles = CountLiveHandles();
  EXPECT_FALSE(ImportDrumMapFile(&fileSpec, name, &err));
  EXPECT_EQ(eofErr, err);
  EXPECT_EQ(handles, CountLiveHandles());
}

TEST(OldEventListTest, RecordsAreRewrittenAndUnknownOnesLeftOut) {
  Bytes old(46, 0);
  WriteU32BE(&old[0], 10);   // controller
  old[5] = 0xB2;
  old[6] = 7;
  old[7] = 99;
  WriteU32BE(&old[10], 20);  // a status the current form cannot hold
  old[15] = 0x30;
  WriteU32BE(&old[20], 30);  // note
  old[24] = 0x01;
  old[25] = 0x90;
  old[26] = 64;
  old[27] = 80;
  WriteU16BE(&old[28], 200);
  // +30: the end (time 0); the 6 bytes behind are a cut record and are ignored.
  Handle h;
  ASSERT_EQ(noErr, PtrToHand(old.data(), &h, Size(old.size())));
  OSErr err = noErr;
  Handle converted = ConvertOldEventList(h, &err);
  ASSERT_TRUE(converted);
  ASSERT_EQ(8 + 14 + 14, GetHandleSize(converted));
  const uint8_t* e = reinterpret_cast<const uint8_t*>(HandleData(converted));
  EXPECT_EQ(0xB2, e[kEventStatus]);
  EXPECT_EQ(99, e[kEventData2]);
  EXPECT_EQ(30u, SeqEventTime(e + 8));
  EXPECT_EQ(0x01, e[8 + kEventFlags]);
  EXPECT_EQ(200, GetNoteDuration(e + 8));
  EXPECT_EQ(0u, SeqEventTime(e + 22));
  DisposeHandle(converted);
}

}  // namespace
