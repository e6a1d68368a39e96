// System-exclusive records of tracks on their way out (240-byte packets, the 0xF0 put back in
// front), and the chase of records, instrument tracks, instrument resets and initial volumes.
#include <numeric>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "sequencer/clock/sysex_sender.h"
#include "sequencer/clock/tick_scheduler.h"
#include "sequencer/midi/instrument_routing.h"
#include "sequencer/midi/midi_chase.h"
#include "song/events/data_events.h"
#include "song/events/seq_event.h"
#include "song/instruments/instrument_table.h"
#include "song/model/song_layout.h"
#include "tests/sequencer/midi/midi_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Messages = std::vector<Bytes>;

// An event list built in order: short events, data records, the end record.
struct ListBuilder {
  Bytes bytes;
  ListBuilder& Short(uint32_t tick, uint8_t status, uint8_t d1, uint8_t d2) {
    size_t at = bytes.size();
    bytes.resize(at + kShortEventSize);
    FillShortEvent(bytes.data() + at, tick, status, d1, d2);
    return *this;
  }
  ListBuilder& Note(uint32_t tick, uint8_t status, uint8_t key) {
    size_t at = bytes.size();
    bytes.resize(at + kLongEventSize);
    FillLongEvent(bytes.data() + at, tick, status, key, 100, 10);
    return *this;
  }
  // A record holding data (the message after its F0).
  ListBuilder& SysEx(uint32_t tick, const Bytes& data) {
    size_t at = bytes.size();
    bytes.resize(at + DataEventSize(uint32_t(data.size())));
    FillDataEvent(bytes.data() + at, tick, data.data(), uint32_t(data.size()));
    return *this;
  }
  Bytes End() const {
    Bytes out = bytes;
    out.insert(out.end(), kEndRecordSize, 0);
    return out;
  }
};

// A message body of n bytes after the F0: a ramp of data bytes ending with F7.
Bytes RampMessage(size_t n) {
  Bytes data(n);
  for (size_t i = 0; i < n; ++i) data[i] = uint8_t(i % 0x7F);
  data.back() = 0xF7;
  return data;
}

const Bytes kGmReset{0x7E, 0x7F, 0x09, 0x01, 0xF7};

class SysExChaseTest : public MidiTest {
 protected:
  void SetUp() override {
    MidiTest::SetUp();
    gSysExPacketDelay = 0;
    gSysExBlockDelay = 0;
  }
  void TearDown() override {
    gChaseFilter = kChaseFilterDefault;
    gControllerTracking = 0;
    gSysExPacketDelay = 1;
    gSysExBlockDelay = 1;
    ResetChase();
    ReleasePlayback();
    DisposeInstrumentTable();
    MidiTest::TearDown();
  }
  // A one-track song whose event list is list, playing to kCaptureProc on port 2.
  Handle SongWithList(const Bytes& list, uint8_t flags = 0x04) {
    TestTrack track;
    track.flags = flags;
    Handle song = MakeSong({track}, {{1, 1200}});
    RouteSongTracks(song, kCaptureProc, 2);
    Handle events = NewHandle(Size(list.size()));
    std::copy(list.begin(), list.end(), reinterpret_cast<uint8_t*>(*events));
    handles.push_back(events);
    uint8_t* entry = Track(song);
    WriteU32BE(entry + kTrackEventList, events.id);
    WriteU32BE(entry + kTrackEventBytes, uint32_t(list.size()));
    return song;
  }
  uint8_t* Track(Handle song) { return reinterpret_cast<uint8_t*>(*song) + kSongHeaderSize; }
  // Chases the song to tick and sends the set-up data; answers what reached port.
  Messages ChaseAndSend(Handle song, uint32_t tick, uint8_t port = 2) {
    ChaseSong(song, tick);
    gCaptured.clear();
    SendSetupData(0);
    return CapturedOn(port);
  }
  Messages CapturedOn(uint8_t port) {
    Messages out;
    for (const Captured& c : gCaptured)
      if (c.port == port) out.push_back(c.bytes);
    return out;
  }
  // An instrument table of two instruments; instrument 1 plays to kCaptureProc on slots 0
  // (channel 3, port 2) and 2 (channel 9, port 4).
  uint8_t* MakeInstruments() {
    EXPECT_EQ(CreateInstrumentTable(2, kDeviceKindMidiPort), noErr);
    uint8_t* r = GetInstrumentRecord(1);
    r[kInstPartMask] = 0x05;
    r[kInstChannels + 0] = 3;
    r[kInstChannels + 2] = 9;
    r[kInstPorts + 0] = 2;
    r[kInstPorts + 2] = 4;
    r[kInstDeviceKinds + 2] = kDeviceKindMidiPort;
    WriteU32BE(r + kInstDriverProcs + 0, kCaptureProc);
    WriteU32BE(r + kInstDriverProcs + 8, kCaptureProc);
    return r;
  }
};

TEST_F(SysExChaseTest, RecordsGoOutIn240BytePacketsWithTheirF0) {
  struct Case {
    size_t stored;
    std::vector<size_t> packets;
  };
  // The stream is the F0 and the stored bytes.
  const Case cases[] = {{5, {6}}, {239, {240}}, {240, {240, 1}}, {500, {240, 240, 21}}};
  for (const Case& c : cases) {
    Bytes data = RampMessage(c.stored);
    Bytes list = ListBuilder().SysEx(10, data).End();
    gCaptured.clear();
    EXPECT_EQ(SendSysExRecord(list.data(), uint32_t(list.size()), kCaptureProc, 2), int32_t(c.packets.size()));
    Bytes stream;
    std::vector<size_t> sizes;
    for (const Captured& m : gCaptured) {
      sizes.push_back(m.bytes.size());
      stream.insert(stream.end(), m.bytes.begin(), m.bytes.end());
    }
    Bytes expected{0xF0};
    expected.insert(expected.end(), data.begin(), data.end());
    EXPECT_EQ(sizes, c.packets) << c.stored;
    EXPECT_EQ(stream, expected) << c.stored;
  }
}

TEST_F(SysExChaseTest, ADamagedRecordSendsNothing) {
  Bytes list = ListBuilder().SysEx(10, RampMessage(100)).End();
  gCaptured.clear();
  // Cut inside the record, and a stored length past the list.
  EXPECT_EQ(SendSysExRecord(list.data(), 60, kCaptureProc, 2), 0);
  WriteU32BE(list.data() + kEventVariableLength, 4000);
  EXPECT_EQ(SendSysExRecord(list.data(), uint32_t(list.size()), kCaptureProc, 2), 0);
  EXPECT_TRUE(gCaptured.empty());
}

TEST_F(SysExChaseTest, PlayedRecordsReachTheTrackOutput) {
  Bytes data = RampMessage(300);
  Handle song = SongWithList(ListBuilder().SysEx(5, kGmReset).SysEx(20, data).Note(30, 0x90, 60).End());
  gCaptured.clear();
  Play(song, 40);
  Messages got = CapturedOn(2);
  ASSERT_GE(got.size(), 4u);
  EXPECT_EQ(got[0], (Bytes{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
  EXPECT_EQ(got[1].size(), 240u);
  EXPECT_EQ(got[1][0], 0xF0);
  EXPECT_EQ(got[2].size(), 61u);
  EXPECT_EQ(got[2].back(), 0xF7);
  EXPECT_EQ(got[3][0], 0x90);
}

TEST_F(SysExChaseTest, TheChaseSendsRecordsBeforeTheStartInTimeOrder) {
  Bytes list = ListBuilder()
                   .SysEx(5, kGmReset)
                   .Short(10, 0xB0, 7, 50)
                   .Short(20, 0xC0, 4, 0x80)
                   .SysEx(40, RampMessage(250))
                   .SysEx(300, kGmReset)
                   .End();
  Messages sent = ChaseAndSend(SongWithList(list), 100);
  ASSERT_EQ(sent.size(), 5u);
  EXPECT_EQ(sent[0], (Bytes{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
  EXPECT_EQ(sent[1], (Bytes{0xB0, 7, 50}));
  EXPECT_EQ(sent[2], (Bytes{0xC0, 4}));
  EXPECT_EQ(sent[3].size(), 240u);
  EXPECT_EQ(sent[4].size(), 11u);
  // Without filter bit 15 the records stay behind.
  gChaseFilter = kChaseFilterDefault & 0x7FFF;
  EXPECT_EQ(ChaseAndSend(SongWithList(list), 100), (Messages{{0xB0, 7, 50}, {0xC0, 4}}));
}

TEST_F(SysExChaseTest, ProgramAndPressureCarryOneDataByteWhateverTheRecordHolds) {
  // Imported files store 0 behind a program change; a third byte would reach the output as a
  // second program change by running status.
  Bytes list = ListBuilder().Short(10, 0xC2, 4, 0).Short(20, 0xD2, 9, 0).Short(200, 0xC2, 5, 0).End();
  EXPECT_EQ(ChaseAndSend(SongWithList(list), 100), (Messages{{0xC2, 4}, {0xD2, 9}}));
  gCaptured.clear();
  Play(SongWithList(list), 210);
  EXPECT_EQ(CapturedOn(2), (Messages{{0xC2, 4}, {0xD2, 9}, {0xC2, 5}}));
}

TEST_F(SysExChaseTest, TheChaseSwitchesChooseTheTracksWhileStopped) {
  struct Case {
    uint16_t filter;
    uint8_t trackFlags;
    int32_t mode;
    bool sent;
  };
  // Bit 2 chases at a locate and at the start, bit 3 only at the start; a silent track only
  // when forced.
  const uint16_t noSwitches = kChaseFilterDefault & ~0x000C;
  const Case cases[] = {{kChaseFilterDefault, 0x04, kChaseAtStart, true},
                        {noSwitches, 0x04, kChaseAtStart, false},
                        {noSwitches | 0x0008, 0x04, kChaseAtLocate, false},
                        {noSwitches | 0x0008, 0x04, kChaseAtStart, true},
                        {noSwitches | 0x0004, 0x04, kChaseAtLocate, true},
                        {kChaseFilterDefault, 0x00, kChaseAtStart, false},
                        {noSwitches, 0x00, kChaseForced, true}};
  for (const Case& c : cases) {
    gChaseFilter = c.filter;
    Handle song = SongWithList(ListBuilder().Short(10, 0xB0, 7, 50).End(), c.trackFlags);
    ChaseSong(song, 100, c.mode);
    gCaptured.clear();
    SendSetupData(0);
    EXPECT_EQ(CapturedOn(2).size(), c.sent ? 1u : 0u) << std::hex << c.filter << " " << int(c.trackFlags) << " " << c.mode;
  }
}

TEST_F(SysExChaseTest, ARecordGoneBeforeSendingEndsItsListWithAnError) {
  Handle song = SongWithList(ListBuilder().SysEx(5, RampMessage(100)).Short(10, 0xB0, 7, 50).End());
  ChaseSong(song, 100);
  SetHandleSize(Handle(ReadU32BE(Track(song) + kTrackEventList)), 20);
  gCaptured.clear();
  EXPECT_EQ(SendSetupData(0), 0);
  EXPECT_TRUE(gCaptured.empty());
  EXPECT_EQ(CountSetupLists(), 0);
}

TEST_F(SysExChaseTest, AnInstrumentTrackIsChasedToEverySlotOnItsChannel) {
  uint8_t* instrument = MakeInstruments();
  Bytes list = ListBuilder()
                   .Short(10, 0xC0, 5, 0x80)
                   .Short(11, 0xB0, 0, 1)
                   .Short(12, 0xB0, 32, 2)
                   .Short(20, 0xE0, 0x10, 0x50)
                   .Short(30, 0xB0, 7, 90)
                   .Short(200, 0xC0, 6, 0x80)
                   .End();
  Handle song = SongWithList(list, 0x04 | kTrackInstrumentTrack);
  WriteU16BE(Track(song) + kTrackInstruments, 1 << 8);
  ChaseSong(song, 100);
  gCaptured.clear();
  SendSetupData(0);
  for (auto [port, channel] : {std::pair<uint8_t, uint8_t>{2, 3}, {4, 9}}) {
    uint8_t c = channel;
    EXPECT_EQ(CapturedOn(port), (Messages{{uint8_t(0xC0 | c), 5},
                                          {uint8_t(0xB0 | c), 0, 1},
                                          {uint8_t(0xB0 | c), 32, 2},
                                          {uint8_t(0xE0 | c), 0x10, 0x50},
                                          {uint8_t(0xB0 | c), 7, 90}}))
        << int(port);
  }
  // What the events before the start leave in the track and the instrument.
  EXPECT_EQ(ReadU16BE(Track(song) + kTrackLastProgram), 5);
  EXPECT_EQ(ReadU16BE(Track(song) + kTrackCentre72), 0x50 * 128 + 0x10);
  EXPECT_EQ(instrument[kInstProgram], 5);
  EXPECT_EQ(ReadU32BE(instrument + kInstBank), (1u << 7) | 2);
  EXPECT_EQ(instrument[kInstMidiState] & 0x60, 0x60);
}

TEST_F(SysExChaseTest, ControllerTrackingKeepsTheVolumeInTheInstrument) {
  uint8_t* instrument = MakeInstruments();
  gControllerTracking = 1;
  TrackInstrumentController(1, 7, 33);
  TrackInstrumentController(1, 10, 20);
  EXPECT_EQ(instrument[kInstFixedVolume], 33);
  EXPECT_TRUE(instrument[kInstOptions] & kInstOptionFixedVolume);
  EXPECT_EQ(instrument[kInstPanControlValue], 0x80 | 20);
  gControllerTracking = 0;
  TrackInstrumentController(1, 7, 44);
  EXPECT_EQ(instrument[kInstFixedVolume], 33);
}

TEST_F(SysExChaseTest, ResetsAndInitialVolumesOfTheInstrumentsThatTakePart) {
  struct Case {
    uint8_t resetOptions, options, fixedVolume;
    Messages expected;
  };
  // Options never set become pressure and pitch bend; a fixed volume replaces the mixer's.
  const Case cases[] = {
      {0x00, kInstOptionSetupData, 0, {{0xD3, 0}, {0xE3, 0x00, 0x40}, {0xB3, 7, 100}}},
      {0x8C, kInstOptionSetupData, 0, {{0xB3, 1, 0}, {0xB3, 2, 0}, {0xB3, 7, 100}}},
      {0x80, kInstOptionSetupData | kInstOptionFixedVolume, 77, {{0xB3, 7, 77}}},
      {0x00, 0, 0, {}},
  };
  for (const Case& c : cases) {
    uint8_t* instrument = MakeInstruments();
    instrument[kInstResetOptions] = c.resetOptions;
    instrument[kInstOptions] = c.options;
    instrument[kInstFixedVolume] = c.fixedVolume;
    WriteU16BE(instrument + kInstVolume, 100);
    Handle song = SongWithList(ListBuilder().End());
    ASSERT_EQ(PreparePlayback(song, 0), noErr);
    gCaptured.clear();
    SendSetupData(0, true);
    EXPECT_EQ(CapturedOn(2), c.expected) << int(c.resetOptions);
    ReleasePlayback();
    DisposeInstrumentTable();
  }
}

}  // namespace
