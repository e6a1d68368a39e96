#include "tests/shell/program/plugin_song_program.h"

#include <unistd.h>

#include <filesystem>

#include "platform/files/folders.h"
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
#include "tests/plugins/library/plugin_test_folders.h"
#include "tests/shell/program/wav_capture_reading.h"

namespace program_test {

namespace {
constexpr int32_t kDevice = 5;
}  // namespace

void PluginSongProgramTest::SetUpPlugins(const std::vector<std::string>& paths) {
  std::string why;
  if (!x.Start(&why)) GTEST_SKIP() << why;
  for (const std::string& path : paths)
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "no " << path;
  UsePluginTestFolders(home_, prefs_, homeEnv_, vstEnv_);
  ResetPluginTable();
  DocumentTest::SetUp();
  // Copies, not links: the song names each file by its own path.
  for (const std::string& path : paths)
    std::filesystem::copy_file(path, plugins_.File(std::filesystem::path(path).filename().string()));
  FoundPlugin found;
  found.cache = Handle();
  ASSERT_EQ(noErr, EnumerateBundlesInFolder(false, &found, plugins_.path(), nullptr));
  ExamineNewPlugins(0);
  ASSERT_TRUE(WaitForPluginExaminations(120000));
}

void PluginSongProgramTest::TearDown() {
  if (program_.Wait(0) < 0) program_.Terminate();
  StopPluginExaminations();
  ResetPluginTable();
  DocumentTest::TearDown();
  RegisterStandardFolder(kPreferencesFolderType, "");
  ForgetPluginInfoFileSpec();
  ForgetPrefsFileSpec();
}

int32_t PluginSongProgramTest::IndexOf(const std::string& fileName) {
  for (int32_t i = 0; i < CountPlugins(); ++i)
    if (std::filesystem::path(PluginInfoAt(i)->path).filename() == fileName) return i;
  return -1;
}

void PluginSongProgramTest::SaveSongOnRack(const std::string& name, const std::vector<int32_t>& plugins,
                                           uint32_t endTick, const std::function<void(uint32_t head)>& inspect) {
  MakeSong(0, 1);
  FillTrack(0, 60, 0);
  SetSongEndTick(endTick);
  SetCurrentTrackIndex(0);
  OSErr err = noErr;
  Handle rack = EnsureInsertRack(gCurrentTrack + kTrackInsertRack, 44100.0f, true, &err);
  ASSERT_EQ(err, noErr);
  uint32_t head = GetRackChainHead(rack);
  for (int32_t index : plugins) ASSERT_EQ(noErr, LoadPlugin(index, 44100.0, -1, &head, kLoadSilent));
  ASSERT_EQ(int32_t(plugins.size()), CountChainPlugins(head));
  SetRackChainHead(rack, head);
  SetRackFlags(rack, uint8_t(GetRackFlags(rack) | kRackFlagInstrument));
  if (inspect) inspect(head);
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

bool PluginSongProgramTest::ExamineInFirstRun(const std::vector<uint32_t>& ids) {
  env = SessionEnvironment(x, session_, dumpFile);
  env.insert_or_assign("VST_PATH", plugins_.path());
  env.insert_or_assign("ZARIN_AUDIO_DEVICE", std::string("Null Output"));
  env.insert_or_assign("JACK_NO_START_SERVER", std::string("1"));
  if (!program_.Start({}, env, session_.File("errors.txt"))) return false;
  auto known = [&] {
    for (uint32_t id : ids)
      if (!FolderKnowsId(session_.File("config"), id)) return false;
    return true;
  };
  for (int i = 0; i < 600 && !known(); ++i) usleep(100000);
  bool examined = known();
  if (x.FindProgramWindow(kScreenWidth, kScreenHeight)) x.Chord({"Control_L"}, "q");
  if (program_.Wait(20) < 0) program_.Terminate();
  return examined;
}

}  // namespace program_test
