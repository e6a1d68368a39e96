// The user's changes of a track's settings: each one is one undo step whose undo gives the
// song back byte for byte, values out of range change nothing and keep no step, and the
// channel byte keeps what it holds beside the channel.
#include <string>

#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"

#include "song/model/track_play_settings.h"
#include "song/model/track_selection.h"
#include "song/model/track_settings.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_exchange.h"
#include "undo_fixture.h"

using undo_test::SongImage;

namespace {

class TrackSettingsTest : public UndoFixture {
 protected:
  void SetUp() override {
    UndoFixture::SetUp();
    song_ = AddSongInSlot(0, 3);
    SelectTrackWithNumber(1);
  }
  Handle song_;
};

TEST_F(TrackSettingsTest, EachSettingIsOneUndoStepThatRestoresTheSongByteForByte) {
  struct Case {
    TrackSettingKind kind;
    int16_t value;
    int32_t offset;  // the track field that holds it
    int wide;
  } cases[] = {
      {kTrackSettingTranspose, -12, kTrackTranspose, 2},
      {kTrackSettingVelocityOffset, 25, kTrackVelocityOffset, 2},
      {kTrackSettingPlayGrid, 96, kTrackPlayGrid, 2},
      {kTrackSettingPlayMode, 3, kTrackPlayMode, 1},
      {kTrackSettingChannel, 9, kTrackSetting70, 1},
  };
  for (const Case& c : cases) {
    SelectSong(song_);
    SelectTrackWithNumber(1);
    SelectCurrentTrackOnly(false);  // as a click in the track list leaves it
    std::string before = SongImage(song_);
    uint32_t redraws = gRedrawRequests[4];
    ASSERT_EQ(noErr, ChangeTrackSetting(c.kind, c.value)) << c.kind;
    SelectSong(song_);
    SelectTrackWithNumber(1);
    int32_t stored = c.wide == 2 ? ReadI16BE(gCurrentTrack + c.offset) : gCurrentTrack[c.offset];
    EXPECT_EQ(c.value, stored) << c.kind;
    EXPECT_GT(gRedrawRequests[4], redraws);
    std::string after = SongImage(song_);
    ASSERT_EQ(noErr, UndoLastEdit());
    EXPECT_TRUE(undo_test::SameImage(before, SongImage(song_))) << c.kind;
    ASSERT_EQ(noErr, RedoEdit());
    EXPECT_TRUE(undo_test::SameImage(after, SongImage(song_))) << c.kind;
  }
}

TEST_F(TrackSettingsTest, RefusedValuesChangeNothingAndKeepNoStep) {
  struct Case {
    TrackSettingKind kind;
    int16_t value;
  } cases[] = {
      {kTrackSettingTranspose, 128},     {kTrackSettingTranspose, -128},
      {kTrackSettingVelocityOffset, 200}, {kTrackSettingPlayGrid, -1},
      {kTrackSettingPlayMode, 4},         {kTrackSettingChannel, 16},
      {kTrackSettingChannel, -1},
  };
  std::string before = SongImage(song_);
  for (const Case& c : cases) {
    EXPECT_EQ(paramErr, ChangeTrackSetting(c.kind, c.value)) << c.kind << " " << c.value;
  }
  EXPECT_EQ(noErr, ChangeTrackSetting(kTrackSettingTranspose, 0));  // already 0: no step
  EXPECT_FALSE(CanUndo());
  EXPECT_TRUE(undo_test::SameImage(before, SongImage(song_)));
}

TEST_F(TrackSettingsTest, TheChannelIsTheLowNibbleOfAMidiTrackAndTheWholeByteOfAnAudioTrack) {
  gCurrentTrack[kTrackSetting70] = 0xA3;
  EXPECT_EQ(3, GetTrackChannel());
  ASSERT_EQ(noErr, SetTrackChannel(12));
  EXPECT_EQ(0xAC, gCurrentTrack[kTrackSetting70]);  // the high nibble stays
  EXPECT_EQ(paramErr, SetTrackChannel(0x21));
  EXPECT_EQ(0xAC, gCurrentTrack[kTrackSetting70]);

  Handle regions = NewHandleClear(16);
  TrackEntryView(gCurrentTrack).SetRegionList(regions);
  EXPECT_EQ(0xAC, GetTrackChannel());
  ASSERT_EQ(noErr, SetTrackChannel(0x21));
  EXPECT_EQ(0x21, GetTrackChannel());
  TrackEntryView(gCurrentTrack).SetRegionList(Handle());
  DisposeHandle(regions);
}

TEST_F(TrackSettingsTest, InstrumentNumbersPastTheTableBecomeTheLastInstrument) {
  int32_t saved = gInstrumentCount;
  gInstrumentCount = 5;
  gCurrentTrack[kTrackChannelCount] = 200;  // more channels than instrument words
  const uint8_t instruments[kTrackInstrumentSlots] = {0, 4, 5, 200, 3, 9, 1, 2, 6, 4, 255};
  for (int c = 0; c < kTrackInstrumentSlots; ++c) {
    WriteU16BE(gCurrentTrack + kTrackInstruments + 2 * c, uint16_t(instruments[c] << 8 | 0x21));
  }
  uint8_t after[8];
  std::memcpy(after, gCurrentTrack + kTrackSigned106, sizeof after);
  NormalizeTrackInstruments();
  gInstrumentCount = saved;
  const uint8_t expected[kTrackInstrumentSlots] = {0, 4, 4, 4, 3, 4, 1, 2, 4, 4, 4};
  for (int c = 0; c < kTrackInstrumentSlots; ++c) {
    EXPECT_EQ(expected[c], gCurrentTrack[kTrackInstruments + 2 * c]) << c;
    EXPECT_EQ(0x21, gCurrentTrack[kTrackInstruments + 2 * c + 1]) << c;
  }
  EXPECT_EQ(0, std::memcmp(after, gCurrentTrack + kTrackSigned106, sizeof after));
}

TEST_F(TrackSettingsTest, TheShownChannelComesFromTheInstrumentOrTheTrack) {
  ASSERT_EQ(noErr, CreateInstrumentTable(2, kDeviceKindMidiPort));
  struct Case {
    bool playsInstrument;
    uint8_t instrumentChannel;
    int8_t instrumentProgram;
    uint8_t trackChannelByte;
    uint8_t shown, program;
  } cases[] = {
      {false, 9, 33, 0xA7, 7, 0x55},   // the track's own channel, its program kept
      {true, 9, 33, 0xA7, 9, 33},      // the instrument's channel and program
      {true, 0x1C, -1, 0x03, 12, 0x55},  // no program: the track keeps its own
  };
  for (const Case& c : cases) {
    InstrumentView(GetInstrumentRecord(0)).SetChannel(0, c.instrumentChannel);
    GetInstrumentRecord(0)[kInstProgram] = uint8_t(c.instrumentProgram);
    WriteU16BE(gCurrentTrack + kTrackInstruments, 0);
    gCurrentTrack[kTrackFlags] = c.playsInstrument ? kTrackFlagPlaysInstrument : 0;
    gCurrentTrack[kTrackSetting70] = c.trackChannelByte;
    gCurrentTrack[kTrackProgram] = 0x55;
    ChooseTrackChannel();
    EXPECT_EQ(c.shown, gShownTrackChannel);
    EXPECT_EQ(c.program, gCurrentTrack[kTrackProgram]);
  }
  DisposeInstrumentTable();
}

}  // namespace

TEST_F(TrackSettingsTest, TracksOnADeviceCountOnlyItsPluginTracksAndTheOwnOnesAreTheSilentOnes) {
  struct Track {
    uint8_t kind, device, flags;
  } tracks[] = {
      {kDeviceKindPlugin, 2, kTrackFlagAudible},
      {kDeviceKindPlugin, 2, 0},
      {kDeviceKindMidiPort, 2, 0},  // another kind on the same number
  };
  for (int n = 0; n < 3; ++n) {
    SetCurrentTrackIndex(n);
    gCurrentTrack[kTrackType] = tracks[n].kind;
    gCurrentTrack[kTrackMidiOutput] = tracks[n].device;
    gCurrentTrack[kTrackFlags] = tracks[n].flags;
  }
  SetCurrentTrackIndex(1);
  EXPECT_EQ(2, CountTracksOnDevice(2));
  EXPECT_EQ(1, CountOwnTracksOnDevice(2));
  EXPECT_EQ(0, CountTracksOnDevice(1));
  EXPECT_EQ(1, GetCurrentTrackIndex());  // the current track is kept
}

TEST_F(TrackSettingsTest, ATrackReadFromAFileGetsUnplacedPlayWordsAndInstrumentsOfTheTable) {
  int32_t savedCount = gInstrumentCount;
  for (int32_t count : {4, 0}) {
    SCOPED_TRACE(count);
    gInstrumentCount = count;
    SetCurrentTrackIndex(1);
    gCurrentTrack[kTrackChannelCount] = 3;
    const uint8_t instruments[] = {2, 9, 200, 7};  // the fourth lies past the channel count
    for (int c = 0; c < 4; ++c) gCurrentTrack[kTrackInstruments + 2 * c] = instruments[c];
    WriteU32BE(gCurrentTrack + kTrackFirstEventOffset, 0xDEADBEEF);  // as a file may hold them
    WriteU32BE(gCurrentTrack + kTrackPlayCursorStart, 77);
    PrepareTrackHandles();
    const uint8_t expected[] = {2, uint8_t(count ? 3 : 9), uint8_t(count ? 3 : 200), 7};
    for (int c = 0; c < 4; ++c) EXPECT_EQ(expected[c], gCurrentTrack[kTrackInstruments + 2 * c]) << c;
    EXPECT_EQ(0u, ReadU32BE(gCurrentTrack + kTrackFirstEventOffset));
    EXPECT_EQ(0u, ReadU32BE(gCurrentTrack + kTrackPlayCursorStart));
  }
  gInstrumentCount = savedCount;
}
