// The duration transform on a song: the modes, re-spacing and overlaps in a table of the cases
// that matter, records other than notes left alone, and Undo giving the saved document back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editing/edit_context.h"
#include "editing/event_filters.h"
#include "editing/transforms/duration_transform.h"
#include "song/undo/undo_exchange.h"
#include "song/undo/undo_ring.h"
#include "tests/editing/round_trips/edit_song_fixture.h"

namespace edit_test {
namespace {

struct Case {
  const char* name;
  DurationSettings settings;
  uint32_t start, end;
  std::vector<Event> before;
  std::vector<Event> after;
};

DurationSettings Mode(int32_t mode) {
  DurationSettings s;
  s.mode = mode;
  return s;
}
DurationSettings Percent(int32_t p) {
  DurationSettings s = Mode(kDurationPercent);
  s.fixedPercent = p;
  return s;
}
DurationSettings Ramp(int32_t from, int32_t to) {
  DurationSettings s = Mode(kDurationRamp);
  s.startPercent = from;
  s.endPercent = to;
  return s;
}
DurationSettings Set(int32_t ticks, int32_t flags = 0) {
  DurationSettings s = Mode(kDurationSet);
  s.fixedLength = ticks;
  s.flags = flags;
  return s;
}
DurationSettings Add(int32_t ticks) {
  DurationSettings s = Mode(kDurationAdd);
  s.addedTicks = ticks;
  return s;
}
DurationSettings Legato(int32_t gap) {
  DurationSettings s = Mode(kDurationLegato);
  s.legatoGap = gap;
  return s;
}
DurationSettings Overlaps(int32_t gap) {
  DurationSettings s = Add(0);
  s.flags = kDurationRemoveOverlaps;
  s.minimumGap = gap;
  return s;
}

class DurationTransformTest : public EditSongTest {
 protected:
  void SetUp() override {
    EditSongTest::SetUp();
    MakeSong(1, 480, 4, 4);
    UseTrack(0);
  }
  void Run(const Case& c) {
    SetTrackEvents(c.before);
    SelectTime(c.start, c.end);
    SetEditContextKind();
    ASSERT_TRUE(RunDurationTransform(c.settings)) << c.name;
  }
};

void ExpectEvents(const std::vector<Event>& want, const std::vector<Event>& got, const char* name) {
  ASSERT_EQ(want.size(), got.size()) << name;
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(want[i].tick, got[i].tick) << name << " event " << i;
    EXPECT_EQ(want[i].status, got[i].status) << name << " event " << i;
    EXPECT_EQ(want[i].data1, got[i].data1) << name << " event " << i;
    EXPECT_EQ(want[i].duration, got[i].duration) << name << " event " << i;
  }
}

TEST_F(DurationTransformTest, ModesAndOptions) {
  const Case cases[] = {
      {"50 % keeps a 1-tick note", Percent(50), 1, 1000, {{10, 0x90, 60, 1}, {20, 0x90, 61, 100}},
       {{10, 0x90, 60, 1}, {20, 0x90, 61, 50}}},
      {"200 % stops at 65535", Percent(200), 1, 1000, {{10, 0x90, 60, 65535}}, {{10, 0x90, 60, 65535}}},
      {"ramp 100 % to 200 %", Ramp(100, 200), 1, 1001,
       {{1, 0x90, 60, 100}, {501, 0x90, 62, 100}, {1001, 0x90, 64, 100}},
       {{1, 0x90, 60, 100}, {501, 0x90, 62, 150}, {1001, 0x90, 64, 100}}},
      {"legato over the gap", Mode(kDurationLegato), 1, 400,
       {{1, 0x90, 60, 5}, {11, 0x90, 62, 5}, {101, 0x90, 64, 5}},
       {{1, 0x90, 60, 100}, {11, 0x90, 62, 90}, {101, 0x90, 64, 299}}},
      {"a legato gap above 255 is kept whole", Legato(300), 1, 1000,
       {{1, 0x90, 60, 5}, {201, 0x90, 62, 5}, {601, 0x90, 64, 5}},
       {{1, 0x90, 60, 600}, {201, 0x90, 62, 400}, {601, 0x90, 64, 399}}},
      {"set to 0 deletes the notes", Set(0), 100, 300,
       {{50, 0x90, 60, 10}, {100, 0x90, 61, 10}, {150, 0xB0, 7, 0}, {299, 0x90, 62, 10}, {300, 0x90, 63, 10}},
       {{50, 0x90, 60, 10}, {150, 0xB0, 7, 0}, {300, 0x90, 63, 10}}},
      {"re-space keeps chords together", Set(96, kDurationRespace), 1, 1000,
       {{5, 0x90, 60, 10}, {7, 0x90, 64, 10}, {300, 0x90, 67, 10}},
       {{1, 0x90, 60, 96}, {1, 0x90, 64, 96}, {97, 0x90, 67, 96}}},
      {"add clamps to 1", Add(-500), 1, 1000, {{10, 0x90, 60, 100}}, {{10, 0x90, 60, 1}}},
      {"overlapping notes of one pitch", Overlaps(5), 1, 1000,
       {{10, 0x90, 60, 100}, {50, 0x90, 60, 20}, {60, 0x90, 62, 100}},
       {{10, 0x90, 60, 35}, {50, 0x90, 60, 60}, {60, 0x90, 62, 100}}},
  };
  for (const Case& c : cases) {
    Run(c);
    ExpectEvents(c.after, TrackEvents(), c.name);
  }
}

TEST_F(DurationTransformTest, OtherRecordsAreNeverWritten) {
  // With every record taken by the edit filter (as the velocity lane's filter takes them), an
  // 8-byte controller beside the notes keeps its bytes.
  SetTrackEvents({{10, 0x90, 60, 100}, {20, 0xB0, 7, 0}, {30, 0xE0, 1, 0}, {40, 0x90, 62, 100}});
  SelectTime(1, 1000);
  SetEditContextKind();
  gEditFilterProc = AcceptAllEvents;
  gCopyFilterProc = AcceptAllEvents;
  std::vector<Event> before = TrackEvents();
  DurationTransform(Set(30));
  std::vector<Event> after = TrackEvents();
  ASSERT_EQ(before.size(), after.size());
  EXPECT_EQ(30u, after[0].duration);
  EXPECT_EQ(before[1].data1, after[1].data1);
  EXPECT_EQ(before[2].data1, after[2].data1);
  EXPECT_EQ(30u, after[3].duration);
}

TEST_F(DurationTransformTest, UndoGivesTheSavedDocumentBack) {
  SetTrackEvents({{481, 0x90, 60, 100}, {601, 0x90, 64, 100}, {700, 0xB0, 7, 0}, {961, 0x90, 67, 100}});
  SelectTime(481, 961);
  SetEditContextKind();
  std::string before = SavedDocument();
  ASSERT_TRUE(RunDurationTransform(Set(0)));
  std::string changed = SavedDocument();
  EXPECT_NE(before, changed);
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_EQ(before, SavedDocument());
}

}  // namespace
}  // namespace edit_test
