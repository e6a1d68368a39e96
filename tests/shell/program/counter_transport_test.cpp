// The info panel's counter and transport buttons in the real zarin program on a private X
// server, its MIDI on the running JACK server going to a capture client of the test's own:
// the panel's Play button plays the song, whose notes the client receives; the counter's
// bar:beat:tick and time code follow the song position as the tempo map and the meters say
// (4/4 at 120 a minute, then 240, then 6/8 bars); Stop stops; Rewind shows 1:01:000 and the
// next Play starts at the song's start; a bar typed into the counter's bar field, or a time
// into its seconds field, locates there, and Play then starts with the note there.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "tests/shell/program/capture_program.h"
#include "tests/song/smf/smf_bytes.h"

namespace {

using namespace program_test;

// The song: a ramp of keys from kFirstKey, one note a quarter (kDivision ticks a quarter in
// the file). 4/4 bars at 120 a minute until quarter kTempoChangeQuarter, then 240; from bar 5
// (quarter kSixEightQuarter) the bars are 6/8, three quarters long.
constexpr uint32_t kDivision = 480;
constexpr int kRampNotes = 40;
constexpr uint8_t kFirstKey = 30;
constexpr int kTempoChangeQuarter = 8, kSixEightQuarter = 16;
constexpr uint32_t kSlowQuarterMicros = 500000, kFastQuarterMicros = 250000;

std::string MeterRampSong() {
  Bytes conductor;
  Append(&conductor, Vlq(0));
  Append(&conductor, Meta(0x58, {4, 2, 24, 8}));
  Append(&conductor, Vlq(0));
  Append(&conductor, Tempo(kSlowQuarterMicros));
  Append(&conductor, Vlq(kTempoChangeQuarter * kDivision));
  Append(&conductor, Tempo(kFastQuarterMicros));
  Append(&conductor, Vlq((kSixEightQuarter - kTempoChangeQuarter) * kDivision));
  Append(&conductor, Meta(0x58, {6, 3, 24, 8}));
  Append(&conductor, Vlq(0));
  Append(&conductor, EndOfTrack());
  Bytes notes = RampNotes(kRampNotes, kFirstKey, kDivision, kDivision / 2);
  Bytes file = Header(1, 2, int16_t(kDivision));
  Append(&file, Chunk("MTrk", conductor));
  Append(&file, Chunk("MTrk", notes));
  return std::string(file.begin(), file.end());
}

// Seconds from the song's start to quarter q.
double SecondsAtQuarter(double q) {
  double slow = std::min<double>(q, kTempoChangeQuarter), fast = std::max<double>(q - kTempoChangeQuarter, 0);
  return (slow * kSlowQuarterMicros + fast * kFastQuarterMicros) / 1e6;
}

// A beat as the counter counts it: 0-based beats from the song's start (quarters in the 4/4
// bars, eighths in the 6/8 ones), and the bar and beat (from 1) it is shown as.
struct Beat {
  int index = 0, bar = 0, beat = 0;
};
Beat BeatAtQuarter(double q) {
  Beat b;
  if (q < kSixEightQuarter) {
    b.index = int(q);
    b.bar = b.index / 4 + 1;
    b.beat = b.index % 4 + 1;
  } else {
    int eighths = int((q - kSixEightQuarter) * 2);
    b.index = kSixEightQuarter + eighths;
    b.bar = 5 + eighths / 6;
    b.beat = eighths % 6 + 1;
  }
  return b;
}
// The beat index of a shown bar and beat (-1 for one the song has not).
int BeatIndex(int bar, int beat) {
  if (bar <= 4) return beat >= 1 && beat <= 4 ? (bar - 1) * 4 + beat - 1 : -1;
  return beat >= 1 && beat <= 6 ? kSixEightQuarter + (bar - 5) * 6 + beat - 1 : -1;
}

// The counter's read-outs from the dump: bar, beat, tick and the time code in seconds at 30
// frames a second (false: no counter line).
struct Counter {
  int bar = 0, beat = 0, tick = -1;
  double seconds = -1;
  std::string text;
};
bool ReadCounter(const std::string& dump, Counter* c) {
  std::vector<std::string> lines = DumpLines(dump, "counter");
  if (lines.empty()) return false;
  c->text = lines[0];
  int h = 0, m = 0, s = 0, f = 0;
  if (std::sscanf(lines[0].c_str(), "%d:%d:%d %d:%d:%d:%d", &c->bar, &c->beat, &c->tick, &h, &m, &s, &f) != 7)
    return false;
  c->seconds = h * 3600 + m * 60 + s + f / 30.0;
  return true;
}

class CounterTransport : public CaptureProgramTest {
 protected:
  std::string SongBytes() const override { return MeterRampSong(); }

  // The panel's place on the screen and a rectangle of it from the dump (panel coordinates).
  bool FindPanel() {
    std::string dump = Until([](const std::string& d) {
      return WindowOfKind(d, 3).visible && !DumpLines(d, "counterbutton").empty();
    });
    panel = WindowOfKind(dump, 3);
    lastDump = dump;
    return panel.visible != 0;
  }
  std::vector<int> PanelRect(const std::string& start) { return Rectangle(lastDump, start); }
  void ClickPanel(const std::vector<int>& r) {
    int cx = panel.left + (r[0] + r[2]) / 2, cy = panel.top + (r[1] + r[3]) / 2;
    x.Drag(cx, cy, cx, cy);
  }
  void ClickButton(int n) { ClickPanel(PanelRect("counterbutton " + std::to_string(n))); }
  // Rewind while stopped, and wait until the counter shows the song's start.
  bool Rewind() {
    ClickButton(3);
    Counter c;
    std::string d = Until([&](const std::string& d) { return ReadCounter(d, &c) && c.text == "1:01:000 0:00:00:00"; }, 10);
    return c.text == "1:01:000 0:00:00:00" && !Playing(d);
  }
  // Clicks the counter's field, waits until it is open, and types the keys and Return.
  bool TypeIntoField(const std::string& field, const std::string& keys) {
    lastDump = program.Dump(dumpFile);
    std::vector<int> r = PanelRect("counterfield " + field);
    if (r.size() != 4) return false;
    ClickPanel(r);
    lastDump = Until([](const std::string& d) {
      std::vector<int64_t> open = Numbers(d, "counterfieldopen");
      return open.size() == 2 && open[0] == 1;
    }, 5);
    std::vector<int64_t> open = Numbers(lastDump, "counterfieldopen");
    if (open.empty() || open[0] != 1) return false;
    x.Chord({}, keys);
    x.Chord({}, "Return");
    return true;
  }
  // Play until two notes came, Stop, and the keys of the notes from Play on (none when the
  // transport did not stop: a later Rewind would start it again by itself).
  std::vector<int> PlayTwoNotes() {
    capture.KeepOnly(programClient);
    size_t before = NoteOns(capture.Events()).size();
    ClickButton(1);
    for (int i = 0; i < 200 && NoteOns(capture.Events()).size() < before + 2; ++i) usleep(50000);
    ClickButton(0);
    if (Playing(Until([](const std::string& d) { return !Playing(d); }, 15))) return {};
    std::vector<CapturedEvent> played = NoteOns(capture.Events());
    std::vector<int> keys;
    for (size_t i = before; i < played.size(); ++i) keys.push_back(played[i].bytes[1]);
    return keys;
  }

  WindowLine panel;
  std::string lastDump;
};

TEST_F(CounterTransport, ThePanelRunsTheTransportAndTheCounterFollowsTheSong) {
  std::string why;
  ASSERT_TRUE(StartWithSongOnCapture(&why)) << why;
  ASSERT_TRUE(FindPanel()) << lastDump << Errors();
  ASSERT_EQ(PanelRect("counterbutton 1").size(), 4u) << lastDump;
  Counter counter;
  std::string dump = Until([&](const std::string& d) { return ReadCounter(d, &counter) && counter.bar == 1; }, 5);
  ASSERT_EQ(counter.text, "1:01:000 0:00:00:00") << dump;
  const int64_t quarter = QuarterTicks(dump);
  ASSERT_GT(quarter, 0) << dump;

  // Play from the panel: the ramp is heard from its first note on.
  capture.KeepOnly(programClient);
  size_t before = NoteOns(capture.Events()).size();
  ClickButton(1);
  dump = Until([](const std::string& d) { return Playing(d); }, 10);
  ASSERT_TRUE(Playing(dump)) << "Play starts the transport" << dump << Errors();

  // The counter while it plays: the beat shown is the song position's (or the one before it,
  // the counter being drawn at the idle pass), and the time code the tempo map's time there.
  bool sawSlow = false, sawFast = false, sawSixEight = false;
  for (int i = 0; i < 200 && !sawSixEight; ++i) {
    usleep(60000);
    dump = program.Dump(dumpFile);
    if (!Playing(dump) || !ReadCounter(dump, &counter)) continue;
    double q = double(Position(dump) - 1) / double(quarter);
    Beat expected = BeatAtQuarter(q);
    int shown = BeatIndex(counter.bar, counter.beat);
    ASSERT_GE(shown, 0) << counter.text << " is not a beat of the song";
    EXPECT_LE(shown, expected.index) << counter.text << " at quarter " << q;
    EXPECT_GE(shown, expected.index - 3) << counter.text << " at quarter " << q;
    EXPECT_EQ(counter.tick, 0) << "the tick part is held at the beat while playing";
    EXPECT_NEAR(counter.seconds, SecondsAtQuarter(q), 0.4) << counter.text << " at quarter " << q;
    if (q > 2 && q < 6) sawSlow = true;
    if (q > 10 && q < 15) sawFast = true;
    if (counter.bar >= 5 && counter.beat >= 5) sawSixEight = true;
  }
  EXPECT_TRUE(sawSlow && sawFast) << "the counter was read before and after the tempo change";
  EXPECT_TRUE(sawSixEight) << "a 6/8 bar shows its fifth or sixth beat";

  ClickButton(0);
  dump = Until([](const std::string& d) { return !Playing(d); }, 5);
  ASSERT_FALSE(Playing(dump)) << "Stop stops" << dump;
  std::vector<CapturedEvent> played = NoteOns(capture.Events());
  ASSERT_GT(played.size(), before + 4) << Errors();
  EXPECT_EQ(played[before].bytes[1], kFirstKey) << "the first note of the song first";
  usleep(800000);
  size_t afterStop = NoteOns(capture.Events()).size();
  usleep(800000);
  EXPECT_EQ(NoteOns(capture.Events()).size(), afterStop) << "no note after Stop";

  // Rewind: the counter shows the song's start.
  ClickButton(3);
  dump = Until([&](const std::string& d) { return ReadCounter(d, &counter) && counter.text == "1:01:000 0:00:00:00"; }, 5);
  EXPECT_EQ(counter.text, "1:01:000 0:00:00:00") << dump;
  EXPECT_EQ(Position(dump), 1) << dump;

  // Bar 6 typed into the bar field: the counter shows it, and Play starts with its note
  // (bar 6 is the second 6/8 bar: quarter 19).
  ASSERT_TRUE(TypeIntoField("bar", "6")) << "the bar field opened" << lastDump;
  dump = Until([&](const std::string& d) { return ReadCounter(d, &counter) && counter.bar == 6; }, 5);
  EXPECT_EQ(counter.bar, 6) << dump;
  EXPECT_EQ(counter.beat, 1) << dump;
  EXPECT_NEAR(counter.seconds, SecondsAtQuarter(19), 0.1) << counter.text;
  std::vector<int> typed = PlayTwoNotes();
  ASSERT_GE(typed.size(), 2u) << "two notes came and Stop stopped" << Errors();
  EXPECT_EQ(typed[0], kFirstKey + 19) << "Play starts at the typed bar";
  EXPECT_EQ(typed[1], kFirstKey + 20);

  // Rewind after a Play from elsewhere: the next Play starts with the song's first note.
  ASSERT_TRUE(Rewind()) << program.Dump(dumpFile);
  std::vector<int> rewound = PlayTwoNotes();
  ASSERT_GE(rewound.size(), 2u) << "two notes came and Stop stopped" << Errors();
  EXPECT_EQ(rewound[0], kFirstKey) << "Play after Rewind starts at the song's start";
  EXPECT_EQ(rewound[1], kFirstKey + 1);

  // Five seconds typed into the time read-out are eight quarters at 120 and four at 240: the
  // counter shows bar 4, and Play starts with quarter 12's note.
  ASSERT_TRUE(Rewind()) << program.Dump(dumpFile);
  ASSERT_TRUE(TypeIntoField("seconds", "5")) << "the seconds field opened" << lastDump;
  dump = Until([&](const std::string& d) { return ReadCounter(d, &counter) && counter.bar == 4; }, 5);
  EXPECT_EQ(counter.text, "4:01:000 0:00:05:00") << dump;
  std::vector<int> timed = PlayTwoNotes();
  ASSERT_GE(timed.size(), 2u) << "two notes came and Stop stopped" << Errors();
  EXPECT_EQ(timed[0], kFirstKey + 12) << "Play starts at the typed time";
  EXPECT_EQ(timed[1], kFirstKey + 13);
  program.Terminate();
}

}  // namespace
