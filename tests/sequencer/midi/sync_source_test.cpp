// The sync source and the sync outputs: MIDI start-up sends MIDI clock and MMC to the sync
// outputs (a virtual destination here); each source sets the clock's mode bits and the sync
// input's filter, so that a received MIDI clock is followed only while it is the source; the
// machine-control source resets the recorder once per selection; a document's frame rate and
// sync source are applied when it is read, a damaged value changing nothing or falling back.
#include <gtest/gtest.h>

#include <array>

#include "sequencer/clock/clock_interim_services.h"
#include "sequencer/clock/tick_routines.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/coremidi_driver.h"
#include "sequencer/midi/midi_clock_out.h"
#include "sequencer/midi/midi_input.h"
#include "sequencer/midi/mmc_sender.h"
#include "sequencer/transport/playback_control.h"
#include "sequencer/transport/sync_source.h"
#include "song/conductor/tempo_tables.h"
#include "song/documents/document_file.h"
#include "song/documents/document_hooks.h"
#include "tests/sequencer/midi/midi_fixture.h"

namespace {

class SyncSourceTest : public MidiTest {
 protected:
  void SetUp() override {
    MidiTest::SetUp();
    port = MakeDestination("Sync Out");
    gMidiDriver.syncOutputs[0].uniqueId = GetEndpointUniqueID(destination);
    ResolveMidiEndpoints();
  }
  void TearDown() override {
    SetSyncSource(kSyncSourceInternal);
    for (MidiEndpointEntry& out : gMidiDriver.syncOutputs) out = MidiEndpointEntry();
    gTransportClock.midiClockSend = kNoDriverProc;
    gMmcOutputSend = kNoDriverProc;
    gMmcEnabled = 0;
    gMmcDeviceId = kMmcAllDevices;
    gSyncPreFilter.store(IsNotRealTimeStatus);
    ResetMidiClockInput();
    MidiTest::TearDown();
  }
  // A song position of 144 sixteenths, as the sync input receives it.
  void ReceiveSongPosition() {
    MidiEndpointEntry sync{0x5678, 0, kInputSync};
    const uint8_t bytes[] = {0xF2, 0x10, 0x01};
    MidiInputDispatch(bytes, 3, &sync, 1, 0);
  }
  int32_t port = -1;
};

TEST_F(SyncSourceTest, MidiStartUpSendsTheClockToTheSyncOutputs) {
  ASSERT_EQ(kSyncOutputsDriverProc, gTransportClock.midiClockSend);
  EXPECT_EQ(kSyncOutputsDriverProc, gMmcOutputSend);
  EXPECT_NE(0, gMmcEnabled);
  SendMidiRealtimeByte(kMidiStart);
  SendMidiRealtimeByte(kMidiClock);
  std::vector<Received> got = WaitForReceived(2);
  ASSERT_EQ(2u, got.size());
  EXPECT_EQ(std::vector<uint8_t>{kMidiStart}, got[0].bytes);
  EXPECT_EQ(std::vector<uint8_t>{kMidiClock}, got[1].bytes);
}

TEST_F(SyncSourceTest, EachSourceSetsTheClockModesAndTheSyncInputFilter) {
  struct Case {
    int16_t code, stored;
    bool externalTime, audioClock, timeCode, machineControl, followsClock;
  };
  const Case cases[] = {
      {0, 0, false, false, false, false, false}, {1, 1, false, true, false, false, false},
      {2, 2, true, false, true, false, false},   {3, 3, false, false, false, false, true},
      {4, 4, true, true, true, true, false},     {5, 5, true, false, false, false, false},
      {6, 6, true, false, false, false, false},  {7, 0, false, false, false, false, false},
      {9, 0, false, false, false, false, false}, {-2, 0, false, false, false, false, false},
  };
  for (const Case& c : cases) {
    SetSyncSource(c.code);
    EXPECT_EQ(c.stored, GetSyncSource()) << c.code;
    EXPECT_EQ(c.externalTime, (gSyncFlags & kSyncFlagsExternalTime) != 0) << c.code;
    EXPECT_EQ(c.audioClock, gAudioClockMode != 0) << c.code;
    EXPECT_EQ(c.timeCode, (gTransportClock.playBits & kPlayBitTimeCode) != 0) << c.code;
    EXPECT_EQ(c.machineControl, gMachineControl != 0) << c.code;
    // The audio-clock mode without time code sends no MIDI clock.
    EXPECT_EQ(c.audioClock && !c.timeCode ? kNoDriverProc : kSyncOutputsDriverProc, gTransportClock.midiClockSend)
        << c.code;
    // A song position on the sync input moves the stopped song only while MIDI clock is the source.
    gTransportClock.runBits = 0;
    gTransportClock.songTick = 5;
    ReceiveSongPosition();
    EXPECT_EQ(c.followsClock ? 144u * 120 + 1 : 5u, gTransportClock.songTick) << c.code;
  }
}

TEST_F(SyncSourceTest, MachineControlResetsTheRecorderOncePerSelectionAndSetsItUp) {
  gMmcDeviceId = 5;
  SetSyncSource(kSyncSourceMachineControl);
  const std::vector<std::vector<uint8_t>> setUp = {
      {0xF0, 0x7F, 0x7F, 0x06, 0x49, 0x01, 0x05, 0xF7},
      {0xF0, 0x7F, 0x05, 0x06, 0x40, 0x04, 0x5F, 0x02, 0x00, 0x01, 0xF7},
      {0xF0, 0x7F, 0x05, 0x06, 0x4B, 0x01, 0x02, 0xF7}};
  std::vector<std::vector<uint8_t>> expected = {{0xF0, 0x7F, 0x7F, 0x06, 0x0D, 0xF7}};
  expected.insert(expected.end(), setUp.begin(), setUp.end());
  // Chosen again: the set-up only. Another source and back: the reset again.
  SetSyncSource(kSyncSourceMachineControl);
  expected.insert(expected.end(), setUp.begin(), setUp.end());
  SetSyncSource(kSyncSourceInternal);
  SetSyncSource(kSyncSourceMachineControl);
  expected.push_back({0xF0, 0x7F, 0x7F, 0x06, 0x0D, 0xF7});
  expected.insert(expected.end(), setUp.begin(), setUp.end());
  std::vector<Received> got = WaitForReceived(expected.size());
  ASSERT_EQ(expected.size(), got.size());
  for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(expected[i], got[i].bytes) << i;
}

TEST_F(SyncSourceTest, ADocumentsFrameRateAndSyncSourceAreApplied) {
  std::array<uint8_t, kSongFileHeaderSize> header{};
  struct Case {
    uint8_t rate;
    int16_t source;
    uint8_t wantRate;
    uint16_t framesPerSecond;
    int16_t wantSource;
  };
  const Case cases[] = {
      {0, 3, 0, 24, 3}, {1, 0, 1, 25, 0}, {2, 6, 2, 30, 6},
      {9, 12, 2, 30, 0},  // damaged: the frame rate stays, the source falls back to internal
      {3, 0, 3, 30, 0},
  };
  for (const Case& c : cases) {
    header[kFileHeaderFrameRate] = c.rate;
    header[kFileHeaderSyncSource] = uint8_t(uint16_t(c.source) >> 8);
    header[kFileHeaderSyncSource + 1] = uint8_t(c.source);
    ApplyDocumentHeaderSettings(header.data());
    EXPECT_EQ(c.wantRate, gSmpteRateCode) << int(c.rate);
    EXPECT_EQ(c.framesPerSecond, gTransportClock.framesPerSecond) << int(c.rate);
    EXPECT_EQ(c.wantSource, GetSyncSource()) << int(c.rate);
    // The tick routine of the next pass follows the rate: drop-frame at 29.97.
    SelectTickRoutine();
    EXPECT_EQ(c.wantRate == 2, gTransportClock.tickRoutine == AdvanceClockTickDropFrame) << int(c.rate);
  }
}

}  // namespace
