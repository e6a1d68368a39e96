// A plug-in's program lists on real plug-ins: the factory list read from the plug-in, a
// program and a bank saved from the program pop-up as files that load back into the plug-in
// with the same parameters (an effect with values and one that keeps its state in a chunk),
// the preset folders read when the plug-in is opened again, a damaged bank file named in the
// alert; and a names-only plug-in whose list ends at the first program it cannot name.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "mixer/presets/preset_folders.h"
#include "mixer/presets/program_lists.h"
#include "mixer/presets/program_popup.h"
#include "mixer/presets/vst_preset_files.h"
#include "platform/dialogs/param_text.h"
#include "platform/files/folders.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/menus/menus.h"
#include "platform/resources/resource_files.h"
#include "platform/resources/resource_manager.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/plugin_parameters.h"
#include "plugins/host/plugin_preset_lists.h"
#include "plugins/host/plugin_state.h"
#include "plugins/host/vst_dispatch.h"
#include "plugins/library/plugin_table.h"
#include "shell/base/error_report_hooks.h"
#include "tests/plugins/vsthost/vst_test_instance.h"
#include "tests/test_support.h"

namespace {

constexpr const char* kMVerb = "/usr/lib/vst/MVerb-vst.so";

std::string Text(const uint8_t* p) { return std::string(reinterpret_cast<const char*>(p + 1), p[0]); }

class ProgramListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetPluginTable();
    RegisterStandardFolder(kAudioFolderType, data_.File("Audio"));
    std::filesystem::create_directories(presets());
    ASSERT_EQ(noErr, OpenAppResourceFile(ZARIN_TEST_APP_RESOURCES, &resources_));
    savedHooks_ = gErrorReportHooks;
    gErrorReportHooks = ErrorReportHooks();  // the alert's text is read back, not shown
  }
  void TearDown() override {
    gErrorReportHooks = savedHooks_;
    if (resources_ != -1) CloseResFile(resources_);
    RegisterStandardFolder(kAudioFolderType, "");
    ResetPluginTable();
  }
  std::string presets() const { return data_.File("Audio/Presets"); }
  // The plug-in's entry takes its id and chunk flag as a load gives them.
  static void AsLoaded(vsthost_test::TestVstInstance& plugin) {
    PluginInfoAt(plugin.tableIndex())->uniqueId = uint32_t(plugin.effect()->uniqueID);
    if (plugin.effect()->flags & kEffFlagsProgramChunks) plugin.instance()->moreFlags |= kPluginMoreProgramChunks;
  }
  static void Forget(PluginInstance* instance) {
    DisposePluginPresetList(&instance->programList);
    DisposePluginPresetList(&instance->secondHandle);
  }
  static std::vector<float> Values(PluginInstance* instance) {
    std::vector<float> values;
    for (uint32_t p = 0; p < instance->parameterCount; ++p) values.push_back(GetPluginParameterChecked(instance, int32_t(p)));
    return values;
  }
  // A ramp over the parameters (each its own value), as the plug-in keeps it.
  static std::vector<float> SetRamp(PluginInstance* instance, float from) {
    for (uint32_t p = 0; p < instance->parameterCount; ++p)
      SetPluginParameterChecked(instance, int32_t(p), from + 0.6f * float(p) / float(instance->parameterCount), 0);
    return Values(instance);
  }
  // Saves through the pop-up's item into the presets folder under `name`.
  void Save(PluginInstance* instance, int16_t item, const std::string& name) {
    zarin_test::ScopedEnv reply("ZARIN_NAV_REPLY", presets() + "/" + name);
    ASSERT_TRUE(DoProgramPopupItem(instance, item)) << name;
  }
  // The user preset of a name, as an index of both lists, or -1.
  static int32_t UserPreset(PluginInstance* instance, const std::string& name) {
    for (int32_t k = 0; k < CountPresets(instance->secondHandle); ++k) {
      Str31 stored;
      GetPresetName(instance->secondHandle, k, stored);
      if (Text(stored) == name) return CountFactoryPresets(instance) + k;
    }
    return -1;
  }
  // The plug-in's program chunk: its whole state.
  static std::string Chunk(PluginInstance* instance) {
    const void* data = nullptr;
    int32_t length = SavePluginClassInfo(instance, &data, false);
    return length > 0 ? std::string(static_cast<const char*>(data), size_t(length)) : std::string();
  }
  static std::string AlertText() { return Text(GetParamText(0)); }

  zarin_test::TempFolder data_;
  int16_t resources_ = -1;
  ErrorReportHooks savedHooks_;
};

// An effect with values: its factory list holds its program with the plug-in's values; a
// program file and a bank file saved from the pop-up load back with the same parameters;
// saving again under a name replaces that preset; opened again, the plug-in finds both files
// in the preset folder (a damaged file there is passed over); a damaged bank file is named
// in the alert and changes nothing.
TEST_F(ProgramListTest, ProgramAndBankFilesOfAnEffectLoadBackIntoIt) {
  vsthost_test::TestVstInstance plugin(kMVerb);
  ASSERT_TRUE(plugin.ok());
  AsLoaded(plugin);
  PluginInstance* instance = plugin.instance();
  ASSERT_EQ(noErr, OpenInsertInstance(instance, Handle(), nullptr, kProgramListsWithUser | kProgramListsApplyCurrent));
  ASSERT_EQ(1, CountFactoryPresets(instance));
  EXPECT_EQ(Values(instance)[3], GetPresetValue(instance->programList, 0, 3));
  EXPECT_EQ("Default", Text(instance->name)) << "the plug-in's current program is applied";
  EXPECT_FALSE(instance->secondHandle) << "an empty user list is dropped";

  std::vector<float> want = SetRamp(instance, 0.2f);
  Save(instance, kProgramItemSaveProgram, "Ramp.fxp");
  Save(instance, kProgramItemSaveBank, "Ramp.fxb");
  ASSERT_EQ(2, CountPresets(instance->secondHandle));
  EXPECT_EQ(UserPreset(instance, "Ramp.fxb"), instance->programWord) << "the saved preset is current";
  Save(instance, kProgramItemSaveProgram, "RAMP.FXP");
  EXPECT_EQ(2, CountPresets(instance->secondHandle)) << "the same name in other case is replaced";
  EXPECT_EQ(UserPreset(instance, "RAMP"), instance->programWord) << "a program is named as stored";
  std::string program = zarin_test::ReadWholeFile(presets() + "/RAMP.FXP");
  ASSERT_EQ(56u + 4u * instance->parameterCount, program.size());
  EXPECT_EQ(FourCC("FxCk"), ReadU32BE(program.data() + 8));

  // The pop-up: save items, heading, the program, the separator, the user presets; the
  // current one marked.
  MenuRef menu = NewProgramMenu(instance);
  ASSERT_NE(nullptr, menu);
  EXPECT_EQ(3 + 1 + 1 + 2, CountMenuItems(menu));
  const bool kEnabled[] = {true, true, false, true, false, true, true};
  for (int16_t item = 1; item <= 7; ++item) EXPECT_EQ(kEnabled[item - 1], IsMenuItemEnabled(menu, item)) << item;
  Str255 text;
  GetMenuItemText(menu, 4, text);
  EXPECT_EQ("Default", Text(text));
  int16_t mark = 0;
  GetItemMark(menu, int16_t(kProgramItemsBefore + 2 + instance->programWord), &mark);
  EXPECT_NE(0, mark);
  DisposeMenu(menu);

  for (const char* name : {"RAMP", "Ramp.fxb"}) {
    SetRamp(instance, 0.0f);
    int32_t k = UserPreset(instance, name);
    ASSERT_GE(k, 0) << name;
    // Chosen as the pop-up's item: after the three save items and the separator.
    ASSERT_TRUE(DoProgramPopupItem(instance, int16_t(kProgramItemsBefore + 2 + k))) << name;
    EXPECT_EQ(want, Values(instance)) << name;
    EXPECT_EQ(k, instance->programWord);
  }
  EXPECT_FALSE(DoProgramPopupItem(instance, int16_t(kProgramItemsBefore + 2))) << "the separator";

  // Opened again: the folder's files are read, the damaged one is passed over.
  zarin_test::WriteWholeFile(presets() + "/Broken.fxp", program.substr(0, 70));
  Forget(instance);
  ASSERT_EQ(noErr, OpenInsertInstance(instance, Handle(), nullptr, kProgramListsWithUser));
  ASSERT_EQ(3, CountPresets(instance->secondHandle)) << "two program files and the bank's program";
  SetRamp(instance, 0.0f);
  ASSERT_EQ(noErr, ApplyPluginPreset(instance, UserPreset(instance, "RAMP")));
  EXPECT_EQ(want, Values(instance));

  // The bank saved before is a file alias: damaged now, it is named in the alert.
  Forget(instance);
  ASSERT_EQ(noErr, OpenInsertInstance(instance, Handle(), nullptr, 0));
  Save(instance, kProgramItemSaveBank, "Kept.fxb");
  std::string bank = zarin_test::ReadWholeFile(presets() + "/Kept.fxb");
  WriteU32BE(bank.data() + 24, 7);  // seven programs, one record
  zarin_test::WriteWholeFile(presets() + "/Kept.fxb", bank);
  std::vector<float> before = SetRamp(instance, 0.1f);
  EXPECT_EQ(kPresetFileDamagedErr, ApplyPluginPreset(instance, UserPreset(instance, "Kept.fxb")));
  EXPECT_NE(std::string::npos, AlertText().find("Kept.fxb")) << AlertText();
  EXPECT_NE(std::string::npos, AlertText().find("damaged")) << AlertText();
  EXPECT_EQ(before, Values(instance));
  Forget(instance);
}

// A program saved under a file name with two dots is stored and listed under the same name,
// up to its last dot: read back from the folder and saved again,
// it is still one preset. A scan that runs out of memory says so.
TEST_F(ProgramListTest, ASavedProgramKeepsItsNameAcrossARescan) {
  vsthost_test::TestVstInstance plugin(kMVerb);
  ASSERT_TRUE(plugin.ok());
  AsLoaded(plugin);
  PluginInstance* instance = plugin.instance();
  ASSERT_EQ(noErr, OpenInsertInstance(instance, Handle(), nullptr, kProgramListsWithUser));
  const std::string file = "Warm pad.v2.fxp";
  const std::string stored = "Warm pad.v2";  // up to the last dot
  SetRamp(instance, 0.2f);
  Save(instance, kProgramItemSaveProgram, file);
  std::string bytes = zarin_test::ReadWholeFile(presets() + "/" + file);
  ASSERT_GE(bytes.size(), 56u);
  EXPECT_EQ(stored + std::string(28 - stored.size(), '\0'), bytes.substr(28, 28));
  ASSERT_EQ(1, CountPresets(instance->secondHandle));
  EXPECT_EQ(0, UserPreset(instance, stored) - CountFactoryPresets(instance));

  Forget(instance);
  ASSERT_EQ(noErr, OpenInsertInstance(instance, Handle(), nullptr, kProgramListsWithUser));
  ASSERT_EQ(1, CountPresets(instance->secondHandle));
  Save(instance, kProgramItemSaveProgram, "WARM PAD.v2.fxp");
  EXPECT_EQ(1, CountPresets(instance->secondHandle)) << "saved again, the preset is replaced";
  EXPECT_EQ(UserPreset(instance, "WARM PAD.v2"), instance->programWord);

  // A list that cannot grow: the scan ends with the memory error.
  PresetReadRequest request;
  request.pluginId = PluginInfoAt(plugin.tableIndex())->uniqueId;
  request.parameterCount = instance->parameterCount;
  Handle list = NewPluginPresetList(0, 0);
  ASSERT_TRUE(list);
  HLock(list);
  EXPECT_EQ(memFullErr, ScanPluginPresetFolders(PluginInfoAt(plugin.tableIndex()), list, &request));
  HUnlock(list);
  EXPECT_EQ(noErr, ScanPluginPresetFolders(PluginInfoAt(plugin.tableIndex()), list, &request));
  EXPECT_EQ(2, CountPresets(list)) << "both files";
  DisposePluginPresetList(&list);
  Forget(instance);
}

// An effect that keeps its state in a chunk and reports no programs: a one-slot factory
// list; its program and bank files carry the chunk and load back into the same state.
TEST_F(ProgramListTest, ChunkFilesOfAnEffectLoadBackIntoIt) {
  vsthost_test::TestVstInstance plugin(vsthost_test::kLspCompressor);
  ASSERT_TRUE(plugin.ok());
  AsLoaded(plugin);
  PluginInstance* instance = plugin.instance();
  ASSERT_EQ(0u, instance->programCount);
  ASSERT_EQ(noErr, OpenInsertInstance(instance, Handle(), nullptr, kProgramListsWithUser));
  EXPECT_EQ(1, CountFactoryPresets(instance));

  SetRamp(instance, 0.3f);
  std::string want = Chunk(instance);
  ASSERT_FALSE(want.empty());
  Save(instance, kProgramItemSaveProgram, "Squash.fxp");
  Save(instance, kProgramItemSaveBank, "Squash.fxb");
  // A program is listed under its stored name, a bank (which stores none) under its file's.
  const struct { const char* name; const char* preset; uint32_t magic; uint32_t headerBytes; } kFiles[] = {
      {"Squash.fxp", "Squash", FourCC("FPCh"), 60}, {"Squash.fxb", "Squash.fxb", FourCC("FBCh"), 160}};
  for (const auto& f : kFiles) {
    std::string file = zarin_test::ReadWholeFile(presets() + "/" + f.name);
    ASSERT_GT(file.size(), f.headerBytes) << f.name;
    EXPECT_EQ(f.magic, ReadU32BE(file.data() + 8)) << f.name;
    EXPECT_EQ(file.size() - f.headerBytes, ReadU32BE(file.data() + f.headerBytes - 4)) << f.name;
    SetRamp(instance, 0.0f);
    ASSERT_NE(want, Chunk(instance));
    ASSERT_EQ(noErr, ApplyPluginPreset(instance, UserPreset(instance, f.preset))) << f.name;
    EXPECT_EQ(want, Chunk(instance)) << f.name;
  }
  // Read from the folder as a new open would.
  Forget(instance);
  ASSERT_EQ(noErr, OpenInsertInstance(instance, Handle(), nullptr, kProgramListsWithUser));
  ASSERT_EQ(2, CountPresets(instance->secondHandle));
  for (int32_t k = 1; k <= 2; ++k) {
    SetRamp(instance, 0.0f);
    ASSERT_EQ(noErr, ApplyPluginPreset(instance, k));
    EXPECT_EQ(want, Chunk(instance)) << k;
  }
  Forget(instance);
}

// A names-only plug-in of eight programs that names only five: five slots and five
// programs, no user list; a renamed program makes the refresh build the list again.
struct NamingEffect {
  AEffect effect{};
  int32_t named = 5;
  std::string second = "Two";
};
NamingEffect* gNaming = nullptr;

VstIntPtr NamingDispatcher(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void* ptr, float) {
  if (opcode != kEffGetProgramNameIndexed || index >= gNaming->named) return 0;
  std::string name = index == 1 ? gNaming->second : "P" + std::to_string(index);
  std::strcpy(static_cast<char*>(ptr), name.c_str());
  return 1;
}

TEST_F(ProgramListTest, ANamesOnlyListEndsAtTheFirstUnnamedProgram) {
  NamingEffect naming;
  gNaming = &naming;
  naming.effect.magic = kEffectMagic;
  naming.effect.dispatcher = NamingDispatcher;
  naming.effect.numPrograms = 8;
  PluginInfo info;
  info.kind = kPluginKindVstBundle;
  info.pluginFlags = kPluginFlagProgramNamesOnly;
  int32_t index = AppendPluginInfo(info);
  PluginInstance* instance = NewPluginInstanceRecord();
  ASSERT_NE(nullptr, instance);
  instance->effect = &naming.effect;
  instance->tableIndex = uint32_t(index);
  instance->programCount = 8;
  ASSERT_EQ(noErr, OpenInsertInstance(instance, Handle(), nullptr, kProgramListsWithUser));
  ASSERT_EQ(5, CountFactoryPresets(instance));
  EXPECT_EQ(5u, instance->programCount);
  EXPECT_FALSE(instance->secondHandle);
  Str31 name;
  GetPresetName(instance->programList, 4, name);
  EXPECT_EQ("P4", Text(name));
  EXPECT_FALSE(RefreshProgramNames(instance));
  naming.second = "Renamed";
  EXPECT_TRUE(RefreshProgramNames(instance));
  GetPresetName(instance->programList, 1, name);
  EXPECT_EQ("Renamed", Text(name));
  EXPECT_FALSE(DoProgramPopupItem(instance, kProgramItemSaveProgram)) << "names-only plug-ins save nothing";
  MenuRef menu = NewProgramMenu(instance);
  EXPECT_FALSE(IsMenuItemEnabled(menu, kProgramItemSaveProgram));
  EXPECT_FALSE(IsMenuItemEnabled(menu, kProgramItemSaveBank));
  EXPECT_EQ(3 + 5, CountMenuItems(menu)) << "no separator without user presets";
  DisposeMenu(menu);
  Forget(instance);
  FreePluginInstanceRecord(instance);
  gNaming = nullptr;
}

}  // namespace
