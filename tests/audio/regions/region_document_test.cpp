// An edited region list is saved with its song and comes back from the reopened document as
// its merged form: the same records, borders, silence, file positions, names and flags. The
// reader merges the active list of each track it reads (pieces that continue each other,
// empty records, trailing silence) and leaves the inactive one as it was stored.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "audio/regions/region_lists.h"
#include "audio/regions/region_placement.h"
#include "audio/regions/region_tempo_follow.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/model/audio_region.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"
#include "tests/song/documents/document_fixture.h"

namespace {

// The reader's merging installed as the program installs it.
class RegionDocument : public doc_test::DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    InstallRegionHooks();
  }
};

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

// Appends a record: a piece of the file "take" (from byte at, frames long) or silence.
void AppendRegion(Handle list, int64_t frames, int32_t at = -1) {
  int32_t n = CountAudioRegions(list);
  SetHandleSize(list, (n + 1) * kRegionSize);
  uint8_t* region = RegionRecord(list, n);
  std::memset(region, 0, kRegionSize);
  region[kRegionBytesPerFrameAt] = 2;
  if (at < 0) {
    WriteU16BE(region + kRegionFlagsAt, kRegionFlagSilent);
    InitRegionLength(region, 2, frames, true);
    return;
  }
  WriteU32BE(region + kRegionFileOffsetAt, uint32_t(at));
  region[kRegionNameAt] = 4;
  std::memcpy(region + kRegionNameAt + 1, "take", 4);
  InitRegionLength(region, 2, frames, true);
}

// Two pieces that continue each other, an empty piece and two silent records at the end.
Handle UnmergedList() {
  Handle list = NewHandleClear(0);
  AppendRegion(list, 3000, 54);
  AppendRegion(list, 5000, 54 + 6000);
  AppendRegion(list, 0, 54 + 16000);
  AppendRegion(list, 100);
  AppendRegion(list, 200);
  return list;
}

Handle Normalized(const std::string& bytes) {
  Handle list = NewHandle(Size(bytes.size()));
  std::memcpy(HandleData(list), bytes.data(), bytes.size());
  return NormalizeRegionList(list, false);
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
  Handle merged = Normalized(saved);
  EXPECT_EQ(ListBytes(reopened), ListBytes(merged));
  DisposeHandle(merged);
}

class ReaderMerging : public RegionDocument, public ::testing::WithParamInterface<bool> {};

TEST_P(ReaderMerging, TheActiveListIsMergedAndTheOtherStaysAsStored) {
  bool secondActive = GetParam();
  MakeSong(0, 1);
  AddTrackBlocks(0, 3);
  Handle records[2] = {Handle(ReadU32BE(gCurrentTrack + kTrackRegionList)),
                       Handle(ReadU32BE(gCurrentTrack + kTrackRegionList2))};
  std::string saved[2];
  for (int r = 0; r < 2; ++r) {
    DisposeHandle(TrackAudioRegionList(records[r]));
    SetTrackAudioRegionList(records[r], UnmergedList());
    saved[r] = ListBytes(TrackAudioRegionList(records[r]));
  }
  if (secondActive) gCurrentTrack[kTrackOutputFlags] |= kTrackOutputSecondRegions;

  ASSERT_EQ(Save("regions.zar"), noErr);
  ASSERT_EQ(Open("regions.zar"), noErr);
  SetCurrentTrackIndex(0);
  int active = secondActive ? 1 : 0;
  Handle lists[2] = {TrackAudioRegionList(Handle(ReadU32BE(gCurrentTrack + kTrackRegionList))),
                     TrackAudioRegionList(Handle(ReadU32BE(gCurrentTrack + kTrackRegionList2)))};
  ASSERT_TRUE(lists[0] && lists[1]);
  Handle merged = lists[active];
  ASSERT_EQ(CountAudioRegions(merged), 2);
  EXPECT_EQ(RegionLength(RegionRecord(merged, 0)), 8000);
  EXPECT_EQ(ReadU32BE(RegionRecord(merged, 0) + kRegionByteLengthAt), 16000u);
  EXPECT_EQ(ReadU32BE(RegionRecord(merged, 0) + kRegionFileOffsetAt), 54u);
  EXPECT_TRUE(IsSilentRegion(RegionRecord(merged, 1)));
  EXPECT_EQ(RegionLength(RegionRecord(merged, 1)), 300);
  EXPECT_EQ(ListBytes(lists[1 - active]), saved[1 - active]);
}

INSTANTIATE_TEST_SUITE_P(MainOrAlternate, ReaderMerging, ::testing::Bool());
