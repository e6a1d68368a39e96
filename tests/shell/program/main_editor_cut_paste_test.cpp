// Moving notes with Cut and Paste in the real program's main editor: the rubber band selects
// two notes and the time they lie in, Ctrl-X cuts them into the clipboard, a click in the
// ruler further on selects another beat, Ctrl-V pastes there over the clipboard's length, and the saved document holds the cut
// notes at their new place, the notes they replaced gone and every other note untouched.
#include <gtest/gtest.h>

#include <unistd.h>

#include <set>
#include <tuple>

#include "tests/shell/program/main_editor_view.h"
#include "tests/shell/program/program_session.h"
#include "tests/shell/program/saved_notes.h"
#include "tests/test_support.h"

namespace {

using namespace program_test;

constexpr int kNotes = 8;

// Eight quarter notes rising from 60, one a beat, their velocities a ramp.
std::string WriteEightNotes(const std::string& path) {
  return WriteQuarterNotes(path, {60, 61, 62, 63, 64, 65, 66, 67}, {40, 50, 60, 70, 80, 90, 100, 110});
}

constexpr int kRubberBandTool = 3;
constexpr int kToolCell = 26;    // the tool bar's bottom row: the arrow, the pencil, the band
constexpr int kToolTopRow = 14;

// A press and release at a point of the editor window.
void Click(XServer& x, const EditorView& v, int h, int y) {
  x.Drag(v.window.left + h, v.window.top + y, v.window.left + h, v.window.top + y);
}

bool ShowsPitch(const EditorView& v, int pitch) {
  for (const ShownNote& n : v.shown)
    if (n.pitch == pitch) return true;
  return false;
}

TEST(MainEditorCutPaste, NotesCutAndPastedFurtherOnAreSavedAtTheirNewPlace) {
  XServer x;
  std::string why;
  if (!x.Start(&why)) GTEST_SKIP() << why;
  zarin_test::TempFolder home;
  std::string dumpFile = home.File("state.txt"), document = home.File("Moved Song"), errors = home.File("errors.txt");
  std::map<std::string, std::string> env = SessionEnvironment(x, home, dumpFile);
  env["ZARIN_NAV_REPLY"] = document;
  Program program;
  ASSERT_TRUE(program.Start({WriteEightNotes(home.File("eight.mid"))}, env, errors));
  auto viewUntil = [&](auto pred, double seconds = 15) {
    std::string d = DumpUntil(program, dumpFile, [&](const std::string& s) {
      EditorView v = ParseEditorView(s);
      return v.valid && pred(v);
    }, seconds);
    return ParseEditorView(d);
  };
  EditorView view = viewUntil([](const EditorView& v) { return v.shown.size() == kNotes; });
  ASSERT_EQ(size_t(kNotes), view.shown.size()) << zarin_test::ReadWholeFile(errors);
  ASSERT_TRUE(x.FindProgramWindow(kScreenWidth, kScreenHeight));
  int titleX = (view.window.left + view.window.right) / 2, titleY = view.window.top - 6;
  x.Drag(titleX, titleY, titleX, titleY);
  view = WaitForDrawnView(x, program, dumpFile);
  ASSERT_TRUE(view.valid) << "the editor shows no notes where the dump puts them";

  // The untitled song gets its document (the save dialog is answered at once).
  x.Chord({"Control_L"}, "s");
  std::string dump = DumpUntil(program, dumpFile, [](const std::string& d) { return HasLine(d, "document", "Moved Song"); });
  ASSERT_TRUE(HasLine(dump, "document", "Moved Song")) << dump << zarin_test::ReadWholeFile(errors);
  std::multiset<NoteKey> before = DocumentNotes(document);
  ASSERT_EQ(size_t(kNotes), before.size());

  // The rubber band (the tool bar's third cell) over beats 2 and 3, across the rows 61 to 63,
  // selects the notes 61 and 62 and the time they lie in; it starts on empty grid.
  const int kQuarter = view.ticksPerQuarter;
  ASSERT_GT(kQuarter, 0);
  ASSERT_GT(view.ruler.bottom, view.ruler.top) << "the ruler";
  const EditorPaneView pane = view.panes.front();
  Click(x, view, view.toolbarLeft + 2 * kToolCell + kToolCell / 2, view.toolbarTop + kToolTopRow + 10);
  view = viewUntil([](const EditorView& v) { return v.tool == kRubberBandTool; });
  ASSERT_EQ(kRubberBandTool, view.tool);
  int bandLeft = TickX(view, 1 + kQuarter - kQuarter / 4), bandRight = TickX(view, 1 + 3 * kQuarter - kQuarter / 4);
  int bandTop = RowTop(view, pane, 63) + 1, bandBottom = RowTop(view, pane, 61) + 1;
  x.Drag(view.window.left + bandLeft, view.window.top + bandTop, view.window.left + bandRight,
         view.window.top + bandBottom);
  view = viewUntil([](const EditorView& v) { return v.selectedCount == 2; });
  ASSERT_EQ(2, view.selectedCount) << zarin_test::ReadWholeFile(errors);
  const int64_t cutStart = view.selectionStart, cutEnd = view.selectionEnd;
  ASSERT_LE(cutStart, 1 + kQuarter);
  ASSERT_GT(cutEnd, 1 + 2 * kQuarter);
  ASSERT_LE(cutEnd, 1 + 3 * kQuarter);

  x.Chord({"Control_L"}, "x");
  view = viewUntil([](const EditorView& v) { return !ShowsPitch(v, 61) && !ShowsPitch(v, 62); });
  ASSERT_FALSE(ShowsPitch(view, 61) || ShowsPitch(view, 62)) << "Cut left the notes\n" << program.Dump(dumpFile);
  EXPECT_TRUE(HasLine(program.Dump(dumpFile), "clipboard", "1")) << "the clipboard holds no tracks\n"
                                                                  << program.Dump(dumpFile);
  EXPECT_EQ(size_t(kNotes - 2), view.shown.size());

  // A click in the ruler on beat 6 selects that beat; the paste goes there, over the cut's
  // length.
  const int64_t pasteAt = 1 + 5 * kQuarter;
  int pasteX = TickX(view, pasteAt + kQuarter / 3);
  ASSERT_LT(pasteX, view.ruler.right) << "beat 6 lies outside the ruler";
  Click(x, view, pasteX, (view.ruler.top + view.ruler.bottom) / 2);
  view = viewUntil([&](const EditorView& v) { return v.selectionStart == pasteAt; });
  ASSERT_EQ(pasteAt, view.selectionStart);
  x.Chord({"Control_L"}, "v");
  view = viewUntil([](const EditorView& v) { return ShowsPitch(v, 61) && ShowsPitch(v, 62); });
  ASSERT_TRUE(ShowsPitch(view, 61) && ShowsPitch(view, 62)) << "Paste brought nothing back\n"
                                                           << program.Dump(dumpFile) << zarin_test::ReadWholeFile(errors);

  x.Chord({"Control_L"}, "s");
  dump = DumpUntil(program, dumpFile, [](const std::string& d) { return HasLine(d, "modified", "0"); });
  ASSERT_TRUE(HasLine(dump, "modified", "0")) << dump;
  std::multiset<NoteKey> expected;
  for (NoteKey n : before) {
    long tick = std::get<0>(n);
    if (tick >= pasteAt && tick < pasteAt + (cutEnd - cutStart)) continue;  // replaced by the paste
    if (tick >= cutStart && tick < cutEnd) std::get<0>(n) = tick - cutStart + pasteAt;
    expected.insert(n);
  }
  EXPECT_EQ(expected, DocumentNotes(document)) << dump;
  x.Chord({"Control_L"}, "q");
  EXPECT_EQ(program.Wait(20), 0) << zarin_test::ReadWholeFile(errors);
}

}  // namespace
