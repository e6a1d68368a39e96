// The arpeggiator engine driven pass by pass by the clock's idle fire: the keys held on a
// processor become the pattern's notes at the step times, each ended by the note-off queue.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/memory/byte_order.h"
#include "sequencer/clock/note_off_queue.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/arp_engine.h"
#include "sequencer/midi/arp_note_choice.h"
#include "sequencer/midi/arp_slots.h"
#include "sequencer/midi/arp_step_timing.h"
#include "sequencer/midi/realtime_processors.h"
#include "song/instruments/driver_procs.h"
#include "tests/sequencer/clock/clock_fixture.h"

namespace {

constexpr uint32_t kArpProc = 62;

struct Note {
  uint32_t tick;
  uint8_t port, status, key, velocity;
};
std::vector<Note> gNotes;

int32_t KeepNote(uint8_t* record, int32_t port) {
  gNotes.push_back({gTransportClock.songTick, uint8_t(port), record[6], record[7], record[8]});
  return 0;
}

struct StepShape {
  int16_t transpose = 0, velocity = 0, length = 0, choice = 0;
  uint8_t flags = 0, keysNeeded = 0;
  int8_t keyOffset = 0;
};

struct PatternShape {
  uint16_t stepLength = 96;
  uint8_t mode = 0, flags = 0, swing = 0, velocityMode = 2;
  int8_t gate = 0;
  std::vector<StepShape> steps;
};

void WritePattern(uint8_t* slot, int32_t index, const PatternShape& shape) {
  uint8_t* p = ArpPattern(slot, index);
  std::fill(p, p + kArpPatternBytes, 0);
  WriteU16BE(p + kArpStepLength, shape.stepLength);
  p[kArpStepCount] = uint8_t(shape.steps.size());
  p[kArpMode] = shape.mode;
  p[kArpFlags] = shape.flags;
  p[kArpSwing] = shape.swing;
  p[kArpGate] = uint8_t(shape.gate);
  p[kArpVelocityMode] = shape.velocityMode;
  for (size_t s = 0; s < shape.steps.size(); ++s) {
    uint8_t* step = ArpStep(p, int32_t(s));
    const StepShape& st = shape.steps[s];
    WriteU16BE(step + kArpStepTranspose, uint16_t(st.transpose));
    WriteU16BE(step + kArpStepVelocity, uint16_t(st.velocity));
    WriteU16BE(step + kArpStepLengthCode, uint16_t(st.length));
    WriteU16BE(step + kArpStepChoice, uint16_t(st.choice));
    step[kArpStepFlags] = st.flags;
    step[kArpStepKeysNeeded] = st.keysNeeded;
    step[kArpStepKeyOffset] = uint8_t(st.keyOffset);
  }
}

class ArpEngineTest : public ClockTest {
 protected:
  void SetUp() override {
    ClockTest::SetUp();
    SetDriverProcById(kArpProc, KeepNote);
    gNotes.clear();
    first = AddProcessor(1);
    slot = gArpSlots[0];
    std::fill(slot, slot + kArpSlotBytes, 0);
    WriteU32BE(slot + kArpPatternCount, 1);
    gArpeggiatorSwitch = 1;
    gTransportClock.songTick = 0;
  }
  void TearDown() override {
    gArpeggiatorSwitch = 0;
    gRealtimeProcessors = nullptr;
    SetDriverProcById(kArpProc, nullptr);
    ClockTest::TearDown();
  }
  RealtimeProcessor* AddProcessor(uint8_t port) {
    processors.push_back(std::make_unique<RealtimeProcessor>());
    RealtimeProcessor* p = processors.back().get();
    ProcessorState* s = StateOf(p);
    s->send = kArpProc;
    s->port = port;
    s->outputChannel = 16;
    s->flags = kProcessorLive;
    s->arpSlot = 0;
    p->next = gRealtimeProcessors;
    gRealtimeProcessors = p;
    return p;
  }
  // Keys played into every processor (as the MIDI input hands them to each).
  void Hold(std::initializer_list<uint8_t> keys, uint8_t velocity = 100) {
    for (uint8_t key : keys) {
      RingMessage m{gTransportClock.songTick, 0x90, key, velocity, 0, 0, 0};
      for (auto& p : processors) ProcessLiveInput(p.get(), &m);
    }
  }
  void Release(uint8_t key) {
    RingMessage m{gTransportClock.songTick, 0x80, key, 0, 0, 0, 0};
    for (auto& p : processors) ProcessLiveInput(p.get(), &m);
  }
  // Realigns at the song tick and runs that many clock passes (the first at song tick 1 when
  // the song tick is 0); notes of a run before are dropped.
  void Run(uint32_t passes) {
    ResetNoteOffPool();
    gNotes.clear();
    ArpRestartAll(gTransportClock.songTick);
    for (uint32_t i = 0; i < passes; ++i) IdleClockFire();
  }
  // The note-ons sent (port 1 only), as {tick, key}, and each note's length.
  std::vector<std::pair<uint32_t, uint8_t>> Ons(uint8_t port = 1) const {
    std::vector<std::pair<uint32_t, uint8_t>> ons;
    for (const Note& n : gNotes)
      if (n.port == port && (n.status & 0xF0) == 0x90 && n.velocity > 0) ons.push_back({n.tick, n.key});
    return ons;
  }
  uint32_t LengthOf(size_t nth) const {
    std::vector<std::pair<uint32_t, uint8_t>> ons = Ons();
    uint32_t start = ons.at(nth).first;
    for (const Note& n : gNotes)
      if (n.port == 1 && n.key == ons[nth].second && n.tick > start &&
          ((n.status & 0xF0) == 0x80 || n.velocity == 0))
        return n.tick - start;
    return 0;
  }
  std::vector<std::unique_ptr<RealtimeProcessor>> processors;
  RealtimeProcessor* first = nullptr;
  uint8_t* slot = nullptr;
};

std::vector<StepShape> Steps(size_t n, StepShape step = {}) { return std::vector<StepShape>(n, step); }

// Each pattern turns the held chord C-E-G (60, 64, 67) into notes at these ticks: step times are
// the tick after the realignment (1) plus the step lengths.
TEST_F(ArpEngineTest, PatternsTurnTheHeldChordIntoTheirNotes) {
  StepShape lowest{0, 0, 0, 2}, highest{0, 0, 0, 3}, outer{0, 0, 0, 16 + 5};
  StepShape rest{0, 0, kArpLengthRest, 0}, octave{12, 0, 0, 0}, fixed{38, 0, 0, 0, kArpStepFixedKey};
  StepShape scaleUp{2, 0, 0, 2};
  struct Case {
    const char* name;
    PatternShape pattern;
    std::vector<std::pair<uint32_t, uint8_t>> notes;
  } cases[] = {
      {"up", {96, 0, 0, 0, 2, 0, Steps(4)}, {{1, 60}, {97, 64}, {193, 67}, {289, 60}}},
      {"down", {96, 3, 0, 0, 2, 0, Steps(4)}, {{1, 67}, {97, 64}, {193, 60}, {289, 67}}},
      {"up and down", {96, 2, 0, 0, 2, 0, Steps(6)}, {{1, 60}, {97, 64}, {193, 67}, {289, 64}, {385, 60}, {481, 64}}},
      {"triplet steps of 160", {160, 0, 0, 0, 2, 0, Steps(3)}, {{1, 60}, {161, 64}, {321, 67}}},
      {"lowest and highest", {96, 0, 0, 0, 2, 0, {lowest, highest}}, {{1, 60}, {97, 67}, {193, 60}}},
      {"mask of keys 1 and 3", {96, 0, 0, 0, 2, 0, {outer}}, {{1, 60}, {1, 67}, {97, 60}, {97, 67}}},
      {"a rest keeps its time", {96, 0, 0, 0, 2, 0, {{}, rest, {}}}, {{1, 60}, {193, 64}, {289, 67}}},
      {"transpose an octave", {96, 0, 0, 0, 2, 0, {octave, {}}}, {{1, 72}, {97, 64}, {193, 79}}},
      {"a fixed key", {96, 0, 0, 0, 2, 0, {fixed}}, {{1, 38}, {97, 38}}},
      {"scale steps in C", {96, 0, kArpScaleTable, 0, 2, 0, {scaleUp}}, {{1, 62}, {97, 62}}},
      {"swing 75 on 96", {96, 0, 0, 75, 2, 0, Steps(4)}, {{1, 60}, {145, 64}, {193, 67}, {337, 60}}},
  };
  Hold({60, 64, 67});
  for (const Case& c : cases) {
    WritePattern(slot, 0, c.pattern);
    gTransportClock.songTick = 0;
    Run(c.notes.back().first + 1);
    std::vector<std::pair<uint32_t, uint8_t>> ons = Ons();
    std::sort(ons.begin(), ons.end());
    EXPECT_EQ(c.notes, ons) << c.name;
  }
}

TEST_F(ArpEngineTest, EveryNoteEndsAfterItsLength) {
  StepShape half{0, 0, 8, 0}, tie{0, 0, kArpLengthTie, 0}, shortGate{};
  struct Case {
    const char* name;
    PatternShape pattern;
    std::vector<uint32_t> lengths;
  } cases[] = {
      {"the step length", {96, 0, 0, 0, 2, 0, Steps(2)}, {96, 96}},
      {"code 8: half the step", {96, 0, 0, 0, 2, 0, {half, half}}, {48, 48}},
      {"a tie spans the next step", {96, 0, 0, 0, 2, 0, {tie, {}, {}}}, {192, 96}},
      {"gate 25 % shortens by a quarter", {96, 0, 0, 0, 2, 25, {shortGate, shortGate}}, {72, 72}},
      {"swing 75: 144 then 48", {96, 0, 0, 75, 2, 0, Steps(2)}, {144, 48}},
  };
  Hold({60, 64, 67});
  for (const Case& c : cases) {
    WritePattern(slot, 0, c.pattern);
    gTransportClock.songTick = 0;
    Run(500);
    for (size_t i = 0; i < c.lengths.size(); ++i) EXPECT_EQ(c.lengths[i], LengthOf(i)) << c.name << " note " << i;
  }
}

TEST_F(ArpEngineTest, VelocityFollowsTheModeAndTheStep) {
  StepShape loud{0, 120, 0, 0};
  struct Case {
    uint8_t mode;
    uint8_t velocity;
  } cases[] = {{0, 90}, {1, 120}, {2, 60}};
  Hold({60}, 60);
  for (const Case& c : cases) {
    PatternShape pattern{96, 0, 0, 0, c.mode, 0, {loud}};
    WritePattern(slot, 0, pattern);
    gTransportClock.songTick = 0;
    Run(2);
    ASSERT_FALSE(gNotes.empty());
    EXPECT_EQ(c.velocity, gNotes[0].velocity) << "velocity mode " << int(c.mode);
  }
}

// A pattern whose steps have no length (a hand-made or damaged slot) stays silent instead of
// stepping for ever within one pass, and a key played into it passes through.
TEST_F(ArpEngineTest, APatternWithoutAStepLengthIsOff) {
  WritePattern(slot, 0, {0, 0, 0, 0, 2, 0, Steps(4)});
  Hold({60});
  gTransportClock.songTick = 0;
  Run(300);
  EXPECT_TRUE(Ons().empty());
  gNotes.clear();
  Hold({62});
  ASSERT_EQ(1u, gNotes.size()) << "the key is echoed";
  EXPECT_EQ(62, gNotes[0].key);
}

// Two processors linked to one slot: the slot steps once a pass, and each step goes out
// through both.
TEST_F(ArpEngineTest, TwoProcessorsOfOneSlotShareItsSteps) {
  AddProcessor(2);
  WritePattern(slot, 0, {96, 0, 0, 0, 2, 0, Steps(4)});
  Hold({60, 64});
  gTransportClock.songTick = 0;
  Run(200);
  std::vector<std::pair<uint32_t, uint8_t>> expected{{1, 60}, {97, 64}, {193, 60}};
  EXPECT_EQ(expected, Ons(1));
  EXPECT_EQ(expected, Ons(2));
}

// Seventeen held keys: a chord step plays the lowest sixteen, all of them.
TEST_F(ArpEngineTest, AChordStepTakesSixteenOfSeventeenKeys) {
  WritePattern(slot, 0, {96, 0, 0, 0, 2, 0, {{0, 0, 0, 1}}});
  for (uint8_t key = 40; key < 57; ++key) Hold({key});
  gTransportClock.songTick = 0;
  Run(2);
  std::vector<std::pair<uint32_t, uint8_t>> ons = Ons();
  ASSERT_EQ(16u, ons.size());
  EXPECT_EQ(40, ons.front().second);
  EXPECT_EQ(55, ons.back().second);
}

// A released key leaves the pattern at the next step; with every key up nothing plays; a new
// key plays at once.
TEST_F(ArpEngineTest, KeysComeAndGoBetweenSteps) {
  WritePattern(slot, 0, {96, 0, 0, 0, 2, 0, Steps(8)});
  Hold({60, 64});
  gTransportClock.songTick = 0;
  Run(100);
  Release(64);  // a chord restart: the next pass steps at once
  for (int i = 0; i < 100; ++i) IdleClockFire();
  std::vector<std::pair<uint32_t, uint8_t>> ons = Ons();
  ASSERT_EQ(4u, ons.size());
  EXPECT_EQ((std::pair<uint32_t, uint8_t>{101, 60}), ons[2]);
  EXPECT_EQ((std::pair<uint32_t, uint8_t>{197, 60}), ons[3]);
  Release(60);
  size_t before = Ons().size();
  for (int i = 0; i < 200; ++i) IdleClockFire();
  EXPECT_EQ(before, Ons().size()) << "notes without a held key";
  uint32_t now = gTransportClock.songTick;
  Hold({62});
  IdleClockFire();
  ASSERT_EQ(before + 1, Ons().size());
  EXPECT_EQ(now + 1, Ons().back().first) << "a new key plays at the next pass";
}

// Stopping ends what the slot sounds at once and forgets a latched chord.
TEST_F(ArpEngineTest, StopEndsTheSoundingNotesAndTheLatchedChord) {
  WritePattern(slot, 0, {96, 0, kArpLatch, 0, 2, 0, {{0, 0, kArpLengthHold, 0}, {}}});
  Hold({60});
  Release(60);
  gTransportClock.songTick = 0;
  Run(2);
  ASSERT_EQ(1u, Ons().size()) << "the latched key plays after its release";
  ArpStopAll();
  IdleClockFire();
  bool ended = std::any_of(gNotes.begin(), gNotes.end(), [](const Note& n) {
    return n.key == 60 && ((n.status & 0xF0) == 0x80 || n.velocity == 0);
  });
  EXPECT_TRUE(ended);
  size_t count = Ons().size();
  for (int i = 0; i < 300; ++i) IdleClockFire();
  EXPECT_EQ(count, Ons().size()) << "the latched chord was forgotten";
}

TEST(ArpTiming, PositionOfATickInAChainOfPatterns) {
  uint8_t* slot = gArpSlots[0];
  std::fill(slot, slot + kArpSlotBytes, 0);
  WriteU32BE(slot + kArpPatternCount, 2);
  for (int32_t p = 0; p < 2; ++p) {
    uint8_t* pattern = ArpPattern(slot, p);
    WriteU16BE(pattern + kArpStepLength, uint16_t(p == 0 ? 96 : 120));
    pattern[kArpStepCount] = 4;
  }
  ArpPattern(slot, 0)[kArpNextPattern] = 2;  // 0 -> 1 -> back to 0: 384 + 480 ticks
  EXPECT_EQ(864u, ArpChainLength(slot));
  struct Case {
    uint32_t offset;
    int32_t pattern, step;
    uint32_t ticks;
  } cases[] = {{0, 0, 0, 0}, {10, 0, 1, 86}, {96, 0, 1, 0}, {383, 1, 0, 1}, {384, 1, 0, 0},
               {500, 1, 1, 4}, {864 + 97, 0, 2, 95}};
  for (const Case& c : cases) {
    int32_t step = -1;
    uint32_t ticks = ArpPositionForTick(slot, c.offset, &step, 0);
    EXPECT_EQ(c.pattern, gArpStates[0].chainPattern) << c.offset;
    EXPECT_EQ(c.step, step) << c.offset;
    EXPECT_EQ(c.ticks, ticks) << c.offset;
  }
}

TEST(ArpScale, TheBuiltInTableAndTheChordScale) {
  EXPECT_EQ(62, ArpScaleTableKey(60, 2, 0));
  EXPECT_EQ(61 + 2 + 12, ArpScaleTableKey(61, 14, 0));  // row 1, column 2, an octave up
  EXPECT_EQ(58, ArpScaleTableKey(60, -2, 0));       // column 10 an octave down
  const uint8_t triad[] = {0, 4, 7};
  EXPECT_EQ(67, ArpChordScaleKey(60, 2, 0, triad, 3));
  EXPECT_EQ(72, ArpChordScaleKey(64, 2, 0, triad, 3));
  EXPECT_EQ(55, ArpChordScaleKey(60, -1, 0, triad, 3));
}

}  // namespace
