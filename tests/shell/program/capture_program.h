// The real zarin program with its MIDI on the running JACK server: a fixture that starts it
// with a song the test writes, whose track plays to a JACK capture client of the test's own,
// and the readings of the state dump that tests of playing share.
//
// The song's tracks reach the capture client through the program's own settings: a first
// run lists the MIDI ports (the state dump's "port" lines) and writes the preferences; the
// fixture then sets there the output that new tracks take (a MIDI port, the capture client's),
// and the second run opens the song.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tests/shell/program/jack_midi_clients.h"
#include "tests/shell/program/program_session.h"
#include "tests/test_support.h"

namespace program_test {

// A MIDI file of one track after the conductor's: a ramp of `notes` keys from firstKey, one
// note a quarter (division ticks a quarter), 4/4, with the tempos {quarter, microseconds a
// quarter} in order.
std::string RampSong(uint32_t division, int notes, uint8_t firstKey,
                     const std::vector<std::pair<uint32_t, uint32_t>>& tempos);

// The numbers of the dump's first line that begins with the word.
std::vector<int64_t> Numbers(const std::string& dump, const std::string& word);
// The transport line: playing, and the song position.
bool Playing(const std::string& dump);
int64_t Position(const std::string& dump);
// Ticks a quarter in the program: the dump's note values begin with the whole note.
int64_t QuarterTicks(const std::string& dump);
// The note-ons (velocity above 0) among captured events.
std::vector<CapturedEvent> NoteOns(const std::vector<CapturedEvent>& events);

// The unique ID and name of the MIDI source whose name holds the client's name, and whether
// the program takes it as an input (false: none).
struct Source {
  uint32_t id = 0;
  bool input = false;
  std::string name;
};
bool SourceOf(const std::string& dump, const std::string& client, Source* out);
// The port table index of the port whose name holds the client's name (-1: none).
int PortOf(const std::string& dump, const std::string& client);

class CaptureProgramTest : public ::testing::Test {
 protected:
  // The song the program opens, as the bytes of a MIDI file.
  virtual std::string SongBytes() const = 0;
  void SetUp() override;
  std::string Errors();
  template <typename Pred>
  std::string Until(Pred pred, double seconds = 15) {
    return DumpUntil(program, dumpFile, pred, seconds);
  }
  // Runs the program once to learn the capture client's place in its MIDI port table (and
  // the keyboard client's source), makes that port the output of new tracks (and that source
  // an input) in the preferences it wrote, as the set-up would; then starts it with the song,
  // whose track then plays to the capture client. False (with the reason) when that does not
  // come about.
  bool StartWithSongOnCapture(std::string* why, const MidiKeyboard* keyboard = nullptr);
  // Quits the program the way a user does (its preferences are written then).
  void QuitProgram();
  // Brings the main editor to the front (a click in its title bar).
  bool BringEditorToFront();

  XServer x;
  zarin_test::TempFolder home;
  std::string dumpFile = home.File("state.txt");
  std::string songFile = home.File("song.mid");
  std::string programClient = "Zarin-play" + std::to_string(getpid());
  std::map<std::string, std::string> env;
  Program program;
  MidiCapture capture;

 private:
  bool SetNewTrackOutput(int kind, int port);
  // The MIDI set-up of the preferences' resources: the source as the first input, by its
  // unique ID and its name, as the set-up dialog saves it.
  bool ChooseMidiInput(const Source& source);
  // Other programs of ours on the server connect to the test's clients too: only the
  // connections with this program are kept.
  bool KeepOurConnections(std::string* why);
};

}  // namespace program_test
