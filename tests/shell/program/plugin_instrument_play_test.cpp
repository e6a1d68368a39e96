// A track on a VST instrument in the real zarin program: a song whose track plays the
// instrument of its own insert rack (Kars, a synthesiser) is saved here, the program opens
// it with the null audio device writing what it plays to a WAV file, and Play must be heard
// there: silence before Play, the instrument's sound after it. The device table comes back
// from the document, the transport plays the current song, and the track's channel sounds
// at the device's level: each of these once kept the track silent.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/files/folders.h"
#include "platform/memory/byte_order.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/insert_racks.h"
#include "plugins/host/plugin_devices.h"
#include "plugins/library/plugin_discovery.h"
#include "plugins/library/plugin_examination.h"
#include "plugins/library/plugin_info_file.h"
#include "plugins/library/plugin_loading.h"
#include "plugins/library/plugin_table.h"
#include "shell/base/preferences_file.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/rack_automation_fields.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_length.h"
#include "song/model/utility_track_access.h"
#include "tests/shell/program/program_session.h"
#include "tests/song/documents/document_fixture.h"
#include "tests/plugins/library/plugin_test_folders.h"

namespace {

using namespace program_test;

constexpr const char* kSynth = "/usr/lib/vst/Kars-vst.so";
constexpr int32_t kDevice = 5;
constexpr int kEditorKind = 4;
constexpr float kHeard = 0.01f;  // a peak well above any rounding, far below the synthesiser's

// The samples of a float or 16-bit WAV file, every channel; the data chunk is read to the
// end of the file, so a capture whose header was never finished still counts.
std::vector<float> WavSamples(const std::string& bytes) {
  std::vector<float> out;
  size_t at = 12;
  uint16_t format = 0, bits = 0;
  while (at + 8 <= bytes.size()) {
    std::string id = bytes.substr(at, 4);
    uint32_t size = 0;
    std::memcpy(&size, bytes.data() + at + 4, 4);
    if (id == "fmt " && at + 24 <= bytes.size()) {
      std::memcpy(&format, bytes.data() + at + 8, 2);
      std::memcpy(&bits, bytes.data() + at + 22, 2);
    }
    if (id == "data") {
      size_t from = at + 8;
      if (bits == 32 && format == 3) {
        for (size_t i = from; i + 4 <= bytes.size(); i += 4) {
          float v;
          std::memcpy(&v, bytes.data() + i, 4);
          out.push_back(v);
        }
      } else if (bits == 16) {
        for (size_t i = from; i + 2 <= bytes.size(); i += 2) {
          int16_t v;
          std::memcpy(&v, bytes.data() + i, 2);
          out.push_back(float(v) / 32768.0f);
        }
      }
      return out;
    }
    at += 8 + size + (size & 1);
  }
  return out;
}

// True when a file below the folder holds the plug-in's unique ID (either byte order): the
// program's information file has the examination's answer.
bool FolderKnowsId(const std::string& folder, uint32_t id) {
  std::string big{char(id >> 24), char(id >> 16), char(id >> 8), char(id)};
  std::string little(big.rbegin(), big.rend());
  std::error_code ec;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, ec)) {
    if (!entry.is_regular_file()) continue;
    std::string bytes = zarin_test::ReadWholeFile(entry.path().string());
    if (bytes.find(big) != std::string::npos || bytes.find(little) != std::string::npos) return true;
  }
  return false;
}

float Peak(const std::vector<float>& samples) {
  float peak = 0;
  for (float v : samples) peak = std::max(peak, std::fabs(v));
  return peak;
}

class PluginInstrumentPlay : public doc_test::DocumentTest {
 protected:
  void SetUp() override {
    std::string why;
    if (!x.Start(&why)) GTEST_SKIP() << why;
    UsePluginTestFolders(home_, prefs_, homeEnv_, vstEnv_);
    ResetPluginTable();
    DocumentTest::SetUp();
    // A copy, not a link: the song names the file by its own path.
    std::filesystem::copy_file(kSynth, plugins_.File("Kars-vst.so"));
    FoundPlugin found;
    found.cache = Handle();
    ASSERT_EQ(noErr, EnumerateBundlesInFolder(false, &found, plugins_.path(), nullptr));
    ExamineNewPlugins(0);
    ASSERT_TRUE(WaitForPluginExaminations(120000));
  }
  void TearDown() override {
    if (program_.Wait(0) < 0) program_.Terminate();
    StopPluginExaminations();
    ResetPluginTable();
    DocumentTest::TearDown();
    RegisterStandardFolder(kPreferencesFolderType, "");
    ForgetPluginInfoFileSpec();
    ForgetPrefsFileSpec();
  }
  // One track of notes whose output is device kDevice: the synthesiser in its own rack.
  void SaveSongOnSynth(const std::string& name) {
    MakeSong(0, 1);
    FillTrack(0, 60, 0);
    SetSongEndTick(16 * 480);  // room to play: the notes stand in the first 600 ticks
    int32_t index = -1;
    for (int32_t i = 0; i < CountPlugins(); ++i)
      if (std::filesystem::path(PluginInfoAt(i)->path).filename() == "Kars-vst.so") index = i;
    ASSERT_GE(index, 0);
    synthId_ = PluginInfoAt(index)->uniqueId;
    SetCurrentTrackIndex(0);
    OSErr err = noErr;
    Handle rack = EnsureInsertRack(gCurrentTrack + kTrackInsertRack, 44100.0f, true, &err);
    ASSERT_EQ(err, noErr);
    uint32_t head = GetRackChainHead(rack);
    ASSERT_EQ(noErr, LoadPlugin(index, 44100.0, -1, &head, kLoadSilent));
    SetRackChainHead(rack, head);
    SetRackFlags(rack, uint8_t(GetRackFlags(rack) | kRackFlagInstrument));
    int32_t id = kDevice;
    ASSERT_EQ(noErr, RegisterPluginDevice(rack, &id, -1));
    SetCurrentTrackIndex(0);
    gCurrentTrack[kTrackType] = kDeviceKindPlugin;
    gCurrentTrack[kTrackMidiOutput] = uint8_t(id);
    gCurrentTrack[kTrackFlags] |= kTrackFlagAudible;  // as the track of a new song: it plays
    ASSERT_EQ(noErr, Save(name));
    ReleaseChainPlugins(GetRackChainHead(rack));
    SetRackChainHead(rack, 0);
  }

  XServer x;
  Program program_;
  uint32_t synthId_ = 0;
  zarin_test::TempFolder prefs_, home_, plugins_, session_;
  std::unique_ptr<zarin_test::ScopedEnv> homeEnv_, vstEnv_;
};

TEST_F(PluginInstrumentPlay, PlayIsHeardThroughTheTracksInstrument) {
  SaveSongOnSynth("synth.bysq");
  std::string dumpFile = session_.File("state.txt");
  std::string wav = session_.File("heard.wav");
  std::map<std::string, std::string> env = SessionEnvironment(x, session_, dumpFile);
  env["VST_PATH"] = plugins_.path();
  env["ZARIN_AUDIO_DEVICE"] = "Null Output";
  env["JACK_NO_START_SERVER"] = "1";
  // A first run examines the plug-in (in the background) and keeps the answer in its
  // information file: a song finds its plug-ins by their IDs.
  ASSERT_TRUE(program_.Start({}, env, session_.File("errors.txt")));
  for (int i = 0; i < 600 && !FolderKnowsId(session_.File("config"), synthId_); ++i) usleep(100000);
  ASSERT_TRUE(FolderKnowsId(session_.File("config"), synthId_)) << "the plug-in was never examined";
  ASSERT_TRUE(x.FindProgramWindow(kScreenWidth, kScreenHeight));
  x.Chord({"Control_L"}, "q");
  if (program_.Wait(20) < 0) program_.Terminate();
  env["ZARIN_NULL_CAPTURE"] = wav;
  ASSERT_TRUE(program_.Start({Path("synth.bysq")}, env, session_.File("errors.txt")));
  ASSERT_TRUE(x.FindProgramWindow(kScreenWidth, kScreenHeight));
  // The main editor in front (a click in its title bar) takes the play key.
  std::string shown = DumpUntil(program_, dumpFile, [](const std::string& d) { return WindowOfKind(d, kEditorKind).visible; });
  WindowLine editor = WindowOfKind(shown, kEditorKind);
  ASSERT_TRUE(editor.visible) << shown;
  x.Drag(editor.left + 150, editor.top - 8, editor.left + 150, editor.top - 8);
  ASSERT_TRUE(Peak(WavSamples(zarin_test::ReadWholeFile(wav))) == 0.0f) << "silence before Play";
  x.Chord({}, "space");
  std::string dump = DumpUntil(program_, dumpFile, [](const std::string& d) {
    std::vector<std::string> t = DumpLines(d, "transport");
    return !t.empty() && t[0].rfind("1 ", 0) == 0;
  });
  // The notes stand in the first beats: polled for up to ten seconds.
  for (int i = 0; i < 100 && Peak(WavSamples(zarin_test::ReadWholeFile(wav))) < kHeard; ++i) usleep(100000);
  x.Chord({}, "space");
  x.Chord({"Control_L"}, "q");
  if (program_.Wait(20) < 0) program_.Terminate();
  std::string errors = zarin_test::ReadWholeFile(session_.File("errors.txt"));
  std::vector<float> heard = WavSamples(zarin_test::ReadWholeFile(wav));
  ASSERT_FALSE(heard.empty()) << "nothing captured" << dump << errors;
  EXPECT_GT(Peak(heard), kHeard) << "the instrument was not heard" << dump << errors;
}

}  // namespace
