// Humanize on a song: a stored seed replays the same edit, every deviation stays inside the
// ranges the settings give, the selection's edges hold, and the tempo pass clears and walks the
// tempo map inside the selection only.
#include <gtest/gtest.h>

#include <vector>

#include "editing/edit_context.h"
#include "editing/transforms/humanize.h"
#include "platform/system/quickdraw_random.h"
#include "song/conductor/conductor_map.h"
#include "song/events/seq_event.h"
#include "song/model/utility_track_access.h"
#include "song/undo/undo_exchange.h"
#include "song/undo/undo_ring.h"
#include "tests/editing/round_trips/edit_song_fixture.h"

namespace edit_test {
namespace {

class HumanizeTest : public EditSongTest {
 protected:
  void SetUp() override {
    EditSongTest::SetUp();
    MakeSong(1, 480, 4, 4);
    UseTrack(0);
    // A ramp of notes: times, lengths and velocities all differ.
    std::vector<Event> events;
    for (uint32_t i = 0; i < 16; ++i) events.push_back({481 + i * 120, 0x90, uint8_t(48 + i), uint16_t(60 + i * 20)});
    SetTrackEvents(events);
    SetVelocities();
    SelectTime(481, 481 + 16 * 120);
    SetEditContextKind();
  }
  void SetVelocities() {
    uint8_t* p = GetCurrentTrackEventsPtr();
    for (int i = 0; SeqEventTime(p) != 0; p += GetSeqEventLength(p), ++i) p[kEventData2] = uint8_t(10 + i * 7);
  }
  static std::vector<uint8_t> Velocities() {
    std::vector<uint8_t> v;
    for (uint8_t* p = GetCurrentTrackEventsPtr(); SeqEventTime(p) != 0; p += GetSeqEventLength(p))
      v.push_back(p[kEventData2]);
    return v;
  }
  HumanizeSettings Only(uint8_t flags) {
    HumanizeSettings s;
    s.flags = flags;
    return s;
  }
};

TEST_F(HumanizeTest, AStoredSeedReplaysTheSameEdit) {
  std::string before = SavedDocument();
  SetQDGlobalsRandomSeed(12345);
  ASSERT_TRUE(ApplyHumanize(HumanizeSettings{}));
  std::string first = SavedDocument();
  EXPECT_NE(before, first);
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_EQ(before, SavedDocument()) << "Undo gives the document back byte for byte";
  SetQDGlobalsRandomSeed(12345);
  ASSERT_TRUE(ApplyHumanize(HumanizeSettings{}));
  EXPECT_EQ(first, SavedDocument());
}

TEST_F(HumanizeTest, TimingStaysInsideTheRangeTheShareGives) {
  struct Case {
    int32_t share;
    int32_t earliest;  // deviation bounds, inclusive
    int32_t latest;
  } cases[] = {{0, 0, 39}, {50, -20, 19}, {100, -40, -1}};
  for (const Case& c : cases) {
    std::vector<Event> before = TrackEvents();
    HumanizeSettings s = Only(kHumanizeTiming);
    s.timingTicks = 40;
    s.earlyShare = c.share;
    SetQDGlobalsRandomSeed(7);
    ASSERT_TRUE(ApplyHumanize(s));
    std::vector<Event> after = TrackEvents();
    ASSERT_EQ(before.size(), after.size());
    bool moved = false;
    for (const Event& a : after) {
      // Notes are told apart by their pitch (the list may have been re-sorted).
      const Event* b = nullptr;
      for (const Event& e : before) if (e.data1 == a.data1) b = &e;
      ASSERT_NE(b, nullptr);
      int32_t d = int32_t(a.tick) - int32_t(b->tick);
      EXPECT_GE(d, c.earliest) << "share " << c.share;
      EXPECT_LE(d, c.latest) << "share " << c.share;
      EXPECT_EQ(b->duration, a.duration);
      moved |= d != 0;
    }
    EXPECT_TRUE(moved);
    ASSERT_EQ(noErr, UndoLastEdit());
  }
}

TEST_F(HumanizeTest, RelativeTimingMovesOnlyNotesByTheirLength) {
  SetTrackEvents({{481, 0x90, 60, 400}, {601, 0xB0, 7, 0}, {721, 0x90, 64, 20}, {841, 0xE0, 1, 0}});
  SelectTime(481, 961);
  SetEditContextKind();
  HumanizeSettings s = Only(kHumanizeTiming | kHumanizeRelativeTiming);
  s.timingPercent = 50;  // widths 200 and 10
  s.earlyShare = 0;
  bool movedFar = false;
  for (int32_t seed = 1; seed < 20; ++seed) {
    SetQDGlobalsRandomSeed(seed);
    ASSERT_TRUE(ApplyHumanize(s));
    for (const Event& e : TrackEvents()) {
      if (e.status == 0xB0) EXPECT_EQ(601u, e.tick) << "other events keep their place";
      if (e.status == 0xE0) EXPECT_EQ(841u, e.tick);
      if (e.data1 == 60 && e.status == 0x90) {
        EXPECT_LT(e.tick, 481u + 200);
        movedFar |= e.tick >= 481u + 10;
      }
      if (e.data1 == 64 && e.status == 0x90) EXPECT_LT(e.tick, 721u + 10);
    }
    ASSERT_EQ(noErr, UndoLastEdit());
  }
  EXPECT_TRUE(movedFar) << "the long note's range follows its length";
}

TEST_F(HumanizeTest, EarlyTimingNeverMovesBeforeTickOne) {
  SetTrackEvents({{1, 0x90, 60, 100}, {2, 0x90, 62, 100}, {400, 0x90, 64, 100}});
  SelectTime(1, 400);
  SetEditContextKind();
  HumanizeSettings s = Only(kHumanizeTiming);
  s.timingTicks = 300;
  s.earlyShare = 100;
  SetQDGlobalsRandomSeed(99);
  ASSERT_TRUE(ApplyHumanize(s));
  std::vector<Event> after = TrackEvents();
  for (const Event& e : after) EXPECT_GE(e.tick, 1u);
  EXPECT_EQ(400u, after.back().tick) << "an event at the selection end stays";
}

TEST_F(HumanizeTest, DurationsAndVelocitiesStayInRange) {
  SetTrackEvents({{481, 0x90, 60, 1}, {601, 0x90, 62, 2}, {721, 0x90, 64, 65535}, {841, 0x90, 65, 300}});
  uint8_t* p = GetCurrentTrackEventsPtr();
  const uint8_t velocities[] = {0, 1, 127, 0x80 | 5};
  for (uint8_t v : velocities) { p[kEventData2] = v; p += kLongEventSize; }
  SelectTime(481, 961);
  SetEditContextKind();
  HumanizeSettings s = Only(kHumanizeDurations | kHumanizeVelocities);
  s.durationPercent = 200;
  s.velocityRange = 127;
  for (int32_t seed = 1; seed < 40; ++seed) {
    SetQDGlobalsRandomSeed(seed);
    ASSERT_TRUE(ApplyHumanize(s));
    std::vector<Event> after = TrackEvents();
    std::vector<uint8_t> v = Velocities();
    for (const Event& e : after) EXPECT_GE(e.duration, 1u);
    EXPECT_EQ(0, v[0]) << "a velocity of 0 is never changed";
    EXPECT_GE(v[1], 1);
    EXPECT_LE(v[2], 127);
    EXPECT_EQ(0x80, v[3] & 0x80) << "the top bit is kept";
    EXPECT_GE(v[3] & 0x7F, 1);
    ASSERT_EQ(noErr, UndoLastEdit());
  }
}

TEST_F(HumanizeTest, TempoPassClearsAndWalksOnlyInsideTheSelection) {
  ASSERT_EQ(noErr, SetTempoAt(1200, 241));
  ASSERT_EQ(noErr, SetTempoAt(1300, 961));
  ASSERT_EQ(noErr, SetTempoAt(1400, 2401));  // the selection's end tick
  SelectTime(481, 2401);
  SetEditContextKind();
  HumanizeSettings s = Only(kHumanizeTempo);
  s.tempoTenths = 0;
  ASSERT_TRUE(ApplyHumanize(s));
  std::vector<std::pair<int32_t, int32_t>> tempos;
  for (uint8_t* r = GetConductorMap(); ConductorKind(r) != kConductorEnd; r += kConductorRecordSize)
    if (ConductorKind(r) == kConductorTempo) tempos.push_back({ConductorTick(r), ConductorValue(r)});
  std::vector<std::pair<int32_t, int32_t>> kept = {{241, 1200}, {2401, 1400}};
  EXPECT_EQ(kept, tempos) << "a range of 0 still deletes the changes inside the selection";

  s.tempoTenths = 50;
  SetQDGlobalsRandomSeed(3);
  ASSERT_TRUE(ApplyHumanize(s));
  int32_t inside = 0, last = 1200;
  for (uint8_t* r = GetConductorMap(); ConductorKind(r) != kConductorEnd; r += kConductorRecordSize) {
    if (ConductorKind(r) != kConductorTempo) continue;
    int32_t t = ConductorTick(r);
    if (t >= 481 && t < 2401) {
      ++inside;
      EXPECT_LE(std::abs(int32_t(ConductorValue(r)) - last), 49) << "each change is one step of the walk";
      last = ConductorValue(r);
    }
  }
  EXPECT_GT(inside, 0);
}

}  // namespace
}  // namespace edit_test
