// The song list of the real zarin program on a private X server: with two songs open (two
// MIDI files of the test's own, the second opened into the next slot), a click on a song's
// row makes it the current song: the main editor shows that song's notes and the track
// window's title names it; a click on the other row brings the other song back. The list's
// header settings are kept in the preferences and come back after a restart.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <sstream>

#include "tests/shell/program/program_session.h"
#include "tests/song/smf/smf_bytes.h"
#include "tests/test_support.h"

namespace {

using namespace program_test;

constexpr int kSongListKind = 2, kTrackWindowKind = 5;
constexpr int kSongListTop = 44, kRowHeight = 16;
constexpr uint32_t kDivision = 480;
constexpr int kRampNotes = 8;

// A song named in its first chunk, with a ramp of keys from first (a note an eighth, 6/8).
std::string RampSong(const std::string& name, uint8_t first) {
  Bytes conductor;
  Append(&conductor, Vlq(0));
  Append(&conductor, Text(0x03, name));
  Append(&conductor, Vlq(0));
  Append(&conductor, Meta(0x58, {6, 3, 24, 8}));
  Append(&conductor, Vlq(0));
  Append(&conductor, EndOfTrack());
  Bytes notes;
  for (int i = 0; i < kRampNotes; ++i) {
    Append(&notes, Vlq(0));
    Append(&notes, {0x90, uint8_t(first + i), 100});
    Append(&notes, Vlq(kDivision / 2));
    Append(&notes, {0x80, uint8_t(first + i), 64});
  }
  Append(&notes, Vlq(0));
  Append(&notes, EndOfTrack());
  Bytes file = Header(1, 2, int16_t(kDivision));
  Append(&file, Chunk("MTrk", conductor));
  Append(&file, Chunk("MTrk", notes));
  return std::string(file.begin(), file.end());
}

// The pitches of the notes the main editor shows.
std::set<int> ShownPitches(const std::string& dump) {
  std::set<int> out;
  for (const std::string& line : DumpLines(dump, "note")) {
    std::istringstream in(line);
    int64_t tick = 0;
    int pitch = 0;
    if (in >> tick >> pitch) out.insert(pitch);
  }
  return out;
}

std::set<int> Ramp(int first) {
  std::set<int> out;
  for (int i = 0; i < kRampNotes; ++i) out.insert(first + i);
  return out;
}

// The title of the window of that kind (the end of its "window" line).
std::string WindowTitle(const std::string& dump, int kind) {
  for (const std::string& line : DumpLines(dump, "window")) {
    std::istringstream in(line);
    int k = 0, fields[5];
    if (!(in >> k) || k != kind) continue;
    for (int& f : fields) in >> f;
    std::string title;
    std::getline(in, title);
    return title.empty() ? title : title.substr(1);
  }
  return "";
}

class SongList : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    if (!x.Start(&why)) GTEST_SKIP() << why;
    env = SessionEnvironment(x, home, dumpFile);
  }
  std::string Errors() { return zarin_test::ReadWholeFile(home.File("errors.txt")); }
  template <typename Pred>
  std::string Until(Pred pred, double seconds = 15) {
    return DumpUntil(program, dumpFile, pred, seconds);
  }
  // Clicks the middle of a slot's row in the song list as the dump places the window.
  void ClickRow(const std::string& dump, int slot) {
    WindowLine w = WindowOfKind(dump, kSongListKind);
    int y = w.top + kSongListTop + slot * kRowHeight + kRowHeight / 2;
    x.Drag(w.left + 60, y, w.left + 60, y);
  }
  XServer x;
  zarin_test::TempFolder home;
  std::string dumpFile = home.File("state.txt");
  std::map<std::string, std::string> env;
  Program program;
};

TEST_F(SongList, ARowClickMakesItsSongCurrentInTheEditorAndTheTrackWindow) {
  std::string low = home.File("low.mid"), high = home.File("high.mid");
  zarin_test::WriteWholeFile(low, RampSong("Low Ramp", 40));
  zarin_test::WriteWholeFile(high, RampSong("High Ramp", 80));
  env["ZARIN_NAV_REPLY"] = high;
  ASSERT_TRUE(program.Start({low}, env, home.File("errors.txt")));
  ASSERT_TRUE(x.FindProgramWindow(kScreenWidth, kScreenHeight));
  std::string dump = Until([](const std::string& d) { return HasLine(d, "song", "0 Low Ramp"); });
  ASSERT_TRUE(HasLine(dump, "song", "0 Low Ramp")) << dump << Errors();
  x.Chord({"Control_L"}, "o");
  x.Chord({}, "d");  // the imported song is not saved
  dump = Until([](const std::string& d) { return HasLine(d, "song", "1 High Ramp"); });
  ASSERT_TRUE(HasLine(dump, "song", "1 High Ramp")) << dump << Errors();
  x.Chord({"Control_L"}, "2");  // Window > Song List
  dump = Until([](const std::string& d) { return WindowOfKind(d, kSongListKind).visible; });
  ASSERT_TRUE(WindowOfKind(dump, kSongListKind).visible) << dump;

  struct Case {
    int slot;
    const char* song;
    int firstKey;
    const char* title;
  };
  const Case kCases[] = {{0, "0 Low Ramp", 40, "Song 1: Low Ramp"},
                         {1, "1 High Ramp", 80, "Song 2: High Ramp"},
                         {0, "0 Low Ramp", 40, "Song 1: Low Ramp"}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.song);
    ClickRow(dump, c.slot);
    std::set<int> want = Ramp(c.firstKey);
    dump = Until([&](const std::string& d) {
      return HasLine(d, "song", c.song) && ShownPitches(d) == want && WindowTitle(d, kTrackWindowKind) == c.title;
    });
    EXPECT_TRUE(HasLine(dump, "song", c.song)) << dump << Errors();
    EXPECT_EQ(ShownPitches(dump), want) << "the main editor shows the song's own notes";
    EXPECT_EQ(WindowTitle(dump, kTrackWindowKind), c.title);
    EXPECT_TRUE(WindowOfKind(dump, kSongListKind).visible) << "the list stays open";
  }
  program.Terminate();
}

// The second header button chains the songs in a loop; the program quits without saving the
// song, and the next start shows the list's settings as they were left.
TEST_F(SongList, HeaderSettingsComeBackAfterARestart) {
  constexpr int kChainButtonX = 100, kButtonY = 13;
  ASSERT_TRUE(program.Start({}, env, home.File("errors.txt")));
  ASSERT_TRUE(x.FindProgramWindow(kScreenWidth, kScreenHeight));
  std::string dump = Until([](const std::string& d) { return HasLine(d, "songlist", "0 0 0 0"); });
  ASSERT_TRUE(HasLine(dump, "songlist", "0 0 0 0")) << dump << Errors();
  x.Chord({"Control_L"}, "2");  // Window > Song List
  dump = Until([](const std::string& d) { return WindowOfKind(d, kSongListKind).visible; });
  WindowLine w = WindowOfKind(dump, kSongListKind);
  ASSERT_TRUE(w.visible) << dump;
  x.Drag(w.left + kChainButtonX, w.top + kButtonY, w.left + kChainButtonX, w.top + kButtonY);
  dump = Until([](const std::string& d) { return HasLine(d, "songlist", "2 0 0 0"); });
  ASSERT_TRUE(HasLine(dump, "songlist", "2 0 0 0")) << dump << Errors();
  x.Chord({"Super_L"}, "q");
  x.Chord({}, "d");  // the song itself is not saved
  ASSERT_EQ(program.Wait(20), 0) << Errors();

  std::remove(dumpFile.c_str());
  Program again;
  ASSERT_TRUE(again.Start({}, env, home.File("errors2.txt")));
  dump = DumpUntil(again, dumpFile, [](const std::string& d) { return HasLine(d, "songlist", ""); });
  EXPECT_TRUE(HasLine(dump, "songlist", "2 0 0 0")) << dump;
  again.Terminate();
}

}  // namespace
