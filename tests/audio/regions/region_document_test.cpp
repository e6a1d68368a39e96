// An edited region list is saved with its song and comes back from the reopened document
// byte for byte: the same records, borders, silence, file positions, names and flags.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "audio/regions/region_lists.h"
#include "audio/regions/region_placement.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/model/audio_region.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"
#include "tests/song/documents/document_fixture.h"

namespace {

class RegionDocument : public doc_test::DocumentTest {};

std::string ListBytes(Handle list) { return std::string(HandleData(list), size_t(GetHandleSize(list))); }

// A file region of 8000 frames at 2 bytes a frame, split, cut, silenced and a piece pasted.
Handle EditedList() {
  Handle list = NewHandleClear(kRegionSize);
  uint8_t* region = RegionRecord(list, 0);
  WriteU32BE(region + kRegionFileOffsetAt, 54);
  region[kRegionBytesPerFrameAt] = 2;
  region[kRegionNameAt] = 4;
  std::memcpy(region + kRegionNameAt + 1, "take", 4);
  InitRegionLength(region, 2, 8000, true);
  bool remove = true;
  EXPECT_EQ(SetRegionRange(list, 1000, 2500, &remove, false), noErr);
  remove = false;
  EXPECT_EQ(SetRegionRange(list, 4000, 4100, &remove, false), noErr);
  EXPECT_EQ(InsertSilence(list, 5000, 5333), noErr);
  Handle clip = NewHandle(kRegionSize);
  BlockMoveData(RegionRecord(list, 0), HandleData(clip), kRegionSize);
  EXPECT_EQ(PasteRegions(clip, 0, 1, list, 2, 0, 0, 0), noErr);
  DisposeHandle(clip);
  return list;
}

}  // namespace

TEST_F(RegionDocument, AnEditedListComesBackFromTheSavedDocument) {
  MakeSong(0, 1);
  AddTrackBlocks(0, 3);
  Handle record(ReadU32BE(gCurrentTrack + kTrackRegionList));
  DisposeHandle(TrackAudioRegionList(record));
  Handle list = EditedList();
  ASSERT_GE(CountAudioRegions(list), 6);
  SetTrackAudioRegionList(record, list);
  const std::string saved = ListBytes(list);

  ASSERT_EQ(Save("regions.zar"), noErr);
  ASSERT_EQ(Open("regions.zar"), noErr);
  SetCurrentTrackIndex(0);
  Handle reopened = TrackAudioRegionList(Handle(ReadU32BE(gCurrentTrack + kTrackRegionList)));
  ASSERT_TRUE(reopened);
  EXPECT_EQ(ListBytes(reopened), saved);
}
