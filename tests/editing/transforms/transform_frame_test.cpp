// The transform frame's apply step: the tracks in scope and the children their references play
// inside the selection are walked in the child's own ticks, and Undo gives every one back.
#include <gtest/gtest.h>

#include "editing/event_filters.h"
#include "editing/transforms/duration_transform.h"
#include "editing/transforms/transform_frame.h"
#include "song/events/time_selection.h"
#include "song/model/song_database.h"
#include "song/model/songs.h"
#include "song/model/track_selection.h"
#include "tests/song/sequence_references/reference_fixture.h"

namespace {

using refs_test::Row;
using refs_test::RowsOf;
using refs_test::SetTrackRows;

// Every note the walk visits becomes 7 ticks long.
int32_t MarkNote(uint8_t* event, void*) {
  if (SeqEventKind(event) == kKindNote) SetNoteDuration(event, 7);
  return 0;
}
int32_t MarkTrack(void*) { return WalkTransformRange(MarkNote, nullptr); }

class TransformFrameTest : public UndoFixture {};

TEST_F(TransformFrameTest, NestedSequencesAreWalkedInTheirOwnTicksAndUndoGivesThemBack) {
  AddSongInSlot(1, 1);
  SetCurrentTrackIndex(0);
  SetTrackRows({{1, 0x90, 60, 10}, {150, 0x90, 62, 10}, {300, 0x90, 64, 10}});
  AddSongInSlot(0, 1);
  SetCurrentTrackIndex(0);
  ASSERT_EQ(0, SetChildCount(1));
  ASSERT_EQ(0, AttachSongAsChild(true, 1, 0));
  // The reference plays the child from tick 1001; the selection 1101..1301 is its 101..301.
  SetTrackRows({{1001, 0x50, 0, 400}, {1100, 0x90, 50, 10}, {1200, 0x90, 52, 10}, {1301, 0x90, 54, 10}});
  Handle child = TrackEntryView(gCurrentTrack).Child(0);
  SelectTrackSlotRange(0, 0);
  SetTimeRange(1101, 1301);
  SetDefaultEventFilters();
  Handle parent = gCurrentSongHandle;
  std::string parentBefore = undo_test::SongImage(parent);
  std::string childBefore = undo_test::SongImage(child);

  ASSERT_TRUE(ApplyTransformToSelection(kUndoKindVelocity, MarkTrack, nullptr));
  std::vector<Row> parentRows = {{1001, 0x50, 0, 400}, {1100, 0x90, 50, 10}, {1200, 0x90, 52, 7}, {1301, 0x90, 54, 10}};
  EXPECT_EQ(parentRows, RowsOf(gCurrentTrack));
  SelectSong(child);
  SetCurrentTrackIndex(0);
  UpdateCurrentTrackPtr();
  std::vector<Row> childRows = {{1, 0x90, 60, 10}, {150, 0x90, 62, 7}, {300, 0x90, 64, 7}};
  EXPECT_EQ(childRows, RowsOf(gCurrentTrack));
  SelectSong(parent);

  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_EQ(parentBefore, undo_test::SongImage(parent));
  // The step keeps the child sequences of the tracks it keeps: the parent's child is as it was.
  SelectSong(parent);
  SetCurrentTrackIndex(0);
  UpdateCurrentTrackPtr();
  EXPECT_EQ(childBefore, undo_test::SongImage(TrackEntryView(gCurrentTrack).Child(0)));
}

}  // namespace
