// Render-time MIDI: a song's events land in the block at the sample their tick gives, notes end
// in the block their length reaches, the list is ordered for the plug-in, the chain's masks
// filter what each plug-in gets, and the live ring takes messages from many threads at once.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "audio/engine/engine_channels.h"
#include "platform/memory/byte_order.h"
#include "plugins/host/plugin_midi_delivery.h"
#include "sequencer/midi/realtime_processors.h"
#include "song/instruments/instrument_record.h"
#include "song/model/song_layout.h"
#include "tests/plugins/render/render_fixture.h"
#include "tests/sequencer/clock/clock_fixture.h"
#include "tests/sequencer/transport/transport_fixture.h"

namespace {

using namespace render_test;

constexpr uint8_t kDevice = 7;
constexpr float kRate = 48000.0f;

struct Sent {
  int32_t block, offset;
  uint8_t status, data1, data2;
  bool operator==(const Sent&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Sent& s) {
  return os << "{block " << s.block << " @" << s.offset << " " << std::hex << int(s.status) << std::dec << " "
            << int(s.data1) << " " << int(s.data2) << "}";
}

class MidiDelivery : public ClockTest {
 protected:
  void SetUp() override {
    ClockTest::SetUp();
    channel_.sampleRate = kRate;
    state_ = NewPluginMidiState(&channel_, kDevice);
    ASSERT_NE(state_, nullptr);
  }
  void TearDown() override {
    DisposePluginMidiState(state_);
    ClockTest::TearDown();
  }
  // A song whose tracks play device kDevice.
  Handle PluginSong(const std::vector<TestTrack>& tracks, const std::vector<std::pair<int32_t, uint16_t>>& tempos,
                    uint16_t tempo = 1200) {
    Handle song = MakeSong(tracks, tempos, tempo);
    uint8_t* e = reinterpret_cast<uint8_t*>(*song) + kSongHeaderSize;
    for (size_t i = 0; i < tracks.size(); ++i) {
      e[kTrackType] = kDeviceKindPlugin;
      e[kTrackMidiOutput] = kDevice;
      e[kTrackDeviceChannel1] = 0xFF;
      e += ReadU16BE(e + kTrackLength);
    }
    return song;
  }
  // Schedules `blocks` blocks of `frames` and collects what each block sends.
  std::vector<Sent> Run(int32_t blocks, int32_t frames) {
    std::vector<Sent> sent;
    for (int32_t b = 0; b < blocks; ++b) {
      MidiEventList* list = ScheduleBufferEvents(state_, frames, QueuePluginMidiEvent);
      for (int32_t i = 0; i < list->numEvents; ++i) {
        const PluginMidiEvent* e = list->events[i];
        EXPECT_GE(e->deltaFrames, 0);
        EXPECT_LT(e->deltaFrames, frames);
        sent.push_back({b, e->deltaFrames, uint8_t(e->midiData[0]), uint8_t(e->midiData[1]), uint8_t(e->midiData[2])});
      }
    }
    return sent;
  }
  // The sample a tick falls on at a constant tempo (tenths of a BPM, 480 ticks a quarter).
  static double SampleOfTick(double tick, int32_t tempo) { return (tick - 1.0) * 600.0 / (tempo * 480.0) * kRate; }

  EngineChannel channel_;
  PluginMidiState* state_ = nullptr;
};

// 120 BPM at 48 kHz: a tick is 50 samples. Events of one sample keep the track's order, except
// that a key's release carried from the last block goes in front of the same key's new strike.
TEST_F(MidiDelivery, EventsAtOneSampleKeepTrackOrderButReleaseBeforeStrike) {
  Handle song = PluginSong({Track({{3, 0x90, 60, 100, 20}, {3, 0xB0, 7, 90, 0}, {23, 0x90, 60, 80, 2}})}, {});
  StartPluginMidiState(state_, song, 1.0);
  std::vector<Sent> sent = Run(2, 1024);  // the first note ends at 1100, where the second starts
  std::vector<Sent> want = {{0, 100, 0x90, 60, 100}, {0, 100, 0xB0, 7, 90}, {1, 76, 0x80, 60, 64},
                            {1, 76, 0x90, 60, 80}, {1, 176, 0x90, 60, 0}};
  EXPECT_EQ(sent, want);
}

// A stop or locate: the notes still sounding are released at the next block's first sample.
TEST_F(MidiDelivery, AResetReleasesEveryPendingNoteAtOnce) {
  Handle song = PluginSong({Track({{2, 0x90, 60, 100, 100}, {3, 0x92, 67, 100, 100}})}, {});
  StartPluginMidiState(state_, song, 1.0);
  Run(1, 256);
  ResetPluginMidiState(state_);
  std::vector<Sent> sent = Run(1, 256);
  EXPECT_EQ(sent, (std::vector<Sent>{{0, 0, 0x80, 60, 64}, {0, 0, 0x82, 67, 64}}));
  EXPECT_TRUE(Run(3, 256).empty());
}

// A note whose end falls three blocks later is released there, at its exact sample, with its
// note-off velocity; nothing else in between.
TEST_F(MidiDelivery, ALongNoteEndsInTheBlockItReaches) {
  Handle song = PluginSong({Track({{2, 0x91, 64, 100, 30}})}, {});
  StartPluginMidiState(state_, song, 1.0);
  std::vector<Sent> sent = Run(5, 400);  // the note: samples 50 .. 1550
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0], (Sent{0, 50, 0x91, 64, 100}));
  EXPECT_EQ(sent[1], (Sent{3, 1550 - 1200, 0x81, 64, 64}));
}

// A tempo change inside a block: the events after it fall where the new tempo puts them, at
// three block sizes (the change in the middle of a block, at its edge and across several).
TEST_F(MidiDelivery, ATempoChangeInsideABlockMovesTheEventsAfterIt) {
  // 120 BPM to tick 101 (5000 samples), then 90 BPM: 66.67 samples a tick.
  Handle song = PluginSong({Track({{51, 0x90, 60, 100, 0}, {101, 0x90, 62, 100, 0}, {104, 0x90, 64, 100, 0},
                                   {250, 0x90, 65, 100, 0}})},
                           {{101, 900}});
  for (int32_t frames : {64, 1000, 5000}) {
    StartPluginMidiState(state_, song, 1.0);
    std::vector<int64_t> onsets;
    int32_t blocks = 20000 / frames;
    for (const Sent& s : Run(blocks, frames))
      if (s.data2 > 0) onsets.push_back(int64_t(s.block) * frames + s.offset);
    double tempoChange = SampleOfTick(101, 1200);
    std::vector<int64_t> want = {int64_t(SampleOfTick(51, 1200)), int64_t(tempoChange),
                                 int64_t(std::floor(tempoChange + 3 * 600.0 / (900 * 480.0) * kRate + 0.001)),
                                 int64_t(std::floor(tempoChange + 149 * 600.0 / (900 * 480.0) * kRate + 0.001))};
    EXPECT_EQ(onsets, want) << frames << " frames";
  }
}

// The cycle's end inside a block: the events after it come from the cycle's start, in the same
// block.
TEST_F(MidiDelivery, TheCycleRestartsInsideTheBlock) {
  Handle song = PluginSong({Track({{5, 0x90, 60, 100, 0}, {9, 0x90, 62, 100, 0}, {12, 0x90, 64, 100, 0}})}, {});
  StartPluginMidiState(state_, song, 1.0);
  state_->cycleOn = 1;
  state_->cycleStartTick = 5.0;
  state_->cycleEndTick = 11.0;  // ticks 5 .. 10 repeat: 300 samples
  std::vector<Sent> sent = Run(1, 1000);
  std::vector<int32_t> notes, offsets;
  for (const Sent& s : sent)
    if (s.data2 > 0) {
      notes.push_back(s.data1);
      offsets.push_back(s.offset);
    }
  EXPECT_EQ(notes, (std::vector<int32_t>{60, 62, 60, 62, 60}));
  EXPECT_EQ(offsets, (std::vector<int32_t>{200, 400, 500, 700, 800}));
}

// The chain's masks: a plug-in whose kind mask lacks note-ons gets none, one listening on
// channel 1 only gets channel 1; a bank select and a program change taken by the host leave as
// one message for the main thread carrying bank and program.
TEST_F(MidiDelivery, EachPlugInGetsWhatItsMasksLetThrough) {
  struct Receiver {
    ProbeEffect* probe;
    PluginInstance* p;
    std::vector<std::vector<uint8_t>> got;
  };
  static std::vector<Receiver*> receivers;
  auto dispatcher = [](AEffect* e, VstInt32 op, VstInt32, VstIntPtr, void* ptr, float) -> VstIntPtr {
    if (op != kEffProcessEvents) return 0;
    auto* list = static_cast<VstEvents*>(ptr);
    for (Receiver* r : receivers)
      if (&r->probe->effect == e)
        for (int32_t i = 0; i < list->numEvents; ++i) {
          auto* m = reinterpret_cast<VstMidiEvent*>(list->events[i]);
          r->got.push_back({uint8_t(m->midiData[0]), uint8_t(m->midiData[1]), uint8_t(m->midiData[2])});
        }
    return 1;
  };
  Receiver noNotes{NewProbeEffect(0, 2), nullptr, {}};
  Receiver channelOne{NewProbeEffect(0, 2), nullptr, {}};
  Receiver hostPrograms{NewProbeEffect(0, 2), nullptr, {}};
  receivers = {&noNotes, &channelOne, &hostPrograms};
  for (Receiver* r : receivers) {
    r->probe->effect.dispatcher = dispatcher;
    r->p = NewProbeInstance(r->probe);
  }
  noNotes.p->midiKindMask = int16_t(0xFFFF & ~(1 << 9));
  channelOne.p->midiKindMask = int16_t(0x7F00);
  channelOne.p->midiChannelMask = 0x0001;
  hostPrograms.p->midiKindMask = int16_t(0x7F00);
  hostPrograms.p->midiOptions = 1;
  LinkChain({noNotes.p, channelOne.p, hostPrograms.p});

  RealtimeProcessor* processor = CreateDefaultInputProcessor();
  ASSERT_NE(processor, nullptr);
  RingMessage drained;
  while (PopMidiInputRing(processor, &drained)) {
  }
  PluginMidiEvent events[6];
  const uint8_t bytes[6][3] = {{0x90, 60, 100}, {0x91, 62, 100}, {0xB0, 0, 1}, {0xB0, 32, 2}, {0xC0, 5, 0},
                               {0x80, 60, 0}};
  MidiEventList list;
  for (int32_t i = 0; i < 6; ++i) {
    events[i] = PluginMidiEvent{};
    for (int32_t b = 0; b < 3; ++b) events[i].midiData[b] = char(bytes[i][b]);
    list.events[list.numEvents++] = &events[i];
  }
  SendChainMidi(noNotes.p, &list);

  using Bytes = std::vector<std::vector<uint8_t>>;
  EXPECT_EQ(noNotes.got, (Bytes{{0xB0, 0, 1}, {0xB0, 32, 2}, {0xC0, 5, 0}, {0x80, 60, 0}}));
  EXPECT_EQ(channelOne.got, (Bytes{{0x90, 60, 100}, {0xB0, 0, 1}, {0xB0, 32, 2}, {0xC0, 5, 0}, {0x80, 60, 0}}));
  EXPECT_EQ(hostPrograms.got, (Bytes{{0x90, 60, 100}, {0x91, 62, 100}, {0xB0, 0, 1}, {0xB0, 32, 2}, {0x80, 60, 0}}));
  RingMessage m;
  ASSERT_TRUE(PopMidiInputRing(processor, &m));
  EXPECT_EQ(m.status, 0xFF);
  EXPECT_EQ(m.data1, 0xFD);
  EXPECT_EQ(m.spare2, 0x4105u);
  EXPECT_EQ(m.sourceId, hostPrograms.p->id);
  DisposeDefaultInputProcessor();
  for (Receiver* r : receivers) DisposeProbe(r->p, r->probe);
  receivers.clear();
}

// The live ring takes messages from four threads at once while the engine side reads: every
// message arrives once, whole, and each writer's in its own order; a full ring refuses.
TEST(LiveMidiRing, ManyWritersOneReaderLoseNothing) {
  PluginMidiRing ring;
  constexpr int32_t kWriters = 4, kEach = 5000;
  std::atomic<bool> go{false};
  std::vector<std::thread> writers;
  for (int32_t w = 0; w < kWriters; ++w)
    writers.emplace_back([&, w] {
      while (!go.load()) std::this_thread::yield();
      for (int32_t n = 0; n < kEach; ++n)
        for (int32_t tries = 0; !PutLiveMidiMessage(&ring, uint8_t(0x90 | w), uint8_t(n & 0x7F), uint8_t(n >> 7));
             ++tries) {
          ASSERT_LT(tries, 10000000);
          std::this_thread::yield();
        }
    });
  go.store(true);
  std::vector<int32_t> next(kWriters, 0);
  int32_t taken = 0;
  for (int64_t polls = 0; taken < kWriters * kEach && polls < 2000000000; ++polls) {
    uint8_t b[3];
    if (!TakeLiveMidiMessage(&ring, b)) {
      std::this_thread::yield();
      continue;
    }
    int32_t w = b[0] & 0x0F;
    ASSERT_LT(w, kWriters);
    ASSERT_EQ(b[1] | (b[2] << 7), next[size_t(w)]) << "writer " << w;
    ++next[size_t(w)];
    ++taken;
  }
  for (std::thread& t : writers) t.join();
  EXPECT_EQ(taken, kWriters * kEach);
  for (uint32_t i = 0; i < kLiveRingSize; ++i) ASSERT_TRUE(PutLiveMidiMessage(&ring, 0x90, 1, 2));
  EXPECT_FALSE(PutLiveMidiMessage(&ring, 0x90, 1, 2));
}

// A note a plug-in sends out with a length ends on its own channel, that many samples later;
// other events and notes without a length plan no note-off.
TEST(PluginOutputNotes, ANoteWithALengthEndsOnItsChannelLater) {
  VstMidiEvent e{};
  e.midiData[0] = char(0x94);
  e.midiData[1] = 61;
  e.midiData[2] = 90;
  e.noteLength = 441;
  e.noteOffVelocity = 30;
  uint8_t off[3];
  double tick = 0;
  ASSERT_TRUE(PlanPluginOutputNoteOff(&e, 100.0, 1.0 / 44.1, off, &tick));
  EXPECT_EQ(off[0], 0x84);
  EXPECT_EQ(off[1], 61);
  EXPECT_EQ(off[2], 30);
  EXPECT_DOUBLE_EQ(tick, 110.0);
  e.noteLength = 0;
  EXPECT_FALSE(PlanPluginOutputNoteOff(&e, 100.0, 1.0, off, &tick));
  e.noteLength = 10;
  e.midiData[0] = char(0x84);
  EXPECT_FALSE(PlanPluginOutputNoteOff(&e, 100.0, 1.0, off, &tick));
  e.midiData[0] = char(0xB4);
  EXPECT_FALSE(PlanPluginOutputNoteOff(&e, 100.0, 1.0, off, &tick));
}

}  // namespace
