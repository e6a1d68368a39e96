// The track window's level meters in the real zarin program on a private X server: playing a
// song whose two tracks play sixteenths at rising velocities, each row's meter shows as many
// segments as its track's velocity gives, lit in the zones' colours, and falls back to empty
// once playback stops.
#include <gtest/gtest.h>

#include <sstream>

#include "tests/shell/program/program_session.h"
#include "tests/song/smf/smf_bytes.h"
#include "tests/test_support.h"

namespace {

using namespace program_test;

constexpr uint32_t kDivision = 96;
constexpr int kStepsPerVelocity = 16;  // two seconds of sixteenths at 120 a minute
constexpr uint8_t kFirstVelocities[] = {20, 60, 100, 127};
constexpr uint8_t kSecondVelocities[] = {10, 40, 80, 110};

Bytes Sixteenths(const uint8_t (&velocities)[4], uint8_t key) {
  Bytes notes;
  for (uint8_t velocity : velocities) {
    for (int i = 0; i < kStepsPerVelocity; ++i) {
      Append(&notes, Vlq(0));
      Append(&notes, {0x90, key, velocity});
      Append(&notes, Vlq(kDivision / 4));
      Append(&notes, {0x80, key, 64});
    }
  }
  Append(&notes, Vlq(0));
  Append(&notes, EndOfTrack());
  return notes;
}

std::string RisingSong() {
  Bytes conductor;
  Append(&conductor, Vlq(0));
  Append(&conductor, Meta(0x58, {4, 2, 24, 8}));
  Append(&conductor, Vlq(0));
  Append(&conductor, Tempo(500000));
  Append(&conductor, Vlq(0));
  Append(&conductor, EndOfTrack());
  Bytes file = Header(1, 3, int16_t(kDivision));
  Append(&file, Chunk("MTrk", conductor));
  Append(&file, Chunk("MTrk", Sixteenths(kFirstVelocities, 60)));
  Append(&file, Chunk("MTrk", Sixteenths(kSecondVelocities, 48)));
  return std::string(file.begin(), file.end());
}

struct Meter {
  int track = -1, current = 0, drawn = 0, peak = 0, stereo = 0;
  int left = 0, top = 0, right = 0, bottom = 0;
};

std::vector<Meter> Meters(const std::string& dump) {
  std::vector<Meter> out;
  for (const std::string& line : DumpLines(dump, "meter")) {
    Meter m;
    std::istringstream in(line);
    if (in >> m.track >> m.current >> m.drawn >> m.peak >> m.stereo >> m.left >> m.top >> m.right >> m.bottom)
      out.push_back(m);
  }
  return out;
}

// The numbers of the dump's first line that begins with the word.
std::vector<int> DumpNumbers(const std::string& dump, const std::string& word) {
  std::vector<int> out;
  std::vector<std::string> lines = DumpLines(dump, word);
  if (lines.empty()) return out;
  std::istringstream in(lines[0]);
  for (int n; in >> n;) out.push_back(n);
  return out;
}

std::vector<int> Geometry(const std::string& dump) { return DumpNumbers(dump, "metergeometry"); }
std::vector<int> Zones(const std::string& dump) { return DumpNumbers(dump, "meterzones"); }

bool Playing(const std::string& dump) {
  std::vector<std::string> lines = DumpLines(dump, "transport");
  return !lines.empty() && lines[0].rfind("1", 0) == 0;
}

// Segments a level lights: round(level x count / 127).
int SegmentsFor(int level, int count) { return (2 * level * count + 127) / 254; }

bool Near(uint32_t pixel, int r, int g, int b) {
  auto close = [](int a, int b) { return std::abs(a - b) <= 24; };
  return close(int(pixel >> 16 & 0xFF), r) && close(int(pixel >> 8 & 0xFF), g) && close(int(pixel & 0xFF), b);
}

class TrackMeters : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    if (!x.Start(&why)) GTEST_SKIP() << why;
    env = SessionEnvironment(x, home, dumpFile);
    env["ZARIN_AUDIO_DEVICE"] = "Null Output";
    zarin_test::WriteWholeFile(songFile, RisingSong());
  }
  template <typename Pred>
  std::string Until(Pred pred, double seconds = 15) {
    return DumpUntil(program, dumpFile, pred, seconds);
  }
  std::string Errors() { return zarin_test::ReadWholeFile(home.File("errors.txt")); }

  XServer x;
  zarin_test::TempFolder home;
  std::string dumpFile = home.File("state.txt");
  std::string songFile = home.File("rising.mid");
  std::map<std::string, std::string> env;
  Program program;
};

TEST_F(TrackMeters, RowsFollowTheVelocitiesPlayedAndFallBackAfterTheStop) {
  ASSERT_TRUE(program.Start({songFile}, env, home.File("errors.txt"))) << Errors();
  std::string dump = Until([](const std::string& d) { return Meters(d).size() >= 2 && WindowOfKind(d, 4).visible; });
  ASSERT_GE(Meters(dump).size(), 2u) << dump << Errors();
  std::vector<int> geometry = Geometry(dump);
  ASSERT_EQ(geometry.size(), 3u) << dump;
  const int count = geometry[0];
  ASSERT_GE(count, 5) << dump;
  EXPECT_EQ(geometry[2], count - 2) << "the last two segments are red";

  WindowLine editor = WindowOfKind(dump, 4);
  ASSERT_TRUE(x.FindProgramWindow(kScreenWidth, kScreenHeight));
  x.Drag(editor.left + 150, editor.top - 8, editor.left + 150, editor.top - 8);
  x.Chord({}, "space");

  // Each row's segment counts in the order seen while playing; a pixel grab of the first
  // row's meter while it shows every segment.
  std::vector<int> seen[2];
  std::vector<uint32_t> fullRow, pendingRow;
  Meter fullMeter;
  bool played = false;
  for (int i = 0; i < 150; ++i) {
    dump = program.Dump(dumpFile, 2);
    std::vector<Meter> meters = Meters(dump);
    bool playing = Playing(dump);
    played |= playing;
    if (played && !playing) break;
    for (const Meter& m : meters) {
      if (m.track == 0 && fullRow.empty()) {
        bool full = m.current == count && m.drawn == count;
        // A grab counts when the dumps before and after it both show the row full.
        if (full && !pendingRow.empty()) fullRow = pendingRow;
        pendingRow.clear();
        if (full && fullRow.empty()) {
          fullMeter = m;
          pendingRow = x.Grab(m.left, m.top, m.right, m.bottom);
        }
      }
      if (m.track > 1 || m.current == 0) continue;
      if (seen[m.track].empty() || seen[m.track].back() != m.current) seen[m.track].push_back(m.current);
    }
    usleep(100000);
  }
  ASSERT_TRUE(played) << "the space key plays the song" << Errors();
  if (Playing(program.Dump(dumpFile, 2))) x.Chord({}, "space");

  const uint8_t* velocities[2] = {kFirstVelocities, kSecondVelocities};
  for (int track = 0; track < 2; ++track) {
    std::vector<int> expected;
    for (int k = 0; k < 4; ++k) expected.push_back(SegmentsFor(velocities[track][k], count));
    std::string shown;
    for (int n : seen[track]) shown += std::to_string(n) + " ";
    ASSERT_FALSE(seen[track].empty()) << "track " << track << " lit no segment";
    // The segments rise with the velocities: only their counts, in their order, the loudest
    // reached (a reading may fall between two notes, never on another count).
    size_t at = 0;
    for (int n : seen[track]) {
      while (at < expected.size() && expected[at] != n) ++at;
      ASSERT_LT(at, expected.size()) << "track " << track << " showed " << shown;
    }
    EXPECT_EQ(seen[track].back(), expected.back()) << "track " << track << " showed " << shown;
    EXPECT_GE(seen[track].size(), 3u) << "track " << track << " showed " << shown;
  }
  EXPECT_EQ(SegmentsFor(127, count), count) << "127 lights every segment";

  ASSERT_FALSE(fullRow.empty()) << "the first row never showed every segment";
  int width = fullMeter.right - fullMeter.left, middle = (fullMeter.bottom - fullMeter.top) / 2;
  auto segment = [&](int n) { return fullRow[size_t(middle * width + 3 * n - 1)]; };
  EXPECT_TRUE(Near(segment(1), 0x19, 0xD7, 0x05)) << std::hex << segment(1);
  EXPECT_TRUE(Near(segment(count - 2), 0xE6, 0xE1, 0x21)) << std::hex << segment(count - 2);
  EXPECT_TRUE(Near(segment(count - 1), 0xE6, 0x05, 0x02)) << std::hex << segment(count - 1);
  EXPECT_TRUE(Near(segment(count), 0xE6, 0x05, 0x02)) << std::hex << segment(count);

  dump = Until([](const std::string& d) {
    std::vector<Meter> meters = Meters(d);
    if (Playing(d) || meters.size() < 2) return false;
    for (const Meter& m : meters)
      if (m.drawn != 0 || m.peak != 0) return false;
    return true;
  });
  for (const Meter& m : Meters(dump)) {
    EXPECT_EQ(m.current, 0) << "row " << m.track << "\n" << dump;
    EXPECT_EQ(m.drawn, 0) << "row " << m.track << " empties after the stop\n" << dump;
  }
  std::vector<uint32_t> emptyRow = x.Grab(fullMeter.left, fullMeter.top, fullMeter.right, fullMeter.bottom);
  ASSERT_EQ(emptyRow.size(), fullRow.size());
  EXPECT_FALSE(Near(emptyRow[size_t(middle * width + 2)], 0x19, 0xD7, 0x05)) << "the first segment is erased";
  program.Terminate();
}

// A click on a row's meter edits the colour of the zone under the mouse: the picker's answer
// replaces that zone's colour only, a cancelled pick keeps it, and a click beside the meter
// asks for no colour at all.
TEST_F(TrackMeters, AClickOnAMeterEditsTheColourOfTheZoneUnderIt) {
  env["ZARIN_COLOR_REPLY"] = "336699;-;cc0000";
  ASSERT_TRUE(program.Start({songFile}, env, home.File("errors.txt"))) << Errors();
  std::string dump = Until([](const std::string& d) { return Meters(d).size() >= 2 && Zones(d).size() == 9; });
  std::vector<Meter> meters = Meters(dump);
  std::vector<int> geometry = Geometry(dump);
  ASSERT_GE(meters.size(), 2u) << dump << Errors();
  ASSERT_EQ(geometry.size(), 3u) << dump;
  const std::vector<int> initial = Zones(dump);
  ASSERT_EQ(initial, (std::vector<int>{0x1999, 0xD709, 0x051E, 0xE665, 0xE146, 0x2147, 0xE665, 0x051E, 0x028F}));
  ASSERT_TRUE(x.FindProgramWindow(kScreenWidth, kScreenHeight));

  const Meter& row = meters[1];
  const int v = (row.top + row.bottom) / 2;
  auto segment = [&](int n) { return row.left + 3 * n; };  // a pixel of segment n
  auto zonesAfterClick = [&](int h, const std::vector<int>& before) {
    x.Drag(h, v, h, v);
    return Zones(Until([&](const std::string& d) { return Zones(d).size() == 9 && Zones(d) != before; }, 5));
  };

  std::vector<int> zones = zonesAfterClick(row.left - 20, initial);
  EXPECT_EQ(zones, initial) << "a click beside the meter edits nothing";
  std::vector<int> expected = initial;
  expected[0] = 0x3333, expected[1] = 0x6666, expected[2] = 0x9999;
  zones = zonesAfterClick(segment(1), initial);
  EXPECT_EQ(zones, expected) << "the first segment is green: the first answer goes to green";
  zones = zonesAfterClick(segment(geometry[1] + 1), expected);
  EXPECT_EQ(zones, expected) << "a cancelled pick keeps the yellow zone";
  expected[6] = 0xCCCC, expected[7] = 0, expected[8] = 0;
  zones = zonesAfterClick(segment(geometry[0]), expected);
  EXPECT_EQ(zones, expected) << "the last segment is red";
  program.Terminate();
}

}  // namespace
