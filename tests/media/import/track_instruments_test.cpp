// The instruments of audio tracks: each track set up on a device takes the first channel of
// it that no other track or instrument uses, and with all 64 taken the track keeps what it had.
#include <gtest/gtest.h>

#include "media/instruments/track_instruments.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/instrument_volumes.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_entries.h"
#include "song/model/track_numbers.h"
#include "song/model/utility_track_access.h"

namespace {

class TrackInstrumentsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSongDatabase();
    ASSERT_EQ(noErr, CreateInstrumentTable(0, kDeviceKindMidiPort));
  }
  uint8_t* NewTrack() {
    EXPECT_GE(FindFreeTrackNumber(), 0);
    EXPECT_EQ(noErr, AddTrackEntry(kTrackEntrySize));
    ClaimTrackNumber();
    return gCurrentTrack;
  }
  // An instrument on the audio device's channel, holding an insert rack.
  void AddRackInstrument(uint8_t channel) {
    uint8_t record[kInstrumentSize];
    InitInstrumentRecord(record, channel, kDeviceKindAudio, 0, nullptr, 0);
    WriteU32BE(record + kInstInsertRack, NewHandle(4).id);
    ASSERT_EQ(noErr, AddInstrumentRecord(record));
  }
};

TEST_F(TrackInstrumentsTest, TracksTakeTheFirstFreeChannelsOfTheDevice) {
  EXPECT_EQ(0, SetUpTrackInstrument(NewTrack(), kDeviceKindAudio, 0, false));
  EXPECT_EQ(1, SetUpTrackInstrument(NewTrack(), kDeviceKindAudio, 0, false));
  AddRackInstrument(2);
  uint8_t* third = NewTrack();
  EXPECT_EQ(3, SetUpTrackInstrument(third, kDeviceKindAudio, 0, false));
  // The track plays an instrument of that output, at full volume and centred.
  int32_t instrument = GetTrackInstrument(third, 0);
  const uint8_t* record = GetInstrumentRecord(instrument);
  ASSERT_NE(nullptr, record);
  EXPECT_EQ(kDeviceKindAudio, record[kInstDeviceKinds]);
  EXPECT_EQ(3, record[kInstChannels]);
  EXPECT_EQ(127, GetInstrumentVolume(record));
  EXPECT_EQ(64, record[kInstPan]);
  EXPECT_EQ(kDeviceKindAudio, third[kTrackType]);
  EXPECT_EQ(kAudioTrackOutputKind, third[kTrackOutputKind]);
  EXPECT_EQ(kDeviceKindAudio, gDefaultInstrumentDevice[0]);
  // Another port of the same kind is another device: its channels start again at 0.
  EXPECT_EQ(0, SetUpTrackInstrument(NewTrack(), kDeviceKindAudio, 1, false));
}

TEST_F(TrackInstrumentsTest, WithEveryChannelTakenTheTrackKeepsItsInstrument) {
  for (uint8_t c = 0; c < kDeviceChannelCount; ++c) AddRackInstrument(c);
  uint8_t* track = NewTrack();
  uint16_t before = TrackEntryView(track).Instrument(0);
  int32_t count = gInstrumentCount;
  EXPECT_EQ(kDeviceChannelCount, SetUpTrackInstrument(track, kDeviceKindAudio, 0, false));
  EXPECT_EQ(before, TrackEntryView(track).Instrument(0));
  EXPECT_EQ(count, gInstrumentCount);
}

}  // namespace
