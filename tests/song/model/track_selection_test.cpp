// The track selection: single slots, ranges (the shift-extend of the track list), toggles (its
// command-click), link groups, songs with more entries than track numbers and empty songs, and
// the copy kept in the song.
#include <array>
#include <string>

#include "song/events/time_selection.h"
#include "song/events/utility_event_selection.h"
#include "song/model/songs.h"
#include "song/model/track_numbers.h"
#include "song/model/track_selection.h"
#include "song/model/track_template.h"
#include "song/model/window_redraw.h"
#include "tests/song/model/model_fixture.h"

namespace {

// The selected slots as a string of indexes, e.g. "1 3 4".
std::string SelectedSlots(const uint8_t* selection) {
  std::string out;
  for (int n = 0; n < kMaxTrackNumbers; ++n) {
    if (!IsTrackSlotSelectedIn(selection, n)) continue;
    if (!out.empty()) out += ' ';
    out += std::to_string(n);
  }
  return out;
}

class TrackSelectionTest : public SongModelTest {
 protected:
  void SetUp() override {
    SongModelTest::SetUp();
    SaveTrackSelection(saved_.data());
    std::memset(gTrackSelection, 0, kTrackSelectionBytes);
  }
  void TearDown() override { RestoreTrackSelection(saved_.data()); }

  // A song of the given track numbers in entry order (255: unnumbered).
  void MakeSong(const std::vector<int>& numbers) {
    ASSERT_EQ(noErr, CreateSongTracks(int32_t(numbers.size()), 1));
    for (size_t i = 0; i < numbers.size(); ++i) {
      SetCurrentTrackIndex(int32_t(i));
      gCurrentTrack[kTrackNumber] = uint8_t(numbers[i]);
    }
    RebuildTrackNumberMap();
    SetCurrentTrackIndex(0);
  }
  std::array<uint8_t, kTrackSelectionBytes> saved_{};
};

TEST_F(TrackSelectionTest, TogglesKeepTheBoundsOnTheLowestAndHighestSlot) {
  struct Case {
    std::vector<int> toggles;
    const char* slots;
    int first, last;
  } cases[] = {
      {{5}, "5", 5, 5},
      {{5, 5}, "", 0, 0},  // the only selected slot off: empty and 0..0
      {{3, 40, 12}, "3 12 40", 3, 40},
      {{3, 40, 12, 40}, "3 12", 3, 12},
      {{0, 47}, "0 47", 0, 47},
      {{48, 200, -1}, "", 0, 0},  // not track slots: nothing changes
      {{9}, "9", 9, 9},
  };
  for (const Case& c : cases) {
    std::memset(gTrackSelection, 0, kTrackSelectionBytes);
    for (int n : c.toggles) ToggleTrackSlot(gTrackSelection, n);
    EXPECT_EQ(c.slots, SelectedSlots(gTrackSelection));
    EXPECT_EQ(c.first, gTrackSelection[kSelectionFirstSlot]);
    EXPECT_EQ(c.last, gTrackSelection[kSelectionLastSlot]);
  }
  // Slot 9 is bit 1 of mask byte 1.
  EXPECT_EQ(0x02, gTrackSelection[kSelectionMask + 1]);
}

TEST_F(TrackSelectionTest, SlotRangesStopAtTheLastTrackSlot) {
  struct Case {
    int first, last;
    int wantFirst, wantLast, count;
  } cases[] = {
      {10, 60, 10, 47, 38}, {0, 0, 0, 0, 1}, {47, 47, 47, 47, 1},
      {0, 47, 0, 47, 48},   {5, 3, 0, 0, 0}, {48, 60, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SelectTrackSlotRange(c.first, c.last);
    EXPECT_EQ(c.wantFirst, gTrackSelection[kSelectionFirstSlot]) << c.first << ".." << c.last;
    EXPECT_EQ(c.wantLast, gTrackSelection[kSelectionLastSlot]) << c.first << ".." << c.last;
    int count = 0;
    for (int n = 0; n < kMaxTrackNumbers; ++n) count += IsTrackSlotSelected(n);
    EXPECT_EQ(c.count, count) << c.first << ".." << c.last;
    // The mask bits beyond the track slots are never set by a range.
    EXPECT_EQ(0, gTrackSelection[kSelectionMask + 6] | gTrackSelection[kSelectionMask + 13]);
  }
}

TEST_F(TrackSelectionTest, ABitOutsideTheBoundsDoesNotSelectItsTrack) {
  MakeSong({0, 1, 2, 3, 4});
  SelectTrackSlot(1);
  SelectTrackSlot(4);
  SetTrackSelectionBounds(0, 3);
  SetCurrentTrackIndex(4);
  EXPECT_TRUE(IsCurrentTrackSlotSelected());
  EXPECT_FALSE(IsTrackEntrySelected(gCurrentTrack));
  EXPECT_FALSE(IsCurrentTrackWithinBounds());
  SetCurrentTrackIndex(1);
  EXPECT_TRUE(IsTrackEntrySelected(gCurrentTrack));
  SelectTrackSlot(48);  // ignored
  EXPECT_EQ(0, gTrackSelection[kSelectionMask + 6]);
}

TEST_F(TrackSelectionTest, TrackRangesSelectOnlyTracksThatExist) {
  std::vector<int> wide;  // 48 numbered tracks, reversed, and two without a number
  for (int n = 47; n >= 0; --n) wide.push_back(n);
  wide.push_back(255);
  wide.push_back(255);
  struct Case {
    std::vector<int> song;
    int first, last;
    const char* slots;
    int wantFirst, wantLast;
  } cases[] = {
      {{0, 2, 5, 9}, 1, 6, "2 5", 2, 5},          // shift-extend over gaps
      {{0, 2, 5, 9}, 0, 200, "0 2 5 9", 0, 9},
      {wide, 40, 60, "40 41 42 43 44 45 46 47", 40, 47},
      {wide, 0, 47, nullptr, 0, 47},
      {{}, 0, 47, "", 0, 0},                      // empty song
  };
  for (const Case& c : cases) {
    ResetSongDatabase();
    MakeSong(c.song);
    uint8_t* current = gCurrentTrack;
    gCurrentTrackNumber = 0;
    SelectTrackRangeWith(c.first, c.last, false);
    if (c.slots) EXPECT_EQ(c.slots, SelectedSlots(gTrackSelection));
    for (int n = 0; !c.slots && n < kMaxTrackNumbers; ++n) EXPECT_TRUE(IsTrackSlotSelected(n));
    EXPECT_EQ(c.wantFirst, gTrackSelection[kSelectionFirstSlot]);
    EXPECT_EQ(c.wantLast, gTrackSelection[kSelectionLastSlot]);
    EXPECT_EQ(current, gCurrentTrack);  // the current track is kept
    EXPECT_EQ(0, gCurrentTrackNumber);
    EXPECT_EQ(0, std::memcmp(gTrackSelection, gCurrentSong + kSongTrackSelection, 16));
  }
}

TEST_F(TrackSelectionTest, CommandToggleAndLinkGroups) {
  MakeSong({0, 1, 2, 3});
  SetCurrentTrackIndex(1);
  gCurrentTrack[kTrackGroup] = 7;
  SetCurrentTrackIndex(3);
  gCurrentTrack[kTrackGroup] = 7;

  SelectCurrentTrackOnly(false);
  EXPECT_EQ("3", SelectedSlots(gTrackSelection));
  SelectCurrentTrackOnly(true);
  EXPECT_EQ("1 3", SelectedSlots(gTrackSelection));

  SetCurrentTrackIndex(1);
  ToggleCurrentTrackSelected();
  EXPECT_EQ("3", SelectedSlots(gTrackSelection));
  EXPECT_FALSE(IsCurrentTrackSlotSelected());
  EXPECT_TRUE(IsCurrentTrackSelected());  // through its link group
  SetCurrentTrackIndex(2);
  EXPECT_FALSE(IsCurrentTrackSelected());
  ToggleCurrentTrackSelected();
  EXPECT_EQ("2 3", SelectedSlots(gTrackSelection));
  EXPECT_EQ(2, gTrackSelection[kSelectionFirstSlot]);
}

TEST_F(TrackSelectionTest, StoringKeepsTheSelectionInTheSongAndRedrawsTheTrackViews) {
  StoreSelectionInSong();  // no song: nothing happens
  MakeSong({0, 1, 2});
  uint32_t editor = gRedrawRequests[4], tracks = gRedrawRequests[5];
  TimeSelection savedTime = gTimeSelection;
  int8_t savedMode = gTimeDisplayMode;
  gTimeSelection.start = {480, 44100, 44100.0f};
  gTimeSelection.end = {960, 88200, 44100.0f};

  gTimeDisplayMode = -1;  // real time
  SelectAllTracks();
  EXPECT_EQ(0, std::memcmp(gTrackSelection, gCurrentSong + kSongTrackSelection, 16));
  EXPECT_EQ(47, gCurrentSong[kSongTrackSelection + kSelectionLastSlot]);
  EXPECT_TRUE(gCurrentSong[kSongOptions] & kSongOptionTimeInSamples);
  EXPECT_EQ(44100u, ReadU32BE(gCurrentSong + kSongSelectionSampleStart));
  EXPECT_EQ(0x472C4400u, ReadU32BE(gCurrentSong + kSongRate));  // 44100.0f
  EXPECT_GT(gRedrawRequests[4], editor);
  EXPECT_GT(gRedrawRequests[5], tracks);

  gTimeDisplayMode = 0;
  ToggleTrackSlot(gTrackSelection, 0);
  EXPECT_FALSE(gCurrentSong[kSongOptions] & kSongOptionTimeInSamples);
  EXPECT_EQ(960u, ReadU32BE(gCurrentSong + kSongSelectionSampleEnd));
  EXPECT_EQ(0u, ReadU32BE(gCurrentSong + kSongRate));
  EXPECT_FALSE(IsTrackSlotSelectedIn(gCurrentSong + kSongTrackSelection, 0));
  gTimeSelection = savedTime;
  gTimeDisplayMode = savedMode;
}

}  // namespace
