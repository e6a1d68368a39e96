// A song keeps its plug-ins: effects inserted into two tracks' racks, their parameters set,
// the song saved, closed and opened again; the racks hold the same plug-ins again and each
// parameter reads back as it was set (an effect with a chunk and one without). A track that
// plays the instrument of its own rack still plays it after the song is opened again.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "platform/files/folders.h"
#include "platform/memory/byte_order.h"
#include "audio/streams/plugin_device_channels.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/insert_racks.h"
#include "plugins/host/plugin_devices.h"
#include "plugins/host/plugin_parameters.h"
#include "plugins/library/plugin_discovery.h"
#include "plugins/library/plugin_examination.h"
#include "plugins/library/plugin_info_file.h"
#include "plugins/library/plugin_loading.h"
#include "plugins/library/plugin_table.h"
#include "shell/base/preferences_file.h"
#include "song/documents/document_open.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/rack_automation_fields.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"
#include "tests/plugins/vsthost/vst_test_instance.h"
#include "tests/song/documents/document_fixture.h"
#include "tests/plugins/library/plugin_test_folders.h"

namespace {

class SongPluginStateTest : public doc_test::DocumentTest {
 protected:
  void SetUp() override {
    UsePluginTestFolders(home_, prefs_, homeEnv_, vstEnv_);
    ResetPluginTable();
    DocumentTest::SetUp();
    for (const char* path : {vsthost_test::kLspCompressor, vsthost_test::kDpfBitcrush, vsthost_test::kDpfSynth})
      std::filesystem::create_symlink(path, plugins_.File(std::filesystem::path(path).filename()));
    FoundPlugin found;
    found.cache = Handle();
    ASSERT_EQ(noErr, EnumerateBundlesInFolder(false, &found, plugins_.path(), nullptr));
    ExamineNewPlugins(0);
    ASSERT_TRUE(WaitForPluginExaminations(120000));
  }
  void TearDown() override {
    // The table's block came after the fixture counted the handles.
    StopPluginExaminations();
    ResetPluginTable();
    DocumentTest::TearDown();
    RegisterStandardFolder(kPreferencesFolderType, "");
    ForgetPluginInfoFileSpec();
    ForgetPrefsFileSpec();
  }
  static int32_t EntryFor(const char* path) {
    std::string name = std::filesystem::path(path).filename();
    for (int32_t i = 0; i < CountPlugins(); ++i)
      if (std::filesystem::path(PluginInfoAt(i)->path).filename() == name) return i;
    return -1;
  }
  // Track `index`'s rack, made when missing.
  static Handle TrackRack(int32_t index) {
    SetCurrentTrackIndex(index);
    OSErr err = noErr;
    Handle rack = EnsureInsertRack(gCurrentTrack + kTrackInsertRack, 44100.0f, true, &err);
    EXPECT_EQ(err, noErr);
    return rack;
  }
  static PluginInstance* FirstPlugin(int32_t track) {
    SetCurrentTrackIndex(track);
    Handle rack(ReadU32BE(gCurrentTrack + kTrackInsertRack));
    return rack ? GetChainPlugin(GetRackChainHead(rack), 0) : nullptr;
  }
  static std::vector<float> Values(PluginInstance* instance) {
    std::vector<float> values;
    for (uint32_t i = 0; i < instance->parameterCount; ++i)
      values.push_back(GetPluginParameterChecked(instance, int32_t(i)));
    return values;
  }

  zarin_test::TempFolder prefs_, home_, plugins_;
  std::unique_ptr<zarin_test::ScopedEnv> homeEnv_, vstEnv_;
};

TEST_F(SongPluginStateTest, ParametersComeBackAfterSavingAndReopening) {
  const char* paths[2] = {vsthost_test::kLspCompressor, vsthost_test::kDpfBitcrush};
  MakeSong(0, 2);
  std::vector<float> set[2];
  AEffect* before[2] = {};
  for (int32_t track = 0; track < 2; ++track) {
    int32_t index = EntryFor(paths[track]);
    ASSERT_GE(index, 0) << paths[track];
    Handle rack = TrackRack(track);
    uint32_t head = GetRackChainHead(rack);
    ASSERT_EQ(noErr, LoadPlugin(index, 44100.0, -1, &head, kLoadSilent));
    SetRackChainHead(rack, head);
    PluginInstance* instance = FirstPlugin(track);
    ASSERT_NE(instance, nullptr);
    before[track] = instance->effect;
    for (uint32_t i = 0; i < instance->parameterCount; ++i)
      SetPluginParameterChecked(instance, int32_t(i), 0.05f + 0.9f * float(i + 1) / float(instance->parameterCount + 1), 0);
    set[track] = Values(instance);
    SetPluginBypass(instance, track, 0);
  }
  ASSERT_EQ(noErr, Save("plugins.bysq"));
  CloseSongDocument();

  ASSERT_EQ(noErr, Open("plugins.bysq"));
  for (int32_t track = 0; track < 2; ++track) {
    PluginInstance* instance = FirstPlugin(track);
    ASSERT_NE(instance, nullptr) << paths[track];
    EXPECT_EQ(int32_t(instance->tableIndex), EntryFor(paths[track]));
    EXPECT_NE(instance->effect, before[track]) << "a plug-in opened anew";
    EXPECT_EQ(GetBypassState(instance), track) << "the bypass comes back too";
    EXPECT_EQ(Values(instance), set[track]) << paths[track];
    Handle rack(ReadU32BE(gCurrentTrack + kTrackInsertRack));
    ReleaseChainPlugins(GetRackChainHead(rack));
    SetRackChainHead(rack, 0);
  }
}

// The document keeps the device table but never its links to instances: opening the song
// must link the device to the instrument its rack opened anew, else Play finds no instrument
// for the track and it stays silent.
TEST_F(SongPluginStateTest, ATrackOnItsOwnInstrumentStillPlaysItAfterReopening) {
  MakeSong(0, 2);
  int32_t index = EntryFor(vsthost_test::kDpfSynth);
  ASSERT_GE(index, 0);
  Handle rack = TrackRack(1);
  uint32_t head = GetRackChainHead(rack);
  ASSERT_EQ(noErr, LoadPlugin(index, 44100.0, -1, &head, kLoadSilent));
  SetRackChainHead(rack, head);
  SetRackFlags(rack, uint8_t(GetRackFlags(rack) | kRackFlagInstrument));
  int32_t id = 5;
  ASSERT_EQ(noErr, RegisterPluginDevice(rack, &id, -1));
  ASSERT_EQ(id, 5);
  SetCurrentTrackIndex(1);
  gCurrentTrack[kTrackType] = kDeviceKindPlugin;
  gCurrentTrack[kTrackMidiOutput] = uint8_t(id);
  ASSERT_EQ(GetDeviceInstance(uint32_t(id)), GetPluginInstance(head));
  ASSERT_EQ(noErr, Save("instrument.bysq"));
  CloseSongDocument();
  EXPECT_EQ(GetDeviceInstance(uint32_t(id)), nullptr);

  ASSERT_EQ(noErr, Open("instrument.bysq"));
  PluginInstance* instrument = FirstPlugin(1);
  ASSERT_NE(instrument, nullptr);
  EXPECT_EQ(GetDeviceInstance(uint32_t(id)), instrument);
  EXPECT_TRUE(SongPlaysPluginDevices(gCurrentSongHandle)) << "Play would make the instrument no channel";
  Handle reopened(ReadU32BE(gCurrentTrack + kTrackInsertRack));
  ReleaseChainPlugins(GetRackChainHead(reopened));
  SetRackChainHead(reopened, 0);
}

}  // namespace
