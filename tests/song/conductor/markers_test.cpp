// The marker list: record sizes, ordering, shifts, re-timing after tempo changes, pasting
// and damaged lists.
#include <cstring>
#include <string>
#include <vector>

#include "conductor_fixture.h"
#include "editing/marker_window.h"

namespace {

std::vector<uint8_t> P(const std::string& s) {
  std::vector<uint8_t> p(1, uint8_t(s.size()));
  p.insert(p.end(), s.begin(), s.end());
  return p;
}

std::string NameOf(uint8_t* r) {
  uint8_t* n = GetMarkerName(r);
  return std::string(reinterpret_cast<char*>(n + 1), n[0]);
}

class MarkersTest : public ConductorTest {
 protected:
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (int32_t i = 0; i < CountMarkers(); ++i) names.push_back(NameOf(GetMarkerAt(i)));
    return names;
  }
  std::vector<uint32_t> Ticks() {
    std::vector<uint32_t> ticks;
    for (int32_t i = 0; i < CountMarkers(); ++i) ticks.push_back(MarkerTick(GetMarkerAt(i)));
    return ticks;
  }
  void Add(const std::string& name, uint32_t tick, uint8_t kind = 1, int32_t locked = 0) {
    ASSERT_EQ(noErr, AddMarker(P(name).data(), tick, kind, locked, 0));
  }
  Handle List() { return Handle(ReadU32BE(Song() + kSongMarkerList)); }
};

TEST_F(MarkersTest, RecordSizesAndTheNewList) {
  EXPECT_EQ(0, CountMarkers());
  EXPECT_EQ(8, GetMarkerListSize());
  EXPECT_EQ(gNoMarker, GetMarkerAt(0));
  EXPECT_EQ(10, MarkerRecordSize(P("abc").data(), 0));
  EXPECT_EQ(10, MarkerRecordSize(P("abcd").data(), 0));
  EXPECT_EQ(12, MarkerRecordSize(P("abcde").data(), 0));
  EXPECT_EQ(20, MarkerRecordSize(P("abcd").data(), 1));
  Add("abcd", 100, 0);
  Add("abcd", 200, 1);
  EXPECT_EQ(8 + 10 + 20, GetMarkerListSize());
  uint8_t* list = reinterpret_cast<uint8_t*>(HandleData(List()));
  EXPECT_EQ(kMarkerEndTick, ReadU32BE(list + 4 + 30));
}

TEST_F(MarkersTest, MarkersOfOneTickKeepTheOrderTheyWereAddedIn) {
  Add("b", 500);
  Add("a", 100);
  Add("c", 500);
  Add("d", 500);
  Add("e", 300, 0);
  EXPECT_EQ((std::vector<std::string>{"a", "e", "b", "c", "d"}), Names());
  // Sorting is stable: pull "d" in front and sort again.
  WriteU32BE(GetMarkerAt(4), 50);
  SortMarkers();
  EXPECT_EQ((std::vector<std::string>{"d", "a", "e", "b", "c"}), Names());
}

TEST_F(MarkersTest, RemovingTimeDeletesPlainMarkersInsideAndMovesLaterOnesBack) {
  Add("before", 100);
  Add("inside", 2500);
  Add("locked", 2600, 1, 1);
  Add("after", 6000, 0);
  ShiftMarkers(2000, 5000, -3000);
  EXPECT_EQ((std::vector<std::string>{"before", "locked", "after"}), Names());
  EXPECT_EQ((std::vector<uint32_t>{100, 2600, 3000}), Ticks());
  // Inserting time moves the markers at and behind the start and re-times them.
  ShiftMarkers(100, 100, 1000);
  EXPECT_EQ((std::vector<uint32_t>{1100, 2600, 4000}), Ticks());
  EXPECT_EQ(TickToTime(1100), MarkerTime(GetMarkerAt(0)));
}

TEST_F(MarkersTest, AfterATempoChangeLockedMarkersKeepTheirTime) {
  Add("plain", 3001);
  Add("locked", 4001, 1, 1);
  EXPECT_EQ(7500u, MarkerTime(GetMarkerAt(0)));   // 3000 ticks at 2.5 subframes
  EXPECT_EQ(10000u, MarkerTime(GetMarkerAt(1)));
  TempoAt(1, 600);  // twice as slow: 5 subframes a tick
  RefreshMarkers(1);
  EXPECT_EQ((std::vector<std::string>{"locked", "plain"}), Names());
  EXPECT_EQ(3001u, MarkerTick(GetMarkerAt(1)));
  EXPECT_EQ(15000u, MarkerTime(GetMarkerAt(1)));
  EXPECT_EQ(2001u, MarkerTick(GetMarkerAt(0)));
  EXPECT_EQ(10000u, MarkerTime(GetMarkerAt(0)));
}

TEST_F(MarkersTest, DeletingSelectedMarkersDoesNotSkipNeighbours) {
  for (int32_t i = 0; i < 5; ++i)
    ASSERT_EQ(noErr, AddMarkerWithFlags(P("m" + std::to_string(i)).data(), 1, 100 * (i + 1),
                                        0, 0, 0, nullptr, 0));
  GetMarkerAt(0)[kMarkerFlagsOffset] = 0;
  GetMarkerAt(4)[kMarkerFlagsOffset] = 0;
  gMarkerWindowIndex = 2;
  DeleteSelectedMarkers();
  EXPECT_EQ((std::vector<std::string>{"m0", "m4"}), Names());
  EXPECT_EQ(0, gMarkerWindowIndex);  // it followed each deleted marker it pointed at
}

TEST_F(MarkersTest, ReplacingAMarkerKeepsItsKindAndALockedTime) {
  Add("one", 100, 5, 1);
  uint32_t time = MarkerTime(GetMarkerAt(0));
  ASSERT_EQ(noErr, ReplaceMarker(P("renamed marker").data(), 900, 0, 0, 0, 12, 7, 0));
  ASSERT_EQ(1, CountMarkers());
  uint8_t* r = GetMarkerAt(0);
  EXPECT_EQ("renamed marker", NameOf(r));
  EXPECT_EQ(5, MarkerKind(r));
  EXPECT_TRUE(IsMarkerLockedToTime(r));
  EXPECT_EQ(time, MarkerTime(r));
  EXPECT_EQ(12, MarkerLength(r));
  // Renaming in place resizes the record both ways and keeps the list closed.
  ASSERT_EQ(noErr, StoreMarker(P("x").data(), 900, 0, 1, 0, 0, GetMarkerAt(0), 0));
  EXPECT_EQ("x", NameOf(GetMarkerAt(0)));
  EXPECT_EQ(8 + 16, GetMarkerListSize());
  ASSERT_EQ(noErr, StoreMarker(P("a longer name").data(), 900, 0, 1, 0, 0, GetMarkerAt(0), 0));
  EXPECT_EQ("a longer name", NameOf(GetMarkerAt(0)));
  EXPECT_EQ(8 + 28, GetMarkerListSize());
}

TEST_F(MarkersTest, PastingPlacesTheClipsMarkersAtTheSelection) {
  Add("old", 5200);
  Add("kept", 9000);
  std::vector<uint8_t> bytes = {0, 0, 0, 2};
  for (auto [name, tick] : {std::pair<std::string, uint32_t>{"p1", 1100}, {"p2", 1900}}) {
    size_t at = bytes.size();
    bytes.resize(at + size_t(MarkerRecordSizeFor(int32_t(name.size()), 0)), 0);
    WriteU32BE(&bytes[at], tick);
    std::vector<uint8_t> n = P(name);
    std::memcpy(&bytes[at + 5], n.data(), n.size());
  }
  bytes.insert(bytes.end(), {0x7f, 0xff, 0xff, 0xff});
  Handle clipList;
  ASSERT_EQ(noErr, PtrToHand(bytes.data(), &clipList, Size(bytes.size())));
  uint8_t clip[40] = {};
  WriteU32BE(clip, 1000);      // clip start
  WriteU32BE(clip + 16, 2000);  // clip end
  WriteU32BE(clip + 36, 1);     // by range
  SelectTicks(5000, 5000);
  ASSERT_EQ(noErr, PasteMarkerList(clipList, clip));
  EXPECT_EQ((std::vector<std::string>{"p1", "p2", "kept"}), Names());
  EXPECT_EQ((std::vector<uint32_t>{5100, 5900, 9000}), Ticks());
  EXPECT_EQ(1, MarkerKind(GetMarkerAt(0)));
  DisposeHandle(clipList);
}

TEST_F(MarkersTest, ADamagedListIsCutAtItsLastWholeRecord) {
  Add("first", 100);
  Add("second", 200);
  uint8_t* list = reinterpret_cast<uint8_t*>(HandleData(List()));
  WriteU32BE(list, 1000);  // a count far beyond the records
  EXPECT_EQ(2, CountMarkers());
  EXPECT_EQ(gNoMarker, GetMarkerAt(2));
  list = reinterpret_cast<uint8_t*>(HandleData(List()));
  list[4 + kMarkerNameOffset] = 250;  // the first name's length runs past the block
  EXPECT_EQ(0, CountMarkers());
  EXPECT_EQ(noErr, ValidateMarkerList(Song()));
  Add("again", 300);
  EXPECT_EQ(1, CountMarkers());
  // Records that are not in the list are refused.
  EXPECT_EQ(paramErr, DeleteMarker(gNoMarker));
  EXPECT_EQ(paramErr, StoreMarker(P("x").data(), 5, 1, 0, 0, 0, gNoMarker, 0));
  EXPECT_EQ(paramErr, DeleteMarker(GetMarkerAt(0) + 2));
  EXPECT_EQ(1, CountMarkers());
}

TEST_F(MarkersTest, DialogBarsAreClampedToTheBar) {
  MeterAt(3841, 3, 4);
  MarkerDialogFields f;
  f.bar = 3;
  f.beat = 9;  // past the last of three beats
  f.tick = 5000;
  uint32_t tick = 0, time = 0;
  GetMarkerDialogBars(f, &tick, &time);
  EXPECT_EQ(3841u + 2 * 480 + 479, tick);
  EXPECT_EQ(TickToTime(int32_t(tick)), time);
  SetMarkerDialogBars(&f, tick);
  EXPECT_EQ(3, f.bar);
  EXPECT_EQ(3, f.beat);
  EXPECT_EQ(479, f.tick);
  EXPECT_EQ(1u, GetLastMarkerEnd());
  Add("end", 7000, 0);
  EXPECT_EQ(7000u, GetLastMarkerEnd());
}

}  // namespace
