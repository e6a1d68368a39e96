// The section list: mapping play positions through the repeats, inserting, deleting,
// installing a stored list, shifting and scaling with time edits, and resetting a track's
// play position.
#include <array>

#include "song/events/time_selection.h"
#include "song/model/track_length.h"
#include "tests/song/sections/section_fixture.h"

namespace {

using SectionListTest = SectionTest;

TEST_F(SectionListTest, PositionsMapThroughTheRepeatsOfASection) {
  ASSERT_EQ(noErr, InsertSection(100, 200, 3));
  EXPECT_EQ(400u, Entry(0).repeatsEnd);
  struct Case {
    uint32_t position, mapped, repeat;
  } cases[] = {{50, 50, 0},   {100, 100, 0}, {150, 150, 0}, {250, 150, 1},
               {350, 150, 2}, {400, 100, 3}, {401, 401, 0}, {5000, 5000, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.mapped, MapPositionThroughSections(c.position)) << c.position;
    if (c.position <= 400) EXPECT_EQ(c.repeat, Entry(0).currentRepeat) << c.position;
  }
}

TEST_F(SectionListTest, SecondSectionTakesPositionsBehindTheFirstsRepeats) {
  ASSERT_EQ(noErr, InsertSection(500, 600, 2));
  ASSERT_EQ(noErr, InsertSection(100, 200, 2));  // goes in front: the list stays sorted
  ASSERT_EQ((std::vector<std::array<uint32_t, 3>>{{100, 200, 2}, {500, 600, 2}}), Entries());
  EXPECT_EQ(150u, MapPositionThroughSections(250));
  EXPECT_EQ(350u, MapPositionThroughSections(350));
  EXPECT_EQ(550u, MapPositionThroughSections(650));
  EXPECT_EQ(1u, Entry(1).currentRepeat);
  EXPECT_EQ(701u, MapPositionThroughSections(701));
}

TEST_F(SectionListTest, EndlessSectionTakesEveryLaterPosition) {
  ASSERT_EQ(noErr, InsertSection(100, 200, 0));
  EXPECT_EQ(kEndlessRepeatsEnd, Entry(0).repeatsEnd);
  StoreTrackLength(2000000);  // a track that lasts that long
  EXPECT_EQ(137u, MapPositionThroughSections(1000037));
  EXPECT_EQ(9999u, Entry(0).currentRepeat);
  // Once the repeat begins behind the track's own length, the position stays as it is.
  EXPECT_EQ(3000037u, MapPositionThroughSections(3000037));
}

TEST_F(SectionListTest, SectionOfLengthZeroMapsNothing) {
  ASSERT_EQ(noErr, InsertSection(100, 100, 3));
  for (uint32_t p : {50u, 100u, 101u, 350u}) EXPECT_EQ(p, MapPositionThroughSections(p));
}

TEST_F(SectionListTest, DisplayMappingLeavesListAndTrackAlone) {
  WriteU32BE(gCurrentTrack + kTrackTickLength, 1000);
  ASSERT_EQ(noErr, InsertSection(100, 200, 3));
  std::vector<uint8_t> list = HandleBytes(List());
  uint32_t length = ReadU32BE(gCurrentTrack + kTrackTickLength);
  SectionMapping m = PeekPositionThroughSections(gCurrentTrack, 350);
  EXPECT_EQ(150u, m.mapped);
  EXPECT_EQ(2u, m.repeat);
  EXPECT_EQ(300u, m.currentStart);
  EXPECT_EQ(list, HandleBytes(List()));
  EXPECT_EQ(length, ReadU32BE(gCurrentTrack + kTrackTickLength));
  // The playing mapping stores what it found and the play limit of the section.
  MapPositionThroughSections(350);
  EXPECT_NE(list, HandleBytes(List()));
  EXPECT_EQ(200u, ReadU32BE(gCurrentTrack + kTrackTickLength));
}

TEST_F(SectionListTest, PastTheLastSectionTheTrackGetsItsOwnLengthBack) {
  ASSERT_EQ(noErr, InsertSection(100, 200, 2));
  uint32_t own = ReadU32BE(gCurrentTrack + kTrackTickLength);
  ASSERT_GE(own, 300u);  // the track's end covers the repeats
  MapPositionThroughSections(250);
  EXPECT_EQ(200u, ReadU32BE(gCurrentTrack + kTrackTickLength));
  MapPositionThroughSections(301);
  EXPECT_EQ(own, ReadU32BE(gCurrentTrack + kTrackTickLength));
}

TEST_F(SectionListTest, TrackReportsItsSavedLengthWhilePlayingBySections) {
  ASSERT_EQ(noErr, InsertSection(100, 200, 2));
  uint32_t own = GetTrackLength();
  gCurrentTrack[kTrackModeFlags] |= kTrackModeSection;
  gSectionMode = 1;
  MapPositionThroughSections(250);
  EXPECT_EQ(own, GetTrackLength());
  gSectionMode = 0;
  EXPECT_EQ(200u, GetTrackLength());  // stopped: the field as it stands
}

TEST_F(SectionListTest, InsertingSetsTheLoopFlagAndCoversTheRepeats) {
  gCurrentTrack[kTrackPlayFlags] |= kTrackPlayFlagLengthIgnoresSections;
  ASSERT_EQ(noErr, InsertSection(100, 200, 3));
  EXPECT_TRUE(Loops());
  EXPECT_FALSE(gCurrentTrack[kTrackPlayFlags] & kTrackPlayFlagLengthIgnoresSections);
  EXPECT_EQ(kNewSectionListBytes, GetHandleSize(List()));
  EXPECT_GE(GetTrackLength(), 399u);
}

TEST_F(SectionListTest, DeletingTheLastEntryDisposesTheList) {
  uint32_t handles = CountLiveHandles();
  ASSERT_EQ(noErr, InsertSection(100, 200, 3));
  ASSERT_EQ(noErr, InsertSection(300, 400, 1));
  DeleteSectionsInRange(300, 500, false);
  EXPECT_EQ((std::vector<std::array<uint32_t, 3>>{{100, 200, 3}}), Entries());
  DeleteSectionsInRange(100, 150, false);  // its end lies outside: it stays
  EXPECT_TRUE(List());
  DeleteSectionsInRange(100, 150, true);
  EXPECT_FALSE(List());
  EXPECT_EQ(0u, ReadU32BE(gCurrentTrack + kTrackSectionList));
  EXPECT_FALSE(Loops());
  EXPECT_EQ(handles, CountLiveHandles());
}

TEST_F(SectionListTest, AddSectionEditsAnEntryAndKeepsTheOrder) {
  ASSERT_EQ(noErr, InsertSection(100, 200, 3));
  ASSERT_EQ(noErr, InsertSection(300, 400, 1));
  ASSERT_EQ(noErr, AddSection(500, 600, 0, false, 0));
  EXPECT_EQ((std::vector<std::array<uint32_t, 3>>{{300, 400, 1}, {500, 600, 0}}), Entries());
  ASSERT_EQ(noErr, AddSection(50, 60, 2, false, 7));  // past the entries: a new one
  EXPECT_EQ(3u, Entries().size());
  EXPECT_EQ(50u, Entry(0).start);
}

Handle StoredList(const std::vector<std::array<uint32_t, 3>>& entries) {
  Handle h = NewHandleClear(kSectionHeaderBytes + kSectionEntryBytes * Size(entries.size() + 1));
  for (size_t i = 0; i < entries.size(); ++i) {
    uint8_t* e = reinterpret_cast<uint8_t*>(HandleData(h)) + kSectionHeaderBytes + kSectionEntryBytes * i;
    WriteU32BE(e + kSectionStart, entries[i][0]);
    WriteU32BE(e + kSectionEnd, entries[i][1]);
    WriteU32BE(e + kSectionRepeatCount, entries[i][2]);
    WriteU32BE(e + kSectionRepeatsEnd, SectionRepeatsEnd(entries[i][0], entries[i][1], entries[i][2]));
  }
  return h;
}

TEST_F(SectionListTest, InstallingAStoredListFitsTheCountsIntoTheSong) {
  struct Case {
    std::vector<std::array<uint32_t, 3>> stored, installed;
  } cases[] = {
      // An endless section takes the repeats that fit: 1000 / 300.
      {{{100, 400, 0}}, {{100, 400, 3}}},
      // A counted section stays counted even when longer than the song.
      {{{100, 2100, 5}}, {{100, 2100, 1}}},
      {{{100, 200, 2}, {300, 400, 50}}, {{100, 200, 2}, {300, 400, 10}}},
      // A start beyond the song ends the list there.
      {{{100, 200, 2}, {1001, 1100, 2}, {50, 60, 1}}, {{100, 200, 2}}},
  };
  uint32_t handles = CountLiveHandles();
  for (const Case& c : cases) {
    Handle stored = StoredList(c.stored);
    ASSERT_EQ(noErr, InstallSectionList(gCurrentTrack, stored, 1000));
    EXPECT_FALSE(IsValidHandle(stored));
    EXPECT_EQ(c.installed, Entries());
    EXPECT_TRUE(Loops());
    DisposeTrackSectionList(gCurrentTrack);
  }
  EXPECT_EQ(handles, CountLiveHandles());
}

TEST_F(SectionListTest, TimeEditsShiftAndAdjustTheSections) {
  // Section 100..200 x3 (repeats end 400) under an edit at P..selection end.
  struct Case {
    const char* what;
    int32_t delta;
    uint32_t selStart, selEnd;
    std::array<uint32_t, 3> after;
  } cases[] = {
      {"insert before", 50, 50, 50, {150, 250, 3}},
      {"insert at the start", 50, 100, 100, {150, 250, 3}},
      {"insert inside", 50, 150, 150, {100, 250, 3}},
      {"insert in the repeats", 50, 250, 250, {100, 200, 3}},  // (400 + 50 - 100) / 100
      {"insert in the repeats, off a period", 150, 250, 250, {100, 200, 4}},
      {"insert behind the repeats", 50, 450, 450, {100, 200, 3}},
      {"remove before", -30, 20, 50, {70, 170, 3}},
      {"remove across the start", -60, 80, 140, {80, 140, 3}},
      {"remove inside", -20, 150, 170, {100, 180, 3}},
      {"remove across the end", -50, 180, 230, {100, 180, 3}},
      {"remove in the repeats", -100, 250, 350, {100, 200, 2}},
  };
  for (const Case& c : cases) {
    Handle list = StoredList({{100, 200, 3}});
    ShiftSectionList(list, c.delta, c.selStart, c.selEnd);
    SectionFields f;
    ASSERT_TRUE(GetSectionFields(list, 0, &f));
    EXPECT_EQ(c.after, (std::array<uint32_t, 3>{f.start, f.end, f.count})) << c.what;
    EXPECT_EQ(SectionRepeatsEnd(f.start, f.end, f.count), f.repeatsEnd) << c.what;
    DisposeHandle(list);
  }
}

TEST_F(SectionListTest, RemovingTimeDropsTheSectionsInsideTheSelection) {
  ASSERT_EQ(noErr, InsertSection(100, 200, 3));
  ASSERT_EQ(noErr, InsertSection(500, 600, 2));
  ASSERT_EQ(noErr, InsertSection(900, 950, 1));
  SetTimeRange(450, 700);
  ShiftSections(-250);
  EXPECT_EQ((std::vector<std::array<uint32_t, 3>>{{100, 200, 3}, {650, 700, 1}}), Entries());
  SetTimeRange(1, 2000);
  ShiftSections(-1999);
  EXPECT_FALSE(List());
}

TEST_F(SectionListTest, ScalingTakesTheSectionsStartingInTheSelection) {
  ASSERT_EQ(noErr, InsertSection(50, 90, 2));
  ASSERT_EQ(noErr, InsertSection(101, 201, 3));
  ASSERT_EQ(noErr, InsertSection(301, 351, 1));
  SetTimeRange(100, 300);
  ScaleSections(1.5);
  EXPECT_EQ((std::vector<std::array<uint32_t, 3>>{{50, 90, 2}, {101, 251, 3}, {301, 351, 1}}), Entries());
  EXPECT_EQ(101u + 3 * 150, Entry(1).repeatsEnd);
}

TEST_F(SectionListTest, TrackLoopWrapsOverItsLength) {
  struct Case {
    uint32_t length, position, wrapped;
  } cases[] = {{11, 5, 5}, {11, 9, 9}, {11, 10, 0}, {11, 25, 5}, {1, 7, 0}, {0, 7, 0}};
  for (const Case& c : cases) {
    WriteU32BE(gCurrentTrack + kTrackTickLength, c.length);
    EXPECT_EQ(c.wrapped, WrapTrackPosition(c.position)) << c.length << " " << c.position;
  }
}

TEST_F(SectionListTest, ResettingATrackMapsItsPositionAndFindsTheNextEvent) {
  SetCurrentTrackEvents(MakeRecords({{'L', 1, 0x90}, {'L', 120, 0x90}, {'L', 160, 0x90}, {'L', 700, 0x90}}));
  WriteU32BE(gCurrentTrack + kTrackPendingWord, 7);
  WriteU16BE(gCurrentTrack + kTrackCentre72, 300);
  ASSERT_EQ(noErr, InsertSection(100, 200, 3));
  TrackPositionReset r = ResetTrackPosition(gCurrentTrack, 351);
  EXPECT_EQ(150u, r.position);
  EXPECT_EQ(2 * kLongEventSize, r.nextEvent);  // the event at 160
  EXPECT_EQ(0u, ReadU32BE(gCurrentTrack + kTrackPendingWord));
  EXPECT_EQ(8192u, ReadU16BE(gCurrentTrack + kTrackCentre72));
  // A track that shows its alternate regions keeps its bend; an inactive one is only parked.
  WriteU16BE(gCurrentTrack + kTrackCentre72, 300);
  gCurrentTrack[kTrackOutputFlags] |= kTrackOutputSecondRegions;
  ResetTrackPosition(gCurrentTrack, 351);
  EXPECT_EQ(300u, ReadU16BE(gCurrentTrack + kTrackCentre72));
  gCurrentTrack[kTrackOutputFlags] &= uint8_t(~kTrackOutputSecondRegions);
  gCurrentTrack[kTrackFlags] |= kTrackInactiveFlag;
  WriteU32BE(gCurrentTrack + kTrackPendingWord, 7);
  r = ResetTrackPosition(gCurrentTrack, 351);
  EXPECT_EQ(0u, r.position);
  EXPECT_EQ(-1, r.nextEvent);
  EXPECT_EQ(0u, ReadU32BE(gCurrentTrack + kTrackPendingWord));
  EXPECT_EQ(300u, ReadU16BE(gCurrentTrack + kTrackCentre72));
}

}  // namespace
