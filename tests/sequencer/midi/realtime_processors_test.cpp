// The processors' rings with several producers, live processing and all-notes-off.
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "sequencer/clock/clock_interim_services.h"
#include "sequencer/midi/arp_slots.h"
#include "sequencer/midi/realtime_processor_chain.h"
#include "sequencer/midi/realtime_processors.h"
#include "sequencer/midi/record_start_hooks.h"
#include "sequencer/transport/playback_control.h"
#include "song/instruments/driver_procs.h"
#include "tests/sequencer/midi/midi_fixture.h"

namespace {

// Slots 1..7 exist by the bits of mask (slot 0 always does).
void UseArpSlots(uint8_t mask) {
  static uint8_t images[kArpSlotCount][kArpSlotBytes];
  for (int32_t k = 1; k < kArpSlotCount; ++k) gArpSlots[k] = (mask >> k & 1) ? images[k] : nullptr;
}

struct ProcessorTest : ::testing::Test {
  void SetUp() override {
    p = std::make_unique<RealtimeProcessor>();
    StateOf(p.get())->send = kCaptureProc;
    StateOf(p.get())->port = 3;
    StateOf(p.get())->outputChannel = 16;
    StateOf(p.get())->flags = kProcessorLive;
    gCaptured.clear();
    SetDriverProcById(kCaptureProc, [](uint8_t* r, int32_t port) {
      gCaptured.push_back({uint8_t(port), std::vector<uint8_t>(r + 6, r + r[1])});
      return 0;
    });
  }
  void TearDown() override { SetDriverProcById(kCaptureProc, nullptr); }
  void Play(uint8_t status, uint8_t d1, uint8_t d2) {
    RingMessage m{1, status, d1, d2, 0, 0, 0};
    ProcessLiveInput(p.get(), &m);
  }
  size_t RingCount() {
    size_t n = 0;
    RingMessage m;
    while (PopMidiInputRing(p.get(), &m)) ++n;
    return n;
  }
  std::unique_ptr<RealtimeProcessor> p;
};

TEST_F(ProcessorTest, SeveralProducersLoseNothingAndTearNothing) {
  constexpr uint32_t kProducers = 4, kEach = 20000;
  std::atomic<bool> done{false};
  std::vector<std::vector<uint32_t>> seen(kProducers);
  uint32_t torn = 0;
  std::thread consumer([&] {
    RingMessage m;
    for (;;) {
      bool last = done.load();
      while (PopMidiInputRing(p.get(), &m)) {
        uint32_t who = m.data1, seq = m.tick;
        if (who >= kProducers || m.status != 0xB0 || m.data2 != uint8_t(seq & 0x7F) || m.sourceId != seq * 3 + who)
          ++torn;
        else
          seen[who].push_back(seq);
      }
      if (last) break;
    }
  });
  std::vector<std::thread> producers;
  for (uint32_t who = 0; who < kProducers; ++who) {
    producers.emplace_back([&, who] {
      for (uint32_t seq = 0; seq < kEach; ++seq) {
        RingMessage m{seq, 0xB0, uint8_t(who), uint8_t(seq & 0x7F), 0, seq * 3 + who, 0};
        while (!QueueProcessorInput(p.get(), m)) std::this_thread::yield();  // full: try again
      }
    });
  }
  for (std::thread& t : producers) t.join();
  done = true;
  consumer.join();
  EXPECT_EQ(torn, 0u);
  for (uint32_t who = 0; who < kProducers; ++who) {
    ASSERT_EQ(seen[who].size(), kEach) << who;
    for (uint32_t seq = 0; seq < kEach; ++seq) ASSERT_EQ(seen[who][seq], seq) << who;  // in order
  }
}

TEST_F(ProcessorTest, AFullRingRefusesAndSaysSo) {
  RingMessage m{1, 0x90, 60, 1, 0, 0, 0};
  int32_t accepted = 0;
  while (QueueProcessorInput(p.get(), m) && accepted < 1000) ++accepted;
  EXPECT_EQ(accepted, kProcessorRingSize);
  EXPECT_EQ(TakeProcessorErrors(p.get()) & kProcessorErrorRingFull, kProcessorErrorRingFull);
  EXPECT_EQ(TakeProcessorErrors(p.get()), 0);
  EXPECT_EQ(RingCount(), size_t(kProcessorRingSize));
  RingMessage frame{1, 0xF1, 0x10, kOneDataByte, 0, 0, 0};
  EXPECT_FALSE(QueueProcessorInput(p.get(), frame));  // quarter frames never enter
  EXPECT_EQ(RingCount(), 0u);
}

TEST_F(ProcessorTest, LiveInputTransposesCountsAndEchoes) {
  StateOf(p.get())->transpose = 12;
  Play(0x90, 120, 100);
  ASSERT_EQ(gCaptured.size(), 1u);
  EXPECT_EQ(gCaptured[0].bytes, (std::vector<uint8_t>{0x90, 127, 100}));
  EXPECT_EQ(gCaptured[0].port, 3);
  RingMessage m;
  ASSERT_TRUE(PopMidiInputRing(p.get(), &m));
  EXPECT_EQ(m.data1, 120);  // the ring keeps the note as played
  // A note-off for a key never held goes only into the ring.
  Play(0x80, 40, 0);
  EXPECT_EQ(gCaptured.size(), 1u);
  EXPECT_EQ(RingCount(), 1u);
  // A program change with programs blocked goes only into the ring.
  StateOf(p.get())->flags |= kProcessorNoPrograms;
  Play(0xC0, 5, kOneDataByte);
  EXPECT_EQ(gCaptured.size(), 1u);
  EXPECT_EQ(RingCount(), 1u);
  // A fixed output channel replaces the message's channel.
  StateOf(p.get())->outputChannel = 9;
  Play(0xB2, 7, 64);
  ASSERT_EQ(gCaptured.size(), 2u);
  EXPECT_EQ(gCaptured[1].bytes[0], 0xB9);
}

// With its arpeggiator playing, a processor keeps the sustain pedal to itself and tells the
// arpeggiator to restart its chord when the pedal comes up; without it the pedal is echoed.
TEST_F(ProcessorTest, AnArpeggiatorKeepsThePedalAndRestartsItsChordOnRelease) {
  struct Case {
    uint8_t slot, slotsInUse, arpSwitch;
    bool forwarded;
  } cases[] = {{2, 0x04, 1, false}, {8, 0xFF, 1, true}, {2, 0x02, 1, true}, {2, 0x04, 0, true}};
  for (const Case& c : cases) {
    StateOf(p.get())->arpSlot = c.slot;
    StateOf(p.get())->arpRestart = 0;
    UseArpSlots(c.slotsInUse);
    gArpeggiatorSwitch = c.arpSwitch;
    gCaptured.clear();
    Play(0x90, 60, 100);
    Play(0xB0, 64, 127);
    Play(0xB0, 64, 0);
    size_t pedal = 0;
    for (const auto& m : gCaptured) pedal += m.bytes[0] == 0xB0 && m.bytes[1] == 64;
    EXPECT_EQ(c.forwarded ? 2u : 0u, pedal) << "slot " << int(c.slot);
    EXPECT_EQ(c.forwarded ? 0 : 1, StateOf(p.get())->arpRestart) << "slot " << int(c.slot);
    Play(0x80, 60, 0);
  }
  UseArpSlots(0);
  gArpeggiatorSwitch = 0;
}

// A recording that waits for the first note starts at the first note-on that arrives, once;
// a note-off or a note-on of velocity 0 does not start it.
TEST_F(ProcessorTest, TheFirstNoteOnStartsAWaitingRecordingOnce) {
  static int starts = 0;
  starts = 0;
  gRecordStartHooks.startRecordClock = [] { ++starts; };
  gRecordWaitsForFirstNote = 1;
  for (const RingMessage& m : {RingMessage{40, 0x80, 60, 0, 0, 0, 0}, RingMessage{41, 0x90, 60, 0, 0, 0, 0},
                               RingMessage{42, 0x91, 62, 90, 0, 0, 0}, RingMessage{43, 0x91, 64, 90, 0, 0, 0}})
    QueueProcessorInput(p.get(), m);
  EXPECT_EQ(1, starts);
  EXPECT_EQ(42u, gRecordStartTick.load());
  EXPECT_EQ(0, gRecordWaitsForFirstNote.load());
  gRecordStartHooks.startRecordClock = nullptr;
}

TEST_F(ProcessorTest, AllNotesOffOnEveryChannelAndIntoTheRecorder) {
  Play(0x90, 60, 100);
  Play(0x93, 64, 100);
  Play(0x95, 67, 100);
  RingCount();
  gCaptured.clear();
  RealtimeProcessor recorder;
  ReleaseHeldNotes(p.get(), &recorder);
  // Output channel 16: a velocity-0 note-on per held key on each of the 16 channels.
  EXPECT_EQ(gCaptured.size(), 3u * 16u);
  for (const Captured& c : gCaptured) EXPECT_EQ(c.bytes[2], 0);
  // Every held key gets a recorded note-off on every channel that played.
  std::vector<std::pair<uint8_t, uint8_t>> offs;
  RingMessage m;
  while (PopMidiInputRing(&recorder, &m)) offs.push_back({m.status, m.data1});
  EXPECT_EQ(offs.size(), 9u);
  EXPECT_EQ(CountHeldNotes(p.get(), true, 0, 0), 0);
  EXPECT_EQ(StateOf(p.get())->channelBits, 0u);
  EXPECT_EQ(StateOf(p.get())->flags, kProcessorLive);
}

TEST_F(ProcessorTest, ShuttingTheClockDownEndsTheNotesHeldOnTheDefaultInput) {
  RealtimeProcessor* saved = gMidiInputs;
  gMidiInputs = p.get();
  StateOf(p.get())->outputChannel = 2;
  Play(0x92, 60, 100);
  gCaptured.clear();
  ShutDownClockTimer();
  gMidiInputs = saved;
  ASSERT_EQ(gCaptured.size(), 1u);
  EXPECT_EQ(gCaptured[0].bytes, (std::vector<uint8_t>{0x92, 60, 0}));
  EXPECT_EQ(CountHeldNotes(p.get(), true, 0, 0), 0);
}

TEST_F(ProcessorTest, HeldNoteCountsInARange) {
  for (uint8_t key : {36, 48, 60, 72}) Play(0x90, key, 90);
  EXPECT_EQ(CountHeldNotes(p.get(), true, 0, 0), 4);
  EXPECT_EQ(CountHeldNotes(p.get(), true, 40, 70), 2);
  EXPECT_EQ(CountHeldNotes(p.get(), false, 0, 127), 1);
  Play(0x90, 48, 0);
  EXPECT_EQ(CountHeldNotes(p.get(), true, 40, 70), 1);
}

}  // namespace

namespace {

TEST_F(ProcessorTest, PollingNotesForStepEntry) {
  StateOf(p.get())->flags = 0;
  RealtimeProcessor* saved = gRealtimeProcessors;
  gRealtimeProcessors = p.get();
  for (RingMessage m : {RingMessage{3, 0x90, 60, 80, 0, 0, 0}, RingMessage{4, 0xB0, 7, 1, 0, 0, 0},
                        RingMessage{5, 0x80, 60, 0, 0, 0, 0}, RingMessage{6, 0x90, 64, 70, 0, 0, 0}})
    QueueProcessorInput(p.get(), m);
  uint8_t note = 0, velocity = 0;
  uint32_t tick = 0;
  ASSERT_TRUE(ReadProcessorNote(nullptr, &note, &velocity, &tick));
  EXPECT_EQ(note, 60);
  EXPECT_EQ(tick, 3u);
  EXPECT_EQ(PolledKeyCount(60), 1);
  ReadLastInputNote(&note, &velocity);  // skips the controller, counts the note-off
  EXPECT_EQ(note, 64);
  EXPECT_EQ(velocity, 70);
  EXPECT_EQ(PolledKeyCount(60), 0);
  ReadLastInputNote(&note, &velocity);
  EXPECT_EQ(note, 0);
  gRealtimeProcessors = saved;
}

TEST_F(ProcessorTest, ResettingTheStatesKeepsTheThruOutputBound) {
  // What the all-notes-off of the instrument table does: the held notes are forgotten, but the
  // processor still echoes to its output, with its output channel and live bit.
  p->driverProc = kCaptureProc;
  p->port = 3;
  p->channel = 16;
  p->flags = kProcessorRunFlags;
  PublishProcessorBinding(p.get());
  RealtimeProcessor* savedChain = gRealtimeProcessors;
  gRealtimeProcessors = p.get();
  Play(0x92, 60, 90);
  ResetChainStates();
  EXPECT_EQ(0, CountHeldNotes(p.get(), true, 0, 0));
  gCaptured.clear();
  RingMessage m{1, 0x92, 61, 80, 0, 0, 0};
  ASSERT_TRUE(StateOf(p.get())->flags & kProcessorLive);
  ProcessLiveInput(p.get(), &m);
  ASSERT_EQ(1u, gCaptured.size()) << "the thru went silent after the reset";
  EXPECT_EQ(3, gCaptured[0].port);
  EXPECT_EQ((std::vector<uint8_t>{0x92, 61, 80}), gCaptured[0].bytes);
  ResetChainProcessors();
  EXPECT_FALSE(StateOf(p.get())->flags & kProcessorLive) << "reset processors stop echoing";
  gRealtimeProcessors = savedChain;
}

}  // namespace
