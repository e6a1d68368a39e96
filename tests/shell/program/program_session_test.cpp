// The zarin program end to end on a private X server: started with a MIDI file, it lists
// the file's tracks; a window moved by its title bar; File > Open answered through
// ZARIN_NAV_REPLY imports a second file into a new song; File > Save of the untitled song
// asks for a place and writes a document, File > Save As (by the mouse) a copy; Command-Q
// ends it. Started again with that
// document, it shows the document's tracks and the window where it was left. A changed song
// is asked about before New, Open and Quit (the alert answered by its keys), and a document
// whose audio file was moved keeps its reference.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/files/aliases.h"
#include "platform/files/file_locations.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/documents/document_file.h"
#include "song/documents/document_open.h"
#include "song/documents/document_writer.h"
#include "song/documents/media_references.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/songs.h"
#include "tests/shell/program/program_session.h"
#include "tests/test_support.h"

namespace {

using namespace program_test;

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

  // File > Open: the imported file is not saved, so the program asks first (Don't Save);
  // the scripted answer is imported into a new song, which becomes current.
  EXPECT_EQ(DumpLines(dump, "modified"), std::vector<std::string>{"1"});
  x.Chord({"Super_L"}, "o");
  x.Chord({}, "d");
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

// The program started without documents on its own X server, with its state dump.
class BareSession : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    if (!x_.Start(&why)) GTEST_SKIP() << why;
    dumpFile_ = home_.File("state.txt");
    ASSERT_TRUE(program_.Start({}, SessionEnvironment(x_, home_, dumpFile_), home_.File("errors.txt")));
  }
  void TearDown() override { program_.Terminate(); }
  std::string Errors() const { return zarin_test::ReadWholeFile(home_.File("errors.txt")); }

  XServer x_;
  zarin_test::TempFolder home_;
  std::string dumpFile_;
  Program program_;
};

// MIDI start-up makes the sync outputs the MIDI clock output; without a document the clock is
// internal at 30 frames a second.
TEST_F(BareSession, MidiStartUpSendsTheClockToTheSyncOutputs) {
  std::string dump = DumpUntil(program_, dumpFile_, [](const std::string& d) { return !DumpLines(d, "sync").empty(); });
  EXPECT_EQ(DumpLines(dump, "sync"), std::vector<std::string>{"0 sync-outputs 3"}) << dump << Errors();
}

struct PaneLine {
  int index = -1, top = 0, visible = 0, active = 0, value = 0, maximum = 0;
  int left = 0, barTop = 0, right = 0, bottom = 0;
};

PaneLine FirstPane(const std::string& dump) {
  PaneLine p;
  std::vector<std::string> lines = DumpLines(dump, "pane");
  if (lines.empty()) return p;
  std::istringstream in(lines.front());
  if (!(in >> p.index >> p.top >> p.visible >> p.active >> p.value >> p.maximum >> p.left >> p.barTop >> p.right >>
        p.bottom))
    p.index = -1;
  return p;
}

// The main editor comes up with its pane and the pane's scroll bar; once the editor is in
// front, the wheel over the pane moves that bar.
TEST_F(BareSession, TheMainEditorsPaneScrollsUnderTheWheel) {
  std::string dump = DumpUntil(program_, dumpFile_, [](const std::string& d) { return FirstPane(d).index == 0; });
  PaneLine pane = FirstPane(dump);
  ASSERT_EQ(0, pane.index) << dump << Errors();
  EXPECT_EQ(1, pane.visible) << dump;
  WindowLine editor = WindowOfKind(dump, 4);
  ASSERT_EQ(1, editor.visible) << dump;
  EXPECT_EQ(editor.right - 15, pane.left) << "along the editor's right edge\n" << dump;
  ASSERT_TRUE(x_.FindProgramWindow(kScreenWidth, kScreenHeight));
  // A click on the editor's title bar brings it to the front, and its pane bar on.
  int titleX = (editor.left + editor.right) / 2, titleY = editor.top - 6;
  x_.Drag(titleX, titleY, titleX, titleY);
  dump = DumpUntil(program_, dumpFile_, [](const std::string& d) { return FirstPane(d).active == 1; }, 5);
  pane = FirstPane(dump);
  ASSERT_EQ(1, pane.active) << dump;
  bool up = pane.value >= 2;  // up lowers the value
  int wanted = up ? pane.value - 2 : std::min(pane.value + 2, pane.maximum);
  x_.Wheel((pane.left + pane.right) / 2, (pane.barTop + pane.bottom) / 2, up, 2);
  dump = DumpUntil(program_, dumpFile_, [&](const std::string& d) { return FirstPane(d).value == wanted; }, 5);
  EXPECT_EQ(wanted, FirstPane(dump).value) << dump;
}

int EventBytes(const std::string& dump, int track) {
  for (const std::string& line : DumpLines(dump, "events")) {
    std::istringstream in(line);
    int number = 0, bytes = 0;
    if (in >> number >> bytes && number == track) return bytes;
  }
  return -1;
}

// In the main editor, a click on the pencil's icon of the tool bar takes the pencil; a click
// on the pane's note grid then adds one note (14 bytes) to the pane's track and marks the song
// modified, and a click on that note erases it.
TEST_F(BareSession, ThePencilOfTheMainEditorDrawsAndErasesANote) {
  std::string dump = DumpUntil(program_, dumpFile_, [](const std::string& d) { return FirstPane(d).index == 0; });
  PaneLine pane = FirstPane(dump);
  ASSERT_EQ(0, pane.index) << dump << Errors();
  WindowLine editor = WindowOfKind(dump, 4);
  ASSERT_EQ(1, editor.visible) << dump;
  ASSERT_GE(pane.top, 40) << "the tool bar lies above the panes\n" << dump;
  // A new song's track may have no event list yet: the pencil makes it (note and end record).
  int before = std::max(EventBytes(dump, 1), 14);
  ASSERT_TRUE(x_.FindProgramWindow(kScreenWidth, kScreenHeight));
  int titleX = (editor.left + editor.right) / 2, titleY = editor.top - 6;
  x_.Drag(titleX, titleY, titleX, titleY);
  // The pencil: the second cell of the tool icons' bottom row.
  x_.Drag(editor.left + 30, editor.top + 25, editor.left + 30, editor.top + 25);
  dump = DumpUntil(program_, dumpFile_, [](const std::string& d) { return !DumpLines(d, "tools").empty() && DumpLines(d, "tools").front() == "1 0"; }, 5);
  ASSERT_EQ(DumpLines(dump, "tools"), std::vector<std::string>{"1 0"}) << dump << Errors();
  // At the first zoom (8 ticks a pixel, the key column 28 pixels wide) x 220 is tick 1537,
  // a grid line of the quarter-note grid at 384 ticks a quarter: the note starts there.
  int x = editor.left + 220, y = editor.top + pane.top + 60;
  x_.Drag(x, y, x, y);
  dump = DumpUntil(program_, dumpFile_, [&](const std::string& d) { return EventBytes(d, 1) == before + 14; }, 5);
  EXPECT_EQ(before + 14, EventBytes(dump, 1)) << dump << Errors();
  EXPECT_EQ(DumpLines(dump, "modified"), std::vector<std::string>{"1"});
  usleep(800000);  // a second click, not a double-click, on the note
  x_.Drag(x + 10, y, x + 10, y);
  dump = DumpUntil(program_, dumpFile_, [&](const std::string& d) { return EventBytes(d, 1) == before; }, 5);
  EXPECT_EQ(before, EventBytes(dump, 1)) << "the note erased\n" << dump << Errors();
}

// The transport line of the dump: playing (0 or 1) and the song position.
std::pair<int, long> TransportOf(const std::string& dump) {
  std::vector<std::string> lines = DumpLines(dump, "transport");
  std::pair<int, long> t{-1, 0};
  if (!lines.empty()) std::istringstream(lines.front()) >> t.first >> t.second;
  return t;
}

// A format-0 MIDI file at 480 ticks a quarter: one note held for twenty 4/4 bars.
std::string WriteLongNoteFile(const std::string& path) {
  std::vector<uint8_t> track = {0x00, 0x90, 60, 100, 0x82, 0xAC, 0x00, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00};
  std::vector<uint8_t> bytes = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0, 'M', 'T', 'r', 'k', 0, 0, 0,
                                uint8_t(track.size())};
  bytes.insert(bytes.end(), track.begin(), track.end());
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return path;
}

// With the main editor in front, space starts playback and space stops it again.
TEST(ProgramSession, SpacePlaysAndStopsTheSong) {
  XServer x;
  std::string why;
  if (!x.Start(&why)) GTEST_SKIP() << why;
  zarin_test::TempFolder home;
  std::string dumpFile = home.File("state.txt");
  Program program;
  ASSERT_TRUE(program.Start({WriteLongNoteFile(home.File("long.mid"))}, SessionEnvironment(x, home, dumpFile),
                            home.File("errors.txt")));
  std::string errors = home.File("errors.txt");
  std::string dump = DumpUntil(program, dumpFile, [](const std::string& d) { return FirstPane(d).index == 0; });
  WindowLine editor = WindowOfKind(dump, 4);
  ASSERT_EQ(1, editor.visible) << dump << zarin_test::ReadWholeFile(errors);
  ASSERT_TRUE(x.FindProgramWindow(kScreenWidth, kScreenHeight));
  int titleX = (editor.left + editor.right) / 2, titleY = editor.top - 6;
  x.Drag(titleX, titleY, titleX, titleY);
  DumpUntil(program, dumpFile, [](const std::string& d) { return FirstPane(d).active == 1; }, 5);
  ASSERT_EQ(0, TransportOf(program.Dump(dumpFile)).first);
  x.Chord({}, "space");
  dump = DumpUntil(program, dumpFile, [](const std::string& d) { return TransportOf(d).first == 1 && TransportOf(d).second > 100; }, 10);
  ASSERT_EQ(1, TransportOf(dump).first) << dump << zarin_test::ReadWholeFile(errors);
  x.Chord({}, "space");
  dump = DumpUntil(program, dumpFile, [](const std::string& d) { return TransportOf(d).first == 0; }, 10);
  EXPECT_EQ(0, TransportOf(dump).first) << dump << zarin_test::ReadWholeFile(errors);
  program.Terminate();
}

// File > Open with the dialog on the screen: it starts in the user's home folder,
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
  env["HOME"] = home.File("docs");
  Program program;
  ASSERT_TRUE(program.Start({}, env, home.File("errors.txt")));
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

  // The import changed the song: Quit asks, Cancel keeps the program running with its song,
  // Don't Save quits.
  x.Chord({"Super_L"}, "q");
  x.Chord({}, "Escape");
  dump = DumpUntil(program, dumpFile, [](const std::string& d) { return HasLine(d, "alerts", " 511"); });
  EXPECT_TRUE(program.Alive());
  EXPECT_TRUE(HasLine(dump, "track", "Bass")) << dump;
  x.Chord({"Super_L"}, "q");
  x.Chord({}, "d");
  EXPECT_EQ(program.Wait(20), 0);
}

// A changed song is not lost without a question: New, Open and Quit each ask; Cancel keeps
// the song and the program; Save writes the document (asking where) and then goes on.
TEST(ProgramSession, ChangesAreSavedOrKeptBeforeNewOpenAndQuit) {
  XServer x;
  std::string why;
  if (!x.Start(&why)) GTEST_SKIP() << why;
  zarin_test::TempFolder home;
  std::string dumpFile = home.File("state.txt");
  std::string saved = home.File("Kept Song");
  std::map<std::string, std::string> env = SessionEnvironment(x, home, dumpFile);
  env["ZARIN_NAV_REPLY"] = "-;" + saved;  // the first save dialog is cancelled
  Program program;
  ASSERT_TRUE(program.Start({zarin_test::FixturePath("smf/format2.mid")}, env, home.File("errors.txt")));
  std::string dump = DumpUntil(program, dumpFile, [](const std::string& d) { return HasLine(d, "track", "Pattern"); });
  ASSERT_TRUE(HasLine(dump, "track", "Pattern")) << dump << zarin_test::ReadWholeFile(home.File("errors.txt"));
  ASSERT_EQ(DumpLines(dump, "modified"), std::vector<std::string>{"1"});
  ASSERT_TRUE(x.FindProgramWindow(kScreenWidth, kScreenHeight));

  // Cancel, for each command in turn: the song, its changes and the program stay.
  int asked = 0;
  for (const char* command : {"n", "o", "q"}) {
    SCOPED_TRACE(command);
    x.Chord({"Super_L"}, command);
    x.Chord({}, "Escape");
    std::string alerts = "alerts " + std::to_string(++asked) + " 511";
    dump = DumpUntil(program, dumpFile, [&](const std::string& d) { return d.find(alerts) != std::string::npos; });
    ASSERT_TRUE(program.Alive());
    EXPECT_NE(dump.find(alerts), std::string::npos) << dump;
    EXPECT_TRUE(HasLine(dump, "track", "Pattern")) << dump;
    EXPECT_EQ(DumpLines(dump, "modified"), std::vector<std::string>{"1"});
  }
  EXPECT_TRUE(zarin_test::ReadWholeFile(saved).empty()) << "nothing was saved";

  // Save (Return) with the save dialog cancelled: New is cancelled as well.
  x.Chord({"Super_L"}, "n");
  x.Chord({}, "Return");
  dump = DumpUntil(program, dumpFile, [&](const std::string& d) { return HasLine(d, "alerts", std::to_string(++asked) + " 511"); });
  EXPECT_TRUE(HasLine(dump, "track", "Pattern")) << dump;
  EXPECT_EQ(DumpLines(dump, "modified"), std::vector<std::string>{"1"});

  // Save (Return): the save dialog's scripted answer is where the song goes; then New runs.
  x.Chord({"Super_L"}, "n");
  x.Chord({}, "Return");
  dump = DumpUntil(program, dumpFile, [](const std::string& d) { return !HasLine(d, "track", "Pattern"); });
  EXPECT_FALSE(HasLine(dump, "track", "Pattern")) << dump;
  EXPECT_EQ(DumpLines(dump, "modified"), std::vector<std::string>{"0"});
  EXPECT_FALSE(zarin_test::ReadWholeFile(saved).empty());

  // Nothing changed since: Quit asks nothing.
  x.Chord({"Super_L"}, "q");
  EXPECT_EQ(program.Wait(20), 0) << zarin_test::ReadWholeFile(home.File("errors.txt"));

  // The saved document holds the song that was kept.
  env.erase("ZARIN_NAV_REPLY");
  Program again;
  ASSERT_TRUE(again.Start({saved}, env, home.File("errors2.txt")));
  dump = DumpUntil(again, dumpFile, [](const std::string& d) { return HasLine(d, "track", "Pattern"); });
  EXPECT_TRUE(HasLine(dump, "track", "Pattern")) << dump;
  again.Terminate();
}

// A song document that plays one audio file, written here: one song with one track and a
// referenced-file table of one entry whose alias names the file.
void WriteDocumentReferring(const std::string& document, const std::string& audio) {
  ResetSongDatabase();
  SelectSongIndex(0);
  if (!gCurrentSong) {
    gCurrentSongIndex = 0;
    AssignUniqueSongId();
    ASSERT_EQ(noErr, AddSong(SongBlockSize(0)));
  }
  ASSERT_EQ(noErr, CreateSongTracks(1, 1));
  FSSpec documentSpec, audioSpec;
  PathToSpec(document, &documentSpec);
  PathToSpec(audio, &audioSpec);
  Handle alias;
  ASSERT_EQ(noErr, NewAlias(&documentSpec, &audioSpec, &alias));
  Handle table = NewHandleClear(kReferencedFileSize);
  WriteU32BE(reinterpret_cast<uint8_t*>(*table) + kRefAlias, alias.id);
  SetDocumentSlot(kReferencedFilesSlot, table);
  ASSERT_EQ(noErr, SaveSongDocument(&documentSpec, kSongDocumentType));
  CloseSongDocument();
  ResetSongDatabase();
}

// The audio file a document plays was moved away: opening the document asks, Keep (Return)
// keeps the reference, and the document saved again still plays the file once it is back.
TEST(ProgramSession, AMovedAudioFileKeepsItsReference) {
  XServer x;
  std::string why;
  if (!x.Start(&why)) GTEST_SKIP() << why;
  zarin_test::TempFolder home;
  std::string document = home.File("Take Song"), audio = home.File("take.aif");
  zarin_test::WriteWholeFile(audio, "FORM....AIFF");
  WriteDocumentReferring(document, audio);
  mkdir(home.File("elsewhere").c_str(), 0755);
  ASSERT_EQ(0, rename(audio.c_str(), home.File("elsewhere/take.aif").c_str()));

  std::string dumpFile = home.File("state.txt");
  Program program;
  ASSERT_TRUE(program.Start({document}, SessionEnvironment(x, home, dumpFile), home.File("errors.txt")));
  ASSERT_TRUE(x.FindProgramWindow(kScreenWidth, kScreenHeight));
  std::string dump = DumpUntil(program, dumpFile, [](const std::string& d) { return HasLine(d, "alerts", " 149"); });
  ASSERT_TRUE(HasLine(dump, "alerts", "1 149")) << dump << zarin_test::ReadWholeFile(home.File("errors.txt"));
  x.Chord({}, "Return");
  dump = DumpUntil(program, dumpFile, [](const std::string& d) { return HasLine(d, "document", "Take Song"); });
  ASSERT_TRUE(HasLine(dump, "document", "Take Song")) << dump;
  x.Chord({"Super_L"}, "s");
  x.Chord({"Super_L"}, "q");
  ASSERT_EQ(program.Wait(20), 0) << zarin_test::ReadWholeFile(home.File("errors.txt"));

  ASSERT_EQ(0, rename(home.File("elsewhere/take.aif").c_str(), audio.c_str()));
  FSSpec documentSpec;
  PathToSpec(document, &documentSpec);
  ASSERT_EQ(noErr, OpenSongFile(&documentSpec, 0, false));
  ASSERT_EQ(1, CountReferencedFiles());
  EXPECT_NE(0u, ReadU32BE(GetReferencedFileEntry(0) + kRefFork)) << "the saved document still names the file";
  CloseSongDocument();
  ResetSongDatabase();
}

// ---- start-up: the list windows' scroll bars, the track window's ranging over a song with
// more tracks than fit, the timebase's note values and the track rows sized from the list font.

constexpr int kTrackWindowKind = 5;

std::string U32(uint32_t v) {
  return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

// A format 1 file of `tracks` tracks at 96 ticks a quarter, each named "Track n" with one
// note on its own channel.
std::string ManyTrackSmf(int tracks) {
  std::string file = "MThd" + U32(6) + std::string{0, 1, char(tracks >> 8), char(tracks), 0, 96};
  for (int t = 1; t <= tracks; ++t) {
    std::string name = "Track " + std::to_string(t);
    std::string body = std::string{0, char(0xFF), 3, char(name.size())} + name;
    char status = char(0x90 | (t % 16));
    body += std::string{0, status, 60, 100, 96, char(0x80 | (t % 16)), 60, 0};
    body += std::string{0, char(0xFF), 0x2F, 0};
    file += "MTrk" + U32(uint32_t(body.size())) + body;
  }
  return file;
}

std::vector<int> Numbers(const std::string& line) {
  std::vector<int> out;
  std::istringstream in(line);
  for (int n; in >> n;) out.push_back(n);
  return out;
}

// The numbers of the dump's first line that begins with the word and then the prefix.
std::vector<int> LineNumbers(const std::string& dump, const std::string& word, const std::string& prefix = "") {
  for (const std::string& line : DumpLines(dump, word))
    if (line.compare(0, prefix.size(), prefix) == 0) return Numbers(line.substr(prefix.size()));
  return {};
}

TEST(StartUpState, ListBarsTimebaseAndRows) {
  XServer x;
  std::string why;
  if (!x.Start(&why)) GTEST_SKIP() << why;
  zarin_test::TempFolder home;
  std::string song = home.File("forty.mid");
  ASSERT_TRUE(zarin_test::WriteWholeFile(song, ManyTrackSmf(40)));
  std::string dumpFile = home.File("state.txt");
  Program program;
  ASSERT_TRUE(program.Start({song}, SessionEnvironment(x, home, dumpFile), home.File("errors.txt")));
  std::string dump = DumpUntil(program, dumpFile, [](const std::string& d) { return !DumpLines(d, "track").empty(); });
  // The first track of a format 1 file is its conductor track.
  ASSERT_EQ(DumpLines(dump, "tracks"), std::vector<std::string>{"39"}) << dump;
  // Every list window has its bar; the track window's range reaches the rows that do not fit.
  // Each bar stands at its window's right edge, after start-up placed and sized the windows.
  for (const char* kind : {"2 ", "5 ", "7 ", "11 "}) {
    std::vector<int> numbers = LineNumbers(dump, "scroll", kind);
    ASSERT_EQ(numbers.size(), 3u) << kind;
    EXPECT_LE(std::abs(numbers[2]), 1) << kind << dump;
  }
  std::vector<int> bar = LineNumbers(dump, "scroll", std::to_string(kTrackWindowKind) + " ");
  ASSERT_EQ(bar.size(), 3u) << dump;
  EXPECT_EQ(bar[0], 0);
  EXPECT_GT(bar[1], 0);

  // The note values from the whole note at 384 ticks a quarter down to the sixty-fourth; the
  // track rows as tall as the list's line and 3 pixels.
  std::vector<int> values = LineNumbers(dump, "notevalues");
  ASSERT_EQ(values.size(), 18u) << dump;
  EXPECT_EQ(values.front(), 4 * 384);
  EXPECT_EQ(values.back(), 384 / 16);
  std::vector<int> rows = LineNumbers(dump, "rowheight");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_GE(rows[0], 8);
  EXPECT_LE(rows[0], 26);
  program.Terminate();
}

}  // namespace
