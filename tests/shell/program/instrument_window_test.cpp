// The instrument window of the real zarin program on a private X server, with the program's
// MIDI on a JACK capture client of the test's own. A song saved here has two instruments on
// the capture client's port (channels 1 and 2) and a track playing each. Dragging a strip's
// fader and turning its pan knob must send the values the fader and the knob give to that
// instrument's channel; its mute and solo lamps silence the strips they should while the
// song plays (the main volume controller goes to 0 and comes back); the strips' meters rise
// with the notes played.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <sstream>
#include <vector>

#include "platform/memory/memory.h"
#include "song/conductor/timebase.h"
#include "song/events/event_lists.h"
#include "song/events/seq_event.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/instrument_volumes.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_length.h"
#include "song/model/track_settings.h"
#include "song/model/utility_track_access.h"
#include "tests/shell/program/capture_program.h"
#include "tests/shell/program/jack_midi_clients.h"
#include "tests/shell/program/program_session.h"
#include "tests/song/documents/document_fixture.h"

namespace {

using namespace program_test;

constexpr int kInstrumentWindowKind = 6;
constexpr int kEditorKind = 4;
constexpr int kStartVolume = 100;
constexpr int kQuarters = 96;

struct Strip {
  int index = -1, volume = 0, pan = 0, flags = 0, options = 0, channel = 0, port = 0;
  int thumb[4] = {}, knob[4] = {}, mute[4] = {}, solo[4] = {}, name[4] = {};
  int shownLeft = 0, shownRight = 0;
};

std::vector<Strip> Strips(const std::string& dump) {
  std::vector<Strip> out;
  for (const std::string& line : DumpLines(dump, "strip")) {
    Strip s;
    std::istringstream in(line);
    in >> s.index >> s.volume >> s.pan >> s.flags >> s.options >> s.channel >> s.port;
    for (int* r : {s.thumb, s.knob, s.mute, s.solo, s.name})
      for (int k = 0; k < 4; ++k) in >> r[k];
    in >> s.shownLeft >> s.shownRight;
    if (in) out.push_back(s);
  }
  return out;
}

Strip StripOf(const std::string& dump, int index) {
  for (const Strip& s : Strips(dump))
    if (s.index == index) return s;
  return Strip();
}

int CentreX(const int* r) { return (r[0] + r[2]) / 2; }
int CentreY(const int* r) { return (r[1] + r[3]) / 2; }

// The values of one controller on one channel, in the order captured.
std::vector<int> ControllerValues(const std::vector<CapturedEvent>& events, int channel, int controller) {
  std::vector<int> out;
  for (const CapturedEvent& e : events)
    if (e.size == 3 && e.bytes[0] == (0xB0 | channel) && e.bytes[1] == controller) out.push_back(e.bytes[2]);
  return out;
}

int NoteOnsOn(const std::vector<CapturedEvent>& events, int channel) {
  int n = 0;
  for (const CapturedEvent& e : NoteOns(events)) n += (e.bytes[0] & 15) == channel;
  return n;
}

class InstrumentWindow : public doc_test::DocumentTest {
 protected:
  void SetUp() override {
    std::string why;
    if (!x.Start(&why)) GTEST_SKIP() << why;
    if (!capture.Open("zpstrip")) GTEST_SKIP() << "no JACK server runs";
    DocumentTest::SetUp();
    env = SessionEnvironment(x, home, dumpFile);
    env["JACK_NO_START_SERVER"] = "1";
    env["ZARIN_MIDI_DRIVERS"] = "jack";
    env["ZARIN_JACK_CLIENT_NAME"] = programClient;
    env["ZARIN_AUDIO_DEVICE"] = "Null Output";
  }
  void TearDown() override {
    if (program.Alive()) program.Terminate();
    DocumentTest::TearDown();
  }
  std::string Errors() { return zarin_test::ReadWholeFile(home.File("errors.txt")); }
  template <typename Pred>
  std::string Until(Pred pred, double seconds = 15) {
    return DumpUntil(program, dumpFile, pred, seconds);
  }
  void Quit() {
    x.FindProgramWindow(kScreenWidth, kScreenHeight);
    x.Chord({"Control_L"}, "q");
    if (program.Wait(20) < 0) program.Terminate();
  }

  // A track of quarter notes on the channel, playing instrument `channel` of the table.
  void FillTrackOn(int32_t track, uint8_t channel, uint8_t port, uint8_t key) {
    SetCurrentTrackIndex(track);
    const uint32_t quarter = uint32_t(gTicksPerQuarter);
    std::vector<uint8_t> bytes(size_t(kQuarters) * kLongEventSize + kEndRecordSize, 0);
    for (int i = 0; i < kQuarters; ++i)
      FillLongEvent(&bytes[size_t(i) * kLongEventSize], 1 + i * quarter, uint8_t(0x90 | channel), key, 100,
                    uint16_t(quarter / 2));
    ASSERT_EQ(noErr, EnsureTrackEventList());
    Handle list = GetCurrentTrackEventList();
    SetHandleSize(list, Size(bytes.size()));
    std::memcpy(*list, bytes.data(), bytes.size());
    WriteU32BE(gCurrentTrack + kTrackEventBytes, uint32_t(bytes.size()));
    gCurrentTrack[kTrackType] = kDeviceKindMidiPort;
    gCurrentTrack[kTrackMidiOutput] = port;
    SetTrackChannel(channel);
    TrackEntryView view(gCurrentTrack);
    view.SetInstrument(0, uint16_t(channel << 8));
    view.SetFlags(uint8_t(view.Flags() | kTrackFlagPlaysInstrument | kTrackFlagAudible));
    view.SetChannelCount(1);
  }

  // Learns the capture client's place in the program's port table, then saves the song with
  // two instruments and two tracks there; false (with the reason) when that fails.
  bool SaveSongOnCapture(std::string* why) {
    if (!program.Start({}, env, home.File("errors.txt"))) return *why = "the program did not start", false;
    std::string dump = Until([&](const std::string& d) { return PortOf(d, capture.Name()) >= 0; });
    port = PortOf(dump, capture.Name());
    Quit();
    if (port < 0) return *why = "the capture client is not among the ports: " + dump, false;
    MakeSong(0, 2);
    if (CreateInstrumentTable(2, kDeviceKindMidiPort) != noErr) return *why = "no instrument table", false;
    for (int32_t i = 0; i < 2; ++i) {
      uint8_t* r = GetInstrumentRecord(i);
      InstrumentView view(r);
      view.SetPort(0, uint8_t(port));
      view.SetChannel(0, uint8_t(i));
      view.SetPartMask(1);
      WriteU16BE(r + kInstPortValues, 0);  // no port id: the port stays where it is
      SetInstrumentVolume(r, kStartVolume);
      r[kInstPan] = 64;
    }
    RebuildInstrumentState();
    FillTrackOn(0, 0, uint8_t(port), 60);
    FillTrackOn(1, 1, uint8_t(port), 48);
    SetSongEndTick(uint32_t(kQuarters * gTicksPerQuarter));
    if (Save("strips.bysq") != noErr) return *why = "the song was not saved", false;
    return true;
  }

  // Starts the program with the song and shows the instrument window; the dump then.
  std::string StartWithStrips(std::string* why) {
    if (!program.Start({Path("strips.bysq")}, env, home.File("errors.txt"))) return *why = "no start", "";
    std::string dump = Until([](const std::string& d) { return WindowOfKind(d, kEditorKind).visible; });
    if (PortOf(dump, capture.Name()) != port) return *why = "the port table changed between the runs", "";
    if (!x.FindProgramWindow(kScreenWidth, kScreenHeight)) return *why = "no program window", "";
    x.Chord({"Control_L"}, "6");  // Window > Instruments
    dump = Until([](const std::string& d) {
      return WindowOfKind(d, kInstrumentWindowKind).visible && Strips(d).size() >= 3;
    });
    if (Strips(dump).size() < 3) return *why = "the strips are not shown: " + dump + Errors(), "";
    if (WindowOfKind(dump, kInstrumentWindowKind).bottom > kScreenHeight) return *why = "the faders run off the screen: " + dump, "";
    for (int tries = 0; tries < 100 && !capture.FedBy(programClient); ++tries) usleep(100000);
    if (!capture.FedBy(programClient)) return *why = "the program did not connect to the capture client", "";
    capture.KeepOnly(programClient);
    return dump;
  }

  // The play key, taken by the instrument window in front (a click in its label column).
  void Play(const std::string& dump) {
    WindowLine strips = WindowOfKind(dump, kInstrumentWindowKind);
    x.Drag(strips.left + 10, strips.top + 40, strips.left + 10, strips.top + 40);
    x.Chord({}, "space");
    Until([](const std::string& d) { return Playing(d); }, 5);
  }

  // Waits until the capture holds a value of the controller on the channel equal to want.
  bool Captured(int channel, int controller, int want, size_t from = 0) {
    for (int i = 0; i < 60; ++i) {
      if (i % 10 == 0) capture.KeepOnly(programClient);  // other programs of ours connect to every port
      std::vector<int> values = ControllerValues(capture.Events(), channel, controller);
      for (size_t k = from; k < values.size(); ++k)
        if (values[k] == want) return true;
      usleep(50000);
    }
    return false;
  }
  size_t CountValues(int channel, int controller) {
    return ControllerValues(capture.Events(), channel, controller).size();
  }

  XServer x;
  zarin_test::TempFolder home;
  std::string dumpFile = home.File("state.txt");
  std::string programClient = "Zarin-strips" + std::to_string(getpid());
  std::map<std::string, std::string> env;
  Program program;
  MidiCapture capture;
  int port = -1;
};

TEST_F(InstrumentWindow, TheFaderAndThePanKnobSendTheirValuesToTheInstrumentsChannel) {
  std::string why;
  ASSERT_TRUE(SaveSongOnCapture(&why)) << why;
  std::string dump = StartWithStrips(&why);
  ASSERT_FALSE(dump.empty()) << why;
  Strip first = StripOf(dump, 0);
  ASSERT_EQ(first.volume, kStartVolume) << dump;
  ASSERT_EQ(first.port, port);
  std::vector<int64_t> layout = Numbers(dump, "instrumentwindow");
  ASSERT_EQ(layout.size(), 4u) << dump;
  const int travel = int(layout[3]);
  ASSERT_GT(travel, 20);

  // Down by half the travel: 100 - 64 = 36 (rounded, 127 a travel).
  int lift = -travel / 2;
  int expected = kStartVolume + (lift * 127 - travel / 2) / travel;
  x.Drag(CentreX(first.thumb), CentreY(first.thumb), CentreX(first.thumb), CentreY(first.thumb) - lift);
  dump = Until([&](const std::string& d) { return StripOf(d, 0).volume != kStartVolume; }, 5);
  EXPECT_EQ(StripOf(dump, 0).volume, expected) << dump;
  EXPECT_TRUE(Captured(0, 7, expected)) << "the fader's value reaches channel 1";
  EXPECT_EQ(CountValues(1, 7), 0u) << "the other instrument's channel is left alone";
  std::vector<int> volumes = ControllerValues(capture.Events(), 0, 7);
  ASSERT_FALSE(volumes.empty());
  EXPECT_EQ(volumes.back(), expected);
  for (size_t k = 1; k < volumes.size(); ++k) EXPECT_LE(volumes[k], volumes[k - 1]) << "the fader only went down";

  // Up past the top: the fader stops at 127.
  first = StripOf(dump, 0);
  x.Drag(CentreX(first.thumb), CentreY(first.thumb), CentreX(first.thumb), CentreY(first.thumb) - 2 * travel);
  dump = Until([&](const std::string& d) { return StripOf(d, 0).volume == 127; }, 5);
  EXPECT_EQ(StripOf(dump, 0).volume, 127) << dump;
  EXPECT_TRUE(Captured(0, 7, 127));

  // The knob of the second strip turned to straight left: 45 degrees, pan 21; to the right
  // of its centre: 225 degrees, pan 106.
  Strip second = StripOf(dump, 1);
  int cx = CentreX(second.knob), cy = CentreY(second.knob), radius = (second.knob[2] - second.knob[0]) / 2;
  x.Drag(cx, cy - radius, cx - 3 * radius, cy);
  dump = Until([](const std::string& d) { return StripOf(d, 1).pan == 21; }, 5);
  EXPECT_EQ(StripOf(dump, 1).pan, 21) << dump;
  EXPECT_TRUE(Captured(1, 10, 21)) << "the knob's value reaches channel 2";
  x.Drag(cx, cy - radius, cx + 3 * radius, cy);
  dump = Until([](const std::string& d) { return StripOf(d, 1).pan == 106; }, 5);
  EXPECT_EQ(StripOf(dump, 1).pan, 106) << dump;
  EXPECT_TRUE(Captured(1, 10, 106));
  EXPECT_EQ(CountValues(0, 10), 0u) << "the first instrument's pan is left alone";

  // The send button sends every instrument's volume and pan again.
  std::vector<int64_t> button = Numbers(dump, "sendbutton");
  ASSERT_EQ(button.size(), 4u) << dump;
  const size_t volumesBefore = CountValues(1, 7), pansBefore = CountValues(0, 10), firstBefore = CountValues(0, 7);
  const int bx = int((button[0] + button[2]) / 2), by = int((button[1] + button[3]) / 2);
  x.Drag(bx, by, bx, by);
  EXPECT_TRUE(Captured(1, 7, kStartVolume, volumesBefore)) << "the second strip's volume again";
  EXPECT_TRUE(Captured(0, 10, 64, pansBefore)) << "the first strip's pan again";
  EXPECT_TRUE(Captured(0, 7, 127, firstBefore)) << "the first strip's volume again";
  Quit();
}

TEST_F(InstrumentWindow, MuteAndSoloSilenceTheirStripsWhileTheSongPlaysAndTheMetersRise) {
  std::string why;
  ASSERT_TRUE(SaveSongOnCapture(&why)) << why;
  std::string dump = StartWithStrips(&why);
  ASSERT_FALSE(dump.empty()) << why;
  Strip first = StripOf(dump, 0), second = StripOf(dump, 1);
  Play(dump);
  for (int i = 0; i < 60 && (NoteOnsOn(capture.Events(), 0) < 2 || NoteOnsOn(capture.Events(), 1) < 2); ++i)
    usleep(50000);
  ASSERT_GE(NoteOnsOn(capture.Events(), 1), 2) << "both tracks play" << Errors();
  dump = Until([](const std::string& d) { return StripOf(d, 0).shownLeft > 0 && StripOf(d, 1).shownLeft > 0; }, 5);
  EXPECT_GT(StripOf(dump, 0).shownLeft, 0) << "the first strip's meter rises with its notes\n" << dump;
  EXPECT_GT(StripOf(dump, 1).shownLeft, 0) << dump;

  // Mute the second strip: its channel's volume goes to 0, the first keeps playing.
  size_t before = CountValues(1, 7);
  x.Drag(CentreX(second.mute), CentreY(second.mute), CentreX(second.mute), CentreY(second.mute));
  EXPECT_TRUE(Captured(1, 7, 0, before)) << "muting sends volume 0 to channel 2";
  dump = Until([](const std::string& d) { return (StripOf(d, 1).flags & 1) == 0; }, 5);
  EXPECT_EQ(StripOf(dump, 1).flags & 1, 0) << "the muted strip is not audible";
  EXPECT_EQ(CountValues(0, 7), 0u) << "the first strip's volume is not touched";
  // And back.
  before = CountValues(1, 7);
  x.Drag(CentreX(second.mute), CentreY(second.mute), CentreX(second.mute), CentreY(second.mute));
  EXPECT_TRUE(Captured(1, 7, kStartVolume, before)) << "unmuting gives channel 2 its volume back";

  // Solo the second strip: the first goes silent; clearing the solos (Option) gives it back.
  before = CountValues(0, 7);
  x.Drag(CentreX(second.solo), CentreY(second.solo), CentreX(second.solo), CentreY(second.solo));
  EXPECT_TRUE(Captured(0, 7, 0, before)) << "the solo silences channel 1";
  dump = Until([](const std::string& d) { return (StripOf(d, 0).flags & 1) == 0; }, 5);
  EXPECT_EQ(StripOf(dump, 1).flags & 1, 1) << "the soloed strip sounds";
  before = CountValues(0, 7);
  x.Drag(CentreX(first.solo), CentreY(first.solo), CentreX(first.solo), CentreY(first.solo), {"Alt_L"});
  EXPECT_TRUE(Captured(0, 7, kStartVolume, before)) << "clearing the solos gives channel 1 its volume back";
  int notesBefore = NoteOnsOn(capture.Events(), 0);
  for (int i = 0; i < 40 && NoteOnsOn(capture.Events(), 0) == notesBefore; ++i) usleep(50000);
  EXPECT_GT(NoteOnsOn(capture.Events(), 0), notesBefore) << "the song went on playing";
  x.Chord({}, "space");
  Quit();
}

}  // namespace
