// Files that cannot be opened, or open with parts passed over: each alert names the file and
// says what is wrong, and nothing the user had is lost (the file on disk stays as it was, the
// open song stays open).
#include <sys/stat.h>

#include <cstring>

#include "song/documents/document_open.h"
#include "song/documents/open_dispatch.h"
#include "song/model/song_database.h"
#include "tests/song/documents/document_fixture.h"

namespace doc_test {
namespace {

std::string U16(uint16_t v) { return {char(v >> 8), char(v & 0xFF)}; }
std::string U32(uint32_t v) { return U16(uint16_t(v >> 16)) + U16(uint16_t(v)); }

// A MIDI file: the 14-byte header, then `tracks` track chunks holding one note each.
std::string MidiFile(const std::string& id, uint32_t length, uint16_t format, uint16_t tracks,
                     uint16_t division) {
  std::string file = id + U32(length) + U16(format) + U16(tracks) + U16(division);
  const std::string note("\x00\x90\x3C\x40\x60\x80\x3C\x40\x00\xFF\x2F\x00", 12);
  for (uint16_t t = 0; t < tracks; ++t) file += "MTrk" + U32(uint32_t(note.size())) + note;
  return file;
}

std::string Noise(size_t n) {
  std::string bytes(n, '\0');
  uint32_t x = 2463534242u;
  for (char& c : bytes) {
    x ^= x << 13, x ^= x >> 17, x ^= x << 5;
    c = char(x);
  }
  return bytes;
}

using DamagedFileAlertTest = AlertTextTest;

TEST_F(DamagedFileAlertTest, EachDamagedFileIsNamedAndSaysWhatIsWrongLosingNothing) {
  struct Case {
    const char* name;
    std::string bytes;  // written as the file (a folder for "/")
    bool opens;
    const char* said;
  } cases[] = {
      {"noise", Noise(3000), false, "It is not a song document, a Standard MIDI File"},
      {"empty.mid", "", false, "The file is empty."},
      {"a folder.bysq", "/", false, "The item is a folder, not a file."},
      {"gone.bysq", "-", false, "The file could not be found. (-43)"},
      {"random.bysq", Noise(500), false, "made by a newer version of Zarin, or it is damaged"},
      {"bad id.mid", MidiFile("MThx", 6, 1, 2, 96), false, "not a Standard MIDI File"},
      {"short header.mid", MidiFile("MThd", 2, 1, 2, 96), false, "header chunk is shorter than 6 bytes"},
      {"long header.mid", MidiFile("MThd", 60000, 1, 2, 96), false, "header chunk runs past the end of the file"},
      {"format 7.mid", MidiFile("MThd", 6, 7, 2, 96), false, "unknown format"},
      {"zero division.mid", MidiFile("MThd", 6, 1, 2, 0), false, "time division of zero"},
      {"many tracks.mid", MidiFile("MThd", 6, 1, 1000, 96), true, "Tracks left out: 952"},
  };
  BuildSmallDocument();
  ASSERT_EQ(noErr, Save("previous.bysq"));
  std::string songs = SnapshotSongs();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.bytes == "/") ASSERT_EQ(0, mkdir(Path(c.name).c_str(), 0777));
    else if (c.bytes != "-") WriteFile(c.name, c.bytes);
    ClearAlertText();
    FSSpec fileSpec = FileSpecNamed(c.name);
    OSErr err = OpenDocumentSpec(&fileSpec, 0, 0);
    EXPECT_EQ(c.opens, err == noErr) << err;
    std::string said = AlertText();
    EXPECT_EQ(0u, said.find("\"" + std::string(c.name) + "\"")) << said;
    EXPECT_NE(std::string::npos, said.find(c.said)) << said;
    if (c.bytes != "/" && c.bytes != "-") EXPECT_EQ(c.bytes, ReadFile(c.name));
    if (!c.opens) EXPECT_EQ(songs, SnapshotSongs());
  }
}

TEST_F(DamagedFileAlertTest, DamagedSideFileIsReportedAndTheDocumentOpens) {
  BuildSmallDocument();
  std::string songs = SnapshotSongs();
  ASSERT_EQ(noErr, Save("song.bysq"));
  std::string data = ReadFile("song.bysq");
  std::string damaged = Noise(200);
  WriteFile("._song.bysq", damaged);
  CloseSongDocument();
  ResetSongDatabase();
  ClearAlertText();
  FSSpec fileSpec = FileSpecNamed("song.bysq");
  ASSERT_EQ(noErr, OpenDocumentSpec(&fileSpec, 0, 0));
  EXPECT_EQ(songs, SnapshotSongs());
  EXPECT_EQ("\"song.bysq\": Its side file (resource fork and Finder information) is damaged, so it was ignored.",
            AlertText());
  EXPECT_EQ(data, ReadFile("song.bysq"));
  EXPECT_EQ(damaged, ReadFile("._song.bysq")) << "the damaged side file is left for the user";
}

}  // namespace
}  // namespace doc_test
