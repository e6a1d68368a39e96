#include "tests/shell/program/capture_program.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <sstream>

#include "platform/files/file_locations.h"
#include "platform/memory/memory.h"
#include "platform/resources/resource_files.h"
#include "platform/resources/resource_manager.h"
#include "sequencer/midi/coremidi_driver.h"
#include "sequencer/midi/midi_setup_file.h"
#include "song/prefs/startup_settings.h"
#include "tests/song/smf/smf_bytes.h"

namespace program_test {

namespace {

constexpr int kMidiPortKind = 18;
constexpr int kMainEditorKind = 4;

}  // namespace

std::string RampSong(uint32_t division, int notes, uint8_t firstKey,
                     const std::vector<std::pair<uint32_t, uint32_t>>& tempos) {
  Bytes conductor;
  Append(&conductor, Vlq(0));
  Append(&conductor, Meta(0x58, {4, 2, 24, 8}));
  uint32_t at = 0;
  for (const auto& [quarter, micros] : tempos) {
    Append(&conductor, Vlq(quarter * division - at));
    Append(&conductor, Tempo(micros));
    at = quarter * division;
  }
  Append(&conductor, Vlq(0));
  Append(&conductor, EndOfTrack());
  Bytes keys = RampNotes(notes, firstKey, division, division / 2);
  Bytes file = Header(1, 2, int16_t(division));
  Append(&file, Chunk("MTrk", conductor));
  Append(&file, Chunk("MTrk", keys));
  return std::string(file.begin(), file.end());
}

std::vector<int64_t> Numbers(const std::string& dump, const std::string& word) {
  std::vector<std::string> lines = DumpLines(dump, word);
  std::vector<int64_t> out;
  if (lines.empty()) return out;
  std::istringstream in(lines[0]);
  for (int64_t n; in >> n;) out.push_back(n);
  return out;
}

bool Playing(const std::string& dump) {
  std::vector<int64_t> t = Numbers(dump, "transport");
  return t.size() == 2 && t[0] == 1;
}

int64_t Position(const std::string& dump) {
  std::vector<int64_t> t = Numbers(dump, "transport");
  return t.size() == 2 ? t[1] : -1;
}

int64_t QuarterTicks(const std::string& dump) {
  std::vector<int64_t> values = Numbers(dump, "notevalues");
  return values.empty() ? 0 : values[0] / 4;
}

std::vector<CapturedEvent> NoteOns(const std::vector<CapturedEvent>& events) {
  std::vector<CapturedEvent> out;
  for (const CapturedEvent& e : events)
    if (e.size == 3 && (e.bytes[0] & 0xF0) == 0x90 && e.bytes[2] > 0) out.push_back(e);
  return out;
}

bool SourceOf(const std::string& dump, const std::string& client, Source* out) {
  for (const std::string& line : DumpLines(dump, "source")) {
    std::istringstream in(line);
    int input = 0;
    std::string name;
    if (!(in >> out->id >> input) || !std::getline(in, name) || name.find(client) == std::string::npos) continue;
    out->input = input != 0;
    out->name = name.substr(1);
    return true;
  }
  return false;
}

int PortOf(const std::string& dump, const std::string& client) {
  for (const std::string& line : DumpLines(dump, "port")) {
    std::istringstream in(line);
    int index = -1, present = 0;
    std::string name;
    if (in >> index >> present && std::getline(in, name) && present && name.find(client) != std::string::npos)
      return index;
  }
  return -1;
}

void CaptureProgramTest::SetUp() {
  std::string why;
  if (!x.Start(&why)) GTEST_SKIP() << why;
  if (!capture.Open("zpcap")) GTEST_SKIP() << "no JACK server runs";
  env = SessionEnvironment(x, home, dumpFile);
  env["JACK_NO_START_SERVER"] = "1";
  env["ZARIN_MIDI_DRIVERS"] = "jack";
  env["ZARIN_JACK_CLIENT_NAME"] = programClient;
  env["ZARIN_AUDIO_DEVICE"] = "Null Output";
  zarin_test::WriteWholeFile(songFile, SongBytes());
}

std::string CaptureProgramTest::Errors() { return zarin_test::ReadWholeFile(home.File("errors.txt")); }

bool CaptureProgramTest::StartWithSongOnCapture(std::string* why, const MidiKeyboard* keyboard) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (!program.Start({}, env, home.File("errors.txt"))) return *why = "the program did not start", false;
    Source source;
    std::string dump = Until([&](const std::string& d) {
      return PortOf(d, capture.Name()) >= 0 && (!keyboard || SourceOf(d, keyboard->Name(), &source));
    });
    int port = PortOf(dump, capture.Name());
    QuitProgram();
    if (port < 0) return *why = "the capture client is not among the ports: " + dump + Errors(), false;
    if (keyboard && source.name.empty()) return *why = "the keyboard client is not among the sources: " + dump, false;
    if (!SetNewTrackOutput(kMidiPortKind, port)) return *why = "no preferences were written", false;
    if (keyboard && !ChooseMidiInput(source)) return *why = "the MIDI set-up could not be written", false;
    if (!program.Start({songFile}, env, home.File("errors.txt"))) return *why = "the program did not start", false;
    dump = Until([](const std::string& d) { return !DumpLines(d, "output").empty(); });
    // Another program's client may have come or gone between the runs: the port table
    // then differs, and the settings are made again.
    if (PortOf(dump, capture.Name()) == port) {
      if (!HasLine(dump, "output", "1 " + std::to_string(kMidiPortKind) + " " + std::to_string(port)))
        return *why = "the song's track does not play to the port: " + dump, false;
      if (keyboard && (!SourceOf(dump, keyboard->Name(), &source) || !source.input))
        return *why = "the keyboard client is not an input: " + dump, false;
      return KeepOurConnections(why);
    }
    QuitProgram();
  }
  return *why = "the port table kept changing", false;
}

void CaptureProgramTest::QuitProgram() {
  x.FindProgramWindow(kScreenWidth, kScreenHeight);
  x.Chord({"Control_L"}, "q");
  if (program.Wait(20) < 0) program.Terminate();
}

bool CaptureProgramTest::SetNewTrackOutput(int kind, int port) {
  std::string prefs = home.File("config/Zarin/Zarin 7 Preferences");
  std::string bytes = zarin_test::ReadWholeFile(prefs);
  // The file begins with the version word and two option bytes, then the settings record.
  constexpr size_t kRecordStart = 4;
  size_t kindAt = kRecordStart + GetSettingsField(kSetNewTrackKind).offset;
  size_t portAt = kRecordStart + GetSettingsField(kSetNewTrackPort).offset;
  if (bytes.size() < kRecordStart + kSettingsRecordSize) return false;
  bytes[kindAt] = char(kind);
  bytes[portAt] = char(port);
  return zarin_test::WriteWholeFile(prefs, bytes);
}

bool CaptureProgramTest::ChooseMidiInput(const Source& source) {
  FSSpec location;
  if (PathToSpec(home.File("config/Zarin/Zarin 7 Preferences"), &location) != noErr) return false;
  SInt16 file = FSpOpenResFile(&location, fsRdWrPerm);
  if (file == -1) return false;
  UseResFile(file);
  if (Handle old = Get1Resource(FourCC("BMID"), kMidiSetupResId)) RemoveResource(old);
  gMidiDriver.inputs[0].uniqueId = source.id;
  size_t n = std::min<size_t>(source.name.size(), kMidiNameSize - 1);
  gMidiDriver.names[0][0] = uint8_t(n);
  std::memcpy(gMidiDriver.names[0] + 1, source.name.data(), n);
  Handle image = NewHandleClear(kMidiSetupSize);
  WriteMidiSetupImage(reinterpret_cast<uint8_t*>(*image));
  static const unsigned char kName[] = "\004OSXM";
  AddResource(image, FourCC("BMID"), kMidiSetupResId, kName);
  CloseResFile(file);
  return true;
}

bool CaptureProgramTest::KeepOurConnections(std::string* why) {
  for (int tries = 0; tries < 100 && !capture.FedBy(programClient); ++tries) usleep(100000);
  if (!capture.FedBy(programClient)) return *why = "the program did not connect to the capture client", false;
  capture.KeepOnly(programClient);
  return true;
}

bool CaptureProgramTest::BringEditorToFront() {
  std::string dump = Until([](const std::string& d) { return WindowOfKind(d, kMainEditorKind).visible; });
  WindowLine editor = WindowOfKind(dump, kMainEditorKind);
  if (!editor.visible) return false;
  x.Drag(editor.left + 150, editor.top - 8, editor.left + 150, editor.top - 8);
  dump = Until([](const std::string& d) { return Numbers(d, "front") == std::vector<int64_t>{kMainEditorKind}; }, 5);
  return Numbers(dump, "front") == std::vector<int64_t>{kMainEditorKind};
}

}  // namespace program_test
