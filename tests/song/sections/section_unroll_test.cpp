// Unrolling sections and track loops into plain events.
#include <array>

#include "song/model/track_length.h"
#include "tests/song/sections/section_fixture.h"

namespace {

using SectionUnrollTest = SectionTest;

std::vector<std::array<uint32_t, 2>> gRoom;

// The caller's share: the room the repeats covered is cleared of the track's own events.
void ClearRoom(uint32_t at, uint32_t to) {
  gRoom.push_back({at, to});
  Handle list = GetCurrentTrackEventList();
  std::vector<uint8_t> bytes = HandleBytes(list), kept;
  for (size_t offset : ForwardStarts(bytes)) {
    uint32_t t = ReadU32BE(bytes.data() + offset), length = uint32_t(GetSeqEventLength(bytes.data() + offset));
    if (t < at || t >= to) kept.insert(kept.end(), bytes.begin() + long(offset), bytes.begin() + long(offset + length));
  }
  kept.insert(kept.end(), kEndRecordSize, 0);
  SetCurrentTrackEvents(kept);
}

TEST_F(SectionUnrollTest, SectionsBecomeCopiesOfTheirEvents) {
  gRoom.clear();
  // A ramp of pitches, so that a copy in the wrong place or order shows.
  SetCurrentTrackEvents(MakeRecords({{'L', 1, 0x90, 0, 5, 40}, {'L', 11, 0x90, 0, 5, 41},
                                     {'S', 15, 0xB0, 0, 0, 42}, {'L', 25, 0x90, 0, 5, 43},
                                     {'L', 41, 0x90, 0, 5, 44}, {'L', 50, 0x90, 0, 5, 45}}));
  ASSERT_EQ(noErr, InsertSection(11, 21, 3));
  ASSERT_EQ(noErr, InsertSection(41, 51, 0));  // endless: one copy
  ASSERT_EQ(noErr, UnrollSections(ClearRoom, false));
  // The note at 25 lay under the repeats and goes; later sections keep their places.
  EXPECT_EQ((std::vector<std::array<uint32_t, 2>>{{21, 41}, {51, 61}}), gRoom);
  EXPECT_EQ((std::vector<uint32_t>{1, 11, 15, 21, 25, 31, 35, 41, 50, 51, 60}), EventTimes());
  std::vector<uint8_t> bytes = HandleBytes(GetCurrentTrackEventList());
  std::vector<uint8_t> pitches;
  for (size_t at : ForwardStarts(bytes)) pitches.push_back(bytes[at + kEventData1]);
  EXPECT_EQ((std::vector<uint8_t>{40, 41, 42, 41, 42, 41, 42, 44, 45, 44, 45}), pitches);
  EXPECT_EQ(uint32_t(bytes.size()), ReadU32BE(gCurrentTrack + kTrackEventBytes));
  EXPECT_FALSE(List());
  EXPECT_FALSE(Loops());
}

TEST_F(SectionUnrollTest, TrackLoopFillsTheSongWithOnePeriod) {
  SetCurrentTrackEvents(MakeRecords({{'L', 1, 0x90, 0, 5, 40}, {'L', 6, 0x90, 0, 5, 41}}));
  gCurrentTrack[kTrackFlags] |= kTrackLoopFlag;
  WriteU32BE(gCurrentTrack + kTrackTickLength, 11);  // plays ticks 1..10
  WriteU32BE(gCurrentSong + kSongEndTick, 31);
  ASSERT_EQ(noErr, UnrollSections(nullptr, true));
  EXPECT_EQ((std::vector<uint32_t>{1, 6, 11, 16, 21, 26, 31, 36}), EventTimes());
  std::vector<uint8_t> bytes = HandleBytes(GetCurrentTrackEventList());
  std::vector<size_t> starts = ForwardStarts(bytes);
  for (size_t i = 0; i < starts.size(); ++i)
    EXPECT_EQ(i >= 6, (bytes[starts[i] + kEventFlags] & 0x02) != 0) << "event " << i;
  EXPECT_FALSE(Loops());
}

TEST_F(SectionUnrollTest, LoopOfTwoTicksOrLessHasNothingToRepeat) {
  for (uint32_t length : {0u, 1u, 2u}) {
    SetCurrentTrackEvents(MakeRecords({{'L', 1, 0x90, 0, 1, 40}}));
    gCurrentTrack[kTrackFlags] |= kTrackLoopFlag;
    WriteU32BE(gCurrentTrack + kTrackTickLength, length);
    WriteU32BE(gCurrentSong + kSongEndTick, 1000);
    ASSERT_EQ(noErr, UnrollSections(nullptr, true));
    EXPECT_EQ((std::vector<uint32_t>{1}), EventTimes()) << length;
    EXPECT_FALSE(Loops());
  }
}

TEST_F(SectionUnrollTest, WithoutTheLoopArgumentALoopingTrackStays) {
  SetCurrentTrackEvents(MakeRecords({{'L', 1, 0x90, 0, 1, 40}}));
  gCurrentTrack[kTrackFlags] |= kTrackLoopFlag;
  WriteU32BE(gCurrentTrack + kTrackTickLength, 11);
  ASSERT_EQ(noErr, UnrollSections(nullptr, false));
  EXPECT_EQ((std::vector<uint32_t>{1}), EventTimes());
  EXPECT_TRUE(Loops());
}

}  // namespace
