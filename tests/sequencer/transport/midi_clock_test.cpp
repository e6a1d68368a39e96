// MIDI clock out while the transport plays: start, clocks at 24 per quarter note at the
// conductor map's times across a tempo change, stop; the song position of a start inside a
// bar; and the song position received from a MIDI clock source.
#include "platform/timing/time_manager.h"
#include "platform/memory/byte_order.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/midi_clock_out.h"
#include "sequencer/transport/playback_control.h"
#include "sequencer/transport/transport_engine.h"
#include "song/conductor/conductor_time.h"
#include "song/conductor/tempo_tables.h"
#include "song/model/song_layout.h"
#include "tests/sequencer/transport/transport_fixture.h"

namespace {

double TickNanos(Handle song, int64_t tick) {
  return TickToSubframesExact(reinterpret_cast<uint8_t*>(*song), tick) *
         gMicrosecondsPerSubframe * 1000.0;
}

TEST_F(TransportTest, MidiClockRunsAt24PerQuarterAcrossATempoChange) {
  Handle song = MakeSong({Track({{1, 0x90, 60, 100, 10}})}, {{961, 1800}, {1441, 700}});
  gTransportSong = song;
  ::Play(1);
  RunTicks(2000);
  StopTransport(false);

  std::vector<SentMessage> clock = SentOn(kClockPort);
  ASSERT_GE(clock.size(), 3u);
  EXPECT_EQ(kMidiStart, clock.front().status);
  EXPECT_EQ(kMidiStop, clock.back().status);
  uint64_t origin = clock.front().nanos;
  size_t clocks = 0;
  for (size_t i = 1; i + 1 < clock.size(); ++i) {
    ASSERT_EQ(kMidiClock, clock[i].status) << i;
    int64_t tick = 1 + 20 * int64_t(clocks++);
    EXPECT_NEAR(TickNanos(song, tick) - TickNanos(song, 1), double(clock[i].nanos - origin), 2000.0)
        << "clock at tick " << tick;
  }
  // Ticks 1 to 2000 hold clocks at 1, 21, ..., 1981.
  EXPECT_EQ(100u, clocks);
}

// 24 clocks a quarter note in every meter and at an odd resolution (5 ticks a clock): the
// clock counts quarter notes, not the meter's beat (an eighth in 6/8 and 7/8, a half in 2/2).
TEST_F(TransportTest, MidiClockRunsAt24PerQuarterWhateverTheMeter) {
  struct Case {
    uint16_t resolution;
    uint8_t beatsPerBar, beatUnit;  // the meter
  };
  const Case cases[] = {{480, 4, 4}, {480, 6, 8}, {480, 2, 2}, {480, 7, 8},
                        {120, 6, 8}, {120, 2, 2}, {120, 7, 8}};
  for (const Case& c : cases) {
    gTempoTableResolution = c.resolution;
    BuildTempoTables();
    Handle song = MakeSong({Track({{1, 0x90, 60, 100, 10}})}, {});
    uint8_t* s = reinterpret_cast<uint8_t*>(*song);
    WriteU16BE(s + kSongResolution, c.resolution);
    WriteU16BE(s + kSongTicksPerBeat, uint16_t(c.resolution * 4 / c.beatUnit));
    s[kSongBeatsPerBar] = c.beatsPerBar;
    gTransportSong = song;
    gSent.clear();
    ::Play(1);
    const uint32_t quarters = 7;
    RunTicks(quarters * c.resolution);
    StopTransport(false);

    std::vector<SentMessage> clock = SentOn(kClockPort);
    std::vector<uint64_t> at;
    for (const SentMessage& m : clock)
      if (m.status == kMidiClock) at.push_back(m.nanos);
    const std::string meter = std::to_string(c.beatsPerBar) + "/" + std::to_string(c.beatUnit) + " at " +
                              std::to_string(c.resolution);
    ASSERT_EQ(size_t(24 * quarters), at.size()) << meter;
    // A quarter note apart every 24 clocks.
    double quarter = TickNanos(song, 1 + c.resolution) - TickNanos(song, 1);
    EXPECT_NEAR(quarter, double(at[24] - at[0]), 2000.0) << meter;
    EXPECT_NEAR(quarter * (quarters - 1), double(at[24 * (quarters - 1)] - at[0]), 2000.0) << meter;
  }
  gTempoTableResolution = 480;
  BuildTempoTables();
}

TEST_F(TransportTest, StartInsideABarSendsTheSongPositionAndPlacesTheFirstClock) {
  struct Case {
    uint8_t align;
    uint32_t locate;
    int32_t position;    // song position sent (-1: none)
    uint8_t start;       // start or continue
    uint32_t firstClockTick;
  };
  // 480 ticks per quarter: 120 per sixteenth, 1920 per bar.
  const Case cases[] = {
      {1, 131, 2, kMidiContinue, 241},   // aligned: the next sixteenth
      {1, 241, 2, kMidiContinue, 241},   // on a sixteenth: at once
      {0, 131, -1, kMidiStart, 1921},    // not aligned: the next bar
      {0, 1, -1, kMidiStart, 1},
  };
  for (const Case& c : cases) {
    gSent.clear();
    gSongPositionAlign = c.align;
    Handle song = MakeSong({Track({{1, 0x90, 60, 100, 10}})}, {});
    gTransportSong = song;
    ::Play(c.locate);
    uint64_t startNanos = TimeManagerNowNanos();
    RunTicks(c.firstClockTick + 5);
    StopTransport(false);
    std::vector<SentMessage> clock = SentOn(kClockPort);
    size_t i = 0;
    if (c.position >= 0) {
      ASSERT_LT(i, clock.size());
      EXPECT_EQ(kMidiSongPosition, clock[i].status);
      EXPECT_EQ(c.position, clock[i].data1 | (clock[i].data2 << 7));
      ++i;
    }
    ASSERT_LT(i + 1, clock.size());
    EXPECT_EQ(c.start, clock[i].status) << "locate " << c.locate;
    EXPECT_EQ(kMidiClock, clock[i + 1].status);
    double expected = TickNanos(song, c.firstClockTick) - TickNanos(song, c.locate);
    // The first fire comes one period after the start.
    double period = TickNanos(song, 2) - TickNanos(song, 1);
    EXPECT_NEAR(expected + period, double(clock[i + 1].nanos - startNanos), 2000.0)
        << "locate " << c.locate << " align " << int(c.align);
  }
  gSongPositionAlign = 0;
}

TEST_F(TransportTest, ReceivedSongPositionSetsTheTickWhileStopped) {
  EXPECT_EQ(0, ReceiveMidiClockByte(kMidiSongPosition));
  EXPECT_EQ(0, ReceiveMidiClockByte(0x10));
  EXPECT_EQ(0, ReceiveMidiClockByte(0x01));
  EXPECT_EQ(144, gTransportClock.receivedSongPosition);
  EXPECT_EQ(144u * 120u + 1u, gTransportClock.songTick);
  EXPECT_EQ(1, ReceiveMidiClockByte(0x90));  // not a clock byte
  EXPECT_EQ(0, ReceiveMidiClockByte(0xFE));  // active sensing: ignored

  // Continue then clocks: the first clock starts the sync, each further clock is one MIDI
  // clock of ticks of debt ahead of the song position.
  gTransportClock.songTick = 144 * 120 + 1;
  ReceiveMidiClockByte(kMidiContinue);
  EXPECT_TRUE(gTransportClock.runBits & 1);
  EXPECT_TRUE(gTransportClock.flags.load() & kClockFlagExternalStart);
  ReceiveMidiClockByte(kMidiClock);
  EXPECT_EQ(1, gTransportClock.syncRunning);
  EXPECT_EQ(0, gTransportClock.tickDebt);
  ReceiveMidiClockByte(kMidiClock);
  EXPECT_EQ(20, gTransportClock.tickDebt);
  ReceiveMidiClockByte(kMidiStop);
  EXPECT_EQ(0, gTransportClock.syncRunning);
  EXPECT_TRUE(gTransportClock.flags.load() & kClockFlagHalted);
  gTransportClock.flags.store(0);
  gTransportClock.runBits = 0;
}

}  // namespace

namespace {

TEST_F(TransportTest, AFollowedClockSetsTheRequestedTempoAndRecordsIt) {
  ASSERT_EQ(noErr, SetTempoRecordCapacity(&gTempoRecordBuffer, 1));
  gRecordTempoChanges = 1;
  gTransportClock.tempo = 1200;
  gTransportClock.requestedTempo = 1200;
  gTransportClock.playBits = 0x40;
  ReceiveMidiClockByte(kMidiStart);
  ReceiveMidiClockByte(kMidiClock);  // the first clock starts the sync
  // Each group of 12 clocks ends with an estimate from the fires since the last clock.
  const std::pair<uint16_t, int16_t> groups[] = {{20, 1200}, {10, 2400}, {0, 2400}, {40, 600}};
  for (const auto& [fires, tempo] : groups) {
    for (int i = 0; i < 11; ++i) ReceiveMidiClockByte(kMidiClock);
    gTransportClock.firesSinceClock = fires;
    ReceiveMidiClockByte(kMidiClock);
    EXPECT_EQ(tempo, gTransportClock.requestedTempo) << "fires " << fires;
  }
  // One entry fits: the 2400 change; the 600 change found the buffer full.
  EXPECT_EQ(1u, gTempoRecordBuffer.count);
  EXPECT_EQ(kRecordBufferFullErr, AppendTempoRecord(&gTempoRecordBuffer, 5, 700));
  SetTempoRecordCapacity(&gTempoRecordBuffer, 0);
  gRecordTempoChanges = 0;
  gTransportClock.runBits = 0;
  gTransportClock.flags.store(0);
}

TEST_F(TransportTest, RecordBytesAreStoredOnlyWhenTheyFit) {
  uint8_t storage[8] = {};
  RecordByteBuffer buffer{storage, storage + sizeof storage, 0};
  const uint8_t bytes[6] = {0xF0, 1, 2, 3, 4, 0xF7};
  EXPECT_EQ(0, AppendRecordBytes(&buffer, bytes, 6));
  EXPECT_EQ(-1, AppendRecordBytes(&buffer, bytes, 6));  // 2 bytes of room left
  EXPECT_EQ(storage + 6, buffer.write);
  buffer.busy = 1;
  EXPECT_EQ(-1, AppendRecordBytes(&buffer, bytes, 2));
  EXPECT_EQ(0u, gTransportClock.lock.load());
}

}  // namespace
