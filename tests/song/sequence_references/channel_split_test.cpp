// Splitting tracks by MIDI channel: the new tracks, what stays in the source, instruments,
// running out of track numbers, and Undo and Redo of the command.
#include <gtest/gtest.h>

#include "song/instruments/instrument_table.h"
#include "song/model/sequence_references.h"
#include "song/model/track_output_assignment.h"
#include "song/model/track_settings.h"
#include "tests/song/sequence_references/reference_fixture.h"

namespace {

using refs_test::Row;
using refs_test::RowsOf;
using refs_test::SetTrackRows;

constexpr uint8_t kOutput = 3;
constexpr uint8_t kType = kDeviceKindMidiPort;

// Channels 1, 3 and 10 (0, 2 and 9 in the status byte), out of order in time, with a
// reference and a variable record among them.
const std::vector<Row> kMixed = {
    {10, 0x99, 36, 20}, {20, 0x92, 60, 40}, {30, 0x90, 62, 10}, {40, 0x50, 0, 500},
    {50, 0xB0, 7, 0},   {60, 0x40},         {70, 0x99, 38, 20},     {80, 0x90, 64, 96},
    {90, 0xE2, 1, 0}};

class ChannelSplit : public UndoFixture {
 protected:
  void SetUp() override {
    UndoFixture::SetUp();
    AddSongInSlot(0, 2);
    for (int i = 0; i < 2; ++i) {
      SetCurrentTrackIndex(i);
      gCurrentTrack[kTrackMidiOutput] = kOutput;
      gCurrentTrack[kTrackType] = kType;
    }
    SetCurrentTrackIndex(0);
  }
  void SelectOnly(std::vector<int> numbers) {
    std::vector<uint8_t> scope = undo_test::Scope(numbers);
    RestoreTrackSelection(scope.data());
  }
  uint8_t* Entry(int i) { return GetTrackEntryAt(i); }
  std::vector<Row> Channel(const std::vector<Row>& rows, uint8_t channel) {
    std::vector<Row> out;
    for (const Row& r : rows)
      if ((r.status & 0xF0) != 0x50 && (r.status & 0xF0) != 0x40 && (r.status & 0x0F) == channel)
        out.push_back(r);
    return out;
  }
};

TEST_F(ChannelSplit, EachChannelGetsANewTrackInChannelOrderAndReferencesStay) {
  SetTrackRows(kMixed);
  SelectOnly({0});
  SplitSelectedTracksByChannel();

  ASSERT_EQ(5, GetSongTrackCount());
  const uint8_t channels[] = {0, 2, 9};
  for (int i = 0; i < 3; ++i) {
    uint8_t* entry = Entry(2 + i);
    SCOPED_TRACE(i);
    EXPECT_EQ(channels[i], entry[kTrackSetting70] & 0x0F);
    EXPECT_EQ(kOutput, entry[kTrackMidiOutput]);
    EXPECT_EQ(kType, entry[kTrackType]);
    EXPECT_EQ(Channel(kMixed, channels[i]), RowsOf(entry));
    EXPECT_TRUE(IsTrackEntrySelected(entry)) << "a new track joins the selection";
  }
  EXPECT_EQ((std::vector<Row>{{40, 0x50, 0, 500}, {60, 0x40}}), RowsOf(Entry(0)));
  EXPECT_TRUE(RowsOf(Entry(1)).empty()) << "an unselected track is left alone";
}

TEST_F(ChannelSplit, NewTracksAreNotSplitAgainAndEverySelectedTrackIsSplit) {
  SetTrackRows({{10, 0x90, 60, 10}, {20, 0x93, 62, 10}});
  SetCurrentTrackIndex(1);
  SetTrackRows({{15, 0x95, 40, 10}});
  SelectOnly({0, 1});
  SplitSelectedTracksByChannel();

  ASSERT_EQ(5, GetSongTrackCount()) << "two channels of track 0, one of track 1";
  EXPECT_EQ((std::vector<Row>{{10, 0x90, 60, 10}}), RowsOf(Entry(2)));
  EXPECT_EQ((std::vector<Row>{{20, 0x93, 62, 10}}), RowsOf(Entry(3)));
  EXPECT_EQ((std::vector<Row>{{15, 0x95, 40, 10}}), RowsOf(Entry(4)));
  EXPECT_TRUE(RowsOf(Entry(0)).empty());
  EXPECT_TRUE(RowsOf(Entry(1)).empty());
}

TEST_F(ChannelSplit, WithoutFreeTrackNumbersTheEventsLeftOverStayInTheSource) {
  ASSERT_EQ(noErr, CreateSongTracks(47, 1));
  RebuildTrackNumberMap();
  ASSERT_EQ(47, GetSongTrackCount());
  SetCurrentTrackIndex(0);
  gCurrentTrack[kTrackMidiOutput] = kOutput;
  SetTrackRows(kMixed);
  SelectOnly({0});
  SplitSelectedTracksByChannel();

  ASSERT_EQ(48, GetSongTrackCount()) << "one number was free";
  EXPECT_EQ(Channel(kMixed, 0), RowsOf(Entry(47)));
  std::vector<Row> kept;
  for (const Row& r : kMixed)
    if ((r.status & 0xF0) == 0x50 || (r.status & 0xF0) == 0x40 || (r.status & 0x0F) != 0)
      kept.push_back(r);
  EXPECT_EQ(kept, RowsOf(Entry(0))) << "no event is lost";

  SplitSelectedTracksByChannel();
  EXPECT_EQ(48, GetSongTrackCount()) << "with no number free nothing happens";
  EXPECT_EQ(kept, RowsOf(Entry(0)));
}

TEST_F(ChannelSplit, ATrackForAnInstrumentsOutputPlaysThatInstrument) {
  ASSERT_EQ(noErr, CreateInstrumentTable(4, kType));  // instrument i: channel i, port 0
  SetCurrentTrackIndex(0);
  gCurrentTrack[kTrackMidiOutput] = 0;
  SetTrackRows({{10, 0x91, 60, 10}, {20, 0x93, 62, 10}, {30, 0x97, 64, 10}});
  SelectOnly({0});
  SplitSelectedTracksByChannel();

  ASSERT_EQ(5, GetSongTrackCount());
  const struct {
    int entry;
    bool instrument;
    uint16_t word;
  } expected[] = {{2, true, 0x0100}, {3, true, 0x0300}, {4, false, 0}};
  for (const auto& e : expected) {
    SCOPED_TRACE(e.entry);
    TrackEntryView track(Entry(e.entry));
    EXPECT_EQ(e.instrument, (track.Flags() & kTrackFlagPlaysInstrument) != 0);
    EXPECT_EQ(e.word, track.Instrument(0));
    EXPECT_EQ(e.instrument ? 1 : 0, track.ChannelCount());
  }
  EXPECT_EQ(2, FindTrackForChannel(2, 1)) << "matched by its instrument's channel";
  EXPECT_EQ(4, FindTrackForChannel(2, 7));
  EXPECT_EQ(-1, FindTrackForChannel(2, 5));
  DisposeInstrumentTable();
}

TEST_F(ChannelSplit, UndoGivesTheSongBackAndRedoTheSplit) {
  SetTrackRows(kMixed);
  SelectOnly({0});
  refs_test::ExpectUndoAndRedo(SplitSelectedTracksByChannel);
}

TEST(TrackOutputKey, InstrumentTracksAreKeyedByTheirInstrumentOthersByTheirPort) {
  uint8_t a[kTrackEntrySize] = {};
  TrackEntryView track(a);
  track.SetType(18);
  a[kTrackMidiOutput] = 5;
  track.SetInstrument(0, 0x0203);
  EXPECT_EQ(0x12020305u, GetTrackOutputKey(a));
  track.SetType(0x92);  // only bits 24..30 carry the type
  EXPECT_EQ(0x12020305u, GetTrackOutputKey(a));
  track.SetFlags(kTrackFlagPlaysInstrument);
  EXPECT_EQ(0x80000203u, GetTrackOutputKey(a));
  a[kTrackMidiOutput] = 6;
  EXPECT_EQ(0x80000203u, GetTrackOutputKey(a)) << "the instrument decides, not the port";
}

}  // namespace
