// Shared set-up of the section list tests: a one-track song and readers of its list.
#pragma once

#include <vector>

#include "song/model/songs.h"
#include "song/model/track_sections.h"
#include "tests/song/model/model_fixture.h"

class SectionTest : public SongModelTest {
 protected:
  void SetUp() override {
    SongModelTest::SetUp();
    ASSERT_EQ(noErr, CreateSongTracks(1, 1));
    SetCurrentTrackIndex(0);
  }
  Handle List() const { return GetTrackSectionList(gCurrentTrack); }
  SectionFields Entry(int32_t i) const {
    SectionFields f;
    EXPECT_TRUE(GetSectionFields(List(), i, &f)) << "entry " << i;
    return f;
  }
  // The (start, end, count) of every entry in order.
  std::vector<std::array<uint32_t, 3>> Entries() const {
    std::vector<std::array<uint32_t, 3>> out;
    SectionFields f;
    for (int32_t i = 0; GetSectionFields(List(), i, &f); ++i) out.push_back({f.start, f.end, f.count});
    return out;
  }
  bool Loops() const { return (gCurrentTrack[kTrackFlags] & kTrackLoopFlag) != 0; }
  // The event times of the current track's list.
  std::vector<uint32_t> EventTimes() const {
    std::vector<uint8_t> bytes = HandleBytes(GetCurrentTrackEventList());
    std::vector<uint32_t> times;
    for (size_t at : ForwardStarts(bytes)) times.push_back(SeqEventTime(&bytes[at]));
    return times;
  }
};
