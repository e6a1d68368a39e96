// Render-time MIDI: a song's events land in the block at the sample their tick gives, notes end
// in the block their length reaches, the list is ordered for the plug-in, the chain's masks
// filter what each plug-in gets, and the live ring takes messages from many threads at once.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "audio/engine/engine_channels.h"
#include "plugins/host/plugin_render_hooks.h"
#include "audio/render/channel_render.h"
#include "audio/engine/engine_plugin_hooks.h"
#include "platform/memory/byte_order.h"
#include "plugins/host/plugin_midi_delivery.h"
#include "sequencer/clock/click_settings.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/tick_scheduler.h"
#include "sequencer/midi/realtime_processors.h"
#include "song/events/seq_event.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/model/song_layout.h"
#include "song/model/track_drum_map.h"
#include "song/model/track_edit_brackets.h"
#include "song/model/track_sections.h"
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
  // Every track of the song (and of the children it calls) on the device, or on a plain MIDI
  // output that the clock sends to.
  static void PutOnDevice(Handle song, bool on) {
    uint8_t* s = reinterpret_cast<uint8_t*>(*song);
    uint8_t* e = s + kSongHeaderSize;
    for (int32_t i = 0; i < ReadU16BE(s + kSongTrackCount); ++i) {
      e[kTrackType] = on ? kDeviceKindPlugin : 0;
      e[kTrackMidiOutput] = on ? kDevice : 1;
      e[kTrackDeviceChannel1] = 0xFF;
      e += ReadU16BE(e + kTrackLength);
    }
  }
  // The n-th event record of track 0 of a song.
  static uint8_t* EventOf(Handle song, int32_t n) {
    uint8_t* e = reinterpret_cast<uint8_t*>(*song) + kSongHeaderSize;
    uint8_t* list = reinterpret_cast<uint8_t*>(*Handle(ReadU32BE(e + kTrackEventList)));
    for (int32_t i = 0; i < n; ++i) list += GetSeqEventLength(list);
    return list;
  }
  static uint8_t* FirstTrack(Handle song) { return reinterpret_cast<uint8_t*>(*song) + kSongHeaderSize; }
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
  ProbeEffect* probe = NewProbeEffect(0, 2);
  PluginInstance* receiver = NewProbeInstance(probe);
  receiver->transportCopy = 5;
  state_->receiverId = receiver->id;
  std::vector<Sent> sent = Run(1, 1000);
  EXPECT_EQ(receiver->transportCopy, 0) << "the receiving plug-in sees the jump as a transport change";
  DisposeProbe(receiver, probe);
  std::vector<int32_t> notes, offsets;
  for (const Sent& s : sent)
    if (s.data2 > 0) {
      notes.push_back(s.data1);
      offsets.push_back(s.offset);
    }
  EXPECT_EQ(notes, (std::vector<int32_t>{60, 62, 60, 62, 60}));
  EXPECT_EQ(offsets, (std::vector<int32_t>{200, 400, 500, 700, 800}));
}

// A song played by the clock to a MIDI output and by the render to the device strikes the same
// keys in the same order: looping tracks, sections (also from a start inside them) and the
// child sequences that a plain track calls (whose tracks play the device). The clock itself
// sends the device's tracks nothing.
TEST_F(MidiDelivery, PlaysLoopsSectionsAndChildSequencesAsTheClockDoes) {
  struct Case {
    const char* name;
    uint32_t start, ticks;
    bool sections, loop, child;
  };
  const Case cases[] = {{"sections", 0, 36, true, true, false},
                        {"sections from inside", 13, 36, true, true, false},
                        {"loop", 0, 30, false, true, false},
                        {"loop from inside", 7, 30, false, true, false},
                        {"child sequences", 0, 30, false, false, true}};
  for (const Case& c : cases) {
    TestTrack plain = Track({{1, 0x90, 60, 100, 1}, {5, 0x90, 62, 100, 1}, {21, 0x90, 70, 100, 1},
                             {23, 0x90, 72, 100, 1}});
    plain.length = c.sections ? 2000 : 9;
    if (c.loop) plain.flags |= kTrackLoops;
    Handle child;
    if (c.child) {
      child = MakeSong({Track({{1, 0x90, 80, 100, 1}, {4, 0x90, 81, 100, 1}, {8, 0x90, 82, 100, 1}})}, {});
      plain = Track({});
      plain.children = {child};
      plain.references = {{3, 0, 10}, {20, 0, 5}};
    }
    Handle song = MakeSong({plain}, {});
    if (c.sections) {
      Handle sections = MakeSections({{1, 9, 2}, {21, 5, 1}});
      handles.push_back(sections);
      WriteU32BE(FirstTrack(song) + kTrackSectionList, sections.id);
    }
    gSent.clear();
    ASSERT_EQ(noErr, PreparePlayback(song, c.start));
    ASSERT_EQ(noErr, InstallClockTimer(ClockTimerPlayProc, c.start));
    RunTicks(c.start + c.ticks);
    RemoveClockTimer();
    ReleasePlayback();
    std::vector<uint32_t> clock = NoteOnNotes();
    ASSERT_FALSE(clock.empty()) << c.name;

    PutOnDevice(c.child ? child : song, true);
    gSent.clear();
    ASSERT_EQ(noErr, PreparePlayback(song, c.start));
    ASSERT_EQ(noErr, InstallClockTimer(ClockTimerPlayProc, c.start));
    RunTicks(c.start + c.ticks);
    RemoveClockTimer();
    ReleasePlayback();
    EXPECT_TRUE(NoteOnNotes().empty()) << c.name << ": the clock sends a plug-in device nothing";
    StartPluginMidiState(state_, song, double(c.start + 1));
    std::vector<uint32_t> rendered;
    for (const Sent& sent : Run(int32_t(c.ticks * 50 / 128 + 2), 128)) {
      double tick = c.start + 1 + (sent.block * 128.0 + sent.offset) / 50.0;
      if ((sent.status & 0xF0) == 0x90 && sent.data2 > 0 && tick < c.start + c.ticks + 1) rendered.push_back(sent.data1);
    }
    EXPECT_EQ(clock, rendered) << c.name;
  }
}

// The rules of a track's events: mute marks, the drum map, velocity offset and transposition,
// the velocity rule for stored velocities of 128 and above, and a track that plays an
// instrument-table entry (its device and channel, its programs and bank selects kept in the
// entry).
TEST_F(MidiDelivery, TheTracksRulesDecideWhatTheDeviceGets) {
  ASSERT_EQ(noErr, CreateInstrumentTable(2, kDeviceKindMidiPort));
  struct Case {
    const char* name;
    std::vector<TestEvent> events;
    void (*setUp)(Handle song);
    std::vector<Sent> want;
  };
  const Case cases[] = {
      {"muted marks",
       {{3, 0x90, 60, 100, 0}, {5, 0x90, 62, 100, 0}, {7, 0xB0, 7, 90, 0}, {9, 0xB0, 10, 20, 0}},
       [](Handle song) {
         EventOf(song, 1)[kEventFlags] = 0x02;
         EventOf(song, 3)[kEventFlags] = 0x80;
       },
       {{0, 100, 0x90, 60, 100}, {0, 100, 0x90, 60, 0}, {0, 300, 0xB0, 7, 90}}},
      {"drum map",
       {{3, 0x90, 36, 100, 0}, {5, 0x90, 38, 100, 0}},
       [](Handle song) {
         Handle map = NewHandleClear(kDrumMapMinimumSize);
         reinterpret_cast<uint8_t*>(*map)[kDrumMapNoteFlags + 36] = kDrumNoteSounds;
         WriteU32BE(FirstTrack(song) + kTrackDrumData, map.id);
       },
       {{0, 100, 0x90, 36, 100}, {0, 100, 0x90, 36, 0}}},
      {"offset and transposition",
       {{3, 0x90, 120, 110, 0}, {5, 0x90, 10, 20, 0}},
       [](Handle song) {
         WriteU16BE(FirstTrack(song) + kTrackVelocityOffset, uint16_t(int16_t(-30)));
         WriteU16BE(FirstTrack(song) + kTrackTranspose, 24);
       },
       {{0, 100, 0x90, 120, 80}, {0, 100, 0x90, 120, 0}, {0, 200, 0x90, 34, 1}, {0, 200, 0x90, 34, 0}}},
      {"velocity rule",
       {{3, 0x90, 60, 0xC8, 30}},
       nullptr,
       {{0, 100, 0x90, 60, 72}, {1, 1600 - 1024, 0x80, 60, 64}}},
      {"instrument entry",
       {{3, 0xC0, 7, 0, 0}, {4, 0xB0, 0, 3, 0}, {4, 0xB0, 32, 4, 0}, {5, 0x90, 60, 100, 0}},
       [](Handle song) {
         uint8_t* inst = GetInstrumentRecord(1);
         inst[kInstPartMask] = 1;
         inst[kInstDeviceKinds] = kDeviceKindPlugin;
         inst[kInstPorts] = kDevice;
         inst[kInstChannels] = 5;
         uint8_t* e = FirstTrack(song);
         e[kTrackType] = 0;
         e[kTrackMidiOutput] = 9;
         e[kTrackFlags] |= kTrackFlagPlaysInstrument;
         WriteU16BE(e + kTrackInstruments, 1 << 8);
       },
       {{0, 100, 0xC5, 7, 0}, {0, 150, 0xB5, 0, 3}, {0, 150, 0xB5, 32, 4}, {0, 200, 0x95, 60, 100},
        {0, 200, 0x95, 60, 0}}},
  };
  for (const Case& c : cases) {
    Handle song = PluginSong({Track(c.events)}, {});
    if (c.setUp) c.setUp(song);
    StartPluginMidiState(state_, song, 1.0);
    EXPECT_EQ(Run(2, 1024), c.want) << c.name;
  }
  uint8_t* inst = GetInstrumentRecord(1);
  EXPECT_EQ(inst[kInstProgram], 7) << "the instrument track's program is stored in its entry";
  EXPECT_TRUE(inst[kInstMidiState] & kInstStateProgramSent);
  EXPECT_EQ(ReadU32BE(inst + kInstBank), (3u << 7) | 4u) << "its bank selects are kept in the entry";
  DisposeInstrumentTable();
}

// A track that is muted, or being edited, through the first block plays its next note at its
// own time once it sounds again: its place was kept (or found again).
TEST_F(MidiDelivery, AMutedOrEditedTrackKeepsItsPlace) {
  struct Case {
    const char* name;
    int32_t byte;
    uint8_t set, clear;
  };
  const Case cases[] = {{"muted", kTrackFlags, 0, kTrackFlagAudible},
                        {"edited", kTrackPlayFlags, kTrackPlayFlagEditing, 0}};
  for (const Case& c : cases) {
    Handle song = PluginSong({Track({{3, 0x90, 60, 100, 0}, {30, 0x90, 62, 100, 0}})}, {});
    uint8_t* entry = FirstTrack(song);
    uint8_t before = entry[c.byte];
    entry[c.byte] = uint8_t((before | c.set) & ~c.clear);
    StartPluginMidiState(state_, song, 1.0);
    EXPECT_TRUE(Run(1, 1024).empty()) << c.name;
    entry[c.byte] = before;
    EXPECT_EQ(Run(1, 1024), (std::vector<Sent>{{0, 1450 - 1024, 0x90, 62, 100}, {0, 1450 - 1024, 0x90, 62, 0}}))
        << c.name;
  }
}

// After a looping track wraps, its controllers and programs marked as not to be sent again are
// passed over; its notes play on every pass.
TEST_F(MidiDelivery, AWrappedTrackDoesNotSendItsMarkedControllersAgain) {
  TestTrack track = Track({{2, 0xB0, 1, 64, 0}, {3, 0xC0, 9, 0, 0}, {4, 0x90, 60, 100, 0}});
  track.flags |= kTrackLoops;
  track.length = 5;  // ticks 1 .. 4
  Handle song = PluginSong({track}, {});
  EventOf(song, 0)[kEventFlags] = kEventNoResendController;
  EventOf(song, 1)[kEventFlags] = kEventNoResendProgram;
  StartPluginMidiState(state_, song, 1.0);
  int32_t controllers = 0, programs = 0, notes = 0;
  for (const Sent& sent : Run(1, 1000)) {  // 20 ticks: five passes
    controllers += (sent.status & 0xF0) == 0xB0;
    programs += (sent.status & 0xF0) == 0xC0;
    notes += (sent.status & 0xF0) == 0x90 && sent.data2 > 0;
  }
  EXPECT_EQ(controllers, 1);
  EXPECT_EQ(programs, 1);
  EXPECT_EQ(notes, 5);
}

// A note-length cap cuts a note to it; a cap below 1 leaves the note out.
TEST_F(MidiDelivery, ANoteLengthCapCutsNotesAndACapOfZeroDropsThem) {
  Handle song = PluginSong({Track({{3, 0x90, 60, 100, 20}})}, {});
  for (int32_t cap : {10, 0}) {
    StartPluginMidiState(state_, song, 1.0);
    ScheduleBufferEvents(state_, 1024, nullptr);
    state_->blockFrames = 1024;
    state_->output.numEvents = 0;
    QueueTrackEventsInSpan(state_, FirstTrack(song), &state_->cursors[0], 1.0, 21.0, kRate, 0.0, 2, cap);
    std::vector<Sent> sent;
    for (int32_t i = 0; i < state_->output.numEvents; ++i) {
      const PluginMidiEvent* e = state_->output.events[i];
      sent.push_back({0, e->deltaFrames, uint8_t(e->midiData[0]), uint8_t(e->midiData[1]), uint8_t(e->midiData[2])});
    }
    std::vector<Sent> want;
    if (cap > 0) want = {{0, 100, 0x90, 60, 100}, {0, 600, 0x90, 60, 0}};
    EXPECT_EQ(sent, want) << "cap " << cap;
  }
}

// The end of the play range inside a block: with the cycle off the rest of the block and every
// later block play nothing; with it on, the notes still sounding end one sample before the
// jump, where the bend that stood at the start is sent again; a repeating song starts again at
// its end and moves the cycle's end back with it.
TEST_F(MidiDelivery, TheEndOfThePlayRangeCutsOrDropsAndARepeatingSongStartsAgain) {
  Handle song = PluginSong({Track({{5, 0x90, 60, 100, 100}, {9, 0x90, 62, 100, 0}, {12, 0x90, 64, 100, 0}})}, {});
  StartPluginMidiState(state_, song, 1.0);
  state_->cycleEndTick = 11.0;
  std::vector<Sent> sent = Run(2, 1000);
  EXPECT_EQ(sent, (std::vector<Sent>{{0, 200, 0x90, 60, 100}, {0, 400, 0x90, 62, 100}, {0, 400, 0x90, 62, 0}}))
      << "cycle off: nothing from tick 11 on (the stop that follows releases the long note)";
  EXPECT_EQ(state_->playing, 0);

  WriteU16BE(FirstTrack(song) + kTrackCentre72, 8192 + 5);  // the bend the chase left at the start
  StartPluginMidiState(state_, song, 5.0);
  state_->cycleOn = 1;
  state_->cycleEndTick = 11.0;  // ticks 5 .. 10: 300 samples
  sent = Run(1, 650);
  EXPECT_EQ(sent, (std::vector<Sent>{{0, 0, 0x90, 60, 100}, {0, 200, 0x90, 62, 100}, {0, 200, 0x90, 62, 0},
                                     {0, 299, 0x90, 60, 0}, {0, 300, 0xE0, 5, 64}, {0, 300, 0x90, 60, 100},
                                     {0, 500, 0x90, 62, 100}, {0, 500, 0x90, 62, 0}, {0, 599, 0x90, 60, 0},
                                     {0, 600, 0xE0, 5, 64}, {0, 600, 0x90, 60, 100}}))
      << "cycle on: the long note cut before each return, the start's bend sent again";

  Handle repeating = PluginSong({Track({{5, 0x90, 60, 100, 0}, {9, 0x90, 62, 100, 0}})}, {{15, 600}});
  uint8_t* s = reinterpret_cast<uint8_t*>(*repeating);
  s[kSongOptions] |= kSongOptionRepeat;
  WriteU32BE(s + kSongEndTick, 11);  // ticks 1 .. 10, the tempo change behind it never comes
  StartPluginMidiState(state_, repeating, 1.0);
  state_->cycleOn = 1;
  state_->cycleEndTick = 31.0;
  std::vector<int32_t> onsets;
  for (const Sent& e : Run(2, 1000))
    if (e.data2 > 0) onsets.push_back(e.block * 1000 + e.offset);
  EXPECT_EQ(onsets, (std::vector<int32_t>{200, 400, 700, 900, 1200, 1400, 1700, 1900}));
  EXPECT_DOUBLE_EQ(state_->cycleEndTick, 11.0) << "the cycle's end moved back by 10 ticks twice";
}

// A note's length in samples follows the song's tempo where the note sounds, also for a looping
// track, whose own ticks start again at 1 each time round: 120 BPM (50 samples a tick) up to
// song tick 20, then 60 BPM (100 samples a tick).
TEST_F(MidiDelivery, NoteLengthsFollowTheSongTempoWhereTheNoteSounds) {
  TestTrack loop = Track({{1, 0x90, 60, 100, 4}});
  loop.length = 9;  // ticks 1 .. 8 again and again
  loop.flags |= kTrackLoops;
  Handle song = PluginSong({loop}, {{20, 600}});
  StartPluginMidiState(state_, song, 1.0);
  std::vector<std::pair<int32_t, int32_t>> notes;  // {on, off} sample
  for (const Sent& e : Run(16, 128)) {
    int32_t at = e.block * 128 + e.offset;
    bool off = (e.status & 0xF0) == 0x80 || e.data2 == 0;
    if (!off) notes.push_back({at, -1});
    else if (!notes.empty()) notes.back().second = at;
  }
  std::vector<std::pair<int32_t, int32_t>> want = {{0, 200}, {400, 600}, {800, 1050}, {1450, 1850}};
  notes.resize(std::min(notes.size(), want.size()));
  EXPECT_EQ(notes, want);
}

// More events in a block than the channel has free: the rest wait at the cursor and go out at
// the start of the next block, in order, none lost.
TEST_F(MidiDelivery, EventsBeyondTheFreeListGoOutInTheNextBlock) {
  std::vector<TestEvent> events;
  for (int32_t i = 0; i < 300; ++i) events.push_back({2, 0xB0, 7, uint8_t(i % 128), 0});
  Handle song = PluginSong({Track(events)}, {});
  StartPluginMidiState(state_, song, 1.0);
  std::vector<Sent> sent = Run(3, 256);
  ASSERT_EQ(sent.size(), 300u);
  for (int32_t i = 0; i < 300; ++i) {
    EXPECT_EQ(sent[i].data2, i % 128) << i;
    EXPECT_EQ(sent[i].block, i < kMidiListCapacity ? 0 : 1) << i;
    EXPECT_EQ(sent[i].offset, i < kMidiListCapacity ? 50 : 0) << i;
  }
}

// The channel's start delay: the song's events move behind it, and a delay as long as the block
// leaves the block without them; the click sounds while a delay is ahead even when it is off.
TEST_F(MidiDelivery, TheChannelsStartDelayMovesTheSongsEvents) {
  struct Case {
    int32_t delay;
    bool clickOn;
    std::vector<int32_t> notes, clicks;
  };
  const Case cases[] = {{0, false, {50}, {}},
                        {0, true, {50}, {0}},
                        {300, false, {350}, {300}},
                        {1024, true, {}, {}}};
  Handle song = PluginSong({Track({{2, 0x90, 60, 100, 1}})}, {});
  for (const Case& c : cases) {
    StartPluginMidiState(state_, song, 1.0);
    state_->clickChannel = 1;
    gClickSettings.flags = c.clickOn ? kClickActive : 0;
    channel_.latencyOffset = c.delay;
    DeliverBufferMidi(&channel_, nullptr, state_, 1024);
    std::vector<int32_t> notes, clicks;
    for (int32_t i = 0; i < state_->output.numEvents; ++i) {
      const PluginMidiEvent* e = state_->output.events[i];
      if (e->midiData[2] == 0 || (uint8_t(e->midiData[0]) & 0xF0) != 0x90) continue;
      (e->midiData[1] == 60 ? notes : clicks).push_back(e->deltaFrames);
    }
    EXPECT_EQ(notes, c.notes) << "delay " << c.delay;
    EXPECT_EQ(clicks, c.clicks) << "delay " << c.delay << " click " << c.clickOn;
  }
  gClickSettings = ClickSettings();
  channel_.latencyOffset = 0;
}

// An instrument that a faded stop marked busy is free again once its chain took the block's
// MIDI: the stop's wait ends there instead of at its bound.
TEST_F(MidiDelivery, TheBlocksMidiClearsTheInstrumentsBusyByte) {
  EnginePluginHooks saved = gEnginePluginHooks;
  InstallPluginRenderHooks();
  ChannelRenderState render;
  render.instrument = 1;
  render.midiState = state_;
  render.busy = 1;
  Handle song = PluginSong({Track({{2, 0x90, 60, 100, 1}})}, {});
  StartPluginMidiState(state_, song, 1.0);
  DeliverBufferMidi(&channel_, nullptr, &render, 256);
  EXPECT_EQ(render.busy, 0);
  EXPECT_EQ(state_->output.numEvents, 2) << "the block's MIDI was scheduled first";
  gEnginePluginHooks = saved;
}

// A full block is sorted too.
TEST(BlockOrder, AFullBlockIsSorted) {
  std::vector<PluginMidiEvent> events(kMidiListCapacity);
  MidiEventList list;
  for (int32_t i = 0; i < kMidiListCapacity; ++i) {
    events[i] = PluginMidiEvent{};
    events[i].deltaFrames = kMidiListCapacity - 1 - i;
    events[i].midiData[0] = char(0xB0);
    list.events[list.numEvents++] = &events[i];
  }
  SortBlockEvents(&list);
  for (int32_t i = 0; i < kMidiListCapacity; ++i) EXPECT_EQ(list.events[i]->deltaFrames, i);
}

// A component's MIDI goes through its fast-dispatch procedure when it gave one.
TEST(ComponentMidi, TheFastDispatchProcedureTakesTheEvents) {
  static std::vector<std::array<uint32_t, 5>> calls;
  calls.clear();
  int32_t storage = 0;
  PluginInstance unit;
  unit.unit = 1;
  unit.dispatchStorage = &storage;
  unit.midiProc = [](void* s, uint32_t status, uint32_t d1, uint32_t d2, uint32_t offset) -> OSStatus {
    calls.push_back({uint32_t(*static_cast<int32_t*>(s) + 1), status, d1, d2, offset});
    return 0;
  };
  PluginMidiEvent events[2] = {};
  events[0].midiData[0] = char(0x91);
  events[0].midiData[1] = char(0xBC);  // 60 with the top bit set
  events[0].midiData[2] = char(100);
  events[0].deltaFrames = 17;
  events[1].midiData[0] = char(0xE0);
  events[1].midiData[1] = 5;
  events[1].midiData[2] = 64;
  MidiEventList list;
  list.events[0] = &events[0];
  list.events[1] = &events[1];
  list.numEvents = 2;
  SendMidiToPlugin(&unit, &list);
  EXPECT_EQ(calls, (std::vector<std::array<uint32_t, 5>>{{1, 0x91, 60, 100, 17}, {1, 0xE0, 5, 64, 0}}));
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
  EXPECT_EQ(m.sourceId, noNotes.p->id) << "the chain, by its first plug-in";
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
