// The loop dialog's values: what it shows for a new section and for an existing one, and its
// OK as one undoable edit on every selected track (a new section) or on the current track.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "editors/sections/section_dialog.h"
#include "platform/memory/memory.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_numbers.h"
#include "song/model/track_sections.h"
#include "song/model/track_selection.h"
#include "song/model/utility_track_access.h"
#include "song/undo/undo_exchange.h"
#include "song/undo/undo_ring.h"

namespace {

class SectionDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DisposeUndoRing();
    ResetSongDatabase();
    ASSERT_EQ(noErr, AllocateUndoRing(kDefaultUndoLevels));
    ASSERT_EQ(noErr, CreateSongTracks(3, 1));
    for (int32_t i = 0; i < 3; ++i) {
      SetCurrentTrackIndex(i);
      gCurrentTrack[kTrackNumber] = uint8_t(i);
    }
    RebuildTrackNumberMap();
    SelectTrackSlotRange(0, 1);
    SetCurrentTrackIndex(0);
    SetTimeRange(0, 0);
  }
  void TearDown() override { DisposeUndoRing(); }

  // Every track's list bytes and loop flag.
  std::string Image() {
    std::string out;
    int32_t current = GetCurrentTrackIndex();
    for (int32_t i = 0; i < 3; ++i) {
      SetCurrentTrackIndex(i);
      Handle list = GetTrackSectionList(gCurrentTrack);
      out += "|" + std::to_string(gCurrentTrack[kTrackFlags] & kTrackLoopFlag) + ":";
      if (list) out += std::string(HandleData(list), size_t(GetHandleSize(list)));
    }
    SetCurrentTrackIndex(current);
    return out;
  }
  std::array<uint32_t, 3> EntryOf(int32_t track, int32_t i) {
    SetCurrentTrackIndex(track);
    SectionFields f;
    EXPECT_TRUE(GetSectionFields(GetTrackSectionList(gCurrentTrack), i, &f)) << track << " " << i;
    return {f.start, f.end, f.count};
  }
};

TEST_F(SectionDialogTest, NewSectionShowsTheTimeSelectionOrTheWholeSong) {
  SectionDialogValues v = GetSectionDialogDefaults(true, 0);
  EXPECT_EQ(1, v.start);
  EXPECT_EQ(int32_t(ReadU32BE(gCurrentSong + kSongEndTick)), v.end);
  EXPECT_EQ(1, v.count);
  EXPECT_FALSE(v.endless);
  SetTimeRange(241, 721);
  v = GetSectionDialogDefaults(true, 0);
  EXPECT_EQ(241, v.start);
  EXPECT_EQ(721, v.end);
  ASSERT_EQ(noErr, InsertSection(50, 90, 0));
  v = GetSectionDialogDefaults(false, 0);
  EXPECT_EQ(50, v.start);
  EXPECT_EQ(90, v.end);
  EXPECT_TRUE(v.endless);
}

TEST_F(SectionDialogTest, OkAddsANewSectionToTheSelectedTracksAsOneStep) {
  SetCurrentTrackIndex(1);
  ASSERT_EQ(noErr, InsertSection(100, 300, 2));  // lies in the new range: replaced
  SetCurrentTrackIndex(0);
  std::string before = Image();
  SectionDialogValues v;
  v.start = 0;  // at least 1
  v.end = 400;
  v.count = 4;
  ASSERT_EQ(1, ApplySectionDialog(true, 0, v));
  EXPECT_EQ((std::array<uint32_t, 3>{1, 400, 4}), EntryOf(0, 0));
  EXPECT_EQ((std::array<uint32_t, 3>{1, 400, 4}), EntryOf(1, 0));
  SetCurrentTrackIndex(2);
  EXPECT_FALSE(GetTrackSectionList(gCurrentTrack));  // not selected
  std::string after = Image();
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_EQ(before, Image());
  ASSERT_EQ(noErr, RedoEdit());
  EXPECT_EQ(after, Image());
}

TEST_F(SectionDialogTest, OkChangesAnExistingEntryOfTheCurrentTrack) {
  SetCurrentTrackIndex(2);
  ASSERT_EQ(noErr, InsertSection(100, 200, 2));
  ASSERT_EQ(noErr, InsertSection(500, 600, 1));
  std::string before = Image();
  SectionDialogValues v = GetSectionDialogDefaults(false, 0);
  v.start = 700;
  v.end = 800;
  v.endless = true;
  ASSERT_EQ(1, ApplySectionDialog(false, 0, v));
  EXPECT_EQ((std::array<uint32_t, 3>{500, 600, 1}), EntryOf(2, 0));
  EXPECT_EQ((std::array<uint32_t, 3>{700, 800, 0}), EntryOf(2, 1));
  SetCurrentTrackIndex(2);
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_EQ(before, Image());
}

}  // namespace
