// Groove templates: the stored block's upgrade, damaged lists refused, and the groove pass from
// another track and from the shipped resources (nearest groove note, the later one on a tie,
// loops, chords, strengths, the reject distance), including a track grooved by itself and the
// errors that leave the track as it was.
#include <gtest/gtest.h>

#include <numeric>

#include "editing/transforms/groove_templates.h"
#include "editing/transforms/quantize_run.h"
#include "platform/memory/memory.h"
#include "platform/resources/resource_files.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"
#include "tests/editing/round_trips/edit_song_fixture.h"

namespace edit_test {
namespace {

std::vector<uint8_t> Block(int32_t size) {
  std::vector<uint8_t> block(static_cast<size_t>(size));
  std::iota(block.begin(), block.end(), uint8_t(1));
  return block;
}

TEST(GrooveBlockTest, OlderBlocksGetTheirZerosAndEveryHandleIsCleared) {
  std::vector<uint8_t> out;
  std::vector<uint8_t> old = Block(362);
  ASSERT_TRUE(UpgradeGrooveBlock(old.data(), 362, &out));
  ASSERT_EQ(size_t(kGrooveBlockSize), out.size());
  EXPECT_EQ(old[217], out[217]);
  EXPECT_EQ(0, out[218]);
  EXPECT_EQ(old[218], out[218 + 186]) << "the rest moves up behind the inserted zeros";
  EXPECT_EQ(old[361 - 120 + 0], out[361 + 186 - 120]);
  EXPECT_EQ(0, out[542]);

  std::vector<uint8_t> middle = Block(548);
  ASSERT_TRUE(UpgradeGrooveBlock(middle.data(), 548, &out));
  EXPECT_EQ(middle[541], out[541]);
  EXPECT_EQ(0, out[542 + 119]);
  EXPECT_EQ(middle[547], out[667]);

  std::vector<uint8_t> current = Block(kGrooveBlockSize);
  ASSERT_TRUE(UpgradeGrooveBlock(current.data(), kGrooveBlockSize, &out));
  for (int32_t at : {356, 372, 380, 388, kGrooveTrackEntry + kTrackEventList,
                     kGrooveTrackEntry + kTrackSectionList, kGrooveTrackEntry + kTrackRegionList,
                     kGrooveTrackEntry + kTrackDrumData})
    EXPECT_EQ(0u, ReadU32BE(out.data() + at)) << "handle at " << at;
  EXPECT_EQ(ReadU32BE(current.data() + kGrooveResolution), ReadU32BE(out.data() + kGrooveResolution));

  std::vector<uint8_t> odd = Block(500);
  EXPECT_FALSE(UpgradeGrooveBlock(odd.data(), 500, &out)) << "other sizes are refused";
}

TEST(GrooveBlockTest, DamagedEventListsAreRefused) {
  std::vector<uint8_t> list(3 * 14, 0);
  FillLongEvent(list.data(), 10, 0x90, 60, 90, 20);
  FillLongEvent(list.data() + 14, 30, 0x90, 62, 80, 20);
  std::vector<GrooveNote> notes;
  ASSERT_TRUE(ReadGrooveNotes(list.data(), int32_t(list.size()), &notes));
  ASSERT_EQ(2u, notes.size());
  EXPECT_EQ(30, notes[1].tick);
  EXPECT_EQ(80, notes[1].velocity);
  EXPECT_FALSE(ReadGrooveNotes(list.data(), 28, &notes)) << "no end record";
  FillVariableEvent(list.data() + 14, 30, 14);
  WriteU32BE(list.data() + 14 + kEventVariableLength, 4000);
  EXPECT_FALSE(ReadGrooveNotes(list.data(), int32_t(list.size()), &notes)) << "a length past the list";
}

TEST(GrooveBlockTest, NoteOnsAreFoundEitherWayPastOtherEvents) {
  std::vector<uint8_t> list(14 + 8 + 14 + 8 + 14, 0);
  FillShortEvent(list.data(), 5, 0xB0, 7, 100);
  FillLongEvent(list.data() + 8, 10, 0x90, 60, 90, 20);
  FillShortEvent(list.data() + 22, 12, 0xB0, 7, 90);
  FillLongEvent(list.data() + 30, 20, 0x90, 62, 80, 20);
  uint8_t* p = list.data();
  EXPECT_EQ(p + 8, FindNextNoteOn(p));
  EXPECT_EQ(p + 30, FindNextNoteOn(p + 22));
  EXPECT_EQ(nullptr, FindNextNoteOn(p + 44)) << "the end record";
  EXPECT_EQ(p + 8, FindPrevNoteOn(p + 22, p));
  EXPECT_EQ(p + 30, FindPrevNoteOn(p + 30, p));
  EXPECT_EQ(nullptr, FindPrevNoteOn(p, p)) << "a controller first";
}

// A note with its velocity, read from the current track.
struct Played {
  uint32_t tick;
  uint8_t velocity;
  uint16_t duration;
  uint8_t flags;
  bool operator==(const Played&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Played& p) {
  return os << "{" << p.tick << ", v" << int(p.velocity) << ", d" << p.duration << ", f"
            << int(p.flags) << "}";
}

class GrooveTest : public EditSongTest {
 protected:
  void SetUp() override {
    EditSongTest::SetUp();
    MakeSong(2, 480, 4, 4);
  }
  // Track 1 holds the groove: notes at ticks, velocity 100, duration 50; looped with length.
  void SetGrooveTrack(const std::vector<uint32_t>& ticks, uint32_t length = 0) {
    UseTrack(1);
    std::vector<Event> events;
    for (uint32_t t : ticks) events.push_back({t, 0x90, 42, 50});
    SetTrackEvents(events);
    SetVelocities(100);
    if (length) {
      WriteU32BE(gCurrentTrack + kTrackTickLength, length);
      gCurrentTrack[kTrackFlags] |= kTrackFlag40;
    }
  }
  void SetVelocities(uint8_t v) {
    uint8_t* p = reinterpret_cast<uint8_t*>(HandleData(GetCurrentTrackEventList()));
    for (; SeqEventTime(p) != 0; p += GetSeqEventLength(p)) p[kEventData2] = v;
  }
  void SetNotes(const std::vector<uint32_t>& ticks, uint16_t duration = 10) {
    UseTrack(0);
    std::vector<Event> events;
    for (uint32_t t : ticks) events.push_back({t, 0x90, 60, duration});
    SetTrackEvents(events);
    SelectTime(1, 3841);
  }
  std::vector<Played> Notes() const {
    std::vector<Played> out;
    const uint8_t* p = reinterpret_cast<const uint8_t*>(HandleData(GetCurrentTrackEventList()));
    for (; SeqEventTime(p) != 0; p += GetSeqEventLength(p))
      out.push_back({SeqEventTime(p), p[kEventData2], GetNoteDuration(p), p[kEventFlags]});
    return out;
  }
  std::vector<uint32_t> Ticks() const {
    std::vector<uint32_t> ticks;
    for (const Played& p : Notes()) ticks.push_back(p.tick);
    return ticks;
  }
  QuantizeSettings Groove(uint8_t kind, int32_t id, uint8_t flags = kQuantizeStarts) {
    QuantizeSettings s;
    InitQuantizeSettings(&s);
    SetQuantizeByte(&s, kQuantizeKind, kind);
    SetQuantizeByte(&s, kQuantizeFlags, flags);
    if (kind == kQuantizeKindTrack) SetQuantizeI16(&s, kQuantizeGrooveTrack, id);
    else SetQuantizeI16(&s, kQuantizeGrooveId, id);
    return s;
  }
  uint8_t TrackNumber(int32_t index) {
    return GetTrackEntryAt(index)[kTrackNumber];
  }
};

struct TrackGrooveCase {
  const char* what;
  std::vector<uint32_t> groove;
  uint32_t loopLength;  // 0: the groove track does not loop
  std::vector<uint32_t> notes;
  uint8_t flags;
  int32_t strength;
  std::vector<uint32_t> expected;
};

// Test names show the case.
void PrintTo(const TrackGrooveCase& c, std::ostream* os) { *os << c.what; }

class TrackGrooveTest : public GrooveTest, public ::testing::WithParamInterface<TrackGrooveCase> {};

TEST_P(TrackGrooveTest, NotesGoToTheNearestGrooveNote) {
  const TrackGrooveCase& c = GetParam();
  SetGrooveTrack(c.groove, c.loopLength);
  SetNotes(c.notes);
  QuantizeSettings s = Groove(kQuantizeKindTrack, TrackNumber(1), c.flags);
  SetQuantizeI16(&s, kQuantizeTimingStrength, c.strength);
  ASSERT_TRUE(RunQuantize(&s, true));
  EXPECT_EQ(c.expected, Ticks()) << c.what;
}

const TrackGrooveCase kTrackCases[] = {
    {"nearer neighbour; a tie goes to the later; past the end the last", {1, 121, 481}, 0,
     {50, 61, 300, 700}, kQuantizeStarts, 100, {1, 121, 121, 481}},
    {"a single looped note pulls every note into its nearest copy", {121}, 481,
     {100, 400, 700, 1500}, kQuantizeStarts, 100, {121, 601, 601, 1561}},
    {"strength 50 moves half the way", {1, 121, 481}, 0, {61, 300}, kQuantizeStarts, 50,
     {91, 210}},
    {"a chord moves by its average to the first note's target", {121, 481}, 0, {300, 310, 700},
     kQuantizeStarts | kQuantizeChords, 100, {116, 126, 481}},
    {"a loop of one tick has no period and is used once", {121}, 1, {50, 900}, kQuantizeStarts,
     100, {121, 121}},
    {"durations alone do not groove", {121}, 0, {50}, kQuantizeDurations, 100, {50}},
};

INSTANTIATE_TEST_SUITE_P(Cases, TrackGrooveTest, ::testing::ValuesIn(kTrackCases));

TEST_F(GrooveTest, VelocitiesAndDurationsArePulledByTheirStrengths) {
  SetGrooveTrack({1, 121, 125, 481});  // 121 and 125 lie within a 32nd of a quarter (15)
  UseTrack(1);
  uint8_t* groove = reinterpret_cast<uint8_t*>(HandleData(GetCurrentTrackEventList()));
  groove[14 * 2 + kEventData2] = 60;  // the note at 125: the average near 121 is 80
  SetNotes({110}, 100);
  SetVelocities(20);
  QuantizeSettings s = Groove(kQuantizeKindTrack, TrackNumber(1));
  SetQuantizeI16(&s, kQuantizeVelocityStrength, 50);
  SetQuantizeI16(&s, kQuantizeDurationStrength, 10);
  ASSERT_TRUE(RunQuantize(&s, true));
  // velocity 20 - MulDivRound(20 - 80, 50, 100) = 50; duration 100 - MulDivRound(50, 10, 100) = 95
  EXPECT_EQ((std::vector<Played>{{121, 50, 95, kEventSelected}}), Notes());
}

TEST_F(GrooveTest, ATrackGroovedByItselfStaysAsItWas) {
  SetNotes({1, 121, 130, 481, 900});
  const std::vector<uint32_t> before = Ticks();
  QuantizeSettings s = Groove(kQuantizeKindTrack, TrackNumber(0));
  SetQuantizeI16(&s, kQuantizeDurationStrength, 0);
  ASSERT_TRUE(RunQuantize(&s, true));
  EXPECT_EQ(before, Ticks());
}

TEST_F(GrooveTest, AGrooveWithoutNotesIsRefusedAndNothingChanges) {
  SetGrooveTrack({});
  SetNotes({50, 300});
  const std::string before = SavedDocument();
  QuantizeSettings s = Groove(kQuantizeKindTrack, TrackNumber(1));
  EXPECT_FALSE(RunQuantize(&s, true));
  QuantizeSettings missing = Groove(kQuantizeKindResource, 9999);
  EXPECT_FALSE(RunQuantize(&missing, true));
  EXPECT_EQ(before, SavedDocument());
}

TEST_F(GrooveTest, NotesBeyondTheRejectDistanceAreSilencedAndStay) {
  SetGrooveTrack({1, 121, 481});
  SetNotes({20, 61, 300});
  UseTrack(0);
  QuantizeSettings s = Groove(kQuantizeKindTrack, TrackNumber(1));
  SetQuantizeByte(&s, kQuantizeApply, 1);
  SetQuantizeI16(&s, kQuantizeVelocityStrength, 0);
  SetQuantizeI16(&s, kQuantizeDurationStrength, 0);
  UseTrack(1);
  Handle grooveList = GetCurrentTrackEventList();
  UseTrack(0);
  ASSERT_EQ(kGrooveApplied, ApplyGroove(&s, false, grooveList, 0, 100));
  // 20 -> 1 (19 < 50) moves; 61 -> 121 (60) and 300 -> 121 (179) are rejected.
  EXPECT_EQ((std::vector<Played>{{1, 64, 10, kEventSelected},
                                 {61, 0, 10, kEventSelected | kGrooveRejectedFlag},
                                 {300, 0, 10, kEventSelected | kGrooveRejectedFlag}}),
            Notes());
}

class GrooveResourceTest : public GrooveTest {
 protected:
  void SetUp() override {
    GrooveTest::SetUp();
    ASSERT_EQ(noErr, OpenAppResourceFile(ZARIN_TEST_APP_RESOURCES, &resources_));
  }
  SInt16 resources_ = -1;
};

TEST_F(GrooveResourceTest, ShippedGroovesApplyAtTheProgramsResolution) {
  // "Shuffle sixteenths" was made at 96 ticks a quarter: at 480 its notes lie at 1 + 240e and
  // 161 + 240e (velocities 96 and 64), its loop is one bar of 1920 ticks.
  SetNotes({170, 250, 2100}, 100);
  QuantizeSettings s = Groove(kQuantizeKindResource, 2);
  SetQuantizeI16(&s, kQuantizeDurationStrength, 10);
  ASSERT_TRUE(RunQuantize(&s, true));
  EXPECT_EQ((std::vector<Played>{{161, 64, 94, kEventSelected},
                                 {241, 96, 96, kEventSelected},
                                 {2081, 64, 94, kEventSelected}}),
            Notes());
}

TEST_F(GrooveResourceTest, SwingEighthsPullOffBeatsLate) {
  SetNotes({241, 700, 2161});
  QuantizeSettings s = Groove(kQuantizeKindResource, 1);
  ASSERT_TRUE(RunQuantize(&s, true));
  EXPECT_EQ((std::vector<uint32_t>{321, 801, 2241}), Ticks());
}

}  // namespace
}  // namespace edit_test
