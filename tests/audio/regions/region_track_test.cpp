// The current track's audio under tick edits, loop preparation and tempo changes: a song with
// one track whose audio record holds [silence][a file piece], checked against the sample
// positions the song's tempo map gives for the same ticks.
#include <gtest/gtest.h>

#include <vector>

#include "audio/regions/region_lists.h"
#include "audio/regions/region_loops.h"
#include "audio/regions/region_placement.h"
#include "audio/regions/region_spans.h"
#include "audio/regions/region_tempo_follow.h"
#include "audio/regions/region_track_edits.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "sequencer/transport/playback_control.h"
#include "sequencer/transport/transport_engine.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/sample_position.h"
#include "song/instruments/plugin_records.h"
#include "song/model/audio_region.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"
#include "tests/song/documents/document_fixture.h"

namespace {

constexpr float kRate = 44100.0f;
constexpr uint32_t kTakeTick = 1921;   // where the piece starts (a tick of the song)
constexpr int64_t kRemainder = 7;      // samples after that tick's position
constexpr int64_t kPieceFrames = 5000;

class RegionTrack : public doc_test::DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    MakeSong(0, 1);
    SetCurrentTrackIndex(0);
    ASSERT_EQ(SetTempoAt(1200, 1), noErr);
    record_ = NewHandleClear(kPluginRecordBytes);
    WriteF32BE(HandleData(record_) + kPluginRecordRate, kRate);
    TrackEntryView(gCurrentTrack).SetRegionList(record_);
    start_ = Position(kTakeTick) + kRemainder;
    Handle list = NewHandleClear(2 * kRegionSize);
    uint8_t* silence = RegionRecord(list, 0);
    silence[kRegionBytesPerFrameAt] = 2;
    WriteU16BE(silence + kRegionFlagsAt, kRegionFlagSilent);
    InitRegionLength(silence, 2, start_, false);
    uint8_t* piece = RegionRecord(list, 1);
    piece[kRegionBytesPerFrameAt] = 2;
    WriteU32BE(piece + kRegionFileOffsetAt, 100);
    InitRegionLength(piece, 2, kPieceFrames, true);
    SetTrackAudioRegionList(record_, list);
  }
  static int64_t Position(uint32_t tick) { return TickToSamplePosition(int32_t(tick), kRate); }
  Handle List() const { return TrackAudioRegionList(record_); }
  // The start of the first record that plays the file, and its file offset.
  void PieceAt(int64_t* start, uint32_t* offset) const {
    int64_t end = 0;
    for (int32_t i = 0; i < CountAudioRegions(List()); ++i) {
      RegionSpan(List(), i, start, &end);
      if (!IsSilentRegion(RegionRecord(List(), i))) {
        *offset = ReadU32BE(RegionRecord(List(), i) + kRegionFileOffsetAt);
        return;
      }
    }
    *start = -1;
  }
  Handle record_;
  int64_t start_ = 0;
};

}  // namespace

// After a tempo change the piece starts at its tick's new position (plus the samples it lay
// after that tick), whether the change makes room before it or takes room away.
TEST_F(RegionTrack, AudioKeepsItsTickAcrossTempoChanges) {
  for (int32_t tempo : {600, 2400, 1337}) {
    KeepAudioAtTicks();
    ASSERT_EQ(SetTempoAt(tempo, 1), noErr);
    MoveAudioToTicks(1);
    int64_t start = 0;
    uint32_t offset = 0;
    PieceAt(&start, &offset);
    EXPECT_EQ(start, Position(kTakeTick) + kRemainder) << "tempo " << tempo;
    EXPECT_EQ(offset, 100u) << "the piece itself is untouched";
    EXPECT_EQ(RegionLength(RegionRecord(List(), CountAudioRegions(List()) - 1)), kPieceFrames);
    EXPECT_EQ(ReadU32BE(RegionRecord(List(), CountAudioRegions(List()) - 1) + kRegionStartTickAt), 0u);
  }
}

TEST_F(RegionTrack, WithoutReanchoringOrTheOptionTheAudioStays) {
  KeepAudioAtTicks();
  ASSERT_EQ(SetTempoAt(600, 1), noErr);
  MoveAudioToTicks(0);
  int64_t start = 0;
  uint32_t offset = 0;
  PieceAt(&start, &offset);
  EXPECT_EQ(start, start_);
  gAudioFollowsTempo = false;
  KeepAudioAtTicks();
  ASSERT_EQ(SetTempoAt(2400, 1), noErr);
  MoveAudioToTicks(1);
  gAudioFollowsTempo = true;
  PieceAt(&start, &offset);
  EXPECT_EQ(start, start_);
}

TEST_F(RegionTrack, TickEditsInsertAndRemoveTheTicksOfTheRange) {
  const int64_t gap = Position(kTakeTick) - Position(kTakeTick - 480);
  int64_t start = 0;
  uint32_t offset = 0;
  ASSERT_EQ(InsertSilenceAtTicks(kTakeTick - 480, kTakeTick), noErr);
  PieceAt(&start, &offset);
  EXPECT_EQ(start, start_ + gap) << "the piece moves by the inserted ticks";
  ASSERT_EQ(SetRegionRangeAtTicks(kTakeTick - 480, kTakeTick, true, false), noErr);
  PieceAt(&start, &offset);
  EXPECT_EQ(start, start_) << "and back by the removed ones";
  ASSERT_EQ(SetRegionRangeAtTicks(kTakeTick, kTakeTick + 1, false, false), noErr);
  PieceAt(&start, &offset);
  EXPECT_EQ(start, Position(kTakeTick + 1)) << "the piece's first frames silenced";
  EXPECT_EQ(offset, 100u + uint32_t(2 * (Position(kTakeTick + 1) - start_)));
  EXPECT_EQ(RegionListEnd(List()), start_ + kPieceFrames) << "nothing else moved";
}

TEST_F(RegionTrack, LoopPreparationMarksTheCycle) {
  gCycleMode = 1;
  gCycleStartPoint.tick = kTakeTick + 480;
  gCycleStopPoint.tick = kTakeTick + 960;
  ASSERT_EQ(PrepareRegionLoops(List(), kRate), noErr);
  gCycleMode = 0;
  int64_t start = 0, end = 0;
  int32_t last = -1, first = -1;
  for (int32_t i = 0; i < CountAudioRegions(List()); ++i) {
    RegionSpan(List(), i, &start, &end);
    if (start == Position(kTakeTick + 480)) first = i;
    if (end == Position(kTakeTick + 960)) last = i;
  }
  ASSERT_GE(first, 0) << "a border at the cycle's start";
  ASSERT_GE(last, first) << "a border at the cycle's end";
  EXPECT_EQ(ReadI32BE(RegionRecord(List(), last) + kRegionStepAt), first - last) << "the step back to the start";
  EXPECT_TRUE(RegionFlags(RegionRecord(List(), last)) & kRegionFlagSelected);
  ASSERT_EQ(PrepareRegionLoops(List(), kRate), noErr);
  EXPECT_EQ(ReadI32BE(RegionRecord(List(), last) + kRegionStepAt), 1) << "without a cycle every record plays on";
}

namespace {

// {file frame (-1: silence), frames} of each record.
std::vector<std::pair<int64_t, int64_t>> Records(Handle list) {
  std::vector<std::pair<int64_t, int64_t>> out;
  for (int32_t i = 0; i < CountAudioRegions(list); ++i) {
    const uint8_t* r = RegionRecord(list, i);
    int64_t from = IsSilentRegion(r) ? -1 : int64_t(ReadU32BE(r + kRegionFileOffsetAt)) / 2;
    out.push_back({from, RegionLength(r)});
  }
  return out;
}

// The play list of a tick span: silence before it, the span's audio (repeated over the span when
// asked, the last period cut), nothing after it; the source stays as it was.
TEST_F(RegionTrack, SpanRegions) {
  Handle source = NewHandleClear(kRegionSize);
  uint8_t* r = RegionRecord(source, 0);
  r[kRegionBytesPerFrameAt] = 2;
  WriteU16BE(r + kRegionFileIdAt, 7);
  InitRegionLength(r, 2, 400000, true);
  const uint32_t startTick = 481, endTick = 2400, repeatTicks = 700;
  int64_t s = Position(startTick), e = Position(endTick + 1), p = Position(startTick + repeatTicks) - s;
  ASSERT_GT(s, 0);
  ASSERT_GT(e - s, 2 * p);
  using Records_ = std::vector<std::pair<int64_t, int64_t>>;
  Handle plain;
  ASSERT_EQ(BuildSpanRegions(record_, startTick, endTick, 0, false, source, true, &plain, nullptr), noErr);
  EXPECT_EQ(Records(plain), (Records_{{-1, s}, {s, e - s}}));
  Handle repeated;
  ASSERT_EQ(BuildSpanRegions(record_, startTick, endTick, repeatTicks, true, source, true, &repeated, nullptr), noErr);
  EXPECT_EQ(Records(repeated), (Records_{{-1, s}, {s, p}, {s, p}, {s, e - s - 2 * p}}));
  EXPECT_EQ(Records(source), (Records_{{0, 400000}}));
  Handle none;
  EXPECT_EQ(BuildSpanRegions(Handle(), startTick, endTick, 0, false, source, true, &none, nullptr), -50);
  DisposeHandle(plain);
  DisposeHandle(repeated);
  DisposeHandle(source);
}

}  // namespace
