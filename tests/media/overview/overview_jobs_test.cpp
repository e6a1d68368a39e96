// The overview of a track's record, made by the background worker or at once, and kept in
// step: after an edit of the track's audio a range update gives the overview of the new
// audio; after a tempo change the overviews are discarded and the next one follows the new
// times; a job belongs to the song it was queued in; waiting for the worker makes it give up.
#include <gtest/gtest.h>

#include "media/background_jobs.h"
#include "media/overview/overview_blocks.h"
#include "media/overview/overview_file_format.h"
#include "media/overview/overview_files.h"
#include "media/overview/overview_jobs.h"
#include "media/overview/overview_track.h"
#include "media/track_audio/track_audio.h"
#include "platform/files/file_locations.h"
#include "platform/memory/memory.h"
#include "song/documents/document_file.h"
#include "platform/threads/cooperative_threads.h"
#include "shell/base/app_state.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/song_list_slots.h"
#include "song/model/utility_track_access.h"
#include "song/conductor/sample_position.h"
#include "tests/media/overview/overview_fixture.h"

namespace {

using namespace overview_test;

class OverviewJobs : public ConductorTest {
 protected:
  void SetUp() override {
    ConductorTest::SetUp();
    savedWord_ = gAppState[1];
    path_ = tmp_.File("ramp.aiff");
    ASSERT_TRUE(MakeSoxFile(path_, "-r 48000 -c 2 -b 16 synth 2.00123 sawtooth 3 sine 440"));
    samples_ = ReadSamples(path_);
    ASSERT_TRUE(file_.Open(path_));
  }
  void TearDown() override {
    WaitForOverviewThread();
    gAppState[1] = savedWord_;
  }
  void Background(bool on) {
    gAppState[1] = on ? uint16_t(gAppState[1] | kAppWord1ThreadManager) : uint16_t(gAppState[1] & ~kAppWord1ThreadManager);
  }
  // The current track gets a record playing the pieces.
  Handle Attach(const std::vector<Piece>& pieces) { return file_.AttachToCurrentTrack(pieces, 48000.0f); }
  void RunWorker() {
    for (int i = 0; i < 100000 && gOverviewThreadCount != 0; ++i) YieldToAnyThread();
    ASSERT_EQ(0, gOverviewThreadCount);
  }
  void ExpectOverviewOf(Handle record, const std::vector<Piece>& pieces) {
    Handle chain = ViewTrackAudio(record).Overview();
    ASSERT_TRUE(chain);
    EXPECT_EQ(kOverviewIdle, ViewTrackAudio(record).OverviewState());
    std::vector<std::vector<TickValue>> want = ExpectedOverview(PlayedSamples(samples_, pieces), 48000);
    for (int32_t c = 0; c < 2; ++c) {
      SCOPED_TRACE(testing::Message() << "channel " << c);
      std::vector<TickValue> got = Padded(BlockTicks(OverviewBlockForChannel(chain, c)), want[size_t(c)].size());
      EXPECT_EQ(want[size_t(c)], got);
    }
  }
  std::vector<Piece> Whole() const { return {{0, samples_.frames, false}}; }

  zarin_test::TempFolder tmp_;
  std::string path_;
  Samples samples_;
  PlayedFile file_;
  uint16_t savedWord_ = 0;
};

TEST_F(OverviewJobs, AskingForTheOverviewMakesItInTheBackgroundOrAtOnce) {
  for (bool background : {true, false}) {
    SCOPED_TRACE(background ? "background" : "at once");
    Background(background);
    Handle record = Attach(Whole());
    EnsureTrackOverview();
    if (background) {
      EXPECT_FALSE(ViewTrackAudio(record).Overview());
      EXPECT_EQ(kOverviewQueued, ViewTrackAudio(record).OverviewState());
      EXPECT_EQ(1, gOverviewThreadCount);
      RunWorker();
    }
    ExpectOverviewOf(record, Whole());
    DisposeTrackAudio(gCurrentTrack + kTrackRegionList);
  }
}

// The track's audio changes from the middle on (another part of the file plays there): the
// range update leaves the overview of the new audio.
TEST_F(OverviewJobs, ARangeUpdateAfterAnEditGivesTheOverviewOfTheNewAudio) {
  for (bool background : {true, false}) {
    SCOPED_TRACE(background ? "background" : "at once");
    Background(background);
    Handle record = Attach(Whole());
    Background(false);
    ASSERT_TRUE(EnsureTrackOverview());
    Background(background);
    int64_t a = 30011, b = 30011 + 24000;
    std::vector<Piece> edited = {{0, a, false}, {60000, b - a, false}, {b, samples_.frames - b, false}};
    TrackAudioView v = ViewTrackAudio(record);
    DisposeHandle(v.Regions());
    v.SetRegions(file_.MakeRegions(edited));
    RequestOverviewUpdate(int32_t(SamplePositionToTick(a, 48000)), 0);
    if (background) RunWorker();
    ExpectOverviewOf(record, edited);
    DisposeTrackAudio(gCurrentTrack + kTrackRegionList);
  }
}

TEST_F(OverviewJobs, ATempoChangeDiscardsTheOverviewAndTheNextOneFollowsTheNewTimes) {
  Background(false);
  Handle record = Attach(Whole());
  ASSERT_TRUE(EnsureTrackOverview());
  ExpectOverviewOf(record, Whole());
  TempoAt(1, 900);
  TempoAt(700, 1433);
  RefreshMarkers(1);
  EXPECT_FALSE(ViewTrackAudio(record).Overview());
  EnsureTrackOverview();
  ExpectOverviewOf(record, Whole());
  DisposeTrackAudio(gCurrentTrack + kTrackRegionList);
}

// A job queued in one song and run after another song became current still works on its own
// song's track, and leaves the other song's track of the same index alone.
TEST_F(OverviewJobs, AJobBelongsToTheSongItWasQueuedIn) {
  Background(true);
  Handle first = Attach(Whole());
  Handle firstSong = gCurrentSongHandle;
  EnsureTrackOverview();
  SelectSongIndex(1);
  ASSERT_EQ(noErr, MakeSongInEmptySlot());
  ASSERT_NE(firstSong, gCurrentSongHandle);
  Handle second = Attach({{0, 48000, false}});
  Handle secondSong = gCurrentSongHandle;
  RunWorker();
  EXPECT_EQ(secondSong, gCurrentSongHandle);  // the main thread's song is its own again
  EXPECT_FALSE(ViewTrackAudio(second).Overview());
  ExpectOverviewOf(first, Whole());
  DisposeTrackAudio(gCurrentTrack + kTrackRegionList);
  SelectSong(firstSong);
  DisposeTrackAudio(gCurrentTrack + kTrackRegionList);
}

TEST_F(OverviewJobs, WaitingForTheWorkerMakesItsJobsGiveUp) {
  Background(true);
  Handle record = Attach(Whole());
  EnsureTrackOverview();
  RequestOverviewUpdate(5, 50);  // no overview yet: waits, and clears the record
  EXPECT_EQ(0, gOverviewThreadCount);
  EXPECT_FALSE(ViewTrackAudio(record).Overview());
  EXPECT_EQ(kOverviewIdle, ViewTrackAudio(record).OverviewState());
  WaitForOverviewThread();  // none runs: returns at once
  EnsureTrackOverview();  // the next drawing starts the whole computation again
  RunWorker();
  ExpectOverviewOf(record, Whole());
  DisposeTrackAudio(gCurrentTrack + kTrackRegionList);
}

// Saving writes the overview beside the document and the record keeps its alias; the file
// brings the overview back; saving again in place leaves one file; a damaged file is refused
// and left as it is; a track without an overview writes none and loses its alias.
TEST_F(OverviewJobs, TheCacheFileBesideTheDocumentBringsTheOverviewBack) {
  Background(false);
  Handle record = Attach(Whole());
  ASSERT_TRUE(EnsureTrackOverview());
  std::string before;
  for (Handle b = ViewTrackAudio(record).Overview(); b; b = OverviewBlockNext(b))
    before += std::string(HandleData(b) + kOverviewHeaderBytes, size_t(GetHandleSize(b) - kOverviewHeaderBytes));
  ASSERT_TRUE(zarin_test::WriteWholeFile(tmp_.File("Tune.zs"), "song"));
  FSSpec savedDoc = gCurrentDocumentSpec;
  ASSERT_EQ(noErr, PathToSpec(tmp_.File("Tune.zs"), &gCurrentDocumentSpec));
  FSSpec doc = gCurrentDocumentSpec;
  ASSERT_EQ(noErr, SaveDocumentOverviewFiles(&doc, true));
  ASSERT_TRUE(ViewTrackAudio(record).OverviewAlias());
  std::string file = zarin_test::ReadWholeFile(tmp_.File("Tune.OVV"));
  EXPECT_EQ(size_t(4 + GetHandleSize(ViewTrackAudio(record).Overview())) * 2, file.size());  // two blocks
  ASSERT_EQ(noErr, SaveDocumentOverviewFiles(&doc, true));  // again in place: a new file, the old one gone
  EXPECT_EQ("", zarin_test::ReadWholeFile(tmp_.File("Tune.OVV")));
  EXPECT_EQ(file, zarin_test::ReadWholeFile(tmp_.File("Tune 2.OVV")));

  ClearOverviewDirty();
  LoadDocumentOverviewFiles();
  ExpectOverviewOf(record, Whole());
  std::string after;
  for (Handle b = ViewTrackAudio(record).Overview(); b; b = OverviewBlockNext(b))
    after += std::string(HandleData(b) + kOverviewHeaderBytes, size_t(GetHandleSize(b) - kOverviewHeaderBytes));
  EXPECT_EQ(before, after);

  std::string damaged = file.substr(0, file.size() - 9);
  ASSERT_TRUE(zarin_test::WriteWholeFile(tmp_.File("Tune 2.OVV"), damaged));
  ClearOverviewDirty();
  EXPECT_EQ(kOverviewFileDamaged, LoadOverviewFile());
  EXPECT_FALSE(ViewTrackAudio(record).Overview());
  EXPECT_EQ(damaged, zarin_test::ReadWholeFile(tmp_.File("Tune 2.OVV")));

  EXPECT_EQ(noErr, MakeOverviewFileAlias(&doc));  // no overview: no file, no alias
  EXPECT_FALSE(ViewTrackAudio(record).OverviewAlias());
  gCurrentDocumentSpec = savedDoc;
  DisposeTrackAudio(gCurrentTrack + kTrackRegionList);
}

}  // namespace
