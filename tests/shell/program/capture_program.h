// A test's session with the real zarin program on a private X server whose MIDI goes, over
// the running JACK server, to a capture client of the test's own: the program is run once to
// learn the capture client's place in its MIDI port table and to write its preferences; the
// test then makes that port the output of new tracks (and, with a keyboard client, that
// source an input) as the set-up would, and starts the program with its song.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tests/shell/program/jack_midi_clients.h"
#include "tests/shell/program/program_session.h"
#include "tests/test_support.h"

namespace program_test {

// The numbers of the dump's first line that begins with the word.
std::vector<int64_t> Numbers(const std::string& dump, const std::string& word);
// The dump's transport line: playing, and the song position.
bool Playing(const std::string& dump);
int64_t Position(const std::string& dump);
// Ticks a quarter in the program: the dump's note values begin with the whole note.
int64_t QuarterTicks(const std::string& dump);
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
  // captureName: the capture client's name; clientPrefix: the program's JACK client name,
  // the process id appended; song: the MIDI file the program opens; songName: its file name.
  CaptureProgramTest(const std::string& captureName, const std::string& clientPrefix, const std::string& songName);
  // Starts the X server and the capture client (skipping the test without them) and writes
  // the song.
  void StartSession(const std::string& song);
  std::string Errors();
  template <typename Pred>
  std::string Until(Pred pred, double seconds = 15) {
    return DumpUntil(program, dumpFile, pred, seconds);
  }
  // Runs the program once to learn the capture client's place in its MIDI port table (and
  // the keyboard client's source), and makes that port the output of new tracks (and that
  // source an input) in the preferences it wrote, as the set-up would; then starts it with
  // the song, whose track then plays to the capture client. False (with the reason) when
  // that does not come about.
  bool StartWithSongOnCapture(std::string* why, const MidiKeyboard* keyboard = nullptr);
  // Quits the program the way a user does (its preferences are written then).
  void QuitProgram();
  bool SetNewTrackOutput(int kind, int port);
  // The MIDI set-up of the preferences' resources: the source as the first input, by its
  // unique ID and its name, as the set-up dialog saves it.
  bool ChooseMidiInput(const Source& source);
  // Other programs of ours on the server connect to the test's clients too: only the
  // connections with this program are kept.
  bool KeepOurConnections(std::string* why);

  std::string captureName;
  XServer x;
  zarin_test::TempFolder home;
  std::string dumpFile = home.File("state.txt");
  std::string songFile;
  std::string programClient;
  std::map<std::string, std::string> env;
  Program program;
  MidiCapture capture;
};

}  // namespace program_test
