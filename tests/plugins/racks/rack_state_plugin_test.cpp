// An installed VST effect (lsp's compensation delay) in a track's insert rack, its
// parameters set to values of its own: the song file, a copy of the channel applied to
// another track, Copy and Paste of the track with their undo and redo, and the undo and redo
// of the track's deletion all give the plug-in back with the same parameters, bit for bit.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/files/file_locations.h"
#include "platform/files/folders.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/insert_rack_states.h"
#include "plugins/host/insert_racks.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/plugin_instances.h"
#include "plugins/host/plugin_parameters.h"
#include "plugins/host/plugin_preset_lists.h"
#include "plugins/host/plugin_programs.h"
#include "plugins/host/plugin_settings.h"
#include "plugins/library/plugin_discovery.h"
#include "plugins/library/plugin_examination.h"
#include "plugins/library/plugin_info_file.h"
#include "plugins/library/plugin_loading.h"
#include "plugins/library/plugin_table.h"
#include "mixer/presets/program_lists.h"
#include "shell/base/preferences_file.h"
#include "shell/base/progress_hooks.h"
#include "song/documents/document_open.h"
#include "song/instruments/insert_rack_state.h"
#include "song/instruments/rack_automation_fields.h"
#include "song/instruments/rack_sharing.h"
#include "editing/edit_context.h"
#include "editing/event_clipboard.h"
#include "editing/paste.h"
#include "editing/track_commands.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/track_selection.h"
#include "song/undo/undo_copies.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"
#include "song/undo/undo_exchange.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"
#include "tests/plugins/library/plugin_test_folders.h"
#include "tests/song/documents/document_fixture.h"

namespace {

constexpr const char* kEffect = "/usr/lib/vst/lsp-plugins/comp-delay-mono.so";
constexpr float kRate = 44100.0f;

Handle TrackRack(int32_t track) {
  SetCurrentTrackIndex(track);
  return Handle(ReadU32BE(gCurrentTrack + kTrackInsertRack));
}

PluginInstance* RackPlugin(Handle rack) {
  return IsInsertRack(rack) ? GetChainPlugin(GetRackChainHead(rack), 0) : nullptr;
}

std::vector<float> Parameters(PluginInstance* p) {
  std::vector<float> values;
  for (uint32_t i = 0; p && i < p->parameterCount; ++i) values.push_back(GetPluginParameterChecked(p, int32_t(i)));
  return values;
}

bool SameBits(const std::vector<float>& a, const std::vector<float>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

class RackStatePluginTest : public doc_test::DocumentTest {
 protected:
  virtual const char* Effect() const { return kEffect; }
  void SetUp() override {
    if (!std::filesystem::exists(Effect())) GTEST_SKIP() << Effect() << " is not installed";
    UsePluginTestFolders(home_, prefs_, homeEnv_, vstEnv_);
    ResetPluginTable();
    // A copy, not a link: the song names the file by its own path.
    std::string file = std::filesystem::path(Effect()).filename();
    std::filesystem::copy_file(Effect(), plugins_.File(file));
    FoundPlugin found;
    found.cache = Handle();
    ASSERT_EQ(noErr, EnumerateBundlesInFolder(false, &found, plugins_.path(), nullptr));
    ExamineNewPlugins(0);
    ASSERT_TRUE(WaitForPluginExaminations(120000));
    for (int32_t i = 0; i < CountPlugins(); ++i)
      if (std::filesystem::path(PluginInfoAt(i)->path).filename() == file) index_ = i;
    ASSERT_GE(index_, 0);
    DocumentTest::SetUp();
    started_ = true;
    ASSERT_EQ(noErr, AllocateUndoRing(8));
  }
  void TearDown() override {
    if (started_) {
      DisposeUndoRing();
      DocumentTest::TearDown();
      EXPECT_EQ(0, CountPluginInstanceRecords()) << "a plug-in stayed open after its song closed";
    }
    StopPluginExaminations();
    ResetPluginTable();
    RegisterStandardFolder(kPreferencesFolderType, "");
    ForgetPluginInfoFileSpec();
    ForgetPrefsFileSpec();
  }
  // Track 0 of a new two-track song gets the effect, its parameters set along a ramp.
  PluginInstance* MakeRackWithEffect() {
    MakeSong(0, 2);
    SetCurrentTrackIndex(0);
    OSErr err = noErr;
    Handle rack = EnsureInsertRack(gCurrentTrack + kTrackInsertRack, kRate, true, &err);
    EXPECT_EQ(noErr, err);
    uint32_t head = GetRackChainHead(rack);
    EXPECT_EQ(noErr, LoadPlugin(index_, kRate, -1, &head, kLoadSilent));
    SetRackChainHead(rack, head);
    PluginInstance* p = RackPlugin(rack);
    if (!p) return nullptr;
    EXPECT_GT(p->parameterCount, 2u);
    std::vector<float> defaults = Parameters(p);
    for (uint32_t i = 0; i < p->parameterCount; ++i)
      SetPluginParameterChecked(p, int32_t(i), float(i + 1) / float(p->parameterCount + 2), kSetParameterNormal);
    EXPECT_FALSE(SameBits(defaults, Parameters(p))) << "the plug-in took none of the values";
    return p;
  }

  zarin_test::TempFolder home_, prefs_, plugins_;
  std::unique_ptr<zarin_test::ScopedEnv> homeEnv_, vstEnv_;
  int32_t index_ = -1;
  bool started_ = false;
};

// The plug-in is given a sound bank: a file of the test's own folder.
FSSpec ChooseSoundBank(PluginInstance* p, const std::string& path) {
  std::ofstream(path) << "bank";
  FSSpec file;
  EXPECT_EQ(noErr, PathToSpec(path, &file));
  uint8_t image[kSoundBankSpecBytes];
  FileToSoundBankImage(&file, image);
  EXPECT_EQ(noErr, AccessSoundBank(p, 0, image));
  return file;
}

void ExpectSoundBank(PluginInstance* p, const FSSpec& wanted) {
  FSSpec now;
  SoundBankImageToFile(p->soundBank, &now);
  EXPECT_EQ(wanted.vRefNum, now.vRefNum);
  EXPECT_EQ(wanted.parID, now.parID);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(wanted.name + 1), wanted.name[0]),
            std::string(reinterpret_cast<const char*>(now.name + 1), now.name[0]));
}

// The progress lines shown while a document's plug-ins are opened.
std::vector<std::string> gProgressLines;

void RecordProgressLine(const unsigned char* text) {
  gProgressLines.emplace_back(reinterpret_cast<const char*>(text + 1), text[0]);
}

// Opening the song opens the plug-in again, naming its file in the progress dialog, with the
// sound bank it was given.
TEST_F(RackStatePluginTest, TheSongFileGivesThePluginBackWithItsParameters) {
  PluginInstance* p = MakeRackWithEffect();
  ASSERT_NE(nullptr, p);
  std::vector<float> set = Parameters(p);
  FSSpec bank = ChooseSoundBank(p, home_.File("strings.bank"));
  ASSERT_EQ(noErr, Save("delay.bysq"));
  CloseSongDocument();
  ProgressHooks kept = gProgressHooks;
  gProgressHooks.setText = RecordProgressLine;
  gProgressLines.clear();
  OSErr opened = Open("delay.bysq");
  gProgressHooks = kept;
  ASSERT_EQ(noErr, opened);
  EXPECT_EQ(std::vector<std::string>{"comp-delay-mono.so"}, gProgressLines);
  PluginInstance* back = RackPlugin(TrackRack(0));
  ASSERT_NE(nullptr, back);
  EXPECT_EQ(PluginInfoAt(index_)->uniqueId, PluginInfoAt(int32_t(back->tableIndex))->uniqueId);
  EXPECT_TRUE(SameBits(set, Parameters(back)));
  ExpectSoundBank(back, bank);
  EXPECT_EQ(nullptr, RackPlugin(TrackRack(1))) << "the empty rack stays empty";
}

// The copy of a channel that the clipboard keeps is applied to a track without plug-ins:
// the plug-in is opened afresh there with the same parameters, rack faders, MIDI filter,
// colour, flags and channel map, and the copy names its file. The locked rack it goes to is
// unlocked.
TEST_F(RackStatePluginTest, ACopyOfTheChannelOpensThePluginElsewhereWithItsParameters) {
  PluginInstance* p = MakeRackWithEffect();
  ASSERT_NE(nullptr, p);
  std::vector<float> set = Parameters(p);
  SetPluginGains(p, 2.5e-5f, 1000.0f, 100, 0);
  p->midiChannelMask = 0x0005;
  p->controllerMask[3] = 0x12;
  p->colourIndex = 9;
  p->mixerFlags = kPluginFlagDisplayOption;
  AccessPluginChannelMap(2, p, 1, nullptr, 7);
  Handle state = SaveInsertRackState(TrackRack(0));
  ASSERT_TRUE(state);
  ASSERT_EQ(1, CountRackStateRecords(state));
  int32_t record = GetRackStateRecord(state, 0);
  EXPECT_NE(0u, ReadU32BE(reinterpret_cast<uint8_t*>(*state) + record + kRackPluginAlias));
  Str255 name;
  EXPECT_EQ(noErr, FindPluginForRackRecord(reinterpret_cast<uint8_t*>(*state) + record, name));
  SetCurrentTrackIndex(1);
  OSErr err = noErr;
  Handle other = EnsureInsertRack(gCurrentTrack + kTrackInsertRack, kRate, true, &err);
  // A rack without plug-ins saves as the bare header and applies as an empty chain.
  Handle empty = SaveInsertRackState(other);
  ASSERT_TRUE(empty);
  EXPECT_EQ(kRackStateHeaderBytes, GetHandleSize(empty));
  EXPECT_EQ(noErr, ApplyInsertRackState(other, empty));
  EXPECT_EQ(nullptr, RackPlugin(other));
  DisposeInsertRackState(&empty);
  SetRackFlags(other, uint8_t(GetRackFlags(other) | kRackFlagInsertsOff));
  ASSERT_EQ(noErr, ApplyInsertRackState(other, state));
  EXPECT_EQ(0, GetRackFlags(other) & kRackFlagInsertsOff);
  DisposeInsertRackState(&state);
  PluginInstance* copy = RackPlugin(other);
  ASSERT_NE(nullptr, copy);
  EXPECT_NE(p, copy);
  EXPECT_TRUE(SameBits(set, Parameters(copy)));
  float inputScale = 0, outputScale = 0;
  uint16_t rackFormat = 0;
  GetPluginGains(copy, &inputScale, &outputScale, &rackFormat);
  EXPECT_EQ(2.5e-5f, inputScale);
  EXPECT_EQ(1000.0f, outputScale);
  EXPECT_EQ(100, rackFormat);
  EXPECT_EQ(0x0005, copy->midiChannelMask);
  EXPECT_EQ(0x12, copy->controllerMask[3]);
  EXPECT_EQ(9, copy->colourIndex) << "the row keeps its category colour";
  EXPECT_EQ(kPluginFlagDisplayOption, copy->mixerFlags);
  EXPECT_EQ(7, AccessPluginChannelMap(2, copy, 0, nullptr, 0));
}

// Deleting the track keeps its channel in the undo step: Undo gives the track back with the
// plug-in and its parameters, Redo takes it again, and a second Undo gives it back again.
TEST_F(RackStatePluginTest, UndoAndRedoOfATrackDeletionKeepTheParameters) {
  PluginInstance* p = MakeRackWithEffect();
  ASSERT_NE(nullptr, p);
  std::vector<float> set = Parameters(p);
  uint8_t scope[kTrackSelectionSize] = {};
  scope[kSelectionMask] = 1;  // track 0, first and last
  RestoreTrackSelection(scope);
  SelectTrackWithNumber(0);
  DeleteSelectedTracks();
  ASSERT_FALSE(SelectTrackWithNumber(0));
  for (int32_t round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    ASSERT_EQ(noErr, UndoLastEdit());
    ASSERT_TRUE(SelectTrackWithNumber(0));
    PluginInstance* back = RackPlugin(Handle(ReadU32BE(gCurrentTrack + kTrackInsertRack)));
    ASSERT_NE(nullptr, back);
    EXPECT_TRUE(SameBits(set, Parameters(back)));
    if (round == 0) {
      ASSERT_EQ(noErr, RedoEdit());
      EXPECT_FALSE(SelectTrackWithNumber(0));
    }
  }
}

// Copy and Paste of a track in the track window, into a range of the other track and over
// the whole of it.
struct RackPasteCase {
  const char* name;
  uint32_t start, end;  // the copied range; the paste goes to its start
};

void PrintTo(const RackPasteCase& c, std::ostream* out) { *out << c.name; }

class RackClipboardTest : public RackStatePluginTest, public ::testing::WithParamInterface<RackPasteCase> {
 protected:
  void SelectOnlyTrack(int32_t n) {
    uint8_t scope[kTrackSelectionSize] = {};
    scope[kSelectionFirstSlot] = scope[kSelectionLastSlot] = uint8_t(n);
    scope[kSelectionMask] = uint8_t(1 << n);
    RestoreTrackSelection(scope);
    SelectTrackWithNumber(n);
  }
  PluginInstance* PluginOfTrack(int32_t n) {
    if (!SelectTrackWithNumber(n)) return nullptr;
    return RackPlugin(Handle(ReadU32BE(gCurrentTrack + kTrackInsertRack)));
  }
};

// The clipboard keeps the rack as it was copied: the source's later changes do not reach the
// paste, which opens a plug-in of its own with the copied values. Undo takes the pasted rack's
// plug-in away and Redo gives it back with the same values.
TEST_P(RackClipboardTest, PasteOpensItsOwnPluginWithTheCopiedParametersThroughUndoAndRedo) {
  const RackPasteCase& c = GetParam();
  PluginInstance* p = MakeRackWithEffect();
  ASSERT_NE(nullptr, p);
  std::vector<float> copied = Parameters(p);
  gEditContextKind = kContextTrackWindow;
  SelectOnlyTrack(0);
  SetTimeRange(c.start, c.end);
  CopySelection();
  ASSERT_NE(nullptr, GetClipboardRecord());
  for (uint32_t i = 0; i < p->parameterCount; ++i)
    SetPluginParameterChecked(p, int32_t(i), float(p->parameterCount - i) / float(p->parameterCount + 3), kSetParameterNormal);
  std::vector<float> changed = Parameters(p);
  ASSERT_FALSE(SameBits(copied, changed));
  SelectOnlyTrack(1);
  SetTimeRange(c.start, c.start);
  ASSERT_EQ(noErr, PasteFromClipboard(0, 0, kUndoKindPaste, nullptr));
  PluginInstance* pasted = PluginOfTrack(1);
  ASSERT_NE(nullptr, pasted);
  EXPECT_NE(p, pasted);
  EXPECT_TRUE(SameBits(copied, Parameters(pasted)));
  EXPECT_EQ(p, PluginOfTrack(0));
  EXPECT_TRUE(SameBits(changed, Parameters(p))) << "the source keeps its own values";
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_EQ(nullptr, PluginOfTrack(1));
  EXPECT_EQ(p, PluginOfTrack(0));
  ASSERT_EQ(noErr, RedoEdit());
  PluginInstance* again = PluginOfTrack(1);
  ASSERT_NE(nullptr, again);
  EXPECT_NE(p, again);
  EXPECT_TRUE(SameBits(copied, Parameters(again)));
  EXPECT_TRUE(SameBits(changed, Parameters(p)));
  ClipboardCommand(true, true);
}

INSTANTIATE_TEST_SUITE_P(Ranges, RackClipboardTest,
                         ::testing::Values(RackPasteCase{"IntoARange", 480, 1920},
                                           RackPasteCase{"OverTheWholeTrack", 0, 1000000}),
                         [](const ::testing::TestParamInfo<RackPasteCase>& info) { return std::string(info.param.name); });


// An effect whose factory program holds its values (MVerb's).
class RackStateProgramTest : public RackStatePluginTest {
 protected:
  const char* Effect() const override { return "/usr/lib/vst/MVerb-vst.so"; }
};

// The copy names the plug-in's program with values of its own: the plug-in opened elsewhere
// is on that program yet keeps the values, and the program's factory slot takes them with
// the program's name.
TEST_F(RackStateProgramTest, TheProgramOfTheCopyIsChosenAndItsSlotTakesTheValues) {
  PluginInstance* p = MakeRackWithEffect();
  ASSERT_NE(nullptr, p);
  int32_t program = p->programWord;
  ASSERT_GE(program, 0);
  ASSERT_LT(program, CountFactoryPresets(p));
  ASSERT_EQ(p->parameterCount, GetPresetCount(p->programList, program)) << "the slot holds values";
  std::vector<float> set = Parameters(p);
  Str31 programName;
  GetPresetName(p->programList, program, programName);
  Handle state = SaveInsertRackState(TrackRack(0));
  ASSERT_TRUE(state);
  SetCurrentTrackIndex(1);
  OSErr err = noErr;
  Handle other = EnsureInsertRack(gCurrentTrack + kTrackInsertRack, kRate, true, &err);
  ASSERT_EQ(noErr, ApplyInsertRackState(other, state));
  DisposeInsertRackState(&state);
  PluginInstance* copy = RackPlugin(other);
  ASSERT_NE(nullptr, copy);
  EXPECT_EQ(program, GetCurrentProgram(copy));
  EXPECT_TRUE(SameBits(set, Parameters(copy)));
  ASSERT_EQ(set.size(), GetPresetCount(copy->programList, program));
  for (size_t i = 0; i < set.size(); ++i)
    EXPECT_EQ(set[i], GetPresetValue(copy->programList, program, int32_t(i))) << "parameter " << i;
  Str31 slotName;
  GetPresetName(copy->programList, program, slotName);
  EXPECT_EQ(0, std::memcmp(programName, slotName, size_t(programName[0]) + 1));
}

}  // namespace
