#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/conductor/conductor_map.h"
#include "song/events/event_filter.h"
#include "song/events/event_lists.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/song_layout.h"

namespace {

struct Note {
  uint32_t time;
  uint8_t key;
  uint8_t velocity;
  uint16_t duration;
};

class EventFilterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSongDatabase();
    ASSERT_EQ(EnsureTrackEventList(), noErr);
    gEventFilterFlags = 0;
    gEditNoteRange[0] = 0;
    gEditNoteRange[1] = 127;
    gTimeSelection.start.tick = 1;
    gTimeSelection.end.tick = 1000000;
    gFilterPatternPeriod = 0;
    gFilterPatternLength = 1;
    gFilterInvert = 0;
    gFilterPositionScale = 1;
    gFilterPositionTolerance = 0;
    InvalidateFilteredNoteCount();
  }
  void TearDown() override {
    if (gFilterPositionTable) DisposeHandle(gFilterPositionTable);
    gFilterPositionTable = Handle();
    gCurrentEvent = nullptr;
    gEventFilterFlags = 0;
  }

  // The current track's list: the notes, a controller event at tick 2, then the end record.
  void SetNotes(const std::vector<Note>& notes) {
    std::vector<uint8_t> bytes;
    for (const Note& n : notes) {
      size_t at = bytes.size();
      bytes.resize(at + kLongEventSize);
      FillLongEvent(&bytes[at], n.time, kKindNote, n.key, n.velocity, n.duration);
    }
    bytes.resize(bytes.size() + kEndRecordSize, 0);
    list_ = Handle(ReadU32BE(gCurrentTrack + kTrackEventList));
    SetHandleSize(list_, Size(bytes.size()));
    std::memcpy(*list_, bytes.data(), bytes.size());
    WriteU32BE(gCurrentTrack + kTrackEventBytes, uint32_t(bytes.size()));
  }
  uint8_t* Event(int32_t i) { return reinterpret_cast<uint8_t*>(*list_) + i * kLongEventSize; }
  int32_t Passes(int32_t i) {
    gCurrentEvent = Event(i);
    return PassesEventFilter();
  }
  void SetPositions(const std::vector<float>& positions) {
    gFilterPositionTable = NewHandleClear(kFilterPositionsStart + 4 * int32_t(positions.size()));
    WriteU32BE(*gFilterPositionTable, uint32_t(positions.size()));
    for (size_t i = 0; i < positions.size(); ++i)
      WriteF32BE(*gFilterPositionTable + kFilterPositionsStart + 4 * i, positions[i]);
  }

  Handle list_;
};

TEST_F(EventFilterTest, DurationAndVelocityRanges) {
  SetNotes({{10, 60, 64, 15}, {20, 60, 120, 30}});
  EXPECT_EQ(Passes(0), 1);
  gEventFilterFlags = kFilterDuration;
  gFilterMinDuration = 10;
  gFilterMaxDuration = 20;
  EXPECT_EQ(Passes(0), 1);
  EXPECT_EQ(Passes(1), 0);
  gEventFilterFlags = kFilterVelocity;
  gFilterMinVelocity = 50;
  gFilterMaxVelocity = 100;
  EXPECT_EQ(Passes(0), 1);
  EXPECT_EQ(Passes(1), 0);
  // Without a position table the other tests still apply.
  gEventFilterFlags = kFilterVelocity | kFilterPositions;
  EXPECT_EQ(Passes(0), 1);
  EXPECT_EQ(Passes(1), 0);
  // An 8-byte event has no duration to test.
  uint8_t controller[kShortEventSize + kEndRecordSize] = {};
  FillShortEvent(controller, 5, kKindController, 7, 100);
  gEventFilterFlags = kFilterDuration;
  gCurrentEvent = controller;
  EXPECT_EQ(PassesEventFilter(), 1);
}

TEST_F(EventFilterTest, PositionsInTheBarWrapAroundItsEnds) {
  int32_t bar = 0, offset = 0;
  TickToBarAndOffset(1, &bar, &offset);
  int32_t barLength = gConductorState.ticksPerBar;
  ASSERT_GT(barLength, 100);
  uint32_t bar2 = uint32_t(barLength) + 1;  // tick of the second bar's start
  SetNotes({{bar2 + 5, 60, 64, 1}, {bar2 - 3, 60, 64, 1}, {bar2 + uint32_t(barLength / 4), 60, 64, 1},
            {bar2 + uint32_t(barLength / 8), 60, 64, 1}});
  SetPositions({0.0f, float(barLength / 4)});
  gFilterPositionTolerance = 10;
  gEventFilterFlags = kFilterPositions;
  const int32_t expected[] = {1, 1, 1, 0};
  for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(Passes(i), expected[i]) << "note " << i;
  gFilterInvert = 1;
  for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(Passes(i), 1 - expected[i]) << "note " << i;
  EXPECT_EQ(GetFilterPosition(1), double(barLength / 4));
  EXPECT_EQ(GetFilterPosition(2), 0.0);  // past the entries
  gFilterPositionScale = 2;
  EXPECT_EQ(GetFilterPosition(1), double(barLength / 4) * 2);
  // A stated count larger than the table reads only the entries that are there.
  WriteU32BE(*gFilterPositionTable, 1000);
  EXPECT_EQ(GetFilterPosition(5), 0.0);
}

TEST_F(EventFilterTest, PatternOverCountedNotes) {
  SetNotes({{10, 60, 64, 1}, {20, 20, 64, 1}, {30, 61, 64, 1}, {40, 62, 64, 1}, {50, 63, 64, 1}});
  gEditNoteRange[0] = 40;
  gEditNoteRange[1] = 100;
  gTimeSelection.start.tick = 15;
  // Counted: 30 -> 0, 40 -> 1, 50 -> 2 (10 is before the selection, 20 out of the range).
  const int32_t counts[] = {-1, -1, 0, 1, 2};
  for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(CountFilteredNotes(Event(i)), counts[i]) << "note " << i;
  gEventFilterFlags = kFilterPattern;
  gFilterPatternPeriod = 2;
  gFilterPatternLength = 1;
  const int32_t keep[] = {0, 0, 1, 0, 1};
  for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(Passes(i), keep[i]) << "note " << i;
}

TEST_F(EventFilterTest, CountIsNotStaleAfterTheListChanges) {
  SetNotes({{10, 60, 64, 1}, {20, 60, 64, 1}, {30, 60, 64, 1}});
  EXPECT_EQ(CountFilteredNotes(Event(1)), 1);
  EXPECT_EQ(CountFilteredNotes(Event(2)), 2);  // goes on from the last count
  // An edit puts a note in front: the same positions now hold other events.
  SetNotes({{5, 60, 64, 1}, {10, 60, 64, 1}, {20, 60, 64, 1}, {30, 60, 64, 1}});
  EXPECT_EQ(CountFilteredNotes(Event(3)), 3);
  EXPECT_EQ(CountFilteredNotes(Event(0)), 0);  // an earlier event counts again from the start
  gEditNoteRange[0] = 61;
  EXPECT_EQ(CountFilteredNotes(Event(3)), -1);
  WriteU32BE(gCurrentTrack + kTrackEventList, 0);
  EXPECT_EQ(CountFilteredNotes(Event(0)), -1);
  WriteU32BE(gCurrentTrack + kTrackEventList, list_.id);
}

TEST_F(EventFilterTest, RandomThinningAndNoteRange) {
  SetNotes({{10, 60, 64, 1}, {20, 90, 64, 1}});
  gEventFilterFlags = kFilterRandom;
  gFilterPercentage = 0;
  EXPECT_EQ(Passes(0), 0);
  gFilterPercentage = 100;
  EXPECT_EQ(Passes(0), 1);
  gEventFilterFlags = 0;
  gEditNoteRange[1] = 80;
  gCurrentEvent = Event(0);
  EXPECT_EQ(PassesNoteRangeFilter(), 1);
  gCurrentEvent = Event(1);
  EXPECT_EQ(PassesNoteRangeFilter(), 0);
  uint8_t controller[kShortEventSize] = {};
  FillShortEvent(controller, 5, kKindController, 60, 100);
  gCurrentEvent = controller;
  EXPECT_EQ(PassesNoteRangeFilter(), 0);
}

}  // namespace
