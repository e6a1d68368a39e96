// The zarin program end to end on a private X server: started with a MIDI file, it lists
// the file's tracks; a window moved by its title bar; File > Open answered through
// ZARIN_NAV_REPLY imports a second file into a new song; File > Save of the untitled song
// asks for a place and writes a document, File > Save As (by the mouse) a copy; Command-Q
// ends it. Started again with that
// document, it shows the document's tracks and the window where it was left.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <sstream>

#include "tests/shell/program/program_session.h"
#include "tests/test_support.h"

namespace {

using namespace program_test;

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 700;

struct WindowLine {
  int kind = -1;
  int visible = 0;
  int left = 0, top = 0, right = 0, bottom = 0;
};

std::vector<WindowLine> Windows(const std::string& dump) {
  std::vector<WindowLine> out;
  for (const std::string& line : DumpLines(dump, "window")) {
    WindowLine w;
    std::istringstream in(line);
    if (in >> w.kind >> w.visible >> w.left >> w.top >> w.right >> w.bottom) out.push_back(w);
  }
  return out;
}

WindowLine WindowOfKind(const std::string& dump, int kind) {
  for (const WindowLine& w : Windows(dump))
    if (w.kind == kind) return w;
  return WindowLine();
}

// The four numbers after the start of the dump's line that begins so (empty when none).
std::vector<int> Rectangle(const std::string& dump, const std::string& start) {
  size_t at = dump.find("\n" + start);
  std::vector<int> numbers(4);
  if (at == std::string::npos) return {};
  std::istringstream in(dump.substr(at + 1 + start.size()));
  for (int& n : numbers)
    if (!(in >> n)) return {};
  return numbers;
}

bool HasLine(const std::string& dump, const std::string& word, const std::string& text) {
  for (const std::string& line : DumpLines(dump, word))
    if (line.find(text) != std::string::npos) return true;
  return false;
}

// The program on the X server with its own settings folders, a screen of the size above and
// the state dump.
std::map<std::string, std::string> SessionEnvironment(const XServer& x, const zarin_test::TempFolder& home,
                                                      const std::string& dumpFile) {
  return {{"DISPLAY", x.name()},
          {"XDG_CONFIG_HOME", home.File("config")},
          {"XDG_DATA_HOME", home.File("data")},
          {"ZARIN_STATE_DUMP", dumpFile},
          {"ZARIN_SCREEN", std::to_string(kScreenWidth) + "x" + std::to_string(kScreenHeight)}};
}

TEST(ProgramSession, OpensSavesQuitsAndComesBackWithItsDocumentAndLayout) {
  XServer x;
  std::string why;
  if (!x.Start(&why)) GTEST_SKIP() << why;
  zarin_test::TempFolder home;
  std::string dumpFile = home.File("state.txt");
  std::string saved = home.File("Saved Song");
  std::map<std::string, std::string> env = SessionEnvironment(x, home, dumpFile);
  std::string copy = home.File("Copy Song");
  env["ZARIN_NAV_REPLY"] = zarin_test::FixturePath("smf/tempo_track_notes.mid") + ";" + saved + ";" + copy;

  Program first;
  ASSERT_TRUE(first.Start({zarin_test::FixturePath("smf/format2.mid")}, env, home.File("errors1.txt")));
  std::string dump = DumpUntil(first, dumpFile, [](const std::string& d) { return HasLine(d, "track", "Pattern"); });
  ASSERT_TRUE(HasLine(dump, "track", "Pattern")) << dump << zarin_test::ReadWholeFile(home.File("errors1.txt"));
  EXPECT_EQ(DumpLines(dump, "document"), std::vector<std::string>{"-"});
  ASSERT_TRUE(x.FindProgramWindow(kScreenWidth, kScreenHeight));

  // The first visible window, moved by its title bar.
  WindowLine before;
  for (const WindowLine& w : Windows(dump))
    if (w.visible && before.kind < 0) before = w;
  ASSERT_GE(before.kind, 0) << dump;
  // Right as far as the screen allows (a window is kept on it), and down.
  int dx = std::min(60, kScreenWidth - before.right), dy = 40;
  int grabX = before.left + (before.right - before.left) * 3 / 4, grabY = before.top - 6;
  x.Drag(grabX, grabY, grabX + dx, grabY + dy);
  dump = DumpUntil(first, dumpFile, [&](const std::string& d) { return WindowOfKind(d, before.kind).top != before.top; }, 5);
  WindowLine moved = WindowOfKind(dump, before.kind);
  EXPECT_EQ(moved.left, before.left + dx) << dump;
  EXPECT_EQ(moved.top, before.top + dy) << dump;

  // File > Open: the scripted answer is imported into a new song, which becomes current.
  x.Chord({"Super_L"}, "o");
  dump = DumpUntil(first, dumpFile, [](const std::string& d) { return HasLine(d, "track", "Bass"); });
  EXPECT_TRUE(HasLine(dump, "track", "Bass")) << dump;
  EXPECT_EQ(DumpLines(dump, "songs"), std::vector<std::string>{"2"});

  // File > Save of the untitled song asks where (the second answer) and writes there.
  x.Chord({"Super_L"}, "s");
  dump = DumpUntil(first, dumpFile, [](const std::string& d) { return HasLine(d, "document", "Saved Song"); });
  EXPECT_EQ(DumpLines(dump, "document"), std::vector<std::string>{"Saved Song"}) << dump;
  std::string written = zarin_test::ReadWholeFile(saved);
  EXPECT_FALSE(written.empty());
  // Save again, now under its name: no question, the same document.
  x.Chord({"Super_L"}, "s");
  dump = DumpUntil(first, dumpFile, [](const std::string& d) { return !d.empty(); });
  EXPECT_EQ(DumpLines(dump, "document"), std::vector<std::string>{"Saved Song"}) << dump;
  EXPECT_EQ(zarin_test::ReadWholeFile(saved).size(), written.size());

  // File > Save As with the mouse: a copy under a new name; the first document stays as it was.
  std::vector<int> title = Rectangle(dump, "menu 428 "), item = Rectangle(dump, "item 428 7 ");
  ASSERT_EQ(title.size(), 4u) << dump;
  ASSERT_EQ(item.size(), 4u) << dump;
  x.Drag((title[0] + title[2]) / 2, (title[1] + title[3]) / 2, (item[0] + item[2]) / 2, (item[1] + item[3]) / 2);
  dump = DumpUntil(first, dumpFile, [](const std::string& d) { return HasLine(d, "document", "Copy Song"); });
  EXPECT_EQ(DumpLines(dump, "document"), std::vector<std::string>{"Copy Song"}) << dump;
  EXPECT_EQ(zarin_test::ReadWholeFile(copy), zarin_test::ReadWholeFile(saved));

  x.Chord({"Super_L"}, "q");
  EXPECT_EQ(first.Wait(20), 0) << zarin_test::ReadWholeFile(home.File("errors1.txt"));

  // Again, with the saved document: its track, and the window where it was left.
  env.erase("ZARIN_NAV_REPLY");
  Program second;
  ASSERT_TRUE(second.Start({saved}, env, home.File("errors2.txt")));
  dump = DumpUntil(second, dumpFile, [](const std::string& d) { return HasLine(d, "track", "Bass"); });
  EXPECT_TRUE(HasLine(dump, "track", "Bass")) << dump << zarin_test::ReadWholeFile(home.File("errors2.txt"));
  EXPECT_EQ(DumpLines(dump, "document"), std::vector<std::string>{"Saved Song"});
  WindowLine restored = WindowOfKind(dump, before.kind);
  EXPECT_EQ(std::vector<int>({restored.left, restored.top, restored.right, restored.bottom}),
            std::vector<int>({moved.left, moved.top, moved.right, moved.bottom}))
      << dump;
  second.Terminate();
}

// MIDI start-up makes the sync outputs the MIDI clock output; without a document the clock is
// internal at 30 frames a second.
TEST(ProgramSession, MidiStartUpSendsTheClockToTheSyncOutputs) {
  XServer x;
  std::string why;
  if (!x.Start(&why)) GTEST_SKIP() << why;
  zarin_test::TempFolder home;
  std::string dumpFile = home.File("state.txt");
  Program program;
  ASSERT_TRUE(program.Start({}, SessionEnvironment(x, home, dumpFile), home.File("errors.txt")));
  std::string dump = DumpUntil(program, dumpFile, [](const std::string& d) { return !DumpLines(d, "sync").empty(); });
  EXPECT_EQ(DumpLines(dump, "sync"), std::vector<std::string>{"0 sync-outputs 3"})
      << dump << zarin_test::ReadWholeFile(home.File("errors.txt"));
  program.Terminate();
}

// File > Open with the dialog on the screen: it starts in the program's working folder,
// the arrows choose, Return opens; Escape cancels and changes nothing.
TEST(ProgramSession, TheOpenDialogOnTheScreen) {
  XServer x;
  std::string why;
  if (!x.Start(&why)) GTEST_SKIP() << why;
  zarin_test::TempFolder home;
  mkdir(home.File("docs").c_str(), 0755);
  mkdir(home.File("docs/sub").c_str(), 0755);
  zarin_test::WriteWholeFile(home.File("docs/notes.txt"), "not a song");
  zarin_test::WriteWholeFile(home.File("docs/tune.mid"),
                             zarin_test::ReadWholeFile(zarin_test::FixturePath("smf/tempo_track_notes.mid")));
  std::string dumpFile = home.File("state.txt");
  std::map<std::string, std::string> env = SessionEnvironment(x, home, dumpFile);
  Program program;
  ASSERT_TRUE(program.Start({}, env, home.File("errors.txt"), home.File("docs")));
  ASSERT_TRUE(x.FindProgramWindow(kScreenWidth, kScreenHeight));

  x.Chord({"Super_L"}, "o");
  x.Chord({}, "Escape");
  std::string dump = DumpUntil(program, dumpFile, [](const std::string& d) { return !d.empty(); });
  EXPECT_FALSE(HasLine(dump, "track", "Bass")) << dump;
  EXPECT_EQ(DumpLines(dump, "songs"), std::vector<std::string>{"1"});

  // sub/ and tune.mid are listed (notes.txt is not): the second row is the MIDI file.
  x.Chord({"Super_L"}, "o");
  x.Chord({}, "Down");
  x.Chord({}, "Down");
  x.Chord({}, "Return");
  dump = DumpUntil(program, dumpFile, [](const std::string& d) { return HasLine(d, "track", "Bass"); });
  EXPECT_TRUE(HasLine(dump, "track", "Bass")) << dump << zarin_test::ReadWholeFile(home.File("errors.txt"));

  x.Chord({"Super_L"}, "q");
  EXPECT_EQ(program.Wait(20), 0);
}

}  // namespace
