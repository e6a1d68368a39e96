#include "mixer/presets/program_popup.h"

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "mixer/presets/preset_folders.h"
#include "mixer/presets/program_lists.h"
#include "mixer/presets/vst_preset_files.h"
#include "platform/files/file_locations.h"
#include "platform/files/folders.h"
#include "platform/memory/memory.h"
#include "platform/menus/menus.h"
#include "platform/resources/resource_manager.h"
#include "platform/text/text_case.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/plugin_host_hooks.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/plugin_parameters.h"
#include "plugins/host/plugin_preset_lists.h"
#include "plugins/host/plugin_programs.h"
#include "plugins/host/plugin_state.h"
#include "plugins/library/plugin_table.h"
#include "shell/base/error_report.h"
#include "song/dialogs/file_dialogs.h"
#include "song/model/song_context.h"

namespace {

constexpr MenuID kProgramMenuId = 31923;
constexpr int16_t kSaveDialogKind = 2;
constexpr int16_t kCheckMark = 0x12;

bool IsVst(const PluginInstance* instance) { return instance->effect != nullptr; }

void AppendText(MenuRef menu, int16_t item, bool enabled) {
  Str255 text;
  GetIndString(text, kProgramTextsStrList, item);
  AppendMenuItemTextLiteral(menu, text);
  if (!enabled) DisableMenuItem(menu, CountMenuItems(menu));
}

// The menu item of preset k: after the three save items, one further after the separator.
int16_t ItemOfPreset(const PluginInstance* instance, int32_t k) {
  return int16_t(k + kProgramItemsBefore + 1 + (k >= CountFactoryPresets(instance) ? 1 : 0));
}

// The preset of a menu item, or -1 (a save item or the separator).
int32_t PresetOfItem(const PluginInstance* instance, int16_t item) {
  int32_t k = item - kProgramItemsBefore - 1;
  int32_t factory = CountFactoryPresets(instance);
  if (k < factory) return k;
  if (k == factory || CountPresets(instance->secondHandle) == 0) return -1;
  return k - 1 < CountCombinedPresets(instance) ? k - 1 : -1;
}

}  // namespace

MenuRef NewProgramMenu(PluginInstance* instance) {
  Str255 title = {0};
  MenuRef menu = NewMenu(kProgramMenuId, title);
  if (menu == nullptr) return nullptr;
  bool namesOnly = IsNamesOnlyPlugin(instance);
  AppendText(menu, kProgramTextSaveProgram, !namesOnly);
  AppendText(menu, kProgramTextSaveBank, !namesOnly && IsVst(instance));
  AppendText(menu, kProgramTextHeading, false);
  for (int32_t k = 0; k < CountCombinedPresets(instance); ++k) {
    if (k == CountFactoryPresets(instance)) AppendText(menu, kProgramTextUserPresets, false);
    Handle list;
    int32_t slot = 0;
    FindCombinedPreset(instance, k, &list, &slot);
    Str31 name;
    GetPresetName(list, slot, name);
    if (name[0] == 0) {
      name[0] = 1;
      name[1] = ' ';
    }
    AppendMenuItemTextLiteral(menu, name);
  }
  if (instance->programWord >= 0 && instance->programWord < CountCombinedPresets(instance))
    SetItemMark(menu, ItemOfPreset(instance, instance->programWord), kCheckMark);
  return menu;
}

namespace {

void ChangedProgram() {
  SetSongModified();
  RequestPluginWindowRefresh(kRefreshMixer | kRefreshMainEditor | kRefreshTrackWindow);
}

// Where the save dialog starts: "<plug-in name> <presets word>" in the audio folder.
bool SaveFolder(const PluginInstance* instance, FSSpec* folder) {
  std::string audio = StandardFolderPath(kLocalDomain, kAudioFolderType, kDontCreateFolder);
  Str255 word;
  GetIndString(word, kProgramTextsStrList, kProgramTextPresets);
  const PluginInfo* info = PluginInfoAt(int32_t(instance->tableIndex));
  if (audio.empty() || info == nullptr) return false;
  std::string name(reinterpret_cast<const char*>(info->name + 1), info->name[0]);
  std::string path = audio + "/" + name + " " + std::string(reinterpret_cast<const char*>(word + 1), word[0]);
  std::error_code error;
  if (!std::filesystem::is_directory(path, error)) return false;
  return PathToSpec(path, folder) == noErr;
}

// A one-slot list of the current program (values, and the chunk of a plug-in that keeps its
// state in one; for the bank, the bank's chunk).
Handle CurrentProgramList(PluginInstance* instance, uint32_t id, bool bank) {
  std::vector<float> values(instance->parameterCount);
  for (uint32_t p = 0; p < instance->parameterCount; ++p) values[p] = GetPluginParameterChecked(instance, int32_t(p));
  Handle chunk;
  if (PluginHasChunks(instance)) {
    const void* data = nullptr;
    int32_t length = SavePluginClassInfo(instance, &data, bank);
    if (length > 0 && PtrToHand(data, &chunk, length) != noErr) return Handle();
  }
  Handle list = NewSinglePresetList(instance->parameterCount);
  PluginPresetData preset{id, instance->parameterCount, instance->name, chunk,
                          chunk ? (kPresetChunk | (bank ? uint32_t(kPresetBankChunk) : 0u)) : 0u, values.data()};
  if (!list || ReplacePresetSlot(list, 0, preset, false, false) != noErr) {
    if (chunk) DisposeHandle(chunk);
    DisposePluginPresetList(&list);
  }
  return list;
}

// Every program with its values, for the bank of a plug-in without chunks.
Handle BankProgramList(PluginInstance* instance, uint32_t id) {
  Handle list = NewPluginPresetList(0, 0);
  int32_t noted = GetCurrentProgram(instance);
  for (int32_t i = 0; list && i < int32_t(instance->programCount); ++i) {
    SetProgramQuietly(instance, i);
    Handle one = CurrentProgramList(instance, id, false);
    char text[256] = {};
    GetProgramName(instance, text, sizeof text);
    Str31 name;
    name[0] = uint8_t(strnlen(text, kPresetNameMax));
    std::memcpy(name + 1, text, name[0]);
    std::vector<float> values(GetPresetCount(one, 0));
    for (size_t p = 0; p < values.size(); ++p) values[p] = GetPresetValue(one, 0, int32_t(p));
    PluginPresetData preset{id, uint32_t(values.size()), name, Handle(), 0, values.data()};
    bool ok = one && AppendPreset(list, preset) == noErr;
    DisposePluginPresetList(&one);
    if (!ok) DisposePluginPresetList(&list);
  }
  if (noted >= 0) SetProgramQuietly(instance, noted);
  return list;
}

// The saved file becomes a user preset under the name the preset folders give it when read
// again: one of the same name (any case) is replaced.
void KeepSavedPreset(PluginInstance* instance, Handle saved, const FSSpec* file, bool bank) {
  if (!instance->secondHandle) instance->secondHandle = NewPluginPresetList(0, 0);
  Handle user = instance->secondHandle;
  if (!user) return;
  const PluginInfo* info = PluginInfoAt(int32_t(instance->tableIndex));
  Str31 savedName;
  SavedPresetName(file->name, bank, info && (info->pluginFlags & kPluginFlagPresetsNamedAfterFiles), savedName);
  int32_t slot = CountPresets(user);
  for (int32_t k = 0; k < CountPresets(user); ++k) {
    Str31 name;
    GetPresetName(user, k, name);
    if (EqualString(name, savedName, false, true)) slot = k;
  }
  Handle chunk = GetPresetChunk(saved, 0);
  Handle copy = chunk;
  if (chunk && HandToHand(&copy) != noErr) return;
  std::vector<float> values(GetPresetCount(saved, 0));
  for (size_t p = 0; p < values.size(); ++p) values[p] = GetPresetValue(saved, 0, int32_t(p));
  PluginPresetData preset{GetPresetId(saved, 0), uint32_t(values.size()), savedName, copy,
                          GetPresetFlags(saved, 0), values.data()};
  OSErr err = slot < CountPresets(user) ? ReplacePresetSlot(user, slot, preset, true, false)
                                        : AppendPreset(user, preset);
  if (err != noErr && copy) DisposeHandle(copy);
  if (err == noErr && bank && !chunk) SetPresetFileAlias(user, slot, SpecToPath(file).c_str());
  if (err == noErr) instance->programWord = CountFactoryPresets(instance) + slot;
}

bool SaveProgramFile(PluginInstance* instance, bool bank) {
  const PluginInfo* info = PluginInfoAt(int32_t(instance->tableIndex));
  uint32_t id = info ? info->uniqueId : 0;
  OSType type = bank ? kVstBankFileType : kVstProgramFileType;
  Str255 defaultName;
  std::string name(reinterpret_cast<const char*>(instance->name + 1), instance->name[0]);
  name += bank ? ".fxb" : ".fxp";
  defaultName[0] = uint8_t(std::min<size_t>(name.size(), 63));
  std::memcpy(defaultName + 1, name.data(), defaultName[0]);
  FSSpec folder, file;
  bool hasFolder = SaveFolder(instance, &folder);
  OSErr err = RunNavPutFileDialog(&type, 1, kSaveDialogKind, defaultName, &file,
                                  hasFolder ? &folder : nullptr, 0, 0, 0, nullptr);
  if (err != noErr) return false;
  Handle list = bank && !PluginHasChunks(instance) ? BankProgramList(instance, id)
                                                   : CurrentProgramList(instance, id, bank);
  if (!list) {
    ReportError(memFullErr);
    return false;
  }
  PresetWriteRequest request{list, type, id};
  err = WriteVstPresetFile(&file, &request);
  if (err == noErr) KeepSavedPreset(instance, list, &file, bank);
  DisposePluginPresetList(&list);
  if (err != noErr) ReportFileError(err, file.name, kFileActionSave);
  return err == noErr;
}

}  // namespace

bool DoProgramPopupItem(PluginInstance* instance, int16_t item) {
  if (instance == nullptr) return false;
  if (item == kProgramItemSaveProgram || item == kProgramItemSaveBank) {
    if (IsNamesOnlyPlugin(instance) || (item == kProgramItemSaveBank && !IsVst(instance))) return false;
    if (!IsVst(instance)) return false;  // components keep their presets in their own state
    bool saved = SaveProgramFile(instance, item == kProgramItemSaveBank);
    if (saved) ChangedProgram();
    return saved;
  }
  int32_t k = PresetOfItem(instance, item);
  if (k < 0 || ApplyPluginPreset(instance, k) != noErr) return false;
  ChangedProgram();
  return true;
}

bool RunProgramPopup(PluginInstance* instance, Point where) {
  if (instance == nullptr) return false;
  MenuRef menu = NewProgramMenu(instance);
  if (menu == nullptr) return false;
  InsertMenu(menu, -1);
  int16_t current = instance->programWord >= 0 ? ItemOfPreset(instance, instance->programWord) : 0;
  int32_t chosen = PopUpMenuSelect(menu, where.v, where.h, current);
  DeleteMenu(kProgramMenuId);
  DisposeMenu(menu);
  int16_t item = int16_t(chosen & 0xFFFF);
  if ((chosen >> 16) == 0 || item < 1) return false;
  return DoProgramPopupItem(instance, item);
}
