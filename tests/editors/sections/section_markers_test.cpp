// The section markers along a pane's top: drawn where the axis puts a section's start and
// end, only for a looping track; the hit test takes the last entry first; the repeat the
// counters show.
#include "editors/sections/section_markers.h"

#include "editors/scale_time/scale_time.h"
#include "song/events/time_selection.h"
#include "song/model/track_selection.h"

#include "platform/memory/memory.h"
#include "platform/quickdraw/geometry.h"
#include "platform/resources/resource_files.h"
#include "platform/resources/resources.h"
#include "shell/windows/editor_panes.h"
#include "song/model/song_context.h"
#include "song/model/track_length.h"
#include "tests/editors/pane_fixture.h"

namespace editors_test {
namespace {

std::vector<uint8_t> HandleBytes(Handle h) {
  const auto* p = reinterpret_cast<const uint8_t*>(HandleData(h));
  return std::vector<uint8_t>(p, p + GetHandleSize(h));
}

constexpr uint32_t kFlag = 0x4F86C6, kBar = 0x1F3A68;

class SectionMarkersTest : public PaneDrawingTest {
 protected:
  void SetUp() override {
    PaneDrawingTest::SetUp();
    SInt16 ref = -1;
    ASSERT_EQ(noErr, OpenAppResourceFile(ZARIN_TEST_APP_RESOURCES, &ref));
    AddTrack(0, NoteRecords({{1, 60, 10}, {700, 62, 10}}));
    AddPane(0, 48);
  }
  SectionMarkerRects Rects(int32_t i) {
    SectionFields f;
    EXPECT_TRUE(GetSectionFields(GetTrackSectionList(gCurrentTrack), i, &f));
    return GetSectionMarkerRects(f, int16_t(gEditorPanes[0].top));
  }
};

TEST_F(SectionMarkersTest, MarkersLieAtTheSectionsStartAndEndOfALoopingTrack) {
  ASSERT_EQ(noErr, InsertSection(121, 481, 3));
  Draw();
  SectionMarkerRects r = Rects(0);
  ASSERT_LT(r.end.right, 600);
  EXPECT_EQ(gEditorPanes[0].top + 1, r.start.top);
  EXPECT_EQ(gEditorPanes[0].top + 3, r.end.top);
  EXPECT_GT(Count(r.start, kFlag), 0);
  EXPECT_GT(Count(r.end, kFlag), 0);
  // The start marker's bar stands at its left edge, the end marker's at its right.
  EXPECT_EQ(kBar, Pixel(r.start.left + 1, r.start.top + 7));
  EXPECT_EQ(kBar, Pixel(r.end.right - 2, r.end.top + 7));
  // A track that does not loop shows no markers.
  gCurrentTrack[kTrackFlags] &= uint8_t(~kTrackLoopFlag);
  Draw();
  EXPECT_EQ(0, Count(r.start, kFlag));
  EXPECT_EQ(0, Count(r.end, kFlag));
}

// Scale time doubles the section that starts in the selection about its start; a section
// behind the selection stays where it was.
TEST_F(SectionMarkersTest, ScaleTimeScalesTheSectionsThatStartInTheSelection) {
  ASSERT_EQ(noErr, InsertSection(121, 241, 2));
  ASSERT_EQ(noErr, InsertSection(601, 661, 2));
  SelectAllTracks();
  SetTimeRange(1, 481);
  ScaleTimeSelection(0, 2, 1, kScaleKeepsRatioOrder);
  SectionFields first, second;
  ASSERT_TRUE(GetSectionFields(GetTrackSectionList(gCurrentTrack), 0, &first));
  ASSERT_TRUE(GetSectionFields(GetTrackSectionList(gCurrentTrack), 1, &second));
  EXPECT_EQ(241u, first.start);
  EXPECT_EQ(481u, first.end);
  EXPECT_EQ(601u, second.start);
  EXPECT_EQ(661u, second.end);
}

TEST_F(SectionMarkersTest, HitTestTakesTheLastEntryFirst) {
  ASSERT_EQ(noErr, InsertSection(121, 481, 3));
  ASSERT_EQ(noErr, InsertSection(479, 721, 0));  // its start marker lies over the first's end
  Draw();
  SectionMarkerRects first = Rects(0), second = Rects(1);
  Rect both;
  ASSERT_TRUE(SectRect(&first.end, &second.start, &both)) << "the markers overlap";
  EXPECT_EQ(1, HitTestSectionMarkers(Point{int16_t(both.top + 1), both.left}));
  EXPECT_EQ(0, HitTestSectionMarkers(Point{int16_t(first.start.top + 2), int16_t(first.start.left + 2)}));
  EXPECT_EQ(-1, HitTestSectionMarkers(Point{int16_t(first.start.bottom + 20), int16_t(first.start.left + 2)}));
  gCurrentTrack[kTrackFlags] &= uint8_t(~kTrackLoopFlag);
  EXPECT_EQ(-1, HitTestSectionMarkers(Point{int16_t(first.start.top + 2), int16_t(first.start.left + 2)}));
}

TEST_F(SectionMarkersTest, CountersShowTheFirstSectionsRepeat) {
  ASSERT_EQ(noErr, InsertSection(100, 200, 3));
  StoreTrackLength(100000);
  std::vector<uint8_t> list = HandleBytes(GetTrackSectionList(gCurrentTrack));
  struct Case {
    uint32_t position, repeat;
  } cases[] = {{99, 0}, {100, 1}, {150, 1}, {250, 2}, {350, 3}, {400, 3}, {401, 0}};
  for (const Case& c : cases) EXPECT_EQ(c.repeat, GetDisplayedSectionRepeat(gCurrentTrack, c.position)) << c.position;
  EXPECT_EQ(list, HandleBytes(GetTrackSectionList(gCurrentTrack)));
  gCurrentTrack[kTrackFlags] |= kTrackInactiveFlag;
  EXPECT_EQ(0u, GetDisplayedSectionRepeat(gCurrentTrack, 250));
}

}  // namespace
}  // namespace editors_test
