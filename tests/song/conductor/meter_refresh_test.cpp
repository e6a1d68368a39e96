// What a change of the times asks of the views, the engine and the transport; the meter
// pop-up's entries and its choice as one undo step; a resolution change that keeps the
// selection in the song.
#include <string>
#include <vector>

#include "conductor_fixture.h"
#include "sequencer/transport/transport_position.h"
#include "shell/dialogs/drawn_popups.h"
#include "song/conductor/conductor_refresh_hooks.h"
#include "song/dialogs/meter_popup.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/undo/undo_exchange.h"
#include "song/undo/undo_ring.h"

namespace {

struct RefreshCounts {
  int32_t overviews = 0, prepares = 0, lastPrepareFull = -1, chases = 0;
  int32_t toolWindows = 0, resolution = 0, trackMeter = 0;
};
RefreshCounts gCounts;

class MeterRefreshTest : public ConductorTest {
 protected:
  void SetUp() override {
    ConductorTest::SetUp();
    saved_ = gConductorRefreshHooks;
    gCounts = RefreshCounts();
    gConductorRefreshHooks.refreshWaveformOverviews = [] { ++gCounts.overviews; };
    gConductorRefreshHooks.prepareEnginePlayback = [](int32_t full) {
      ++gCounts.prepares;
      gCounts.lastPrepareFull = full;
    };
    gConductorRefreshHooks.resetSectionChase = [] { ++gCounts.chases; };
    gConductorRefreshHooks.refreshToolWindows = [] { ++gCounts.toolWindows; };
    gConductorRefreshHooks.refreshAfterResolutionChange = [] { ++gCounts.resolution; };
    gConductorRefreshHooks.trackMeterProcedure = [](void*) -> int32_t {
      ++gCounts.trackMeter;
      return 0;
    };
    gSectionMode = 0;
    WriteU32BE(Song() + kSongEndTick, 19201);  // ten bars of 4/4
  }
  void TearDown() override {
    gConductorRefreshHooks = saved_;
    gSectionMode = 0;
    DisposeUndoRing();
  }
  // (tick, beats per bar, ticks per beat) of every meter record.
  std::vector<std::vector<int32_t>> Meters() {
    std::vector<std::vector<int32_t>> m;
    for (int32_t i = 0; i < Count(); ++i) {
      ConductorRecordView r(Record(i));
      if (ConductorKind(Record(i)) == kConductorMeter) m.push_back({r.Tick(), r.BeatsPerBar(), r.TicksPerBeat()});
    }
    return m;
  }
  std::string MapBytes() {
    Handle map = Handle(ReadU32BE(Song() + kSongConductorMap));
    return std::string(HandleData(map), size_t(GetHandleSize(map)));
  }
  ConductorRefreshHooks saved_;
};

TEST_F(MeterRefreshTest, RetimingMarkersAsksForTheFullRefreshOnlyWithFull) {
  struct Case {
    int32_t full;
    uint8_t sectionMode;
    int32_t overviews, chases;
  };
  const Case cases[] = {{0, 0, 0, 0}, {1, 0, 1, 0}, {0, 1, 0, 0}, {1, 1, 1, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "full " << c.full << " section mode " << int(c.sectionMode));
    gCounts = RefreshCounts();
    gSectionMode = c.sectionMode;
    RefreshMarkers(c.full);
    EXPECT_EQ(c.overviews, gCounts.overviews);
    EXPECT_EQ(1, gCounts.prepares);
    EXPECT_EQ(c.full, gCounts.lastPrepareFull);
    EXPECT_EQ(c.chases, gCounts.chases);
  }
}

TEST_F(MeterRefreshTest, TheProgramInstallsTheTransportAndEngineEntries) {
  gConductorRefreshHooks = ConductorRefreshHooks();
  InstallProgramHooks();
  EXPECT_NE(nullptr, gConductorRefreshHooks.prepareEnginePlayback);
  EXPECT_NE(nullptr, gConductorRefreshHooks.resetSectionChase);
  EXPECT_NE(nullptr, gConductorRefreshHooks.refreshAfterResolutionChange);
}

TEST_F(MeterRefreshTest, OnlyAChasedSectionOnSyncSourceSixStartsOverAfterRetiming) {
  gConductorRefreshHooks = saved_;  // the program's own entries
  struct Case {
    int32_t full;
    uint8_t sectionMode;
    int16_t source;
    uint8_t chase;
    bool reset;
  };
  const Case cases[] = {{1, 1, 6, 1, true}, {0, 1, 6, 1, false}, {1, 0, 6, 1, false},
                        {1, 1, 5, 1, false}, {1, 1, 6, 0, false}};
  int16_t keptSource = gClockSyncSource;
  uint8_t keptChase = gClockChaseFlag;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "full " << c.full << " section " << int(c.sectionMode) << " source "
                                    << c.source << " chase " << int(c.chase));
    gTransportFlagWord = 0;
    gSectionMode = c.sectionMode;
    gClockSyncSource = c.source;
    gClockChaseFlag = c.chase;
    RefreshMarkers(c.full);
    EXPECT_EQ(c.reset, (gTransportFlagWord & kTransportFlagSectionReset) != 0);
  }
  gClockSyncSource = keptSource;
  gClockChaseFlag = keptChase;
  gTransportFlagWord = 0;
}

TEST_F(MeterRefreshTest, TheMeterPopupListsTheTableAndMarksTheMeterInForce) {
  const char* texts[kMeterTableCount] = {"1/4", "2/4", "3/4", "3/8", "4/4", "5/4", "6/8", "7/8", "12/8"};
  struct Case {
    int32_t resolution, numerator, denominator, marked;
  };
  const Case cases[] = {{480, 4, 4, 4}, {480, 6, 8, 6}, {97, 6, 8, 6}, {97, 12, 8, 8}, {480, 5, 8, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.numerator << "/" << c.denominator << " at " << c.resolution);
    gTicksPerQuarter = c.resolution;
    gConductorState.ticksPerBeat = 0;
    ApplyTimebase();
    SetTimeSignature(c.numerator, c.denominator);
    EXPECT_EQ(c.marked, BuildMeterPopup());
    for (int32_t i = 0; i < kMeterTableCount; ++i) {
      Str255 text;
      GetPopUpItemText(i, text);
      EXPECT_EQ(texts[i], std::string(reinterpret_cast<char*>(text + 1), text[0])) << i;
      EXPECT_EQ(i == c.marked, IsPopUpItemMarked(i)) << i;
    }
  }
}

TEST_F(MeterRefreshTest, AMeterTableEntryIsOneStepThatUndoesAndRedoes) {
  ASSERT_EQ(noErr, AllocateUndoRing(kDefaultUndoLevels));
  MeterAt(1, 4, 4);
  std::string before = MapBytes();
  SelectTicks(1 + 2 * 1920, 1 + 4 * 1920);
  ApplyMeterTableEntry(6);  // 6/8
  ASSERT_EQ((std::vector<std::vector<int32_t>>{{3841, 6, 240}}), Meters());
  EXPECT_EQ(10, GetCurrentUndoKind());
  EXPECT_EQ(1, gCounts.toolWindows);
  EXPECT_GT(gCounts.trackMeter, 0);
  EXPECT_EQ(int32_t(ReadU16BE(Song() + kSongTrackCount)), gCounts.trackMeter);
  std::string after = MapBytes();
  ASSERT_TRUE(CanUndo());
  EXPECT_EQ(noErr, UndoLastEdit());
  EXPECT_EQ(before, MapBytes());
  EXPECT_TRUE(Meters().empty());
  EXPECT_EQ(noErr, RedoEdit());
  EXPECT_EQ(after, MapBytes());
  // An entry outside the table changes nothing and keeps no step.
  ApplyMeterTableEntry(kMeterTableCount);
  EXPECT_EQ(after, MapBytes());
}

TEST_F(MeterRefreshTest, AResolutionChangeRefreshesTheViewsAndStoresTheSelection) {
  SelectTicks(481, 3841);
  ChangeResolutionTo(97);  // an odd resolution: 480 ticks become 97
  EXPECT_EQ(1, gCounts.resolution);
  EXPECT_EQ(98u, gTimeSelection.start.tick);
  EXPECT_EQ(777u, gTimeSelection.end.tick);
  EXPECT_EQ(98u, ReadU32BE(Song() + kSongSelectionSampleStart));
  EXPECT_EQ(777u, ReadU32BE(Song() + kSongSelectionSampleEnd));
  EXPECT_EQ(1, gCounts.prepares);
  EXPECT_EQ(1, gCounts.lastPrepareFull);
}

}  // namespace
