// Playing from the main editor of the real zarin program on a private X server, with its MIDI
// on the running JACK server: the play key plays the song from the position shown, to a JACK
// client of the test's own, with the spacing of the song's tempo map, and the stop key ends
// it; the play cursor is drawn where the time axis puts the song position and moves at the
// speed the tempo map gives; notes played into the program from another JACK client are
// entered step by step at the insertion point.
//
// The song's tracks reach the capture client through the program's own settings: a first
// run lists the MIDI ports (the state dump's "port" lines) and writes the preferences; the
// test then sets there the output that new tracks take (a MIDI port, the capture client's),
// and the second run opens the song.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "platform/files/file_locations.h"
#include "platform/memory/memory.h"
#include "platform/resources/resource_files.h"
#include "platform/resources/resource_manager.h"
#include "sequencer/midi/coremidi_driver.h"
#include "sequencer/midi/midi_setup_file.h"
#include "song/prefs/startup_settings.h"
#include "tests/shell/program/capture_program.h"
#include "tests/shell/program/jack_midi_clients.h"
#include "tests/shell/program/program_session.h"
#include "tests/song/smf/smf_bytes.h"
#include "tests/test_support.h"

namespace {

using namespace program_test;
using Clock = std::chrono::steady_clock;

// The song: one track, a ramp of keys from kFirstKey, one note a quarter (kDivision ticks a
// quarter in the file), 4/4. It plays at 120 a minute until kTempoChangeQuarter, then at 240.
constexpr uint32_t kDivision = 480;
constexpr int kRampNotes = 24;
constexpr uint8_t kFirstKey = 36;
constexpr int kTempoChangeQuarter = 8;
constexpr uint32_t kSlowQuarterMicros = 500000, kFastQuarterMicros = 250000;

std::string RampSong() {
  Bytes conductor;
  Append(&conductor, Vlq(0));
  Append(&conductor, Meta(0x58, {4, 2, 24, 8}));
  Append(&conductor, Vlq(0));
  Append(&conductor, Tempo(kSlowQuarterMicros));
  Append(&conductor, Vlq(kTempoChangeQuarter * kDivision));
  Append(&conductor, Tempo(kFastQuarterMicros));
  Append(&conductor, Vlq(0));
  Append(&conductor, EndOfTrack());
  Bytes notes = RampNotes(kRampNotes, kFirstKey, kDivision, kDivision / 2);
  Bytes file = Header(1, 2, int16_t(kDivision));
  Append(&file, Chunk("MTrk", conductor));
  Append(&file, Chunk("MTrk", notes));
  return std::string(file.begin(), file.end());
}

// Seconds from the first quarter to quarter q of the song.
double SecondsAtQuarter(double q) {
  double slow = std::min<double>(q, kTempoChangeQuarter), fast = std::max<double>(q - kTempoChangeQuarter, 0);
  return (slow * kSlowQuarterMicros + fast * kFastQuarterMicros) / 1e6;
}

struct Note {
  int64_t tick, key, velocity, duration;
};
std::vector<Note> Notes(const std::string& dump) {
  std::vector<Note> out;
  for (const std::string& line : DumpLines(dump, "note")) {
    Note n{};
    std::istringstream in(line);
    if (in >> n.tick >> n.key >> n.velocity >> n.duration) out.push_back(n);
  }
  return out;
}

class MainEditorPlay : public CaptureProgramTest {
 protected:
  MainEditorPlay() : CaptureProgramTest("zpcap", "Zarin-play", "ramp.mid") {}
  void SetUp() override { StartSession(RampSong()); }

  // Brings the main editor to the front (a click in its title bar).
  bool BringEditorToFront() {
    std::string dump = Until([](const std::string& d) { return WindowOfKind(d, 4).visible; });
    WindowLine editor = WindowOfKind(dump, 4);
    if (!editor.visible) return false;
    x.Drag(editor.left + 150, editor.top - 8, editor.left + 150, editor.top - 8);
    dump = Until([](const std::string& d) { return Numbers(d, "front") == std::vector<int64_t>{4}; }, 5);
    return Numbers(dump, "front") == std::vector<int64_t>{4};
  }
};

// Bar 2 located with '+' and shown; the play key plays the ramp from bar 2's first note on,
// in order, half a second apart until the tempo change and a quarter of a second after it;
// the stop key ends it: no note follows, and the transport says stopped.
TEST_F(MainEditorPlay, ThePlayKeyPlaysFromTheLocatedBarAndTheStopKeyStops) {
  std::string why;
  ASSERT_TRUE(StartWithSongOnCapture(&why)) << why;
  ASSERT_TRUE(BringEditorToFront()) << Errors();
  x.Chord({}, "Home");
  x.Chord({"Shift_L"}, "equal");  // '+': the next bar line
  std::string dump = Until([](const std::string& d) { return Position(d) > 1; }, 5);
  int64_t quarter = QuarterTicks(dump);
  ASSERT_GT(quarter, 0) << dump;
  ASSERT_EQ(Position(dump), 4 * quarter + 1) << "bar 2 of 4/4" << dump;
  std::vector<int64_t> axis = Numbers(dump, "playaxis");
  ASSERT_EQ(axis.size(), 3u) << dump;
  EXPECT_LE(axis[0], 4 * quarter + 1) << "the located bar is shown";

  size_t before = NoteOns(capture.Events()).size();
  capture.KeepOnly(programClient);
  x.Chord({}, "space");
  constexpr int kFirstPlayed = 4, kHeard = 12;  // bar 2's first note, and the notes awaited
  for (int i = 0; i < 200 && NoteOns(capture.Events()).size() < before + kHeard; ++i) {
    usleep(50000);
    if (i % 10 == 0) capture.KeepOnly(programClient);
  }
  x.Chord({}, "space");
  dump = Until([](const std::string& d) { return !Playing(d); }, 5);
  EXPECT_FALSE(Playing(dump)) << dump;
  std::vector<CapturedEvent> played = NoteOns(capture.Events());
  ASSERT_GE(played.size(), before + kHeard) << Errors();
  played.erase(played.begin(), played.begin() + long(before));

  usleep(1000000);
  EXPECT_EQ(NoteOns(capture.Events()).size(), before + played.size()) << "no note after the stop key";
  EXPECT_FALSE(Playing(program.Dump(dumpFile))) << "the transport stays stopped";

  std::string keys;
  for (const CapturedEvent& e : played) keys += std::to_string(e.bytes[1]) + " ";
  for (size_t i = 0; i < played.size(); ++i)
    ASSERT_EQ(played[i].bytes[1], kFirstKey + kFirstPlayed + int(i)) << "note " << i << " in order: " << keys;
  // The spans before and after the tempo change: a note sent late by a busy machine moves
  // one end of a span, not the spacing of the notes between.
  double rate = capture.SampleRate();
  auto span = [&](int fromQuarter, int toQuarter) {
    return double(played[size_t(toQuarter - kFirstPlayed)].frame - played[size_t(fromQuarter - kFirstPlayed)].frame) / rate;
  };
  const int lastHeard = kFirstPlayed + kHeard - 1;
  double slow = SecondsAtQuarter(kTempoChangeQuarter) - SecondsAtQuarter(kFirstPlayed);
  double fast = SecondsAtQuarter(lastHeard) - SecondsAtQuarter(kTempoChangeQuarter);
  EXPECT_NEAR(span(kFirstPlayed, kTempoChangeQuarter), slow, slow * 0.15) << "seconds before the tempo change";
  EXPECT_NEAR(span(kTempoChangeQuarter, lastHeard), fast, fast * 0.15) << "seconds after the tempo change";
  program.Terminate();
}

// One grab of the first pane while playing: when it was taken, the song position just before
// and just after, and the pixels of a band across the pane.
struct CursorGrab {
  double seconds = 0;
  int64_t before = 0, after = 0;
  std::vector<uint32_t> pixels;
};

// The column of grab i whose pixels are the inverse of every other grab's there: the cursor
// line, drawn by inverting what lies under it. -1 when there is none.
int CursorColumn(const std::vector<CursorGrab>& grabs, size_t i, int width, int rows) {
  for (int column = 0; column < width; ++column) {
    bool inverted = true;
    for (size_t j = 0; j < grabs.size() && inverted; ++j) {
      if (j == i) continue;
      int same = 0;
      for (int row = 0; row < rows; ++row) {
        size_t at = size_t(row * width + column);
        same += grabs[i].pixels[at] == (~grabs[j].pixels[at] & 0xFFFFFF) ? 1 : 0;
      }
      inverted = same >= rows * 9 / 10;
    }
    if (inverted) return column;
  }
  return -1;
}

// The play cursor, played from the song's start: four grabs, two before the tempo change and
// two after. Each grab's cursor stands where the time axis puts the song position of the
// moment, and it moves twice as fast after the change as before.
TEST_F(MainEditorPlay, ThePlayCursorFollowsTheTempoMap) {
  std::string why;
  ASSERT_TRUE(StartWithSongOnCapture(&why)) << why;
  ASSERT_TRUE(BringEditorToFront()) << Errors();
  x.Chord({}, "Home");
  std::string dump = Until([](const std::string& d) { return Position(d) == 1 && !DumpLines(d, "playaxis").empty(); }, 5);
  std::vector<int64_t> axis = Numbers(dump, "playaxis");  // left tick, zoom, origin x
  int64_t quarter = QuarterTicks(dump);
  ASSERT_EQ(axis.size(), 3u) << dump;
  ASSERT_EQ(axis[0], 1) << "the song's start is shown" << dump;
  ASSERT_GE(axis[1], 0) << "a zoom level in ticks" << dump;
  ASSERT_GT(quarter, 0);
  WindowLine editor = WindowOfKind(dump, 4);
  std::vector<std::string> panes = DumpLines(dump, "pane");
  ASSERT_FALSE(panes.empty()) << dump;
  int paneIndex, paneTop, shown, active, value, maximum, barLeft, barTop, barRight, barBottom;
  std::istringstream paneLine(panes[0]);
  ASSERT_TRUE(paneLine >> paneIndex >> paneTop >> shown >> active >> value >> maximum >> barLeft >> barTop >> barRight >>
              barBottom) << dump;
  const int left = editor.left + int(axis[2]) + 1, right = barLeft - 1;
  const int top = barTop + 4, bottom = std::min(barBottom - 4, top + 40);
  const int width = right - left, rows = bottom - top;
  ASSERT_GT(width, 300) << dump;
  ASSERT_GT(rows, 8) << dump;
  auto xOf = [&](int64_t tick) { return int((tick - axis[0]) >> axis[1]); };  // from the origin
  // The cursor must stay on the first page: the last grab comes well before its right edge.
  const int64_t pageEnd = axis[0] + (int64_t(width) << axis[1]);
  const int64_t change = kTempoChangeQuarter * quarter + 1;
  const int64_t targets[] = {quarter / 2, 5 * quarter, change + quarter, change + quarter + (pageEnd - change - quarter) / 3};
  ASSERT_LT(targets[3] + 2 * quarter, pageEnd) << "the test's song fits the page";

  capture.KeepOnly(programClient);
  auto start = Clock::now();
  x.Chord({}, "space");
  std::vector<CursorGrab> grabs;
  for (int64_t target : targets) {
    CursorGrab grab;
    dump = Until([&](const std::string& d) { return Position(d) >= target || !Playing(d); }, 10);
    grab.before = Position(dump);
    grab.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    grab.pixels = x.Grab(left, top, right, bottom);
    grab.after = Position(program.Dump(dumpFile));
    ASSERT_EQ(grab.pixels.size(), size_t(width * rows));
    grabs.push_back(grab);
  }
  x.Chord({}, "space");
  ASSERT_LT(grabs[1].after, change) << "the second grab came before the tempo change";

  std::vector<int> columns;
  for (size_t i = 0; i < grabs.size(); ++i) {
    int column = CursorColumn(grabs, i, width, rows);
    ASSERT_GE(column, 0) << "grab " << i << ": no cursor line";
    // The cursor stands at the position of the moment, give or take the time a grab takes
    // and the time until the next idle pass moves it (up to a quarter here).
    EXPECT_GE(column, xOf(grabs[i].before - quarter) - 1) << "grab " << i;
    EXPECT_LE(column, xOf(grabs[i].after) + 4) << "grab " << i;
    columns.push_back(column);
  }
  double slow = (columns[1] - columns[0]) / (grabs[1].seconds - grabs[0].seconds);
  double fast = (columns[3] - columns[2]) / (grabs[3].seconds - grabs[2].seconds);
  double pixelsPerQuarter = double(quarter >> axis[1]);
  EXPECT_NEAR(slow, pixelsPerQuarter * 1e6 / kSlowQuarterMicros, pixelsPerQuarter * 0.5) << "pixels a second";
  EXPECT_NEAR(fast / slow, double(kSlowQuarterMicros) / kFastQuarterMicros, 0.5) << "twice as fast after the change";
  program.Terminate();
}

// Step input: with the audition tool chosen in the tool bar and an eighth note as the note
// value, notes played into the program from a JACK client enter the current track at the
// insertion point, which moves on by an eighth each time every key is up; a chord is one
// step. The Delete key takes back the last step: the chord's notes, and nothing else.
TEST_F(MainEditorPlay, NotesPlayedInAreEnteredStepByStep) {
  MidiKeyboard keyboard;
  ASSERT_TRUE(keyboard.Open("zpkeys"));
  std::string why;
  ASSERT_TRUE(StartWithSongOnCapture(&why, &keyboard)) << why;
  for (int tries = 0; tries < 100 && !keyboard.Feeds(programClient); ++tries) usleep(100000);
  ASSERT_TRUE(keyboard.Feeds(programClient)) << "the program listens to the keyboard client";
  keyboard.KeepOnly(programClient);
  ASSERT_TRUE(BringEditorToFront()) << Errors();

  std::string dump = program.Dump(dumpFile);
  std::vector<int64_t> toolbar = Numbers(dump, "toolbarscreen");
  ASSERT_EQ(toolbar.size(), 2u) << dump;
  x.Drag(int(toolbar[0]) + 13, int(toolbar[1]) + 5, int(toolbar[0]) + 13, int(toolbar[1]) + 5);  // tool 2
  dump = Until([](const std::string& d) { return HasLine(d, "tools", "2 "); }, 5);
  ASSERT_TRUE(HasLine(dump, "tools", "2 ")) << "the audition tool" << dump;
  x.Chord({}, "8");  // an eighth note
  int64_t quarter = QuarterTicks(dump);
  dump = Until([&](const std::string& d) { return Numbers(d, "step").size() == 3 && Numbers(d, "step")[2] == quarter / 2; }, 5);
  ASSERT_EQ(Numbers(dump, "step").size(), 3u) << dump;
  ASSERT_EQ(Numbers(dump, "step")[2], quarter / 2) << "the note value is an eighth" << dump;
  const int64_t eighth = quarter / 2;
  const int64_t start = std::max<int64_t>(Numbers(dump, "selection")[0], 1);
  const int64_t firstStep = Numbers(dump, "step")[0];

  // Each chord: its keys go down together and come up together; then the step must be taken.
  const std::vector<std::vector<uint8_t>> chords = {{72}, {74}, {76, 79}};
  for (size_t c = 0; c < chords.size(); ++c) {
    for (uint8_t key : chords[c]) keyboard.Send(0x90, key, 90);
    usleep(300000);
    for (uint8_t key : chords[c]) keyboard.Send(0x80, key, 0);
    int64_t step = firstStep + int64_t(c) + 1;
    dump = Until([&](const std::string& d) { return !Numbers(d, "step").empty() && Numbers(d, "step")[0] >= step; }, 10);
    ASSERT_EQ(Numbers(dump, "step")[0], step) << "one step for chord " << c << dump << Errors();
  }
  std::vector<Note> entered;
  for (const Note& n : Notes(dump))
    if (n.key >= 72) entered.push_back(n);
  std::sort(entered.begin(), entered.end(), [](const Note& a, const Note& b) { return a.tick < b.tick || (a.tick == b.tick && a.key < b.key); });
  ASSERT_EQ(entered.size(), 4u) << dump;
  const int64_t expectTick[] = {start, start + eighth, start + 2 * eighth, start + 2 * eighth};
  const int64_t expectKey[] = {72, 74, 76, 79};
  for (size_t i = 0; i < entered.size(); ++i) {
    EXPECT_EQ(entered[i].tick, expectTick[i]) << "note " << i;
    EXPECT_EQ(entered[i].key, expectKey[i]) << "note " << i;
    EXPECT_EQ(entered[i].velocity, 90) << "note " << i;
    EXPECT_EQ(entered[i].duration, eighth) << "note " << i;
  }
  EXPECT_EQ(Numbers(dump, "selection")[0], start + 3 * eighth) << "the insertion point moved on";
  std::vector<Note> all = Notes(dump);
  EXPECT_EQ(std::count_if(all.begin(), all.end(), [](const Note& n) { return n.key < 72; }), kRampNotes)
      << "the song's own notes stay";

  x.Chord({}, "BackSpace");  // Delete: the last step back
  dump = Until([](const std::string& d) {
    auto notes = Notes(d);
    return std::none_of(notes.begin(), notes.end(), [](const Note& n) { return n.key == 76 || n.key == 79; });
  }, 5);
  std::vector<int64_t> left;
  for (const Note& n : Notes(dump))
    if (n.key >= 72) left.push_back(n.key);
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<int64_t>{72, 74})) << "the chord's notes are taken back, the others stay" << dump;
  program.Terminate();
}

}  // namespace
