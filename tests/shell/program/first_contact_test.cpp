// What a new user meets in the zarin program on a private X server: the Control key is the
// command key, in menus and in text fields; File > Open of a second MIDI file shows its
// tracks at once and lists both songs; resizing the program's window keeps every window on
// it; the about texts can be read; a quit request (SIGTERM) while an alert is up ends the
// alert and quits in order.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <set>
#include <sstream>

#include "tests/shell/program/program_session.h"
#include "tests/test_support.h"

namespace {

using namespace program_test;

// Each case: an X server, a home folder for the program's settings, its state dump.
class FirstContact : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    if (!x.Start(&why)) GTEST_SKIP() << why;
    env = SessionEnvironment(x, home, dumpFile);
  }
  std::string Errors() { return zarin_test::ReadWholeFile(home.File("errors.txt")); }
  bool Start(const std::vector<std::string>& args) { return program.Start(args, env, home.File("errors.txt")); }
  template <typename Pred>
  std::string Until(Pred pred, double seconds = 15) {
    return DumpUntil(program, dumpFile, pred, seconds);
  }
  XServer x;
  zarin_test::TempFolder home;
  std::string dumpFile = home.File("state.txt");
  std::map<std::string, std::string> env;
  Program program;
};

constexpr int kTrackWindowKind = 5, kSongListKind = 2;
constexpr int kRowHeight = 16, kSongListTop = 44, kTrackListTop = 31;

// The pixels of the first rows of a window's list (empty when the window is not shown).
std::vector<uint32_t> ListRows(XServer& x, const std::string& dump, int kind, int listTop, int rows) {
  WindowLine w = WindowOfKind(dump, kind);
  if (!w.visible) return {};
  int top = w.top + listTop;
  return x.Grab(w.left, top, std::min(w.right, w.left + 200), top + rows * kRowHeight);
}

// How many pixels of a list row are not its white background.
int InkedPixels(const std::vector<uint32_t>& pixels) {
  return int(std::count_if(pixels.begin(), pixels.end(), [](uint32_t p) { return p != 0xFFFFFF; }));
}

// File > Open (Control-O) of a second MIDI file: the track window shows the new song's tracks
// at once, the song list lists both songs; Control-S saves, Control-Q quits.
TEST_F(FirstContact, OpenShowsTheNewSongAndTheControlKeyIsTheCommandKey) {
  std::string saved = home.File("Two Songs");
  env["ZARIN_NAV_REPLY"] = zarin_test::FixturePath("smf/tempo_track_notes.mid") + ";" + saved;
  ASSERT_TRUE(Start({zarin_test::FixturePath("smf/format2.mid")}));
  ASSERT_TRUE(x.FindProgramWindow(kScreenWidth, kScreenHeight));
  x.Chord({"Control_L"}, "2");  // Window > Song List
  std::string dump = Until([](const std::string& d) { return WindowOfKind(d, kSongListKind).visible; });
  ASSERT_TRUE(HasLine(dump, "track", "Pattern")) << dump << Errors();
  std::vector<uint32_t> songsBefore = ListRows(x, dump, kSongListKind, kSongListTop, 2);
  ASSERT_FALSE(songsBefore.empty()) << dump;
  std::vector<uint32_t> tracksBefore = ListRows(x, dump, kTrackWindowKind, kTrackListTop, 2);
  EXPECT_GT(InkedPixels(tracksBefore), 0) << "the track window lists the first song's tracks";

  x.Chord({"Control_L"}, "o");
  x.Chord({}, "d");  // the imported song is not saved
  dump = Until([](const std::string& d) { return HasLine(d, "track", "Bass"); });
  ASSERT_TRUE(HasLine(dump, "track", "Bass")) << dump << Errors();
  EXPECT_EQ(DumpLines(dump, "songs"), std::vector<std::string>{"2"});
  usleep(500000);  // the next update
  EXPECT_NE(ListRows(x, dump, kTrackWindowKind, kTrackListTop, 2), tracksBefore) << "the new song's tracks show";
  x.Chord({"Control_L"}, "2");
  dump = Until([](const std::string& d) { return WindowOfKind(d, kSongListKind).visible; });
  usleep(500000);
  std::vector<uint32_t> songsAfter = ListRows(x, dump, kSongListKind, kSongListTop, 2);
  ASSERT_EQ(songsAfter.size(), songsBefore.size()) << dump;
  size_t half = songsAfter.size() / 2;
  EXPECT_GT(InkedPixels({songsAfter.begin(), songsAfter.begin() + long(half)}), 0) << "the first song is listed";
  EXPECT_NE(std::vector<uint32_t>(songsAfter.begin() + long(half), songsAfter.end()),
            std::vector<uint32_t>(songsBefore.begin() + long(half), songsBefore.end()))
      << "the second slot now lists the new song";

  x.Chord({"Control_L"}, "s");
  dump = Until([](const std::string& d) { return HasLine(d, "document", "Two Songs"); });
  EXPECT_FALSE(zarin_test::ReadWholeFile(saved).empty()) << dump;
  x.Chord({"Control_L"}, "q");
  EXPECT_EQ(program.Wait(20), 0) << Errors();
}

// In a text field Control-A selects all: what is typed next replaces it. The open dialog's
// field then names the file to open.
TEST_F(FirstContact, ControlASelectsAllInATextField) {
  mkdir(home.File("docs").c_str(), 0755);
  zarin_test::WriteWholeFile(home.File("docs/tune.mid"),
                             zarin_test::ReadWholeFile(zarin_test::FixturePath("smf/tempo_track_notes.mid")));
  env["HOME"] = home.File("docs");
  ASSERT_TRUE(Start({}));
  ASSERT_TRUE(x.FindProgramWindow(kScreenWidth, kScreenHeight));
  x.Chord({"Control_L"}, "o");
  for (const char* key : {"x", "y", "z"}) x.Chord({}, key);
  x.Chord({"Control_L"}, "a");
  for (const char* key : {"t", "u", "n", "e", "period", "m", "i", "d"}) x.Chord({}, key);
  x.Chord({}, "Return");
  std::string dump = Until([](const std::string& d) { return HasLine(d, "track", "Bass"); });
  EXPECT_TRUE(HasLine(dump, "track", "Bass")) << dump << Errors();
  program.Terminate();
}

// Without a size asked for, the program's screen is the default cut to what the desktop (the
// X server's 1280 x 800 screen) leaves for a window with its frame.
TEST_F(FirstContact, TheProgramWindowFitsTheDesktop) {
  env.erase("ZARIN_SCREEN");
  ASSERT_TRUE(Start({}));
  std::string dump = Until([](const std::string& d) { return !DumpLines(d, "screen").empty(); });
  std::istringstream in(DumpLines(dump, "screen").empty() ? "" : DumpLines(dump, "screen")[0]);
  int width = 0, height = 0;
  ASSERT_TRUE(in >> width >> height) << dump;
  EXPECT_LT(width, 1280);
  EXPECT_LT(height, 800);
  EXPECT_GE(height, 700);
  program.Terminate();
}

// The program's window made smaller and then larger, as a user drags its corner: the screen
// follows, and every window stays on it (cut to it when larger).
TEST_F(FirstContact, ResizingTheProgramWindowKeepsEveryWindowOnTheScreen) {
  ASSERT_TRUE(Start({zarin_test::FixturePath("smf/format2.mid")}));
  ASSERT_TRUE(x.FindProgramWindow(kScreenWidth, kScreenHeight));
  x.Chord({"Control_L"}, "2");  // the song list too
  std::string dump = Until([](const std::string& d) { return WindowOfKind(d, kSongListKind).visible; });
  ASSERT_EQ(DumpLines(dump, "screen"), std::vector<std::string>{"1024 700"}) << dump;
  const struct {
    int width, height;
  } sizes[] = {{640, 420}, {1100, 760}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(size.width);
    std::string expect = std::to_string(size.width) + " " + std::to_string(size.height);
    x.ResizeProgramWindow(size.width, size.height);
    dump = Until([&](const std::string& d) { return DumpLines(d, "screen") == std::vector<std::string>{expect}; }, 5);
    ASSERT_EQ(DumpLines(dump, "screen"), std::vector<std::string>{expect}) << dump;
    int visible = 0;
    for (const WindowLine& w : Windows(dump)) {
      if (!w.visible) continue;
      ++visible;
      EXPECT_GE(w.left, 0) << w.kind;
      EXPECT_GE(w.top, 20) << w.kind << ": below the menu bar";
      EXPECT_LE(w.right, size.width) << w.kind;
      EXPECT_LE(w.bottom, size.height) << w.kind;
    }
    EXPECT_GE(visible, 3) << dump;
  }
  program.Terminate();
}

// Pixels dark enough for text meant to be read (grey, dimmed text is not).
int DarkPixels(const std::vector<uint32_t>& pixels) {
  return int(std::count_if(pixels.begin(), pixels.end(), [](uint32_t p) {
    return ((p >> 16) & 0xFF) < 0x50 && ((p >> 8) & 0xFF) < 0x50 && (p & 0xFF) < 0x50;
  }));
}

// The info panel at start: drawn (its picture, read-outs and texts, not a flat grey box) and
// clear of the track window.
TEST_F(FirstContact, TheInfoPanelIsDrawnAndClearOfTheTrackWindow) {
  constexpr int kInfoPanelKind = 3, kMainEditorKind = 4;
  ASSERT_TRUE(Start({}));
  ASSERT_TRUE(x.FindProgramWindow(kScreenWidth, kScreenHeight));
  std::string dump = Until([](const std::string& d) {
    return WindowOfKind(d, kInfoPanelKind).visible && WindowOfKind(d, kTrackWindowKind).visible;
  });
  WindowLine panel = WindowOfKind(dump, kInfoPanelKind);
  ASSERT_TRUE(panel.visible && WindowOfKind(dump, kTrackWindowKind).visible) << dump;
  for (int kind : {kTrackWindowKind, kMainEditorKind}) {
    WindowLine w = WindowOfKind(dump, kind);
    if (!w.visible) continue;
    EXPECT_FALSE(panel.left < w.right && w.left < panel.right && panel.top < w.bottom && w.top < panel.bottom)
        << "the panel covers window kind " << kind << ": " << dump;
  }
  std::vector<uint32_t> pixels;
  for (int tries = 0; tries < 30; ++tries, usleep(200000)) {
    pixels = x.Grab(panel.left, panel.top, panel.right, panel.bottom);
    if (std::set<uint32_t>(pixels.begin(), pixels.end()).size() > 3 && DarkPixels(pixels) > 100) break;
  }
  EXPECT_GT(std::set<uint32_t>(pixels.begin(), pixels.end()).size(), 3u) << "not one flat colour";
  EXPECT_GT(DarkPixels(pixels), 100) << "texts and read-outs";
  program.Terminate();
}

// Zarin > About Zarin: its texts are drawn in full contrast.
TEST_F(FirstContact, TheAboutTextsCanBeRead) {
  ASSERT_TRUE(Start({}));
  ASSERT_TRUE(x.FindProgramWindow(kScreenWidth, kScreenHeight));
  std::string dump = Until([](const std::string& d) { return !d.empty(); });
  std::vector<int> file = Rectangle(dump, "menu 428 ");
  ASSERT_EQ(file.size(), 4u) << dump;
  const int left = kScreenWidth / 2 - 180, top = kScreenHeight / 2 - 90;
  std::vector<uint32_t> before = x.Grab(left, top, left + 360, top + 150);
  int zarinX = file[0] - 25, titleY = (file[1] + file[3]) / 2;
  x.Drag(zarinX, titleY, zarinX + 40, file[3] + 10);  // the first item: About Zarin
  usleep(800000);
  std::vector<uint32_t> after = x.Grab(left, top, left + 360, top + 150);
  // Pixels that turned dark: the about window's text, whatever of the windows behind was dark.
  std::vector<uint32_t> turned;
  for (size_t k = 0; k < after.size() && k < before.size(); ++k)
    if (DarkPixels({after[k]}) && !DarkPixels({before[k]})) turned.push_back(after[k]);
  EXPECT_GT(int(turned.size()), 200) << "dark text where the about window shows";
  program.Terminate();
}

// SIGTERM with an error alert up (a document that is not there): the alert ends, the program
// quits the ordinary way and writes its preferences.
TEST_F(FirstContact, AQuitRequestWithAnAlertUpQuitsInOrder) {
  ASSERT_TRUE(Start({home.File("missing.mid")}));
  std::string dump = Until([](const std::string& d) { return HasLine(d, "alerts", "1 "); });
  ASSERT_TRUE(HasLine(dump, "alerts", "1 ")) << dump << Errors();
  program.Signal(SIGTERM);
  EXPECT_EQ(program.Wait(20), 0) << Errors();
  EXPECT_FALSE(zarin_test::ReadWholeFile(home.File("config/Zarin/Zarin 7 Preferences")).empty());
}

}  // namespace
