// Sorting event lists and the event index.
#include <algorithm>
#include <random>

#include "shell/dialogs/dialog_alerts.h"
#include "song/events/event_index.h"
#include "song/events/event_sort.h"
#include "song/model/songs.h"
#include "tests/song/model/model_fixture.h"

namespace {

struct Seen {
  uint32_t time;
  uint8_t status;
  uint8_t tag;
  bool operator==(const Seen&) const = default;
};

// Each record's time, status and a tag byte that tells equal records apart.
std::vector<Seen> Describe(const std::vector<uint8_t>& list) {
  std::vector<Seen> seen;
  for (size_t at : ForwardStarts(list)) {
    const uint8_t* e = &list[at];
    uint8_t tag = SeqEventKind(e) == kKindVariable ? e[14] : e[kEventData1];
    seen.push_back({SeqEventTime(e), EventStatus(e), tag});
  }
  return seen;
}

std::vector<Seen> StableSorted(std::vector<Seen> seen) {
  std::stable_sort(seen.begin(), seen.end(),
                   [](const Seen& a, const Seen& b) { return a.time < b.time; });
  return seen;
}

// A shuffled mix of every record form with many equal times.
std::vector<Rec> RandomMix(int n, uint32_t seed) {
  std::mt19937 rng(seed);
  const uint8_t kinds[] = {0x90, 0xB0, 0x40, 0x50, 0xF0, 0x10, 0xE0, 0x60, 0xA0, 0x80};
  std::vector<Rec> recs;
  for (int i = 0; i < n; ++i) {
    uint8_t status = kinds[rng() % 10];
    uint32_t time = 1 + rng() % 40;
    uint8_t tag = uint8_t(i);
    if (status == 0x40)
      recs.push_back({'V', time, status, uint32_t(24 + 2 * (rng() % 12)), 0, tag});
    else if (GetEventLengthByKind(status) == 8)
      recs.push_back({'S', time, status, 0, 0, tag});
    else
      recs.push_back({'L', time, status, 0, 3, tag});
  }
  return recs;
}

using EventSortTest = SongModelTest;

TEST_F(EventSortTest, BothPathsGiveTheStableOrder) {
  for (auto sort : {SortEventList, SortEventListInPlace}) {
    for (uint32_t seed : {1u, 2u, 3u}) {
      std::vector<uint8_t> bytes = MakeRecords(RandomMix(200, seed));
      std::vector<Seen> want = StableSorted(Describe(bytes));
      Handle list = SetCurrentTrackEvents(bytes);
      ASSERT_EQ(noErr, sort(list));
      std::vector<uint8_t> after = HandleBytes(list);
      EXPECT_EQ(want, Describe(after)) << "seed " << seed;
      EXPECT_EQ(bytes.size(), after.size());
      EXPECT_EQ(std::vector<uint8_t>(kEndRecordSize, 0),
                std::vector<uint8_t>(after.end() - kEndRecordSize, after.end()));
    }
  }
}

TEST_F(EventSortTest, SmallCases) {
  struct Case {
    const char* name;
    std::vector<Rec> recs;
    std::vector<uint32_t> times;
    std::vector<uint8_t> tags;
  } cases[] = {
      {"short record after a later long one", {{'L', 60, 0x90, 0, 1, 1}, {'S', 50, 0xB0, 0, 0, 2}},
       {50, 60}, {2, 1}},
      {"equal times keep their order",
       {{'S', 5, 0xB0, 0, 0, 1}, {'L', 5, 0x90, 0, 1, 2}, {'S', 5, 0xF0, 0, 0, 3}},
       {5, 5, 5}, {1, 2, 3}},
      {"short 0xF0 records in front", {{'L', 9, 0x90, 0, 1, 1}, {'S', 8, 0xF0, 0, 0, 2},
                                       {'S', 7, 0xF0, 0, 0, 3}, {'S', 1, 0xF8, 0, 0, 4}},
       {1, 7, 8, 9}, {4, 3, 2, 1}},
      {"variable records move whole", {{'V', 30, 0x40, 38, 0, 1}, {'V', 20, 0x40, 24, 0, 2},
                                       {'S', 10, 0xB0, 0, 0, 3}},
       {10, 20, 30}, {3, 2, 1}},
  };
  for (auto sort : {SortEventList, SortEventListInPlace}) {
    for (const Case& c : cases) {
      Handle list = SetCurrentTrackEvents(MakeRecords(c.recs));
      ASSERT_EQ(noErr, sort(list)) << c.name;
      std::vector<Seen> seen = Describe(HandleBytes(list));
      ASSERT_EQ(c.times.size(), seen.size()) << c.name;
      for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(c.times[i], seen[i].time) << c.name;
        EXPECT_EQ(c.tags[i], seen[i].tag) << c.name;
      }
    }
  }
}

// Records whose marker three bytes before their end disagrees with their status are still
// whole records to the forward walk; both paths must sort them and never split one.
TEST_F(EventSortTest, RecordsWithMisleadingEndMarkersAreSortedWhole) {
  const std::vector<Rec> recs = {{'S', 50, 0xB0, 0, 0, 1}, {'L', 40, 0x10, 0, 0, 2},
                                 {'V', 30, 0x40, 24, 0, 3}, {'S', 20, 0xF0, 0, 0, 4},
                                 {'L', 10, 0x90, 0, 5, 5},  {'S', 5, 0xA0, 0, 0, 6}};
  constexpr size_t kLongAt = 8, kVariableAt = 22, kNoteAt = 54;
  struct Case {
    const char* name;
    size_t at;
    size_t byte;
    uint8_t value;
  } cases[] = {
      {"14-byte record without its marker", kLongAt, kEventKindMarker, 0x00},
      {"14-byte record marked as variable", kLongAt, kEventKindMarker, kVariableMarker},
      {"14-byte record marked as short", kNoteAt, kEventKindMarker, 0xB0},
      {"variable record with a trailer beyond the list", kVariableAt, 24 - 8, 0x7F},
  };
  for (auto sort : {SortEventList, SortEventListInPlace}) {
    for (const Case& c : cases) {
      std::vector<uint8_t> bytes = MakeRecords(recs);
      bytes[c.at + c.byte] = c.value;
      std::vector<Seen> want = StableSorted(Describe(bytes));
      ASSERT_EQ(recs.size(), want.size()) << c.name;
      Handle list = SetCurrentTrackEvents(bytes);
      ASSERT_EQ(noErr, sort(list)) << c.name;
      std::vector<uint8_t> after = HandleBytes(list);
      EXPECT_EQ(want, Describe(after)) << c.name;
      EXPECT_EQ(bytes.size(), after.size()) << c.name;
    }
  }
}

TEST_F(EventSortTest, ShortListsAreLeftAlone) {
  ASSERT_EQ(noErr, EnsureTrackEventList());
  Handle list = GetCurrentTrackEventList();
  std::vector<uint8_t> before = HandleBytes(list);
  before[3] = 9;  // not a valid end record, but the sort must not look at it
  std::memcpy(HandleData(list), before.data(), before.size());
  ASSERT_EQ(noErr, SortEventList(list));
  EXPECT_EQ(before, HandleBytes(list));
}

TEST_F(EventSortTest, DamagedTailStaysWhereItIs) {
  std::vector<uint8_t> bytes =
      MakeRecords({{'S', 30, 0xB0, 0, 0, 1}, {'S', 10, 0xB0, 0, 0, 2}, {'S', 5, 0xB0, 0, 0, 3}});
  bytes[16 + kEventStatus] = 0x00;  // the third record is damaged
  Handle list = SetCurrentTrackEvents(bytes);
  ASSERT_EQ(noErr, SortEventList(list));
  std::vector<uint8_t> after = HandleBytes(list);
  EXPECT_EQ(10u, SeqEventTime(&after[0]));
  EXPECT_EQ(30u, SeqEventTime(&after[8]));
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 16, bytes.end()),
            std::vector<uint8_t>(after.begin() + 16, after.end()));
}

TEST_F(EventSortTest, SortTrackEventsAfterInsertsLeavesTheListSorted) {
  std::mt19937 rng(7);
  std::vector<uint8_t> records;
  for (int i = 0; i < 300; ++i) {
    size_t at = records.size();
    records.resize(at + kShortEventSize);
    FillShortEvent(&records[at], 1 + rng() % 1000, 0xB0, uint8_t(i), 0);
  }
  ASSERT_EQ(noErr, AppendEventRecords(records.data(), int32_t(records.size())));
  ASSERT_EQ(noErr, InsertShortEvent(0, 500, 0xC0, 1, 0));
  ASSERT_EQ(noErr, SortTrackEvents());
  std::vector<uint8_t> list = HandleBytes(GetCurrentTrackEventList());
  std::vector<Seen> seen = Describe(list);
  ASSERT_EQ(301u, seen.size());
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end(),
                             [](const Seen& a, const Seen& b) { return a.time < b.time; }));
}

// --- the event index ---------------------------------------------------------------------

struct IndexEntry {
  uint32_t start, end;
  uint16_t cls;
  bool operator==(const IndexEntry&) const = default;
};

std::vector<IndexEntry> ReadIndex() {
  Handle index = gEventIndexes[GetCurrentTrackIndex()];
  std::vector<IndexEntry> entries;
  if (!index) return entries;
  const uint8_t* p = reinterpret_cast<const uint8_t*>(HandleData(index));
  uint32_t bytes = ReadU32BE(p);
  EXPECT_EQ(Size(bytes + kEventIndexHeader), GetHandleSize(index));
  for (uint32_t at = 0; at < bytes; at += kEventIndexEntry) {
    const uint8_t* e = p + kEventIndexHeader + at;
    entries.push_back({ReadU32BE(e), ReadU32BE(e + 4), ReadU16BE(e + 8)});
  }
  return entries;
}

using EventIndexTest = SongModelTest;

TEST_F(EventIndexTest, EveryDefinedKindIsIndexedWithoutCuttingTheList) {
  std::vector<uint8_t> bytes =
      MakeRecords({{'L', 10, 0x90, 0, 20}, {'L', 100, 0x10}, {'S', 200, 0xF0}, {'L', 300, 0x60},
                   {'V', 400, 0x40, 24}, {'L', 500, 0x70}, {'S', 600, 0xB0}});
  Handle list = SetCurrentTrackEvents(bytes);
  int32_t alerts = CountAlertsShown();
  ASSERT_EQ(noErr, BuildTrackEventIndex());
  EXPECT_EQ(alerts, CountAlertsShown());
  EXPECT_EQ(bytes, HandleBytes(list));
  std::vector<IndexEntry> want = {{10, 30, 0},   {100, 102, 3}, {200, 202, 3}, {300, 302, 3},
                                  {400, 402, 2}, {500, 502, 3}, {600, 602, 3}};
  EXPECT_EQ(want, ReadIndex());
}

TEST_F(EventIndexTest, OverlappingEventsOfOneClassMerge) {
  SetCurrentTrackEvents(MakeRecords({{'L', 10, 0x90, 0, 50}, {'S', 20, 0xB0}, {'L', 30, 0x90, 0, 50},
                                     {'L', 40, 0x90, 0, 10}, {'L', 200, 0x90, 0, 10}}));
  ASSERT_EQ(noErr, BuildTrackEventIndex());
  // The second note overlaps the first but not the controller entry behind it.
  std::vector<IndexEntry> want = {{10, 60, 0}, {20, 22, 3}, {30, 80, 0}, {200, 210, 0}};
  EXPECT_EQ(want, ReadIndex());
}

TEST_F(EventIndexTest, DamagedRecordCutsTheListWithAnAlert) {
  std::vector<uint8_t> bytes = MakeRecords({{'S', 10, 0xB0}, {'S', 20, 0xB0}, {'S', 30, 0xB0}});
  bytes[8 + kEventStatus] = 0x05;  // kind 0 with a time
  Handle list = SetCurrentTrackEvents(bytes);
  int32_t alerts = CountAlertsShown();
  ASSERT_EQ(noErr, BuildTrackEventIndex());
  EXPECT_EQ(alerts + 1, CountAlertsShown());
  std::vector<uint8_t> after = HandleBytes(list);
  ASSERT_EQ(size_t(8 + 14), after.size());
  EXPECT_EQ(std::vector<uint8_t>(14, 0), std::vector<uint8_t>(after.begin() + 8, after.end()));
  EXPECT_EQ(uint32_t(after.size()), ReadU32BE(gCurrentTrack + kTrackEventBytes));
  EXPECT_EQ(1u, ReadIndex().size());
}

TEST_F(EventIndexTest, ZoomShiftAndDisabledIndex) {
  SetCurrentTrackEvents(MakeRecords({{'L', 1024, 0x90, 0, 512}}));
  gOverviewZoomShift = 4;
  ASSERT_EQ(noErr, BuildTrackEventIndex());
  EXPECT_EQ((std::vector<IndexEntry>{{64, 96, 0}}), ReadIndex());
  gOverviewZoomShift = 0;
  DisposeTrackEventIndex();
  gOverviewRowHeight = 20;
  ASSERT_EQ(noErr, BuildTrackEventIndex());
  EXPECT_TRUE(ReadIndex().empty());
  gOverviewRowHeight = 14;
}

TEST_F(EventIndexTest, EntriesBeyondTheIndexTableAreLeftOut) {
  ASSERT_EQ(noErr, CreateSongTracks(kEventIndexSlots + 2, 1));
  SetCurrentTrackIndex(kEventIndexSlots + 1);
  std::vector<uint8_t> bytes = MakeRecords({{'S', 10, 0xB0}});
  Handle list = SetCurrentTrackEvents(bytes);
  SetCurrentTrackIndex(0);
  SetCurrentTrackEvents(bytes);
  ASSERT_EQ(noErr, RebuildEventIndexes());
  EXPECT_EQ(bytes, HandleBytes(list));
  EXPECT_EQ((std::vector<IndexEntry>{{10, 12, 3}}), ReadIndex());
  DisposeAllEventIndexes();
}

TEST_F(EventIndexTest, IndexGrowsPastItsFirstBlock) {
  std::vector<Rec> recs;
  for (uint32_t i = 0; i < 400; ++i) recs.push_back({'L', 1 + i * 10, 0x90, 0, 2});
  SetCurrentTrackEvents(MakeRecords(recs));
  ASSERT_EQ(noErr, BuildTrackEventIndex());
  EXPECT_EQ(400u, ReadIndex().size());
  DisposeAllEventIndexes();
}

}  // namespace
