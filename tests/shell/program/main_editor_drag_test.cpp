// A note dragged in the real program's main editor: a click selects the note, a drag moves
// it up two rows and right by one grid step, the saved document holds exactly that change,
// and after Undo the document saves again byte for byte as it was before the drag.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <tuple>

#include "platform/files/file_locations.h"
#include "platform/memory/memory.h"
#include "song/documents/document_open.h"
#include "song/events/seq_event.h"
#include "song/model/song_database.h"
#include "song/model/songs.h"
#include "song/model/utility_track_access.h"
#include "tests/shell/program/program_session.h"
#include "tests/test_support.h"

namespace {

using namespace program_test;

// tick, pitch, velocity, duration
using NoteKey = std::tuple<long, int, int, int>;

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

// A format-0 file at 480 ticks a quarter, 4/4: four quarter notes on one track, a ramp of
// velocities, the pitches 60, 64, 62, 66 on beats 1 to 4.
std::string WriteFourNotes(const std::string& path) {
  std::string track;
  const int pitches[4] = {60, 64, 62, 66};
  for (int i = 0; i < 4; ++i) {
    track += std::string{0, char(0x90), char(pitches[i]), char(70 + 10 * i)};
    track += std::string{char(0x83), char(0x60), char(0x80), char(pitches[i]), 0};  // 480 later
  }
  track += std::string{0, char(0xFF), 0x2F, 0};
  std::string file = std::string("MThd") + std::string{0, 0, 0, 6, 0, 0, 0, 1, 0x01, char(0xE0)} + "MTrk" +
                     std::string{0, 0, 0, char(track.size())} + track;
  zarin_test::WriteWholeFile(path, file);
  return path;
}

// Every note of every track of the document, read back with the song reader.
std::multiset<NoteKey> DocumentNotes(const std::string& path) {
  std::multiset<NoteKey> notes;
  FSSpec location;
  PathToSpec(path, &location);
  EXPECT_EQ(noErr, OpenSongFile(&location, 0, false));
  for (int32_t t = 0; t < GetSongTrackCount(); ++t) {
    SetCurrentTrackIndex(t);
    Handle list = GetCurrentTrackEventList();
    if (!list) continue;
    auto* p = reinterpret_cast<uint8_t*>(HandleData(list));
    auto* end = p + GetHandleSize(list);
    for (; p < end && SeqEventTime(p) != 0; p += GetSeqEventLength(p))
      if (SeqEventKind(p) == kKindNote) notes.insert(NoteKey{SeqEventTime(p), p[kEventData1], p[kEventData2], GetNoteDuration(p)});
  }
  CloseSongDocument();
  ResetSongDatabase();
  return notes;
}

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
  for (const DumpNote& n : DumpNotes(dump))
    if (std::get<1>(n.key) != 64) EXPECT_EQ(0, n.selected) << dump;

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
