// The main editor's audio pane draws the waveform of its track: a stereo sox file (a sine on
// the left, a sawtooth on the right) played by the track's audio record, drawn at overview
// zoom levels (one pixel column per 8, 2 and 1 ticks) and sample by sample (4 and 1 samples
// per pixel, and 4 pixels per sample), each column checked against the envelope the samples
// read by libsndfile give; looping repeats, region frames, and the drawing while the overview
// is still being computed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "editors/panes/pane_content.h"
#include "editors/timeline/timeline_axis.h"
#include "editors/waveforms/track_waveform.h"
#include "media/background_jobs.h"
#include "media/overview/overview_blocks.h"
#include "media/track_audio/track_audio.h"
#include "platform/resources/resource_files.h"
#include "platform/resources/resource_manager.h"
#include "platform/threads/cooperative_threads.h"
#include "shell/base/app_state.h"
#include "shell/windows/editor_panes.h"
#include "song/conductor/sample_position.h"
#include "song/model/audio_region.h"
#include "song/model/media_hooks.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_length.h"
#include "song/model/track_sections.h"
#include "tests/editors/pane_fixture.h"
#include "tests/media/overview/overview_fixture.h"

namespace {

using namespace editors_test;
using namespace overview_test;

constexpr RGBColor kWave = {0x0000, 0x8000, 0x0000};
constexpr uint32_t kWaveRgb = 0x008000;
constexpr uint32_t kSecondRgb = 0x606070;
constexpr uint32_t kRedRgb = 0xFF0000;
constexpr uint32_t kBlackRgb = 0x000000;
constexpr float kRate = 48000.0f;

struct Lane {
  int16_t top, height;
};

// Rows of one lane that hold colour rgb in column x: the first, the last and how many.
struct ColumnInk {
  int first = -1, last = -1, count = 0;
};

class WaveformDrawing : public PaneDrawingTest {
 protected:
  void SetUp() override {
    PaneDrawingTest::SetUp();
    savedReady_ = gSongMediaHooks.isTrackAudioReady;
    savedWord_ = gAppState[1];
    gSongMediaHooks.isTrackAudioReady = IsMainTrackAudioReady;
    gAppState[1] = uint16_t(gAppState[1] & ~kAppWord1ThreadManager);
    gRegionDisplay = 0;
    UseTimebase(384, 6, 8);
    path_ = tmp_.File("wave.aiff");
    ASSERT_TRUE(MakeSoxFile(path_, "-r 48000 -c 2 -b 16 synth 1.5 sine 3 sawtooth 2 vol 0.9"));
    samples_ = ReadSamples(path_);
    ASSERT_EQ(2, samples_.channels);
    ASSERT_TRUE(file_.Open(path_));
    AddTrack(1, NoteRecords({}));
    AddPane(1, 0);
    gEditorPanes[0].viewMode = kAudioClass;  // the audio view
    SongHeaderView(gCurrentSong).SetEndTick(1 << 24);
    SongHeaderView(gCurrentSong).SetSongMode(1);  // a song that shows its audio tracks
    HideBarAndGridLines();
  }
  void TearDown() override {
    WaitForOverviewThread();
    if (gCurrentTrack) DisposeTrackAudio(gCurrentTrack + kTrackRegionList);
    gSongMediaHooks.isTrackAudioReady = savedReady_;
    gAppState[1] = savedWord_;
    gRegionDisplay = 1;
    PaneDrawingTest::TearDown();
  }
  Handle Attach(const std::vector<Piece>& pieces) {
    Handle record = file_.AttachToCurrentTrack(pieces, kRate);
    SetTrackAudioColor(record, kWave);
    return record;
  }
  std::vector<Piece> Whole() const { return {{0, samples_.frames, false}}; }

  // The pane's audio row: from the timeline's origin, one lane per channel.
  Rect Row() {
    Rect r;
    GetPaneContentRect(0, &r);
    r.bottom = int16_t(r.bottom - 1);
    r.left = gTimelineFrame.originX;
    return r;
  }
  Lane LaneOf(int c) {
    Rect r = Row();
    int16_t h = int16_t((r.bottom - r.top) / 2);
    return Lane{int16_t(r.top + c * h), h};
  }
  int16_t ValueY(const Lane& lane, int32_t v) { return int16_t(lane.top + ((v * (lane.height - 2) + 128) >> 8)); }
  int16_t SampleY(const Lane& lane, int64_t frame, int c) {
    int32_t v = samples_.ints[size_t(frame * 2 + c)] >> 16;
    return int16_t(lane.top + int64_t(v + 32768) * (lane.height - 2) / 65536);
  }
  ColumnInk Ink(int16_t x, const Lane& lane, uint32_t rgb) {
    ColumnInk ink;
    for (int y = lane.top; y < lane.top + lane.height; ++y) {
      if (Pixel(x, y) != rgb) continue;
      if (ink.first < 0) ink.first = y;
      ink.last = y;
      ++ink.count;
    }
    return ink;
  }
  // The columns checked: clear of the channel labels, left of the window's scroll bar.
  int16_t FirstColumn() { return int16_t(Row().left + 24); }
  int16_t EndColumn() { return int16_t(GetMainWindowRight() - kTimelineScrollBarWidth - 1); }

  // At shift 0 and up every column holds one line from the lowest to the highest value of
  // its ticks (shifted back by offset ticks), in rgb.
  void ExpectOverviewColumns(int32_t leftTick, int16_t shift, uint32_t rgb, int32_t fromTick = 1,
                             int32_t toTick = INT32_MAX, int32_t offset = 0) {
    std::vector<std::vector<TickValue>> want = ExpectedOverview(samples_, kRate);
    int checked = 0;
    for (int c = 0; c < 2; ++c) {
      Lane lane = LaneOf(c);
      for (int16_t x = FirstColumn(); x < EndColumn(); ++x) {
        int64_t first = leftTick + (int64_t(x - Row().left) << shift), end = first + (int64_t(1) << shift);
        if (first < fromTick || end - 1 > toTick) continue;
        int32_t lo = 256, hi = -1;
        for (int64_t t = first; t < end; ++t) {
          int64_t i = t - offset - 1;
          if (i < 0 || i >= int64_t(want[size_t(c)].size()) || !want[size_t(c)][size_t(i)]) continue;
          lo = std::min(lo, want[size_t(c)][size_t(i)]->first);
          hi = std::max(hi, want[size_t(c)][size_t(i)]->second);
        }
        if (hi < 0) continue;
        SCOPED_TRACE(testing::Message() << "channel " << c << " column " << x << " ticks " << first);
        ColumnInk ink = Ink(x, lane, rgb);
        ASSERT_EQ(ValueY(lane, lo), ink.first);
        ASSERT_EQ(ValueY(lane, hi), ink.last);
        ASSERT_EQ(ink.last - ink.first + 1, ink.count);
        ++checked;
      }
    }
    EXPECT_GT(checked, 100);
  }

  zarin_test::TempFolder tmp_;
  std::string path_;
  Samples samples_;
  PlayedFile file_;
  bool (*savedReady_)() = nullptr;
  uint16_t savedWord_ = 0;
};

TEST_F(WaveformDrawing, OverviewZoomLevelsDrawTheEnvelopeOfEachColumnsTicks) {
  Attach(Whole());
  for (int16_t shift : {3, 1, 0}) {
    SCOPED_TRACE(testing::Message() << "shift " << shift);
    gZoomLevel = shift;
    gTimelineLeftTick = shift == 0 ? 301 : 1;
    Draw();
    ExpectOverviewColumns(gTimelineLeftTick, shift, kWaveRgb);
  }
}

// The drawing walks each block from where the last drawing began; a view left of it starts
// again from tick 1 and draws the same picture.
TEST_F(WaveformDrawing, ScrollingLeftOfTheCachedPositionGivesTheSamePicture) {
  Attach(Whole());
  gZoomLevel = 1;
  for (int32_t left : {700, 57, 1}) {
    SCOPED_TRACE(testing::Message() << "left tick " << left);
    gTimelineLeftTick = left;
    Draw();
    ExpectOverviewColumns(left, 1, kWaveRgb);
  }
}

// Shifts -3 and -5: each column holds 4 samples, or one; -6: each sample takes 4 pixels and
// is marked with a cross. The view starts at the editor's sample origin.
TEST_F(WaveformDrawing, SampleZoomLevelsDrawEverySample) {
  Attach(Whole());
  gTimelineLeftSample = 20011;
  for (int16_t shift : {-3, -5, -6}) {
    SCOPED_TRACE(testing::Message() << "shift " << shift);
    gZoomLevel = shift;
    Draw();
    int checked = 0;
    for (int c = 0; c < 2; ++c) {
      Lane lane = LaneOf(c);
      EXPECT_EQ(kRedRgb, Pixel(FirstColumn() + 1, lane.top + (lane.height - 2) / 2)) << "the zero line";
      for (int16_t x = FirstColumn(); x < EndColumn(); ++x) {
        int64_t offset = x - Row().left;
        SCOPED_TRACE(testing::Message() << "channel " << c << " column " << x);
        if (shift == -3) {
          int16_t lo = INT16_MAX, hi = INT16_MIN;
          for (int k = 0; k < 4; ++k) {
            int16_t y = SampleY(lane, int64_t(gTimelineLeftSample) + offset * 4 + k, c);
            lo = std::min(lo, y), hi = std::max(hi, y);
          }
          ColumnInk ink = Ink(x, lane, kWaveRgb);
          ASSERT_EQ(lo, ink.first);
          ASSERT_EQ(hi, ink.last);
          ASSERT_EQ(hi - lo + 1, ink.count);
        } else if (shift == -5) {
          int64_t f = int64_t(gTimelineLeftSample) + offset;
          int16_t y = SampleY(lane, f, c);
          int16_t lo = std::min({SampleY(lane, f - 1, c), y, SampleY(lane, f + 1, c)});
          int16_t hi = std::max({SampleY(lane, f - 1, c), y, SampleY(lane, f + 1, c)});
          ASSERT_EQ(kWaveRgb, Pixel(x, y));
          ColumnInk ink = Ink(x, lane, kWaveRgb);
          ASSERT_GE(ink.first, lo);
          ASSERT_LE(ink.last, hi);
        } else {
          if (offset % 4 != 0) continue;
          int16_t y = SampleY(lane, int64_t(gTimelineLeftSample) + offset / 4, c);
          for (Point p : {Point{y, x}, Point{y, int16_t(x - 1)}, Point{y, int16_t(x + 1)}, Point{int16_t(y - 1), x},
                          Point{int16_t(y + 1), x}})
            ASSERT_EQ(kWaveRgb, Pixel(p.h, p.v)) << "the mark at " << p.h << "," << p.v;
        }
        ++checked;
      }
    }
    EXPECT_GT(checked, 200);
  }
}

// A looping track draws its waveform again every track length, in the second colour.
TEST_F(WaveformDrawing, ALoopingTrackRepeatsEveryTrackLengthInTheSecondColour) {
  Attach(Whole());
  int32_t length = 421;  // shorter than the audio: the repeat starts inside it
  StoreTrackLength(uint32_t(length));
  gCurrentTrack[kTrackFlags] = uint8_t(gCurrentTrack[kTrackFlags] | kTrackLoopFlag);
  ASSERT_EQ(uint32_t(length), GetTrackLength());
  gZoomLevel = 1;
  gTimelineLeftTick = 1;
  Draw();
  ExpectOverviewColumns(1, 1, kWaveRgb, 1, length);
  ExpectOverviewColumns(1, 1, kSecondRgb, length + 1, 2 * length, length);
}

// Regions are framed in red after the waveform, with their names and two black handles.
TEST_F(WaveformDrawing, RegionFramesShowWhereEachRegionStarts) {
  int64_t split = 30011;
  Attach({{0, split, false}, {split, samples_.frames - split, false}});
  gRegionDisplay = 1;
  gZoomLevel = 2;
  gTimelineLeftTick = 1;
  Draw();
  int16_t x = int16_t(Row().left + ((int32_t(SamplePositionToTick(split, kRate)) - 1) >> 2));
  Rect row = Row();
  EXPECT_EQ(kRedRgb, Pixel(x, (row.top + row.bottom) / 2)) << "the second region's left edge";
  Rect inner = {int16_t(row.top + 1), int16_t(x + 1), int16_t(row.top + 7), int16_t(x + 7)};
  EXPECT_EQ(36, Count(inner, kBlackRgb)) << "its top-left handle";
}

// While the worker computes the overview the pane shows the waveform from the audio with the
// notice across it; once the worker is done the overview gives the same picture.
TEST_F(WaveformDrawing, WhileTheOverviewIsComputedTheAudioIsDrawnWithTheNotice) {
  SInt16 ref = -1;
  ASSERT_EQ(noErr, OpenAppResourceFile(ZARIN_TEST_APP_RESOURCES, &ref));
  Handle record = Attach(Whole());
  gAppState[1] = uint16_t(gAppState[1] | kAppWord1ThreadManager);
  gZoomLevel = 3;
  gTimelineLeftTick = 1;
  Draw();  // queues the job
  ASSERT_EQ(kOverviewQueued, ViewTrackAudio(record).OverviewState());
  ASSERT_EQ(1, gOverviewThreadCount);
  Draw();
  Rect row = Row();
  Rect middle = {int16_t((row.top + row.bottom) / 2 - 8), row.left, int16_t((row.top + row.bottom) / 2 + 8), row.right};
  EXPECT_GT(Count(middle, kBlackRgb), 20) << "the notice";
  std::vector<std::vector<TickValue>> want = ExpectedOverview(samples_, kRate);
  Lane lane = LaneOf(0);
  int16_t x = int16_t(row.left + 40);
  int32_t lo = 256, hi = -1;
  for (int32_t t = 1 + 40 * 8; t < 1 + 41 * 8; ++t) lo = std::min(lo, want[0][size_t(t - 1)]->first), hi = std::max(hi, want[0][size_t(t - 1)]->second);
  EXPECT_EQ(ValueY(lane, lo), Ink(x, lane, kWaveRgb).first);
  EXPECT_EQ(ValueY(lane, hi), Ink(x, lane, kWaveRgb).last);
  for (int i = 0; i < 100000 && gOverviewThreadCount != 0; ++i) YieldToAnyThread();
  ASSERT_EQ(0, gOverviewThreadCount);
  ASSERT_TRUE(ViewTrackAudio(record).Overview());
  Draw();
  EXPECT_EQ(0, Count(middle, kBlackRgb)) << "no notice once the overview is there";
  ExpectOverviewColumns(1, 3, kWaveRgb);
  CloseResFile(ref);
}

}  // namespace
