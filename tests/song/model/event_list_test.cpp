// Event lists: record lengths, walks in both directions, insertion, the end of a track.
#include <algorithm>

#include "shell/dialogs/dialog_alerts.h"
#include "song/model/track_length.h"
#include "tests/song/model/model_fixture.h"

namespace {

// Every kind the length table defines, including short 0xF0 records and variable records.
const std::vector<Rec> kMixed = {
    {'L', 10, 0x90, 0, 20, 60}, {'S', 10, 0xB0},       {'V', 12, 0x40, 24},
    {'L', 15, 0x50, 0, 96},     {'S', 20, 0xF0},       {'L', 20, 0x10},
    {'S', 25, 0xF7},            {'L', 30, 0x60},       {'V', 31, 0x40, 38},
    {'S', 40, 0xE3},            {'L', 41, 0x80},       {'S', 50, 0xA1},
};

TEST(SeqEventTest, LengthByKindCoversEveryKind) {
  struct Case {
    uint8_t status;
    uint8_t length;
  } cases[] = {{0x00, 0},  {0x10, 14}, {0x2F, 14}, {0x30, 14}, {0x40, 255}, {0x50, 14},
               {0x6A, 14}, {0x70, 14}, {0x80, 14}, {0x91, 14}, {0xA0, 8},   {0xBF, 8},
               {0xC0, 8},  {0xD0, 8},  {0xE0, 8},  {0xF0, 8},  {0xFF, 8}};
  for (const Case& c : cases) EXPECT_EQ(c.length, GetEventLengthByKind(c.status)) << int(c.status);
}

TEST(SeqEventTest, MixedListWalksTheSameRecordsBothWays) {
  std::vector<uint8_t> list = MakeRecords(kMixed);
  std::vector<size_t> forward = ForwardStarts(list);
  ASSERT_EQ(kMixed.size(), forward.size());

  uint8_t* start = list.data();
  uint8_t* end = start + list.size() - kEndRecordSize;  // end of the last record
  std::vector<size_t> backward;
  for (uint8_t* e = end; e > start;) {
    e = PrevEventStartWithin(e, start);
    ASSERT_NE(nullptr, e) << "backward walk stopped after " << backward.size() << " records";
    backward.push_back(size_t(e - start));
  }
  std::reverse(backward.begin(), backward.end());
  EXPECT_EQ(forward, backward);
}

TEST(SeqEventTest, BackwardStepRejectsUnknownMarkersAndOverruns) {
  std::vector<uint8_t> list = MakeRecords({{'L', 5, 0x90}}, false);
  list[kEventKindMarker] = 0;  // a damaged 14-byte record
  EXPECT_EQ(nullptr, PrevEventStartWithin(list.data() + list.size(), list.data()));

  std::vector<uint8_t> var = MakeRecords({{'V', 5, 0x40, 24}}, false);
  WriteU32BE(&var[var.size() - 8], 4000);  // a trailer longer than the list
  EXPECT_EQ(nullptr, PrevEventStartWithin(var.data() + var.size(), var.data()));
}

TEST(SeqEventTest, LengthWithinRejectsBadStoredLengths) {
  std::vector<uint8_t> var = MakeRecords({{'V', 5, 0x40, 24}}, false);
  EXPECT_EQ(24u, SeqEventLengthWithin(var.data(), 24));
  EXPECT_EQ(0u, SeqEventLengthWithin(var.data(), 23));
  WriteU32BE(&var[kEventVariableLength], 0);
  EXPECT_EQ(0u, SeqEventLengthWithin(var.data(), 24));
  std::vector<uint8_t> end(kEndRecordSize, 0);
  EXPECT_EQ(0u, SeqEventLengthWithin(end.data(), kEndRecordSize));
}

TEST(SeqEventTest, LongDurationIsTwentyFourBits) {
  uint8_t e[kLongEventSize] = {};
  SetEventLongDuration(e, 0x12345);
  EXPECT_EQ(0x12345u, GetEventLongDuration(e));
  EXPECT_EQ(1, e[kEventKindMarker]);
  SetEventLongDuration(e, 0);
  EXPECT_EQ(1u, GetEventLongDuration(e));
}

using EventListTest = SongModelTest;

TEST_F(EventListTest, NewListIsOneEndRecord) {
  ASSERT_EQ(noErr, EnsureTrackEventList());
  Handle list = GetCurrentTrackEventList();
  EXPECT_EQ(std::vector<uint8_t>(kEndRecordSize, 0), HandleBytes(list));
  EXPECT_TRUE(IsEventListEmpty());
  EXPECT_EQ(uint32_t(kEmptyEventListSize), ReadU32BE(gCurrentTrack + kTrackEventBytes));
  EXPECT_EQ(77u, LastEventEnd(list, 77));
}

TEST_F(EventListTest, ShortEventsGoBehindEventsAtTheirTime) {
  ASSERT_EQ(noErr, InsertShortEvent(0, 100, 0xB0, 7, 1));
  ASSERT_EQ(noErr, InsertShortEvent(0, 50, 0xB0, 7, 2));
  ASSERT_EQ(noErr, InsertShortEvent(0, 100, 0xB0, 7, 3));
  ASSERT_EQ(noErr, InsertShortEvent(3, 100, 0xF0, 7, 4));
  std::vector<uint8_t> list = HandleBytes(GetCurrentTrackEventList());
  ASSERT_EQ(size_t(4 * 8 + 14), list.size());
  std::vector<std::pair<uint32_t, uint8_t>> seen;
  for (size_t at : ForwardStarts(list)) seen.push_back({SeqEventTime(&list[at]), list[at + 7]});
  std::vector<std::pair<uint32_t, uint8_t>> want = {{50, 2}, {100, 1}, {100, 3}, {100, 4}};
  EXPECT_EQ(want, seen);
  EXPECT_EQ(uint32_t(list.size()), ReadU32BE(gCurrentTrack + kTrackEventBytes));
}

TEST_F(EventListTest, ShortInsertRefusesLongKinds) {
  EXPECT_EQ(paramErr, InsertShortEvent(0, 10, 0x90, 60, 100));
  EXPECT_EQ(Size(0), GetEventListSize());
}

TEST_F(EventListTest, AFailedGrowthIsTheCallersError) {
  ASSERT_EQ(noErr, InsertShortEvent(0, 10, 0xB0, 1, 2));
  std::vector<uint8_t> before = HandleBytes(GetCurrentTrackEventList());
  uint64_t budget = GetMemoryBudget();
  SetMemoryBudget(GetMemoryInUse());
  OSErr err = InsertShortEvent(0, 20, 0xB0, 3, 4);
  SetMemoryBudget(budget);
  EXPECT_NE(noErr, err);
  EXPECT_EQ(before, HandleBytes(GetCurrentTrackEventList()));
}

TEST_F(EventListTest, SequenceReferenceCarriesItsLength) {
  ASSERT_EQ(noErr, InsertShortEvent(0, 97, 0xB0, 1, 1));
  ASSERT_EQ(noErr, InsertSequenceReference(2, 96, 480));
  std::vector<uint8_t> list = HandleBytes(GetCurrentTrackEventList());
  std::vector<size_t> starts = ForwardStarts(list);
  ASSERT_EQ(2u, starts.size());
  const uint8_t* ref = &list[starts[0]];
  EXPECT_EQ(96u, SeqEventTime(ref));
  EXPECT_EQ(kKindSequenceRef, EventStatus(ref));
  EXPECT_EQ(8, ReadU16BE(ref + kEventChildIndex));
  EXPECT_EQ(384u, GetEventLongDuration(ref));
  EXPECT_GE(ReadU32BE(gCurrentTrack + kTrackTickLength), 479u);
  EXPECT_EQ(1, gSongModified);
}

TEST_F(EventListTest, ZeroLengthSequenceReferenceStillEnds) {
  ASSERT_EQ(noErr, InsertSequenceReference(0, 96, 96));
  Handle list = GetCurrentTrackEventList();
  EXPECT_EQ(96u, LastEventEnd(list, 0));
}

TEST_F(EventListTest, LastEventEndTakesNotesAndReferences) {
  struct Case {
    std::vector<Rec> recs;
    uint32_t floor;
    uint32_t want;
  } cases[] = {
      {{{'L', 100, 0x90, 0, 10}}, 0, 109},
      {{{'S', 100, 0xB0}, {'S', 300, 0xF0}}, 0, 300},
      {{{'L', 100, 0x90, 0, 10}}, 500, 500},
      {{{'V', 20, 0x40, 24}, {'L', 30, 0x70}}, 0, 30},
  };
  for (const Case& c : cases) {
    Handle list = SetCurrentTrackEvents(MakeRecords(c.recs));
    EXPECT_EQ(c.want, LastEventEnd(list, c.floor));
  }
  std::vector<uint8_t> ref = MakeRecords({{'L', 100, 0x50}});
  SetEventLongDuration(ref.data(), 0x10000);
  EXPECT_EQ(65635u, LastEventEnd(SetCurrentTrackEvents(ref), 0));
}

TEST_F(EventListTest, LastEventEndCutsTheListAtADamagedRecord) {
  std::vector<uint8_t> bytes = MakeRecords({{'S', 10, 0xB0}, {'L', 20, 0x10}, {'S', 30, 0xC0}});
  bytes[8 + kEventStatus] = 0;  // kind 0 with a time: damaged
  Handle list = SetCurrentTrackEvents(bytes);
  int32_t alerts = CountAlertsShown();
  EXPECT_EQ(10u, LastEventEnd(list, 0));
  EXPECT_EQ(alerts + 1, CountAlertsShown());
  std::vector<uint8_t> after = HandleBytes(list);
  ASSERT_EQ(size_t(8 + 14), after.size());
  EXPECT_EQ(0u, SeqEventTime(&after[8]));
}

TEST_F(EventListTest, RemoveCursorEventShrinksTheList) {
  Handle list = SetCurrentTrackEvents(
      MakeRecords({{'S', 10, 0xB0}, {'V', 20, 0x40, 24}, {'L', 30, 0x90, 0, 5}}));
  uint8_t* var = reinterpret_cast<uint8_t*>(HandleData(list)) + 8;
  RemoveCursorEvent(var);
  std::vector<uint8_t> after = HandleBytes(list);
  ASSERT_EQ(size_t(8 + 14 + 14), after.size());
  EXPECT_EQ(30u, SeqEventTime(&after[8]));
  EXPECT_EQ(uint32_t(after.size()), ReadU32BE(gCurrentTrack + kTrackEventBytes));
}

TEST_F(EventListTest, CursorOffsetSurvivesTheListMoving) {
  Handle list = SetCurrentTrackEvents(MakeRecords({{'S', 10, 0xB0}, {'S', 20, 0xB0}}));
  gCurrentEvent = reinterpret_cast<uint8_t*>(HandleData(list)) + 8;
  int32_t offset = GetEventCursorOffset();
  ASSERT_EQ(noErr, InsertShortEvent(0, 30, 0xB0, 1, 1));  // may move the list
  SetEventCursor(offset);
  EXPECT_EQ(20u, SeqEventTime(gCurrentEvent));
}

TEST_F(EventListTest, AppendedRecordsLandInFrontOfTheEndRecord) {
  ASSERT_EQ(noErr, AppendEventRecords(MakeRecords({{'L', 90, 0x90}, {'S', 10, 0xB0}}, false).data(),
                                      22));
  std::vector<uint8_t> list = HandleBytes(GetCurrentTrackEventList());
  ASSERT_EQ(size_t(22 + 14), list.size());
  EXPECT_EQ(90u, SeqEventTime(&list[0]));
  EXPECT_EQ(10u, SeqEventTime(&list[14]));
  EXPECT_EQ(0u, SeqEventTime(&list[22]));
  std::vector<uint8_t> bad = MakeRecords({{'S', 10, 0xB0}}, false);
  bad[kEventStatus] = 0x00;
  EXPECT_EQ(paramErr, AppendEventRecords(bad.data(), 8));
}

}  // namespace
