// Walking the children that the time selection reaches through references, cutting notes at
// the selection's end, group lengths and group numbers.
#include <gtest/gtest.h>

#include "song/events/event_filter.h"
#include "song/events/time_selection.h"
#include "song/model/sequence_references.h"
#include "song/model/song_copies.h"
#include "tests/song/sequence_references/reference_fixture.h"

namespace {

using refs_test::Row;
using refs_test::SetTrackRows;

struct Visit {
  uint32_t song;
  uint32_t start;
  uint32_t end;
  int32_t track;
  uint8_t low;
  uint8_t high;
  bool operator==(const Visit& o) const {
    return song == o.song && start == o.start && end == o.end && track == o.track &&
           low == o.low && high == o.high;
  }
};

std::ostream& operator<<(std::ostream& out, const Visit& v) {
  return out << "{song " << v.song << ", " << v.start << ".." << v.end << ", track " << v.track
             << ", notes " << int(v.low) << ".." << int(v.high) << "}";
}

int32_t RecordVisit(void* arg) {
  static_cast<std::vector<Visit>*>(arg)->push_back(
      {gCurrentSongHandle.id, gTimeSelection.start.tick, gTimeSelection.end.tick,
       GetCurrentTrackIndex(), gEditNoteRange[0], gEditNoteRange[1]});
  return 0;
}

class ReferenceWalk : public UndoFixture {
 protected:
  // Songs 1 and 2 (two tracks with events; one track with events), children 0 and 1 of
  // track 0 of song 0, which holds refs.
  void BuildSongs(const std::vector<Row>& refs) {
    AddSongInSlot(1, 2);
    for (int i = 0; i < 2; ++i) {
      SetCurrentTrackIndex(i);
      SetTrackRows({{1, 0x90, 60, 10}});
    }
    AddSongInSlot(2, 1);
    SetCurrentTrackIndex(0);
    SetTrackRows({{1, 0x90, 60, 10}});
    AddSongInSlot(0, 1);
    SetCurrentTrackIndex(0);
    ASSERT_EQ(0, SetChildCount(2));
    ASSERT_EQ(0, AttachSongAsChild(true, 1, 0));
    ASSERT_EQ(0, AttachSongAsChild(true, 2, 1));
    SetTrackRows(refs);
    first_ = TrackEntryView(gCurrentTrack).Child(0).id;
    second_ = TrackEntryView(gCurrentTrack).Child(1).id;
  }
  uint32_t first_ = 0;
  uint32_t second_ = 0;
};

TEST_F(ReferenceWalk, EachChildIsVisitedOverThePartItsReferencePlaysInItsOwnTicks) {
  BuildSongs({{101, 0x50, 0, 400},    // selection part 201..501: child 101..401
              {601, 0x50, 1, 50},     // wholly inside: 1..51
              {1001, 0x50, 0, 400},   // 1001..1101: child 1..101
              {1101, 0x50, 0, 400},   // ends the selection: not visited
              {1201, 0x50, 1, 400}}); // after the selection
  SetTimeRange(201, 1101);
  gEditNoteRange[0] = 40;
  gEditNoteRange[1] = 50;
  const TimeSelection kept = gTimeSelection;
  Handle parent = gCurrentSongHandle;

  std::vector<Visit> visits;
  ForEachReferencedChildInRange(RecordVisit, &visits);

  std::vector<Visit> expected = {{first_, 101, 401, 0, 0, 127},  {first_, 101, 401, 1, 0, 127},
                                 {second_, 1, 51, 0, 0, 127},    {first_, 1, 101, 0, 0, 127},
                                 {first_, 1, 101, 1, 0, 127}};
  EXPECT_EQ(expected, visits);
  EXPECT_EQ(parent, gCurrentSongHandle);
  EXPECT_EQ(0, GetCurrentTrackIndex());
  EXPECT_EQ(kept.start.tick, gTimeSelection.start.tick);
  EXPECT_EQ(kept.end.tick, gTimeSelection.end.tick);
  EXPECT_EQ(40, gEditNoteRange[0]);
  EXPECT_EQ(50, gEditNoteRange[1]);
  gEditNoteRange[0] = 0;
  gEditNoteRange[1] = 127;
}

TEST_F(ReferenceWalk, TwoReferencesOverTheSamePartVisitTheChildOnce) {
  BuildSongs({{101, 0x50, 1, 100}, {301, 0x50, 1, 100}});
  SetTimeRange(1, 2000);
  std::vector<Visit> visits;
  ForEachReferencedChildInRange(RecordVisit, &visits);
  ASSERT_EQ(1u, visits.size());
  EXPECT_EQ(second_, visits[0].song);
}

TEST(ClipNoteToRangeEnd, NotesPastTheSelectionsEndEndThere) {
  const struct {
    uint32_t time;
    uint8_t status;
    uint16_t duration;
    uint16_t expected;
  } cases[] = {
      {900, 0x90, 200, 100},  // runs past the end
      {900, 0x90, 100, 100},  // ends at the end
      {999, 0x90, 5, 1},      // the last tick
      {1000, 0x90, 5, 1},     // at the end: at least 1
      {900, 0x30, 200, 200},  // not a note
  };
  TimeSelection kept = gTimeSelection;
  gTimeSelection.start.tick = 1;
  gTimeSelection.end.tick = 1000;
  for (const auto& c : cases) {
    uint8_t e[kLongEventSize];
    FillLongEvent(e, c.time, c.status, 60, 64, c.duration);
    gCurrentEvent = e;
    ClipNoteToRangeEnd();
    EXPECT_EQ(c.expected, GetNoteDuration(e)) << c.time << " + " << c.duration;
  }
  gCurrentEvent = nullptr;
  gTimeSelection = kept;
}

class GroupLengths : public UndoFixture {};

TEST_F(GroupLengths, AGroupedTrackTakesTheLongestOfItsGroup) {
  AddSongInSlot(0, 3);
  const struct {
    uint8_t group;
    uint32_t length;
    uint8_t kind;
  } tracks[] = {{5, 500, 0}, {5, 900, kAudioTrackOutputKind}, {0, 1200, 0}};
  for (int i = 0; i < 3; ++i) {
    SetCurrentTrackIndex(i);
    gCurrentTrack[kTrackGroup] = tracks[i].group;
    gCurrentTrack[kTrackOutputKind] = tracks[i].kind;
    WriteU32BE(gCurrentTrack + kTrackTickLength, tracks[i].length);
  }
  SetCurrentTrackIndex(0);
  uint32_t length = 0;
  uint8_t audio = 9;
  GetLongestGroupLength(&length, &audio, true);
  EXPECT_EQ(900u, length);
  EXPECT_EQ(1, audio);
  GetLongestGroupLength(&length, &audio, false);
  EXPECT_EQ(500u, length);
  EXPECT_EQ(0, audio);
  SetCurrentTrackIndex(2);
  GetLongestGroupLength(&length, nullptr, true);
  EXPECT_EQ(1200u, length) << "an ungrouped track is its own group";
  EXPECT_EQ(2, GetCurrentTrackIndex());
}

TEST_F(GroupLengths, TheNextGroupNumberPassesOverNoGroup) {
  AddSongInSlot(0, 1);
  SongHeaderView song(gCurrentSong);
  const uint8_t cases[][2] = {{0, 1}, {4, 5}, {254, 255}, {255, 1}};
  for (const auto& c : cases) {
    song.SetGroupCounter(c[0]);
    EXPECT_EQ(c[1], NextGroupNumber()) << int(c[0]);
  }
}

}  // namespace
