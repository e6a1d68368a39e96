// A volume lane drawn on an audio track, heard through the real engine on the null device: the
// lane's columns are set over a span as the pencil leaves them and written back inside the
// undoable step the gesture opens (undo kind 20, a track pane). The track plays a ramp file;
// the capture holds each frame at the gain the drawn level gives from the drawn time on
// (within one buffer of each change), and after Undo (the Edit menu's item) the level is back:
// both when the track is played again and when the lane was drawn and undone while it plays.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "audio/devices/coreaudio_io.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_state.h"
#include "audio/engine/engine_prepare.h"
#include "audio/streams/stream_decoders.h"
#include "audio/streams/stream_media_hooks.h"
#include "audio/regions/region_media_hooks.h"
#include "editing/edit_commands.h"
#include "editors/automation/automation_points.h"
#include "editors/lanes/lane_automation_writers.h"
#include "editors/lanes/lane_columns.h"
#include "editors/lanes/lane_scale.h"
#include "editors/timeline/lane_values.h"
#include "editors/timeline/timeline_axis.h"
#include "media/track_audio/track_audio.h"
#include "media/track_audio/track_audio_hooks.h"
#include "platform/files/forks.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "sequencer/transport/transport_engine.h"
#include "shell/windows/editor_panes.h"
#include "song/conductor/sample_position.h"
#include "song/documents/document_file.h"
#include "song/documents/media_references.h"
#include "song/instruments/rack_automation_fields.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/audio_region.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/songs.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"
#include "tests/audio/streams/pcm_file_header.h"
#include "tests/audio/transport/capture_fixture.h"

namespace {

constexpr int32_t kFileFrames = 14000;
constexpr int32_t kBuffer = 64;
constexpr int32_t kLaneEditUndoKind = 20;
constexpr int16_t kUndoItem = 1;

// Sample i of the file: a ramp that never reaches 0, so that every gain shows.
int16_t RampAt(int32_t i) { return int16_t(2000 + 2 * (i % 12000)); }

// A step drawn in the volume lane: `low` from column `from` for `count` columns, then full
// scale (the lane's range R) in the next one.
struct Step {
  int32_t from, count, low;
};

class LaneAutomationCapture : public CaptureTest {
 protected:
  void SetUp() override {
    CaptureTest::SetUp();
    gStreamBufferBytes = 1024;
    OpenCapture(kBuffer, "drawn.wav");
    // A song of the song database, so that Undo finds the song its step keeps.
    ResetSongDatabase();
    ASSERT_EQ(noErr, CreateSongTracks(1, 1));
    gTransportSong = gCurrentSongHandle;
    savedTable_ = GetDocumentSlot(kReferencedFilesSlot);
    InstallTrackAudioHooks();
    ASSERT_EQ(noErr, AllocateUndoRing(kDefaultUndoLevels));
    saved_ = {gCurrentPaneSlot, gCurrentViewMode, gZoomLevel, gTimelineLeftTick, gLaneController};
    MakeFile();
    MakeAudioTrack();
    gCurrentPaneSlot = 0;  // a track pane
    gCurrentViewMode = int16_t(kLaneVolumeAutomation + kLaneViewModeOffset);
    gLaneController = 0;
    gZoomLevel = 2;  // four ticks a column
    gTimelineLeftTick = 1;
  }
  void TearDown() override {
    DisposeUndoRing();
    StopAudioEngine(0);
    ResetSongDatabase();  // the song's track record and regions go with it
    gStreamMediaHooks.getActiveTrackAudio = nullptr;
    gRegionMediaHooks.bracketAudioEdit = nullptr;
    SetDocumentSlot(kReferencedFilesSlot, savedTable_);
    if (table_) DisposeHandle(table_);
    if (fork_) FSCloseFork(fork_);
    CaptureTest::TearDown();
    gStreamBufferBytes = kDefaultStreamBufferBytes;
    std::tie(gCurrentPaneSlot, gCurrentViewMode, gZoomLevel, gTimelineLeftTick, gLaneController) = saved_;
    gLaneColumns.values.clear();
  }
  void MakeFile() {
    std::string path = folder_.File("ramp.raw");
    std::string bytes;
    for (int32_t i = 0; i < kFileFrames; ++i) {
      uint8_t s[2];
      WriteU16BE(s, uint16_t(RampAt(i)));
      bytes.append(reinterpret_cast<char*>(s), 2);
    }
    ASSERT_TRUE(zarin_test::WriteWholeFile(path, bytes));
    fork_ = stream_test::OpenReadFork(path);
    ASSERT_NE(fork_, 0);
    table_ = NewHandleClear(kReferencedFileSize);
    WriteU32BE(*table_ + kRefFork, uint32_t(fork_));
    SetDocumentSlot(kReferencedFilesSlot, table_);
  }
  // Track 0 an audio track whose record (its rack) plays the whole file as one region.
  void MakeAudioTrack() {
    SetCurrentTrackIndex(0);
    uint8_t* track = gCurrentTrack;
    track[kTrackOutputKind] = kAudioTrackOutputKind;
    track[kTrackType] = gCoreAudioDriver.driverId;
    track[kTrackFlags] |= kTrackFlagAudible;
    track[kTrackMidiOutput] = 0;
    ASSERT_EQ(noErr, AllocTrackAudio(track + kTrackRegionList));
    Handle record(ReadU32BE(track + kTrackRegionList));
    TrackAudioView v = ViewTrackAudio(record);
    v.SetEncoding(FourCC("NONE"));
    v.SetBitsPerSample(16);
    v.SetChannels(1);
    v.SetSampleRate(gCoreAudioDriver.sampleRate);
    Handle regions = NewHandleClear(kRegionSize);
    uint8_t* region = reinterpret_cast<uint8_t*>(*regions);
    region[kRegionBytesPerFrameAt] = 2;
    SetRegionLength(region, kFileFrames);
    ViewTrackAudio(record).SetRegions(regions);
    SetCurrentTrackIndex(0);
  }
  static int16_t ColumnX(int32_t column) { return int16_t(gTimelineFrame.originX + column); }
  // The frame a column's points play at: its tick at the rack's rate.
  static int64_t FrameOfColumn(int32_t column) {
    return TickToSamplePosition(XToTime(ColumnX(column)), GetRackSampleRate(GetTrackInsertRack()));
  }
  // The pencil's columns of the step, written back in one undoable step of kind 20.
  void DrawStep(const Step& s) {
    int32_t r = GetLaneRange(kLaneVolumeAutomation);
    gLaneColumns.values.assign(4096, kNoLaneValue);
    for (int32_t c = s.from; c <= s.from + s.count; ++c)
      gLaneColumns.values[size_t(LaneColumnIndex(ColumnX(c)))] = c < s.from + s.count ? s.low : r;
    struct Span {
      int16_t x0, x1;
    } span{ColumnX(s.from), ColumnX(s.from + s.count + 1)};
    auto write = [](void* context) -> int32_t {
      auto* sp = static_cast<Span*>(context);
      SetCurrentUndoKind(kLaneEditUndoKind);
      return WriteMixLane(kLaneVolumeAutomation, sp->x0, sp->x1) == noErr;
    };
    ASSERT_EQ(RunUndoableEditForCurrentTrack(write, &span), 1);
    ASSERT_EQ(GetCurrentUndoKind(), kLaneEditUndoKind);
  }
  // The gain heard at a frame after the steps drawn (unity before the first).
  static double GainAt(int64_t frame, const std::vector<Step>& steps) {
    double gain = 1.0;
    int32_t r = GetLaneRange(kLaneVolumeAutomation);
    for (const Step& s : steps) {
      if (frame >= FrameOfColumn(s.from + s.count)) gain = double(r - 1) / 32768.0;
      else if (frame >= FrameOfColumn(s.from)) gain = double(s.low) / 32768.0;
    }
    return gain;
  }
  // Each frame of the capture is the file's frame at the gain of the steps, away from the
  // buffers in which a gain changes.
  void ExpectHeardAtGains(const std::vector<float>& heard, const std::vector<Step>& steps) {
    size_t first = 0;
    while (first < heard.size() && heard[first] == 0.0f) ++first;
    ASSERT_GE(heard.size(), first + kFileFrames);
    std::vector<int64_t> edges;
    for (const Step& s : steps) edges.insert(edges.end(), {FrameOfColumn(s.from), FrameOfColumn(s.from + s.count)});
    int32_t checked = 0;
    for (int64_t f = 0; f < kFileFrames; ++f) {
      bool nearEdge = false;
      for (int64_t e : edges) nearEdge = nearEdge || std::llabs(f - e) <= kBuffer;
      if (nearEdge) continue;
      double want = double(RampAt(int32_t(f))) / 32768.0 * GainAt(f, steps);
      ASSERT_NEAR(heard[first + size_t(f)], want, 2.0 / 32768.0 + std::fabs(want) * 0.002) << "frame " << f;
      ++checked;
    }
    EXPECT_GT(checked, kFileFrames / 2);
  }
  EngineChannel* StartPlaying() {
    ::Play(1);
    EXPECT_EQ(gEngineChannelCount, 1);
    if (gEngineChannelCount != 1) return nullptr;
    EngineChannel* c = gEngineChannelLists[0];
    c->volume = 32768;
    c->pan = 64;
    SetChannelGains(32768, 64, &c->gainLeft, &c->gainRight);  // unity until a point says more
    return c;
  }
  void PlayCycles(int32_t n) { PlayServedCycles(gEngineChannelLists[0], n); }
  int32_t CyclesForFile() const { return kFileFrames / kBuffer + 40; }
  int32_t VolumePointCount() {
    Handle list = GetRackAutomationList(GetTrackInsertRack());
    int32_t n = 0;
    for (int32_t i = 0; list && i < PointListEndIndex(list); ++i)
      n += AutomationView{PointRecordAt(list, i)}.Kind() == kAutomationVolume;
    return n;
  }

  Handle table_;
  Handle savedTable_;
  FSIORefNum fork_ = 0;
  std::tuple<int16_t, int16_t, int16_t, int32_t, int32_t> saved_;
};

// Drawn before playing: the step is heard at the drawn times; Undo takes the rack's points
// back, and the track played again is heard at unity throughout.
TEST_F(LaneAutomationCapture, ADrawnVolumeStepIsHeardAndUndoTakesItBack) {
  Step step{20, 15, GetLaneRange(kLaneVolumeAutomation) / 4};
  ASSERT_LT(FrameOfColumn(step.from + step.count) + 2 * kBuffer, kFileFrames) << "the step lies in the file";
  DrawStep(step);
  ASSERT_EQ(VolumePointCount(), 2);
  ASSERT_NE(StartPlaying(), nullptr);
  PlayCycles(CyclesForFile());
  StopTransport(false);
  std::string drawn = wav_;
  CaptureInto("undone.wav");  // ends the first capture
  ExpectHeardAtGains(capture_test::ReadLeft(drawn), {step});
  EXPECT_EQ(gEngineError.load(), 0);

  ASSERT_TRUE(CanUndo());
  DoEditMenuItem(kUndoItem);
  EXPECT_EQ(VolumePointCount(), 0) << "Undo gives the rack its list as it was";
  ASSERT_NE(StartPlaying(), nullptr);
  PlayCycles(CyclesForFile());
  StopTransport(false);
  ExpectHeardAtGains(Heard(), {});
}

// Drawn while the track plays, ahead of the play position: the channel takes each step at once;
// the second step, undone before it is reached, is not heard (the channel's copy follows Undo).
TEST_F(LaneAutomationCapture, AStepDrawnAndUndoneWhilePlayingIsNotHeard) {
  int32_t quarter = GetLaneRange(kLaneVolumeAutomation) / 4;
  Step kept{20, 15, quarter}, undone{45, 10, quarter / 2};
  ASSERT_LT(FrameOfColumn(undone.from + undone.count) + 2 * kBuffer, kFileFrames);
  EngineChannel* c = StartPlaying();
  ASSERT_NE(c, nullptr);
  PlayCycles(16);
  ASSERT_LT(c->position + 4 * kBuffer, FrameOfColumn(kept.from)) << "the steps lie ahead";
  DrawStep(kept);
  DrawStep(undone);
  ASSERT_TRUE(c->automation) << "the playing channel took the drawn points";
  EXPECT_EQ(PointListEndIndex(c->automation), 4);
  DoEditMenuItem(kUndoItem);
  EXPECT_EQ(VolumePointCount(), 2);
  EXPECT_EQ(PointListEndIndex(c->automation), 2) << "the channel's copy follows Undo";
  PlayCycles(CyclesForFile());
  StopTransport(false);
  ExpectHeardAtGains(Heard(), {kept});
  EXPECT_EQ(gEngineError.load(), 0);
}

}  // namespace
