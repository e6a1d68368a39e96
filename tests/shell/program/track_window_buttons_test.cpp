// The track window's four buttons in the real zarin program on a private X server: the two
// beside the vertical scroll bar make the rows lower and higher (by 8 pixels, by 1 with Option
// held), the two beside the horizontal bar widen and narrow the overview within its zoom range
// 1..10; every press marks the song modified.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <sstream>

#include "tests/shell/program/program_session.h"
#include "tests/song/smf/smf_bytes.h"
#include "tests/test_support.h"

namespace {

using namespace program_test;

constexpr int kTrackWindowKind = 5;

std::string TwoTrackSong() {
  Bytes conductor;
  Append(&conductor, Vlq(0));
  Append(&conductor, Meta(0x58, {6, 3, 24, 8}));
  Append(&conductor, Vlq(0));
  Append(&conductor, EndOfTrack());
  Bytes notes;
  for (int i = 0; i < 6; ++i) {
    Append(&notes, Vlq(0));
    Append(&notes, {0x90, uint8_t(50 + i), 90});
    Append(&notes, Vlq(240));
    Append(&notes, {0x80, uint8_t(50 + i), 64});
  }
  Append(&notes, Vlq(0));
  Append(&notes, EndOfTrack());
  Bytes file = Header(1, 2, 480);
  Append(&file, Chunk("MTrk", conductor));
  Append(&file, Chunk("MTrk", notes));
  return std::string(file.begin(), file.end());
}

int FirstNumber(const std::string& dump, const std::string& word) {
  std::vector<std::string> lines = DumpLines(dump, word);
  int n = -1;
  if (!lines.empty()) std::istringstream(lines[0]) >> n;
  return n;
}

int RowHeight(const std::string& dump) { return FirstNumber(dump, "rowheight"); }
int Zoom(const std::string& dump) { return FirstNumber(dump, "trackzoom"); }
int Modified(const std::string& dump) { return FirstNumber(dump, "modified"); }

struct Spot {
  int h = -1, v = -1;
};

// The middle of button index as the dump places it (-1 when it is not shown).
Spot ButtonMiddle(const std::string& dump, int index) {
  for (const std::string& line : DumpLines(dump, "trackbutton")) {
    std::istringstream in(line);
    int k = -1, left = 0, top = 0, right = 0, bottom = 0;
    if (in >> k >> left >> top >> right >> bottom && k == index)
      return Spot{(left + right) / 2, (top + bottom) / 2};
  }
  return Spot{};
}

class TrackWindowButtons : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    if (!x.Start(&why)) GTEST_SKIP() << why;
    env = SessionEnvironment(x, home, dumpFile);
    zarin_test::WriteWholeFile(songFile, TwoTrackSong());
  }
  template <typename Pred>
  std::string Until(Pred pred, double seconds = 15) {
    return DumpUntil(program, dumpFile, pred, seconds);
  }
  std::string Errors() { return zarin_test::ReadWholeFile(home.File("errors.txt")); }
  // Presses the button (with the modifiers held) and waits for the dump to settle on the
  // row height and zoom wanted; the dump seen last.
  std::string Press(const std::string& dump, int index, const std::vector<std::string>& modifiers, int height,
                    int zoom) {
    Spot p = ButtonMiddle(dump, index);
    EXPECT_GE(p.h, 0) << "button " << index << " is not shown\n" << dump;
    if (p.h < 0) return dump;
    x.Drag(p.h, p.v, p.h, p.v, modifiers);
    return Until([&](const std::string& d) { return RowHeight(d) == height && Zoom(d) == zoom && Modified(d) != 0; },
                 5);
  }

  XServer x;
  zarin_test::TempFolder home;
  std::string dumpFile = home.File("state.txt");
  std::string songFile = home.File("two.mid");
  std::map<std::string, std::string> env;
  Program program;
};

TEST_F(TrackWindowButtons, RowHeightAndZoomStepWithinTheirRanges) {
  ASSERT_TRUE(program.Start({songFile}, env, home.File("errors.txt"))) << Errors();
  ASSERT_TRUE(x.FindProgramWindow(kScreenWidth, kScreenHeight));
  std::string dump = Until([](const std::string& d) {
    return WindowOfKind(d, kTrackWindowKind).visible && !DumpLines(d, "trackbutton").empty() && RowHeight(d) > 0;
  });
  ASSERT_EQ(DumpLines(dump, "trackbutton").size(), 4u) << dump << Errors();
  const int height = RowHeight(dump), zoom = Zoom(dump);
  ASSERT_GE(height, 11 + 1) << dump;
  ASSERT_LE(height, 150 - 8) << dump;

  // Each press, from the state the one before left, and what it leaves.
  struct Step {
    int index;
    std::vector<std::string> modifiers;
    int height, zoom;
  };
  std::vector<Step> steps = {
      {1, {}, height + 8, zoom},          {0, {"Alt_L"}, height + 7, zoom},  {0, {}, height - 1, zoom},
      {2, {}, height - 1, std::max(zoom, 0) + 1}, {2, {}, height - 1, std::max(zoom, 0) + 2},
  };
  // Zoomed in from there down to 1, then once more: the zoom stays at 1.
  for (int z = std::max(zoom, 0) + 1; z >= 1; --z) steps.push_back({3, {}, height - 1, z});
  steps.push_back({3, {}, height - 1, 1});
  for (const Step& s : steps) {
    SCOPED_TRACE("button " + std::to_string(s.index) + " to height " + std::to_string(s.height) + " zoom " +
                 std::to_string(s.zoom));
    if (s.index == 3 && s.zoom == 1 && Zoom(dump) == 1) {
      // At zoom 1 the press changes nothing to wait for: a moment for it to be served.
      Spot p = ButtonMiddle(dump, 3);
      x.Drag(p.h, p.v, p.h, p.v);
      usleep(500000);
      dump = program.Dump(dumpFile, 2);
    } else {
      dump = Press(dump, s.index, s.modifiers, s.height, s.zoom);
    }
    ASSERT_EQ(RowHeight(dump), s.height) << dump;
    ASSERT_EQ(Zoom(dump), s.zoom) << dump;
    EXPECT_NE(Modified(dump), 0) << dump;
  }
  program.Terminate();
}

}  // namespace
