// MIDI recording end to end: a JACK client of the test plays notes at known frames into the
// sequencer's MIDI input while the transport records; the notes land in the armed track at
// the ticks the song's conductor map gives for their times (6/8 with a tempo change), punch
// in and out bound what is kept, every pass of a cycle becomes a take, and a Stop in the
// middle of a pass keeps what it recorded. Skipped when no JACK server runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "platform/coremidi/midi_services.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/coremidi_driver.h"
#include "sequencer/midi/midi_input.h"
#include "sequencer/midi/realtime_processors.h"
#include "sequencer/midi/record_buffers.h"
#include "sequencer/transport/count_in.h"
#include "sequencer/transport/counter_buttons.h"
#include "sequencer/transport/playback_control.h"
#include "sequencer/transport/record_pass.h"
#include "sequencer/transport/record_takes.h"
#include "sequencer/transport/transport_engine.h"
#include "sequencer/transport/transport_idle.h"
#include "shell/base/error_report.h"
#include "shell/base/error_report_hooks.h"
#include "song/conductor/conductor_time.h"
#include "song/conductor/tempo_tables.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_entries.h"
#include "song/model/track_event_replacement.h"
#include "song/model/utility_track_access.h"
#include "tests/platform/coremidi/midi_test_support.h"
#include "tests/sequencer/playback/jack_capture.h"
#include "tests/sequencer/playback/jack_player.h"

namespace {

using Clock = std::chrono::steady_clock;

// The record filter: notes, pressures, controllers, programs and bends.
constexpr uint16_t kRecordEveryClass = 0x00BF;

// A note played: its key and the server times (microseconds) of its frames.
struct Played {
  uint8_t key;
  uint64_t onFrame, offFrame;
};

struct RecordedNote {
  uint32_t tick;
  uint8_t key;
  uint32_t duration;
};

class MidiRecord : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!capture.Open("reccap-")) GTEST_SKIP() << "no JACK server runs (tools/services start starts one)";
    ASSERT_TRUE(player.Open("recplay-"));
    port = StartSequencerMidiOnJack(capture.Name());
    ASSERT_GE(port, 0) << "the capture port did not appear in the port table";
    MIDIEndpointRef source = 0;
    ASSERT_TRUE(WaitUntil(10, [&] { return (source = midi_test::FindSource(player.SourceName())) != 0; }));
    SetMidiInput(0, GetEndpointUniqueID(source));
    DisconnectMidiSources();
    ASSERT_EQ(noErr, ConnectMidiSources());
    ASSERT_TRUE(WaitUntil(3, [&] { return player.Connected(SequencerJackClientName()); }));
    if (!gMidiInputs) CreateDefaultInputProcessor();
    gMidiPrefs |= kMidiPrefHostTimeStamps;
    savedInputFlags = gMidiInputFlags;
    gMidiInputFlags = uint16_t(gMidiInputFlags | kRecordEveryClass);
    gRecordOptions = 0;
    SetCycleMode(false);
    ClearTransportFlagBits(kTransportPunchArmed);
    alerts = 0;
    gErrorReportHooks.showCautionAlert = [](int16_t) -> int16_t { return int16_t(++alerts); };
  }
  void TearDown() override {
    StopTransport(false);
    gErrorReportHooks.showCautionAlert = nullptr;
    gRecordBufferBytes = kDefaultRecordBufferBytes;
    gRecordCountInBars = 0;
    SetCycleMode(false);
    ClearTransportFlagBits(kTransportPunchArmed);
    gRecordOptions = 0;
    gMidiInputFlags = savedInputFlags;
    StopSequencerMidi();
    SetMidiInput(0, 0);
    gTransportSong = Handle();
    player.Close();
    capture.Close();
  }
  // Six eighths a bar (1440 ticks at 480 a quarter); 120 beats a minute, 150 from bar 3.
  Handle MakeSong(const std::vector<SmfNote>& earlier = {}) {
    std::vector<std::vector<SmfNote>> tracks{earlier};
    tracks[0].push_back({14400, 0, 30, 1, 10});
    Handle song = OpenSmfAsSong(MakeSmf(480, {{0, 500000}, {2880, 400000}}, tracks, {6, 8}), port);
    if (song) gCurrentTrack[kTrackModeFlags] |= kTrackModeArmed;
    armed = song ? gCurrentTrack[kTrackNumber] : 0;
    return song;
  }
  // Runs the idle pass (and so the record pass) for seconds.
  static void Idle(double seconds) {
    auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < end) {
      SequencerIdleTaskService();
      RunIdleTask(false);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  bool SendNote(uint8_t status, uint8_t key, uint8_t velocity, uint64_t* frame) {
    if (!WaitUntil(2, [&] { return player.Send(status, key, velocity); })) return false;
    if (!WaitUntil(2, [&] { return player.Idle(); })) return false;
    *frame = player.LastSentMicros();
    return true;
  }
  // Plays key for held seconds, then idles for rest seconds.
  bool PlayNote(uint8_t key, double held, double rest, std::vector<Played>* played) {
    Played p{key, 0, 0};
    if (!SendNote(0x90, key, 100, &p.onFrame)) return false;
    Idle(held);
    if (!SendNote(0x80, key, 0, &p.offFrame)) return false;
    Idle(rest);
    played->push_back(p);
    return true;
  }
  // The notes of the track with number n of the current song.
  static std::vector<RecordedNote> NotesOf(uint8_t n) {
    std::vector<RecordedNote> notes;
    int32_t index = 0;
    if (!FindTrackWithNumber(n, &index)) return notes;
    std::vector<uint8_t> records = CopyListRecords(Handle(ReadU32BE(GetTrackEntryAt(index) + kTrackEventList)));
    for (size_t at = 0; uint32_t len = RecordLengthAt(records, at); at += len) {
      const uint8_t* e = &records[at];
      if (SeqEventKind(e) == kKindNote && e[kEventData2] != 0 && e[kEventData1] != 30)
        notes.push_back({SeqEventTime(e), e[kEventData1], GetNoteDuration(e)});
    }
    return notes;
  }
  // Microseconds of tick in the song's conductor map.
  static double Micros(uint32_t tick) {
    return TickToSubframesExact(gCurrentSong, tick) * gMicrosecondsPerSubframe;
  }
  // Records over a cycle of one bar of 6/8 (1.5 s a pass) from tick 1.
  static void StartCycleRecording() {
    SetCycleStart(1);
    SetCycleStop(1441);
    SetCycleMode(true);
    SetLocatePoint(1);
    RecordCommand();
  }
  static std::vector<uint8_t> KeysOf(uint8_t n) {
    std::vector<uint8_t> keys;
    for (const RecordedNote& note : NotesOf(n)) keys.push_back(note.key);
    return keys;
  }
  static constexpr uint32_t kDefaultRecordBufferBytes = 1u << 20;
  static inline int32_t alerts = 0;
  JackCapture capture;
  JackPlayer player;
  int32_t port = -1;
  uint8_t armed = 0;
  uint16_t savedInputFlags = 0;
};

// Every note lies where the map puts its time, measured from the first note: the notes cross
// the tempo change of bar 3, so a tick rate held from the start would miss by far more. A loaded
// machine may delay a cycle of the server now and then: a pass that misses is played again,
// and only a miss in every pass fails.
TEST_F(MidiRecord, NotesLandAtTheTicksOfTheConductorMap) {
  constexpr int32_t kAttempts = 3;
  for (int32_t attempt = 1; attempt <= kAttempts; ++attempt) {
    ASSERT_TRUE(MakeSong());
    SetLocatePoint(1);
    RecordCommand();
    ASSERT_TRUE(IsRecordPassRunning());
    Idle(0.3);
    std::vector<Played> played;
    for (uint8_t key = 60; key < 70; ++key) ASSERT_TRUE(PlayNote(key, 0.17, 0.33, &played));
    StopTransport(false);
    EXPECT_FALSE(IsRecordPassRunning());

    std::vector<RecordedNote> notes = NotesOf(armed);
    if (notes.size() != played.size() && attempt < kAttempts) continue;
    ASSERT_EQ(played.size(), notes.size());
    const double anchor = Micros(notes[0].tick);
    double worst = 0;
    bool crossed = false;
    for (size_t i = 0; i < notes.size(); ++i) {
      EXPECT_EQ(played[i].key, notes[i].key);
      double on = anchor + double(played[i].onFrame - played[0].onFrame);
      double off = anchor + double(played[i].offFrame - played[0].onFrame);
      worst = std::max({worst, std::fabs(on - Micros(notes[i].tick)),
                        std::fabs(off - Micros(notes[i].tick + notes[i].duration))});
      crossed = crossed || Micros(notes[i].tick) > Micros(2880);
    }
    EXPECT_TRUE(crossed) << "the notes did not reach the tempo change";
    if (worst <= 1000.0) return;
    if (attempt == kAttempts) ADD_FAILURE() << "a note lies " << worst << " us from its time in the conductor map";
  }
}

// With punch armed only the notes between the punch-in and punch-out points are kept.
TEST_F(MidiRecord, PunchKeepsOnlyTheRange) {
  ASSERT_TRUE(MakeSong());
  SetCycleStart(1441);  // bar 2 of 6/8: 1.5 s
  SetCycleStop(2881);   // bar 3: 3.0 s
  SetTransportFlagBits(kTransportPunchArmed);
  SetLocatePoint(1);
  RecordCommand();
  ASSERT_TRUE(IsRecordPassRunning());
  std::vector<Played> played;
  // One note about every half second over 4 s.
  for (uint8_t key = 60; key < 68; ++key) ASSERT_TRUE(PlayNote(key, 0.1, 0.4, &played));
  StopTransport(false);
  std::vector<RecordedNote> notes = NotesOf(armed);
  ASSERT_FALSE(notes.empty()) << "nothing was punched in";
  EXPECT_LT(notes.size(), played.size()) << "notes outside the punch range were kept";
  for (const RecordedNote& n : notes) {
    EXPECT_GE(n.tick, 1441u);
    EXPECT_LT(n.tick, 2881u);
  }
}

// In cycle recording every pass becomes a take of its own holding that pass's notes; the
// pass a Stop breaks off is kept as the last take.
TEST_F(MidiRecord, EveryCyclePassIsATakeAndStopKeepsTheLast) {
  ASSERT_TRUE(MakeSong());
  StartCycleRecording();
  ASSERT_TRUE(IsRecordPassRunning());
  const uint32_t restartsBefore = gCycleRestarts;
  std::vector<Played> played;
  // Two notes a pass in passes 1 and 2, one early in pass 3, then Stop in the middle of pass 3.
  auto waitPass = [&](uint32_t n) {
    WaitUntil(4, [&] {
      Idle(0.005);
      return gCycleRestarts - restartsBefore >= n;
    });
  };
  Idle(0.2);
  ASSERT_TRUE(PlayNote(60, 0.1, 0.3, &played));
  ASSERT_TRUE(PlayNote(61, 0.1, 0.1, &played));
  waitPass(1);
  Idle(0.2);
  ASSERT_TRUE(PlayNote(62, 0.1, 0.3, &played));
  ASSERT_TRUE(PlayNote(63, 0.1, 0.1, &played));
  waitPass(2);
  Idle(0.2);
  ASSERT_TRUE(PlayNote(64, 0.1, 0.2, &played));
  ASSERT_EQ(2u, gCycleRestarts - restartsBefore) << "the passes did not run as planned";
  StopTransport(false);

  ASSERT_EQ(3, gTakeList.count);
  const std::vector<std::vector<uint8_t>> want{{60, 61}, {62, 63}, {64}};
  for (int32_t i = 0; i < 3; ++i) {
    std::vector<RecordedNote> notes = NotesOf(gTakeList.tracks[i]);
    std::vector<uint8_t> keys;
    for (const RecordedNote& n : notes) {
      keys.push_back(n.key);
      EXPECT_LT(n.tick, 1441u) << "a take's notes lie in the cycle";
    }
    EXPECT_EQ(want[size_t(i)], keys) << "take " << i;
  }
  EXPECT_TRUE(NotesOf(armed).empty()) << "the armed track itself stays as it was";
  // The earlier takes are muted, the newest plays.
  gTakeList.index = 0;
  EXPECT_TRUE(IsCurrentTakeMuted());
  gTakeList.index = 2;
  EXPECT_FALSE(IsCurrentTakeMuted());
}

// A Stop while a key is still down keeps the note, ended at the stop.
TEST_F(MidiRecord, StopWithAKeyDownKeepsTheNote) {
  ASSERT_TRUE(MakeSong());
  SetLocatePoint(1);
  RecordCommand();
  Idle(0.2);
  uint64_t frame = 0;
  ASSERT_TRUE(SendNote(0x90, 72, 90, &frame));
  Idle(0.3);
  uint32_t before = gTransportClock.songTick.load();
  StopTransport(false);
  std::vector<RecordedNote> notes = NotesOf(armed);
  ASSERT_EQ(1u, notes.size());
  EXPECT_EQ(72, notes[0].key);
  EXPECT_GE(notes[0].tick + notes[0].duration, before) << "the held note ends at the stop";
  ASSERT_TRUE(SendNote(0x80, 72, 0, &frame));
  // The pass had no punch-out point: the stop punched out, so the track sounds again.
  int32_t index = 0;
  ASSERT_TRUE(FindTrackWithNumber(armed, &index));
  EXPECT_TRUE(GetTrackEntryAt(index)[kTrackFlags] & 0x04) << "the recorded track was left silent";
}

// A replacing pass started at bar 3 clears what it passed over, never what lies before the
// place it started from.
TEST_F(MidiRecord, AReplacingPassKeepsWhatLiesBeforeItsStart) {
  ASSERT_TRUE(MakeSong({{100, 0, 40, 90, 60}, {3000, 0, 41, 90, 60}}));
  gRecordOptions = kRecordOptionReplace;
  SetLocatePoint(2881);  // bar 3; note 41 lies just after it
  RecordCommand();
  ASSERT_TRUE(IsRecordPassRunning());
  std::vector<Played> played;
  ASSERT_TRUE(PlayNote(62, 0.1, 0.3, &played));
  StopTransport(false);
  EXPECT_EQ((std::vector<uint8_t>{40, 62}), KeysOf(armed));
}

// Cycle replace: a pass in which nothing is played (here the one a Stop breaks off) leaves
// the notes of the pass before it in the track.
TEST_F(MidiRecord, AnEmptyCycleReplacePassClearsNothing) {
  ASSERT_TRUE(MakeSong({{100, 0, 40, 90, 60}}));
  gRecordOptions = kRecordOptionCycleReplace;
  StartCycleRecording();
  ASSERT_TRUE(IsRecordPassRunning());
  const uint32_t restartsBefore = gCycleRestarts;
  std::vector<Played> played;
  Idle(0.2);
  ASSERT_TRUE(PlayNote(60, 0.1, 0.1, &played));
  ASSERT_TRUE(WaitUntil(4, [&] {
    Idle(0.005);
    return gCycleRestarts - restartsBefore >= 1;
  }));
  Idle(0.3);
  StopTransport(false);
  EXPECT_EQ((std::vector<uint8_t>{60}), KeysOf(armed)) << "the played pass replaced the cycle and stays";
}

// A record buffer that fills loses what comes after: the notes that fitted are kept and the
// user is told once at the end of the pass.
TEST_F(MidiRecord, AFullRecordBufferIsReportedOnceAndKeepsWhatFitted) {
  ASSERT_TRUE(MakeSong());
  gRecordBufferBytes = 3 * 14;  // a held note and two more
  SetLocatePoint(1);
  RecordCommand();
  ASSERT_TRUE(IsRecordPassRunning());
  Idle(0.2);
  uint64_t frame = 0;
  ASSERT_TRUE(SendNote(0x90, 50, 90, &frame));  // held through the pass: nothing is merged early
  Idle(0.1);
  std::vector<Played> played;
  for (uint8_t key = 60; key < 64; ++key) ASSERT_TRUE(PlayNote(key, 0.05, 0.1, &played));
  ASSERT_TRUE(SendNote(0x80, 50, 0, &frame));
  Idle(0.1);
  EXPECT_EQ(0, alerts) << "nothing is shown while the pass runs";
  StopTransport(false);
  EXPECT_EQ(1, alerts);
  EXPECT_EQ((std::vector<uint8_t>{50, 60, 61}), KeysOf(armed));
}

// A pass that cannot start lets go of the record buffers it took.
TEST_F(MidiRecord, ACancelledPassFreesItsRecordBuffers) {
  ASSERT_TRUE(MakeSong());
  SetLocatePoint(1);
  gTransportClock.flags.fetch_or(kClockFlagHalted);  // Play refuses to start
  RecordCommand();
  gTransportClock.flags.fetch_and(~kClockFlagHalted);
  gInsufficientMemoryShown = 0;
  EXPECT_FALSE(IsRecordPassRunning());
  for (RealtimeProcessor* p = gRealtimeProcessors; p; p = p->next)
    EXPECT_FALSE(p->record.events) << "a record buffer was left allocated";
}

// With a record count-in the recorder waits it out: a note early in the count-in is not
// recorded, one after it is.
TEST_F(MidiRecord, TheRecordCountInIsWaitedOut) {
  ASSERT_TRUE(MakeSong());
  gRecordCountInBars = 1;  // one bar of 6/8 at 120: 1.5 s
  SetLocatePoint(1);
  RecordCommand();
  ASSERT_TRUE(IsRecordPassRunning());
  EXPECT_TRUE(gRecordWaitsForCountIn.load());
  std::vector<Played> played;
  ASSERT_TRUE(PlayNote(55, 0.1, 0.1, &played));
  ASSERT_TRUE(WaitUntil(4, [&] {
    Idle(0.005);
    return !IsCountingIn();
  }));
  Idle(0.1);
  ASSERT_TRUE(PlayNote(57, 0.1, 0.2, &played));
  StopTransport(false);
  EXPECT_EQ((std::vector<uint8_t>{57}), KeysOf(armed));
  EXPECT_FALSE(gRecordWaitsForCountIn.load());
}

}  // namespace
