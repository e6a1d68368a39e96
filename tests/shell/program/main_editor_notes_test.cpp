// The real program's main editor shows the current track's notes where the time axis and the
// note rows put them. The song is a MIDI file nobody here wrote; the test reads the file
// itself, works out from the editor's state (zoom, left tick, key column, the pane's rows)
// where each note must be, and looks at the screen: the note's channel colour fills the note
// to its first and last pixel, and the pixels just outside it and everywhere no note lies are
// not that colour.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>

#include "tests/shell/program/main_editor_view.h"
#include "tests/shell/program/program_session.h"
#include "tests/test_support.h"

namespace {

using namespace program_test;

const char kSongFile[] = "/usr/share/planetblupi/music/music007.mid";
constexpr int kFewestNotesChecked = 50;
constexpr int kLongestDuration = 65535;

std::string Trimmed(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// The name the dump gives the track (song order from 1).
std::string TrackName(const std::string& dump, int track) {
  std::string prefix = std::to_string(track) + " ";
  for (const std::string& line : DumpLines(dump, "track"))
    if (line.compare(0, prefix.size(), prefix) == 0) return Trimmed(line.substr(prefix.size()));
  return "";
}

struct ExpectedNote {
  Box box;
  uint32_t colour = 0;
  int64_t tick = 0;
  int pitch = 0;
};

// What the screen must show of one track of the file.
struct Expectation {
  std::vector<ExpectedNote> notes;  // the notes whose extent is certain
  std::vector<Box> covered;         // every note's box, widened where its extent is not certain
  std::set<int> unsureRows;         // pitches with notes of uncertain extent
};

Expectation Expect(const EditorView& v, const EditorPaneView& pane, const FileTrack& track, int division) {
  Expectation e;
  for (const FileNote& n : track.notes) {
    int64_t tick = SongTickOf(n.start, division, v.ticksPerQuarter);
    int64_t duration = SongTickOf(n.end, division, v.ticksPerQuarter) - tick;
    Box box = NoteBox(v, pane, tick, std::max<int64_t>(duration, 1), n.pitch);
    if (n.ambiguous || duration <= 0 || duration > kLongestDuration) {
      e.unsureRows.insert(n.pitch);
      continue;
    }
    e.covered.push_back(box);
    e.notes.push_back(ExpectedNote{box, v.colours[n.channel & 15], tick, n.pitch});
  }
  return e;
}

// A point the check may look at: in the pane's event area, under no other window and off
// the play cursor.
struct Visible {
  Box area;
  std::vector<Box> others;  // other windows, window coordinates, with their title bars
  int cursorX = -1;
  bool operator()(int x, int y) const {
    if (!area.Holds(x, y) || std::abs(x - cursorX) <= 1) return false;
    for (const Box& b : others)
      if (b.Holds(x, y)) return false;
    return true;
  }
};

Visible VisibleArea(const std::string& dump, const EditorView& v, const EditorPaneView& pane) {
  Visible visible;
  Box area = EventArea(v, pane);
  visible.area = Box{area.left + 1, area.top + 1, area.right - 1, area.bottom - 1};
  for (const WindowLine& w : Windows(dump))
    if (w.visible && w.kind != 4)
      visible.others.push_back(Box{w.left - v.window.left - 4, w.top - v.window.top - 24, w.right - v.window.left + 4,
                                   w.bottom - v.window.top + 4});
  std::vector<std::string> transport = DumpLines(dump, "transport");
  long playing = 0, position = 0;
  if (!transport.empty()) std::istringstream(transport.front()) >> playing >> position;
  visible.cursorX = TickX(v, position);
  return visible;
}

bool IsCovered(const Expectation& e, const EditorView& v, const EditorPaneView& pane, int x, int y) {
  for (const Box& b : e.covered)
    if (b.Holds(x, y)) return true;
  for (int pitch : e.unsureRows) {
    int top = RowTop(v, pane, pitch);
    if (y >= top - 1 && y <= top + v.noteHeight) return true;
  }
  return false;
}

struct Findings {
  int notesChecked = 0, backgroundChecked = 0;
  std::vector<std::string> faults;
  void Fault(const std::string& what) {
    if (faults.size() < 12) faults.push_back(what);
    else if (faults.size() == 12) faults.push_back("...");
  }
};

std::string Where(const ExpectedNote& n, const char* part, int x, int y, uint32_t seen) {
  std::ostringstream s;
  s << "note at tick " << n.tick << " pitch " << n.pitch << ", " << part << " (" << x << "," << y << "): 0x"
    << std::hex << seen;
  return s.str();
}

// Each certain note inside the visible area: its colour at its first and last pixel, top and
// bottom row; not its colour just outside it where no other note lies.
void CheckNotes(const EditorPicture& picture, const Expectation& e, const EditorView& v, const EditorPaneView& pane,
                const Visible& visible, Findings* f) {
  for (const ExpectedNote& n : e.notes) {
    const Box& b = n.box;
    if (!visible(b.left - 1, b.top - 1) || !visible(b.right, b.bottom)) continue;
    ++f->notesChecked;
    int mid = b.top + v.noteHeight / 2, cx = (b.left + b.right - 1) / 2;
    const struct {
      const char* part;
      int x, y;
      bool inside;
    } points[] = {{"first pixel", b.left, mid, true},   {"last pixel", b.right - 1, mid, true},
                  {"top row", cx, b.top, true},         {"bottom row", cx, b.bottom - 1, true},
                  {"left of it", b.left - 1, mid, false}, {"right of its end", b.right, mid, false},
                  {"above it", cx, b.top - 1, false},   {"below it", cx, b.bottom, false}};
    for (const auto& p : points) {
      uint32_t seen = picture.At(p.x, p.y);
      if (p.inside && seen != n.colour) f->Fault(Where(n, p.part, p.x, p.y, seen) + " is not the note's colour");
      if (!p.inside && seen == n.colour && !IsCovered(e, v, pane, p.x, p.y))
        f->Fault(Where(n, p.part, p.x, p.y, seen) + " has the note's colour");
    }
  }
}

// Every fourth pixel of the area where no note lies: no note colour.
void CheckBackground(const EditorPicture& picture, const Expectation& e, const EditorView& v,
                     const EditorPaneView& pane, const Visible& visible, Findings* f) {
  std::set<uint32_t> colours;
  for (const ExpectedNote& n : e.notes) colours.insert(n.colour);
  for (int y = visible.area.top; y < visible.area.bottom; y += 4)
    for (int x = visible.area.left; x < visible.area.right; x += 4) {
      if (!visible(x, y) || IsCovered(e, v, pane, x, y) || IsCovered(e, v, pane, x - 1, y) ||
          IsCovered(e, v, pane, x + 1, y))
        continue;
      ++f->backgroundChecked;
      uint32_t seen = picture.At(x, y);
      if (colours.count(seen)) {
        std::ostringstream s;
        s << "a note's colour 0x" << std::hex << seen << std::dec << " at (" << x << "," << y << ") where no note is";
        f->Fault(s.str());
      }
    }
}

TEST(MainEditorNotes, TheCurrentTracksNotesLieWhereTheTimeAxisAndTheRowsPutThem) {
  int division = 0;
  std::vector<FileTrack> file;
  if (!ReadMidiFileNotes(kSongFile, &division, &file)) GTEST_SKIP() << kSongFile << " (planetblupi-music-midi) is missing";
  XServer x;
  std::string why;
  if (!x.Start(&why)) GTEST_SKIP() << why;
  zarin_test::TempFolder home;
  std::string dumpFile = home.File("state.txt"), errors = home.File("errors.txt");
  Program program;
  ASSERT_TRUE(program.Start({kSongFile}, SessionEnvironment(x, home, dumpFile), errors));
  ASSERT_TRUE(x.FindProgramWindow(kScreenWidth, kScreenHeight));
  EditorView v = WaitForDrawnView(x, program, dumpFile);
  ASSERT_TRUE(v.valid) << "the editor shows no notes where the dump puts them\n"
                       << program.Dump(dumpFile) << zarin_test::ReadWholeFile(errors);
  std::string dump = program.Dump(dumpFile);
  const EditorPaneView& pane = v.panes.front();
  ASSERT_EQ(0, pane.viewMode) << "the pane shows note rows";

  // The pane's track, found in the file by its name (the file's first chunk is its conductor).
  std::string name = TrackName(dump, pane.track);
  auto chunk = std::find_if(file.begin(), file.end(), [&](const FileTrack& t) { return Trimmed(t.name) == name; });
  ASSERT_NE(chunk, file.end()) << "no track named \"" << name << "\" in the file\n" << dump;
  Expectation expected = Expect(v, pane, *chunk, division);
  Visible visible = VisibleArea(dump, v, pane);

  // The editor draws at its next update: looked at again until it shows what it must.
  Findings f;
  for (double waited = 0; waited < 15; waited += 0.5) {
    f = Findings();
    EditorPicture picture(x, v);
    ASSERT_FALSE(picture.empty());
    CheckNotes(picture, expected, v, pane, visible, &f);
    CheckBackground(picture, expected, v, pane, visible, &f);
    if (f.faults.empty()) break;
    usleep(500000);
  }
  EXPECT_GE(f.notesChecked, kFewestNotesChecked) << dump;
  EXPECT_GT(f.backgroundChecked, 1000);
  std::string faults;
  for (const std::string& s : f.faults) faults += s + "\n";
  EXPECT_TRUE(f.faults.empty()) << f.notesChecked << " notes checked (zoom " << v.zoom << ", left tick "
                                << v.leftTick << ", origin " << v.originX << ")\n" << faults;

  // Left of the rows the keyboard: a black key on every black-key row, none on the others.
  const uint32_t kBlackKey = 0x202428;
  EditorPicture picture(x, v);
  int keyX = v.originX - 24, keysChecked = 0;
  std::string keyFaults;
  for (int p = 1; p <= 127; ++p) {
    int y = (RowTop(v, pane, p) + RowTop(v, pane, p - 1)) / 2;
    if (y < pane.top + 2 || y >= pane.bottom - 2) continue;
    ++keysChecked;
    bool black = (0x54A >> (p % 12)) & 1;  // C#, D#, F#, G#, A#
    if ((picture.At(keyX, y) == kBlackKey) != black)
      keyFaults += "pitch " + std::to_string(p) + " at y " + std::to_string(y) + "\n";
  }
  EXPECT_GE(keysChecked, 12) << dump;
  EXPECT_TRUE(keyFaults.empty()) << "the keyboard column does not match the rows:\n" << keyFaults;
  program.Terminate();
}

}  // namespace
