// MIDI input from a virtual source: stamping by host time through the tempo map, thru to a
// virtual destination, the processors' rings, and the read procedure's splitting.
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/coremidi/midi_services.h"
#include "platform/memory/byte_order.h"
#include "platform/system/host_time.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/coremidi_driver.h"
#include "sequencer/midi/midi_input.h"
#include "sequencer/midi/record_start_hooks.h"
#include "sequencer/transport/playback_control.h"
#include "sequencer/midi/midi_output.h"
#include "sequencer/midi/realtime_processors.h"
#include "sequencer/midi/mtc_receiver.h"
#include "sequencer/midi/record_buffers.h"
#include "song/events/data_events.h"
#include "sequencer/transport/playback_control.h"
#include "song/conductor/conductor_time.h"
#include "song/conductor/tempo_tables.h"
#include "tests/sequencer/midi/midi_fixture.h"

namespace {

class MidiInputTest : public MidiTest {
 protected:
  void SetUp() override {
    MidiTest::SetUp();
    processor = gMidiInputs;
    ASSERT_NE(processor, nullptr);
    gMidiPrefs |= kMidiPrefHostTimeStamps;
  }
  void TearDown() override {
    if (source) MIDIEndpointDispose(source);
    gTransportClock.playingSong = Handle();
    gMidiInputFlags = 0;
    MidiTest::TearDown();
  }
  // A virtual source chosen as input 1 and connected.
  void ConnectSource() {
    ASSERT_EQ(noErr, MIDISourceCreate(gMidiDriver.client, CFSTR("Keyboard"), &source));
    DisconnectMidiSources();
    SetMidiInput(0, GetEndpointUniqueID(source));
    ASSERT_EQ(noErr, ConnectMidiSources());
  }
  void Send(uint64_t stamp, std::initializer_list<uint8_t> bytes) {
    alignas(8) Byte buffer[512];
    auto* list = reinterpret_cast<MIDIPacketList*>(buffer);
    std::vector<uint8_t> data(bytes);
    MIDIPacketListAdd(list, sizeof buffer, MIDIPacketListInit(list), stamp, data.size(), data.data());
    ASSERT_EQ(noErr, MIDIReceived(source, list));
  }
  std::vector<RingMessage> Drain(size_t n) {
    std::vector<RingMessage> out;
    for (int32_t tries = 0; out.size() < n && tries < 1000; ++tries) {
      RingMessage m;
      while (PopMidiInputRing(processor, &m)) out.push_back(m);
      if (out.size() < n) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return out;
  }
  RealtimeProcessor* processor = nullptr;
  MIDIEndpointRef source = 0;
};

TEST_F(MidiInputTest, StampedFromHostTimeThroughTheTempoMapAndEchoedThru) {
  int32_t port = MakeDestination("Thru");
  ConnectSource();
  // 120 bpm to tick 961, then 60 bpm; 480 ticks a quarter.
  Handle song = MakeSong({TestTrack()}, {{961, 600}}, 1200);
  gTransportClock.playingSong = song;
  ClearConductorTimeIndex();
  ProcessorState* s = StateOf(processor);
  s->flags = kProcessorLive;
  s->send = kMidiPortDriverProc;
  s->port = uint8_t(port);
  s->outputChannel = 16;
  uint64_t base = HostTimeNanos();
  SetHostTimeBaseAt(1, base, 0);
  // 1.5 s after tick 1: 959 ticks at 120 bpm, then the rest at 60 bpm.
  uint64_t stamp = base + 1500000000ull;
  Send(stamp, {0x91, 60, 100, 62, 90});  // the second note uses running status
  std::vector<RingMessage> got = Drain(2);
  ASSERT_EQ(got.size(), 2u);
  double expected = 961 + (1.5 - 960.0 / 960.0) * 480.0;
  EXPECT_NEAR(double(got[0].tick), expected, 1.0);
  // The conductor map agrees: the stamped tick lies at 1.5 s after tick 1, within a tick.
  uint8_t* s0 = reinterpret_cast<uint8_t*>(*song);
  double seconds = (TickToSubframesExact(s0, got[0].tick) - TickToSubframesExact(s0, 1)) * gMicrosecondsPerSubframe / 1e6;
  EXPECT_NEAR(seconds, 1.5, 1.0 / 480.0 + 1e-6);
  EXPECT_EQ(got[0].status, 0x91);
  EXPECT_EQ(got[1].status, 0x91);
  EXPECT_EQ(got[1].data1, 62);
  EXPECT_EQ(got[1].tick, got[0].tick);
  EXPECT_EQ(got[0].sourceId, GetEndpointUniqueID(source));
  std::vector<Received> thru = WaitForReceived(2);
  ASSERT_EQ(thru.size(), 2u);
  EXPECT_EQ(thru[0].bytes, (std::vector<uint8_t>{0x91, 60, 100}));
  EXPECT_EQ(thru[1].bytes, (std::vector<uint8_t>{0x91, 62, 90}));
  EXPECT_EQ(CountHeldNotes(processor, true, 0, 0), 2);
}

TEST_F(MidiInputTest, ThePlayingClockSetsTheBaseAtItsFirstTickAndStopClearsIt) {
  ConnectSource();
  Handle song = MakeSong({TestTrack()}, {}, 1200);  // 120 bpm: 960 ticks a second
  uint64_t before = HostTimeNanos();
  Play(song, 10);
  uint64_t after = HostTimeNanos();
  // Tick 1 fell between before and after; a note stamped 1 s after that is near tick 961.
  Send(after + 1000000000ull, {0x90, 64, 100});
  std::vector<RingMessage> got = Drain(1);
  ASSERT_EQ(got.size(), 1u);
  double slack = double(after - before) * 960.0 / 1e9 + 1.0;
  EXPECT_NEAR(double(got[0].tick), 961.0 - double(after - before) * 480.0 / 1e9, slack);
  // Stopped, input takes the song tick again.
  StopPlayback();
  uint32_t stoppedAt = gTransportClock.songTick;
  Send(HostTimeNanos() + 3000000000ull, {0x80, 64, 0});
  got = Drain(1);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].tick, stoppedAt);
}

TEST_F(MidiInputTest, WithoutHostTimeStampsTheSongTickIsTaken) {
  ConnectSource();
  Handle song = MakeSong({TestTrack()}, {}, 1200);
  gTransportClock.playingSong = song;
  gTransportClock.songTick = 777;
  SetHostTimeBaseAt(1, HostTimeNanos(), 0);
  gMidiPrefs &= uint16_t(~kMidiPrefHostTimeStamps);
  Send(HostTimeNanos() + 5000000000ull, {0xB0, 7, 100});
  std::vector<RingMessage> got = Drain(1);
  gMidiPrefs |= kMidiPrefHostTimeStamps;
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].tick, 777u);
  // A time before the base counts from the song's start, never wraps to a huge tick.
  EXPECT_LE(HostTimeToTick(1), 2u);
}

TEST_F(MidiInputTest, TheAudioClockAndAWaitingRecordingDecideTheStamp) {
  Handle song = MakeSong({TestTrack()}, {}, 1200);
  gTransportClock.playingSong = song;
  gTransportClock.songTick = 500;
  SetHostTimeBaseAt(1, HostTimeNanos(), 0);
  uint64_t inTwoSeconds = HostTimeNanos() + 2000000000ull;
  gRecordStartTick = 321;
  struct Case {
    const char* name;
    uint8_t audioClock;
    uint8_t waiting;
    uint32_t expected;  // 0: the host time's own tick
  };
  const Case cases[] = {
      {"host time", 0, 0, 0},
      {"audio clock", 1, 0, 500},
      {"audio clock while a recording waits", 1, 1, 500},
      {"a recording waits for its first note", 0, 1, 321},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    gAudioClockMode = c.audioClock;
    gRecordWaitsForFirstNote = c.waiting;
    uint32_t tick = HostTimeToTick(inTwoSeconds);
    if (c.expected) {
      EXPECT_EQ(c.expected, tick);
    } else {
      EXPECT_NEAR(1921.0, double(tick), 30.0);
    }
  }
  gAudioClockMode = 0;
  gRecordWaitsForFirstNote = 0;
  gRecordStartTick = 0;
  gTransportClock.playingSong = Handle();
}

TEST_F(MidiInputTest, SplittingPackets) {
  gTransportClock.songTick = 5;
  gMidiInputFlags |= kInputRecordSysEx;
  // Note-on, a clock byte in the middle, note-off: the notes reach the ring, the clock does not.
  alignas(8) Byte buffer[1024];
  auto* list = reinterpret_cast<MIDIPacketList*>(buffer);
  uint8_t notes[] = {0x90, 60, 100, 0xF8, 0x80, 60, 0};
  MIDIPacketListAdd(list, sizeof buffer, MIDIPacketListInit(list), 0, sizeof notes, notes);
  gMidiDriver.inputs[0].flags = kInputSync;  // a sync source only: nothing for the processors
  MidiReadProc(list, nullptr, &gMidiDriver.inputs[0]);
  gMidiDriver.inputs[0].flags = kInputOrdinary;
  MidiReadProc(list, nullptr, &gMidiDriver.inputs[0]);
  std::vector<RingMessage> got = Drain(2);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].status, 0x90);
  EXPECT_EQ(got[1].status, 0x80);
  EXPECT_EQ(got[1].tick, 5u);
  // Running status: data bytes after a channel message repeat its status, across a clock
  // byte and into the input's next packet.
  uint8_t running[] = {0x90, 60, 100, 62, 90, 0xF8, 64, 80};
  MIDIPacketListAdd(list, sizeof buffer, MIDIPacketListInit(list), 0, sizeof running, running);
  MidiReadProc(list, nullptr, &gMidiDriver.inputs[0]);
  uint8_t more[] = {65, 0};
  MIDIPacketListAdd(list, sizeof buffer, MIDIPacketListInit(list), 0, sizeof more, more);
  MidiReadProc(list, nullptr, &gMidiDriver.inputs[0]);
  got = Drain(4);
  ASSERT_EQ(got.size(), 4u);
  const uint8_t keys[] = {60, 62, 64, 65}, velocities[] = {100, 90, 80, 0};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(got[i].status, 0x90) << i;
    EXPECT_EQ(got[i].data1, keys[i]) << i;
    EXPECT_EQ(got[i].data2, velocities[i]) << i;
  }
  // A block of 300 bytes arrives as chunks of 249 and 51 and is collected whole.
  std::vector<uint8_t> block(300, 0x11);
  block.front() = 0xF0;
  block.back() = 0xF7;
  MIDIPacketListAdd(list, sizeof buffer, MIDIPacketListInit(list), 0, block.size(), block.data());
  MidiReadProc(list, nullptr, &gMidiDriver.inputs[0]);
  EXPECT_EQ(processor->sysexLength, 299u);
  EXPECT_EQ(processor->sysexComplete, 1);
  // An incomplete note-on is dropped.
  uint8_t cut[] = {0x90, 60};
  MIDIPacketListAdd(list, sizeof buffer, MIDIPacketListInit(list), 0, sizeof cut, cut);
  MidiReadProc(list, nullptr, &gMidiDriver.inputs[0]);
  RingMessage m;
  EXPECT_FALSE(PopMidiInputRing(processor, &m));
}

// Clock bytes 20 and 25 ms apart: every twelfth sets the requested tempo while the audio clock
// drives the song (and is recorded while tempo recording is on); without it nothing follows.
TEST_F(MidiInputTest, IncomingClockSetsTheTempoInAudioClockMode) {
  struct Row { uint64_t intervalNanos; int16_t tempo; };
  const Row rows[] = {{25000000ull, 1000}, {20000000ull, 1250}};
  ASSERT_EQ(noErr, SetTempoRecordCapacity(&gTempoRecordBuffer, 8));
  gTempoRecordBuffer.count = 0;
  gTransportClock.syncRunning = 0;
  auto feed = [](uint64_t start, uint64_t interval, int32_t clocks) {
    const uint8_t start_byte = 0xFA, clock = 0xF8;
    MidiInputDispatch(&start_byte, 1, &gMidiDriver.inputs[0], 1, start);
    for (int32_t i = 0; i < clocks; ++i)
      MidiInputDispatch(&clock, 1, &gMidiDriver.inputs[0], 1, start + uint64_t(i) * interval);
  };
  for (const Row& row : rows) {
    gAudioClockMode = 0;
    gTransportClock.requestedTempo = 1100;
    feed(1000000000ull, row.intervalNanos, 13);
    EXPECT_EQ(gTransportClock.requestedTempo, 1100) << row.tempo;
    gAudioClockMode = 1;
    gMidiInputFlags |= kInputRecordTempo;
    feed(2000000000ull, row.intervalNanos, 12);  // only eleven intervals
    EXPECT_EQ(gTransportClock.requestedTempo, 1100) << row.tempo;
    feed(3000000000ull, row.intervalNanos, 13);
    EXPECT_EQ(gTransportClock.requestedTempo, row.tempo);
  }
  gAudioClockMode = 0;
  ASSERT_EQ(gTempoRecordBuffer.count, 2u);
  const uint8_t* entries = reinterpret_cast<const uint8_t*>(*gTempoRecordBuffer.entries);
  EXPECT_EQ(ReadU16BE(entries + 4), 1000);
  EXPECT_EQ(ReadU16BE(entries + 10), 1250);
  SetTempoRecordCapacity(&gTempoRecordBuffer, 0);
}

TEST(MidiTempo, ClocksAndTaps) {
  EXPECT_EQ(TempoFromMidiClock(12 * 25000000ull, 12), 1000);  // 25 ms clocks: 100 bpm
  EXPECT_EQ(TempoFromMidiClock(0, 12), 0);
  EXPECT_EQ(TempoFromMidiClock(12, 12), 4500);                 // clamped
  EXPECT_EQ(TempoFromTaps(500000000ull), 1200);
  EXPECT_EQ(TempoFromTaps(0), 0);                               // a chord
  EXPECT_EQ(TempoFromTaps(2000000ull), 4500);
  EXPECT_EQ(TempoFromTaps(60000000000ull), 120);
}

}  // namespace

namespace {

// The sync input hands each packet to the time-code receiver first: quarter frames stop
// there, the rest of the packet reaches the processors, and a full frame is still collected
// as system-exclusive data; a block completed while the processor records goes to its record
// buffer.
TEST_F(MidiInputTest, SyncPacketsGoWholeToTheTimeCodeReceiver) {
  MidiEndpointEntry sync{};
  sync.flags = kInputSync | kInputOrdinary;
  gSyncPreFilter.store(ReceiveMtcMessage);
  ResetMtcReceiver();
  gMidiInputFlags = kInputRecordSysEx | kRecordNotes;
  ASSERT_EQ(noErr, PrepareRecordBuffer(processor, 1024));
  gRecordStartTick = 0;
  gRecordEndTick = 0xFFFFFFFF;
  alignas(8) Byte buffer[512];
  auto* list = reinterpret_cast<MIDIPacketList*>(buffer);
  const uint8_t mixed[] = {0xF1, 0x05, 0xF1, 0x12, 0x90, 60, 100};
  MIDIPacketListAdd(list, sizeof buffer, MIDIPacketListInit(list), 0, sizeof mixed, mixed);
  MidiReadProc(list, nullptr, &sync);
  std::vector<RingMessage> got = Drain(1);
  ASSERT_EQ(1u, got.size());
  EXPECT_EQ(0x90, got[0].status);
  EXPECT_EQ(60, got[0].data1);
  const uint8_t fullFrame[] = {0xF0, 0x7F, 0x7F, 0x01, 0x01, 0x21, 0x02, 0x03, 0x04, 0xF7};
  MIDIPacketListAdd(list, sizeof buffer, MIDIPacketListInit(list), 0, sizeof fullFrame, fullFrame);
  uint32_t count = 0;
  uint8_t completed = processor->sysexComplete;
  ReceivedTimeCode tc;
  TakeReceivedTimeCode(&count, &tc);
  MidiReadProc(list, nullptr, &sync);
  ASSERT_TRUE(TakeReceivedTimeCode(&count, &tc));
  EXPECT_EQ(2, tc.record.minutes);
  EXPECT_EQ(completed + 1, processor->sysexComplete);
  EXPECT_EQ(1, TakeQueuedSysExBlocks(processor));
  const uint8_t* e = RecordBufferBytes(processor);
  EXPECT_EQ(sizeof fullFrame - 1, GetDataEventLength(e));
  EXPECT_EQ(0, std::memcmp(e + kDataEventData, fullFrame + 1, sizeof fullFrame - 1));
  EXPECT_TRUE(Drain(1).empty());
  PrepareRecordBuffer(processor, 0);
  gSyncPreFilter.store(IsNotRealTimeStatus);
  ResetMtcReceiver();
  gAudioClockMode = 0;
}

}  // namespace
