// Quantize in the real program: a song of notes played off the beat, Select All, Transform >
// Quantize… with the mouse, the dialog confirmed with Return at its first grid (eighth notes),
// and the saved document holds every note start on the nearest eighth with the pitches,
// velocities and durations it had.
#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "tests/shell/program/main_editor_view.h"
#include "tests/shell/program/program_session.h"
#include "tests/shell/program/saved_notes.h"
#include "tests/test_support.h"

namespace {

using namespace program_test;

struct Played {
  int delta;  // file ticks (480 a quarter) after the previous note's end
  int pitch;
};

// A format-0 file: each note 100 ticks long, velocity 90, after its delta.
std::string WritePlayedNotes(const std::string& path, const std::vector<Played>& notes) {
  std::string track;
  auto variable = [](int v) {
    std::string bytes(1, char(v & 0x7F));
    while (v >>= 7) bytes.insert(bytes.begin(), char(0x80 | (v & 0x7F)));
    return bytes;
  };
  for (const Played& n : notes) {
    track += variable(n.delta) + std::string{char(0x90), char(n.pitch), char(90)};
    track += variable(100) + std::string{char(0x80), char(n.pitch), 0};
  }
  track += std::string{0, char(0xFF), 0x2F, 0};
  std::string file = std::string("MThd") + std::string{0, 0, 0, 6, 0, 0, 0, 1, 0x01, char(0xE0)} +
                     "MTrk" + std::string{0, 0, 0, char(track.size())} + track;
  zarin_test::WriteWholeFile(path, file);
  return path;
}

TEST(QuantizeDialog, ConfirmedQuantizePutsTheSavedNotesOnTheGrid) {
  XServer x;
  std::string why;
  if (!x.Start(&why)) GTEST_SKIP() << why;
  zarin_test::TempFolder home;
  std::string dumpFile = home.File("state.txt"), document = home.File("Tight Song"),
              errors = home.File("errors.txt");
  std::map<std::string, std::string> env = SessionEnvironment(x, home, dumpFile);
  env["ZARIN_NAV_REPLY"] = document;
  // Starts at file ticks 30, 410, 700, 1130, 1450: off the eighths by 30, 70, 20, 70, 10.
  const std::vector<Played> played{{30, 60}, {280, 62}, {190, 64}, {330, 65}, {220, 67}};
  Program program;
  ASSERT_TRUE(program.Start({WritePlayedNotes(home.File("played.mid"), played)}, env, errors));
  std::string dump = DumpUntil(program, dumpFile, [](const std::string& d) {
    EditorView v = ParseEditorView(d);
    return v.valid && v.shown.size() == 5;
  });
  EditorView view = ParseEditorView(dump);
  ASSERT_EQ(5u, view.shown.size()) << zarin_test::ReadWholeFile(errors);
  ASSERT_TRUE(x.FindProgramWindow(kScreenWidth, kScreenHeight));
  int titleX = (view.window.left + view.window.right) / 2, titleY = view.window.top - 6;
  x.Drag(titleX, titleY, titleX, titleY);

  x.Chord({"Control_L"}, "s");
  dump = DumpUntil(program, dumpFile, [](const std::string& d) { return HasLine(d, "document", "Tight Song"); });
  ASSERT_TRUE(HasLine(dump, "document", "Tight Song")) << dump << zarin_test::ReadWholeFile(errors);
  const std::multiset<NoteKey> before = DocumentNotes(document);
  ASSERT_EQ(5u, before.size());

  x.Chord({"Control_L"}, "a");
  dump = DumpUntil(program, dumpFile, [](const std::string& d) {
    EditorView v = ParseEditorView(d);
    return v.valid && v.selectionEnd > v.selectionStart;
  });
  view = ParseEditorView(dump);
  ASSERT_GT(view.selectionEnd, view.selectionStart) << "Select All selects no time\n" << dump;
  std::vector<int> title = Rectangle(dump, "menu 430 "), item = Rectangle(dump, "item 430 1 ");
  ASSERT_EQ(4u, title.size()) << dump;
  ASSERT_EQ(4u, item.size()) << dump;
  x.Drag((title[0] + title[2]) / 2, (title[1] + title[3]) / 2, (item[0] + item[2]) / 2,
         (item[1] + item[3]) / 2);
  dump = DumpUntil(program, dumpFile, [](const std::string& d) { return HasLine(d, "nibdialog", "Quantize"); });
  ASSERT_TRUE(HasLine(dump, "nibdialog", "Quantize")) << "no quantize dialog\n" << dump;
  x.Chord({}, "Return");
  dump = DumpUntil(program, dumpFile, [](const std::string& d) { return HasLine(d, "modified", "1"); });
  ASSERT_TRUE(HasLine(dump, "modified", "1")) << "the quantize changed nothing\n" << dump
                                               << zarin_test::ReadWholeFile(errors);
  x.Chord({"Control_L"}, "s");
  dump = DumpUntil(program, dumpFile, [](const std::string& d) { return HasLine(d, "modified", "0"); });
  ASSERT_TRUE(HasLine(dump, "modified", "0")) << dump;

  const long eighth = view.ticksPerQuarter / 2;
  ASSERT_GT(eighth, 0);
  std::multiset<NoteKey> expected;
  for (NoteKey n : before) {
    long offset = std::get<0>(n) - 1;
    std::get<0>(n) = 1 + (offset + eighth / 2) / eighth * eighth;
    expected.insert(n);
  }
  EXPECT_EQ(expected, DocumentNotes(document)) << dump;
  x.Chord({"Control_L"}, "q");
  EXPECT_EQ(program.Wait(20), 0) << zarin_test::ReadWholeFile(errors);
}

}  // namespace
