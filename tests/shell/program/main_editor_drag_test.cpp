// A note dragged in the real program's main editor: a click selects the note, a drag moves
// it up two rows and right by one grid step, the saved document holds exactly that change,
// and after Undo the document saves again byte for byte as it was before the drag.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <tuple>

#include "tests/shell/program/program_session.h"
#include "tests/shell/program/saved_notes.h"
#include "tests/test_support.h"

namespace {

using namespace program_test;

struct DumpNote {
  NoteKey key;
  int selected = 0;
  int left = 0, top = 0, right = 0, bottom = 0;
};

std::vector<DumpNote> DumpNotes(const std::string& dump) {
  std::vector<DumpNote> notes;
  for (const std::string& line : DumpLines(dump, "note")) {
    std::istringstream in(line);
    DumpNote n;
    long tick = 0;
    int pitch = 0, velocity = 0, duration = 0;
    if (in >> tick >> pitch >> velocity >> duration >> n.selected >> n.left >> n.top >> n.right >> n.bottom) {
      n.key = NoteKey{tick, pitch, velocity, duration};
      notes.push_back(n);
    }
  }
  return notes;
}

const DumpNote* NoteOfPitch(const std::vector<DumpNote>& notes, int pitch) {
  for (const DumpNote& n : notes)
    if (std::get<1>(n.key) == pitch) return &n;
  return nullptr;
}

// Four quarter notes on beats 1 to 4, pitches 60, 64, 62, 66, a ramp of velocities.
std::string WriteFourNotes(const std::string& path) { return WriteQuarterNotes(path, {60, 64, 62, 66}, {70, 80, 90, 100}); }

TEST(MainEditorDrag, ADraggedNoteIsSavedMovedAndUndoSavesTheDocumentAsBefore) {
  XServer x;
  std::string why;
  if (!x.Start(&why)) GTEST_SKIP() << why;
  zarin_test::TempFolder home;
  std::string dumpFile = home.File("state.txt"), document = home.File("Drag Song"), errors = home.File("errors.txt");
  std::map<std::string, std::string> env = SessionEnvironment(x, home, dumpFile);
  env["ZARIN_NAV_REPLY"] = document;
  Program program;
  ASSERT_TRUE(program.Start({WriteFourNotes(home.File("four.mid"))}, env, errors));
  std::string dump = DumpUntil(program, dumpFile, [](const std::string& d) { return DumpNotes(d).size() == 4; });
  std::vector<DumpNote> notes = DumpNotes(dump);
  ASSERT_EQ(4u, notes.size()) << dump << zarin_test::ReadWholeFile(errors);
  WindowLine editor = WindowOfKind(dump, 4);
  ASSERT_EQ(1, editor.visible) << dump;
  ASSERT_TRUE(x.FindProgramWindow(kScreenWidth, kScreenHeight));
  int titleX = (editor.left + editor.right) / 2, titleY = editor.top - 6;
  x.Drag(titleX, titleY, titleX, titleY);

  // The untitled song gets its document (the save dialog is answered at once).
  x.Chord({"Control_L"}, "s");
  dump = DumpUntil(program, dumpFile, [](const std::string& d) { return HasLine(d, "document", "Drag Song"); });
  ASSERT_TRUE(HasLine(dump, "document", "Drag Song")) << dump << zarin_test::ReadWholeFile(errors);

  // A click on the note of pitch 64 selects it (where the window shows the notes now).
  notes = DumpNotes(dump);
  ASSERT_EQ(4u, notes.size()) << dump;
  const DumpNote* clicked = NoteOfPitch(notes, 64);
  const DumpNote* nextBeat = NoteOfPitch(notes, 62);  // one quarter (the grid) later
  const DumpNote* twoUp = NoteOfPitch(notes, 66);     // the row two above
  ASSERT_TRUE(clicked && nextBeat && twoUp) << dump;
  NoteKey moved = clicked->key;
  int fromX = clicked->left + 3, fromY = (clicked->top + clicked->bottom) / 2;
  x.Drag(fromX, fromY, fromX, fromY);
  dump = DumpUntil(program, dumpFile, [](const std::string& d) {
    std::vector<DumpNote> shown = DumpNotes(d);
    const DumpNote* n = NoteOfPitch(shown, 64);
    return n && n->selected == 1;
  }, 15);
  ASSERT_TRUE(NoteOfPitch(DumpNotes(dump), 64) && NoteOfPitch(DumpNotes(dump), 64)->selected) << "hilited\n" << dump;
  for (const DumpNote& n : DumpNotes(dump)) {
    if (std::get<1>(n.key) != 64) {
      EXPECT_EQ(0, n.selected) << dump;
    }
  }

  // Saved before the drag, in place.
  ASSERT_TRUE(HasLine(dump, "modified", "1")) << dump;
  x.Chord({"Control_L"}, "s");
  dump = DumpUntil(program, dumpFile, [](const std::string& d) { return HasLine(d, "modified", "0"); });
  ASSERT_TRUE(HasLine(dump, "modified", "0")) << dump;
  std::string beforeDrag = zarin_test::ReadWholeFile(document);
  ASSERT_FALSE(beforeDrag.empty());

  // Up two rows and right by one grid step.
  x.Drag(fromX, fromY, fromX + (nextBeat->left - clicked->left), (twoUp->top + twoUp->bottom) / 2);
  std::get<0>(moved) = std::get<0>(nextBeat->key);
  std::get<1>(moved) = 66;
  dump = DumpUntil(program, dumpFile, [](const std::string& d) { return !NoteOfPitch(DumpNotes(d), 64); }, 15);
  x.Chord({"Control_L"}, "s");
  dump = DumpUntil(program, dumpFile, [](const std::string& d) { return HasLine(d, "modified", "0"); });
  ASSERT_TRUE(HasLine(dump, "modified", "0")) << dump;

  std::multiset<NoteKey> expected;
  for (const DumpNote& n : notes)
    if (std::get<1>(n.key) != 64) expected.insert(n.key);
  expected.insert(moved);
  EXPECT_EQ(expected, DocumentNotes(document)) << dump;

  // Undo, and the document saves as it was before the drag.
  x.Chord({"Control_L"}, "z");
  dump = DumpUntil(program, dumpFile, [](const std::string& d) { return NoteOfPitch(DumpNotes(d), 64) != nullptr; }, 15);
  ASSERT_TRUE(NoteOfPitch(DumpNotes(dump), 64)) << dump;
  x.Chord({"Control_L"}, "s");
  dump = DumpUntil(program, dumpFile, [](const std::string& d) { return HasLine(d, "modified", "0"); });
  usleep(300000);
  EXPECT_TRUE(zarin_test::ReadWholeFile(document) == beforeDrag) << "the undone document differs\n" << dump;
  x.Chord({"Control_L"}, "q");
  EXPECT_EQ(program.Wait(20), 0) << zarin_test::ReadWholeFile(errors);
}

}  // namespace
