// The editing cursor's edge cases: folding notes into the MIDI range, duration clamps, event
// headers (tick 0 and data kinds), a walk after a delete at the cursor, and the note-follow
// table of the transposition transforms.
#include <cstring>

#include "editing/event_cursor.h"
#include "editing/note_follow.h"
#include "tests/editing/editing_fixture.h"

using editing_test::EditingFixture;
using editing_test::gFrontKind;
using undo_test::Events;

TEST(FoldNoteToMidiRange, KeepsThePitchClassInsideTheRange) {
  const struct { int32_t note, folded; } kCases[] = {
      {-1, 11}, {128, 116}, {-25, 11}, {127, 127}, {0, 0}, {-12, 0}, {139, 127}, {300, 120}, {-130, 2},
  };
  for (const auto& c : kCases) EXPECT_EQ(c.folded, FoldNoteToMidiRange(c.note)) << c.note;
}

TEST(SetEventDuration, ClampsToTheDurationField) {
  const struct { int32_t ticks; uint16_t stored; } kCases[] = {
      {0, 1}, {-7, 1}, {1, 1}, {480, 480}, {65535, 65535}, {70000, 65535},
  };
  for (const auto& c : kCases) {
    uint8_t event[kLongEventSize] = {};
    SetEventDuration(event, c.ticks);
    EXPECT_EQ(c.stored, GetNoteDuration(event)) << c.ticks;
    EXPECT_EQ(0, event[kEventDuration - 1]) << "the byte before the field is left alone";
  }
}

TEST(InitSeqEventHeader, TickAtLeastOneAndChannelOnlyForChannelCommands) {
  const struct { uint8_t command, channel; uint32_t tick; uint8_t status; uint32_t stored; } kCases[] = {
      {0x90, 3, 0, 0x93, 1},  {0xE0, 15, 960, 0xEF, 960}, {0x40, 5, 7, 0x40, 7},
      {0x50, 9, 0, 0x50, 1},  {0xB0, 0, 1, 0xB0, 1},
  };
  for (const auto& c : kCases) {
    uint8_t event[kLongEventSize];
    std::memset(event, 0xAA, sizeof event);
    gEventCommand = c.command;
    gEventChannel = c.channel;
    InitSeqEventHeader(event, c.tick);
    EXPECT_EQ(c.stored, SeqEventTime(event));
    EXPECT_EQ(c.status, event[kEventStatus]) << int(c.command);
  }
}

TEST(GetEventBendValue, ReadsBothDataBytesSigned) {
  uint8_t event[kShortEventSize] = {};
  event[kEventData1] = 0x7F;
  event[kEventData2] = 0x7F;
  EXPECT_EQ(int16_t(0x7F + 128 * 0x7F), GetEventBendValue(event));
  event[kEventData1] = 0;
  event[kEventData2] = 0x40;
  EXPECT_EQ(8192, GetEventBendValue(event));
}

class CursorWalkTest : public EditingFixture {};

// Deleting the event at the cursor slides the next one into its place: the first advance
// stays on it, the second moves on.
TEST_F(CursorWalkTest, AdvanceAfterDeleteStaysOnceThenMoves) {
  MakeSong(1);
  undo_test::SetTrackEvents(Events({{10, 0xB0, 1}, {20, 0xB0, 2}, {30, 0xB0, 3}}));
  LockCurrentTrackEvents();
  uint8_t* first = SetCurrentEvent(GetCurrentTrackEventsPtr());
  AdvanceEventCursor();
  ASSERT_EQ(20u, SeqEventTime(gCurrentEvent));
  uint8_t* at = gCurrentEvent;
  size_t tail = editing_test::CurrentEvents().size() - size_t(at - first) - kShortEventSize;
  std::memmove(at, at + kShortEventSize, tail);
  gCursorAdvanceArmed = 0;
  AdvanceEventCursor();
  EXPECT_EQ(at, gCurrentEvent);
  EXPECT_EQ(30u, SeqEventTime(gCurrentEvent));
  AdvanceEventCursor();
  EXPECT_EQ(at + kShortEventSize, gCurrentEvent);
  UnlockCurrentTrackEvents();
}

TEST_F(CursorWalkTest, AppendChannelEventGoesBeforeTheEndRecord) {
  MakeSong(1);
  undo_test::SetTrackEvents(Events({{10, 0x90, 60}}));
  ASSERT_EQ(noErr, AppendChannelEvent(4, 0, 0xC0, 12, 0));
  std::vector<uint8_t> bytes = editing_test::CurrentEvents();
  ASSERT_EQ(size_t(kLongEventSize + kShortEventSize + kEndRecordSize), bytes.size());
  const uint8_t* added = &bytes[kLongEventSize];
  EXPECT_EQ(1u, SeqEventTime(added));
  EXPECT_EQ(0xC4, added[kEventStatus]);
  EXPECT_EQ(12, added[kEventData1]);
  EXPECT_EQ(0, added[kEventFlags]);
  for (int i = 0; i < kEndRecordSize; ++i) EXPECT_EQ(0, bytes[kLongEventSize + kShortEventSize + i]);
}

namespace {

int32_t UpAFifth(int32_t note) { return note + 7 + 120; }  // ten octaves too high: folded back

struct FollowCase {
  uint32_t time;
  uint8_t expectedKey;
};

// Note 60 at 100 for 50 ticks became 64; poly pressure on key 60 follows it inside 100..150.
void FollowInsideTable(void* arg) {
  auto* results = static_cast<std::vector<uint8_t>*>(arg);
  RecordNoteMapping(100, 50, 60, 64);
  for (uint32_t time : {99u, 100u, 125u, 150u, 151u}) {
    uint8_t event[kShortEventSize] = {};
    FillShortEvent(event, time, 0xA0, 60, 30);
    gCurrentEvent = event;
    FollowTransposedNote(UpAFifth, time);
    results->push_back(event[kEventData1]);
  }
}

}  // namespace

TEST_F(CursorWalkTest, PolyPressureFollowsItsTransposedNoteWithinTheNote) {
  MakeSong(1);
  gCopyFilterProc = RejectAllEvents;  // not taken by the copy: the table decides
  std::vector<uint8_t> keys;
  RunWithNoteFollowTable(FollowInsideTable, &keys);
  EXPECT_EQ((std::vector<uint8_t>{60, 64, 64, 64, 60}), keys);
  EXPECT_FALSE(gNoteFollowTable);
}

TEST_F(CursorWalkTest, PolyPressureTakenByTheCopyIsTransposedAndFolded) {
  MakeSong(1);
  gCopyFilterProc = AcceptAllEvents;
  gFilterLowNote = 50;
  gFilterHighNote = 70;
  uint8_t event[kShortEventSize] = {};
  FillShortEvent(event, 10, 0xA2, 60, 30);
  gCurrentEvent = event;
  FollowTransposedNote(UpAFifth, 10);
  EXPECT_EQ(127, event[kEventData1]);  // 187 folded down by five octaves
  FillShortEvent(event, 10, 0xB0, 60, 30);  // not poly pressure: untouched
  FollowTransposedNote(UpAFifth, 10);
  EXPECT_EQ(60, event[kEventData1]);
  gEventCriteriaFlags = 1;  // criteria active: only the table would move it (none here)
  FillShortEvent(event, 10, 0xA2, 60, 30);
  FollowTransposedNote(UpAFifth, 10);
  EXPECT_EQ(60, event[kEventData1]);
}
