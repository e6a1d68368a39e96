// A Standard MIDI File opened as a song plays on the real clock through the MIDI layer into a
// JACK MIDI port of a client made here: every note arrives in order, on its channel, at the
// time the song's conductor map gives for its tick (less one constant latency), after the
// count-in; Stop ends the sounding notes and the pedal. Skipped when no JACK server runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <thread>

#include "platform/coremidi/midi_drivers.h"
#include "platform/coremidi/midi_services.h"
#include "platform/files/file_locations.h"
#include "platform/memory/byte_order.h"
#include "platform/system/host_time.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/coremidi_driver.h"
#include "sequencer/midi/midi_port_build.h"
#include "sequencer/midi/midi_port_layout.h"
#include "sequencer/transport/transport_engine.h"
#include "shell/app/idle_tasks.h"
#include "shell/app/shutdown.h"
#include "song/documents/document_open.h"
#include "song/documents/document_writer.h"
#include "song/instruments/driver_procs.h"
#include "song/instruments/midi_port_table.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/song_layout.h"
#include "song/model/track_play_settings.h"
#include "song/model/utility_track_access.h"
#include "tests/sequencer/playback/jack_capture.h"
#include "tests/song/smf/smf_bytes.h"

namespace {

// Overruns of the (non-real-time) server and a server running late spoil frame times, and a
// clock thread kept from running past the output's lead sends late: a pass with any of them
// is made again.
constexpr int kAttempts = 5;

class JackPlayback : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!capture.Open("seqcap-")) GTEST_SKIP() << "no JACK server runs (tools/services start starts one)";
    port = StartSequencerMidiOnJack(capture.Name());
    ASSERT_GE(port, 0) << "the capture port did not appear in the port table";
    ASSERT_TRUE(WaitUntil(3, [&] { return capture.Connected(); }));
    capture.KeepOnlyOurLayer();
  }
  void TearDown() override {
    StopSequencerMidi();
    for (MidiEndpointEntry& out : gMidiDriver.syncOutputs) out = MidiEndpointEntry();
    gCountInBars = 0;
    gTransportSong = Handle();
    gTransportClock.midiClockSend = kNoDriverProc;
    capture.Close();
  }
  // Plays from tick 1 until n messages came or the time is up, then stops and waits for the
  // stop's messages. Answers the host time at which Play returned (the clock runs by then).
  double PlayUntil(size_t from, size_t n, double seconds) {
    Play(1);
    double started = double(HostTimeNanos());
    WaitUntil(seconds, [&] { return capture.Count() - from >= n; });
    StopTransport(false);
    WaitForPassEnd(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return started;
  }
  // Waits (bounded) until no message has come for 300 ms: what a pass sent late is not
  // counted in the next, and the layer lays its frame line afresh (it keeps one while output
  // goes on, and after an overrun that line is off the server's new timing).
  void WaitForQuiet() {
    size_t seen = capture.Count();
    for (int i = 0; i < 10; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      if (capture.Count() == seen) return;
      seen = capture.Count();
    }
  }
  // Readies a pass: only our layer connected, quiet; answers where its messages start, and
  // the overruns counted before it in stalls.
  size_t BeginPass(int32_t* stalls) {
    capture.KeepOnlyOurLayer();
    WaitForQuiet();
    *stalls = capture.Stalls();
    return capture.Count();
  }
  JackCapture capture;
  int32_t port = -1;
};

bool IsNoteOff(const CapturedMidi& m, uint8_t channel, uint8_t key) {
  return m.size == 3 && m.bytes[1] == key &&
         (m.bytes[0] == (0x80 | channel) || (m.bytes[0] == (0x90 | channel) && m.bytes[2] == 0));
}

// What came after the note-off of the held note (channel 3, key 70) that Stop sends.
struct StopMessages {
  bool noteEnded = false;
  bool noteOnAfter = false;
  uint32_t pedalChannels = 0;  // channels given sustain off
  bool stop = false;           // MIDI stop
};

StopMessages StopMessagesSeen(const std::vector<CapturedMidi>& events) {
  StopMessages seen;
  auto off = std::find_if(events.begin(), events.end(), [](const CapturedMidi& m) { return IsNoteOff(m, 2, 70); });
  if (off == events.end()) return seen;
  seen.noteEnded = true;
  for (auto m = off + 1; m != events.end(); ++m) {
    if ((m->bytes[0] & 0xF0) == 0x90 && m->bytes[2] > 0) seen.noteOnAfter = true;
    if (m->size == 3 && (m->bytes[0] & 0xF0) == 0xB0 && m->bytes[1] == 64 && m->bytes[2] == 0)
      seen.pedalChannels |= 1u << (m->bytes[0] & 0x0F);
    if (m->bytes[0] == 0xFC) seen.stop = true;
  }
  return seen;
}

TEST_F(JackPlayback, SongPlaysAtItsConductorTimesWithTempoChangesAfterTheCountIn) {
  // Two tracks on channels 1 and 2; 240, then 180, then 300 beats a minute, half a bar each.
  std::vector<std::vector<SmfNote>> tracks(2);
  for (uint32_t i = 0; i < 12; ++i) tracks[0].push_back({240 * i, 0, uint8_t(60 + i), 100, 180});
  for (uint32_t i = 0; i < 6; ++i) tracks[1].push_back({120 + 480 * i, 1, uint8_t(40 + i), 90, 200});
  std::vector<SmfTempo> tempos{{0, 250000}, {960, 333333}, {1920, 200000}};
  Handle song = OpenSmfAsSong(MakeSmf(480, tempos, tracks), port);
  ASSERT_TRUE(song);
  std::vector<ExpectedMidi> expected = ExpectedFromNotes(tracks);
  gCountInBars = 1;
  const double countInNanos = 4 * 60e9 / 240;  // one 4/4 bar at 240

  const double lead = double(MIDIGetSendLeadNanos());
  const double period = 1e9 * capture.Period() / capture.SampleRate();
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    int32_t stalls = 0;
    size_t from = BeginPass(&stalls);
    uint64_t lateSends = JackMidiLateCount();
    capture.MarkClock();
    double playCalled = double(HostTimeNanos());
    double playReturned = PlayUntil(from, expected.size(), 6);
    bool overran = capture.Stalls() != stalls;
    bool wandered = capture.ClockWanderMicros() > jack_test::ClockWander::kDisturbedMicros;
    bool late = JackMidiLateCount() != lateSends;
    TimingResult r = CompareTiming(capture, capture.Events(from), expected, song);
    if (overran && !r.complete) {  // an overrun may lose events
      std::printf("pass %d overran and lost messages: %s\n", attempt + 1, r.firstProblem.c_str());
      continue;
    }
    ASSERT_TRUE(r.complete) << r.matched << " of " << r.expected << " matched, " << r.unexpected
                            << " unexpected; " << r.firstProblem;
    EXPECT_TRUE(r.ordered) << r.firstProblem;
    double worst = 0;
    for (double e : r.errorsMicros) worst = std::max(worst, std::fabs(e));
    if (overran || wandered || late) {
      // Frame times across an overrun, or of a server that ran late, are not on the host
      // clock, and a message the sender's clock thread was too late for cannot be on its
      // frame: timing is judged on another pass.
      std::printf("pass %d disturbed (server overrun %d, clock wander %.0f us, late sends %d); worst error %.0f us\n",
                  attempt + 1, int(overran), capture.ClockWanderMicros(), int(late), worst);
      continue;
    }
    // The first note comes one bar after the clock starts (while Play runs), plus the
    // output's lead and a period or two.
    EXPECT_GE(r.firstArrivalHostNanos - playCalled - countInNanos, -period) << "the count-in was cut short";
    EXPECT_LE(r.firstArrivalHostNanos - playReturned - countInNanos, lead + 3 * period + 5e6)
        << "the count-in was too long";
    EXPECT_LE(worst, 1000.0) << "median offset " << r.medianOffsetMicros << " us";
    std::printf("pass %d judged: worst error %.0f us, clock wander %.0f us\n", attempt + 1, worst,
                capture.ClockWanderMicros());
    return;
  }
  // Every pass was disturbed: the machine is too busy to judge timing (order and completeness
  // were checked on every complete pass).
  GTEST_SKIP() << "every pass saw a JACK server overrun or a late send";
}

TEST_F(JackPlayback, StopEndsSoundingNotesReleasesThePedalAndSendsMidiStop) {
  std::vector<std::vector<SmfNote>> tracks{{{0, 2, 70, 100, 7680}, {480, 2, 72, 100, 240}}};
  Handle song = OpenSmfAsSong(MakeSmf(480, {{0, 500000}}, tracks), port);
  ASSERT_TRUE(song);
  gTransportClock.midiClockSend = kMidiPortDriverProc;
  gTransportClock.midiClockOutput = uint8_t(port);

  // An overrun of the server may lose messages: such a pass is made again.
  std::vector<CapturedMidi> events;
  for (int attempt = 0;; ++attempt) {
    if (attempt == kAttempts) GTEST_SKIP() << "the JACK server overran and lost messages in every pass";
    int32_t stalls = 0;
    size_t from = BeginPass(&stalls);
    Play(1);
    // Both short notes have come and gone (tick 481..721 at 120: 0.5 to 0.75 s); the long one sounds.
    bool played = WaitUntil(3, [&] {
      auto events = capture.Events(from);
      return std::any_of(events.begin(), events.end(), [](const CapturedMidi& m) { return IsNoteOff(m, 2, 72); });
    });
    StopTransport(false);
    // The stop's messages come at once; a loaded machine may hold them a while (bounded), and
    // anything sent wrongly after them has a little time to show.
    WaitUntil(3, [&] {
      StopMessages seen = StopMessagesSeen(capture.Events(from));
      return seen.stop && seen.pedalChannels == 0xFFFF;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    events = capture.Events(from);
    StopMessages seen = StopMessagesSeen(events);
    if (capture.Stalls() != stalls && !(played && seen.stop && seen.pedalChannels == 0xFFFF)) {
      std::printf("pass %d overran and lost messages\n", attempt + 1);
      WaitForPassEnd(1);
      continue;
    }
    ASSERT_TRUE(played) << "the short note did not end within 3 s; " << events.size() << " messages came";
    break;
  }

  ASSERT_FALSE(events.empty());
  EXPECT_EQ(0xFA, events.front().bytes[0]) << "MIDI start first";
  StopMessages seen = StopMessagesSeen(events);
  ASSERT_TRUE(seen.noteEnded) << "the sounding note was not ended";
  EXPECT_FALSE(seen.noteOnAfter) << "a note started after Stop";
  EXPECT_EQ(0xFFFFu, seen.pedalChannels) << "sustain off on all 16 channels after the note-offs";
  EXPECT_TRUE(seen.stop) << "MIDI stop";
  EXPECT_EQ(1, std::count_if(events.begin(), events.end(), [](const CapturedMidi& m) { return IsNoteOff(m, 2, 70); }));
}

// The track's transpose and velocity offset, set through the track settings and saved in the
// document, change what arrives once the document is opened again; the other track plays as
// written.
TEST_F(JackPlayback, TransposeAndVelocityOffsetSavedInTheDocumentChangeWhatIsSent) {
  std::vector<std::vector<SmfNote>> tracks{{{0, 0, 60, 100, 120}, {240, 0, 64, 20, 120}, {480, 0, 120, 120, 120}},
                                           {{120, 1, 50, 90, 120}}};
  Handle song = OpenSmfAsSong(MakeSmf(480, {{0, 250000}}, tracks), port);
  ASSERT_TRUE(song);
  SelectSong(song);
  int32_t slot = gCurrentSongIndex;
  SetCurrentTrackIndex(0);
  UpdateCurrentTrackPtr();
  ASSERT_EQ(noErr, SetTrackTranspose(19));
  ASSERT_EQ(noErr, SetTrackVelocityOffset(-30));
  const char* tmp = std::getenv("TMPDIR");
  std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/zarin_settings_" + std::to_string(getpid()) + ".bysq";
  FSSpec file;
  OSErr made = PathToSpec(path, &file);
  ASSERT_TRUE(made == noErr || made == fnfErr) << made;  // a new file is named all the same
  ASSERT_EQ(noErr, SaveSongDocument(&file, 0));
  CloseSongDocument();
  ResetSongDatabase();
  gTransportSong = Handle();
  OSErr opened = OpenSongFile(&file, 0, false);
  std::remove(path.c_str());
  ASSERT_EQ(noErr, opened);
  gTransportSong = GetSongHandleAt(slot);
  ASSERT_TRUE(gTransportSong);

  // Track 0: 60 + 19 = 79 at 70; 64 + 19 = 83 at 1 (the offset clamps, a note stays a note);
  // 120 + 19 folds down an octave to 127 at 90. Track 1 unchanged.
  struct Note {
    uint8_t status, key, velocity;
  };
  const std::vector<Note> expected{{0x90, 79, 70}, {0x91, 50, 90}, {0x90, 83, 1}, {0x90, 127, 90}};
  for (int attempt = 0;; ++attempt) {
    if (attempt == kAttempts) GTEST_SKIP() << "the JACK server overran and lost messages in every pass";
    int32_t stalls = 0;
    size_t from = BeginPass(&stalls);
    PlayUntil(from, 2 * expected.size(), 4);
    std::vector<Note> on;
    size_t offs = 0;
    for (const CapturedMidi& m : capture.Events(from)) {
      if (m.size != 3 || (m.bytes[0] & 0xE0) != 0x80) continue;
      if ((m.bytes[0] & 0xF0) == 0x90 && m.bytes[2] > 0) on.push_back({m.bytes[0], m.bytes[1], m.bytes[2]});
      else if (m.bytes[1] == 79 || m.bytes[1] == 83 || m.bytes[1] == 127 || m.bytes[1] == 50) ++offs;
    }
    if (capture.Stalls() != stalls && on.size() != expected.size()) continue;
    ASSERT_EQ(expected.size(), on.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(expected[i].status, on[i].status) << i;
      EXPECT_EQ(expected[i].key, on[i].key) << i;
      EXPECT_EQ(expected[i].velocity, on[i].velocity) << i;
    }
    EXPECT_EQ(expected.size(), offs) << "every note ended with its transposed key";
    break;
  }
}


// A file event of a system-exclusive message: F0, the length, the bytes after the F0.
Bytes SysExEvent(const Bytes& message) {
  Bytes out{0xF0};
  Append(&out, Vlq(uint32_t(message.size() - 1)));
  out.insert(out.end(), message.begin() + 1, message.end());
  return out;
}

TEST_F(JackPlayback, FromALocateInTheMiddleTheDumpsAndChasedStateComeBeforeTheFirstNote) {
  const Bytes gmReset{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
  Bytes dump{0xF0, 0x43, 0x10};  // 300 bytes: two packets, the second of 60
  for (uint8_t i = 0; dump.size() < 299; ++i) dump.push_back(i & 0x7F);
  dump.push_back(0xF7);
  // File ticks: the dumps at 0, programs 25 then 30, volume and pan, a note at 480 before the
  // start (960) and one at 1440 after it.
  Bytes file = File({Header(1, 2, 480), Track({{0, Meta(0x58, {4, 2, 24, 8})}, {0, Tempo(500000)}, {0, EndOfTrack()}}),
                     Track({{0, SysExEvent(gmReset)},
                            {0, SysExEvent(dump)},
                            {10, {0xC0, 25}},
                            {0, {0xB0, 7, 90}},
                            {0, {0xB0, 10, 30}},
                            {470, {0x90, 60, 100}},
                            {20, {0xC0, 30}},
                            {20, {0x80, 60, 64}},
                            {920, {0x90, 64, 100}},
                            {240, {0x80, 64, 64}},
                            {0, EndOfTrack()}})});
  ASSERT_TRUE(OpenSmfAsSong(file, port));
  // The dumps (the MIDI services may carry a packet in smaller pieces), then the chased
  // state in time order: the later program only.
  Bytes dumps = gmReset;
  Append(&dumps, dump);
  const std::vector<Bytes> chased{{0xB0, 7, 90}, {0xB0, 10, 30}, {0xC0, 30}};
  auto isNoteOn = [](const CapturedMidi& m) { return (m.bytes[0] & 0xF0) == 0x90 && m.size == 3 && m.bytes[2] > 0; };
  for (int attempt = 0;; ++attempt) {
    if (attempt == kAttempts) GTEST_SKIP() << "the JACK server overran and lost messages in every pass";
    int32_t stalls = 0;
    size_t from = BeginPass(&stalls);
    SetLocatePoint(961);
    Play(gLocatePoint.tick);
    bool played = WaitUntil(5, [&] {
      auto events = capture.Events(from);
      return std::any_of(events.begin(), events.end(), isNoteOn);
    });
    StopTransport(false);
    WaitForPassEnd(1);
    std::vector<CapturedMidi> events = capture.Events(from);
    auto firstNote = std::find_if(events.begin(), events.end(), isNoteOn);
    // Before the first note: system-exclusive pieces, then channel messages.
    Bytes stream;
    std::vector<size_t> ends;  // where each piece ends in the stream
    std::vector<Bytes> channel;
    for (auto m = events.begin(); m != firstNote; ++m) {
      bool data = m->bytes[0] == 0xF0 || m->bytes[0] < 0x80;
      if (data && channel.empty()) {
        stream.insert(stream.end(), m->bytes, m->bytes + m->size);
        ends.push_back(stream.size());
      } else {
        channel.emplace_back(m->bytes, m->bytes + m->size);
      }
    }
    if (capture.Stalls() != stalls && (!played || stream != dumps || channel != chased)) {
      std::printf("pass %d overran and lost messages\n", attempt + 1);
      continue;
    }
    ASSERT_TRUE(played) << "no note within 5 s; " << events.size() << " messages came";
    EXPECT_EQ(64, firstNote->bytes[1]) << "the note before the start point was played";
    EXPECT_EQ(stream, dumps);
    // The long dump goes out as a packet of 240 bytes and one of 60.
    EXPECT_NE(std::find(ends.begin(), ends.end(), gmReset.size() + 240), ends.end());
    EXPECT_EQ(channel, chased);
    return;
  }
}

TEST_F(JackPlayback, TheIdlePassStopsASongThatPlayedToItsEnd) {
  // Three notes in the first bar at 120: the song ends at the next bar (2 s in).
  std::vector<std::vector<SmfNote>> tracks{{{0, 0, 60, 100, 200}, {480, 0, 62, 100, 200}, {960, 0, 64, 100, 200}}};
  Handle song = OpenSmfAsSong(MakeSmf(480, {{0, 500000}}, tracks), port);
  ASSERT_TRUE(song);
  const uint32_t end = ReadU32BE(reinterpret_cast<uint8_t*>(*song) + kSongEndTick);
  ASSERT_GT(end, 961u);
  size_t from = capture.Count();
  Play(1);
  ASSERT_TRUE(IsClockTaskPlaying());
  // The program's idle pass, every 10 ms, is all that runs on the main thread meanwhile.
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(8);
  while (gTransportRunning && std::chrono::steady_clock::now() < until) {
    RunIdleTasks();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(0, gTransportRunning) << "the pass did not end";
  EXPECT_FALSE(IsClockTaskPlaying()) << "the clock still plays";
  EXPECT_EQ(0, IdleTaskDepth());
  uint32_t stoppedAt = gTransportClock.songTick.load();
  EXPECT_GE(stoppedAt + 1, end) << "stopped before the end";
  // The idle pass that stops it may come late on a loaded machine; a bar late is still "there".
  EXPECT_LE(stoppedAt, end + 4 * 480) << "stopped long after the end";
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  auto events = capture.Events(from);
  for (uint8_t key : {60, 62, 64})
    EXPECT_TRUE(std::any_of(events.begin(), events.end(), [&](const CapturedMidi& m) { return IsNoteOff(m, 0, key); }))
        << "note " << int(key) << " did not end";
}


// MIDI clock goes to the sync outputs at 24 a quarter note whatever the meter: a song in 6/8
// (an eighth-note beat) and one in 2/2 (a half-note beat) at 120 beats a minute send a clock
// every 1/48 s.
TEST_F(JackPlayback, MidiClockGoesToTheSyncOutputsAt24PerQuarterIn6_8And2_2) {
  MIDIEndpointRef dest = ReadU32BE(*gPortTable + port * kPortEntrySize + kPortEndpoint);
  ASSERT_NE(0u, dest);
  gMidiDriver.syncOutputs[0].uniqueId = GetEndpointUniqueID(dest);
  ResolveMidiEndpoints();
  InstallSyncOutputs();
  ASSERT_EQ(kSyncOutputsDriverProc, gTransportClock.midiClockSend);

  struct Case {
    SmfMeter meter;
    uint16_t ticksPerBeat;
  };
  for (const Case& c : {Case{{6, 8}, 240}, Case{{2, 2}, 960}}) {
    const std::string meter = std::to_string(c.meter.beats) + "/" + std::to_string(c.meter.unit);
    std::vector<std::vector<SmfNote>> tracks{{{0, 0, 60, 100, 240}, {3840, 0, 62, 100, 240}}};
    Handle song = OpenSmfAsSong(MakeSmf(480, {{0, 500000}}, tracks, c.meter), port);
    ASSERT_TRUE(song) << meter;
    const double clockFrames = capture.SampleRate() * 0.5 / 24;
    bool judged = false;
    for (int attempt = 0; attempt < kAttempts && !judged; ++attempt) {
      capture.KeepOnlyOurLayer();
      WaitForQuiet();
      size_t from = capture.Count();
      int32_t stalls = capture.Stalls();
      Play(1);
      // 72 clocks: three quarter notes.
      WaitUntil(4, [&] {
        auto events = capture.Events(from);
        return std::count_if(events.begin(), events.end(), [](const CapturedMidi& m) { return m.bytes[0] == 0xF8; }) >= 72;
      });
      StopTransport(false);
      WaitForPassEnd(1);
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      std::vector<uint64_t> clocks;
      for (const CapturedMidi& m : capture.Events(from))
        if (m.bytes[0] == 0xF8) clocks.push_back(m.frame);
      if (clocks.size() < 72 && capture.Stalls() != stalls) continue;  // an overrun may lose events
      ASSERT_GE(clocks.size(), 72u) << meter;
      EXPECT_EQ(c.ticksPerBeat, gTransportClock.ticksPerBeat) << meter << ": the song's beat";
      // One 48th of a second from clock to clock (the median: frame times jump across an
      // overrun of the server).
      std::vector<double> gaps;
      for (size_t i = 1; i < clocks.size(); ++i) gaps.push_back(double(clocks[i] - clocks[i - 1]));
      std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
      EXPECT_NEAR(clockFrames, gaps[gaps.size() / 2], clockFrames * 0.1) << meter;
      judged = true;
    }
    if (!judged) GTEST_SKIP() << "the JACK server overran and lost clocks in every pass";
  }
}

}  // namespace

// Quitting while a song plays stops the clock first: the sounding note is ended and nothing
// starts after it.
TEST_F(JackPlayback, QuitWhilePlayingStopsTheClockAndEndsTheSoundingNotes) {
  std::vector<std::vector<SmfNote>> tracks{{{0, 2, 70, 100, 7680}, {960, 2, 72, 100, 240}}};
  Handle song = OpenSmfAsSong(MakeSmf(480, {{0, 500000}}, tracks), port);
  ASSERT_TRUE(song);
  int32_t stalls = 0;
  size_t from = BeginPass(&stalls);
  Play(1);
  auto noteOn = [](const CapturedMidi& m) { return m.size == 3 && m.bytes[0] == 0x92 && m.bytes[1] == 70 && m.bytes[2] > 0; };
  ASSERT_TRUE(WaitUntil(3, [&] {
    auto events = capture.Events(from);
    return std::any_of(events.begin(), events.end(), noteOn);
  })) << "the long note did not start";
  ASSERT_TRUE(IsClockTaskPlaying());
  QuitApplication(0);
  EXPECT_FALSE(IsClockTaskPlaying()) << "the clock still plays after quit";
  WaitUntil(3, [&] {
    auto events = capture.Events(from);
    return std::any_of(events.begin(), events.end(), [](const CapturedMidi& m) { return IsNoteOff(m, 2, 70); });
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));  // past the second note's tick
  auto events = capture.Events(from);
  auto off = std::find_if(events.begin(), events.end(), [](const CapturedMidi& m) { return IsNoteOff(m, 2, 70); });
  ASSERT_NE(off, events.end()) << "the sounding note was not ended at quit";
  EXPECT_TRUE(std::none_of(off, events.end(), [](const CapturedMidi& m) {
    return (m.bytes[0] & 0xF0) == 0x90 && m.bytes[2] > 0;
  })) << "a note started after quit";
}
